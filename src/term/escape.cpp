#include "term/escape.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <utility>

#include "term/line_walker.h"
#include "util/byte_scan.h"

namespace ombrel {

size_t StringEnd(std::string_view text, size_t esc) {
  // Only the bytes within the bound decide, so that where reads are cut
  // changes nothing: an ESC \ across it is no end.
  const size_t limit = std::min(text.size(), esc + kMaxStringSequence);
  for (size_t i = esc + 2; i < limit; ++i) {
    const char c = text[i];
    if (c == kBel) return i;
    // As every sequence, a string never runs across a line end.
    if (c == '\r' || c == '\n') return i - 1;
    if (c == kEsc && i + 1 < limit && text[i + 1] == '\\') return i + 1;
  }
  return limit == esc + kMaxStringSequence ? limit - 1 : std::string_view::npos;
}

std::string_view EscapeParams(std::string_view text, size_t esc, size_t final) {
  size_t from = esc + 2;
  if (from >= final) return {};
  return text.substr(from, final - from);
}

namespace {

bool ParseInt(std::string_view part, int64_t& value) {
  if (part.empty()) return false;
  size_t start = (part[0] == '+') ? 1 : 0;  // the conversion accepts a sign
  if (start == part.size()) return false;
  auto [ptr, ec] = std::from_chars(part.data() + start, part.data() + part.size(), value);
  return ec == std::errc() && ptr == part.data() + part.size();
}

}  // namespace

namespace {

// Most values are a digit or two: those are read here, the rest as the
// general rule reads them.
bool ParseValue(std::string_view part, int64_t& value) {
  if (!part.empty() && part.size() <= 9) {
    int64_t v = 0;
    bool digits = true;
    for (char c : part) {
      digits = digits && c >= '0' && c <= '9';
      v = v * 10 + (c - '0');
    }
    if (digits) {
      value = v;
      return true;
    }
  }
  return ParseInt(part, value) && value <= INT32_MAX && value >= INT32_MIN;
}

template <typename AfterValue>
void ApplySGRWith(std::string_view params, AttrState& state, AfterValue&& afterValue) {
  size_t start = 0;
  while (true) {
    size_t semi = start;
    while (semi < params.size() && params[semi] != ';') ++semi;
    int64_t v = 0;
    if (!ParseValue(params.substr(start, semi - start), v)) return;
    if (v == 0) {
      state.bold = 0;
      state.color = 0;
    } else if (v == 1) {
      state.bold = 1;
    } else if (v > 1) {
      state.color = static_cast<int32_t>(v);
    }
    afterValue(state);
    if (semi >= params.size()) return;
    start = semi + 1;
  }
}

}  // namespace

void ApplySGR(std::string_view params, AttrState& state,
              const std::function<void(const AttrState&)>& afterValue) {
  ApplySGRWith(params, state, [&](const AttrState& s) {
    if (afterValue) afterValue(s);
  });
}

void ApplySGR(std::string_view params, AttrState& state) {
  ApplySGRWith(params, state, [](const AttrState&) {});
}

namespace {

// Parameters or sub-parameters in turn. An empty one is 0, as ECMA-48 has
// it: "ESC [ m" and "ESC [ 1 ; m" both end in a reset.
class SgrFields {
 public:
  SgrFields(std::string_view text, char separator) : text_(text), separator_(separator) {}
  // The next field's text, or false at the end.
  bool Next(std::string_view& field) {
    if (pos_ > text_.size()) return false;
    const size_t end = std::min(text_.find(separator_, pos_), text_.size());
    field = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }
  // The next field's value; false at the end or when it is no number.
  bool NextValue(int64_t& value) {
    std::string_view field;
    if (!Next(field)) return false;
    value = 0;
    return field.empty() || ParseValue(field, value);
  }

