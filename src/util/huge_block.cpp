#include "util/huge_block.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace ombrel {

void BlockFree::operator()(char* p) const {
#if defined(__linux__)
  if (mapped) {
    ::munmap(p, mapped);
    return;
  }
#endif
  std::free(p);
}

BlockPtr AllocateBlock(size_t size) {
  char* p = static_cast<char*>(std::malloc(size));
  if (!p) throw std::bad_alloc();
  return BlockPtr(p);
}

BlockPtr AllocatePopulatedBlock(size_t size) {
#if defined(__linux__)
  void* raw = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (raw != MAP_FAILED) return BlockPtr(static_cast<char*>(raw), BlockFree{size});
#endif
  return AllocateBlock(size);
}

BlockPtr AllocateHugeBlock(size_t size) {
#if defined(__linux__)
  // Mapped twice as large and trimmed to the aligned part: malloc's own
  // alignment would keep the whole double mapping.
  void* raw = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw != MAP_FAILED) {
    const auto base = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (base + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = base + size + kHugePage;
    if (aligned > base) ::munmap(raw, aligned - base);
    if (end > aligned + size) ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
    // Advice only: without huge pages the block still works.
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return BlockPtr(reinterpret_cast<char*>(aligned), BlockFree{size});
  }
#endif
  return AllocateBlock(size);
}

}  // namespace ombrel
