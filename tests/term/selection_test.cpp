#include <gtest/gtest.h>

#include "term/term_view.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using testing::FixedMeasure;

// 50 columns by 10 rows; cell (column c, row r) is at x = 8c, y = 16r.
struct SelFixture : testing::TermFixture {
  FixedMeasure measure;
  TermView view{term};
  std::vector<std::string> opened;
  int timerStarts = 0, timerStops = 0;
  bool linkEnabled = false;
  SelFixture() {
    options.ansi = true;
    term.Events().repaint = [this](TermCore&) { view.AfterWrite(); };
    view.events.startDragTimer = [this] { ++timerStarts; };
    view.events.stopDragTimer = [this] { ++timerStops; };
    view.events.openLink = [this](const std::string& u) { opened.push_back(u); };
    view.events.linkActionEnabled = [this](bool on) { linkEnabled = on; };
    view.Layout(measure, 400, 159);
  }
  void Drag(int c1, int r1, int c2, int r2) {
    view.MouseDown(MouseButton::Left, 8 * c1 + 1, 16 * r1 + 1);
    view.MouseMove(8 * c2 + 1, 16 * r2 + 1);
    view.MouseUp(MouseButton::Left, 8 * c2 + 1, 16 * r2 + 1);
  }
};

TEST(PointToPos, StaysInsideTheLinesWhereverThePointerIs) {
  SelFixture f;
  f.term.WriteText("ab\x1b[31mcd\r\nx\r\n", true);
  EXPECT_EQ(f.view.PointToPos(8 * 2 + 3, 1), (TextPos{0, 8}));   // third visible char: c
  EXPECT_EQ(f.view.PointToPos(8 * 40, 1), (TextPos{0, 9}));      // beyond: line length
  EXPECT_EQ(f.view.PointToPos(-500, -900), (TextPos{0, 0}));     // above and left of the view
  EXPECT_EQ(f.view.PointToPos(5, 16 * 9), (TextPos{2, 0}));      // below the last line
  EXPECT_EQ(f.view.PointToPos(90000, 90000), (TextPos{2, 0}));
}

TEST(DragSelection, BackwardsCopiesTheSameAsForwardsAndAClickSelectsNothing) {
  SelFixture f;
  f.term.WriteText("first \x1b[32mline\x1b[0m\r\nsecond line\r\nthird line\r\n", true);
  f.Drag(2, 0, 4, 2);
  const std::string forward = f.view.GetSelectedText();
  EXPECT_EQ(forward, "rst line\r\nsecond line\r\nthird\r\n");
  EXPECT_EQ(f.view.GetSelectedLine(), "rst line second line third");
  f.Drag(4, 2, 2, 0);
  EXPECT_EQ(f.view.GetSelectedText(), forward);
  EXPECT_EQ(f.timerStarts, 2);
  EXPECT_EQ(f.timerStops, 2);

  f.Drag(3, 1, 3, 1);
  EXPECT_FALSE(f.view.HasSelection());
  EXPECT_EQ(f.view.GetSelectedText(), "");

  f.Drag(6, 0, 9, 0);  // a coloured word, copied without its escapes
  EXPECT_EQ(f.view.GetSelectedText(), "line");
}

TEST(DragSelection, HoldingAboveTheViewScrollsThreeLinesATick) {
  SelFixture f;
  for (int i = 0; i < 40; ++i) f.term.WriteText("l" + std::to_string(i) + "\r\n", true);
  const int top = f.view.topline;
  f.view.MouseDown(MouseButton::Left, 4, 40);
  f.view.MouseMove(4, -25);
  f.view.DragScroll();
  EXPECT_EQ(f.view.topline, top - 3);
  // The end follows the pointer, which is above the first visible line.
  EXPECT_LT(f.view.selendline, f.view.topline);
  f.view.MouseMove(4, 159 + 5);
  f.view.DragScroll();
  EXPECT_EQ(f.view.topline, top - 2);
}

TEST(WordSelection, DoubleClickSelectsTheWordBetweenDelimiters) {
  SelFixture f;
  f.term.WriteText("North: room, hall\r\n", true);
  f.view.MouseMove(8 * 8 + 2, 2);  // on the second o of room
  f.view.DblClick();
  EXPECT_EQ(f.view.GetSelectedText(), "room");
  EXPECT_TRUE(f.view.suppressmouse);
  // The button events of the double-click leave the word selected.
  f.view.MouseUp(MouseButton::Left, 0, 0);
  EXPECT_EQ(f.view.GetSelectedText(), "room");
  f.view.MouseMove(6 * 8, 2);  // on the colon's following space
  f.view.DblClick();
  EXPECT_EQ(f.view.GetSelectedText(), "room");
  // A coloured word: the codes around it are neither word nor delimiter.
  f.term.WriteText("North: \x1b[1;31mroom\x1b[0m, hall\r\n", true);
  f.view.MouseMove(8 * 8 + 2, 2 + 16);
  f.view.DblClick();
  EXPECT_EQ(f.view.GetSelectedText(), "room");
  EXPECT_EQ(f.view.selendline, 1);
}

