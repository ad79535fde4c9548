#include "command/typed_line.h"

namespace ombrel {

TypedLineFate FateOfTypedLine(bool connected, bool serverEchoes) {
  // Enter while disconnected clears the line and keeps nothing.
  if (!connected) return {};
  // A password may hold the separator, begin with the path character or
  // name an alias: expanded, it would go out in pieces, or as other
  // commands, each echoed. The server's own echo ends the line on screen.
  if (serverEchoes) return {.send = true};
  return {.send = true, .expand = true, .echo = true, .keep = true};
}

}  // namespace ombrel