 private:
  std::string_view text_;
  char separator_;
  size_t pos_ = 0;
};

constexpr ExtColor kNoColour = ~ExtColor{0};

bool IsByte(int64_t v) { return v >= 0 && v <= 255; }

// The colour 38 or 48 names by the values after it: 5 and an index, or 2
// and red, green and blue. One out of range is ignored, as xterm does.
ExtColor NamedColour(const int64_t* v, size_t n) {
  if (n >= 2 && v[0] == 5 && IsByte(v[1])) return kExtPalette | static_cast<ExtColor>(v[1]);
  if (n >= 4 && v[0] == 2 && IsByte(v[1]) && IsByte(v[2]) && IsByte(v[3]))
    return kExtRgb | static_cast<ExtColor>(v[1] | v[2] << 8 | v[3] << 16);
  return kNoColour;
}

// The colour of 38 or 48 in the colon form, "38:5:n" or "38:2:[space]:r:g:b":
// the colour space ITU T.416 puts before red is there only when six
// sub-parameters are.
ExtColor ColonColour(SgrFields& subs) {
  int64_t v[5] = {};
  size_t n = 0;
  while (n < 5 && subs.NextValue(v[n])) ++n;
  if (n == 5 && v[0] == 2) {
    const int64_t rgb[4] = {2, v[2], v[3], v[4]};
    return NamedColour(rgb, 4);
  }
  return NamedColour(v, n);
}

// The colour of 38 or 48 in the semicolon form, taking the values it needs
// from the parameters after it; false when they run out or one is bad.
bool SemicolonColour(SgrFields& params, ExtColor& colour) {
  int64_t v[4] = {};
  if (!params.NextValue(v[0])) return false;
  const size_t n = v[0] == 5 ? 2 : v[0] == 2 ? 4 : 1;
  for (size_t k = 1; k < n; ++k)
    if (!params.NextValue(v[k])) return false;
  colour = NamedColour(v, n);
  return true;
}

}  // namespace

void ApplyExtendedSGR(std::string_view params, AttrState& state) {
  SgrFields fields(params, ';');
  std::string_view field;
  while (fields.Next(field)) {
    SgrFields subs(field, ':');
    int64_t v = 0;
    if (!subs.NextValue(v)) return;
    ExtColor named = kNoColour;
    if (v == 38 || v == 48) {
      if (field.find(':') != std::string_view::npos) {
        named = ColonColour(subs);
      } else if (!SemicolonColour(fields, named)) {
        return;
      }
    }
    if (v == 0) {
      state = AttrState();
    } else if (v == 1) {
      state.bold = 1;
    } else if (v == 2) {
      state.faint = 1;
    } else if (v == 22) {  // neither bold nor faint
      state.bold = state.faint = 0;
    } else if (v == 3 || v == 23) {
      state.italic = v == 3;
    } else if (v == 4 || v == 21 || v == 24) {
      state.underline = v != 24;
    } else if (v == 5 || v == 6 || v == 25) {
      state.blink = v != 25;
    } else if (v == 8 || v == 28) {
      state.conceal = v == 8;
    } else if (v == 9 || v == 29) {
      state.strike = v == 9;
    } else if (v == 7 || v == 27) {
      state.reverse = v == 7;
    } else if (v >= 30 && v <= 37) {
      state.color = static_cast<int32_t>(kExtBase | (v - 30));
    } else if (v >= 90 && v <= 97) {
      state.color = static_cast<int32_t>(kExtPalette | (v - 90 + 8));
    } else if (v == 39) {
      state.color = 0;
    } else if (v >= 40 && v <= 47) {
      state.background = kExtPalette | (v - 40);
    } else if (v >= 100 && v <= 107) {
      state.background = kExtPalette | (v - 100 + 8);
    } else if (v == 49) {
      state.background = 0;
    } else if (named != kNoColour) {
      if (v == 38) state.color = static_cast<int32_t>(named);
      else state.background = named;
    }
  }
}

namespace {

// Whether the ESC at `esc` starts a sequence rather than lying inside the
// one before it: something ends that one first. Read backwards, since a
// letter of text just before the ESC mostly decides it at once.
bool StartsSequence(std::string_view text, size_t esc) {
  for (size_t i = esc; i > 0; --i) {
    if (text[i - 1] == kEsc) return false;
    if (EndsSequence(text[i - 1])) return true;
  }
  return true;
}

}  // namespace

void CarrySGR(std::string_view text, AttrState& state, bool extended, bool mayHoldString) {
  const auto apply = [extended](std::string_view params, AttrState& s) {
    extended ? ApplyExtendedSGR(params, s) : ApplySGR(params, s);
  };
  // Most coloured lines end in a reset, which decides the state alone:
  // then the sequences before it need not be read. A first value of 0
  // resets every attribute by either rule; with extended colours so does
  // an empty one. Read backwards, a reset may lie inside a string, or be
  // the ESC that ends one: a line holding strings is read from its start.
  const size_t last = FindLast(text.data(), text.size(), kEsc);
  if (last == std::string_view::npos) return;
  const size_t end = EscapeEnd(text, last);
  if (end != std::string_view::npos && text[end] == 'm') {
    const std::string_view params = EscapeParams(text, last, end);
    const bool reset = params == "0" || params.starts_with("0;") ||
                       (extended && (params.empty() || params.starts_with(';')));
    if (reset && StartsSequence(text, last) && !(extended && mayHoldString && MayHoldString(text))) {
      state = AttrState();
      // A lone 0 leaves the reset state as it is, by either rule.
      if (params != "0") apply(params, state);
      return;
    }
  }
  SequenceWalker walker(text, extended);
  for (LinePiece piece; walker.Next(piece) && piece.kind != PieceKind::CutOff;)
    if (walker.IsSgr(piece)) apply(walker.Params(piece), state);
}

Color ApplyColor(const AttrState& state, const TOptions& options, Color current) {
  if (state.color == 0) return state.bold ? options.textbrightcolor : options.textcolor();
  if (state.color >= 30 && state.color <= 37)
    return options.ansimap[state.color - 30 + (state.bold ? 8 : 0)];
  return current;
}

Color PaletteColor(int n, const TOptions& options) {
  if (n < kAnsiMapSize) return options.ansimap[static_cast<size_t>(n)];
  if (n >= 232) {
    const Color grey = static_cast<Color>(8 + 10 * (n - 232));
    return grey | grey << 8 | grey << 16;
  }
  static constexpr Color kLevel[6] = {0, 95, 135, 175, 215, 255};
  const int cube = n - 16;
  return kLevel[cube / 36] | kLevel[cube / 6 % 6] << 8 | kLevel[cube % 6] << 16;
}

namespace {

// An ExtColor as painted; the default is `fallback`.
Color Resolve(ExtColor c, bool bold, Color fallback, const TOptions& options) {
  const int value = static_cast<int>(c & 0xFFFFFF);
  switch (c & kExtKind) {
    case kExtBase: return options.ansimap[static_cast<size_t>((value & 7) + (bold ? 8 : 0))];
    case kExtPalette: return PaletteColor(value & 0xFF, options);
    case kExtRgb: return static_cast<Color>(value);
    default: return fallback;
  }
}

}  // namespace

namespace {

// Each channel of 0x00BBGGRR halfway from `a` to `b`.
Color Halfway(Color a, Color b) {
  Color out = 0;
  for (int shift : {0, 8, 16}) out |= ((((a >> shift) & 0xFF) + ((b >> shift) & 0xFF)) / 2) << shift;
  return out;
}

}  // namespace

ExtendedStyle StyleOf(const AttrState& state, const TOptions& options) {
  const bool bright = state.bold || state.blink;
  const Color text = bright ? options.textbrightcolor : options.textcolor();
  ExtendedStyle style;
  style.foreground = Resolve(static_cast<ExtColor>(state.color), bright, text, options);
  style.background = Resolve(state.background, false, options.bgcolor, options);
  style.hasBackground = state.background != 0;
  if (state.faint) style.foreground = Halfway(style.foreground, style.background);
  if (state.reverse) {
    std::swap(style.foreground, style.background);
    style.hasBackground = true;
  }
  if (state.conceal) style.foreground = style.background;
  style.underline = state.underline;
  style.italic = state.italic;
  style.strike = state.strike;
  return style;
}

std::string StripEscapes(std::string_view text, bool strings) {
  std::string out;
  StripEscapes(text, out, strings);
  return out;
}

void StripEscapes(std::string_view text, std::string& out, bool strings) {
  out.clear();
  // The plain stretches between sequences go over whole.
  SequenceWalker walker(text, strings);
  for (LinePiece piece; walker.Next(piece) && piece.kind != PieceKind::CutOff;)
    if (piece.kind == PieceKind::Text) out.append(text.data() + piece.begin, piece.end - piece.begin);
}

}  // namespace ombrel
