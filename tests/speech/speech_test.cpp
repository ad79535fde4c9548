#include <gtest/gtest.h>

#include <filesystem>

#include "file_fixture.h"
#include "speech/speech_chooser.h"
#include "speech/speech_settings.h"

namespace ombrel {
namespace {

// Everything the chooser would say now, in order.
std::vector<std::string> Drain(SpeechChooser& chooser) {
  std::vector<std::string> said;
  while (std::optional<std::string> text = chooser.Next()) said.push_back(*text);
  return said;
}

using Said = std::vector<std::string>;

// What is spoken of single lines: colours out, blank lines and lines a
// pattern matches never, whatever the pattern's place in the line.
TEST(SpeechChooser, SpeaksLinesWithoutColoursUnlessBlankOrNeverSpoken) {
  struct Row {
    std::string line;
    Said said;
  };
  const Row rows[] = {
      {"\x1b[1;31mThe orc\x1b[0m hits you.", {"The orc hits you."}},
      {"\x1b[38;5;196mred\x1b[0m", {"red"}},
      {"   \t", {}},
      {"\x1b[32m\x1b[0m", {}},
      {"[OOC] Bob: hi", {}},
      {"HP:120 MP:40>", {}},
      {"You have 120 gold.", {"You have 120 gold."}},
      {"\x1b[33m[OOC]\x1b[0m coloured too", {}},
  };
  for (const Row& row : rows) {
    SpeechChooser chooser({"^\\[OOC\\]", "^HP:\\d+"});
    chooser.Offer(row.line, true, 0);
    EXPECT_EQ(Drain(chooser), row.said) << row.line;
  }
}

TEST(SpeechChooser, InvalidPatternsAreToldAndTheRestStillFilter) {
  SpeechChooser chooser({"(unclosed", "spam", "[z-a]"});
  EXPECT_EQ(chooser.Invalid(), (Said{"(unclosed", "[z-a]"}));
  chooser.Offer("spam spam", false, 0);
  chooser.Offer("(unclosed", false, 0);
  EXPECT_EQ(Drain(chooser), Said{"(unclosed"});
}

// A flood: the first lines of the window spoken, the rest told as one
// count when the window is over; a single held line is itself. Lines
// never spoken do not count.
TEST(SpeechChooser, AFloodIsCoalescedAsTheReaderDoes) {
  SpeechChooser chooser({"^tick"});
  for (int i = 0; i < 10; ++i) chooser.Offer("line " + std::to_string(i), false, 100 + i);
  for (int i = 0; i < 50; ++i) chooser.Offer("tick", false, 200);
  EXPECT_EQ(Drain(chooser), (Said{"line 0", "line 1", "line 2", "line 3"}));
  EXPECT_EQ(chooser.SummaryDue(), 2100);
  chooser.TakeHeld(2099);
  EXPECT_TRUE(Drain(chooser).empty());
  chooser.TakeHeld(2100);
  EXPECT_EQ(Drain(chooser), Said{"6 more lines"});

  for (int i = 0; i < 5; ++i) chooser.Offer("again " + std::to_string(i), false, 3000);
  chooser.TakeHeld(5000);
  EXPECT_EQ(Drain(chooser), (Said{"again 0", "again 1", "again 2", "again 3", "again 4"}));
}

// The voice is slower than the text: no more than a few texts wait, and
// what found the queue full is told as a count after them.
TEST(SpeechChooser, WaitingTextsAreBoundedAndSilenceDropsEverything) {
  SpeechChooser chooser({}, 2);
  int64_t now = 0;
  for (int i = 0; i < 5; ++i, now += 3000) chooser.Offer("slow " + std::to_string(i), false, now);
  EXPECT_EQ(Drain(chooser), (Said{"slow 0", "slow 1", "3 more lines"}));

  for (int i = 0; i < 9; ++i) chooser.Offer("burst", false, now);
  chooser.Silence();
  EXPECT_TRUE(Drain(chooser).empty());
  EXPECT_EQ(chooser.SummaryDue(), -1);
  chooser.Offer("after", false, now + 1);  // a new window: spoken at once
  EXPECT_EQ(Drain(chooser), Said{"after"});
}

// speech.dat: defaults write nothing; values and unknown lines go back
// out as they came; a rate out of range is brought into it.
TEST(SpeechSettings, RoundTripKeepsUnknownsAndClampsTheRate) {
  EXPECT_EQ(FormatSpeechSettings(SpeechSettings()), "");
  const std::string file = "#rate\t-3\r\n#voice\tEnglish (Scotland)\r\n#never\t^\\[OOC\\]\r\n#never\ta\tb\r\n#later\t1\r\n";
  const SpeechSettings s = ParseSpeechSettings(file);
  EXPECT_EQ(s, (SpeechSettings{-3, "English (Scotland)", {"^\\[OOC\\]", "a\tb"}, {"#later\t1"}}));
  EXPECT_EQ(FormatSpeechSettings(s), file);
  EXPECT_EQ(ParseSpeechSettings("#rate\t99\r\n").rate, 10);
  EXPECT_EQ(ParseSpeechSettings("#rate\t-99\r\n").rate, -10);
  EXPECT_EQ(ParseSpeechSettings("#rate\tfast\r\n").rate, 0);
}

TEST(SpeechSettings, MissingFileIsNotCreatedAndAnUnreadableOneNotWrittenOver) {
  test::TempDir dir;
  SpeechSettings s;
  EXPECT_TRUE(LoadSpeechSettings(dir / "speech.dat", s).ok);
  EXPECT_TRUE(SaveSpeechSettings(dir / "speech.dat", s).ok);
  EXPECT_FALSE(std::filesystem::exists(dir / "speech.dat"));
  s.rate = 4;
  ASSERT_TRUE(SaveSpeechSettings(dir / "speech.dat", s).ok);
  SpeechSettings back;
  ASSERT_TRUE(LoadSpeechSettings(dir / "speech.dat", back).ok);
  EXPECT_EQ(back.rate, 4);

  // A folder where the file should be cannot be read: never replaced.
  std::filesystem::create_directory(dir / "blocked.dat");
  SpeechSettings blocked;
  EXPECT_FALSE(LoadSpeechSettings(dir / "blocked.dat", blocked).ok);
  blocked.voice = "any";
  const WriteResult r = SaveSpeechSettings(dir / "blocked.dat", blocked);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("not written over"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "blocked.dat"));
}

}  // namespace
}  // namespace ombrel
