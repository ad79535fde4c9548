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
#include "util/byte_scan.h"

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

// With extended colours on, a set also reads the string sequences xterm
// knows whole: ESC and one of these (OSC, DCS, SOS, PM, APC), then anything
// up to BEL or ESC \. A link's address or a window title is full of final
// characters, which would otherwise end it early and show the rest.
inline constexpr std::string_view kStringIntroducers = "]PX^_";
// A string with no end within this many bytes ends there, so that one
// never ended cannot hide the text after it.
inline constexpr size_t kMaxStringSequence = 4 * 1024;
inline constexpr char kBel = 7;

inline constexpr std::array<bool, 256> kIntroducesString = [] {
  std::array<bool, 256> table{};
  for (char c : kStringIntroducers) table[static_cast<unsigned char>(c)] = true;
  return table;
}();

// Asked of every sequence with extended colours on: a table.
inline bool StartsString(std::string_view text, size_t esc) {
  return esc + 1 < text.size() && kIntroducesString[static_cast<unsigned char>(text[esc + 1])];
}

// Whether `text` may hold a string sequence: an ESC before an introducer,
// inside another sequence or not. Two passes sixteen bytes a step: once a
// server has sent a string, every coloured line is asked.
inline bool MayHoldString(std::string_view text) {
  const char* d = text.data();
  const size_t n = text.size();
  return FindPair(d, 0, n, kEsc, kEsc, ']', 'P', 'X') < n || FindPair(d, 0, n, kEsc, kEsc, '^', '_', '_') < n;
}

// Index of the last byte of the string sequence whose ESC is at `esc`, or
// npos when the text ends first.
size_t StringEnd(std::string_view text, size_t esc);

// Index of the final character of the sequence whose ESC is at `esc`, or
// npos when the text ends first; a CR or LF ends it just before itself.
// `strings`: string sequences are read whole.
// Inline: every sequence of every line is passed through it.
inline size_t EscapeEnd(std::string_view text, size_t esc, bool strings = false) {
  if (strings && StartsString(text, esc)) return StringEnd(text, esc);
  for (size_t i = esc + 1; i < text.size(); ++i) {
    const uint8_t stop = kSequenceStop[static_cast<unsigned char>(text[i])];
    if (stop == kSequenceGoesOn) continue;
    // A sequence never runs across a line end, else the stored line would
    // hold the line end and load back as two lines.
    return stop == kSequenceFinal ? i : i - 1;
  }
  return std::string_view::npos;
}

// Cells taken by s[from, to), as the line walker counts them
// (`term/line_walker.h`).
int VisibleCells(std::string_view s, size_t from, size_t to, bool utf8, bool strings = false);

// Parameter text of the complete sequence text[esc..final]: what lies
// between its second character and its final character.
std::string_view EscapeParams(std::string_view text, size_t esc, size_t final);

// A colour as extended SGR names it: the kind in the top bits, then an
// index or a 0x00BBGGRR value. 0 is the default colour.
using ExtColor = uint32_t;
inline constexpr ExtColor kExtBase = 1u << 24;     // 30-37: index 0-7, brightened by bold
inline constexpr ExtColor kExtPalette = 2u << 24;  // an index into the 256-colour palette
inline constexpr ExtColor kExtRgb = 3u << 24;      // a true colour
inline constexpr ExtColor kExtKind = 3u << 24;

// The attributes at one point of the text. A set with classic colours uses
// bold and color alone, color being the last SGR value above 1. With
// extended colours color is the foreground as an ExtColor and the fields
// after it are used too.
struct AttrState {
  uint8_t bold = 0;
  int32_t color = 0;
  ExtColor background = 0;
  uint8_t reverse = 0;
  uint8_t underline = 0;  // single (4) or double (21), drawn alike
  uint8_t faint = 0;      // 2: halfway to the background
  uint8_t italic = 0;     // 3
  uint8_t blink = 0;      // 5 or 6: nothing flashes, it stands out as bold does
  uint8_t conceal = 0;    // 8: in the background's colour, still there to copy
  uint8_t strike = 0;     // 9
  bool operator==(const AttrState&) const = default;
};

// Applies an SGR parameter text; `afterValue` runs after each value taken,
// which is where the painter picks its colour.
void ApplySGR(std::string_view params, AttrState& state,
              const std::function<void(const AttrState&)>& afterValue);
void ApplySGR(std::string_view params, AttrState& state);
// The same as xterm reads it, for sets with extended colours: faint,
// italic, blink, conceal, strikethrough and double underline too; codes
// for what is not drawn (fonts, frames) are passed over.
void ApplyExtendedSGR(std::string_view params, AttrState& state);

// Applies every complete SGR sequence of `text` in order: the state a line
// leaves for the next one. Extended colours read string sequences whole;
// `mayHoldString` false tells that the text holds none.
void CarrySGR(std::string_view text, AttrState& state, bool extended = false, bool mayHoldString = true);

// The font colour for text painted in `state`; codes without a colour of
// their own leave `current` as it is.
Color ApplyColor(const AttrState& state, const TOptions& options, Color current);

// Entry n of the 256-colour palette: the set's sixteen, a 6x6x6 cube, then
// 24 greys.
Color PaletteColor(int n, const TOptions& options);

// How text in an extended `state` is painted. Bold brightens the default
// colour and those of 30-37, as it does with classic colours; 90-97, the
// palette and true colours are shown as named. Reverse swaps the two, the
// set's colours standing for the defaults. Blink brightens as bold does;
// faint mixes the text halfway into its background; concealed text takes
// the background's colour.
struct ExtendedStyle {
  Color foreground = 0;
  Color background = 0;
  bool hasBackground = false;  // other than the set's
  bool underline = false;
  bool italic = false;
  bool strike = false;
};
ExtendedStyle StyleOf(const AttrState& state, const TOptions& options);

std::string StripEscapes(std::string_view text, bool strings = false);
// The same into `out`, which keeps its buffer from line to line.
void StripEscapes(std::string_view text, std::string& out, bool strings = false);

}  // namespace ombrel
