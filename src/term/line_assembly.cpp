// Line assembly: how received pieces become stored lines.
#include <algorithm>
#include <array>

#include "term/line_walker.h"
#include "term/pattern_triggers.h"
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

// A backspace acts where it stands in the stream, on the line as it is by
// then: what is stored does not depend on where reads are cut.
void TermCore::AddText(std::string_view piece, bool checkTriggers) {
  if (piece.find(kBS) == std::string_view::npos) return Assemble(piece, checkTriggers);
  const bool strings = options_->features.extendedcolours;
  // A backspace inside a sequence is part of it.
  size_t from = 0;
  SequenceWalker walker(piece, strings);
  for (LinePiece text; walker.Next(text) && text.kind != PieceKind::CutOff;) {
    if (text.kind != PieceKind::Text) continue;
    const char* d = piece.data();
    for (size_t at = FindAnyOf(d, text.begin, text.end, kBS, kBS, kBS); at < text.end;
         at = FindAnyOf(d, at + 1, text.end, kBS, kBS, kBS)) {
      Assemble(piece.substr(from, at - from), checkTriggers);
      Backspace();
      from = at + 1;
    }
  }
  Assemble(piece.substr(from), checkTriggers);
}

// Erases the last character of the line being assembled when it is one of
// its text: never the margin, a sequence, or what a line end or a wrap has
// completed. Each character a backspace may still reach is listed with the
// break position before it, so that a run of them costs no rescan.
void TermCore::Backspace() {
  pendingPair_ = 0;  // a CR and an LF parted by a backspace end two lines
  AssemblyScan& scan = store_.scan;
  const bool valid = scan.valid;
  std::string& line = store_.EditCurrent();
  if (!valid || line.size() != scan.size) return;
  scan.valid = true;
  if (scan.pending > 0) {
    // A character still cut off is ended by the backspace, and erased.
    line.resize(line.size() - static_cast<size_t>(scan.pending));
    scan.pending = 0;
    scan.size = line.size();
    return;
  }
  Erasable& e = erasable_;
  if (!e.valid || e.line != store_.CurLine() || e.pos > line.size()) {
    e.valid = true, e.line = store_.CurLine(), e.brk = -1;
    e.pos = static_cast<size_t>(std::clamp(scan.firstBreak, 0L, static_cast<long>(line.size())));
    e.chars.clear();
  }
  // A sequence is never erased, nor anything before it.
  CharWalker walker(line, {options_->features.utf8, options_->features.extendedcolours}, e.pos);
  PieceKind kind;
  for (VisibleChar c; walker.Next(kind, c);) {
    if (kind != PieceKind::Text) {
      e.chars.clear();
      e.brk = static_cast<long>(c.begin) - 1;
      continue;
    }
    e.chars.push_back({c.begin, c.cells, e.brk});
    if (IsBreakChar(line[c.begin])) e.brk = static_cast<long>(c.begin);
  }
  e.pos = line.size();
  if (e.chars.empty()) return;
  const Erasable::Char last = e.chars.back();
  e.chars.pop_back();
  line.resize(last.pos);
  e.pos = last.pos;
  e.brk = last.brk;
  scan.size = line.size();
  scan.cells -= last.cells;
  scan.brk = last.brk;
}

