// What of the received text is spoken aloud: each completed line without
// its colours, unless blank or matched by a pattern never spoken; under a
// flood a few lines a second and then one "N more lines", as a screen
// reader is told; and no more waiting to be said than a few lines, so the
// voice never falls minutes behind the game.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "term/announce_throttle.h"

namespace ombrel {

class SpeechChooser {
 public:
  // Patterns that are not valid regular expressions are left out and kept
  // in Invalid(), to be told to the player.
  explicit SpeechChooser(const std::vector<std::string>& never = {}, size_t maxWaiting = 6);
  const std::vector<std::string>& Invalid() const { return invalid_; }

  // A received line as stored (colour sequences and all) at `nowMs`.
  // `strings`: the set reads the longer sequences (256 colours and more).
  void Offer(std::string_view line, bool strings, int64_t nowMs);
  // When the count of held lines is due to be queued (-1: none held).
  int64_t SummaryDue() const { return throttle_.SummaryDue(); }
  // At or after SummaryDue, queues what the held lines are told as.
  void TakeHeld(int64_t nowMs);

  // The next text to speak, taken off the queue (none: nothing waits).
  std::optional<std::string> Next();
  // The player silenced the voice: nothing waiting or held is said.
  void Silence();

 private:
  bool NeverSpoken(const std::string& text) const;
  void Queue(std::string text);

  std::vector<std::regex> never_;
  std::vector<std::string> invalid_;
  size_t maxWaiting_;
  AnnounceThrottle throttle_;
  std::deque<std::string> waiting_;
  int overflow_ = 0;          // lines that found the queue full
  std::string lastOverflow_;  // the last of them
  std::string lastHeld_;      // the last line the throttle held back
  std::string visible_;       // kept from line to line
};

}  // namespace ombrel
