#include "command/paste.h"

#include "command/token_list.h"

namespace ombrel {

std::string PasteLineText(const std::string& text, const std::string& prefix,
                          const std::string& suffix) {
  std::string result;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '\r') {
      ++i;
      continue;
    }
    result += prefix + TrimControls(text.substr(start, i - start)) + suffix + ' ';
    // The byte after the CR, normally its LF, goes unexamined.
    i += 2;
    start = i;
  }
  const std::string last = start < text.size() ? text.substr(start) : std::string();
  result += prefix + TrimControls(last) + suffix;
  return result;
}

}  // namespace ombrel
