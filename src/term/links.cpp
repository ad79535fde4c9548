// Web links in the text: a word holding "://", possibly wrapped onto the
// next line.
#include <algorithm>

#include "term/term_view.h"

namespace ombrel {

namespace {

// 1-based start of the link in `text` around `index`, or 0 for none.
int LinkStart(std::string_view text, int index) {
  size_t scheme = std::string::npos;
  for (size_t at = text.find("://"); at != std::string::npos; at = text.find("://", at + 1)) {
    if (scheme == std::string::npos || static_cast<int>(at) + 1 <= index) scheme = at;
    if (static_cast<int>(at) + 1 > index) break;
  }
  if (scheme == std::string::npos) return 0;
  size_t space = text.rfind(' ', scheme);
  return space == std::string::npos ? 1 : static_cast<int>(space) + 2;
}

}  // namespace

bool TermView::FindLink(int line, int index) {
  if (events.linkActionEnabled) events.linkActionEnabled(false);
  linkurl.clear();
  if (line < 0 || line > curline()) return false;

  int startLine = line;
  int start = LinkStart(LineText(line), index);
  if (start == 0 && line > 0) {
    startLine = line - 1;
    start = LinkStart(LineText(startLine), static_cast<int>(LineText(startLine).size()));
  }
  if (start == 0) return false;

  // The end: spaces skipped, then up to the first space; a link reaching
  // the end of its line goes on in the next one unless that one is empty.
  int endLine = startLine;
  int pos = start;
  bool skipping = true;
  int end = 0;
  while (true) {
    const std::string_view t = LineText(endLine);
    const int len = static_cast<int>(t.size());
    while (pos <= len && skipping && t[pos - 1] == ' ') ++pos;
    skipping = false;
    while (pos <= len && t[pos - 1] != ' ') ++pos;
    if (pos <= len) {
      end = pos - 1;
      break;
    }
    if (endLine >= curline() || LineText(endLine + 1).empty()) {
      end = len;
      break;
    }
    ++endLine;
    pos = 1;
    skipping = true;
  }

  if (line < startLine || line > endLine) return false;
  if (line == startLine && index < start) return false;
  if (line == endLine && index > end) return false;

  std::string url = JoinedText(startLine, start, endLine, end);
  url.erase(0, url.find_first_not_of('"') == std::string::npos ? url.size() : url.find_first_not_of('"'));
  while (!url.empty() && url.back() == '"') url.pop_back();
  url.erase(std::remove(url.begin(), url.end(), ' '), url.end());
  if (url.empty()) return false;
  linkurl = url;
  if (events.linkActionEnabled) events.linkActionEnabled(true);
  return true;
}

}  // namespace ombrel
