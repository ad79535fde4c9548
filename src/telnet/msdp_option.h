// MSDP (telnet option 69) and MSSP (70): variables and their values, the
// one a game's state as it changes, the other what a server says of itself.
// Both are merged into the game data tree, under "MSDP" and "MSSP".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gmcp/game_data.h"
#include "telnet/telnet_option.h"

namespace ombrel {

namespace telnet {
inline constexpr unsigned char OPT_MSDP = 69, OPT_MSSP = 70;
}

namespace msdp {
inline constexpr char VAR = 1, VAL = 2, TABLE_OPEN = 3, TABLE_CLOSE = 4, ARRAY_OPEN = 5, ARRAY_CLOSE = 6;
}

// Variables and values as an object: a table is an object, an array or
// several values after one variable an array, anything else a string (as
// UTF-8, Latin-1 read where it is none). With `nested` false (MSSP) only
// VAR and VAL are markers. False when tables nest deeper than allowed.
bool DecodeVariables(std::string_view bytes, bool nested, Json& variables);
// VAR name VAL value ... for each pair, values that are arrays as VAL after
// VAL (what MSDP's LIST and REPORT take).
std::string EncodeVariables(const std::vector<std::pair<std::string, std::vector<std::string>>>& pairs);

// What is reported by default: the gauges' values and the room.
std::vector<std::string> DefaultMsdpVariables();

class MsdpOption : public TelnetOption {
 public:
  explicit MsdpOption(GameData& data, std::vector<std::string> reported = DefaultMsdpVariables());
  // Reported from the next time the option goes on.
  void SetReported(std::vector<std::string> reported) { reported_ = std::move(reported); }
  unsigned char Code() const override { return telnet::OPT_MSDP; }
  std::string Name() const override { return "MSDP"; }
  bool AcceptsWill() const override { return true; }
  void Subnegotiation(std::string_view value, std::string& output, const Log& log) override;
  void Changed(bool him, bool on, std::string& output, const Log& log) override;
  size_t SubnegotiationBound() const override { return 64 * 1024; }

 private:
  GameData& data_;
  std::vector<std::string> reported_;
};

class MsspOption : public TelnetOption {
 public:
  explicit MsspOption(GameData& data) : data_(data) {}
  unsigned char Code() const override { return telnet::OPT_MSSP; }
  std::string Name() const override { return "MSSP"; }
  bool AcceptsWill() const override { return true; }
  void Subnegotiation(std::string_view value, std::string& output, const Log& log) override;
  size_t SubnegotiationBound() const override { return 64 * 1024; }

 private:
  GameData& data_;
};

}  // namespace ombrel