// Lines are cut from one working string in a single pass: runs of ordinary
// bytes are skipped sixteen at a time, and a line that ends within the
// width is never searched for break points.
void TermCore::Assemble(std::string_view piece, bool checkTriggers) {
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
  const bool utf8 = options_->features.utf8, strings = options_->features.extendedcolours;
  const bool resume = saved.valid && saved.size == work.size() && saved.width == width &&
                      saved.margin == margin && saved.utf8 == utf8 && saved.strings == strings;
  // The line is scanned again from its start: what a backspace may reach too.
  if (!resume) erasable_.valid = false;
  // A character the last read cut off is counted from its first byte.
  const size_t from = resume ? work.size() - static_cast<size_t>(saved.pending) : 0;
  work += piece;
  // Plain text is searched for sequences once here rather than once a line.
  const bool noSequence = margin.find(kEsc) == std::string::npos && work.find(kEsc) == std::string::npos;

  const char* d = work.data();
  // Shown as UTF-8, a character still cut off at the end waits: whether it
  // fits is known once it is complete.
  // A lead byte that a backspace left at the end was counted already, as
  // the character it was before the byte after it went.
  const size_t n = utf8 ? std::max(from, work.size() - utf8::IncompleteTail(d, work.size())) : work.size();
  const size_t tail = work.size() - n;
  size_t start = 0;
  long brk = resume ? saved.brk : -1;  // last break position, inclusive end of a wrapped line
  // Breaking inside the margin would store a line of margin alone and push
  // the next one past the width, so break positions start after it.
  long firstBreak = resume ? saved.firstBreak : (work.compare(0, margin.size(), margin) == 0 ? marginCells : 0);
  long cells = resume ? saved.cells : 0;
  auto store = [&](size_t to, bool wrapped) {
    StoreLine(start == 0 ? std::string_view() : std::string_view(margin), std::string_view(work).substr(start, to - start),
              checkTriggers, noSequence, wrapped);
  };
  SequenceWalker sequences(work, strings);
  size_t i = from;
  while (i < n) {
    const char c = d[i];
    if (c == kCR || c == kLF) {
      store(i, false);
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
      LinePiece sequence;
      sequences.Seek(i);
      if (!sequences.Next(sequence) || sequence.kind == PieceKind::CutOff) break;
      i = sequence.end;
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
    auto visible = [&](size_t a, size_t b) { return VisibleCells(work, a, b, {utf8, strings}); };
    brk = LastBreak(d, lo, static_cast<long>(w), brk);
    // A break before every visible character would store a line of
    // sequences alone and leave the next one a cell over the width.
    if (brk < firstBreak || visible(firstBreak, brk + 1) == 0) brk = static_cast<long>(w) - 1;
    const size_t lineEnd = static_cast<size_t>(brk + 1);
    store(lineEnd, true);
    start = lineEnd;
    firstBreak = static_cast<long>(start);
    cells = marginCells + visible(start, after);
    i = after;
    // Moved back to a break, what is carried over with the character that
    // did not fit may not fit the new line either (wide characters): it is
    // read again from the line's start. What came before that character
    // fitted on the old line beside at least one other, so it fits here.
    if (cells > width && visible(start, w) > 0) cells = marginCells, i = start;
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
  // One very large write leaves a short line in a buffer of its size: it
  // is given back rather than kept for good. A line that grows read by read
  // never holds four times its size.
  if (work.capacity() > kKeptLineCapacity && work.capacity() / 4 > work.size()) work.shrink_to_fit();
  SetCurrentLine(std::move(work));
  store_.scan = {true,       store_.CurrentText().size(), static_cast<int>(width), margin, brk, firstBreak,
                 static_cast<int>(cells), static_cast<int>(tail), utf8, strings};
}

void TermCore::StoreLine(std::string_view head, std::string_view text, bool checkTriggers, bool noSequence,
                         bool wrapped) {
  Stored(store_.Complete(head, text, wrapped), checkTriggers, noSequence);
}

void TermCore::Stored(std::string_view stored, bool checkTriggers, bool noSequence) {
  const AttrState start = carry_;
  if (!noSequence) CarrySGR(stored, carry_, options_->features.extendedcolours, stringsSeen_);
  store_.StartCurrent(options_->margin, carry_);
  // Pattern triggers see the read's lines together once it is stored; the
  // log and listeners hear each line after them.
  if (checkTriggers && options_->features.patterns) return patternLines_.push_back(store_.CurLine() - 1);
  // Stored text never moves, so an echo from a trigger may add lines freely.
  if (logfile_) LogLine(stored, start);
  // The triggers of the set act first: what listeners do with a line (a
  // script's reply) comes after theirs.
  const int32_t index = store_.CurLine() - 1;
  if (checkTriggers) RunTriggers(stored);
  if (listeners_.MayHear(stored)) listeners_.TellLine(index, stored, checkTriggers);
}

void TermCore::NewLine(std::string_view lineText, bool checkTriggers) {
  StoreLine({}, lineText, checkTriggers);
}

void TermCore::SetCurrentLine(std::string lineText) {
  store_.EditCurrent() = std::move(lineText);
  const bool active = !host_ || host_->IsActive();
  if (active == static_cast<bool>(unseen)) {
    unseen = active ? 0 : 1;
    listeners_.Tell(&TermListener::UnseenChanged, !active);
  }
}

void TermCore::ClearTerminal() {
  // What was received before the erase still triggers.
  RunPatternTriggers();
  if (inPatternBatch_) rewrite_.cleared = true;
  patternLines_.clear();
  highlights_.Clear();
  // A long session's store is given back, not kept for the next one.
  store_.Clear();
  SetCurrentLine(options_ ? options_->margin : std::string());
  listeners_.Tell(&TermListener::Cleared);
}

}  // namespace ombrel
