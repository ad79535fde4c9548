#include "command/history_search.h"

#include <algorithm>
#include <utility>

namespace ombrel {

int HistorySearch::Find(const std::string& query, int from, const std::string* unlike) const {
  for (int i = std::min(from, history_.Count() - 1); i >= 0; --i) {
    const std::string& entry = history_.Entry(i);
    if (entry.find(query) != std::string::npos && !(unlike && entry == *unlike)) return i;
  }
  return -1;
}

void HistorySearch::CtrlR(std::string_view line) {
  if (!Active()) {
    line_.assign(line);
    Push({});
    return;
  }
  Step step = steps_.back();
  if (step.query.empty()) {
    if (lastQuery_.empty()) return;
    step.query = lastQuery_;
    step.match = Find(step.query, history_.Count() - 1, nullptr);
    step.failing = step.match < 0;
  } else {
    // The next older entry, not one the same as the line shown.
    const int older = step.match < 0 ? -1 : Find(step.query, step.match - 1, &history_.Entry(step.match));
    if (older < 0) step.failing = true;
    else step.match = older;
  }
  Push(std::move(step));
}

void HistorySearch::Type(std::string_view text) {
  if (!Active() || text.empty()) return;
  Step step = steps_.back();
  step.query += text;
  // A failing search fails longer too; else the match shown counts.
  if (!step.failing) {
    const int found = Find(step.query, step.match < 0 ? history_.Count() - 1 : step.match, nullptr);
    if (found < 0) step.failing = true;
    else step.match = found;
  }
  Push(std::move(step));
}

void HistorySearch::Backspace() {
  if (steps_.size() > 1) steps_.pop_back();
}

std::string HistorySearch::Cancel() {
  if (Active() && !Query().empty()) lastQuery_ = Query();
  steps_.clear();
  return std::exchange(line_, {});
}

std::string HistorySearch::Accept() {
  std::string shown = Shown();
  if (Active() && !Query().empty()) lastQuery_ = Query();
  steps_.clear();
  line_.clear();
  return shown;
}

const std::string& HistorySearch::Query() const {
  static const std::string kNone;
  return Active() ? steps_.back().query : kNone;
}

bool HistorySearch::Failing() const { return Active() && steps_.back().failing; }

std::string HistorySearch::Shown() const {
  if (!Active() || steps_.back().match < 0) return line_;
  return history_.Entry(steps_.back().match);
}

size_t HistorySearch::MatchOffset() const {
  if (!Active() || steps_.back().match < 0) return line_.size();
  const size_t at = Shown().rfind(Query());
  return at == std::string::npos ? 0 : at;
}

std::string HistorySearch::Prompt() const {
  return std::string(Failing() ? "(failed reverse-i-search)`" : "(reverse-i-search)`") + Query() + "': ";
}

}  // namespace ombrel
