// The reference for the line walker's differential check (walker_diff):
// src/term/find.cpp as it was before the walker, its loops kept exactly.
// Searching the line store. Lines are searched where they are stored, with
// their sequences skipped in place and letters folded by table: a search
// through ten million lines makes no copy of any of them.
#include <algorithm>
#include <array>
#include <climits>
#include <cctype>

#include "options/options.h"
#include "term/escape.h"
#include "term/term_view.h"
#include "util/byte_scan.h"
#include "util/utf8.h"

namespace ombrel {

namespace {

class LineMatcher {
 public:
  // `pattern` is folded already when the search ignores case.
  // Shown as UTF-8, a byte is no character of its own: bytes fold only as
  // ASCII letters, and other letters whole characters at a time.
  // `strings`: string sequences are read whole, and nothing in them matches.
  LineMatcher(const std::string& pattern, bool caseSensitive, bool utf8 = false, bool strings = false)
      : pattern_(pattern), fold_(!caseSensitive), strings_(strings) {
    const bool asciiOnly = utf8;
    wide_ = utf8 && fold_ && std::any_of(pattern.begin(), pattern.end(), [](char c) { return c & 0x80; });
    // Folded as LowerCase folds, in whatever locale the program runs.
    int variants = 0;
    for (int c = 0; c < 256; ++c) {
      fold_table_[c] = fold_ && !(asciiOnly && c >= 0x80) ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
      if (fold_table_[c] == pattern[0] && variants < 3) firsts_[variants++] = static_cast<char>(c);
    }
    // The bytes a match may start with; a locale folding three or more
    // bytes together has every byte tried.
    if (wide_ && (pattern[0] & 0x80)) variants = WideFirsts();
    if (variants == 1) firsts_[1] = firsts_[0];
    anyFirst_ = variants > 2;
    // The first letter alone stops at every word that starts like the
    // pattern; with the byte after it as well, only where the pattern may
    // really start: its second byte follows, or a sequence comes between.
    if (pattern.size() < 2 || anyFirst_ || wide_ || pattern[0] == kEsc) return;
    int seconds = 0;
    for (int c = 0; c < 256; ++c)
      if (fold_table_[c] == pattern[1] && seconds < 3) seconds_[seconds++] = static_cast<char>(c);
    if (seconds > 2) return;
    if (seconds == 0) seconds_[0] = kEsc;  // no byte shows as it: no line holds the pattern
    if (seconds < 2) seconds_[1] = seconds_[0];
    pairs_ = true;
  }

  // Whether the pattern occurs anywhere in the visible text of `t`. Only
  // its first byte, or its first two, is searched for, sequences and all;
  // a hit inside a sequence is passed over.
  bool Occurs(std::string_view t) const {
    if (anyFirst_) return Find(t, 1, INT_MAX) != 0;
    const char* d = t.data();
    const size_t n = t.size();
    if (pairs_) {
      for (size_t i = FindPair(d, 0, n, firsts_[0], firsts_[1], seconds_[0], seconds_[1], kEsc); i < n;
           i = FindPair(d, i + 1, n, firsts_[0], firsts_[1], seconds_[0], seconds_[1], kEsc))
        if (MatchesAt(t, i) && !InsideSequence(t, i)) return true;
      return false;
    }
    for (size_t i = FindAnyOf(d, 0, n, firsts_[0], firsts_[1], firsts_[1]); i < n;
         i = FindAnyOf(d, i + 1, n, firsts_[0], firsts_[1], firsts_[1]))
      if (MatchesAt(t, i) && !InsideSequence(t, i)) return true;
    return false;
  }

  // The visible column (1-based) where the pattern starts in `t`, matched
  // within columns from..to; 0 when it is not there.
  int Find(std::string_view t, int from, int to) const {
    const char* d = t.data();
    const size_t n = t.size();
    const int last = to - static_cast<int>(pattern_.size()) + 1;  // the last column a match may start in
    int visible = 0;                                               // visible bytes before i
    size_t i = 0;
    while (true) {
      const size_t hit = anyFirst_ ? i : FindAnyOf(d, i, n, firsts_[0], firsts_[1], kEsc);
      visible += static_cast<int>(hit - i);
      if (hit == n || visible + 1 > last) return 0;
      if (d[hit] == kEsc) {
        const size_t end = EscapeEnd(t, hit, strings_);
        if (end == std::string_view::npos) return 0;
        i = end + 1;
        continue;
      }
      if (visible + 1 >= from && MatchesAt(t, hit)) return visible + 1;
      ++visible;
      i = hit + 1;
    }
  }

