// Where the terminal windows go when the user arranges them inside the
// main window's client area.
#pragma once

#include <vector>

namespace ombrel {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// n terminals in a client area of width x height, below a toolbar of
// toolbarHeight (0 when hidden). Empty when n is 0.
std::vector<Rect> ArrangeColumns(int n, int width, int height, int toolbarHeight);
std::vector<Rect> ArrangeRows(int n, int width, int height, int toolbarHeight);
std::vector<Rect> ArrangeMatrix(int n, int width, int height, int toolbarHeight);

}  // namespace ombrel
