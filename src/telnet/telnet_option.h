// An option beyond NAWS that a terminal has switched on. The parser answers
// the peer's offers and requests for it, keeps whether it is on for either
// side, and hands it the sub-negotiations; with none added every option is
// refused as ever.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace ombrel {

// How long a sub-negotiation may grow while its IAC SE has not come, unless
// its option says otherwise.
inline constexpr size_t kDefaultSubnegotiationBound = 4 * 1024;

class TelnetOption {
 public:
  using Log = std::function<void(const std::string& text)>;
  virtual ~TelnetOption() = default;
  virtual unsigned char Code() const = 0;
  // As the console shows it: "TTYPE", "CHARSET".
  virtual std::string Name() const = 0;
  virtual bool AcceptsWill() const { return false; }  // the server may use it
  virtual bool AcceptsDo() const { return false; }    // we use it when asked
  // A sub-negotiation's value, IAC IAC undone; answers go into `output`.
  virtual void Subnegotiation(std::string_view value, std::string& output, const Log& log) = 0;
  // The option went on or off for the server's side (`him`) or ours; what it
  // sends then goes into `output`, after the answer that switched it.
  virtual void Changed(bool /*him*/, bool /*on*/, std::string& /*output*/, const Log& /*log*/) {}
  // The longest sub-negotiation kept across reads while the option is on;
  // one without IAC SE within it is dropped.
  virtual size_t SubnegotiationBound() const { return kDefaultSubnegotiationBound; }
};

// The bytes of IAC SB option value IAC SE, a value byte 255 doubled.
std::string SubnegotiationBytes(unsigned char option, std::string_view value);

}  // namespace ombrel
