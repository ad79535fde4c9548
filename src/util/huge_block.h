// Memory for large buffers filled soon after they are made: the line
// store's blocks and a loaded file. On huge pages one page fault fills
// 2 MiB rather than 4 KiB, and for a flood of text the faults cost more
// than the text.
#pragma once

#include <cstddef>
#include <memory>

namespace ombrel {

inline constexpr size_t kHugePage = size_t{2} << 20;

// Frees a block from either function below: it keeps the size it mapped,
// or 0 for one from malloc.
struct BlockFree {
  size_t mapped = 0;
  void operator()(char* p) const;
};
using BlockPtr = std::unique_ptr<char[], BlockFree>;

// `size` bytes from malloc. Throws std::bad_alloc.
BlockPtr AllocateBlock(size_t size);

// `size` bytes with their pages already made (one call into the kernel
// instead of a page fault for each); from malloc where that cannot be.
// Throws std::bad_alloc.
BlockPtr AllocatePopulatedBlock(size_t size);

// `size` bytes (a multiple of kHugePage) aligned to a huge page and asked
// for as huge pages; from malloc where the system maps none. Throws
// std::bad_alloc.
BlockPtr AllocateHugeBlock(size_t size);

}  // namespace ombrel
