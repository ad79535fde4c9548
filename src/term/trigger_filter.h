// A pre-filter for the trigger strings: one pass over a line tells which
// triggers could occur in it, so twenty triggers do not cost twenty scans
// of every line received.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "options/options.h"

namespace ombrel {

class TriggerFilter {
 public:
  // Rebuilds the tables when the trigger strings differ from the last ones.
  void Update(const std::vector<TTrigger>& triggers);
  size_t Size() const { return strings_.size(); }
  // Whether some trigger's string may occur in `line`; then entry k of
  // Candidates() is set for each trigger k that may, and still needs the
  // exact test.
  bool Scan(std::string_view line);
  const std::vector<char>& Candidates() const { return candidates_; }

 private:
  static uint16_t Pair(unsigned char a, unsigned char b) { return static_cast<uint16_t>(a << 8 | b); }

  std::vector<std::string> strings_;
  // Triggers by the first two bytes of their string; one-byte strings by
  // their byte.
  std::array<bool, 256> firstByte_{};  // the first byte of some string
  std::array<uint64_t, 1024> pairSeen_{};
  std::vector<std::vector<int>> byPair_;  // indexed through pairSlot_
  std::vector<int32_t> pairSlot_ = std::vector<int32_t>(65536, -1);
  std::array<std::vector<int>, 256> byByte_;
  std::vector<char> candidates_;
  bool marked_ = false;
};

}  // namespace ombrel
