#include "term/line_store.h"

#include <algorithm>
#include <cstring>

namespace ombrel {

TextArena::Span TextArena::Append(std::string_view head, std::string_view text) {
  Span s;
  // A record counts in 32 bits: a line of over 4 GiB of sequences keeps
  // its first 4 GiB.
  if (head.size() + text.size() > UINT32_MAX) text = text.substr(0, UINT32_MAX - std::min<size_t>(head.size(), UINT32_MAX));
  if (head.size() > UINT32_MAX) head = head.substr(0, UINT32_MAX);
  const size_t size = head.size() + text.size();
  s.length = static_cast<uint32_t>(size);
  if (size == 0) return s;
  if (size > kBlockSize / 4) {
    // A long line would waste the rest of a shared block; the shared one
    // stays open for the lines after it.
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    reserved_ += size;
    s.block = static_cast<uint32_t>(blocks_.size() - 1);
  } else {
    if (fill_ < 0 || used_ + size > kBlockSize) {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
      reserved_ += kBlockSize;
      fill_ = static_cast<int64_t>(blocks_.size() - 1);
      used_ = 0;
    }
    s.block = static_cast<uint32_t>(fill_);
    s.offset = static_cast<uint32_t>(used_);
    used_ += size;
  }
  char* out = blocks_[s.block].get() + s.offset;
  if (!head.empty()) std::memcpy(out, head.data(), head.size());
  if (!text.empty()) std::memcpy(out + head.size(), text.data(), text.size());
  return s;
}

void TextArena::Clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  fill_ = -1;
  used_ = 0;
  reserved_ = 0;
}

std::string_view LineStore::Complete(std::string_view head, std::string_view text) {
  const Record r{arena_.Append(head, text), currentStart_};
  records_.push_back(r);
  current_.clear();
  scan.valid = false;
  return arena_.Get(r.span);
}

void LineStore::Clear() {
  arena_.Clear();
  records_.clear();
  std::string().swap(current_);
  // As on the first start: the colour carried on applies from the next line.
  currentStart_ = AttrState();
  scan.valid = false;
}

}  // namespace ombrel
