#include <gtest/gtest.h>

#include "term/term_view.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using testing::FixedMeasure;

struct ViewFixture : testing::TermFixture {
  FixedMeasure measure;
  TermView view{term};
  int repaints = 0;
  ViewFixture(int boxWidth = 400, int boxHeight = 159) {
    view.events.repaint = [this] { ++repaints; };
    term.Events().repaint = [this](TermCore&) { view.AfterWrite(); };
    view.Layout(measure, boxWidth, boxHeight);  // 401 x 160: 50 columns, 10 rows
  }
  void Lines(int n) {
    std::string block;
    for (int i = 0; i < n; ++i) block += "line " + std::to_string(i) + "\r\n";
    term.WriteText(block, true);
  }
};

TEST(ViewLayout, CellsFromTheMeasuredFontAndTheNAWSSize) {
  ViewFixture f;
  EXPECT_EQ(f.term.cols, 50);
  EXPECT_EQ(f.term.rows, 10);
  uint16_t w, h;
  f.term.GetWindowSize(w, h);
  EXPECT_EQ(w, 49);
  EXPECT_EQ(h, 9);
  EXPECT_EQ(f.view.imageWidth, 401);
}

TEST(ViewScroll, FewerLinesThanRowsStartAtTheTopWithoutAScrollBar) {
  ViewFixture f;
  f.options.scrollbar = true;
  f.Lines(3);
  EXPECT_EQ(f.view.topline, 0);
  EXPECT_FALSE(f.view.scrollbar.visible);
  PaintPlan plan = f.view.BuildPaintPlan(f.measure);
  ASSERT_EQ(plan.runs.size(), 3u);
  EXPECT_EQ(plan.runs[0].text, "line 0");
  EXPECT_EQ(plan.runs[0].y, 0);  // 160 - 10 * 16: no spare pixels at the top
  f.Lines(20);
  EXPECT_TRUE(f.view.scrollbar.visible);
  EXPECT_EQ(f.view.scrollbar.maximum, 23);
  EXPECT_EQ(f.view.scrollbar.pageSize, 10);
  EXPECT_EQ(f.view.topline, 14);
  f.options.scrollbar = false;
  f.view.Redraw(false);
  EXPECT_FALSE(f.view.scrollbar.visible);
}

TEST(ViewScroll, WheelStopsAndResumesFollowing) {
  ViewFixture f;
  f.Lines(40);
  EXPECT_EQ(f.view.topline, 31);
  f.view.Wheel(true, false);
  EXPECT_FALSE(f.view.follow);
  EXPECT_EQ(f.view.topline, 30);
  f.Lines(5);
  EXPECT_EQ(f.view.topline, 30);  // new text does not move the view
  f.view.Wheel(true, true);
  EXPECT_EQ(f.view.topline, 25);
  f.view.ScrollBy(100, true);
  EXPECT_TRUE(f.view.follow);
  EXPECT_EQ(f.view.topline, 36);
  f.view.ScrollBy(-1000, true);
  EXPECT_EQ(f.view.topline, 0);
  // The scroll bar one line short of the end still follows.
  f.view.ScrollBarMoved(f.term.curline() - f.term.rows);
  EXPECT_TRUE(f.view.follow);
  f.view.ScrollBarMoved(3);
  EXPECT_FALSE(f.view.follow);
}

TEST(PaintPlan, ColoursFollowTheLineStartStateAndTheSGRInside) {
  ViewFixture f;
  f.options.ansi = true;
  f.term.WriteText("\x1b[1;31mred \x1b[0mplain\x1b[K \x1b[44mx\r\nnext", true);
  PaintPlan plan = f.view.BuildPaintPlan(f.measure);
  ASSERT_EQ(plan.runs.size(), 5u);
  EXPECT_EQ(plan.runs[0].text, "red ");
  EXPECT_EQ(plan.runs[0].color, f.options.ansimap[9]);
  EXPECT_EQ(plan.runs[1].text, "plain");
  EXPECT_EQ(plan.runs[1].x, 32);
  EXPECT_EQ(plan.runs[1].color, f.options.textcolor());
  EXPECT_EQ(plan.runs[2].text, " ");
  EXPECT_EQ(plan.runs[3].color, f.options.textcolor());  // 44 leaves the colour
  EXPECT_EQ(plan.runs[4].text, "next");

  ViewFixture off;
  off.term.WriteText("\x1b[31mno colour", true);
  PaintPlan p2 = off.view.BuildPaintPlan(off.measure);
  ASSERT_EQ(p2.runs.size(), 1u);
  EXPECT_EQ(p2.runs[0].color, off.options.textcolor());
}

TEST(PaintPlan, SelectionRectanglesCountVisibleCharacters) {
  ViewFixture f;
  f.options.ansi = true;
  f.term.WriteText("ab\x1b[32mcdef\r\nsecond\r\nthird", true);
  f.view.selstartline = 0;
  f.view.selstartcol = 8;  // 'c' after the sequence
  f.view.selendline = 0;
  f.view.selendcol = 9;
  f.view.hasselection = true;
  auto rects = f.view.BuildPaintPlan(f.measure).inverted;
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0], (PixelRect{16, 0, 16, 16}));
  f.view.selendline = 2;
  f.view.selendcol = 2;
  rects = f.view.BuildPaintPlan(f.measure).inverted;
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(rects[0], (PixelRect{16, 0, 51 * 8, 16}));
  EXPECT_EQ(rects[1], (PixelRect{0, 16, 51 * 8, 16}));
  EXPECT_EQ(rects[2], (PixelRect{0, 32, 16, 16}));
}

}  // namespace
}  // namespace ombrel
