// The main window's rules that need no window: the registry of terminals in
// creation order with the current one, the tab captions, the saved window
// position pulled back onto the screen.
#pragma once

#include "util/digits.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ombrel {

template <class Terminal>
class TerminalRegistry {
 public:
  const std::vector<Terminal*>& terminals() const { return terminals_; }
  int lastIndex() const { return static_cast<int>(terminals_.size()) - 1; }
  int Count() const { return static_cast<int>(terminals_.size()); }
  Terminal* current() const { return current_; }
  void SetCurrent(Terminal* t) { current_ = t; }

  void Add(Terminal* t) { terminals_.push_back(t); }
  // Later terminals move down one slot; nothing is current afterwards.
  void Remove(Terminal* t) {
    current_ = nullptr;
    terminals_.erase(std::remove(terminals_.begin(), terminals_.end(), t), terminals_.end());
  }
  int IndexOf(const Terminal* t) const {
    auto it = std::find(terminals_.begin(), terminals_.end(), t);
    return it == terminals_.end() ? -1 : static_cast<int>(it - terminals_.begin());
  }

 private:
  std::vector<Terminal*> terminals_;
  Terminal* current_ = nullptr;
};

struct TabInfo {
  std::string caption;
  bool unseen = false;
  bool current = false;
};

struct TabRow {
  std::vector<std::string> captions;
  int selected = -1;  // -1: leave the selection as it is
};

TabRow BuildTabRow(const std::vector<TabInfo>& terminals);

struct Placement {
  int left = 0, top = 0;
};

// A saved edge beyond the screen is pulled back to a third of it.
Placement PullOntoScreen(Placement saved, int screenWidth, int screenHeight);

}  // namespace ombrel
