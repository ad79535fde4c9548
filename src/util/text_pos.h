// Texts are addressed by positions counted from 1 in everything the user and
// the stored files see; the code indexes from 0. These two functions are the
// one place where the two meet.
#pragma once

#include <cstddef>

namespace ombrel {

constexpr size_t PosToIndex(int pos) { return pos > 0 ? static_cast<size_t>(pos - 1) : 0; }
constexpr int IndexToPos(size_t index) { return static_cast<int>(index) + 1; }

}  // namespace ombrel
