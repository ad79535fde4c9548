// The receive path's view of the telnet parser: it hands back one piece of
// a block at a time, text or a command with its answer.
#pragma once

#include <string>

namespace ombrel {

inline constexpr int ParseText = -1;
inline constexpr int ParseIncomplete = -2;

class TelnetFilter {
 public:
  virtual ~TelnetFilter() = default;
  // Consumes one piece from the front of `data`; returns ParseText,
  // ParseIncomplete or the command byte, with text or the answer in `output`.
  virtual int Parse(std::string& data, std::string& output) = 0;
};

}  // namespace ombrel
