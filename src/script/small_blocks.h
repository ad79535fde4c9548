// The small blocks of one Lua state (strings, tables, closures: most are
// under a few hundred bytes and live briefly), kept on free lists by size
// instead of going through malloc each time: a received line that fires a
// trigger makes and drops a few of them.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace ombrel {

class SmallBlocks {
 public:
  // Blocks up to this many bytes come from here; larger ones from malloc.
  static constexpr size_t kLargest = 256;

  SmallBlocks() = default;
  SmallBlocks(const SmallBlocks&) = delete;
  SmallBlocks& operator=(const SmallBlocks&) = delete;

  // A block of at least `size` bytes (1..kLargest), aligned for any type;
  // null when memory runs out.
  void* Take(size_t size);
  // Back to its free list: `size` as it was asked for.
  void Give(void* block, size_t size);
  // A block taken for `a` bytes serves `b` as well.
  static bool Fits(size_t a, size_t b) {
    return a <= kLargest && b <= kLargest && a > 0 && b > 0 && ClassOf(a) == ClassOf(b);
  }
  // Every chunk goes back to the system: no block taken may still be used.
  void Clear();

  // Bytes held in chunks, taken or free.
  size_t Held() const { return chunks_.size() * kChunk; }

 private:
  static constexpr size_t kGrain = 16;  // alignment and size step
  static constexpr size_t kClasses = kLargest / kGrain;
  static constexpr size_t kChunk = 64 << 10;
  static size_t ClassOf(size_t size) { return (size - 1) / kGrain; }

  struct Free {
    Free* next;
  };
  Free* free_[kClasses] = {};
  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  std::byte* next_ = nullptr;  // the unused rest of the newest chunk
  std::byte* end_ = nullptr;
};

}  // namespace ombrel
