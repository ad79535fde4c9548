// Searching the line store.
#include <algorithm>

#include "options/options.h"
#include "term/escape.h"
#include "term/term_view.h"

namespace ombrel {

bool TermView::FindText(const std::string& text, bool caseSensitive, bool inSelection) {
  findtext = caseSensitive ? text : LowerCase(text);
  findcase = caseSensitive;
  findinsel = inSelection;
  if (inSelection && hasselection) {
    NormalizeSelection();
    // Find columns count the line without its escape sequences.
    findline = selstartline;
    findcol = std::max(1, VisibleUpTo(LineText(selstartline), selstartcol));
    findendline = std::min(selendline, curline());
    findendcol = VisibleUpTo(LineText(findendline), selendcol);
  } else {
    findline = 0;
    findcol = 1;
    findendline = curline();
    findendcol = static_cast<int>(StripEscapes(LineText(curline())).size());
  }
  findactive = true;
  return FindNext();
}

bool TermView::FindNext() {
  // An empty search text would match everywhere without moving on.
  if (!findactive || findtext.empty() || findline > findendline) return false;
  for (int line = findline; line <= findendline && line <= curline(); ++line) {
    std::string plain = StripEscapes(LineText(line));
    if (!findcase) plain = LowerCase(plain);
    const int from = (line == findline) ? findcol : 1;
    const int to = (line == findendline) ? std::min<int>(findendcol, plain.size())
                                         : static_cast<int>(plain.size());
    if (to < from) continue;
    const std::string range = plain.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
    const size_t hit = range.find(findtext);
    if (hit == std::string::npos) continue;
    const int first = from + static_cast<int>(hit);
    const int lastCol = first + static_cast<int>(findtext.size()) - 1;
    findline = line;
    findcol = lastCol + 1;
    const std::string& stored = LineText(line);
    selstartline = selendline = line;
    selstartcol = PositionOfVisible(stored, first);
    selendcol = PositionOfVisible(stored, lastCol);
    hasselection = true;
    ShowLineCentred(line);
    return true;
  }
  return false;
}

void TermView::ShowLineCentred(int line) {
  topline = std::max(0, line - rows() / 2);
  follow = false;
  const int last = curline() - rows() + 1;
  if (topline > last) {
    topline = std::max(0, last);
    follow = true;
  }
  Redraw(false);
}

}  // namespace ombrel
