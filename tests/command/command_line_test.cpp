#include "command/command_line.h"

#include <gtest/gtest.h>

#include "command/history.h"
#include "command/key_map.h"
#include "fake_target.h"

namespace ombrel {
namespace {

class CommandLineTest : public ::testing::Test {
 protected:
  RecordingTarget target;
  ScriptedPrompt prompt;
  CommandLine line{target, target, prompt};
};

TEST_F(CommandLineTest, EnterSendsAndKeepsOnlyWhatWasSent) {
  line.ReturnPressed("");
  EXPECT_EQ(target.sends, (Writes{"\r\n"}));
  EXPECT_EQ(line.HistoryPrev(), "");

  target.connected = false;
  line.ReturnPressed("lost");
  EXPECT_EQ(line.HistoryPrev(), "");
  EXPECT_EQ(target.sends.size(), 1u);

  // Aliases expand on Enter; the history keeps the line as typed.
  target.connected = true;
  target.options.aliases.push_back(TAlias{"k", {"kill [1]"}});
  line.ReturnPressed("k orc");
  EXPECT_EQ(target.sends, (Writes{"\r\n", "kill orc\r\n", "\r\n"}));
  EXPECT_EQ(line.HistoryPrev(), "k orc");
}

TEST(CommandHistory, WalkUpAndDown) {
  CommandHistory history;
  EXPECT_EQ(history.HistoryPrev(), "");
  EXPECT_EQ(history.HistoryNext(), "");
  for (const char* text : {"a", "b", "c"}) history.HistoryAdd(text, 50);
  EXPECT_EQ(history.HistoryPrev(), "c");
  EXPECT_EQ(history.HistoryPrev(), "b");
  EXPECT_EQ(history.HistoryNext(), "c");
  EXPECT_EQ(history.HistoryNext(), "");
  EXPECT_EQ(history.HistoryNext(), "");
  EXPECT_EQ(history.HistoryPrev(), "c");
  // Up stops at the oldest entry.
  history.HistoryPrev();
  EXPECT_EQ(history.HistoryPrev(), "a");
  EXPECT_EQ(history.HistoryPrev(), "a");
  // A new line puts the position back just past the newest.
  history.HistoryAdd("a", 50);
  EXPECT_EQ(history.HistoryNext(), "");
  EXPECT_EQ(history.HistoryPrev(), "a");
  EXPECT_EQ(history.HistoryPrev(), "c");
  EXPECT_EQ(history.Count(), 4);
}

TEST(CommandHistory, LimitComparesWithTheLastIndex) {
  CommandHistory history;
  for (int k = 1; k <= 51; ++k) history.HistoryAdd("line " + std::to_string(k), 50);
  EXPECT_EQ(history.Count(), 51);
  history.HistoryAdd("line 52", 50);
  EXPECT_EQ(history.Count(), 51);
  EXPECT_EQ(history.HistoryPrev(), "line 52");
  std::string oldest;
  for (int k = 0; k < 60; ++k) oldest = history.HistoryPrev();
  EXPECT_EQ(oldest, "line 2");

  // Limits of zero and below keep just the newest line.
  CommandHistory tiny;
  tiny.HistoryAdd("x", -3);
  tiny.HistoryAdd("y", -3);
  EXPECT_EQ(tiny.Count(), 1);
  EXPECT_EQ(tiny.HistoryPrev(), "y");
}

TEST(KeyMap, ModifierRules) {
  EXPECT_EQ(MapKey(KeyCode::kPageUp, kModNone).action, KeyAction::kScrollPageUp);
  EXPECT_EQ(MapKey(KeyCode::kPageDown, kModShift | kModAlt).action, KeyAction::kScrollPageDown);

  // Ctrl alone.
  EXPECT_EQ(MapKey(KeyCode::kHome, kModCtrl).action, KeyAction::kScrollToStart);
  EXPECT_EQ(MapKey(KeyCode::kEnd, kModCtrl).action, KeyAction::kScrollToEnd);
  EXPECT_EQ(MapKey(KeyCode::kHome, kModCtrl | kModShift).action, KeyAction::kNone);
  EXPECT_EQ(MapKey(KeyCode::kEnd, kModNone).action, KeyAction::kNone);
  KeyCommand macro = MapKey(KeyCode::kDigit1, kModCtrl);
  EXPECT_EQ(macro.action, KeyAction::kRunMacro);
  EXPECT_EQ(macro.macro, 1);
  EXPECT_EQ(MapKey(57, kModCtrl).macro, 9);
  EXPECT_EQ(MapKey(KeyCode::kDigit1, kModCtrl | kModShift).action, KeyAction::kNone);
  EXPECT_EQ(MapKey(KeyCode::kDigit1, kModCtrl | kModAlt).action, KeyAction::kNone);
  EXPECT_EQ(MapKey(48, kModCtrl).action, KeyAction::kNone);

  // With Ctrl.
  EXPECT_EQ(MapKey(KeyCode::kUp, kModCtrl | kModShift).action, KeyAction::kScrollLineUp);
  EXPECT_EQ(MapKey(KeyCode::kUp, kModShift).action, KeyAction::kHistoryPrev);
  EXPECT_EQ(MapKey(KeyCode::kDown, kModCtrl).action, KeyAction::kScrollLineDown);
  EXPECT_EQ(MapKey(KeyCode::kDown, kModAlt).action, KeyAction::kHistoryNext);
  const std::pair<int, char> pad[] = {{104, 'n'}, {98, 's'}, {100, 'w'}, {102, 'e'}, {101, 'l'}};
  for (auto [key, direction] : pad) {
    KeyCommand c = MapKey(key, kModCtrl | kModShift);
    EXPECT_EQ(c.action, KeyAction::kSendDirection) << key;
    EXPECT_EQ(c.direction, direction) << key;
    EXPECT_EQ(MapKey(key, kModNone).action, KeyAction::kNone) << key;
  }
  EXPECT_EQ(MapKey(KeyCode::kNumpad9, kModCtrl).action, KeyAction::kNone);
  EXPECT_EQ(MapKey(KeyCode::kNumpad0, kModCtrl).action, KeyAction::kNone);
}

TEST_F(CommandLineTest, KeysScrollWalkHistorySendAndRunMacros) {
  line.ReturnPressed("look");
  // Ctrl+Up scrolls and leaves the command line alone; Shift+Up walks.
  EXPECT_EQ(line.KeyDown(38, kModCtrl), std::nullopt);
  EXPECT_EQ(line.KeyDown(38, kModShift), std::optional<std::string>("look"));
  line.KeyDown(33, kModNone);
  line.KeyDown(36, kModCtrl);
  line.KeyDown(35, kModCtrl);
  EXPECT_EQ(target.scrolls, (std::vector<int>{-1, -25, -300, 300}));

  // A keypad direction is echoed like any command but not kept.
  target.sends.clear();
  target.options.localecho = true;
  target.options.aliases.push_back(TAlias{"n", {"never"}});
  line.KeyDown(104, kModCtrl);
  EXPECT_EQ(target.sends, (Writes{"n\r\n"}));
  EXPECT_EQ(target.echoes, (Writes{"n\r\n"}));
  EXPECT_EQ(line.HistoryPrev(), "look");

  // Ctrl+1 runs macro 1; Ctrl+Shift+1 does not.
  target.sends.clear();
  target.options.macros[0].text = {"wield [1]", "kill"};
  prompt.answers = {"sword"};
  EXPECT_EQ(line.KeyDown(49, kModCtrl | kModShift), std::nullopt);
  EXPECT_TRUE(target.sends.empty());
  line.KeyDown(49, kModCtrl);
  EXPECT_EQ(prompt.asked, (Writes{"1"}));
  EXPECT_EQ(target.sends, (Writes{"wield sword\r\n", "kill\r\n", "\r\n"}));

  // An empty macro sends one empty line.
  target.sends.clear();
  line.KeyDown(57, kModCtrl);
  EXPECT_EQ(target.sends, (Writes{"\r\n"}));
  EXPECT_EQ(line.HistoryPrev(), "look");
}

TEST_F(CommandLineTest, DirectionWhileDisconnectedStillEchoes) {
  target.connected = false;
  target.options.localecho = true;
  line.KeyDown(98, kModCtrl);
  EXPECT_TRUE(target.sends.empty());
  EXPECT_EQ(target.echoes, (Writes{"s\r\n"}));
}

TEST_F(CommandLineTest, PasteAsCommands) {
  target.options.stdpasteprefix = "say ";
  line.PasteCommands("look\r\nget all\r\n");
  EXPECT_EQ(target.sends, (Writes{"say look\r\n", "say get all\r\n", "\r\n"}));

  // The prefix is part of the line the aliases see.
  target.sends.clear();
  target.options.aliases.push_back(TAlias{"say", {"emote [all]"}});
  target.options.aliases.push_back(TAlias{"k", {"kill [1]"}});
  line.PasteCommands("waves\r\n");
  EXPECT_EQ(target.sends, (Writes{"emote waves\r\n", "\r\n", "\r\n"}));

  target.sends.clear();
  line.PasteCommands("k orc");
  EXPECT_EQ(target.sends, (Writes{"kill orc\r\n", "\r\n"}));
  EXPECT_EQ(line.HistoryPrev(), "");

  target.sends.clear();
  target.connected = false;
  line.PasteCommands("look\r\n");
  EXPECT_TRUE(target.sends.empty());
}

TEST_F(CommandLineTest, PasteLineText) {
  target.options.altpasteprefix = "(";
  target.options.altpastesuffix = ")";
  EXPECT_EQ(line.PasteLineText("  first one \r\n\tsecond  ", true), "(first one) (second)");
  EXPECT_EQ(line.PasteLineText("  first one \r\n\tsecond  ", false), "first one second");
  EXPECT_EQ(line.PasteLineText("a\r\n\r\nb\r\n", true), "(a) () (b) ()");
  EXPECT_EQ(line.PasteLineText("a\r\n\r\nb\r\n", false), "a  b ");
  EXPECT_EQ(line.PasteLineText("", true), "()");
}

}  // namespace
}  // namespace ombrel
