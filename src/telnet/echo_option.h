// ECHO (telnet option 1, RFC 857). A server offers WILL ECHO to echo what is
// typed itself, which it does around a password prompt so that the
// password is not shown: while it is on, the client must neither show nor
// keep the line. Only the server's side is ever accepted: a DO ECHO, which
// would have us echo what the server sends, is refused as before.
#pragma once

#include <functional>

#include "telnet/telnet_option.h"

namespace ombrel {

namespace telnet {
inline constexpr unsigned char OPT_ECHO = 1;
}

class EchoOption : public TelnetOption {
 public:
  // Told each time the server starts or stops echoing, to mask the command
  // line and show the lock.
  using Listener = std::function<void(bool serverEchoes)>;
  explicit EchoOption(Listener listener = {}) : listener_(std::move(listener)) {}

  unsigned char Code() const override { return telnet::OPT_ECHO; }
  std::string Name() const override { return "ECHO"; }
  bool AcceptsWill() const override { return true; }
  void Subnegotiation(std::string_view value, std::string& output, const Log& log) override;
  void Changed(bool him, bool on, std::string& output, const Log& log) override;

  bool ServerEchoes() const { return serverEchoes_; }
  // The connection ended or starts afresh: nobody echoes for us any more.
  // The parser forgets its options on Reset without telling them.
  void Reset() { Set(false); }

 private:
  void Set(bool on);
  bool serverEchoes_ = false;
  Listener listener_;
};

}  // namespace ombrel
