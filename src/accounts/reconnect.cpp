#include "accounts/reconnect.h"

#include <algorithm>

namespace ombrel {

void ReconnectPolicy::PlayerConnected() {
  state_ = State::Opening;
  attempts_ = 0;
  refusals_ = 0;
}

void ReconnectPolicy::PlayerDisconnected() { state_ = State::Off; }

void ReconnectPolicy::Established(Ms now, bool autoSend) {
  if (state_ == State::Off) return;
  state_ = State::Connected;
  establishedAt_ = now;
  autoSend_ = autoSend;
}

std::string ReconnectPolicy::Lost(Ms now) {
  // A second notice of the same loss (an error, then the disconnect) or
  // one of a connection the player closed.
  if (state_ == State::Off || state_ == State::Waiting) return {};
  if (state_ == State::Opening) {
    state_ = State::Off;
    return {};
  }
  if (state_ == State::Connected) {
    const bool brief = now - establishedAt_ < kLoginWindow;
    if (brief && autoSend_) {
      if (++refusals_ >= 2) {
        state_ = State::Off;
        return "The server closed the connection right after the login twice: not reconnecting.\r\n";
      }
    } else if (!brief) {
      attempts_ = 0;
      refusals_ = 0;
    }
  }
  // Doubling from 2 s: the shift stops growing long before it could overflow.
  const Ms delay = std::min(kFirstDelay * (1 << std::min(attempts_, 6)), kLongestDelay);
  ++attempts_;
  due_ = now + delay;
  state_ = State::Waiting;
  return {};
}

bool ReconnectPolicy::Due(Ms now) {
  if (state_ != State::Waiting || now < due_) return false;
  state_ = State::Connecting;
  return true;
}

int ReconnectPolicy::SecondsLeft(Ms now) const {
  if (state_ != State::Waiting) return 0;
  const auto left = std::max(due_ - now, Ms{0}).count();
  return static_cast<int>((left + 999) / 1000);
}

std::string ReconnectPolicy::Countdown(Ms now) const {
  if (state_ != State::Waiting) return {};
  const int seconds = SecondsLeft(now);
  return "Reconnecting in " + std::to_string(seconds) + (seconds == 1 ? " second" : " seconds") +
         " (Disconnect cancels)";
}

}  // namespace ombrel
