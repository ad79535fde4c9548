// The logic behind a terminal window's command line: Enter, the history,
// the keyboard shortcuts, the macros and the two paste commands. The edit
// control itself stays with the window, which shows what these return.
#pragma once

#include <optional>
#include <string>

#include "command/command_processor.h"
#include "command/command_target.h"
#include "command/history.h"
#include "command/key_map.h"

namespace ombrel {

class CommandLine {
 public:
  CommandLine(CommandTarget& target, ScrollTarget& view, ParamPrompt& prompt);

  CommandProcessor& Processor() { return processor_; }

  // Enter with `text` taken from the command line (which the window
  // empties). Discarded, and not kept, while not connected.
  void ReturnPressed(const std::string& text);

  // Runs the shortcut for the key; a value is the text that replaces the
  // whole command line.
  std::optional<std::string> KeyDown(int virtualKey, unsigned modifiers);
  void RunMacro(int number);  // 1 to 9

  void HistoryAdd(const std::string& text);
  std::string HistoryPrev() { return history_.HistoryPrev(); }
  std::string HistoryNext() { return history_.HistoryNext(); }
  const CommandHistory& History() const { return history_; }

  // Paste as commands: every line sent, prefixed lines expanded as typed.
  void PasteCommands(const std::string& clipboardText);
  // One line to insert into the command line; the alternative paste prefix
  // and suffix go round each piece when `useAltAffixes` is set.
  std::string PasteLineText(const std::string& text, bool useAltAffixes) const;

 private:
  void Perform(const KeyCommand& command);

  CommandTarget& target_;
  ScrollTarget& view_;
  CommandProcessor processor_;
  CommandHistory history_;
};

}  // namespace ombrel
