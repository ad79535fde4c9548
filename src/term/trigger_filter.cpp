#include "term/trigger_filter.h"

namespace ombrel {

void TriggerFilter::Update(const std::vector<TTrigger>& triggers) {
  bool same = triggers.size() == strings_.size();
  for (size_t k = 0; same && k < triggers.size(); ++k) same = triggers[k].string == strings_[k];
  if (same) return;
  strings_.clear();
  pairSeen_.fill(0);
  firstByte_.fill(false);
  std::fill(pairSlot_.begin(), pairSlot_.end(), -1);
  byPair_.clear();
  for (auto& list : byByte_) list.clear();
  for (size_t k = 0; k < triggers.size(); ++k) {
    const std::string& s = triggers[k].string;
    strings_.push_back(s);
    if (!s.empty()) firstByte_[static_cast<unsigned char>(s[0])] = true;
    if (s.size() == 1) {
      byByte_[static_cast<unsigned char>(s[0])].push_back(static_cast<int>(k));
    } else if (s.size() >= 2) {
      const uint16_t p = Pair(s[0], s[1]);
      pairSeen_[p >> 6] |= uint64_t{1} << (p & 63);
      if (pairSlot_[p] < 0) {
        pairSlot_[p] = static_cast<int32_t>(byPair_.size());
        byPair_.emplace_back();
      }
      byPair_[pairSlot_[p]].push_back(static_cast<int>(k));
    }
  }
  candidates_.assign(strings_.size(), 0);
  marked_ = false;
}

bool TriggerFilter::Scan(std::string_view line) {
  // Most lines mark nothing, so the marks are cleared only after some.
  if (marked_) std::fill(candidates_.begin(), candidates_.end(), 0);
  marked_ = false;
  const auto* s = reinterpret_cast<const unsigned char*>(line.data());
  const size_t n = line.size();
  auto mark = [this](const std::vector<int>& list) {
    for (int k : list) candidates_[k] = 1;
    marked_ = marked_ || !list.empty();
  };
  for (size_t i = 0; i < n; ++i) {
    if (!firstByte_[s[i]]) continue;
    mark(byByte_[s[i]]);
    if (i + 1 < n) {
      const uint16_t p = Pair(s[i], s[i + 1]);
      if (pairSeen_[p >> 6] & (uint64_t{1} << (p & 63))) mark(byPair_[pairSlot_[p]]);
    }
  }
  return marked_;
}

}  // namespace ombrel
