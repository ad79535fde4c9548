// Finds which trigger strings occur in a line in one pass. Each string is
// looked for through its rarest byte: the line is searched for those few
// bytes sixteen at a time, and only where one stands is a string compared,
// so twenty triggers cost about as much as one.
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
  // Whether some trigger's string occurs in `line`; entry k of Matches()
  // then tells whether trigger k's does. Empty strings never match.
  bool Scan(std::string_view line);
  const std::vector<char>& Matches() const { return matches_; }

 private:
  struct Probe {
    int trigger;
    size_t offset;  // of the probe byte in the trigger's string
    size_t size;    // of the string
    uint64_t head;  // the string's first bytes, up to eight
    uint64_t mask;  // which bytes of `head` count
    // Index in its list just past the probes with the same offset and head:
    // where one of them finds the line differs, so do the rest.
    size_t groupEnd;
  };
  void Check(std::string_view line, size_t at);

  std::vector<std::string> strings_;
  std::array<std::vector<Probe>, 256> byByte_;
  std::array<bool, 256> isProbe_{};
  std::vector<char> probeBytes_;  // distinct, in the order first chosen
  std::vector<char> matches_;
  bool marked_ = false;
};

}  // namespace ombrel
