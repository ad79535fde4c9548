// The terminal window's keyboard shortcuts as a table from a key and the
// modifiers held to a command. Keys carry the desktop's virtual key codes;
// a toolkit adapter maps its own key events onto these.
#pragma once

namespace ombrel {

enum class KeyCode : int {
  kOther = 0,
  kPageUp = 33,
  kPageDown = 34,
  kEnd = 35,
  kHome = 36,
  kLeft = 37,
  kUp = 38,
  kDown = 40,
  kDigit1 = 49,  // main keyboard 1 to 9 are 49 to 57
  kDigit9 = 57,
  kNumpad0 = 96,  // number pad 0 to 9 (Num Lock on) are 96 to 105
  kNumpad2 = 98,
  kNumpad4 = 100,
  kNumpad5 = 101,
  kNumpad6 = 102,
  kNumpad8 = 104,
  kNumpad9 = 105,
};

// Modifier bits; any combination.
enum KeyModifier : unsigned {
  kModNone = 0,
  kModShift = 1,
  kModAlt = 2,
  kModCtrl = 4,
};

enum class KeyAction {
  kNone,
  kScrollPageUp,
  kScrollPageDown,
  kScrollToStart,
  kScrollToEnd,
  kScrollLineUp,
  kScrollLineDown,
  kHistoryPrev,
  kHistoryNext,
  kSendDirection,  // `direction` holds the command
  kRunMacro,       // `macro` holds its number, 1 to 9
};

struct KeyCommand {
  KeyAction action = KeyAction::kNone;
  char direction = 0;
  int macro = 0;
};

// The command for `key` with `modifiers` held. Handled keys are still meant
// to reach the command line afterwards.
KeyCommand MapKey(KeyCode key, unsigned modifiers);
// The same for a raw virtual key code.
KeyCommand MapKey(int virtualKey, unsigned modifiers);

}  // namespace ombrel
