// Number fields keep only their digits when the user leaves them.
#pragma once

#include <string>

namespace ombrel {

// The digits of `text`; `fallback` only when the text is empty, so a field
// of letters ends up empty rather than taking the default.
std::string DigitsOnly(const std::string& text, const std::string& fallback);

}  // namespace ombrel
