#include "app/window_arrangement.h"

namespace ombrel {

std::vector<Rect> ArrangeColumns(int n, int width, int height, int toolbarHeight) {
  std::vector<Rect> out;
  if (n <= 0) return out;
  const int w = width / n - 5, h = height - 5 - toolbarHeight;
  for (int i = 0; i < n; ++i) out.push_back({i * w, 0, w, h});
  return out;
}

std::vector<Rect> ArrangeRows(int n, int width, int height, int toolbarHeight) {
  std::vector<Rect> out;
  if (n <= 0) return out;
  const int w = width - 5, h = (height - toolbarHeight) / n - 5;
  for (int i = 0; i < n; ++i) out.push_back({0, i * h, w, h});
  return out;
}

std::vector<Rect> ArrangeMatrix(int n, int width, int height, int toolbarHeight) {
  std::vector<Rect> out;
  if (n <= 0) return out;
  const int c = (n == 1) ? 1 : 2;
  int r = n / c;
  if (r * c < n) ++r;
  const int w = (width - 5) / c, h = (height - toolbarHeight - 5) / r;
  for (int i = 0; i < n; ++i) out.push_back({(i % c) * w, (i / c) * h, w, h});
  return out;
}

}  // namespace ombrel
