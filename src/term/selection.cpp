// Selecting text with the mouse, and copying it.
#include <algorithm>
#include <cstdlib>

#include "command/token_list.h"
#include "term/escape.h"
#include "term/term_view.h"

namespace ombrel {

namespace {

constexpr std::string_view kWordDelimiters = " .,;:?!";

// Integer division as the pointer rules count it: toward zero.
int Div(int a, int b) { return a / b; }

}  // namespace

std::string_view TermView::Part(std::string_view text, int from, int to) const {
  from = std::max(from, 1);
  to = std::min(to, static_cast<int>(text.size()));
  if (to < from) return {};
  // A position may stand on any byte of a character, or on a mark after it.
  if (Utf8()) from = ClusterAt(text, from, Strings()).first, to = ClusterAt(text, to, Strings()).last;
  return text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

TextPos TermView::PointToPos(int x, int y) const {
  int line = RowLine(Panes(), Div(y + rows() * lineheight - imageHeight, lineheight));
  line = std::max(line, 0);
  const int column = std::max(Div(x, charwidth) + 1, 0);
  if (line > curline()) return {curline(), static_cast<int>(LineText(curline()).size())};
  const std::string_view t = LineText(line);
  return {line, Utf8() ? PositionOfCell(t, column, Strings()) : PositionOfVisible(t, column, Strings())};
}

void TermView::ClearSelection() {
  selstartline = selstartcol = selendline = selendcol = -1;
  hasselection = false;
  Repaint();
}

void TermView::MouseDown(MouseButton button, int x, int y) {
  if (button != MouseButton::Left || suppressmouse || !linkurl.empty()) return;
  // The divider between the panes is taken a few pixels either side.
  if (const int divider = DividerY(); divider >= 0 && std::abs(y - divider) <= 3) {
    draggingDivider = true;
    return;
  }
  if (events.clearCommandSelection) events.clearCommandSelection();
  ClearSelection();
  const TextPos p = PointToPos(x, y);
  selstartline = selendline = p.line;
  selstartcol = selendcol = p.index;
  hasselection = true;
  Repaint();
  selecting = true;
  if (events.startDragTimer) events.startDragTimer();
  dragx = x;
  dragy = y;
}

void TermView::MouseMove(int x, int y) {
  mousex = x;
  mousey = y;
  if (draggingDivider) {
    // The divider goes to the row boundary nearest the pointer.
    split.DragDivider(Div(y - (imageHeight - rows() * lineheight) + lineheight / 2, lineheight), rows());
    Repaint();
    return;
  }
  if (selecting) {
    if (!suppressmouse) {
      const TextPos p = PointToPos(x, y);
      selendline = p.line;
      selendcol = p.index;
      Repaint();
    }
    dragx = x;
    dragy = y;
    return;
  }
  const TextPos p = PointToPos(x, y);
  const bool hand = FindLink(p.line, p.index);
  if (events.setHandCursor) events.setHandCursor(hand);
}

void TermView::MouseUp(MouseButton button, int x, int y) {
  if (suppressmouse) return;
  if (draggingDivider) {
    draggingDivider = false;
    return;
  }
  if (button == MouseButton::Left && !linkurl.empty() && events.openLink) events.openLink(linkurl);
  if (!selecting) return;
  const TextPos p = PointToPos(x, y);
  selendline = p.line;
  selendcol = p.index;
  Repaint();
  // A plain click selects nothing.
  if (selstartline == selendline && selstartcol == selendcol) ClearSelection();
  if (events.stopDragTimer) events.stopDragTimer();
  selecting = false;
  dragx = dragy = 0;
  if (events.selectionDone) events.selectionDone();
}

void TermView::DragScroll() {
  if (!selecting) return;
  if (dragy < 0) {
    ScrollBy(Div(dragy, 10) - 1, false);
  } else if (dragy > boxHeight) {
    ScrollBy(Div(dragy - boxHeight, 10) + 1, false);
  } else {
    return;
  }
  const TextPos p = PointToPos(dragx, dragy);
  selendline = p.line;
  selendcol = p.index;
  Redraw(false);
}

void TermView::DblClick() {
  const TextPos p = PointToPos(mousex, mousey);
  const std::string_view t = LineText(p.line);
  // Words are found in what is shown: a ';' inside a colour code is no
  // delimiter.
  const bool strings = Strings();
  const std::string plain = StripEscapes(t, strings);
  const int len = static_cast<int>(plain.size());
  if (len == 0) return;
  auto isDelimiter = [&](int pos) { return kWordDelimiters.find(plain[pos - 1]) != std::string_view::npos; };
  int left = std::clamp(VisibleUpTo(t, p.index, strings), 1, len);
  int right = left;
  while (left >= 1 && !isDelimiter(left)) --left;
  while (right <= len && !isDelimiter(right)) ++right;
  // left and right now stand on the delimiters (or just outside the line).
  if (left + 1 > right - 1) return;  // on a delimiter: no word
  selstartline = selendline = p.line;
  selstartcol = PositionOfVisible(t, left + 1, strings);
  selendcol = PositionOfVisible(t, right - 1, strings);
  suppressmouse = true;
  if (events.startDragTimer) events.startDragTimer();
  hasselection = true;
  Repaint();
}

void TermView::SelectAll() {
  selstartline = 0;
  selstartcol = 0;
  selendline = curline();
  selendcol = static_cast<int>(LineText(curline()).size());
  hasselection = true;
  Repaint();
}

void TermView::NormalizeSelection() {
  if (selstartline > selendline || (selstartline == selendline && selstartcol > selendcol)) {
    std::swap(selstartline, selendline);
    std::swap(selstartcol, selendcol);
  }
}

std::string TermView::GetSelectedText() {
  if (!hasselection || selstartline < 0) return {};
  NormalizeSelection();
  const int last = std::min(selendline, curline());
  // Each part loses its escape sequences on its own, so a sequence cut by
  // the selection cannot swallow the line break after it.
  const bool strings = Strings();
  if (selstartline == last)
    return StripEscapes(Part(LineText(selstartline), selstartcol, selendcol), strings);
  std::string out = StripEscapes(Part(LineText(selstartline), selstartcol, INT32_MAX), strings) + "\r\n";
  for (int line = selstartline + 1; line < last; ++line) out += StripEscapes(LineText(line), strings) + "\r\n";
  out += StripEscapes(Part(LineText(last), 1, selendcol), strings) + "\r\n";
  return out;
}

std::string TermView::JoinedText(int fromLine, int fromIndex, int toLine, int toIndex) const {
  std::string out;
  for (int line = fromLine; line <= toLine; ++line) {
    const int from = (line == fromLine) ? fromIndex : 1;
    const int to = (line == toLine) ? toIndex : INT32_MAX;
    if (line > fromLine) out += ' ';
    out += TrimControls(StripEscapes(Part(LineText(line), from, to), Strings()));
  }
  return out;
}

std::string TermView::GetSelectedLine() {
  if (!hasselection || selstartline < 0) return {};
  NormalizeSelection();
  return JoinedText(selstartline, selstartcol, std::min(selendline, curline()), selendcol);
}

}  // namespace ombrel
