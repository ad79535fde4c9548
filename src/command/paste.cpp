#include "command/paste.h"

#include "command/token_list.h"

namespace ombrel {

std::string PasteLineText(const std::string& text, const std::string& prefix,
                          const std::string& suffix) {
  std::string result;
  for (const std::string& line : SplitPastedLines(text)) {
    result += prefix + TrimControls(line) + suffix + ' ';
  }
  result.pop_back();  // no blank after the last line
  return result;
}

}  // namespace ombrel
