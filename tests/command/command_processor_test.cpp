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

  RecordingTarget target;
  ScriptedPrompt prompt;
  CommandProcessor processor{target, prompt};
};

TEST_F(Processor, SplitsAtTheSeparatorAndEchoesEachCommand) {
  target.options.localecho = true;
  processor.SendCommand("n|e|s", true);
  EXPECT_EQ(target.sends, (Writes{"n\r\n", "e\r\n", "s\r\n"}));
  EXPECT_EQ(target.echoes, (Writes{"n\r\n", "e\r\n", "s\r\n"}));

  target.sends.clear();
  processor.SendCommand("|", true);
  EXPECT_EQ(target.sends, (Writes{"\r\n", "\r\n"}));

  // Another separator, and none at all.
  target.sends.clear();
  target.options.pipechar = ";";
  processor.SendCommand("a|b;c", true);
  EXPECT_EQ(target.sends, (Writes{"a|b\r\n", "c\r\n"}));
  target.sends.clear();
  target.options.pipechar = "";
  processor.SendCommand("a|b;c", true);
  EXPECT_EQ(target.sends, (Writes{"a|b;c\r\n"}));
}

TEST_F(Processor, EchoRuleWithoutLocalEcho) {
  processor.SendCommand("", true);
  EXPECT_EQ(target.sends, (Writes{"\r\n"}));
  EXPECT_TRUE(target.echoes.empty());

  // A prompt on the current line: the answer starts on a fresh line.
  target.currentLine = "> ";
  processor.SendCommand("look", true);
  EXPECT_EQ(target.echoes, (Writes{"\r\n"}));
}

