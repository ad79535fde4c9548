// Which lines someone hears: all of them, or only those that hold one of
// `bytes`. One that acts on a few texts rules most lines out this way before
// being told, for the price of a search or two; it keeps the filter up to
// date itself.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace ombrel {

struct LineFilter {
  bool all = true;
  std::string bytes;
  bool Admits(std::string_view line) const {
    if (all) return true;
    for (char b : bytes)
      if (std::memchr(line.data(), b, line.size())) return true;
    return false;
  }
};

}  // namespace ombrel
