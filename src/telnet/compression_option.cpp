#include "telnet/compression_option.h"

namespace ombrel {

void CompressionOption::Subnegotiation(std::string_view value, std::string& output, const Log& log) {
  output.clear();
  log("SB MCCP2 Received");
  // MCCP2 starts with an empty value; anything else is some other use of
  // the number and starts nothing.
  starting_ = value.empty();
}

bool CompressionOption::TakeStart() {
  const bool starting = starting_;
  starting_ = false;
  return starting;
}

}  // namespace ombrel