TEST_F(Processor, AliasWithNumberedParameter) {
  AddAlias("k", {"kill [1]"});
  processor.SendCommand("k orc", true);
  EXPECT_EQ(target.sends, (Writes{"kill orc\r\n", "\r\n"}));
  EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(Processor, AllJoinsTheParametersWithSingleSpaces) {
  AddAlias("s", {"say [all]"});
  processor.SendCommand("s   x     y", true);
  EXPECT_EQ(target.sends, (Writes{"say x y\r\n", "\r\n"}));

  // Parameter names are looked up in lower case.
  target.sends.clear();
  AddAlias("t", {"tell [All]"});
  processor.SendCommand("t bob hi", true);
  EXPECT_EQ(target.sends, (Writes{"tell bob hi\r\n", "\r\n"}));
}

TEST_F(Processor, MissingParametersAreAskedOncePerExpansion) {
  AddAlias("k", {"kill [2]"});
  prompt.answers = {"troll"};
  processor.SendCommand("k orc", true);
  EXPECT_EQ(prompt.asked, (Writes{"2"}));
  EXPECT_EQ(target.sends, (Writes{"kill troll\r\n", "\r\n"}));

  target.sends.clear();
  prompt.asked.clear();
  prompt.answers = {"cake"};
  processor.ExpandAndSend("[T] and [t]\r\n", "");
  EXPECT_EQ(prompt.asked, (Writes{"t"}));
  EXPECT_EQ(target.sends, (Writes{"cake and cake\r\n", "\r\n"}));

  // Each expansion starts with an empty table; an empty answer is a space.
  target.sends.clear();
  prompt.asked.clear();
  processor.ExpandAndSend("<[t]>", "");
  EXPECT_EQ(prompt.asked, (Writes{"t"}));
  EXPECT_EQ(target.sends, (Writes{"< >\r\n"}));
}

TEST_F(Processor, ParameterBracketsAtTheEdges) {
  prompt.answers = {"v", "w"};
  // A second start inside an open name begins a new one, the text between
  // the two staying as plain text; a stray end stays.
  processor.ExpandAndSend("a[b[c]d]e", "");
  EXPECT_EQ(prompt.asked, (Writes{"c"}));
  // An unclosed name is copied without its start character.
  processor.ExpandAndSend("x[open", "");
  EXPECT_EQ(target.sends, (Writes{"abvd]e\r\n", "xopen\r\n"}));

  // Equal start and end: every occurrence is the value of the empty name.
  target.sends.clear();
  prompt.asked.clear();
  prompt.answers = {"Z"};
  target.options.paramstart = "%";
  target.options.paramend = "%";
  processor.ExpandAndSend("1%2%3", "");
  EXPECT_EQ(prompt.asked, (Writes{""}));
  EXPECT_EQ(target.sends, (Writes{"1Z2Z3\r\n"}));

  // No start character: brackets go out as they stand.
  target.sends.clear();
  target.options.paramstart = "";
  target.options.paramend = "]";
  processor.ExpandAndSend("kill [1]", "");
  EXPECT_EQ(target.sends, (Writes{"kill [1]\r\n"}));
}

TEST_F(Processor, AliasMatchingIsExactAndNotRecursive) {
  AddAlias("k", {"kill orc"});
  AddAlias("kill", {"never"});
  processor.SendCommand("K", true);
  EXPECT_EQ(target.sends, (Writes{"K\r\n"}));

  // Without expansion the alias name goes out as typed.
  target.sends.clear();
  processor.SendCommand("k", false);
  EXPECT_EQ(target.sends, (Writes{"k\r\n"}));

  // The expansion is not itself expanded, but separators in it still cut.
  target.sends.clear();
  AddAlias("two", {"k|kill"});
  processor.SendCommand("two", true);
  EXPECT_EQ(target.sends, (Writes{"k\r\n", "kill\r\n", "\r\n"}));

  // The first alias of a name wins.
  target.sends.clear();
  AddAlias("k", {"second"});
  processor.SendCommand("k", true);
  EXPECT_EQ(target.sends, (Writes{"kill orc\r\n", "\r\n"}));
}

TEST_F(Processor, SpeedwalkSendsEachStepAloneAndEchoesNothing) {
  target.options.localecho = true;
  AddAlias("/3n2e", {"never"});
  processor.SendCommand("/3n2e", true);
  EXPECT_EQ(target.sends, (Writes{"n\r\n", "n\r\n", "n\r\n", "e\r\n", "e\r\n"}));
  EXPECT_TRUE(target.echoes.empty());

  target.sends.clear();
  processor.SendCommand("/nw|/0n|/12|/10s", true);
  Writes expected = {"n\r\n", "w\r\n"};
  expected.insert(expected.end(), 10, "s\r\n");
  EXPECT_EQ(target.sends, expected);

  // A count beyond the 32-bit range means once; other path characters work.
  target.sends.clear();
  target.options.pathchar = "#";
  processor.SendCommand("#99999999999u|/n", true);
  EXPECT_EQ(target.sends, (Writes{"u\r\n", "/n\r\n"}));

  // Spaces and punctuation are directions as well.
  target.sends.clear();
  processor.SendCommand("#2 .", true);
  EXPECT_EQ(target.sends, (Writes{" \r\n", " \r\n", ".\r\n"}));
}

TEST_F(Processor, SendLinesWrapsOnlyLinesEndedByCr) {
  target.options.stdpasteprefix = "say ";
  target.options.stdpastesuffix = "!";
  processor.SendLines("look\r\nget all\r\n", true, true);
  EXPECT_EQ(target.sends, (Writes{"say look!\r\n", "say get all!\r\n", "\r\n"}));

  target.sends.clear();
  processor.SendLines("one line", true, true);
  EXPECT_EQ(target.sends, (Writes{"one line\r\n"}));

  // A CR alone ends a line too; the byte after it is skipped unseen.
  target.sends.clear();
  processor.SendLines("a\rxb\r", false, false);
  EXPECT_EQ(target.sends, (Writes{"a\r\n", "b\r\n", "\r\n"}));

  // Aliases expand on every line when asked to.
  target.sends.clear();
  AddAlias("k", {"kill [1]"});
  processor.SendLines("k orc\r\nk rat", false, true);
  EXPECT_EQ(target.sends, (Writes{"kill orc\r\n", "\r\n", "kill rat\r\n", "\r\n"}));
}

TEST_F(Processor, NothingGoesOutWhileDisconnected) {
  target.connected = false;
  AddAlias("k", {"kill [1]"});
  processor.SendLines("look\r\n", false, false);
  processor.SendCommand("k", true);
  EXPECT_TRUE(target.sends.empty());
  EXPECT_EQ(prompt.asked, (Writes{"1"}));  // asked before the send is dropped

  // A plain command still echoes.
  target.options.localecho = true;
  processor.SendCommand("n", false);
  EXPECT_TRUE(target.sends.empty());
  EXPECT_EQ(target.echoes, (Writes{"n\r\n"}));

  // Without an option set nothing happens at all.
  target.connected = true;
  target.hasOptions = false;
  processor.SendCommand("n", true);
  processor.SendLines("a\r\nb", true, true);
  EXPECT_TRUE(target.sends.empty());
}

TEST(EscapeIAC, DoublesByte255OnlyOnTelnetConnections) {
  EXPECT_EQ(EscapeIAC("a\xFF"
                      "b\xFF\xFF",
                      true),
            "a\xFF\xFF"
            "b\xFF\xFF\xFF\xFF");
  EXPECT_EQ(EscapeIAC("a\xFF"
                      "b",
                      false),
            "a\xFF"
            "b");
  EXPECT_EQ(EscapeIAC("", true), "");
  EXPECT_EQ(EscapeIAC("\xFE\xFD", true), "\xFE\xFD");
}

TEST_F(Processor, EverySendPathEscapesByte255OnTelnet) {
  target.options.telnet = true;
  target.options.localecho = true;
  AddAlias("k", {"kill [1]"});
  processor.SendCommand(
      "say \xFF|k \xFF"
      "a|/\xFF",
      true);
  processor.SendLines("p\xFF\r\n", false, false);
  EXPECT_EQ(target.sends, (Writes{"say \xFF\xFF\r\n",
                                  "kill \xFF\xFF"
                                  "a\r\n",
                                  "\r\n", "\xFF\xFF\r\n", "p\xFF\xFF\r\n", "\r\n"}));
  // The terminal shows the byte once.
  EXPECT_EQ(target.echoes.front(), "say \xFF\r\n");

  target.sends.clear();
  target.options.telnet = false;
  processor.SendCommand("say \xFF", true);
  EXPECT_EQ(target.sends, (Writes{"say \xFF\r\n"}));
}

}  // namespace
}  // namespace ombrel
