// Outgoing data on a telnet connection: a data byte 255 would otherwise be
// read by the server as the start of a telnet command.
#pragma once

#include <string>
#include <string_view>

namespace ombrel {

inline constexpr char kIAC = '\xFF';

// With `telnet` on, every byte 255 doubled (IAC IAC); otherwise unchanged.
// Only for data: telnet commands the client builds itself must not pass here.
std::string EscapeIAC(std::string_view bytes, bool telnet);
// The same, appended to `out`.
void AppendEscapedIAC(std::string& out, std::string_view bytes, bool telnet);

}  // namespace ombrel
