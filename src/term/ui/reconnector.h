// A terminal's own reconnecting (the set's #autoreconnect switch): a
// listener of its session that follows the connection, counts down after
// one is lost and opens the terminal's connection again, as the rules in
// `ReconnectPolicy` say. The address, the port and TLS stay the socket's,
// so the connection made again is the one the player made.
#pragma once

#include <QTimer>
#include <functional>
#include <string>

#include "accounts/reconnect.h"
#include "term/term_session.h"

namespace ombrel {

class QtClientSocket;

class Reconnector : private TermListener {
 public:
  // `countdown` is told the line to show while waiting, empty when not.
  Reconnector(TermSession& session, QtClientSocket& socket, std::function<void(const std::string&)> countdown);
  ~Reconnector() override;
  Reconnector(const Reconnector&) = delete;
  Reconnector& operator=(const Reconnector&) = delete;

  // The player's Disconnect, before the socket closes: a countdown stops.
  void PlayerDisconnected();
  bool Waiting() const { return policy_.state() == ReconnectPolicy::State::Waiting; }

 private:
  void ConnectionChanged(ConnectionState state, bool byUser) override;
  void Lost();
  void Tick();
  bool SwitchedOn() const;
  static ReconnectPolicy::Ms Now();

  TermSession& session_;
  QtClientSocket& socket_;
  std::function<void(const std::string&)> countdown_;
  ReconnectPolicy policy_;
  QTimer timer_;
};

}  // namespace ombrel
