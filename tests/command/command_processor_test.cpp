#include "command/command_processor.h"

#include <gtest/gtest.h>

#include "command/iac.h"
#include "fake_target.h"

namespace ombrel {
namespace {

class Processor : public ::testing::Test {
 protected:
  void AddAlias(const std::string& name, Lines translation) {
    target.options.aliases.push_back(TAlias{name, std::move(translation)});
  }
  // The writes so far, forgetting them.
  Writes Sent() { return std::exchange(target.sends, {}); }

  RecordingTarget target;
  ScriptedPrompt prompt;
  CommandProcessor processor{target, prompt};
};

TEST_F(Processor, SeparatorAndEcho) {
  target.options.localecho = true;
  processor.SendCommand("n|e|s", true);
  EXPECT_EQ(Sent(), (Writes{"n\r\n", "e\r\n", "s\r\n"}));
  EXPECT_EQ(target.echoes, (Writes{"n\r\n", "e\r\n", "s\r\n"}));
  processor.SendCommand("|", true);
  EXPECT_EQ(Sent(), (Writes{"\r\n", "\r\n"}));

  // Without local echo only a line with text on it gets a line break.
  target.options.localecho = false;
  target.echoes.clear();
  processor.SendCommand("", true);
  EXPECT_TRUE(target.echoes.empty());
  target.currentLine = "> ";
  processor.SendCommand("look", true);
  EXPECT_EQ(target.echoes, (Writes{"\r\n"}));
}

TEST_F(Processor, AliasParameters) {
  AddAlias("k", {"kill [1]"});
  AddAlias("s", {"say [All]"});
  processor.SendCommand("k orc", true);
  EXPECT_EQ(Sent(), (Writes{"kill orc\r\n", "\r\n"}));
  processor.SendCommand("s   x     y", true);
  EXPECT_EQ(Sent(), (Writes{"say x y\r\n", "\r\n"}));
  EXPECT_TRUE(prompt.asked.empty());

  // Alias names match exactly; the first of a name wins; an expansion is
  // not expanded again, though its separators still cut.
  AddAlias("k", {"never"});
  AddAlias("two", {"k|s"});
  processor.SendCommand("K", true);
  processor.SendCommand("two", true);
  EXPECT_EQ(Sent(), (Writes{"K\r\n", "k\r\n", "s\r\n", "\r\n"}));
}

TEST_F(Processor, MissingParametersAreAskedOncePerExpansion) {
  AddAlias("k", {"kill [2]"});
  prompt.answers = {"troll", "cake", ""};
  processor.SendCommand("k orc", true);
  processor.ExpandAndSend("[T] and [t]\r\n", "");
  processor.ExpandAndSend("<[t]>", "");  // a fresh table; no answer is a space
  EXPECT_EQ(prompt.asked, (Writes{"2", "t", "t"}));
  EXPECT_EQ(Sent(), (Writes{"kill troll\r\n", "\r\n", "cake and cake\r\n", "\r\n", "< >\r\n"}));
}

TEST_F(Processor, ParameterMarkersAtTheEdges) {
  prompt.answers = {"v", "Z"};
  processor.ExpandAndSend("a[b[c]d]e", "");
  processor.ExpandAndSend("x[open", "");
  EXPECT_EQ(Sent(), (Writes{"abvd]e\r\n", "xopen\r\n"}));

  // Equal markers: each one stands for the value of the empty name.
  target.options.paramstart = target.options.paramend = "%";
  processor.ExpandAndSend("1%2%3", "");
  EXPECT_EQ(prompt.asked, (Writes{"c", ""}));
  EXPECT_EQ(Sent(), (Writes{"1Z2Z3\r\n"}));

  target.options.paramstart = "";
  processor.ExpandAndSend("kill [1]", "");
  EXPECT_EQ(Sent(), (Writes{"kill [1]\r\n"}));
}

TEST_F(Processor, Speedwalk) {
  target.options.localecho = true;
  AddAlias("/3n2e", {"never"});
  processor.SendCommand("/3n2e", true);
  EXPECT_EQ(Sent(), (Writes{"n\r\n", "n\r\n", "n\r\n", "e\r\n", "e\r\n"}));
  EXPECT_TRUE(target.echoes.empty());

  processor.SendCommand("/nw|/0n|/12|/99999999999u|/2 ", true);
  EXPECT_EQ(Sent(), (Writes{"n\r\n", "w\r\n", "u\r\n", " \r\n", " \r\n"}));
}

TEST_F(Processor, SendLinesAndTheConnection) {
  target.options.stdpasteprefix = "say ";
  processor.SendLines("look\r\nget all\r\n", true, true);
  EXPECT_EQ(Sent(), (Writes{"say look\r\n", "say get all\r\n", "\r\n"}));
  processor.SendLines("one\rxtwo", true, true);  // the byte after a CR is skipped
  EXPECT_EQ(Sent(), (Writes{"say one\r\n", "two\r\n"}));

  target.connected = false;
  target.options.localecho = true;
  AddAlias("k", {"kill [1]"});
  processor.SendCommand("k", true);
  processor.SendCommand("n", false);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(prompt.asked, (Writes{"1"}));
  EXPECT_EQ(target.echoes, (Writes{"n\r\n"}));
}

TEST_F(Processor, TelnetDoublesByte255InEverySendPath) {
  EXPECT_EQ(EscapeIAC("a\xFF"
                      "b\xFF\xFF",
                      true),
            "a\xFF\xFF"
            "b\xFF\xFF\xFF\xFF");
  EXPECT_EQ(EscapeIAC("a\xFF", false), "a\xFF");

  target.options.telnet = true;
  target.options.localecho = true;
  AddAlias("k", {"kill [1]"});
  processor.SendCommand("say \xFF|k \xFF|/\xFF", true);
  EXPECT_EQ(Sent(), (Writes{"say \xFF\xFF\r\n", "kill \xFF\xFF\r\n", "\r\n", "\xFF\xFF\r\n"}));
  EXPECT_EQ(target.echoes.front(), "say \xFF\r\n");
  target.options.telnet = false;
  processor.SendCommand("say \xFF", true);
  EXPECT_EQ(Sent(), (Writes{"say \xFF\r\n"}));
}

}  // namespace
}  // namespace ombrel
