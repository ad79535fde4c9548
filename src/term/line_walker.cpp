#include "term/line_walker.h"

#include <algorithm>

#include "util/byte_scan.h"

namespace ombrel {

namespace {

// The cells of a text run; ASCII, or every byte with UTF-8 off, one each.
int RunCells(const char* d, size_t from, size_t to, bool utf8) {
  if (!utf8) return static_cast<int>(to - from);
  int cells = 0;
  char32_t cp;
  for (size_t i = from; i < to;) {
    if (static_cast<unsigned char>(d[i]) < 0x80) {
      ++i, ++cells;
      continue;
    }
    i += utf8::Decode(d, to, i, cp);
    cells += utf8::Cells(cp);
  }
  return cells;
}

}  // namespace

int VisibleCells(std::string_view s, size_t from, size_t to, WalkMode mode) {
  // Read as if the text ended at `to`: a sequence reaching past it is cut off.
  const std::string_view part = s.substr(0, to);
  SequenceWalker walker(part, mode.strings, from);
  int cells = 0;
  for (LinePiece piece; walker.Next(piece);) {
    if (piece.kind == PieceKind::CutOff) break;
    if (piece.kind == PieceKind::Text) cells += RunCells(part.data(), piece.begin, piece.end, mode.utf8);
  }
  return cells;
}

int VisibleCells(std::string_view s, size_t from, size_t to, bool utf8, bool strings) {
  return VisibleCells(s, from, to, WalkMode{utf8, strings});
}

bool WithinSequence(std::string_view text, size_t pos, bool strings) {
  if (!strings) {
    // Read backwards: a byte is inside when nothing ends the sequence begun
    // by the nearest ESC before it (an ESC inside a sequence changes
    // nothing), and a letter just before it mostly decides at once.
    const size_t esc = FindLast(text.data(), pos, kEsc);
    if (esc == std::string_view::npos) return false;
    for (size_t k = esc + 1; k < pos; ++k)
      if (EndsSequence(text[k])) return false;
    return true;
  }
  // A string holds final characters and ends in an ESC of its own: the
  // line is read from its start.
  SequenceWalker walker(text, true);
  for (LinePiece piece; walker.Next(piece) && piece.begin < pos;)
    if (piece.kind != PieceKind::Text && pos < piece.end) return true;
  return false;
}

size_t VisibleText::VisibleIndexOf(size_t offset) const {
  return static_cast<size_t>(std::lower_bound(offsets.begin(), offsets.end(), offset) - offsets.begin());
}

VisibleText VisibleTextOf(std::string_view line, WalkMode mode) {
  VisibleText out;
  out.text.reserve(line.size());
  out.offsets.reserve(line.size());
  out.cells.reserve(line.size());
  CharWalker walker(line, mode);
  PieceKind kind;
  uint32_t cell = 0;
  for (VisibleChar c; walker.Next(kind, c);) {
    if (kind != PieceKind::Text) continue;
    for (size_t k = c.begin; k < c.end; ++k) {
      out.text += line[k];
      out.offsets.push_back(static_cast<uint32_t>(k));
      out.cells.push_back(cell);
    }
    cell += static_cast<uint32_t>(c.cells);
  }
  out.width = cell;
  return out;
}

}  // namespace ombrel
