#include <gtest/gtest.h>

#include "term/split_view.h"

namespace ombrel {
namespace {

TEST(SplitScroll, PanesTheDividerAndTheLinesEachShows) {
  // Rows, at the end, all fits, the divider dragged to (-1: not), the panes.
  const std::tuple<int, bool, bool, int, SplitPanes> rows[] = {
      {24, true, false, -1, {false, 24, 0}},  {24, false, false, -1, {true, 16, 8}},  // scrolled back: a third
      {24, false, true, -1, {false, 24, 0}},  {3, false, false, -1, {false, 3, 0}},   // all fits; too low
      {5, false, false, -1, {true, 3, 2}},    {24, false, false, 20, {true, 20, 4}},  // a pane's least; dragged
      {24, false, false, 23, {true, 22, 2}},  {24, false, false, 0, {true, 2, 22}},   // within bounds
  };
  for (const auto& [height, atEnd, allFits, draggedTo, panes] : rows) {
    SplitScroll split;
    if (draggedTo >= 0) split.DragDivider(draggedTo, height);
    EXPECT_EQ(split.Panes(height, atEnd, allFits), panes) << height << " " << draggedTo;
  }
  SplitScroll split;
  split.DragDivider(4, 24);  // the bottom pane 20 rows
  EXPECT_EQ(split.Panes(12, false, false), (SplitPanes{true, 2, 10})) << "the window shrank";
  split.ResetDivider();
  const SplitPanes panes = split.Panes(24, false, false);
  for (auto [row, line] : {std::pair{0, 100}, {15, 115}, {16, 992}, {23, 999}})
    EXPECT_EQ(SplitScroll::LineAt(panes, row, 100, 999), line) << row;
}

}  // namespace
}  // namespace ombrel
