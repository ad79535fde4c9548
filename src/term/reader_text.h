// The terminal's store as a screen reader reads it: every line without its
// colour sequences, joined by line feeds, with positions counted in UTF-16
// units as the accessibility interfaces count them. A session may hold ten
// million lines, so nothing is built whole: a line's start is found from a
// checkpoint every 64 lines, kept as lines are asked for, and only the few
// lines a question touches are stripped and decoded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "term/line_store.h"

namespace ombrel {

class ReaderText {
 public:
  // `utf8`: the set shows UTF-8, decoded as the view decodes it; else each
  // byte is one character. `strings`: string sequences are read whole.
  ReaderText(const LineStore& store, bool utf8, bool strings) : store_(store), utf8_(utf8), strings_(strings) {}
  void SetEncoding(bool utf8, bool strings);
  // The store was emptied or replaced: every position is counted again.
  void Reset() { checkpoints_.assign(1, 0); }

  int LineCount() const { return store_.LineCount(); }
  // A line as characters (UTF-16 units), without its colour sequences.
  std::u16string Line(int index) const;
  // Where a line starts; LineCount() gives the end of the text plus one.
  int64_t LineStart(int index);
  int64_t Length() { return LineStart(LineCount()) - 1; }
  // The line holding `offset` (a line's end, its line feed, counts as its
  // own); offsets beyond the text give the last line.
  int LineAt(int64_t offset);

  // One line's characters, as the other entry points count them.
  static std::u16string Decode(std::string_view visible, bool utf8);

 private:
  static constexpr int kEvery = 64;
  int64_t Units(int index) const { return static_cast<int64_t>(Line(index).size()); }

  const LineStore& store_;
  bool utf8_, strings_;
  // Start of line k * kEvery; line 0 starts at 0.
  std::vector<int64_t> checkpoints_{0};
};

}  // namespace ombrel
