#include "accounts/address.h"

#include <cstdint>

namespace ombrel {

std::optional<long long> ParseWholeNumber(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = i < text.size() && text[i] == '$';
  if (hex) ++i;
  if (i == text.size()) return std::nullopt;
  // Limits on the magnitude: hexadecimal spans the full 32 bits, decimal
  // the signed range, one more on the negative side.
  const long long limit = hex ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
  long long value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + digit;
    if (value > limit) return std::nullopt;
  }
  if (hex) value = static_cast<int32_t>(static_cast<uint32_t>(value));
  return negative ? -value : value;
}

bool IsNumericAddress(std::string_view text) {
  for (int pieces = 0; pieces < 3; ++pieces) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos) break;
    if (!ParseWholeNumber(text.substr(0, dot))) return false;
    text.remove_prefix(dot + 1);
  }
  return ParseWholeNumber(text).has_value();
}

std::optional<uint32_t> NumericAddressValue(std::string_view text) {
  if (!IsNumericAddress(text)) return std::nullopt;
  long long parts[4];
  int count = 0;
  while (true) {
    size_t dot = count < 3 ? text.find('.') : std::string_view::npos;
    long long value = *ParseWholeNumber(text.substr(0, dot));
    if (value < 0) return std::nullopt;
    parts[count++] = value;
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  // Every part but the last is one byte; the last fills the bytes left.
  uint32_t address = 0;
  for (int i = 0; i < count - 1; ++i) {
    if (parts[i] > 0xFF) return std::nullopt;
    address |= static_cast<uint32_t>(parts[i]) << (24 - 8 * i);
  }
  const int lastBits = 32 - 8 * (count - 1);
  const long long last = parts[count - 1];
  if (lastBits < 32 && last >= (1LL << lastBits)) return std::nullopt;
  return address | static_cast<uint32_t>(last);
}

}  // namespace ombrel
