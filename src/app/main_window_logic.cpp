#include "app/main_window_logic.h"

namespace ombrel {

TabRow BuildTabRow(const std::vector<TabInfo>& terminals) {
  TabRow row;
  for (size_t i = 0; i < terminals.size(); ++i) {
    row.captions.push_back(terminals[i].caption + (terminals[i].unseen ? " *" : ""));
    if (terminals[i].current) row.selected = static_cast<int>(i);
  }
  return row;
}

Placement PullOntoScreen(Placement saved, int screenWidth, int screenHeight) {
  if (screenWidth < saved.left) saved.left = screenWidth / 3;
  if (screenHeight < saved.top) saved.top = screenHeight / 3;
  return saved;
}

}  // namespace ombrel
