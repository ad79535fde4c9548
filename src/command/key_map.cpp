#include "command/key_map.h"

namespace ombrel {
namespace {

KeyCommand Action(KeyAction action) { return KeyCommand{action, 0, 0}; }

KeyCommand KeypadDirection(int virtualKey) {
  switch (static_cast<KeyCode>(virtualKey)) {
    case KeyCode::kNumpad8:
      return KeyCommand{KeyAction::kSendDirection, 'n', 0};
    case KeyCode::kNumpad2:
      return KeyCommand{KeyAction::kSendDirection, 's', 0};
    case KeyCode::kNumpad4:
      return KeyCommand{KeyAction::kSendDirection, 'w', 0};
    case KeyCode::kNumpad6:
      return KeyCommand{KeyAction::kSendDirection, 'e', 0};
    case KeyCode::kNumpad5:
      return KeyCommand{KeyAction::kSendDirection, 'l', 0};
    default:
      return KeyCommand{};
  }
}

}  // namespace

KeyCommand MapKey(int virtualKey, unsigned modifiers) {
  const bool withCtrl = (modifiers & kModCtrl) != 0;
  const bool ctrlAlone = (modifiers & (kModCtrl | kModShift | kModAlt)) == kModCtrl;
  switch (static_cast<KeyCode>(virtualKey)) {
    case KeyCode::kPageUp:
      return Action(KeyAction::kScrollPageUp);
    case KeyCode::kPageDown:
      return Action(KeyAction::kScrollPageDown);
    case KeyCode::kHome:
      return ctrlAlone ? Action(KeyAction::kScrollToStart) : KeyCommand{};
    case KeyCode::kEnd:
      return ctrlAlone ? Action(KeyAction::kScrollToEnd) : KeyCommand{};
    case KeyCode::kUp:
      return Action(withCtrl ? KeyAction::kScrollLineUp : KeyAction::kHistoryPrev);
    case KeyCode::kDown:
      return Action(withCtrl ? KeyAction::kScrollLineDown : KeyAction::kHistoryNext);
    default:
      break;
  }
  const int digit1 = static_cast<int>(KeyCode::kDigit1);
  if (virtualKey >= digit1 && virtualKey <= static_cast<int>(KeyCode::kDigit9))
    return ctrlAlone ? KeyCommand{KeyAction::kRunMacro, 0, virtualKey - digit1 + 1} : KeyCommand{};
  return withCtrl ? KeypadDirection(virtualKey) : KeyCommand{};
}

KeyCommand MapKey(KeyCode key, unsigned modifiers) {
  return MapKey(static_cast<int>(key), modifiers);
}

}  // namespace ombrel