 private:
  // A byte lies inside a sequence when nothing ends the one begun by the
  // nearest ESC before it; one ESC inside another's sequence changes nothing.
  // A string holds final characters and ends in an ESC of its own: a line
  // with one is read from its start.
  bool InsideSequence(std::string_view t, size_t i) const {
    if (strings_) {
      for (size_t esc = t.find(kEsc); esc < i; esc = t.find(kEsc, esc + 1)) {
        esc = EscapeEnd(t, esc, true);
        if (esc >= i) return true;  // npos included: a sequence cut off
      }
      return false;
    }
    const size_t esc = FindLast(t.data(), i, kEsc);
    if (esc == std::string_view::npos) return false;
    for (size_t k = esc + 1; k < i; ++k)
      if (EndsSequence(t[k])) return false;
    return true;
  }

  // The lead bytes of the characters that fold to the pattern's first one
  // (it folds alike only to others of two bytes); how many there are.
  int WideFirsts() {
    char32_t first;
    utf8::Decode(pattern_.data(), pattern_.size(), 0, first);
    int variants = 0;
    for (char32_t cp = 0x80; cp < 0x800; ++cp) {
      const char lead = static_cast<char>(0xC0 | (cp >> 6));
      if (utf8::FoldCase(cp) != first || std::find(firsts_.begin(), firsts_.begin() + variants, lead) !=
                                             firsts_.begin() + variants)
        continue;
      if (variants == 3) return 4;
      firsts_[variants++] = lead;
    }
    return std::max(variants, 1);
  }

  bool MatchesAt(std::string_view t, size_t i) const { return wide_ ? Matches<true>(t, i) : Matches<false>(t, i); }

  template <bool wide>
  bool Matches(std::string_view t, size_t i) const {
    for (size_t k = 0; k < pattern_.size();) {
      if (i >= t.size()) return false;
      if (t[i] == kEsc) {
        const size_t end = EscapeEnd(t, i, strings_);
        if (end == std::string_view::npos) return false;
        i = end + 1;
        continue;
      }
      if (wide && (t[i] & 0x80)) {
        // Folding keeps a character's length, so both take as many bytes.
        char32_t a, b;
        const size_t len = utf8::Decode(t.data(), t.size(), i, a);
        if (len != utf8::Decode(pattern_.data(), pattern_.size(), k, b)) return false;
        if (len == 1 ? t[i] != pattern_[k] : utf8::FoldCase(a) != b) return false;
        i += len;
        k += len;
        continue;
      }
      if (fold_table_[static_cast<unsigned char>(t[i])] != pattern_[k]) return false;
      ++i;
      ++k;
    }
    return true;
  }

  const std::string& pattern_;
  bool fold_;
  bool strings_;
  std::array<char, 256> fold_table_;
  std::array<char, 3> firsts_{};
  bool anyFirst_ = false;
  std::array<char, 2> seconds_{};
  bool pairs_ = false;  // whether Occurs searches for the first two bytes
  bool wide_ = false;   // letters beyond ASCII fold, a character at a time
};

}  // namespace

bool TermView::FindText(const std::string& text, bool caseSensitive, bool inSelection) {
  findtext = caseSensitive ? text : Utf8() ? utf8::FoldCase(text) : LowerCase(text);
  findcase = caseSensitive;
  findinsel = inSelection;
  if (inSelection && hasselection) {
    NormalizeSelection();
    // Find columns count the line without its escape sequences.
    findline = selstartline;
    // A selection made with the pointer starts on a character's last byte.
    const std::string_view first = LineText(selstartline);
    const bool strings = Strings();
    const int firstByte = Utf8() ? ClusterAt(first, selstartcol, strings).first : selstartcol;
    findcol = std::max(1, VisibleUpTo(first, firstByte, strings));
    findendline = std::min(selendline, curline());
    findendcol = VisibleUpTo(LineText(findendline), selendcol, strings);
  } else {
    findline = 0;
    findcol = 1;
    findendline = curline();
    findendcol = static_cast<int>(StripEscapes(LineText(curline()), Strings()).size());
  }
  findactive = true;
  return FindNext();
}

bool TermView::FindNext() {
  // An empty search text would match everywhere without moving on.
  if (!findactive || findtext.empty() || findline > findendline) return false;
  const LineMatcher matcher(findtext, findcase, Utf8(), Strings());
  for (int line = findline; line <= findendline && line <= curline(); ++line) {
    const std::string_view stored = LineText(line);
    const int from = (line == findline) ? findcol : 1;
    const int to = (line == findendline) ? findendcol : INT_MAX;
    // Most lines hold no match: they are passed over without counting
    // columns.
    if (from == 1 && to == INT_MAX && !matcher.Occurs(stored)) continue;
    const int first = matcher.Find(stored, from, to);
    if (first == 0) continue;
    const int lastCol = first + static_cast<int>(findtext.size()) - 1;
    findline = line;
    findcol = lastCol + 1;
    selstartline = selendline = line;
    selstartcol = PositionOfVisible(stored, first, Strings());
    selendcol = PositionOfVisible(stored, lastCol, Strings());
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
