// A pre-filter for the trigger strings: one pass over a line tells which
// triggers could occur in it, so twenty triggers do not cost twenty scans
// of every line received.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "options/options.h"

namespace ombrel {

class TriggerFilter {
 public:
  // Rebuilds the tables when the trigger strings differ from the last ones.
  void Update(const std::vector<TTrigger>& triggers);
  size_t Size() const { return strings_.size(); }
  // Entry k is set when trigger k's string may occur in `line`; a set entry
  // still needs the exact test.
  const std::vector<char>& Candidates(const std::string& line);

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
};

}  // namespace ombrel
