#include "script/small_blocks.h"

#include <new>

namespace ombrel {

void* SmallBlocks::Take(size_t size) {
  const size_t c = ClassOf(size);
  if (Free* f = free_[c]) {
    free_[c] = f->next;
    return f;
  }
  if (!arena_) {
    if (refused_) return nullptr;
    arena_.reset(new (std::nothrow) std::byte[kArena]);
    if (!arena_) {
      refused_ = true;
      return nullptr;
    }
    next_ = arena_.get();
  }
  const size_t bytes = (c + 1) * kGrain;
  if (static_cast<size_t>(arena_.get() + kArena - next_) < bytes) return nullptr;
  void* block = next_;
  next_ += bytes;
  return block;
}

void SmallBlocks::Give(void* block, size_t size) {
  const size_t c = ClassOf(size);
  free_[c] = new (block) Free{free_[c]};
}

void SmallBlocks::Clear() {
  for (Free*& f : free_) f = nullptr;
  arena_.reset();
  next_ = nullptr;
  refused_ = false;
}

}  // namespace ombrel
