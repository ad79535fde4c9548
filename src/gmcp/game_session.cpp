#include "gmcp/game_session.h"

namespace ombrel {

GameSession::GameSession(TermSession& session) : session_(session) { session_.AddListener(*this); }

GameSession::~GameSession() {
  session_.RemoveListener(*this);
  for (TelnetOption* option : Options()) session_.RemoveTelnetOption(*option);
}

void GameSession::ConnectionChanged(ConnectionState state, bool) {
  // Connecting comes before the parser is bound for the connection.
  if (state == ConnectionState::Connecting) Configure();
}

void GameSession::Configure() {
  const TOptions* options = session_.Options();
  const bool on = options && options->features.gmcp;
  for (TelnetOption* option : Options()) session_.RemoveTelnetOption(*option);
  on_ = on;
  if (!on) return;
  const GameSettings settings = SettingsOf(options->gamedata);
  gmcp_.SetModules(settings.modules);
  msdp_.SetReported(settings.msdpVariables);
  for (TelnetOption* option : Options()) session_.AddTelnetOption(*option);
  data_.Clear();
}

}  // namespace ombrel
