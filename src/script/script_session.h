// A terminal's scripts at work: one ScriptHost beside a TermSession, while
// the terminal's set has "Scripts" on. It loads the set's script when the
// terminal starts to connect, when the set is applied to a connected
// terminal and on Reload; hands it each received line after the set's own
// triggers, each typed command before the aliases, the connection's coming
// and going; saves `vars` when the connection goes and when the terminal
// closes. Errors are status lines of the terminal, which goes on.
//
// With the switch off it holds no Lua state, listens to no lines and takes
// no command: the terminal acts as if it were not there.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "command/command_processor.h"
#include "script/script_game_data.h"
#include "script/script_host.h"
#include "term/term_session.h"

namespace ombrel {

// The window's event loop, where script timers run.
class ScriptClock {
 public:
  virtual ~ScriptClock() = default;
  // Call ScriptSession::RunTimer(id) once, `delay` from now; an id that is
  // waiting waits anew.
  virtual void Start(int id, std::chrono::milliseconds delay) = 0;
  virtual void Stop(int id) = 0;
};

class ScriptSession : private TermListener, private ScriptTerminal, private CommandFilter {
 public:
  // `dir`: the folder of the scripts (data/scripts), without a slash at the end.
  ScriptSession(TermSession& session, ScriptClock& clock, std::string dir, ScriptLimits limits = {});
  ~ScriptSession() override;
  ScriptSession(const ScriptSession&) = delete;
  ScriptSession& operator=(const ScriptSession&) = delete;

  void SetSoundPlayer(ISoundPlayer* player) { player_ = player; }
  // The terminal's game data, which its scripts read as `gmcp` and hear as
  // "gmcp.<Package.Message>" events; it must outlive this session.
  void SetGameData(GameData& data);

  // The terminal's set was applied (or changed): a connected terminal
  // loads the set's scripts, one without a connection drops what ran.
  void SetApplied();
  // Reload Scripts: the set's script again, `vars` saved first.
  void Reload();
  // A timer the clock started fell due.
  void RunTimer(int id);
  // Writes `vars` now (the program closes), telling a failure.
  void SaveVars();

  // The host while scripts run, for what else feeds them (game data);
  // null while the switch is off or nothing is loaded.
  ScriptHost* Host() { return Active() ? &host_ : nullptr; }

 private:
  bool Enabled() const;
  // Loaded and still switched on; a set switched off since is dropped here.
  bool Active();
  void Load();
  void Drop();
  void Report(const ScriptHost::Errors& errors);
  void ListenForLines(bool lines);

  // TermListener
  void LineStored(int32_t index, std::string_view text, bool received) override;
  void ConnectionChanged(ConnectionState state, bool byUser) override;
  // ScriptTerminal
  void SendCommand(const std::string& text) override;
  void SendRaw(const std::string& text) override;
  void Echo(const std::string& text) override;
  void PlaySound(const std::string& file) override;
  void SendGmcp(const std::string& name, const std::string& json) override;
  void StartTimer(int id, std::chrono::milliseconds delay) override { clock_.Start(id, delay); }
  void StopTimer(int id) override { clock_.Stop(id); }
  std::chrono::steady_clock::time_point Now() const override { return std::chrono::steady_clock::now(); }
  int SwitchTriggerGroup(const std::string& group, bool on) override;
  // CommandFilter
  bool TakeCommand(const std::string& command) override;

  TermSession& session_;
  ScriptClock& clock_;
  std::string dir_;
  ISoundPlayer* player_ = nullptr;
  ScriptHost host_;
  bool hearsLines_ = false;
  // Loaded for the connection being made, so a second step of it (lookup,
  // then connecting) does not load again.
  bool loadedForAttempt_ = false;
  ConnectionState state_ = ConnectionState::Disconnected;
  std::string visible_;  // the line being read, without colour sequences
  ScriptLineEffects spareEffects_;
  std::unique_ptr<ScriptGameFeed> gameFeed_;
};

}  // namespace ombrel
