// Colours pattern triggers and scripts lay over stored lines: byte ranges of a line's
// stored text (sequences included) with the colours they are painted in.
// Lines gain them as they are stored, so the list stays sorted by line and
// a line's ranges are found by a binary search.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "options/options.h"

namespace ombrel {

struct RawHighlight {
  uint32_t begin = 0, end = 0;  // [begin, end) of the stored text
  std::optional<Color> fgcolor, bgcolor;
  bool operator==(const RawHighlight&) const = default;
};

class LineHighlights {
 public:
  // `line` is past every line given before, or the last one given, whose
  // ranges these follow.
  void Add(int32_t line, std::span<const RawHighlight> ranges) {
    if (ranges.empty()) return;
    if (lines_.empty() || lines_.back().line != line) lines_.push_back({line, static_cast<uint32_t>(ranges_.size())});
    ranges_.insert(ranges_.end(), ranges.begin(), ranges.end());
  }
  // In the order the triggers gave them: where two cover a byte, the first
  // one's colours win.
  std::span<const RawHighlight> Of(int32_t line) const {
    if (lines_.empty() || line > lines_.back().line) return {};
    const auto it = std::lower_bound(lines_.begin(), lines_.end(), line,
                                     [](const Entry& e, int32_t l) { return e.line < l; });
    if (it == lines_.end() || it->line != line) return {};
    const uint32_t end = it + 1 == lines_.end() ? static_cast<uint32_t>(ranges_.size()) : (it + 1)->first;
    return std::span<const RawHighlight>(ranges_).subspan(it->first, end - it->first);
  }
  // The lines from `line` on are gone (or stored again).
  void DropFrom(int32_t line) {
    const auto it = std::lower_bound(lines_.begin(), lines_.end(), line,
                                     [](const Entry& e, int32_t l) { return e.line < l; });
    if (it == lines_.end()) return;
    ranges_.resize(it->first);
    lines_.erase(it, lines_.end());
  }
  void Clear() {
    lines_.clear();
    ranges_.clear();
  }
  bool Empty() const { return lines_.empty(); }

 private:
  struct Entry {
    int32_t line;
    uint32_t first;  // in ranges_
  };
  std::vector<Entry> lines_;
  std::vector<RawHighlight> ranges_;
};

}  // namespace ombrel
