#include "telnet/echo_option.h"

namespace ombrel {

void EchoOption::Subnegotiation(std::string_view, std::string& output, const Log& log) {
  // ECHO has no sub-negotiation; one is read past.
  output.clear();
  log("SB ECHO Received");
}

void EchoOption::Changed(bool him, bool on, std::string&, const Log&) {
  if (him) Set(on);
}

void EchoOption::Set(bool on) {
  if (serverEchoes_ == on) return;
  serverEchoes_ = on;
  if (listener_) listener_(on);
}

}  // namespace ombrel
