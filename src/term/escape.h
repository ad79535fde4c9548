// The part of the ANSI escape language the terminal knows: where a sequence
// ends, the SGR rules shared by the paint and carried states, the colour
// choice, and stripping sequences for copy and find.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <array>

#include "options/options.h"

namespace ombrel {

inline constexpr char kEsc = 27;
inline constexpr std::string_view kFinalChars = "mpiJKgMDrusfCBAH)(lhRnc";

// What ends a sequence: its final character, or a line end just after it.
// Every byte inside a sequence is tested, so the test is a table.
enum : uint8_t { kSequenceGoesOn = 0, kSequenceFinal = 1, kSequenceLineEnd = 2 };
inline constexpr std::array<uint8_t, 256> kSequenceStop = [] {
  std::array<uint8_t, 256> table{};
  for (char c : kFinalChars) table[static_cast<unsigned char>(c)] = kSequenceFinal;
  table['\r'] = table['\n'] = kSequenceLineEnd;
  return table;
}();

inline bool EndsSequence(char c) { return kSequenceStop[static_cast<unsigned char>(c)] != kSequenceGoesOn; }

// Index of the final character of the sequence whose ESC is at `esc`, or
// npos when the text ends first; a CR or LF ends it just before itself.
size_t EscapeEnd(std::string_view text, size_t esc);

// Parameter text of the complete sequence text[esc..final]: what lies
// between its second character and its final character.
std::string_view EscapeParams(std::string_view text, size_t esc, size_t final);

struct AttrState {
  uint8_t bold = 0;
  int32_t color = 0;
  bool operator==(const AttrState&) const = default;
};

// Applies an SGR parameter text; `afterValue` runs after each value taken,
// which is where the painter picks its colour.
void ApplySGR(std::string_view params, AttrState& state,
              const std::function<void(const AttrState&)>& afterValue);
void ApplySGR(std::string_view params, AttrState& state);

// Applies every complete SGR sequence of `text` in order: the state a line
// leaves for the next one.
void CarrySGR(std::string_view text, AttrState& state);

// The font colour for text painted in `state`; codes without a colour of
// their own leave `current` as it is.
Color ApplyColor(const AttrState& state, const TOptions& options, Color current);

std::string StripEscapes(std::string_view text);

}  // namespace ombrel
