// One terminal apart from any window: the core (line store, receive path,
// telnet parser and its options), the command line with its processor and
// history, and the connection the platform gives it. The terminal window
// and the headless terminal are built on it; whatever else plugs in (a
// second view, scripts, a data pane, a screen reader) listens to it.
#pragma once

#include <memory>
#include <string>

#include "command/command_line.h"
#include "term/term_core.h"
#include "term/term_listener.h"

namespace ombrel {

class TermSession {
 public:
  // `view` scrolls for the command line's keys; `prompt` asks for the
  // parameters of aliases and macros.
  TermSession(TOptions* options, ScrollTarget& view, ParamPrompt& prompt);
  ~TermSession();
  TermSession(const TermSession&) = delete;
  TermSession& operator=(const TermSession&) = delete;

  TermCore& Core() { return core_; }
  const TermCore& Core() const { return core_; }
  CommandLine& Commands() { return commands_; }
  TOptions* Options() const { return core_.Options(); }
  void SetOptions(TOptions* options) { core_.SetOptions(options); }
  // The one window holding the terminal, if any.
  void SetHost(TermHost* host) { core_.SetHost(host); }
  void SetSoundPlayer(ISoundPlayer* player) { core_.SetSoundPlayer(player); }

  // --- what listens: the window, and beside it anything else
  void AddListener(TermListener& listener, bool lines = false, const LineFilter* filter = nullptr) {
    core_.Listeners().Add(listener, lines, filter);
  }
  void RemoveListener(TermListener& listener) { core_.Listeners().Remove(listener); }

  // --- the connection
  // The platform's socket, reporting to Core(); kept until another takes
  // its place or the session ends.
  void SetSocket(std::unique_ptr<IClientSocket> socket);
  IClientSocket* Socket() const { return core_.Socket(); }
  bool Connected() const { return core_.Connected(); }
  bool SocketOpen() const { return core_.SocketOpen(); }
  // As the user asks: listeners hear the disconnect as theirs.
  void Disconnect() { core_.Disconnect(); }

  // --- the cells of the view: wrapping, and NAWS when they change
  void SetWindowSize(int cols, int rows) { core_.SetWindowSize(cols, rows); }

  // --- telnet options beyond the set's switches (game data and such), not
  // owned: added to the parser on each connect, their data told as
  // OptionData.
  void AddTelnetOption(TelnetOption& option) { core_.AddTelnetOption(option); }
  void RemoveTelnetOption(TelnetOption& option) { core_.RemoveTelnetOption(option); }

  // As if typed into the command line and sent with Enter.
  void Type(const std::string& line) { commands_.ReturnPressed(line); }

 private:
  TermCore core_;
  CommandLine commands_;
  // After the core: the socket reports to it until the socket is gone.
  std::unique_ptr<IClientSocket> socket_;
};

}  // namespace ombrel
