#include <gtest/gtest.h>

#include "app/main_window_logic.h"
#include "app/window_arrangement.h"

namespace ombrel {
namespace {

TEST(Arrangement, ThreeTerminalsIn800x600WithToolbar) {
  EXPECT_EQ(ArrangeColumns(3, 800, 600, 29),
            (std::vector<Rect>{{0, 0, 261, 566}, {261, 0, 261, 566}, {522, 0, 261, 566}}));
  EXPECT_EQ(ArrangeRows(3, 800, 600, 29),
            (std::vector<Rect>{{0, 0, 795, 185}, {0, 185, 795, 185}, {0, 370, 795, 185}}));
  EXPECT_EQ(ArrangeMatrix(3, 800, 600, 29),
            (std::vector<Rect>{{0, 0, 397, 283}, {397, 0, 397, 283}, {0, 283, 397, 283}}));
}

TEST(Arrangement, EdgeCounts) {
  EXPECT_TRUE(ArrangeColumns(0, 800, 600, 29).empty());
  EXPECT_TRUE(ArrangeMatrix(0, 800, 600, 29).empty());
  EXPECT_EQ(ArrangeColumns(1, 800, 600, 29), (std::vector<Rect>{{0, 0, 795, 566}}));
  EXPECT_EQ(ArrangeColumns(1, 800, 600, 0), (std::vector<Rect>{{0, 0, 795, 595}}));
  EXPECT_EQ(ArrangeMatrix(1, 800, 600, 29), (std::vector<Rect>{{0, 0, 795, 566}}));
  auto five = ArrangeMatrix(5, 800, 600, 29);
  ASSERT_EQ(five.size(), 5u);
  EXPECT_EQ(five[4], (Rect{0, 2 * 188, 397, 188}));  // third row, left cell
  EXPECT_EQ(five[3], (Rect{397, 188, 397, 188}));
}

TEST(Registry, RemovingKeepsOrderAndClearsCurrent) {
  int a, b, c;
  TerminalRegistry<int> reg;
  EXPECT_EQ(reg.lastIndex(), -1);
  reg.Add(&a);
  reg.Add(&b);
  reg.Add(&c);
  reg.SetCurrent(&c);
  reg.Remove(&b);
  EXPECT_EQ(reg.terminals(), (std::vector<int*>{&a, &c}));
  EXPECT_EQ(reg.current(), nullptr);
  EXPECT_EQ(reg.IndexOf(&c), 1);
  EXPECT_EQ(reg.IndexOf(&b), -1);
}

TEST(Tabs, UnseenMarkAndCurrentSelection) {
  TabRow row = BuildTabRow({{"A", false, true}, {"B", true, false}, {"C", false, false}});
  EXPECT_EQ(row.captions, (std::vector<std::string>{"A", "B *", "C"}));
  EXPECT_EQ(row.selected, 0);
  EXPECT_EQ(BuildTabRow({{"A", false, false}}).selected, -1);
}

TEST(MainWindowRules, ScreenPullBackAndDigitsOnly) {
  Placement p = PullOntoScreen({5000, 100}, 1024, 768);
  EXPECT_EQ(p.left, 341);
  EXPECT_EQ(p.top, 100);
  p = PullOntoScreen({-50, 900}, 1024, 768);
  EXPECT_EQ(p.left, -50);
  EXPECT_EQ(p.top, 256);
  EXPECT_EQ(DigitsOnly("4a0-0b0", "23"), "4000");
  EXPECT_EQ(DigitsOnly("", "23"), "23");
  EXPECT_EQ(DigitsOnly("abc", "23"), "");
}

}  // namespace
}  // namespace ombrel
