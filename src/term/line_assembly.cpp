// Line assembly: how received pieces become stored lines.
#include <algorithm>

#include "term/term_core.h"

namespace ombrel {

namespace {

constexpr char kBS = 8;
constexpr char kCR = 13;
constexpr char kLF = 10;

bool IsBreakChar(char c) { return c == ' ' || c == ',' || c == '.' || c == '-'; }

// A backspace erases the character before it, which may have arrived in an
// earlier read; one at the very start is dropped alone.
void ApplyBackspaces(std::string& s) {
  if (s.find(kBS) == std::string::npos) return;
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c != kBS) {
      out += c;
    } else if (!out.empty()) {
      out.pop_back();
    }
  }
  s.swap(out);
}

// Cells taken by s[from, to): escape sequences take none.
int VisibleCells(const std::string& s, size_t from, size_t to) {
  int cells = 0;
  for (size_t i = from; i < to; ++i) {
    if (s[i] == kEsc) {
      size_t end = EscapeEnd(s, i);
      if (end == std::string::npos || end >= to) break;
      i = end;
    } else {
      ++cells;
    }
  }
  return cells;
}

}  // namespace

void TermCore::CompleteLine(const std::string& work, size_t from, size_t to, bool checkTriggers) {
  std::string line = work.substr(from, to - from);
  if (from != 0) line.insert(0, options_->margin);
  NewLine(std::move(line), checkTriggers);
}

void TermCore::AddText(std::string_view piece, bool checkTriggers) {
  // A CR LF cut in two by the end of a read still ends one line.
  const char skip = pendingPair_;
  pendingPair_ = 0;
  if (skip && !piece.empty() && piece[0] == skip) piece.remove_prefix(1);
  const std::string margin = options_->margin;
  const int width = cols;
  const int marginCells = static_cast<int>(margin.size());
  const AssemblyScan saved = store_.scan;
  // The working string is our own: a trigger's local echo may re-enter and
  // change the store while we scan. Taking it costs nothing.
  std::string work = std::move(store_.Current().text);
  // A backspace may reach back into what was scanned: then all of it again.
  const bool resume = saved.valid && saved.size == work.size() && saved.width == width &&
                      saved.margin == margin && piece.find(kBS) == std::string_view::npos;
  const size_t from = resume ? work.size() : 0;
  work += piece;
  if (!resume) ApplyBackspaces(work);

  size_t start = 0;
  long brk = resume ? saved.brk : -1;  // last break position, inclusive end of a wrapped line
  // Breaking inside the margin would store a line of margin alone and push
  // the next one past the width, so break positions start after it.
  long firstBreak = resume ? saved.firstBreak : (work.compare(0, margin.size(), margin) == 0 ? marginCells : 0);
  int cells = resume ? saved.cells : 0;
  size_t i = from;
  while (i < work.size()) {
    const char c = work[i];
    if (IsBreakChar(c) && static_cast<long>(i) >= firstBreak) brk = static_cast<long>(i);
    if (c == kCR || c == kLF) {
      CompleteLine(work, start, i, checkTriggers);
      size_t next = i + 1;
      const char pair = (c == kCR) ? kLF : kCR;
      if (next < work.size() && work[next] == pair) {
        ++next;
      } else if (next == work.size()) {
        pendingPair_ = pair;
      }
      start = next;
      firstBreak = static_cast<long>(start);
      brk = -1;
      cells = marginCells;
      i = next;
    } else if (c == kEsc) {
      brk = static_cast<long>(i) - 1;
      size_t end = EscapeEnd(work, i);
      i = (end == std::string::npos) ? work.size() : end + 1;
    } else if (cells >= width) {
      // A break before every visible character would store a line of
      // sequences alone and leave the next one a cell over the width.
      if (brk < firstBreak || VisibleCells(work, firstBreak, brk + 1) == 0) brk = static_cast<long>(i) - 1;
      const size_t lineEnd = static_cast<size_t>(brk + 1);
      CompleteLine(work, start, lineEnd, checkTriggers);
      start = lineEnd;
      firstBreak = static_cast<long>(start);
      cells = marginCells + VisibleCells(work, start, i + 1);
      ++i;
    } else {
      ++cells;
      ++i;
    }
  }
  store_.assembled += piece.size() + (work.size() - from);
  std::string rest;
  if (start == 0) {
    rest = std::move(work);
  } else {
    rest = margin + work.substr(start);
    store_.assembled += rest.size();
    // The line now starts with the margin where work[start] stood; a break
    // before the line's start is as good as none.
    const long shift = marginCells - static_cast<long>(start);
    firstBreak += shift;
    brk = (brk < static_cast<long>(start)) ? -1 : brk + shift;
  }
  SetCurrentLine(std::move(rest));
  // A margin with a backspace in it would be erased by the next read.
  store_.scan = {margin.find(kBS) == std::string::npos, store_.Current().text.size(), width, margin, brk,
                 firstBreak, cells};
}

void TermCore::NewLine(std::string lineText, bool checkTriggers) {
  const int32_t index = store_.curline;
  store_.Current().text = std::move(lineText);
  {
    const std::string& t = store_.Current().text;
    for (size_t i = t.find(kEsc); i != std::string::npos; i = t.find(kEsc, i + 1)) {
      size_t end = EscapeEnd(t, i);
      if (end == std::string::npos) break;
      if (t[end] == 'm') ApplySGR(EscapeParams(t, i, end), carry_);
      i = end;
    }
  }
  ++store_.curline;
  auto& buf = store_.buf;
  if (static_cast<size_t>(store_.curline) >= buf.size())
    buf.resize(static_cast<size_t>(store_.curline) + LineStore::kGrowBy);
  tbufrec& cur = store_.Current();
  cur.text = options_->margin;
  cur.startcolor = carry_.color;
  cur.startbold = carry_.bold;
  // RunTriggers keeps its own copy before anything can move the store.
  const std::string& stored = store_.Line(index).text;
  if (logfile_) LogLine(stored);
  if (checkTriggers) RunTriggers(stored);
}

void TermCore::SetCurrentLine(std::string lineText) {
  store_.Current().text = std::move(lineText);
  const bool active = !events_.isActive || events_.isActive(*this);
  if (active == static_cast<bool>(unseen)) {
    unseen = active ? 0 : 1;
    if (events_.tabsChanged) events_.tabsChanged(*this);
  }
}

void TermCore::ClearTerminal() {
  store_.buf.resize(LineStore::kInitialLines);
  // A long session's store is given back, not kept for the next one.
  store_.buf.shrink_to_fit();
  store_.curline = 0;
  SetCurrentLine(options_ ? options_->margin : std::string());
  if (events_.cleared) events_.cleared(*this);
}

}  // namespace ombrel
