// The reference for the line walker's differential check (walker_diff):
// src/term/links.cpp as it was before the walker, its loops kept exactly.
// Web links in the text: a word holding "://", possibly wrapped onto the
// next line; with extended colours also the text a server marks as a link
// (OSC 8: ESC ] 8 ; params ; address, ended as every string is).
#include <algorithm>

#include "term/term_view.h"

namespace ombrel {

namespace {

// How many lines back a marked link's start is looked for: its text may
// have wrapped, but a link left open does not make the rest of a session one.
constexpr int kMarkedLinkLines = 50;

// Whether 0-based `pos` lies inside a sequence, strings read whole.
bool InsideSequence(std::string_view text, size_t pos) {
  for (size_t esc = text.find(kEsc); esc <= pos; esc = text.find(kEsc, esc + 1)) {
    esc = EscapeEnd(text, esc, true);
    if (esc >= pos) return true;
  }
  return false;
}

// When text[esc..end] marks a link's start or end, `address` becomes what it
// opens, empty for an end; an address that is no web link, or holds a
// space or a control character, marks none.
bool ReadLinkMark(std::string_view text, size_t esc, size_t end, std::string& address) {
  std::string_view seq = text.substr(esc, end - esc + 1);
  if (!seq.starts_with("\x1b]8;")) return false;
  const size_t params = seq.find(';', 4);
  if (params == std::string_view::npos) return false;
  seq.remove_prefix(params + 1);
  if (seq.ends_with("\x1b\\")) seq.remove_suffix(2);
  else if (seq.ends_with(kBel)) seq.remove_suffix(1);
  const bool web = seq.find("://") != std::string_view::npos &&
                   std::none_of(seq.begin(), seq.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
  address = web ? std::string(seq) : std::string();
  return true;
}

// 1-based start of the link in `text` around `index`, or 0 for none.
int LinkStart(std::string_view text, int index, bool strings) {
  size_t scheme = std::string::npos;
  for (size_t at = text.find("://"); at != std::string::npos; at = text.find("://", at + 1)) {
    // A marked link's address is no text.
    if (strings && InsideSequence(text, at)) continue;
    if (scheme == std::string::npos || static_cast<int>(at) + 1 <= index) scheme = at;
    if (static_cast<int>(at) + 1 > index) break;
  }
  if (scheme == std::string::npos) return 0;
  size_t space = text.rfind(' ', scheme);
  return space == std::string::npos ? 1 : static_cast<int>(space) + 2;
}

}  // namespace

std::string TermView::MarkedLinkAt(int line, int index) const {
  // The link open where the line starts: the last mark of the lines before.
  std::string open;
  for (int back = line - 1; back >= 0 && back >= line - kMarkedLinkLines; --back) {
    const std::string_view t = LineText(back);
    bool marked = false;
    for (size_t esc = t.find(kEsc); esc != std::string_view::npos; esc = t.find(kEsc, esc + 1)) {
      const size_t end = EscapeEnd(t, esc, true);
      if (end == std::string_view::npos) break;
      marked = ReadLinkMark(t, esc, end, open) || marked;
      esc = end;
    }
    if (marked) break;
  }
  const std::string_view t = LineText(line);
  if (index < 1 || index > static_cast<int>(t.size())) return {};
  const size_t at = static_cast<size_t>(index - 1);
  for (size_t i = 0;;) {
    const size_t esc = t.find(kEsc, i);
    if (at < esc) return open;
    const size_t end = EscapeEnd(t, esc, true);
    if (end == std::string_view::npos || at <= end) return {};  // on a sequence
    ReadLinkMark(t, esc, end, open);
    i = end + 1;
  }
}

bool TermView::FindLink(int line, int index) {
  if (events.linkActionEnabled) events.linkActionEnabled(false);
  linkurl.clear();
  if (line < 0 || line > curline()) return false;
  const bool strings = Strings();
  if (strings) {
    std::string marked = MarkedLinkAt(line, index);
    if (!marked.empty()) {
      linkurl = std::move(marked);
      if (events.linkActionEnabled) events.linkActionEnabled(true);
      return true;
    }
  }

  int startLine = line;
  int start = LinkStart(LineText(line), index, strings);
  if (start == 0 && line > 0) {
    startLine = line - 1;
    start = LinkStart(LineText(startLine), static_cast<int>(LineText(startLine).size()), strings);
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
