#include "term/line_store.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif


namespace ombrel {

void TextArena::Free::operator()(char* p) const {
#if defined(__linux__)
  if (mapped) {
    ::munmap(p, mapped);
    return;
  }
#endif
  std::free(p);
}

namespace {

// A shared block is filled a line at a time, and a flood of text spends
// more on the page faults of new blocks than on the text: aligned to the
// huge page size and asked for as one, a block costs one fault, not 512.
// Null when the system will not map it.
char* MapAligned(size_t size) {
#if defined(__linux__)
  void* raw = ::mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto base = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (base + size - 1) & ~(size - 1);
  const uintptr_t end = base + 2 * size;
  if (aligned > base) ::munmap(raw, aligned - base);
  if (end > aligned + size) ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
  ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<char*>(aligned);
#else
  (void)size;
  return nullptr;
#endif
}

}  // namespace

char* TextArena::NewBlock(size_t size) {
  if (size == kBlockSize) {
    if (char* p = MapAligned(size)) {
      owned_.emplace_back(p, Free{size});
      blocks_.push_back(p);
      reserved_ += size;
      return p;
    }
  }
  char* p = static_cast<char*>(std::malloc(size));
  if (!p) throw std::bad_alloc();
  owned_.emplace_back(p);
  blocks_.push_back(p);
  reserved_ += size;
  return p;
}

uint32_t TextArena::Adopt(FileBytes text) {
  reserved_ += text.capacity();
  adopted_.push_back(std::move(text));
  blocks_.push_back(adopted_.back().data());
  return static_cast<uint32_t>(blocks_.size() - 1);
}

TextArena::Span TextArena::AppendElsewhere(std::string_view head, std::string_view text) {
  // A record counts in 32 bits: a line of over 4 GiB of sequences keeps
  // its first 4 GiB.
  if (head.size() > UINT32_MAX) head = head.substr(0, UINT32_MAX);
  if (head.size() + text.size() > UINT32_MAX) text = text.substr(0, UINT32_MAX - head.size());
  const size_t size = head.size() + text.size();
  Span s{0, 0, static_cast<uint32_t>(size)};
  if (size == 0) return s;
  char* out;
  if (size > kBlockSize / 4) {
    // A long line would waste the rest of a shared block; the shared one
    // stays open for the lines after it.
    out = NewBlock(size);
    s.block = static_cast<uint32_t>(blocks_.size() - 1);
  } else {
    out = NewBlock(kBlockSize);
    fill_ = blocks_.size() - 1;
    used_ = size;
    s.block = static_cast<uint32_t>(fill_);
  }
  Put(out, head, text);
  return s;
}

void TextArena::Clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  owned_.clear();
  owned_.shrink_to_fit();
  adopted_.clear();
  adopted_.shrink_to_fit();
  fill_ = 0;
  used_ = kBlockSize;
  reserved_ = 0;
}

size_t LineStore::StateHash::operator()(const AttrState& s) const {
  const uint64_t low = s.background | uint64_t{s.bold} << 32 | uint64_t{s.reverse} << 40 | uint64_t{s.underline} << 48;
  return std::hash<uint64_t>()(low ^ uint64_t{static_cast<uint32_t>(s.color)} * 0x9E3779B97F4A7C15);
}

uint32_t LineStore::Intern(const AttrState& state) {
  if (const auto it = startIndex_.find(state); it != startIndex_.end()) return it->second;
  const auto index = static_cast<uint32_t>(starts_.size());
  starts_.push_back(state);
  if (startIndex_.size() < kIndexedStates) startIndex_.emplace(state, index);
  return index;
}

void LineStore::Clear() {
  arena_.Clear();
  records_.clear();
  std::string().swap(current_);
  // As on the first start: the colour carried on applies from the next line.
  currentStart_ = AttrState();
  currentIndex_ = 0;
  starts_.clear();
  startIndex_.clear();
  Intern(AttrState());
  scan.valid = false;
}

}  // namespace ombrel
