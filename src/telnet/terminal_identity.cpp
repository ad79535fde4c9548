#include "telnet/terminal_identity.h"

#include <algorithm>
#include <cctype>

namespace ombrel {

namespace {

constexpr char kIs = 0, kSend = 1;
constexpr char kRequest = 1, kAccepted = 2, kRejected = 3;
// MTTS: ANSI colours, UTF-8, 256 colours, screen reader, true colour.
constexpr int kMttsAnsi = 1, kMttsUtf8 = 4, kMtts256 = 8, kMttsScreenReader = 64, kMttsTrueColour = 256;

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

TerminalTypeOption::TerminalTypeOption(bool ansi, bool extendedColours, bool utf8, bool screenReader) {
  // With ANSI off sequences are taken out of the text and nothing is shown
  // in colour: a server that reads colours into the type would fill the
  // text with sequences for nothing, so the terminal says it has none.
  const bool colours = ansi, more = ansi && extendedColours;
  bits_ = (colours ? kMttsAnsi : 0) | (utf8 ? kMttsUtf8 : 0) | (more ? kMtts256 | kMttsTrueColour : 0) |
          (screenReader ? kMttsScreenReader : 0);
  names_[0] = "OMBREL";
  names_[1] = !colours ? "DUMB" : more ? "XTERM-256COLOR" : "ANSI";
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

void TerminalTypeOption::Changed(bool him, bool on, std::string&, const Log&) {
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
  // The answer names the set as the server wrote it (RFC 2066).
  std::string chosen;
  if (!list.empty()) {
    const char separator = list[0];
    for (size_t from = 1; from <= list.size() && chosen.empty();) {
      const size_t end = std::min(list.find(separator, from), list.size());
      const std::string_view name = list.substr(from, end - from);
      const std::string upper = Upper(name);
      if (upper == "UTF-8" || upper == "UTF8") chosen = name;
      from = end + 1;
    }
  }
  output = SubnegotiationBytes(Code(), chosen.empty() ? std::string(1, kRejected) : std::string(1, kAccepted) + chosen);
  log(chosen.empty() ? "SB CHARSET REJECTED Sent" : "SB CHARSET ACCEPTED " + chosen + " Sent");
}

}  // namespace ombrel
