#include "command/command_line.h"

#include <gtest/gtest.h>

namespace ombrel {
namespace {

using Writes = std::vector<std::string>;

struct Bench : CommandTarget, ScrollTarget, ParamPrompt {
  TOptions options;
  bool connected = true;
  bool serverEchoes = false;
  std::string currentLine;
  Writes sends, echoes, asked, answers;
  std::vector<int> scrolls;
  CommandProcessor processor{*this, *this};
  CommandLine line{*this, *this, *this};

  const TOptions* Options() const override { return &options; }
  bool Connected() const override { return connected; }
  bool ServerEchoes() const override { return serverEchoes; }
  void Send(const std::string& bytes) override { sends.push_back(bytes); }
  void WriteText(const std::string& text, bool triggers) override { if (!triggers) echoes.push_back(text); }
  std::string CurrentLineText() const override { return currentLine; }
  void ScrollBy(int lines) override { scrolls.push_back(lines); }
  int Rows() const override { return 25; }
  int CurLine() const override { return 300; }
  std::string Ask(const std::string& name) override {
    asked.push_back(name);
    return asked.size() <= answers.size() ? answers[asked.size() - 1] : "";
  }
  void AddAlias(const std::string& name, Lines translation) { options.aliases.push_back({name, translation}); }
  Writes Sent() { return std::exchange(sends, {}); }  // forgets them
};
class Commands : public ::testing::Test, public Bench {};

Writes Crlf(Writes lines) {
  for (std::string& s : lines) s += "\r\n";
  return lines;
}

// One typed line with local echo on; lines end in CR LF, and the echo
// repeats what was sent unless the row says otherwise.
TEST(TypedLine, SeparatorsAliasesSpeedwalksAndTelnet) {
  const std::tuple<std::string, Writes, std::optional<Writes>, bool> rows[] = {
      {"n||w|", {"n", "", "w", ""}, {}, false},
      {"k orc", {"kill orc", ""}, {}, false},     // the first alias of a name wins
      {"s   x     y", {"say x y", ""}, {}, false},  // [All] joins the words
      {"K \377", {"K \377"}, {}, false},          // names match exactly; no telnet, no doubling
      {"two", {"k", "s", ""}, {}, false},         // no second expansion, but the separator cuts
      {"/3n2e", {"n\r\nn\r\nn\r\ne\r\ne"}, Writes{}, false},  // speedwalk before alias, no echo, one write
      {"/nw|/0n|/12|/99999999999u|/2 ", {"n\r\nw", "u", " \r\n "}, Writes{}, false},
      {"say \377\377|k \377|/\377", {"say \377\377\377\377", "kill \377\377", "", "\377\377"},
       Writes{"say \377\377", "kill \377", ""}, true},  // telnet doubles 255 on the wire only
  };
  for (const auto& [typed, sent, echoed, telnet] : rows) {
    Bench t;
    t.options.localecho = true, t.options.telnet = telnet;
    t.AddAlias("k", {"kill [1]"}), t.AddAlias("s", {"say [All]"}), t.AddAlias("k", {"never"});
    t.AddAlias("two", {"k|s"}), t.AddAlias("/3n2e", {"never"});
    t.processor.SendCommand(typed, true);
    EXPECT_EQ(t.sends, Crlf(sent)) << typed;
    EXPECT_EQ(t.echoes, Crlf(echoed.value_or(sent))) << typed;
  }
}

// Rows run in turn on one terminal: a name is asked again in the next expansion
// but once in each, in lower case; no answer stands as a space.
TEST(Parameters, MissingOnesAreAskedOncePerExpansion) {
  const std::tuple<const char*, const char*, std::string, std::string, Writes, Writes, Writes> rows[] = {
      // start, end, text, parameters, answers, asked, sent
      {"[", "]", "kill [2] [1]", "orc\024", {"troll"}, {"2"}, {"kill troll orc"}},
      {"[", "]", "[T] and [t]", "", {"cake"}, {"t"}, {"cake and cake"}},
      {"[", "]", "<[t]>", "", {}, {"t"}, {"< >"}},
      {"[", "]", "a[b[c]d]e", "", {"v"}, {"c"}, {"abvd]e"}},
      {"[", "]", "x[open", "", {}, {}, {"xopen"}},
      {"%", "%", "1%2%3", "", {"Z"}, {""}, {"1Z2Z3"}},  // each equal marker closes an empty name
      {"", "]", "kill [1]", "orc\024", {}, {}, {"kill [1]"}},
  };
  Bench t;
  for (const auto& [start, end, text, params, answers, asked, sent] : rows) {
    t.options.paramstart = start, t.options.paramend = end, t.answers = answers, t.asked.clear();
    t.processor.ExpandAndSend(text, params);
    EXPECT_EQ(t.asked, asked) << text;
    EXPECT_EQ(t.Sent(), Crlf(sent)) << text;
  }
  std::string many;  // more than splitting the list for each one could get through in the timeout
  for (int k = 1; k <= 500000; ++k) many += std::to_string(k) + '\024';
  t.options.paramstart = "[", t.processor.ExpandAndSend("[2] [500000] [500001]", many);
  EXPECT_EQ(t.Sent(), Crlf({"2 500000  "}));
}

TEST_F(Commands, PastedLinesEchoesAndTheConnection) {
  options.stdpasteprefix = "say ", options.stdpastesuffix = " now";
  AddAlias("say", {"emote [all]"});
  // CR LF, LF and CR each end a line, as the clipboards of other programs
  // hold them; the last piece goes bare.
  line.PasteCommands("look\r\nget all\nsmile\rxtwo");
  EXPECT_EQ(Sent(), Crlf({"emote look now", "", "emote get all now", "", "emote smile now", "", "xtwo"}));
  // Without local echo only a line that holds text gets a line break; the
  // pasted lines above echo nothing.
  currentLine = "> ";
  processor.SendCommand("look|/349525n|/349526n", true);  // a walk sends at most 1 MiB
  EXPECT_EQ(echoes, (Writes{"\r\n", "\r\nSpeedwalk refused: it would send more than 1 MiB.\r\n"}));
  EXPECT_EQ(Sent().back().size(), 1048575u);
  options.altpasteprefix = "(", options.altpastesuffix = ")";
  EXPECT_EQ(line.PasteLineText("  first one \r\n\tsecond  ", true), "(first one) (second)");
  EXPECT_EQ(line.PasteLineText("a\r\n\r\nb\r\n", false), "a  b ");
  EXPECT_EQ(line.PasteLineText("a\nb\rc", false), "a b c");

  connected = false, options.localecho = true, echoes.clear(), sends.clear();
  AddAlias("k", {"kill [1]"});
  processor.SendCommand("k", true);  // asks before it finds no connection
  for (int k = 0; k < 1000; ++k) currentLine += "2147483647n";  // no loop could walk it in the timeout
  processor.SendCommand("/" + currentLine, false);
  line.ReturnPressed("lost"), line.PasteCommands("x");
  EXPECT_TRUE(sends.empty() && echoes.empty() && line.HistoryPrev().empty());  // history: only what was sent
  EXPECT_EQ(asked, (Writes{"1"}));
}

// While the server echoes, a typed line is a password: out byte for byte
// (separator, path character and alias names untouched), then nowhere.
TEST_F(Commands, APasswordGoesOutAsTypedAndLeavesNoTrace) {
  options.localecho = true, currentLine = "Password: ";
  AddAlias("k", {"kill [1]"});
  line.ReturnPressed("look");
  serverEchoes = true;
  for (const char* secret : {"k|/2n", "s3cr\xff"}) line.ReturnPressed(secret);
  serverEchoes = false;
  EXPECT_EQ(Sent(), Crlf({"look", "k|/2n", "s3cr\xff"}));
  EXPECT_EQ(echoes, Crlf({"look"}));
  EXPECT_EQ(std::pair(line.HistoryPrev(), line.HistoryPrev()), std::pair(std::string("look"), std::string("look")));
  EXPECT_TRUE(asked.empty());
}

TEST(CommandHistory, EmptyAndLimits) {
  CommandHistory history, negative;
  EXPECT_EQ(history.HistoryPrev(), "");
  // The limit is compared with the last index: 51 entries with 50.
  for (int k = 1; k <= 52; ++k) history.HistoryAdd(std::to_string(k), 50), negative.HistoryAdd(std::to_string(k), -3);
  std::string oldest;
  for (int k = 0; k < 60; ++k) oldest = history.HistoryPrev();
  EXPECT_EQ(std::pair(history.Count(), oldest), std::pair(51, std::string("2")));
  EXPECT_EQ(std::pair(negative.Count(), negative.HistoryPrev()), std::pair(1, std::string("52")));
}

// Page Up/Down ignore the modifiers, Home/End and the digits want Ctrl alone,
// the arrows and the keypad any set with Ctrl. A keypad direction skips
// aliases and history; the history walk stops at the oldest and past the newest.
TEST_F(Commands, KeysScrollRecallWalkAndRunMacros) {
  options.localecho = true, options.macros[0].text = {"wield [1]"}, options.macros[8].text = {"rest"};
  AddAlias("k", {"kill [1]"}), AddAlias("n", {"never"}), answers = {"sword"};
  line.ReturnPressed("k orc"), line.ReturnPressed(""), line.ReturnPressed("look");  // kept as typed, the empty one not
  const unsigned C = kModCtrl, S = kModShift;
  std::string recalled;
  for (auto [key, mods] : std::initializer_list<std::pair<int, unsigned>>{
           {33, S}, {34, kModNone}, {36, C}, {35, C | S}, {35, C}, {38, C | S}, {40, C},  // scrolling
           {104, C}, {98, C | S}, {100, C | S}, {102, C | S}, {101, C | S}, {104, kModNone}, {105, C},
           {49, C | S}, {49, C}, {57, C}, {38, S}, {38, S}, {38, S}, {40, kModAlt}, {40, S}, {40, S}, {38, S}})
    if (auto text = line.KeyDown(key, mods)) recalled += *text + ",";
  EXPECT_EQ(scrolls, (std::vector<int>{-25, 25, -300, 300, -1, 1}));
  EXPECT_EQ(recalled, "look,k orc,k orc,look,,,look,");
  Writes walked = {"kill orc", "", "", "look", "n", "s", "w", "e", "l", "wield sword", "", "rest", ""};
  EXPECT_EQ(sends, Crlf(walked));
  // Disconnected: nothing is sent, the echo is still written.
  connected = false;
  line.KeyDown(98, C);
  EXPECT_EQ(sends.size(), walked.size());
  walked.push_back("s");
  EXPECT_EQ(echoes, Crlf(walked));
}

}  // namespace
}  // namespace ombrel
