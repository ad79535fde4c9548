#include "command/history.h"

#include <algorithm>

namespace ombrel {

void CommandHistory::HistoryAdd(const std::string& text, int limit) {
  if (text.empty()) return;
  // A negative limit would index before the first entry.
  limit = std::max(limit, 0);
  if (historyLast_ >= limit) {
    std::rotate(history_.begin(), history_.begin() + 1, history_.begin() + historyLast_ + 1);
    history_[historyLast_] = text;
  } else {
    ++historyLast_;
    if (static_cast<int>(history_.size()) <= historyLast_) history_.resize(historyLast_ + 1);
    history_[historyLast_] = text;
  }
  historyPos_ = historyLast_ + 1;
}

std::string CommandHistory::HistoryPrev() {
  historyPos_ = std::max(historyPos_ - 1, 0);
  return EntryAtPos();
}

std::string CommandHistory::HistoryNext() {
  ++historyPos_;
  if (historyPos_ > historyLast_) {
    historyPos_ = historyLast_ + 1;
    return std::string();
  }
  return EntryAtPos();
}

std::string CommandHistory::EntryAtPos() const {
  if (historyPos_ < 0 || historyPos_ > historyLast_) return std::string();
  return history_[historyPos_];
}

}  // namespace ombrel
