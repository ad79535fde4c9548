#include "telnet/terminal_identity.h"

#include <algorithm>
#include <cctype>

namespace ombrel {

namespace {

constexpr char kIs = 0, kSend = 1;
constexpr char kRequest = 1, kAccepted = 2, kRejected = 3;
// MTTS: ANSI colours, UTF-8, 256 colours, true colour.
constexpr int kMttsAnsi = 1, kMttsUtf8 = 4, kMtts256 = 8, kMttsTrueColour = 256;

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

TerminalTypeOption::TerminalTypeOption(bool ansi, bool extendedColours, bool utf8) {
  bits_ = (ansi ? kMttsAnsi : 0) | (utf8 ? kMttsUtf8 : 0) | (extendedColours ? kMtts256 | kMttsTrueColour : 0);
  names_[0] = "OMBREL";
  names_[1] = extendedColours ? "XTERM-256COLOR" : "ANSI";
  names_[2] = "MTTS " + std::to_string(bits_);
}

void TerminalTypeOption::Subnegotiation(std::string_view value, std::string& output, const Log& log) {
  if (value != std::string_view(&kSend, 1)) {
    log("SB TTYPE Received");
    return;
  }
  log("SB TTYPE SEND Received");
  const std::string& name = names_[next_];
  next_ = std::min(next_ + 1, 2);
  output = SubnegotiationBytes(Code(), std::string(1, kIs) + name);
  log("SB TTYPE IS " + name + " Sent");
}

void TerminalTypeOption::Changed(bool him, bool on) {
  // A server that turns the option on again starts the cycle again.
  if (!him && on) next_ = 0;
}

void CharsetOption::Subnegotiation(std::string_view value, std::string& output, const Log& log) {
  if (value.empty() || value[0] != kRequest) {
    log("SB CHARSET Received");
    return;
  }
  // REQUEST [TTABLE] <separator> name <separator> name ...
  std::string_view list = value.substr(1);
  if (list.starts_with("[TTABLE]")) list.remove_prefix(std::min<size_t>(9, list.size()));  // and its version byte
  log("SB CHARSET REQUEST Received");
  bool utf8 = false;
  if (!list.empty()) {
    const char separator = list[0];
    for (size_t from = 1; from <= list.size();) {
      const size_t end = std::min(list.find(separator, from), list.size());
      const std::string name = Upper(list.substr(from, end - from));
      utf8 = utf8 || name == "UTF-8" || name == "UTF8";
      from = end + 1;
    }
  }
  output = SubnegotiationBytes(Code(), utf8 ? std::string(1, kAccepted) + "UTF-8" : std::string(1, kRejected));
  log(utf8 ? "SB CHARSET ACCEPTED UTF-8 Sent" : "SB CHARSET REJECTED Sent");
}

}  // namespace ombrel
