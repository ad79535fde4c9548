// Line assembly: how received pieces become stored lines.
#include <algorithm>
#include <array>

#include "term/term_core.h"
#include "util/byte_scan.h"
#include "util/utf8.h"

namespace ombrel {

namespace {

constexpr char kBS = 8;
constexpr char kCR = 13;
constexpr char kLF = 10;

constexpr std::array<bool, 256> kIsBreakChar = [] {
  std::array<bool, 256> table{};
  for (char c : {' ', ',', '.', '-'}) table[static_cast<unsigned char>(c)] = true;
  return table;
}();

bool IsBreakChar(char c) { return kIsBreakChar[static_cast<unsigned char>(c)]; }

// The last break character in d[lo, hi], or `none`.
long LastBreak(const char* d, long lo, long hi, long none) {
  for (long k = hi; k >= lo; --k)
    if (IsBreakChar(d[k])) return k;
  return none;
}

// Bytes of the last character of `out`: one, or shown as UTF-8 a whole
// character, since half of one would show as two that were never sent.
size_t LastCharacter(const std::string& out, bool utf8) {
  if (!utf8) return 1;
  char32_t cp;
  for (size_t len = std::min<size_t>(4, out.size()); len > 1; --len)
    if (utf8::Decode(out.data(), out.size(), out.size() - len, cp) == len) return len;
  return 1;
}

// A backspace erases the character before it, which may have arrived in an
// earlier read; one at the very start is dropped alone.
void ApplyBackspaces(std::string& s, bool utf8) {
  if (s.find(kBS) == std::string::npos) return;
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c != kBS) {
      out += c;
    } else if (!out.empty()) {
      out.resize(out.size() - LastCharacter(out, utf8));
    }
  }
  s.swap(out);
}

// Where the first character of d[i, end) that no longer fits in `room`
// cells starts, or end when all fit; `taken` gets the cells of those that
// fit. Combining marks fit after their character, so no wrap parts them.
size_t FitCells(const char* d, size_t i, size_t end, long room, long& taken) {
  long cells = 0;
  char32_t cp;
  while (i < end) {
    // ASCII, as much as there is room for, in a tight loop.
    const size_t stop = i + static_cast<size_t>(std::min<long>(static_cast<long>(end - i), room - cells));
    const size_t ascii = i;
    while (i < stop && static_cast<unsigned char>(d[i]) < 0x80) ++i;
    cells += static_cast<long>(i - ascii);
    if (i == end || static_cast<unsigned char>(d[i]) < 0x80) break;
    const size_t len = utf8::Decode(d, end, i, cp);
    const int w = utf8::Cells(cp);
    if (cells + w > room) break;
    cells += w;
    i += len;
  }
  taken = cells;
  return i;
}

}  // namespace

