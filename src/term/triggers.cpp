// The trigger engine: received lines that contain a trigger's string send
// its text and play its sound.
#include <exception>
#include <filesystem>

#include "command/iac.h"
#include "term/term_core.h"

namespace ombrel {

void TermCore::RunTriggers(const std::string& lineText) {
  // Indexes, not iterators: the echo below re-enters the receive path.
  for (size_t k = 0; k < options_->triggers.size(); ++k) {
    const TTrigger& trigger = options_->triggers[k];
    if (trigger.string.empty() || lineText.find(trigger.string) == std::string::npos) continue;
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

}  // namespace ombrel
