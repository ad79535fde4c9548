// A game's data as a terminal's scripts see it: each message merged into the
// tree sets gmcp.<Package.Message> to the merged node and raises the event
// "gmcp.<Package.Message>" with what the message carried; MSDP and MSSP
// arrive as gmcp.MSDP and gmcp.MSSP. sendGMCP's requests become bytes here.
#pragma once

#include <functional>
#include <string>

#include "gmcp/game_data.h"
#include "script/script_host.h"

namespace ombrel {

// Objects become tables by key, arrays tables from 1, JSON null nil.
ScriptValue ScriptValueOf(const Json& value);

class ScriptGameFeed {
 public:
  using ErrorSink = std::function<void(const ScriptHost::Errors& errors)>;
  // Follows `data` for `host` until destroyed; what the handlers got wrong
  // goes to `errors` (status lines).
  ScriptGameFeed(GameData& data, ScriptHost& host, ErrorSink errors);
  ~ScriptGameFeed();
  ScriptGameFeed(const ScriptGameFeed&) = delete;
  ScriptGameFeed& operator=(const ScriptGameFeed&) = delete;

 private:
  GameData& data_;
  int listener_;
};

// IAC SB GMCP name [SP json] IAC SE for ScriptTerminal::SendGmcp; empty when
// the name is refused or `json` (empty: none) is not JSON.
std::string ScriptGmcpBytes(const std::string& name, const std::string& json);

}  // namespace ombrel
