// The trigger engine: received lines that contain a trigger's string send
// its text and play its sound.
#include <exception>
#include <filesystem>

#include "command/iac.h"
#include "term/term_core.h"

namespace ombrel {

void TermCore::RunTriggers(std::string_view line) {
  if (options_->triggers.empty()) return;
  if (triggerFilter_.Size() != options_->triggers.size()) triggerFilter_.Update(options_->triggers);
  if (!triggerFilter_.Scan(line)) return;
  // Our own copy: an echo below may complete lines (an erase display does)
  // and so run the triggers again, which refills the filter's list.
  const std::vector<char> matches = triggerFilter_.Matches();
  for (size_t k = 0; k < options_->triggers.size() && k < matches.size(); ++k) {
    const TTrigger& trigger = options_->triggers[k];
    if (!matches[k]) continue;
    if (trigger.textenabled) {
      std::string text;
      for (const auto& line : trigger.text) text += line + "\r\n";
      if (options_->localecho) WriteText(text, false);
      Send(EscapeIAC(text + "\r\n", options_->telnet));
    }
    std::error_code ec;
    if (trigger.soundenabled && player_ && std::filesystem::exists(trigger.soundfile, ec)) {
      try {
        player_->Play(trigger.soundfile);
      } catch (const std::exception& e) {
        // The rest of the read goes on; the user hears of it once here.
        ErrorBox(e.what(), "Ombrel Error");
      }
    }
  }
}

bool TermCore::Gag(int32_t index) {
  if (inPatternBatch_) {
    // The line being told to listeners goes once they have all heard it.
    if (index != told_) return false;
    toldGagged_ = true;
    return true;
  }
  if (index != store_.CurLine() - 1) return false;
  store_.DropLastCompleted();
  // The next line stored takes its number.
  highlights_.DropFrom(index);
  // What a backspace may erase was counted on the current line's old number.
  erasable_.valid = false;
  return true;
}

}  // namespace ombrel
