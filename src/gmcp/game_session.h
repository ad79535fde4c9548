// A terminal's game data: one tree, and the GMCP, MSDP and MSSP options that
// fill it, offered to the server while the terminal's set has the switch on.
// The set is read as each connection starts, so an edited module list or
// switch counts from the next connect; each connection starts an empty tree.
#pragma once

#include <array>

#include "gmcp/game_data.h"
#include "gmcp/game_settings.h"
#include "telnet/gmcp_option.h"
#include "telnet/msdp_option.h"
#include "term/term_session.h"

namespace ombrel {

class GameSession : private TermListener {
 public:
  explicit GameSession(TermSession& session);
  ~GameSession() override;
  GameSession(const GameSession&) = delete;
  GameSession& operator=(const GameSession&) = delete;

  GameData& Data() { return data_; }
  // Whether the options were offered for the connection under way.
  bool On() const { return on_; }

 private:
  void ConnectionChanged(ConnectionState state, bool byUser) override;
  void Configure();
  std::array<TelnetOption*, 3> Options() { return {&gmcp_, &msdp_, &mssp_}; }

  TermSession& session_;
  GameData data_;
  GmcpOption gmcp_{data_};
  MsdpOption msdp_{data_};
  MsspOption mssp_{data_};
  bool on_ = false;
};

}  // namespace ombrel
