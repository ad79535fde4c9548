// A byte 255 in data sent to a telnet server would be read as the start of a
// command; telnet sends it doubled.
#pragma once

#include <string>

namespace ombrel {

inline constexpr unsigned char IAC = 255;

inline std::string DoubleIAC(const std::string& bytes, bool telnet) {
  if (!telnet || bytes.find(static_cast<char>(IAC)) == std::string::npos) return bytes;
  std::string out;
  out.reserve(bytes.size() + 8);
  for (char c : bytes) {
    out += c;
    if (static_cast<unsigned char>(c) == IAC) out += c;
  }
  return out;
}

}  // namespace ombrel
