// The open terminals as the windows that follow them see them. The option
// set editor, the find dialog and the telnet console act on the terminal
// the user is at and know nothing more of the main window; it is the one
// real implementation.
#pragma once

#include <vector>

namespace ombrel {

class TtermForm;

class OpenTerminals {
 public:
  virtual ~OpenTerminals() = default;
  // None while no terminal is open.
  virtual TtermForm* CurrentTerminal() const = 0;
  // In the order they were opened.
  virtual const std::vector<TtermForm*>& Terminals() const = 0;
};

}  // namespace ombrel