// Lines are cut from one working string in a single pass: runs of ordinary
// bytes are skipped sixteen at a time, and a line that ends within the
// width is never searched for break points.
void TermCore::AddText(std::string_view piece, bool checkTriggers) {
  // A CR LF cut in two by the end of a read still ends one line.
  const char skip = pendingPair_;
  pendingPair_ = 0;
  if (skip && !piece.empty() && piece[0] == skip) piece.remove_prefix(1);
  const std::string margin = options_->margin;
  const long width = cols;
  const long marginCells = static_cast<long>(margin.size());
  const AssemblyScan saved = store_.scan;
  // The working string is our own: a trigger's local echo may re-enter and
  // change the store while we scan. Taking it costs nothing.
  std::string work = std::move(store_.EditCurrent());
  // A backspace may reach back into what was scanned: then all of it again.
  const bool utf8 = options_->features.utf8;
  const bool resume = saved.valid && saved.size == work.size() && saved.width == width &&
                      saved.margin == margin && saved.utf8 == utf8 && piece.find(kBS) == std::string_view::npos;
  // A character the last read cut off is counted from its first byte.
  const size_t from = resume ? work.size() - static_cast<size_t>(saved.pending) : 0;
  work += piece;
  if (!resume) ApplyBackspaces(work, utf8);
  // Plain text is searched for sequences once here rather than once a line.
  const bool noSequence = margin.find(kEsc) == std::string::npos && work.find(kEsc) == std::string::npos;

  const char* d = work.data();
  // Shown as UTF-8, a character still cut off at the end waits: whether it
  // fits is known once it is complete.
  const size_t n = utf8 ? work.size() - utf8::IncompleteTail(d, work.size()) : work.size();
  const size_t tail = work.size() - n;
  size_t start = 0;
  long brk = resume ? saved.brk : -1;  // last break position, inclusive end of a wrapped line
  // Breaking inside the margin would store a line of margin alone and push
  // the next one past the width, so break positions start after it.
  long firstBreak = resume ? saved.firstBreak : (work.compare(0, margin.size(), margin) == 0 ? marginCells : 0);
  long cells = resume ? saved.cells : 0;
  auto store = [&](size_t to) {
    StoreLine(start == 0 ? std::string_view() : std::string_view(margin), std::string_view(work).substr(start, to - start),
              checkTriggers, noSequence);
  };
  size_t i = from;
  while (i < n) {
    const char c = d[i];
    if (c == kCR || c == kLF) {
      store(i);
      size_t next = i + 1;
      const char pair = (c == kCR) ? kLF : kCR;
      if (next < n && d[next] == pair) {
        ++next;
      } else if (next == work.size()) {
        pendingPair_ = pair;
      }
      start = i = next;
      firstBreak = static_cast<long>(start);
      brk = -1;
      cells = marginCells;
      continue;
    }
    if (c == kEsc) {
      brk = static_cast<long>(i) - 1;
      const size_t end = EscapeEnd(work, i);
      if (end == std::string::npos) break;
      i = end + 1;
      continue;
    }
    // A line that ends in this read within the width cannot wrap: nothing
    // in it matters until the line end.
    const size_t eol = FindAnyOf(d, i, n, kCR, kLF, kLF);
    if (eol < n && cells + static_cast<long>(eol - i) <= width) {
      i = eol;
      continue;
    }
    const size_t run = FindAnyOf(d, i, eol, kEsc, kEsc, kEsc);
    const long room = std::max(0L, width - cells);
    const long lo = std::max(static_cast<long>(i), firstBreak);
    // w is where the first character past the width starts (a byte, or a
    // whole UTF-8 character, so a line never ends inside one); `after`
    // where the character after it starts.
    size_t w, after;
    long taken;
    if (utf8) {
      w = FitCells(d, i, run, room, taken);
      char32_t cp;
      after = w == run ? run : w + utf8::Decode(d, run, w, cp);
    } else {
      const bool fits = static_cast<long>(run - i) <= room;
      w = fits ? run : i + static_cast<size_t>(room);
      taken = fits ? static_cast<long>(run - i) : room;
      after = fits ? run : w + 1;
    }
    if (w == run) {
      brk = LastBreak(d, lo, static_cast<long>(run) - 1, brk);
      cells += taken;
      i = run;
      continue;
    }
    auto visible = [&](size_t a, size_t b) { return VisibleCells(work, a, b, utf8); };
    brk = LastBreak(d, lo, static_cast<long>(w), brk);
    // A break before every visible character would store a line of
    // sequences alone and leave the next one a cell over the width.
    if (brk < firstBreak || visible(firstBreak, brk + 1) == 0) brk = static_cast<long>(w) - 1;
    const size_t lineEnd = static_cast<size_t>(brk + 1);
    store(lineEnd);
    start = lineEnd;
    firstBreak = static_cast<long>(start);
    cells = marginCells + visible(start, after);
    i = after;
  }
  store_.assembled += piece.size() + (work.size() - from);
  if (start != 0) {
    work.replace(0, start, margin);
    store_.assembled += work.size();
    // The line now starts with the margin where work[start] stood; a break
    // before the line's start is as good as none.
    const long shift = marginCells - static_cast<long>(start);
    firstBreak += shift;
    brk = (brk < static_cast<long>(start)) ? -1 : brk + shift;
  }
  SetCurrentLine(std::move(work));
  // A margin with a backspace in it would be erased by the next read.
  store_.scan = {margin.find(kBS) == std::string::npos, store_.CurrentText().size(), static_cast<int>(width), margin,
                 brk, firstBreak, static_cast<int>(cells), static_cast<int>(tail), utf8};
}

void TermCore::StoreLine(std::string_view head, std::string_view text, bool checkTriggers, bool noSequence) {
  Stored(store_.Complete(head, text), checkTriggers, noSequence);
}

void TermCore::Stored(std::string_view stored, bool checkTriggers, bool noSequence) {
  if (!noSequence) CarrySGR(stored, carry_, options_->features.extendedcolours);
  store_.StartCurrent(options_->margin, carry_);
  // Stored text never moves, so an echo from a trigger may add lines freely.
  if (logfile_) LogLine(stored);
  if (checkTriggers) RunTriggers(stored);
}

void TermCore::NewLine(std::string_view lineText, bool checkTriggers) {
  StoreLine({}, lineText, checkTriggers);
}

void TermCore::SetCurrentLine(std::string lineText) {
  store_.EditCurrent() = std::move(lineText);
  const bool active = !events_.isActive || events_.isActive(*this);
  if (active == static_cast<bool>(unseen)) {
    unseen = active ? 0 : 1;
    if (events_.tabsChanged) events_.tabsChanged(*this);
  }
}

void TermCore::ClearTerminal() {
  // A long session's store is given back, not kept for the next one.
  store_.Clear();
  SetCurrentLine(options_ ? options_->margin : std::string());
  if (events_.cleared) events_.cleared(*this);
}

}  // namespace ombrel
