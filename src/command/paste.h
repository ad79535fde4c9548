// Clipboard text made into one line for the command line.
#pragma once

#include <string>

namespace ombrel {

// Every line of `text` trimmed, wrapped in `prefix` and `suffix`, joined
// by single spaces.
std::string PasteLineText(const std::string& text, const std::string& prefix,
                          const std::string& suffix);

}  // namespace ombrel
