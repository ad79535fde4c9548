#include "command/iac.h"

namespace ombrel {

std::string EscapeIAC(std::string_view bytes, bool telnet) {
  std::string escaped;
  AppendEscapedIAC(escaped, bytes, telnet);
  return escaped;
}

void AppendEscapedIAC(std::string& out, std::string_view bytes, bool telnet) {
  size_t from = 0;
  for (size_t i = telnet ? bytes.find(kIAC) : std::string_view::npos; i != std::string_view::npos;
       i = bytes.find(kIAC, i + 1)) {
    out.append(bytes.substr(from, i + 1 - from));
    out += kIAC;
    from = i + 1;
  }
  out.append(bytes.substr(from));
}

}  // namespace ombrel
