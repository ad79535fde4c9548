#include "speech/speech_chooser.h"

#include "term/escape.h"

namespace ombrel {

namespace {

bool Blank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

}  // namespace

SpeechChooser::SpeechChooser(const std::vector<std::string>& never, size_t maxWaiting) : maxWaiting_(maxWaiting) {
  for (const std::string& pattern : never) {
    try {
      never_.emplace_back(pattern, std::regex::ECMAScript | std::regex::optimize);
    } catch (const std::regex_error&) {
      invalid_.push_back(pattern);
    }
  }
}

bool SpeechChooser::NeverSpoken(const std::string& text) const {
  for (const std::regex& pattern : never_)
    if (std::regex_search(text, pattern)) return true;
  return false;
}

void SpeechChooser::Offer(std::string_view line, bool strings, int64_t nowMs) {
  StripEscapes(line, visible_, strings);
  // A line never spoken is not counted either: a flood of filtered
  // combat spam must not push the lines that matter into a count.
  if (Blank(visible_) || NeverSpoken(visible_)) return;
  if (throttle_.Admit(nowMs))
    Queue(visible_);
  else
    lastHeld_ = visible_;
}

void SpeechChooser::TakeHeld(int64_t nowMs) {
  const std::string summary = AnnounceThrottle::Summary(throttle_.TakeHeld(nowMs), lastHeld_);
  if (!summary.empty()) Queue(summary);
}

void SpeechChooser::Queue(std::string text) {
  if (waiting_.size() < maxWaiting_ && !overflow_) {
    waiting_.push_back(std::move(text));
    return;
  }
  ++overflow_;
  lastOverflow_ = std::move(text);
}

std::optional<std::string> SpeechChooser::Next() {
  if (!waiting_.empty()) {
    std::string text = std::move(waiting_.front());
    waiting_.pop_front();
    return text;
  }
  if (!overflow_) return std::nullopt;
  // What found the queue full is told as one count once the rest is said.
  std::string summary = AnnounceThrottle::Summary(overflow_, lastOverflow_);
  overflow_ = 0;
  return summary;
}

void SpeechChooser::Silence() {
  waiting_.clear();
  overflow_ = 0;
  // Held lines are dropped with the rest: their count is not told later.
  throttle_.TakeHeld(INT64_MAX);
}

}  // namespace ombrel
