// Ctrl+R in the command line: the history searched backwards as a shell
// does. Each character typed narrows the search, the match staying while it
// still holds what was typed; Ctrl+R again goes to the next older entry
// that holds it; Backspace undoes the last step; Escape gives back the line
// as it was, and Enter or any other key takes the match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "command/history.h"

namespace ombrel {

class HistorySearch {
 public:
  explicit HistorySearch(const CommandHistory& history) : history_(history) {}

  bool Active() const { return !steps_.empty(); }
  // Ctrl+R. Starting, `line` is the command line, given back on Cancel;
  // with nothing typed yet, a second Ctrl+R searches for what the last
  // search looked for.
  void CtrlR(std::string_view line);
  void Type(std::string_view text);
  void Backspace();
  // Escape: the line as it was before Ctrl+R.
  std::string Cancel();
  // The match, or the line as it was when there is none.
  std::string Accept();

  const std::string& Query() const;
  // No entry holds the query (the match shown is the last one that did).
  bool Failing() const;
  // What the command line shows, and where in it the query lies.
  std::string Shown() const;
  size_t MatchOffset() const;
  // As the shell shows it: "(reverse-i-search)`query': ".
  std::string Prompt() const;

 private:
  struct Step {
    std::string query;
    int match = -1;  // the entry shown; -1: none yet
    bool failing = false;
  };
  // The newest entry from `from` down that holds `query`, -1 when none;
  // one the same as `unlike` is passed over.
  int Find(const std::string& query, int from, const std::string* unlike) const;
  void Push(Step step) { steps_.push_back(std::move(step)); }

  const CommandHistory& history_;
  std::vector<Step> steps_;  // the last is where the search stands
  std::string line_;
  std::string lastQuery_;
};

}  // namespace ombrel
