#include "term/escape.h"

#include <array>
#include <charconv>

#include "util/byte_scan.h"

namespace ombrel {

size_t EscapeEnd(std::string_view text, size_t esc) {
  for (size_t i = esc + 1; i < text.size(); ++i) {
    const uint8_t stop = kSequenceStop[static_cast<unsigned char>(text[i])];
    if (stop == kSequenceGoesOn) continue;
    // A sequence never runs across a line end, else the stored line would
    // hold the line end and load back as two lines.
    return stop == kSequenceFinal ? i : i - 1;
  }
  return std::string_view::npos;
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

// Whether the ESC at `esc` starts a sequence rather than lying inside the
// one before it: something ends that one first.
bool StartsSequence(std::string_view text, size_t esc) {
  const size_t before = FindLast(text.data(), esc, kEsc);
  if (before == std::string_view::npos) return true;
  for (size_t i = before + 1; i < esc; ++i)
    if (EndsSequence(text[i])) return true;
  return false;
}

}  // namespace

void CarrySGR(std::string_view text, AttrState& state) {
  // Most coloured lines end in a reset, which decides the state alone:
  // then the sequences before it need not be read.
  const size_t last = FindLast(text.data(), text.size(), kEsc);
  if (last == std::string_view::npos) return;
  const size_t end = EscapeEnd(text, last);
  if (end != std::string_view::npos && text[end] == 'm') {
    const std::string_view params = EscapeParams(text, last, end);
    if ((params == "0" || params.starts_with("0;")) && StartsSequence(text, last)) {
      state = AttrState();
      ApplySGR(params, state);
      return;
    }
  }
  for (size_t i = text.find(kEsc); i != std::string_view::npos; i = text.find(kEsc, i + 1)) {
    const size_t stop = EscapeEnd(text, i);
    if (stop == std::string_view::npos) return;
    if (text[stop] == 'm') ApplySGR(EscapeParams(text, i, stop), state);
    i = stop;
  }
}

Color ApplyColor(const AttrState& state, const TOptions& options, Color current) {
  if (state.color == 0) return state.bold ? options.textbrightcolor : options.textcolor();
  if (state.color >= 30 && state.color <= 37)
    return options.ansimap[state.color - 30 + (state.bold ? 8 : 0)];
  return current;
}

std::string StripEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != kEsc) {
      out += text[i++];
      continue;
    }
    size_t end = EscapeEnd(text, i);
    if (end == std::string_view::npos) break;
    i = end + 1;
  }
  return out;
}

}  // namespace ombrel
