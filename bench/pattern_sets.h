// Trigger sets as players keep them, for the pattern benchmarks: a
// thousand mixed regular expressions, and ten thousand triggers of a large
// profile, mostly words to highlight.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "options/options.h"

namespace ombrel::bench {

std::vector<TTrigger> MixedRegexes(size_t n);
std::vector<TTrigger> LargeProfile(size_t n);
// MixedRegexes up to a thousand, LargeProfile beyond.
std::vector<TTrigger> SetOf(int64_t n);

}  // namespace ombrel::bench
