// What becomes of a line typed into the command line and sent with Enter.
// While the server echoes (telnet ECHO, a password prompt) the line is a
// secret: it goes out exactly as typed and leaves no trace here.
#pragma once

namespace ombrel {

struct TypedLineFate {
  bool send = false;    // written to the connection at all
  bool expand = false;  // split at the separator, speedwalk and aliases expanded
  bool echo = false;    // echoed into the terminal: its store, the log, a saved buffer
  bool keep = false;    // kept in the command history (an empty line never is)
  bool operator==(const TypedLineFate&) const = default;
};

TypedLineFate FateOfTypedLine(bool connected, bool serverEchoes);

}  // namespace ombrel
