// A terminal without a window: a session with a real socket, driven by a
// Qt event loop with no display. Tests and benchmarks talk to servers
// through it the way a terminal window does.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "term/term_session.h"
#include "term/ui/qt_client_socket.h"

namespace ombrel {

class HeadlessTerminal : private ScrollTarget, private ParamPrompt, private TermListener {
 public:
  explicit HeadlessTerminal(const TOptions& options = TOptions());
  ~HeadlessTerminal() override;
  HeadlessTerminal(const HeadlessTerminal&) = delete;
  HeadlessTerminal& operator=(const HeadlessTerminal&) = delete;

  TOptions& Options() { return options_; }
  TermSession& Session() { return session_; }
  TermCore& Core() { return session_.Core(); }
  QtClientSocket& Socket() { return socket_; }
  CommandLine& commandLine() { return session_.Commands(); }

  // A numeric target as an address, anything else as a host name.
  bool Connect(const std::string& target, int port) { return socket_.Open(target, port); }
  // As if typed into the command line and sent with Enter.
  void Type(const std::string& line) { session_.Type(line); }
  // The view changed size: new cells, reported to the server under NAWS.
  void Resize(int cols, int rows);

  // Lines 0 to curline of the store, the current one included.
  std::vector<std::string> Lines() const;
  bool HasLine(const std::string& text) const;
  bool HasLineContaining(const std::string& part) const;
  // The telnet parser's log lines, oldest first.
  const std::vector<std::string>& TelnetLog() const { return telnetLog_; }
  int Repaints() const { return repaints_; }

  // Runs the event loop until `done` holds or `timeoutMs` passes; returns
  // whether it holds.
  static bool WaitFor(const std::function<bool()>& done, int timeoutMs);
  bool WaitForLine(const std::string& part, int timeoutMs);

  // Answers the parameter prompt of aliases and macros; unset gives "".
  std::function<std::string(const std::string& name)> askParam;

 private:
  // ScrollTarget: no view to scroll.
  void ScrollBy(int) override {}
  int Rows() const override { return session_.Core().rows; }
  int CurLine() const override { return session_.Core().curline(); }
  // ParamPrompt
  std::string Ask(const std::string& name) override { return askParam ? askParam(name) : ""; }
  // TermListener
  void TextShown() override { ++repaints_; }
  void TelnetLog(std::string_view text) override { telnetLog_.emplace_back(text); }

  TOptions options_;
  TermSession session_;
  QtClientSocket& socket_;  // kept by the session
  std::vector<std::string> telnetLog_;
  int repaints_ = 0;
};

}  // namespace ombrel
