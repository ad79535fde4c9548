// Every user command with its caption, shortcut, hint and toolbar image,
// and the menus that show them. The windows build their actions and menus
// from these tables, so the order and the texts live in one place.
#pragma once

#include <string_view>
#include <vector>

namespace ombrel {

enum class ActionId {
  aArrangeRows, aAccounts, aOptions, aNewTerminal, aDisconnect, aToolbar, aSaveBuffer,
  aLoadLog, aSetLogFile, aArrangeColumns, aArrangeMatrix, aEditCopy, aEditPaste,
  aEditPasteLine, aEditCopyLine, aEditSelectall, aClearTerminal, aArrangeMaximized,
  aExpertMode, aTelAYT, aTelIP, aTelnetConsole, aTelAO, aTelnetNegotiate, aLog,
  aFindInBuf, aFindNext, aCopyLinkLocation, aReloadScripts,
  // Menu-only commands.
  aExit, aAbout,
};

struct ActionSpec {
  ActionId id;
  std::string_view name;
  std::string_view caption;
  std::string_view shortcut;  // portable text form, e.g. "Ctrl+Shift+L"
  std::string_view hint;
  int image;  // -1: none
  bool checkable;
};

const std::vector<ActionSpec>& ActionTable();
const ActionSpec& Action(ActionId id);

// A menu entry: an action, a separator, or a submenu with its entries.
struct MenuEntry {
  enum Kind { kAction, kSeparator, kSubmenu, kTerminalList } kind;
  ActionId action = ActionId::aExit;
  std::string_view caption;  // submenus
  std::vector<MenuEntry> entries;
};

const std::vector<MenuEntry>& MainMenu();
const std::vector<MenuEntry>& ContextMenu();
// The toolbar from left to right; a separator is kSeparator.
const std::vector<MenuEntry>& ToolbarButtons();

}  // namespace ombrel
