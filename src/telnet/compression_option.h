// MCCP2 (telnet option 86): a server that may compress what it sends
// offers WILL; after our DO, its IAC SB 86 IAC SE says the next byte on is a
// zlib stream. The parser cannot inflate, so the receive path asks whether
// such a start has just gone past.
#pragma once

#include "telnet/telnet_option.h"

namespace ombrel {

namespace telnet {
inline constexpr unsigned char OPT_MCCP2 = 86;
}

class CompressionOption : public TelnetOption {
 public:
  unsigned char Code() const override { return telnet::OPT_MCCP2; }
  std::string Name() const override { return "MCCP2"; }
  bool AcceptsWill() const override { return true; }
  void Subnegotiation(std::string_view value, std::string& output, const Log& log) override;
  // Whether compression starts after the sub-negotiation just parsed; asking
  // clears it.
  bool TakeStart();

 private:
  bool starting_ = false;
};

}  // namespace ombrel
