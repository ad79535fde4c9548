// The terminal's line store: every line it has shown, raw, with the colour
// sequences left in the text and the attribute state at each line's start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ombrel {

struct tbufrec {
  std::string text;
  int32_t startcolor = 0;
  uint8_t startbold = 0;
};

struct LineStore {
  static constexpr int kInitialLines = 50;
  static constexpr int kGrowBy = 500;

  // Entries after curline are spare capacity: never painted, saved or searched.
  std::vector<tbufrec> buf = std::vector<tbufrec>(kInitialLines);
  int32_t curline = 0;

  const tbufrec& Line(int index) const { return buf[static_cast<size_t>(index)]; }
  tbufrec& Current() { return buf[static_cast<size_t>(curline)]; }
  const tbufrec& Current() const { return buf[static_cast<size_t>(curline)]; }
  // Stored lines, the current one included.
  int LineCount() const { return curline + 1; }
};

}  // namespace ombrel
