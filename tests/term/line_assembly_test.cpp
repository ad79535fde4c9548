#include <gtest/gtest.h>

#include "term_fakes.h"

namespace ombrel {
namespace {

using testing::TermFixture;
using Lines = std::vector<std::string>;

TEST(LineAssembly, TextAcrossReadsJoinsUntilALineEnd) {
  TermFixture f;
  f.term.WriteText("abc", true);
  f.term.WriteText("def", true);
  EXPECT_EQ(f.Lines(), Lines{"abcdef"});
  f.term.WriteText("\r\n", true);
  EXPECT_EQ(f.Lines(), (Lines{"abcdef", ""}));
}

TEST(LineAssembly, LineEndPairs) {
  {
    TermFixture f;
    f.term.WriteText("a\r\n\r\nb", true);
    EXPECT_EQ(f.Lines(), (Lines{"a", "", "b"}));
  }
  {
    TermFixture f;
    f.term.WriteText("a\n\rb", true);
    EXPECT_EQ(f.Lines(), (Lines{"a", "b"}));
  }
  {
    TermFixture f;
    f.term.WriteText("a\r\rb", true);
    EXPECT_EQ(f.Lines(), (Lines{"a", "", "b"}));
  }
  {
    TermFixture f;
    f.term.WriteText("a\n\nb", true);
    EXPECT_EQ(f.Lines(), (Lines{"a", "", "b"}));
  }
}

TEST(LineAssembly, BackspacesEraseAcrossReadsAndDropAtTheStart) {
  TermFixture f;
  f.term.WriteText("ab\bc", true);
  EXPECT_EQ(f.Current(), "ac");
  f.term.WriteText("\b\bx", true);
  EXPECT_EQ(f.Current(), "x");

  TermFixture g;
  g.term.WriteText("\b\bz", true);
  EXPECT_EQ(g.Current(), "z");
}

TEST(LineAssembly, WrapsAtBreakCharactersKeepingThemOnTheEndedLine) {
  TermFixture f;
  f.term.cols = 10;
  f.term.WriteText("hello world again", true);
  EXPECT_EQ(f.Lines(), (Lines{"hello ", "world ", "again"}));

  TermFixture g;
  g.term.cols = 10;
  g.term.WriteText("abcdefghijklmnopqrstuvwxy", true);
  EXPECT_EQ(g.Lines(), (Lines{"abcdefghij", "klmnopqrst", "uvwxy"}));
}

TEST(LineAssembly, MarginStartsEveryLineAndCountsTowardTheWidth) {
  TermFixture f;
  f.options.margin = "  ";
  f.term.ClearTerminal();
  f.term.cols = 10;
  f.term.WriteText("abcdefghijklmnopqrst\r\nxy", true);
  EXPECT_EQ(f.Lines(), (Lines{"  abcdefgh", "  ijklmnop", "  qrst", "  xy"}));
  for (const auto& line : f.Lines()) EXPECT_LE(line.size(), 10u);
}

TEST(LineAssembly, EscapeSequencesTakeNoCellsAndMayStartAWrappedLine) {
  TermFixture f;
  f.options.ansi = true;
  f.term.cols = 5;
  f.term.WriteText("abc\x1b[31mdefgh", true);
  // The break falls right before the sequence, which moves with "def".
  EXPECT_EQ(f.Lines(), (Lines{"abc", "\x1b[31mdefgh"}));

  TermFixture g;
  g.options.ansi = true;
  g.term.cols = 5;
  g.term.WriteText("\x1b[1;32mabcde", true);
  EXPECT_EQ(g.Lines(), Lines{"\x1b[1;32mabcde"});
}

TEST(LineAssembly, ControlCharactersEachTakeACell) {
  TermFixture f;
  f.term.cols = 4;
  f.term.WriteText("a\tb\x07" "cd", true);
  EXPECT_EQ(f.Lines(), (Lines{"a\tb\x07", "cd"}));
}

TEST(LineAssembly, AKeptNonColourSequenceEndsAtItsFinalCharacter) {
  TermFixture f;
  f.options.ansi = true;
  f.term.WriteText("x\x1b[Kab\r\ncd", true);
  EXPECT_EQ(f.Lines(), (Lines{"x\x1b[Kab", "cd"}));
}

TEST(LineStore, GrowsBy500AndNeverDrops) {
  TermFixture f;
  EXPECT_EQ(f.term.Store().buf.size(), 50u);
  std::string block;
  for (int i = 0; i < 50; ++i) block += std::to_string(i) + "\r\n";
  f.term.WriteText(block, true);
  EXPECT_EQ(f.term.curline(), 50);
  EXPECT_EQ(f.term.Store().buf.size(), 550u);
  std::string more;
  for (int i = 50; i < 3000; ++i) more += std::to_string(i) + "\r\n";
  f.term.WriteText(more, true);
  ASSERT_EQ(f.term.curline(), 3000);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(f.term.Store().Line(i).text, std::to_string(i));
}

TEST(LineStore, ClearLeavesOneMarginLineAndKeepsTheCarriedColour) {
  TermFixture f;
  f.options.ansi = true;
  f.options.margin = " ";
  int cleared = 0;
  f.term.Events().cleared = [&](TermCore&) { ++cleared; };
  std::string block = "\x1b[33m";
  for (int i = 0; i < 10000; ++i) block += "line\r\n";
  f.term.WriteText(block, true);
  f.term.ClearTerminal();
  EXPECT_EQ(f.term.curline(), 0);
  EXPECT_EQ(f.term.Store().buf.size(), 50u);
  EXPECT_EQ(f.Current(), " ");
  EXPECT_EQ(cleared, 1);
  f.term.WriteText("after\r\n", true);
  EXPECT_EQ(f.term.Store().Current().startcolor, 33);
}

TEST(UnseenMark, SetWhileInactiveClearedWhenActiveAndTabsRebuiltOnChange) {
  TermFixture f;
  bool active = false;
  int rebuilt = 0;
  f.term.Events().isActive = [&](const TermCore&) { return active; };
  f.term.Events().tabsChanged = [&](TermCore&) { ++rebuilt; };
  f.term.WriteText("one", true);
  f.term.WriteText("two", true);
  EXPECT_EQ(f.term.unseen, 1);
  EXPECT_EQ(rebuilt, 1);
  active = true;
  f.term.WriteText("three", true);
  EXPECT_EQ(f.term.unseen, 0);
  EXPECT_EQ(rebuilt, 2);
}

}  // namespace
}  // namespace ombrel

namespace ombrel {
namespace {

TEST(LineAssembly, ALineEndPairCutByTheEndOfAReadEndsOneLine) {
  testing::TermFixture f;
  f.term.WriteText("a\r", true);
  f.term.WriteText("\nb\n", true);
  f.term.WriteText("\rc\r", true);
  f.term.WriteText("\rd", true);
  EXPECT_EQ(f.Lines(), (std::vector<std::string>{"a", "b", "c", "", "d"}));
}

}  // namespace
}  // namespace ombrel
