#include "util/digits.h"

namespace ombrel {

std::string DigitsOnly(const std::string& text, const std::string& fallback) {
  if (text.empty()) return fallback;
  std::string out;
  for (char c : text)
    if (c >= '0' && c <= '9') out += c;
  return out;
}

}  // namespace ombrel
