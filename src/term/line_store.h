// The terminal's line store: every line it has shown, raw, with the colour
// sequences left in the text and the attribute state at each line's start.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <memory>
#include <vector>

namespace ombrel {

struct tbufrec {
  std::string text;
  int32_t startcolor = 0;
  uint8_t startbold = 0;
};

// Lines in fixed blocks of 4096: growing never moves the lines already
// stored, so a long session neither pauses to copy a million of them nor
// keeps twice the room it needs, and finding a line is a shift and a mask.
class LineBlocks {
 public:
  explicit LineBlocks(size_t n = 0) { resize(n); }
  size_t size() const { return size_; }
  tbufrec& operator[](size_t i) { return (*blocks_[i >> kShift])[i & kMask]; }
  const tbufrec& operator[](size_t i) const { return (*blocks_[i >> kShift])[i & kMask]; }
  // Entries beyond the new size are reset; whole blocks beyond it are freed.
  void resize(size_t n) {
    for (size_t i = n; i < size_ && (i & kMask) != 0; ++i) (*this)[i] = tbufrec();
    const size_t blocks = (n + kMask) >> kShift;
    blocks_.resize(std::max(blocks, blocks_.size()));
    for (size_t b = 0; b < blocks_.size(); ++b)
      if (b < blocks && !blocks_[b]) blocks_[b] = std::make_unique<Block>();
    blocks_.resize(blocks);
    size_ = n;
  }
  void shrink_to_fit() { blocks_.shrink_to_fit(); }

 private:
  static constexpr size_t kShift = 12;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  using Block = std::array<tbufrec, size_t{1} << kShift>;
  std::vector<std::unique_ptr<Block>> blocks_;
  size_t size_ = 0;
};

// Where the line assembly left the current line, so the next read scans only
// what it adds: a line of sequences alone never wraps and can grow without end.
struct AssemblyScan {
  bool valid = false;
  size_t size = 0;  // of the current line's text
  int width = 0;
  std::string margin;
  long brk = -1, firstBreak = 0;
  int cells = 0;
};

struct LineStore {
  static constexpr int kInitialLines = 50;
  static constexpr int kGrowBy = 500;

  // Entries after curline are spare capacity: never painted, saved or searched.
  LineBlocks buf = LineBlocks(kInitialLines);
  int32_t curline = 0;
  // Bytes the line assembly has scanned or copied: what a read costs.
  uint64_t assembled = 0;
  // Valid only while the current line is as the assembly left it: whoever
  // may change it through Current() makes the next read scan it all again.
  AssemblyScan scan;

  const tbufrec& Line(int index) const { return buf[static_cast<size_t>(index)]; }
  tbufrec& Current() {
    scan.valid = false;
    return buf[static_cast<size_t>(curline)];
  }
  const tbufrec& Current() const { return buf[static_cast<size_t>(curline)]; }
  // Stored lines, the current one included.
  int LineCount() const { return curline + 1; }
};

}  // namespace ombrel
