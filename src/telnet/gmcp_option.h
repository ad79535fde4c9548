// GMCP (telnet option 201): a server that offers WILL is answered DO, told
// who we are and which packages we want; each of its messages
// ("Package.Message" and an optional JSON value) is merged into the game
// data tree.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "gmcp/game_data.h"
#include "telnet/telnet_option.h"

namespace ombrel {

namespace telnet {
inline constexpr unsigned char OPT_GMCP = 201;
}

// Core.Hello says this.
inline constexpr std::string_view kClientName = "Ombrel", kClientVersion = "1.0";
// The longest message taken, in bytes as they came; a longer one is dropped.
inline constexpr size_t kMaxGmcpMessage = 1024 * 1024;

// "Char 1", "Char.Vitals 1", "Room 1", "Comm.Channel 1".
std::vector<std::string> DefaultGmcpModules();

// IAC SB GMCP name [value] IAC SE, as a script sends it: `value` null sends
// the name alone. Empty when the name is empty or holds a space.
std::string GmcpMessageBytes(std::string_view name, const Json& value = Json());

class GmcpOption : public TelnetOption {
 public:
  explicit GmcpOption(GameData& data, std::vector<std::string> modules = DefaultGmcpModules());
  // Asked for from the next time the option goes on.
  void SetModules(std::vector<std::string> modules) { modules_ = std::move(modules); }
  unsigned char Code() const override { return telnet::OPT_GMCP; }
  std::string Name() const override { return "GMCP"; }
  bool AcceptsWill() const override { return true; }
  void Subnegotiation(std::string_view value, std::string& output, const Log& log) override;
  void Changed(bool him, bool on, std::string& output, const Log& log) override;
  // The name and "IAC SB 201" before the value, "IAC SE" after it.
  size_t SubnegotiationBound() const override { return kMaxGmcpMessage + 5; }

 private:
  GameData& data_;
  std::vector<std::string> modules_;
  // Messages whose value was no JSON once: told in the console once each.
  std::vector<std::string> badNames_;
};

}  // namespace ombrel
