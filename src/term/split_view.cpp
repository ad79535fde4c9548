#include "term/split_view.h"

#include <algorithm>

namespace ombrel {

SplitPanes SplitScroll::Panes(int rows, bool atEnd, bool allFits) const {
  if (atEnd || allFits || rows < 2 * kMinPaneRows) return {false, rows, 0};
  // The height may have changed since the divider was dragged.
  const int bottom = std::clamp(bottom_ > 0 ? bottom_ : rows / 3, kMinPaneRows, rows - kMinPaneRows);
  return {true, rows - bottom, bottom};
}

void SplitScroll::DragDivider(int row, int rows) {
  if (rows < 2 * kMinPaneRows) return;
  bottom_ = rows - std::clamp(row, kMinPaneRows, rows - kMinPaneRows);
}

int SplitScroll::LineAt(const SplitPanes& panes, int row, int topline, int lastLine) {
  if (row < panes.topRows) return topline + row;
  return lastLine - panes.bottomRows + 1 + (row - panes.topRows);
}

}  // namespace ombrel
