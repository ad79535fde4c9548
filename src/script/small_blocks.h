// The small blocks of one Lua state (strings, tables, closures: most are
// under a few hundred bytes and live briefly), kept on free lists by size
// instead of going through malloc each time: a received line that fires a
// trigger makes and drops a few of them. They come from one arena of fixed
// size, so what the lists keep is bounded; once it is used up, blocks come
// from malloc as larger ones do.
#pragma once

#include <cstddef>
#include <memory>

namespace ombrel {

class SmallBlocks {
 public:
  // Blocks up to this many bytes may come from here.
  static constexpr size_t kLargest = 256;
  // The arena: reserved at the first block, its pages made as they are used.
  static constexpr size_t kArena = 4 << 20;

  SmallBlocks() = default;
  SmallBlocks(const SmallBlocks&) = delete;
  SmallBlocks& operator=(const SmallBlocks&) = delete;

  // A block of at least `size` bytes (1..kLargest), aligned for any type;
  // null when the arena is used up (or cannot be had).
  void* Take(size_t size);
  // Whether `block` came from Take.
  bool Owns(const void* block) const {
    const auto* p = static_cast<const std::byte*>(block);
    return arena_ && p >= arena_.get() && p < arena_.get() + kArena;
  }
  // Back to its free list: `size` as it was asked for.
  void Give(void* block, size_t size);
  // The arena goes back to the system: no block taken may still be used.
  void Clear();

  // A block taken for `a` bytes serves `b` as well.
  static bool Fits(size_t a, size_t b) {
    return a <= kLargest && b <= kLargest && a > 0 && b > 0 && ClassOf(a) == ClassOf(b);
  }
  // Bytes of the arena handed out so far, taken or free again.
  size_t Held() const { return static_cast<size_t>(next_ - arena_.get()); }

 private:
  static constexpr size_t kGrain = 16;  // alignment and size step
  static constexpr size_t kClasses = kLargest / kGrain;
  static size_t ClassOf(size_t size) { return (size - 1) / kGrain; }

  struct Free {
    Free* next;
  };
  Free* free_[kClasses] = {};
  std::unique_ptr<std::byte[]> arena_;
  std::byte* next_ = nullptr;  // the arena's unused rest
  bool refused_ = false;       // the arena could not be had: not asked again
};

}  // namespace ombrel
