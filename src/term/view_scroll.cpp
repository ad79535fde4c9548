// Layout and scrolling of the terminal view.
#include <algorithm>

#include "term/term_view.h"

namespace ombrel {

void TermView::Layout(const TextMeasure& measure, int boxWidth, int boxHeight_) {
  boxHeight = boxHeight_;
  // The image is one pixel wider and higher than the paint box.
  imageWidth = std::max(1, boxWidth + 1);
  imageHeight = std::max(1, boxHeight_ + 1);
  charwidth = std::max(1, measure.TextWidth("W"));
  lineheight = std::max(1, measure.TextHeight("gW"));
  core_.SetWindowSize(imageWidth / charwidth, imageHeight / lineheight);
  AfterWrite();
}

void TermView::Redraw(bool fromScrollBar) {
  const TOptions* o = core_.Options();
  if (!o) return;
  if (fromScrollBar) {
    scrollbar.position = topline;
  } else {
    if (o->scrollbar && rows() <= curline()) {
      scrollbar = {true, rows(), curline(), topline};
    } else {
      scrollbar.visible = false;
    }
    // The view never reaches past the end of the store.
    if (curline() - topline < rows()) topline = std::max(0, curline() - rows() + 1);
  }
  Repaint();
}

void TermView::ScrollToEnd() {
  topline = std::max(0, curline() - rows() + 1);
  Redraw(false);
}

void TermView::ScrollBy(int delta, bool repaint) {
  topline += delta;
  const int last = curline() - rows() + 1;
  // Split, the last line shown above is the end: the panes would show it twice.
  const bool split = core_.Options() && core_.Options()->features.splitscroll;
  if (delta >= 0 && (topline > last || (split && topline == last))) {
    topline = last;
    follow = true;
  }
  if (delta < 0) {
    topline = std::max(0, topline);
    follow = false;
  }
  if (repaint) Redraw(false);
}

void TermView::ScrollBarMoved(int position) {
  topline = position;
  // One line short of the end still counts as following.
  follow = topline >= curline() - rows();
  Redraw(true);
}

}  // namespace ombrel
