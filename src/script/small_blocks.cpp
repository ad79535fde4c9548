#include "script/small_blocks.h"

#include <new>

namespace ombrel {

void* SmallBlocks::Take(size_t size) {
  const size_t c = ClassOf(size);
  if (Free* f = free_[c]) {
    free_[c] = f->next;
    return f;
  }
  const size_t bytes = (c + 1) * kGrain;
  if (static_cast<size_t>(end_ - next_) < bytes) {
    // What is left of the chunk stays unused: at most one block's worth.
    std::unique_ptr<std::byte[]> chunk(new (std::nothrow) std::byte[kChunk]);
    if (!chunk) return nullptr;
    next_ = chunk.get();
    end_ = next_ + kChunk;
    chunks_.push_back(std::move(chunk));
  }
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
  chunks_.clear();
  next_ = end_ = nullptr;
}

}  // namespace ombrel