TEST(Copy, SelectAllCoversTheStoreAndClearEndsTheSelection) {
  SelFixture f;
  f.term.WriteText("one\r\ntwo\r\nthree", true);
  f.view.SelectAll();
  EXPECT_EQ(f.view.GetSelectedText(), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(f.view.GetSelectedLine(), "one two three");
  f.view.ClearSelection();
  EXPECT_EQ(f.view.GetSelectedLine(), "");
}

TEST(Find, CaseSelectionRangesAndTheNextMatchRightAfter) {
  SelFixture f;
  for (int i = 0; i < 30; ++i) f.term.WriteText("filler\r\n", true);
  f.term.WriteText("the \x1b[1mhall\x1b[0mHall and hall\r\n", true);
  for (int i = 0; i < 20; ++i) f.term.WriteText("more\r\n", true);
  EXPECT_TRUE(f.view.FindText("Hall", false, false));
  EXPECT_EQ(f.view.GetSelectedText(), "hall");
  EXPECT_EQ(f.view.selstartline, 30);
  EXPECT_EQ(f.view.topline, 25);  // the match in the middle of the view
  EXPECT_FALSE(f.view.follow);
  EXPECT_TRUE(f.view.FindNext());  // right after the previous match
  EXPECT_EQ(f.view.GetSelectedText(), "Hall");
  EXPECT_TRUE(f.view.FindNext());
  EXPECT_EQ(f.view.GetSelectedText(), "hall");
  EXPECT_FALSE(f.view.FindNext());
  EXPECT_EQ(f.view.GetSelectedText(), "hall");  // nothing changes

  EXPECT_FALSE(f.view.FindText("HALL", true, false));
  EXPECT_FALSE(f.view.FindText("", false, false));  // an empty search finds nothing
}

TEST(Find, InSelectionFindsMatchesAtBothEnds) {
  SelFixture f;
  f.term.WriteText("xx abc middle abc yy\r\n", true);
  f.Drag(3, 0, 16, 0);  // "abc middle abc"
  ASSERT_EQ(f.view.GetSelectedText(), "abc middle abc");
  EXPECT_TRUE(f.view.FindText("abc", true, true));
  EXPECT_EQ(f.view.selstartcol, 4);
  EXPECT_TRUE(f.view.FindNext());
  EXPECT_EQ(f.view.selendcol, 17);
  EXPECT_FALSE(f.view.FindNext());
}

TEST(Links, AWrappedLinkIsFoundFromEitherLineAndCopiedWhole) {
  SelFixture f;
  f.term.cols = 20;
  f.term.WriteText("see http://mudhost/area/long/path now\r\n\r\n", true);
  ASSERT_EQ(f.Lines()[0], "see ");
  ASSERT_EQ(f.Lines()[1], "http://mudhost/area/");
  ASSERT_EQ(f.Lines()[2], "long/path now");
  EXPECT_TRUE(f.view.FindLink(1, 3));
  EXPECT_EQ(f.view.linkurl, "http://mudhost/area/long/path");
  EXPECT_TRUE(f.linkEnabled);
  EXPECT_TRUE(f.view.FindLink(2, 2));
  EXPECT_EQ(f.view.linkurl, "http://mudhost/area/long/path");
  EXPECT_FALSE(f.view.FindLink(2, 12));  // on "now"
  EXPECT_FALSE(f.linkEnabled);
  EXPECT_EQ(f.view.linkurl, "");
  EXPECT_FALSE(f.view.FindLink(0, 2));
}

TEST(Links, LastLineQuotesEmptyLinesAndTheClick) {
  SelFixture f;
  f.term.WriteText("end of \"https://mud.example/x\"\r\n\r\nnext \x1b[34mftp://files.example/y", true);
  EXPECT_TRUE(f.view.FindLink(0, 12));
  EXPECT_EQ(f.view.linkurl, "https://mud.example/x");  // quotes gone, the empty line stops it
  EXPECT_TRUE(f.view.FindLink(2, 15));
  EXPECT_EQ(f.view.linkurl, "ftp://files.example/y");
  // Pointer over the link: a click opens it and selects nothing.
  f.view.MouseMove(8 * 8, 16 * 2 + 2);
  f.view.MouseDown(MouseButton::Left, 8 * 8, 16 * 2 + 2);
  f.view.MouseUp(MouseButton::Left, 8 * 8, 16 * 2 + 2);
  EXPECT_EQ(f.opened, std::vector<std::string>{"ftp://files.example/y"});
  EXPECT_FALSE(f.view.HasSelection());
}

}  // namespace
}  // namespace ombrel
