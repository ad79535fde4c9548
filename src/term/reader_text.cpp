#include "term/reader_text.h"

#include <algorithm>

#include "term/escape.h"
#include "util/utf8.h"

namespace ombrel {

void ReaderText::SetEncoding(bool utf8, bool strings) {
  if (utf8 == utf8_ && strings == strings_) return;
  utf8_ = utf8;
  strings_ = strings;
  Reset();
}

std::u16string ReaderText::Decode(std::string_view visible, bool utf8) {
  std::u16string out;
  out.reserve(visible.size());
  if (!utf8) {
    for (unsigned char b : visible) out.push_back(b);
    return out;
  }
  for (size_t i = 0; i < visible.size();) {
    char32_t cp;
    i += utf8::Decode(visible.data(), visible.size(), i, cp);
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::u16string ReaderText::Line(int index) const {
  if (index < 0 || index >= LineCount()) return {};
  return Decode(StripEscapes(store_.Line(index).text, strings_), utf8_);
}

int64_t ReaderText::LineStart(int index) {
  index = std::clamp(index, 0, LineCount());
  // Only completed lines are checkpointed: the current one still grows.
  const int completed = LineCount() - 1;
  int k = std::min(index / kEvery, static_cast<int>(checkpoints_.size()) - 1);
  while (k < index / kEvery && (k + 1) * kEvery <= completed) {
    int64_t start = checkpoints_[static_cast<size_t>(k)];
    for (int i = k * kEvery; i < (k + 1) * kEvery; ++i) start += Units(i) + 1;
    checkpoints_.push_back(start);
    ++k;
  }
  int64_t start = checkpoints_[static_cast<size_t>(k)];
  for (int i = k * kEvery; i < index; ++i) start += Units(i) + 1;
  return start;
}

int ReaderText::LineAt(int64_t offset) {
  if (offset <= 0) return 0;
  // The checkpoint at or before the offset, then line by line.
  LineStart(LineCount() - 1);
  const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), offset);
  int line = static_cast<int>(after - checkpoints_.begin() - 1) * kEvery;
  int64_t start = checkpoints_[static_cast<size_t>(line / kEvery)];
  for (; line < LineCount() - 1; ++line) {
    const int64_t next = start + Units(line) + 1;
    if (next > offset) break;
    start = next;
  }
  return line;
}

}  // namespace ombrel
