// What the client tells a server that asks about it, when the set shows
// colours or characters beyond the classic ones: its terminal type (RFC
// 1091, answered as MUD servers read it: the client's name, then the
// terminal, then the MTTS bits) and its character set (RFC 2066).
#pragma once

#include "telnet/telnet_option.h"

namespace ombrel {

namespace telnet {
inline constexpr unsigned char OPT_TTYPE = 24, OPT_CHARSET = 42;
}

class TerminalTypeOption : public TelnetOption {
 public:
  TerminalTypeOption(bool ansi, bool extendedColours, bool utf8, bool screenReader = false);
  unsigned char Code() const override { return telnet::OPT_TTYPE; }
  std::string Name() const override { return "TTYPE"; }
  bool AcceptsDo() const override { return true; }
  void Subnegotiation(std::string_view value, std::string& output, const Log& log) override;
  void Changed(bool him, bool on, std::string& output, const Log& log) override;
  // The MTTS bits of what is on.
  int Bits() const { return bits_; }

 private:
  std::string names_[3];
  int bits_ = 0;
  int next_ = 0;  // the name the next SEND gets; the last one repeats
};

class CharsetOption : public TelnetOption {
 public:
  unsigned char Code() const override { return telnet::OPT_CHARSET; }
  std::string Name() const override { return "CHARSET"; }
  bool AcceptsWill() const override { return true; }
  bool AcceptsDo() const override { return true; }
  void Subnegotiation(std::string_view value, std::string& output, const Log& log) override;
};

}  // namespace ombrel
