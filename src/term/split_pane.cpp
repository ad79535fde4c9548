// The view split while scrolled back: which line each row shows, and the
// divider the player drags.
#include <cstdlib>

#include "term/term_view.h"

namespace ombrel {

SplitPanes TermView::Panes() const {
  const TOptions* o = core_.Options();
  if (!o || !o->features.splitscroll) return {false, rows(), 0};
  return split.Panes(rows(), follow, curline() < rows());
}

int TermView::RowLine(const SplitPanes& panes, int row) const {
  if (!panes.split || row < 0 || row >= rows()) return topline + row;
  return SplitScroll::LineAt(panes, row, topline, curline());
}

int TermView::DividerY() const {
  const SplitPanes panes = Panes();
  if (!panes.split) return -1;
  return imageHeight - rows() * lineheight + panes.topRows * lineheight;
}

}  // namespace ombrel
