// Speedwalk paths: a path such as 3n2e stands for n three times, then e
// twice.
#pragma once

#include <string>
#include <vector>

namespace ombrel {

struct SpeedwalkStep {
  char direction;
  int count;  // how many times to send it; 0 sends nothing
};

// Steps of `path`, the command without its leading path character. A count
// missing or beyond the signed 32-bit range means once; digits after the
// last direction are ignored.
std::vector<SpeedwalkStep> ParseSpeedwalk(const std::string& path);

}  // namespace ombrel
