#include "app/action_table.h"

#include <stdexcept>

namespace ombrel {

using A = ActionId;

const std::vector<ActionSpec>& ActionTable() {
  static const std::vector<ActionSpec> table = {
      {A::aArrangeRows, "aArrangeRows", "&Rows", "F6", "", -1, false},
      {A::aAccounts, "aAccounts", "&Accounts...", "F2",
       "Display Account form to manage accounts or to connect to a server", 0, false},
      {A::aOptions, "aOptions", "&Options...", "F4", "Display the Option Set form", 2, false},
      {A::aNewTerminal, "aNewTerminal", "&New Terminal", "Ctrl+N", "Create a new terminal", 3, false},
      {A::aDisconnect, "aDisconnect", "&Disconnect", "Ctrl+D", "Disconnect from server", 1, false},
      {A::aToolbar, "aToolbar", "&Toolbar", "Ctrl+B", "", -1, true},
      {A::aSaveBuffer, "aSaveBuffer", "&Save Buffer as...", "Ctrl+S", "Save terminal buffer to disk", 5, false},
      {A::aLoadLog, "aLoadLog", "&Load Log...", "Ctrl+L", "Load log file into terminal buffer", 4, false},
      {A::aSetLogFile, "aSetLogFile", "&Set Log File...", "Ctrl+Shift+L", "Set log file for direct logging", 6, false},
      {A::aArrangeColumns, "aArrangeColumns", "&Columns", "F5", "", -1, false},
      {A::aArrangeMatrix, "aArrangeMatrix", "&Matrix", "F7", "", -1, false},
      {A::aEditCopy, "aEditCopy", "&Copy", "Ctrl+C", "", -1, false},
      {A::aEditPaste, "aEditPaste", "&Paste", "Ctrl+V", "", -1, false},
      {A::aEditPasteLine, "aEditPasteLine", "P&aste Line", "Ctrl+Shift+V", "", -1, false},
      {A::aEditCopyLine, "aEditCopyLine", "C&opy Line", "Ctrl+Shift+C", "", -1, false},
      {A::aEditSelectall, "aEditSelectall", "&Select All", "Ctrl+A", "", -1, false},
      {A::aClearTerminal, "aClearTerminal", "&Clear Terminal", "Ctrl+Alt+Backspace", "", -1, false},
      {A::aArrangeMaximized, "aArrangeMaximized", "&Maximize", "F8", "", -1, false},
      {A::aExpertMode, "aExpertMode", "&Expert Mode", "Ctrl+E", "", -1, true},
      {A::aTelAYT, "aTelAYT", "AYT", "Ctrl+Shift+1", "Are You There?", -1, false},
      {A::aTelIP, "aTelIP", "IP", "Ctrl+Shift+2", "Interrupt Process", -1, false},
      {A::aTelnetConsole, "aTelnetConsole", "&Console", "Ctrl+T", "", -1, true},
      {A::aTelAO, "aTelAO", "AO", "Ctrl+Shift+3", "Abort Output", -1, false},
      // Ctrl+N stays with New Terminal, so Negotiate has no key.
      {A::aTelnetNegotiate, "aTelnetNegotiate", "&Negotiate", "", "", -1, false},
      {A::aLog, "aLog", "&Log", "", "", -1, true},
      {A::aFindInBuf, "aFindInBuf", "&Find", "Ctrl+F", "", -1, false},
      {A::aFindNext, "aFindNext", "Find &Next", "F3", "", -1, false},
      {A::aCopyLinkLocation, "aCopyLinkLocation", "Copy &Link Location", "", "", -1, false},
      {A::aReloadScripts, "aReloadScripts", "&Reload Scripts", "",
       "Load the option set's script of the current terminal again", -1, false},
      {A::aExit, "mExit", "E&xit", "", "", -1, false},
      {A::aAbout, "mAbout", "&About...", "", "", -1, false},
  };
  return table;
}

const ActionSpec& Action(ActionId id) {
  for (const auto& a : ActionTable())
    if (a.id == id) return a;
  throw std::logic_error("unknown action");
}

namespace {

MenuEntry Act(ActionId id) { return {MenuEntry::kAction, id, {}, {}}; }
MenuEntry Sep() { return {MenuEntry::kSeparator, A::aExit, {}, {}}; }
MenuEntry Sub(std::string_view caption, std::vector<MenuEntry> entries) {
  return {MenuEntry::kSubmenu, A::aExit, caption, std::move(entries)};
}

MenuEntry TelnetMenu() {
  return Sub("&Telnet", {Act(A::aTelnetConsole), Sep(), Act(A::aTelnetNegotiate), Sep(),
                         Act(A::aTelAYT), Act(A::aTelIP), Act(A::aTelAO)});
}

}  // namespace

const std::vector<MenuEntry>& MainMenu() {
  static const std::vector<MenuEntry> menu = {
      Sub("&File", {Act(A::aAccounts), Act(A::aOptions), Sep(), Act(A::aSaveBuffer),
                    Act(A::aLoadLog), Act(A::aSetLogFile), Sep(), Act(A::aExit)}),
      Sub("&Find", {Act(A::aFindInBuf), Act(A::aFindNext)}),
      Sub("&Edit", {Act(A::aEditCopy), Act(A::aEditPaste), Act(A::aEditCopyLine),
                    Act(A::aEditPasteLine), Sep(), Act(A::aEditSelectall)}),
      Sub("&Terminals",
          {Act(A::aNewTerminal), Act(A::aClearTerminal),
           Sub("&Arrange", {Act(A::aArrangeColumns), Act(A::aArrangeRows), Act(A::aArrangeMatrix),
                            Act(A::aArrangeMaximized)}),
           Sep(), {MenuEntry::kTerminalList, A::aExit, {}, {}}}),
      Sub("&Extras", {Act(A::aToolbar), Act(A::aExpertMode), TelnetMenu(), Sep(), Act(A::aReloadScripts)}),
      Sub("&Help", {Act(A::aAbout)}),
  };
  return menu;
}

const std::vector<MenuEntry>& ContextMenu() {
  static const std::vector<MenuEntry> menu = {
      Sub("&Edit", {Act(A::aEditCopy), Act(A::aEditPaste), Sep(), Act(A::aEditCopyLine),
                    Act(A::aEditPasteLine), Sep(), Act(A::aEditSelectall)}),
      Sub("&Find", {Act(A::aFindInBuf), Act(A::aFindNext)}),
      Sub("Terminal", {Act(A::aNewTerminal), Act(A::aClearTerminal), Sep(),
                       Act(A::aArrangeColumns), Act(A::aArrangeRows), Act(A::aArrangeMatrix),
                       Act(A::aArrangeMaximized)}),
      Sub("&Logging", {Act(A::aSaveBuffer), Act(A::aSetLogFile), Act(A::aLoadLog)}),
      Sub("&Extras", {Act(A::aToolbar), Act(A::aExpertMode), TelnetMenu(), Sep(), Act(A::aReloadScripts)}),
      Sep(), Act(A::aAccounts), Act(A::aOptions), Sep(), Act(A::aDisconnect), Sep(),
      Act(A::aCopyLinkLocation),
  };
  return menu;
}

const std::vector<MenuEntry>& ToolbarButtons() {
  static const std::vector<MenuEntry> bar = {
      Act(A::aAccounts), Act(A::aDisconnect), Sep(), Act(A::aNewTerminal), Sep(),
      Act(A::aOptions), Sep(), Act(A::aLoadLog), Act(A::aSaveBuffer), Act(A::aSetLogFile), Sep(),
  };
  return bar;
}

}  // namespace ombrel
