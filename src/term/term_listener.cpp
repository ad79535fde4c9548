#include "term/term_listener.h"

#include <algorithm>

namespace ombrel {

void TermListeners::Add(TermListener& listener, bool lines, const LineFilter* filter) {
  for (const Entry& e : entries_)
    if (e.listener == &listener) return;
  entries_.push_back({&listener, lines, filter});
  if (!lines) return;
  ++lineListeners_;
  if (filter) {
    filters_.push_back(filter);
  } else {
    ++unfiltered_;
  }
}

void TermListeners::Remove(TermListener& listener) {
  for (Entry& e : entries_) {
    if (e.listener != &listener) continue;
    if (e.lines) {
      --lineListeners_;
      if (!e.filter) {
        --unfiltered_;
      } else if (auto at = std::find(filters_.begin(), filters_.end(), e.filter); at != filters_.end()) {
        filters_.erase(at);
      }
    }
    // While telling, the entries are being walked: the place stays.
    e.listener = nullptr;
    emptied_ = true;
  }
  if (depth_ == 0) DropEmptied();
}

void TermListeners::DropEmptied() {
  if (!emptied_) return;
  std::erase_if(entries_, [](const Entry& e) { return !e.listener; });
  emptied_ = false;
}

TermListeners::Telling::~Telling() {
  if (--list.depth_ == 0) list.DropEmptied();
}

void TermListeners::TellLine(int32_t index, std::string_view text, bool received) {
  Telling telling(*this);
  for (size_t i = 0, n = entries_.size(); i < n; ++i) {
    const Entry& e = entries_[i];
    if (e.listener && e.lines && (!e.filter || e.filter->Admits(text))) e.listener->LineStored(index, text, received);
  }
}

}  // namespace ombrel
