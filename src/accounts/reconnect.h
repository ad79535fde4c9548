// When a terminal connects again by itself: after a connection is lost that
// the player did not close, it waits 2, 4, 8 ... up to 60 seconds and
// connects again, the account's auto-send going out as on every connect.
// A server that closes within 5 seconds of the auto-send twice in a row is
// refusing the login: connecting again would only repeat it (and may get
// the address banned), so the terminal stops and says why. The time is the
// caller's, in steady milliseconds: the rules never read a clock.
#pragma once

#include <chrono>
#include <string>

namespace ombrel {

class ReconnectPolicy {
 public:
  using Ms = std::chrono::milliseconds;
  static constexpr Ms kFirstDelay{2000};
  static constexpr Ms kLongestDelay{60000};
  // A connection closed sooner after the auto-send refused the login; one
  // that lasted this long was a good one, and the delays start afresh.
  static constexpr Ms kLoginWindow{5000};

  // Off: nothing is connected again (the player never connected, closed the
  // connection himself, or the policy gave up). Opening: the player's own
  // attempt, which is not repeated when it fails: only a connection once
  // made is taken up again. Waiting: a countdown runs. Connecting: an
  // attempt of the policy's own, repeated until one succeeds.
  enum class State { Off, Opening, Connected, Waiting, Connecting };

  // The player's own Connect: once it is made, a lost connection is
  // connected again; a countdown still running is dropped.
  void PlayerConnected();
  // The player's Disconnect, before the socket closes: a countdown stops,
  // and nothing is connected again until the player connects.
  void PlayerDisconnected();
  // The connection is made; `autoSend`: the account's auto-send went out
  // with it.
  void Established(Ms now, bool autoSend);
  // The connection ended, or an attempt to make one failed, and the player
  // did not close it. Returns a line for the terminal, empty when there is
  // nothing to say; the countdown is then Countdown's.
  std::string Lost(Ms now);
  // Asked while waiting (a timer each second): true once it is time to
  // connect, which the caller then does; the state is Connecting.
  bool Due(Ms now);

  State state() const { return state_; }
  // Whole seconds until the next attempt, rounded up; 0 unless waiting.
  int SecondsLeft(Ms now) const;
  // For the status bar while waiting, else empty.
  std::string Countdown(Ms now) const;

 private:
  State state_ = State::Off;
  int attempts_ = 0;     // delays since the last good connection
  int refusals_ = 0;     // logins refused in a row
  bool autoSend_ = false;
  Ms establishedAt_{0};
  Ms due_{0};
};

}  // namespace ombrel
