#include "term/announce_throttle.h"

namespace ombrel {

bool AnnounceThrottle::Admit(int64_t nowMs) {
  if (nowMs >= windowStart_ + windowMs_) {
    // Lines held in the window that ended are still owed their summary;
    // the new window opens only after it was told.
    if (held_) {
      ++held_;
      return false;
    }
    windowStart_ = nowMs;
    admitted_ = 0;
  }
  if (admitted_ < perWindow_ && !held_) {
    ++admitted_;
    return true;
  }
  ++held_;
  return false;
}

int AnnounceThrottle::TakeHeld(int64_t nowMs) {
  if (!held_ || nowMs < SummaryDue()) return 0;
  const int held = held_;
  held_ = 0;
  // The summary takes the place of the window's speech: the next line
  // opens a window of its own.
  windowStart_ = INT64_MIN / 2;
  return held;
}

std::string AnnounceThrottle::Summary(int held, std::string_view lastHeld) {
  if (held <= 0) return {};
  return held == 1 ? std::string(lastHeld) : std::to_string(held) + " more lines";
}

}  // namespace ombrel
