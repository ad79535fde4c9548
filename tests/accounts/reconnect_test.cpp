#include <gtest/gtest.h>

#include <sstream>

#include "accounts/reconnect.h"

namespace ombrel {
namespace {

using State = ReconnectPolicy::State;
using Ms = ReconnectPolicy::Ms;

// The state, the seconds left, what the last loss said.
using Outcome = std::tuple<State, int, std::string>;

// Events at seconds: c the player's Connect, d his Disconnect, e the
// connection made, a the same with the auto-send, l lost, t the timer.
Outcome Play(const std::string& script) {
  ReconnectPolicy policy;
  std::string said;
  Ms now{0};
  std::istringstream in(script);
  char what;
  for (double at; in >> what >> at;) {
    now = Ms{static_cast<int64_t>(at * 1000)};
    if (what == 'c') policy.PlayerConnected();
    if (what == 'd') policy.PlayerDisconnected();
    if (what == 'e' || what == 'a') policy.Established(now, what == 'a');
    if (what == 't') policy.Due(now);
    if (what == 'l') said = policy.Lost(now);
  }
  return {policy.state(), policy.SecondsLeft(now), said};
}

TEST(Reconnect, WaitsLongerEachTimeAndStopsWhereItMust) {
  const std::string refused = "The server closed the connection right after the login twice: not reconnecting.\r\n";
  const std::string up = "c0 a1 l600 ";  // a long session lost
  const std::tuple<std::string, Outcome, const char*> rows[] = {
      {up, {State::Waiting, 2, ""}, "lost: back in 2 s"},
      {up + "t601.9", {State::Waiting, 1, ""}, "not yet: the countdown rounds up"},
      {up + "t602 l602 t606 l606 t614 l614 t630 l630 t662 l662 t722 l722", {State::Waiting, 60, ""}, "at most 60 s"},
      {up + "t602 l602.5 l602.6", {State::Waiting, 4, ""}, "a second notice of one loss"},
      {up + "t602 l603 t607 a607 l700", {State::Waiting, 2, ""}, "a good connection starts the delays afresh"},
      {"c0 a0 l3 t5 a5 l9.9", {State::Off, 0, refused}, "the login refused twice"},
      {"c0 a0 l3 t5 a5 l20 t22 a22 l23", {State::Waiting, 4, ""}, "not twice in a row"},
      {"c0 e0 l1 t3 e3 l4", {State::Waiting, 4, ""}, "quick closes without an auto-send refuse no login"},
      {"c0 a0 l3 t5 l5 t9 a9 l10", {State::Off, 0, refused}, "a failed attempt between them breaks no row"},
      {"c0 a1 d50 l50", {State::Off, 0, ""}, "the player disconnected"},
      {up + "d601 t700", {State::Off, 0, ""}, "Disconnect cancels the countdown"},
      {"c0 l1", {State::Off, 0, ""}, "the player's own attempt failed: not repeated"},
      {up + "c601 a602 l603", {State::Waiting, 2, ""}, "the player's Connect starts afresh"},
  };
  for (const auto& [script, outcome, why] : rows) EXPECT_EQ(Play(script), outcome) << why;
  ReconnectPolicy policy;
  policy.PlayerConnected();
  policy.Established(Ms{0}, false);
  policy.Lost(Ms{10000});
  EXPECT_EQ(policy.Countdown(Ms{11500}), "Reconnecting in 1 second (Disconnect cancels)");
}

}  // namespace
}  // namespace ombrel
