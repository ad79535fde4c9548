#include "term/trigger_filter.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "util/byte_scan.h"

namespace ombrel {

namespace {

// How often a byte turns up in what MUDs send, roughly: spaces and the
// common lower-case letters most, capitals and rare marks least. Parts of
// colour sequences are as common as spaces.
int Commonness(unsigned char c) {
  static constexpr std::string_view kLetters = "etaoinshrdlucmfwypvbgkjqxz";
  if (c == ' ' || c == 27 || c == '[' || c == ';' || c == 'm') return 100;
  if (const size_t at = kLetters.find(static_cast<char>(c)); at != std::string_view::npos)
    return 90 - static_cast<int>(at);
  if (c == '.' || c == ',' || c == '\'' || c == '-') return 60;
  if (c >= '0' && c <= '9') return 40;
  if (c >= 'A' && c <= 'Z') return 30;
  return 10;
}

}  // namespace

void TriggerFilter::Update(const std::vector<TTrigger>& triggers) {
  bool same = triggers.size() == strings_.size();
  for (size_t k = 0; same && k < triggers.size(); ++k) same = triggers[k].string == strings_[k];
  if (same) return;
  strings_.clear();
  for (auto& list : byByte_) list.clear();
  isProbe_.fill(false);
  probeBytes_.clear();
  for (size_t k = 0; k < triggers.size(); ++k) {
    const std::string& s = triggers[k].string;
    strings_.push_back(s);
    if (s.empty()) continue;
    // A byte already searched for costs nothing more, when it is about as
    // rare as the string's rarest.
    size_t best = 0;
    auto cost = [&](size_t i) {
      const auto c = static_cast<unsigned char>(s[i]);
      return Commonness(c) - (isProbe_[c] ? 15 : 0);
    };
    for (size_t i = 1; i < s.size(); ++i)
      if (cost(i) < cost(best)) best = i;
    const auto c = static_cast<unsigned char>(s[best]);
    Probe probe{static_cast<int>(k), best, s.size(), 0, 0, 0};
    const size_t headSize = std::min<size_t>(8, s.size());
    std::memcpy(&probe.head, s.data(), headSize);
    probe.mask = headSize == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * headSize)) - 1;
    byByte_[c].push_back(probe);
    if (!isProbe_[c]) probeBytes_.push_back(static_cast<char>(c));
    isProbe_[c] = true;
  }
  // Strings that start alike sit together, so a line that differs from
  // their start is told so once for all of them.
  const auto key = [](const Probe& p) { return std::tie(p.offset, p.head, p.mask); };
  for (auto& list : byByte_) {
    std::stable_sort(list.begin(), list.end(), [&](const Probe& a, const Probe& b) { return key(a) < key(b); });
    for (size_t end = list.size(); end > 0; --end)
      list[end - 1].groupEnd = (end < list.size() && key(list[end]) == key(list[end - 1])) ? list[end].groupEnd : end;
  }
  matches_.assign(strings_.size(), 0);
  marked_ = false;
}

// Inline in the scan: it runs for every probe byte in every line, and most
// times finds at once that the line differs.
inline void TriggerFilter::Check(std::string_view line, size_t at) {
  const std::vector<Probe>& list = byByte_[static_cast<unsigned char>(line[at])];
  for (size_t k = 0; k < list.size(); ++k) {
    const Probe& p = list[k];
    if (matches_[p.trigger] || at < p.offset || at - p.offset + p.size > line.size()) continue;
    const char* from = line.data() + at - p.offset;
    uint64_t head = 0;
    // Eight bytes at once where the line has them; the mask drops the rest.
    if (from + 8 <= line.data() + line.size()) std::memcpy(&head, from, 8);
    else std::memcpy(&head, from, std::min<size_t>(8, p.size));
    if ((head & p.mask) != p.head) {
      k = p.groupEnd - 1;
      continue;
    }
    if (p.size <= 8 || std::memcmp(from + 8, strings_[p.trigger].data() + 8, p.size - 8) == 0) {
      matches_[p.trigger] = 1;
      marked_ = true;
    }
  }
}

bool TriggerFilter::Scan(std::string_view line) {
  // Most lines match nothing, so the marks are cleared only after some.
  if (marked_) std::fill(matches_.begin(), matches_.end(), 0);
  marked_ = false;
  const char* d = line.data();
  const size_t n = line.size();
  if (probeBytes_.size() <= 3 && !probeBytes_.empty()) {
    const char a = probeBytes_[0];
    const char b = probeBytes_[std::min<size_t>(1, probeBytes_.size() - 1)];
    const char c = probeBytes_.back();
    ForEachOf(d, n, a, b, c, [&](size_t i) { Check(line, i); });
  } else if (!probeBytes_.empty()) {
    for (size_t i = 0; i < n; ++i)
      if (isProbe_[static_cast<unsigned char>(d[i])]) Check(line, i);
  }
  return marked_;
}

}  // namespace ombrel
