#include "term/ui/reconnector.h"

#include <chrono>

#include "term/ui/qt_client_socket.h"

namespace ombrel {

Reconnector::Reconnector(TermSession& session, QtClientSocket& socket,
                         std::function<void(const std::string&)> countdown)
    : session_(session), socket_(socket), countdown_(std::move(countdown)) {
  timer_.setInterval(250);  // the countdown shows whole seconds; this keeps it close
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  session_.AddListener(*this);
}

Reconnector::~Reconnector() { session_.RemoveListener(*this); }

ReconnectPolicy::Ms Reconnector::Now() {
  return std::chrono::duration_cast<ReconnectPolicy::Ms>(std::chrono::steady_clock::now().time_since_epoch());
}

bool Reconnector::SwitchedOn() const {
  const TOptions* options = session_.Options();
  return options && options->features.autoreconnect;
}

void Reconnector::PlayerDisconnected() {
  policy_.PlayerDisconnected();
  timer_.stop();
  countdown_({});
}

void Reconnector::ConnectionChanged(ConnectionState state, bool byUser) {
  switch (state) {
    case ConnectionState::LookingUp:
    case ConnectionState::Connecting:
      // Any attempt but the policy's own is the player's Connect.
      if (policy_.state() != ReconnectPolicy::State::Connecting) {
        policy_.PlayerConnected();
        timer_.stop();
        countdown_({});
      }
      break;
    case ConnectionState::Connected:
      policy_.Established(Now(), !session_.Core().autologin.empty());
      break;
    case ConnectionState::Disconnected:
      if (byUser)
        PlayerDisconnected();
      else
        Lost();
      break;
  }
}

void Reconnector::Lost() {
  // Switched off, a lost connection stays lost, as ever.
  if (!SwitchedOn()) {
    policy_.PlayerDisconnected();
    return;
  }
  const std::string said = policy_.Lost(Now());
  if (!said.empty()) session_.Core().WriteText(said, false);
  if (!Waiting()) return;
  countdown_(policy_.Countdown(Now()));
  timer_.start();
}

void Reconnector::Tick() {
  if (!Waiting()) {
    timer_.stop();
    return;
  }
  if (!policy_.Due(Now())) {
    countdown_(policy_.Countdown(Now()));
    return;
  }
  timer_.stop();
  countdown_({});
  socket_.Open();
}

}  // namespace ombrel
