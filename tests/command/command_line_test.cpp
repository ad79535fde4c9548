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
  target.connected = false;
  line.ReturnPressed("lost");
  EXPECT_EQ(target.sends, (Writes{"\r\n"}));
  EXPECT_EQ(line.HistoryPrev(), "");

  target.connected = true;
  target.options.aliases.push_back(TAlias{"k", {"kill [1]"}});
  line.ReturnPressed("k orc");
  EXPECT_EQ(line.HistoryPrev(), "k orc");  // kept as typed
}

TEST(CommandHistory, WalkAndLimit) {
  CommandHistory history;
  EXPECT_EQ(history.HistoryPrev(), "");
  for (const char* text : {"a", "b", "c"}) history.HistoryAdd(text, 50);
  EXPECT_EQ(history.HistoryPrev(), "c");
  EXPECT_EQ(history.HistoryPrev(), "b");
  EXPECT_EQ(history.HistoryNext(), "c");
  EXPECT_EQ(history.HistoryNext(), "");
  EXPECT_EQ(history.HistoryNext(), "");
  EXPECT_EQ(history.HistoryPrev(), "c");

  // The limit is compared with the last index: 51 entries with 50.
  for (int k = 4; k <= 52; ++k) history.HistoryAdd(std::to_string(k), 50);
  EXPECT_EQ(history.Count(), 51);
  std::string oldest;
  for (int k = 0; k < 60; ++k) oldest = history.HistoryPrev();
  EXPECT_EQ(oldest, "b");

  CommandHistory negative;
  negative.HistoryAdd("x", -3);
  negative.HistoryAdd("y", -3);
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
  const std::pair<int, char> pad[] = {{104, 'n'}, {98, 's'}, {100, 'w'}, {102, 'e'}, {101, 'l'}};
  for (auto [key, direction] : pad) {
    EXPECT_EQ(MapKey(key, kModCtrl | kModShift).direction, direction) << key;
    EXPECT_EQ(MapKey(key, kModNone).action, KeyAction::kNone) << key;
  }
  EXPECT_EQ(MapKey(KeyCode::kNumpad9, kModCtrl).action, KeyAction::kNone);
}

TEST_F(CommandLineTest, KeysScrollWalkSendAndRunMacros) {
  line.ReturnPressed("look");
  EXPECT_EQ(line.KeyDown(38, kModCtrl), std::nullopt);
  EXPECT_EQ(line.KeyDown(38, kModShift), std::optional<std::string>("look"));
  line.KeyDown(33, kModNone);
  line.KeyDown(36, kModCtrl);
  EXPECT_EQ(target.scrolls, (std::vector<int>{-1, -25, -300}));

  // A keypad direction: no alias, echoed, not kept.
  target.options.localecho = true;
  target.options.aliases.push_back(TAlias{"n", {"never"}});
  target.options.macros[0].text = {"wield [1]"};
  prompt.answers = {"sword"};
  line.KeyDown(104, kModCtrl);
  line.KeyDown(49, kModCtrl | kModShift);
  line.KeyDown(49, kModCtrl);
  line.KeyDown(57, kModCtrl);  // an empty macro
  EXPECT_EQ(target.sends, (Writes{"look\r\n", "n\r\n", "wield sword\r\n", "\r\n", "\r\n"}));
  EXPECT_EQ(target.echoes.front(), "n\r\n");
  EXPECT_EQ(line.HistoryPrev(), "look");

  // Disconnected: nothing is sent, the echo is still written.
  target.connected = false;
  line.KeyDown(98, kModCtrl);
  EXPECT_EQ(target.sends.size(), 5u);
  EXPECT_EQ(target.echoes.back(), "s\r\n");
}

TEST_F(CommandLineTest, Paste) {
  target.options.stdpasteprefix = "say ";
  target.options.aliases.push_back(TAlias{"say", {"emote [all]"}});
  line.PasteCommands("waves\r\nsmiles");
  EXPECT_EQ(target.sends, (Writes{"emote waves\r\n", "\r\n", "smiles\r\n"}));

  target.options.altpasteprefix = "(";
  target.options.altpastesuffix = ")";
  EXPECT_EQ(line.PasteLineText("  first one \r\n\tsecond  ", true), "(first one) (second)");
  EXPECT_EQ(line.PasteLineText("a\r\n\r\nb\r\n", false), "a  b ");
}

}  // namespace
}  // namespace ombrel
