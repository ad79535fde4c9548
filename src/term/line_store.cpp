#include "term/line_store.h"

#include "util/ready_blocks.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <new>

namespace ombrel {

char* TextArena::NewBlock(size_t size) {
  // Its pages made at once: a flood of text otherwise stops on a page fault
  // every 4 KiB, which cost more than storing the text. Not huge pages: the
  // kernel may stop to compact memory for one, and growing then pauses for
  // up to 13 ms instead of half a millisecond.
  static ReadyBlocks ready(kBlockSize, 2);
  owned_.push_back(size == kBlockSize ? ready.Take() : AllocatePopulatedBlock(size));
  blocks_.push_back(owned_.back().get());
  reserved_ += size;
  return blocks_.back();
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
  const unsigned more = s.faint | s.italic << 1 | s.blink << 2 | s.conceal << 3 | s.strike << 4;
  const uint64_t low = s.background | uint64_t{s.bold} << 32 | uint64_t{s.reverse} << 40 | uint64_t{s.underline} << 48 |
                       uint64_t{more} << 56;
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
  currentContinues_ = false;
  starts_.clear();
  startIndex_.clear();
  Intern(AttrState());
  scan.valid = false;
}

}  // namespace ombrel
