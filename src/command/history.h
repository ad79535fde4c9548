// The command lines a terminal has sent, oldest first, and the browse
// position the Up and Down keys move.
#pragma once

#include <string>
#include <vector>

namespace ombrel {

class CommandHistory {
 public:
  // Keeps `limit` + 1 entries at most: the limit is compared with the index
  // of the newest entry. Empty texts are not kept.
  void HistoryAdd(const std::string& text, int limit);
  // Each returns the text to show in the command line.
  std::string HistoryPrev();
  std::string HistoryNext();

  int Count() const { return historyLast_ + 1; }
  // Entry `index` of Count(), 0 the oldest.
  const std::string& Entry(int index) const { return history_[index]; }

 private:
  std::string EntryAtPos() const;

  std::vector<std::string> history_;
  int historyLast_ = -1;
  int historyPos_ = 0;
};

}  // namespace ombrel
