#include "term/escape.h"

#include <charconv>

namespace ombrel {

size_t EscapeEnd(std::string_view text, size_t esc) {
  for (size_t i = esc + 1; i < text.size(); ++i) {
    if (IsFinalChar(text[i])) return i;
    // A sequence never runs across a line end, else the stored line would
    // hold the line end and load back as two lines.
    if (text[i] == '\r' || text[i] == '\n') return i - 1;
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

template <typename AfterValue>
void ApplySGRWith(std::string_view params, AttrState& state, AfterValue&& afterValue) {
  size_t start = 0;
  while (true) {
    size_t semi = params.find(';', start);
    std::string_view part =
        params.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start);
    int64_t v = 0;
    if (!ParseInt(part, v) || v > INT32_MAX || v < INT32_MIN) return;
    if (v == 0) {
      state.bold = 0;
      state.color = 0;
    } else if (v == 1) {
      state.bold = 1;
    } else if (v > 1) {
      state.color = static_cast<int32_t>(v);
    }
    afterValue(state);
    if (semi == std::string_view::npos) return;
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

bool CarrySGR(std::string_view text, AttrState& state) {
  for (size_t i = text.find(kEsc); i != std::string_view::npos; i = text.find(kEsc, i + 1)) {
    const size_t end = EscapeEnd(text, i);
    if (end == std::string_view::npos) return false;
    if (text[end] == 'm') ApplySGR(EscapeParams(text, i, end), state);
    i = end;
  }
  return true;
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
