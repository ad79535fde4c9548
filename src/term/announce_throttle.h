// How many received lines are handed to a screen reader: a few a second
// are spoken as they come; beyond that they are counted and told as one
// "N more lines" when the second is over, so speech never falls minutes
// behind a flood.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ombrel {

class AnnounceThrottle {
 public:
  explicit AnnounceThrottle(int perWindow = 4, int64_t windowMs = 2000) : perWindow_(perWindow), windowMs_(windowMs) {}

  // A line arrives at `nowMs`: true when it is to be spoken; else it is
  // counted for the summary.
  bool Admit(int64_t nowMs);
  // When the summary of held lines is due (-1: none held).
  int64_t SummaryDue() const { return held_ ? windowStart_ + windowMs_ : -1; }
  // At or after SummaryDue: how many lines were held back, told once (0
  // when none or not yet due).
  int TakeHeld(int64_t nowMs);

  // What is said for them: one held line is itself (a player's answer
  // coming right after a burst must not become "1 more line").
  static std::string Summary(int held, std::string_view lastHeld);

 private:
  int perWindow_;
  int64_t windowMs_;
  int64_t windowStart_ = INT64_MIN / 2;
  int admitted_ = 0;
  int held_ = 0;
};

}  // namespace ombrel
