#include "command/command_line.h"

#include "command/paste.h"
#include "command/typed_line.h"

namespace ombrel {

CommandLine::CommandLine(CommandTarget& target, ScrollTarget& view, ParamPrompt& prompt)
    : target_(target), view_(view), processor_(target, prompt) {}

void CommandLine::ReturnPressed(const std::string& text) {
  const TypedLineFate fate = FateOfTypedLine(target_.Connected(), target_.ServerEchoes());
  if (!fate.send) return;
  if (fate.expand)
    processor_.SendCommand(text, true);
  else
    processor_.SendSecret(text);
  if (fate.keep) HistoryAdd(text);
}

void CommandLine::HistoryAdd(const std::string& text) {
  const TOptions* options = target_.Options();
  if (!options) return;
  history_.HistoryAdd(text, options->historysize);
}

std::optional<std::string> CommandLine::KeyDown(int virtualKey, unsigned modifiers) {
  const KeyCommand command = MapKey(virtualKey, modifiers);
  switch (command.action) {
    case KeyAction::kHistoryPrev:
      return history_.HistoryPrev();
    case KeyAction::kHistoryNext:
      return history_.HistoryNext();
    default:
      Perform(command);
      return std::nullopt;
  }
}

void CommandLine::Perform(const KeyCommand& command) {
  switch (command.action) {
    case KeyAction::kScrollPageUp:
      view_.ScrollBy(-view_.Rows());
      break;
    case KeyAction::kScrollPageDown:
      view_.ScrollBy(view_.Rows());
      break;
    case KeyAction::kScrollToStart:
      view_.ScrollBy(-view_.CurLine());
      break;
    case KeyAction::kScrollToEnd:
      view_.ScrollBy(view_.CurLine());
      break;
    case KeyAction::kScrollLineUp:
      view_.ScrollBy(-1);
      break;
    case KeyAction::kScrollLineDown:
      view_.ScrollBy(1);
      break;
    // No connection check: the echo is written even while disconnected.
    case KeyAction::kSendDirection:
      processor_.SendCommand(std::string(1, command.direction), false);
      break;
    case KeyAction::kRunMacro:
      RunMacro(command.macro);
      break;
    default:
      break;
  }
}

void CommandLine::RunMacro(int number) {
  const TOptions* options = target_.Options();
  if (!options || number < 1 || number > kMacroCount) return;
  std::string text;
  for (const std::string& line : options->macros[number - 1].text) text += line + "\r\n";
  processor_.ExpandAndSend(text, std::string());
}

void CommandLine::PasteCommands(const std::string& clipboardText) {
  if (!target_.Connected()) return;
  processor_.SendLines(clipboardText, true, true);
}

std::string CommandLine::PasteLineText(const std::string& text, bool useAltAffixes) const {
  const TOptions* options = target_.Options();
  if (useAltAffixes && options)
    return ombrel::PasteLineText(text, options->altpasteprefix, options->altpastesuffix);
  return ombrel::PasteLineText(text, std::string(), std::string());
}

}  // namespace ombrel
