#include "command/iac.h"

namespace ombrel {

std::string EscapeIAC(std::string_view bytes, bool telnet) {
  std::string escaped(bytes);
  if (!telnet) return escaped;
  for (size_t i = escaped.find(kIAC); i != std::string::npos; i = escaped.find(kIAC, i + 2))
    escaped.insert(i, 1, kIAC);
  return escaped;
}

}  // namespace ombrel
