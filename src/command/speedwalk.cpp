#include "command/speedwalk.h"

#include <charconv>

namespace ombrel {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int CountOf(const std::string& digits) {
  int count = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return 1;
  return count;
}

}  // namespace

std::vector<SpeedwalkStep> ParseSpeedwalk(const std::string& path) {
  std::vector<SpeedwalkStep> steps;
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDigit(path[i])) continue;
    steps.push_back({path[i], CountOf(path.substr(start, i - start))});
    start = i + 1;
  }
  return steps;
}

}  // namespace ombrel
