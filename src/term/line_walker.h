// Walking a stored line as it is shown: its bytes hold escape sequences
// (colours, strings) that take no cell, and shown as UTF-8 a character is
// several bytes and one or two cells. Every reader of stored text (the
// painter, find, the selection, links, the line assembly, the receive
// path, the HTML log) walks it through these, so that all of them agree on
// where a sequence ends and what a cell is.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "term/escape.h"
#include "util/utf8.h"

namespace ombrel {

// How a set reads its lines: `utf8` counts cells by character, `strings`
// reads string sequences (OSC and the like) whole, as extended colours do.
struct WalkMode {
  bool utf8 = false;
  bool strings = false;
};

// One stretch of a line: text, a complete sequence, or a sequence the line
// ends inside of (after which nothing is shown).
enum class PieceKind : uint8_t { Text, Sequence, CutOff };

struct LinePiece {
  PieceKind kind = PieceKind::Text;
  size_t begin = 0;  // a sequence's ESC
  size_t end = 0;    // one past its last byte: past the final character
};

// The pieces of a line from `from` on, in order. Text runs are found a
// memchr at a time, so a plain line is one piece.
class SequenceWalker {
 public:
  SequenceWalker(std::string_view text, bool strings, size_t from = 0)
      : text_(text), strings_(strings), pos_(from) {}

  bool Next(LinePiece& piece) {
    const size_t n = text_.size();
    if (pos_ >= n) return false;
    piece.begin = pos_;
    if (text_[pos_] != kEsc) {
      const void* esc = std::memchr(text_.data() + pos_, kEsc, n - pos_);
      pos_ = esc ? static_cast<size_t>(static_cast<const char*>(esc) - text_.data()) : n;
      piece.kind = PieceKind::Text;
    } else {
      const size_t fin = EscapeEnd(text_, pos_, strings_);
      piece.kind = fin == std::string_view::npos ? PieceKind::CutOff : PieceKind::Sequence;
      pos_ = fin == std::string_view::npos ? n : fin + 1;
    }
    piece.end = pos_;
    return true;
  }
  // Goes on from `pos`, which starts a piece.
  void Seek(size_t pos) { pos_ = pos; }
  size_t Position() const { return pos_; }

  // Whether `piece` (a sequence) sets colours: an SGR, and no string,
  // whatever a string ends in.
  bool IsSgr(const LinePiece& piece) const {
    return piece.kind == PieceKind::Sequence && text_[piece.end - 1] == 'm' &&
           !(strings_ && StartsString(text_, piece.begin));
  }
  // The parameters of a complete sequence.
  std::string_view Params(const LinePiece& piece) const { return EscapeParams(text_, piece.begin, piece.end - 1); }

 private:
  std::string_view text_;
  bool strings_;
  size_t pos_;
};

// A visible character: its bytes and the cells it takes. With UTF-8 off
// each byte is one of one cell.
struct VisibleChar {
  size_t begin = 0, end = 0;
  int cells = 1;
};

// The visible characters of a line, with what stands between them told as
// well: Next gives a character or a sequence (kind Sequence or CutOff,
// `begin` and `end` as the piece's).
class CharWalker {
 public:
  CharWalker(std::string_view text, WalkMode mode, size_t from = 0)
      : text_(text), mode_(mode), pieces_(text, mode.strings, from), runEnd_(from), pos_(from) {}

  // The next character (true, kind Text) or sequence; false at the end.
  bool Next(PieceKind& kind, VisibleChar& c) {
    if (pos_ >= runEnd_) {
      LinePiece piece;
      if (!pieces_.Next(piece)) return false;
      if (piece.kind != PieceKind::Text) {
        kind = piece.kind;
        c = {piece.begin, piece.end, 0};
        pos_ = runEnd_ = piece.end;
        return true;
      }
      pos_ = piece.begin;
      runEnd_ = piece.end;
    }
    kind = PieceKind::Text;
    c.begin = pos_;
    if (mode_.utf8 && static_cast<unsigned char>(text_[pos_]) >= 0x80) {
      char32_t cp;
      pos_ += utf8::Decode(text_.data(), runEnd_, pos_, cp);
      c.cells = utf8::Cells(cp);
    } else {
      ++pos_;
      c.cells = 1;
    }
    c.end = pos_;
    return true;
  }

 private:
  std::string_view text_;
  WalkMode mode_;
  SequenceWalker pieces_;
  size_t runEnd_;
  size_t pos_;
};

// Cells taken by s[from, to): sequences take none; a sequence that ends at
// or past `to`, or never, ends the count.
int VisibleCells(std::string_view s, size_t from, size_t to, WalkMode mode);

// Whether 0-based `pos` lies inside a sequence begun before it (a cut-off
// one included); an ESC that starts a sequence of its own is not inside.
bool WithinSequence(std::string_view text, size_t pos, bool strings);

// A line as it is shown: its text without sequences, and for each byte of
// that text the stored byte it came from and the cell its character starts
// in. What pattern triggers, highlights and a screen reader read.
struct VisibleText {
  std::string text;
  std::vector<uint32_t> offsets;  // stored byte of text[k]
  std::vector<uint32_t> cells;    // 0-based cell of the character holding text[k]
  uint32_t width = 0;             // cells of the whole line

  // The first visible byte at or after stored byte `offset`; text.size() past the end.
  size_t VisibleIndexOf(size_t offset) const;
};

VisibleText VisibleTextOf(std::string_view line, WalkMode mode);

}  // namespace ombrel
