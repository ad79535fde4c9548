// The typed line from keys and the clipboard to socket writes and echoes.
#include "command/command_line.h"

#include <gtest/gtest.h>

#include <optional>

#include "command/history.h"
#include "command/key_map.h"

namespace ombrel {
namespace {

using Writes = std::vector<std::string>;

// A connected terminal that records socket writes and local echoes apart,
// and a prompt that gives the scripted answers in turn.
struct Bench : CommandTarget, ScrollTarget, ParamPrompt {
  TOptions options;
  bool connected = true;
  std::string currentLine;
  Writes sends, echoes, asked, answers;
  std::vector<int> scrolls;
  CommandProcessor processor{*this, *this};
  CommandLine line{*this, *this, *this};

  const TOptions* Options() const override { return &options; }
  bool Connected() const override { return connected; }
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

// One typed line with local echo on; lines end in CR LF, and the echo
// repeats what was sent unless the row says otherwise.
TEST(TypedLine, SeparatorsAliasesSpeedwalksAndTelnet) {
  const std::tuple<std::string, Writes, std::optional<Writes>, bool> rows[] = {
      {"n|e|w", {"n", "e", "w"}, {}, false},
      {"|", {"", ""}, {}, false},
      {"k orc", {"kill orc", ""}, {}, false},     // the first alias of a name wins
      {"s   x     y", {"say x y", ""}, {}, false},  // [All] joins the words
      {"K", {"K"}, {}, false},                    // names match exactly
      {"two", {"k", "s", ""}, {}, false},         // no second expansion, but the separator cuts
      {"/3n2e", {"n", "n", "n", "e", "e"}, Writes{}, false},  // speedwalk before alias, no echo
      {"/nw|/0n|/12|/99999999999u|/2 ", {"n", "w", "u", " ", " "}, Writes{}, false},
      {"say \377\377|k \377|/\377", {"say \377\377\377\377", "kill \377\377", "", "\377\377"},
       Writes{"say \377\377", "kill \377", ""}, true},  // telnet doubles 255 on the wire only
      {"say \377", {"say \377"}, {}, false},
  };
  for (const auto& [typed, sent, echoed, telnet] : rows) {
    Bench t;
    t.options.localecho = true, t.options.telnet = telnet;
    t.AddAlias("k", {"kill [1]"}), t.AddAlias("s", {"say [All]"}), t.AddAlias("k", {"never"});
    t.AddAlias("two", {"k|s"}), t.AddAlias("/3n2e", {"never"});
    t.processor.SendCommand(typed, true);
    auto lines = [](Writes w) { for (std::string& s : w) s += "\r\n"; return w; };
    EXPECT_EQ(t.sends, lines(sent)) << typed;
    EXPECT_EQ(t.echoes, lines(echoed.value_or(sent))) << typed;
    EXPECT_TRUE(t.asked.empty()) << typed;
  }
}

TEST_F(Commands, WithoutLocalEchoOnlyALineWithTextGetsALineBreak) {
  processor.SendCommand("", true);
  EXPECT_TRUE(echoes.empty());
  processor.SendCommand("look", true);
  currentLine = "> ";
  processor.SendCommand("look", true);
  EXPECT_EQ(echoes, (Writes{"\r\n"}));
}

TEST_F(Commands, MissingParametersAreAskedOncePerExpansion) {
  AddAlias("k", {"kill [2]"});
  answers = {"troll", "cake", ""};
  processor.SendCommand("k orc", true);
  processor.ExpandAndSend("[T] and [t]\r\n", "");
  processor.ExpandAndSend("<[t]>", "");  // a fresh table; no answer is a space
  EXPECT_EQ(asked, (Writes{"2", "t", "t"}));
  EXPECT_EQ(Sent(), (Writes{"kill troll\r\n", "\r\n", "cake and cake\r\n", "\r\n", "< >\r\n"}));
}

TEST_F(Commands, ParameterMarkersAtTheEdges) {
  answers = {"v", "Z"};
  processor.ExpandAndSend("a[b[c]d]e", "");
  processor.ExpandAndSend("x[open", "");
  EXPECT_EQ(Sent(), (Writes{"abvd]e\r\n", "xopen\r\n"}));
  // Equal markers: each one stands for the value of the empty name.
  options.paramstart = options.paramend = "%";
  processor.ExpandAndSend("1%2%3", "");
  EXPECT_EQ(asked, (Writes{"c", ""}));
  EXPECT_EQ(Sent(), (Writes{"1Z2Z3\r\n"}));
  options.paramstart = "";
  processor.ExpandAndSend("kill [1]", "");
  EXPECT_EQ(Sent(), (Writes{"kill [1]\r\n"}));
}

TEST_F(Commands, PastedLinesAndTheConnection) {
  options.stdpasteprefix = "say ";
  processor.SendLines("look\r\nget all\r\n", true, true);
  EXPECT_EQ(Sent(), (Writes{"say look\r\n", "say get all\r\n", "\r\n"}));
  processor.SendLines("one\rxtwo", true, true);  // the byte after a CR is skipped
  EXPECT_EQ(Sent(), (Writes{"say one\r\n", "two\r\n"}));
  AddAlias("say", {"emote [all]"});
  line.PasteCommands("waves\r\nsmiles");
  EXPECT_EQ(Sent(), (Writes{"emote waves\r\n", "\r\n", "smiles\r\n"}));
  options.altpasteprefix = "(", options.altpastesuffix = ")";
  EXPECT_EQ(line.PasteLineText("  first one \r\n\tsecond  ", true), "(first one) (second)");
  EXPECT_EQ(line.PasteLineText("a\r\n\r\nb\r\n", false), "a  b ");

  connected = false, options.localecho = true;
  AddAlias("k", {"kill [1]"});
  processor.SendCommand("k", true);
  processor.SendCommand("n", false);
  line.ReturnPressed("lost");
  line.PasteCommands("x");
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(asked, (Writes{"1"}));
  EXPECT_EQ(echoes, (Writes{"n\r\n"}));
  EXPECT_EQ(line.HistoryPrev(), "");  // only what was sent is kept
}

TEST(CommandHistory, WalkAndLimit) {
  CommandHistory history;
  EXPECT_EQ(history.HistoryPrev(), "");
  for (const char* text : {"a", "b", "c"}) history.HistoryAdd(text, 50);
  std::string walk;
  for (char step : std::string("PPNNNP")) walk += (step == 'P' ? history.HistoryPrev() : history.HistoryNext()) + ",";
  EXPECT_EQ(walk, "c,b,c,,,c,");  // past the newest stays empty
  // The limit is compared with the last index: 51 entries with 50.
  for (int k = 4; k <= 52; ++k) history.HistoryAdd(std::to_string(k), 50);
  EXPECT_EQ(history.Count(), 51);
  for (int k = 0; k < 60; ++k) walk = history.HistoryPrev();
  EXPECT_EQ(walk, "b");
  CommandHistory negative;
  for (const char* text : {"x", "y"}) negative.HistoryAdd(text, -3);
  EXPECT_EQ(negative.Count(), 1);
}

TEST(KeyMap, CtrlAloneAgainstWithCtrl) {
  EXPECT_EQ(MapKey(KeyCode::kPageUp, kModShift).action, KeyAction::kScrollPageUp);
  EXPECT_EQ(MapKey(KeyCode::kHome, kModCtrl).action, KeyAction::kScrollToStart);
  EXPECT_EQ(MapKey(KeyCode::kEnd, kModCtrl | kModShift).action, KeyAction::kNone);
  EXPECT_EQ(MapKey(KeyCode::kDigit9, kModCtrl).macro, 9);
  EXPECT_EQ(MapKey(KeyCode::kDigit1, kModCtrl | kModShift).action, KeyAction::kNone);
  EXPECT_EQ(MapKey(KeyCode::kUp, kModCtrl | kModShift).action, KeyAction::kScrollLineUp);
  EXPECT_EQ(MapKey(KeyCode::kDown, kModAlt).action, KeyAction::kHistoryNext);
  for (auto [key, direction] : {std::pair{104, 'n'}, {98, 's'}, {100, 'w'}, {102, 'e'}, {101, 'l'}}) {
    EXPECT_EQ(MapKey(key, kModCtrl | kModShift).direction, direction) << key;
    EXPECT_EQ(MapKey(key, kModNone).action, KeyAction::kNone) << key;
  }
  EXPECT_EQ(MapKey(KeyCode::kNumpad9, kModCtrl).action, KeyAction::kNone);
}

TEST_F(Commands, EnterAndKeysScrollWalkSendAndRunMacros) {
  AddAlias("k", {"kill [1]"});
  line.ReturnPressed(""), line.ReturnPressed("k orc");  // kept as typed, the empty line not at all
  EXPECT_EQ(line.KeyDown(38, kModCtrl), std::nullopt);
  EXPECT_EQ(line.KeyDown(38, kModShift), std::optional<std::string>("k orc"));
  line.KeyDown(33, kModNone), line.KeyDown(36, kModCtrl);
  EXPECT_EQ(scrolls, (std::vector<int>{-1, -25, -300}));
  // A keypad direction: no alias, echoed, not kept.
  options.localecho = true, options.macros[0].text = {"wield [1]"}, answers = {"sword"};
  AddAlias("n", {"never"});
  line.KeyDown(104, kModCtrl), line.KeyDown(49, kModCtrl | kModShift), line.KeyDown(49, kModCtrl);
  line.KeyDown(57, kModCtrl);  // an empty macro
  EXPECT_EQ(sends, (Writes{"\r\n", "kill orc\r\n", "\r\n", "n\r\n", "wield sword\r\n", "\r\n", "\r\n"}));
  EXPECT_EQ(echoes.front(), "n\r\n");
  EXPECT_EQ(line.HistoryPrev(), "k orc");
  // Disconnected: nothing is sent, the echo is still written.
  connected = false;
  line.KeyDown(98, kModCtrl);
  EXPECT_EQ(sends.size(), 7u);
  EXPECT_EQ(echoes.back(), "s\r\n");
}

}  // namespace
}  // namespace ombrel
