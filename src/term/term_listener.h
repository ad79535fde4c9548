// What a terminal tells whoever listens: its window, and beside it any
// number of others (a second view, scripts, a data pane, a screen reader),
// none knowing of the rest. Each overrides what it cares for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/line_filter.h"

namespace ombrel {

enum class ConnectionState { LookingUp, Connecting, Connected, Disconnected };

class TermListener {
 public:
  virtual ~TermListener() = default;
  // A line was completed: `index` in the store, its text as stored (it
  // never moves). `received`: it came from the server, not from the
  // terminal itself. Heard only by listeners added for lines.
  virtual void LineStored(int32_t /*index*/, std::string_view /*text*/, bool /*received*/) {}
  // After each block of text: a view follows the end if it does, and repaints.
  virtual void TextShown() {}
  // At each step of the socket; the same state may come twice. `byUser`:
  // the user ended the connection (Disconnect, closing the terminal, or
  // connecting anew), never the server or the network.
  virtual void ConnectionChanged(ConnectionState /*state*/, bool /*byUser*/) {}
  // A sub-negotiation of a telnet option that is on, its value with IAC IAC
  // undone, after the option itself has read it.
  virtual void OptionData(unsigned char /*code*/, std::string_view /*name*/, std::string_view /*payload*/) {}
  // The cells the terminal wraps at and reports under NAWS, when they change.
  virtual void WindowSize(int /*cols*/, int /*rows*/) {}
  // The store was emptied.
  virtual void Cleared() {}
  // A log was loaded into the store: a view shows its first line.
  virtual void LogLoaded() {}
  virtual void CaptionChanged(const std::string& /*caption*/) {}
  // Output arrived while the terminal was not the active one, or it became
  // active again: the mark on its tab.
  virtual void UnseenChanged(bool /*unseen*/) {}
  // A line the terminal says itself (connection steps, errors), as shown.
  virtual void StatusLine(std::string_view /*text*/) {}
  // A negotiation step of the telnet parser, for the console.
  virtual void TelnetLog(std::string_view /*text*/) {}
  // The server started or stopped echoing what is typed: while it does, the
  // command line hides what is typed and shows a lock.
  virtual void ServerEchoChanged(bool /*serverEchoes*/) {}
};

// The listeners of one terminal. One may be added or removed while an event
// is told, by itself or another: one removed is not told anything more, one
// added hears from the next event on.
class TermListeners {
 public:
  // `lines`: it hears LineStored too, the one event told for every line;
  // with nobody listening for lines, storing one costs a test of a count.
  // `filter`: which lines it hears, if not all; it must outlive the entry.
  void Add(TermListener& listener, bool lines = false, const LineFilter* filter = nullptr);
  void Remove(TermListener& listener);
  bool HearLines() const { return lineListeners_ != 0; }
  // Would any listener hear this line? Where all of them filter, the filters
  // answer here, before the line is told at all.
  bool MayHear(std::string_view line) const {
    if (lineListeners_ == 0) return false;
    if (unfiltered_ > 0) return true;
    for (const LineFilter* f : filters_)
      if (f->Admits(line)) return true;
    return false;
  }

  template <class... Params, class... Args>
  void Tell(void (TermListener::*event)(Params...), const Args&... args) {
    if (entries_.empty()) return;
    Telling telling(*this);
    for (size_t i = 0, n = entries_.size(); i < n; ++i)
      if (TermListener* l = entries_[i].listener) (l->*event)(args...);
  }
  void TellLine(int32_t index, std::string_view text, bool received);

 private:
  struct Entry {
    TermListener* listener;
    bool lines;
    const LineFilter* filter;
  };
  // Entries of listeners removed while telling are emptied, and dropped
  // once the outermost event is told.
  struct Telling {
    explicit Telling(TermListeners& l) : list(l) { ++list.depth_; }
    ~Telling();
    TermListeners& list;
  };
  void DropEmptied();
  std::vector<Entry> entries_;
  bool emptied_ = false;  // entries wait to be dropped
  int depth_ = 0;
  int lineListeners_ = 0;
  // Of the listeners for lines: those without a filter, and the filters.
  int unfiltered_ = 0;
  std::vector<const LineFilter*> filters_;
};

}  // namespace ombrel
