// The terminal's side of telnet: binding the parser on connect, the window
// size it reports, and the commands the user can send.
#include <algorithm>

#include "term/term_core.h"

namespace ombrel {

void TermCore::BindParser() {
  parser_.Reset();
  parser_.SetLogHandler([this](TTelnetParser&, const std::string& text) {
    if (events_.telnetLog) events_.telnetLog(*this, text);
  });
  // The switch also answers a server that asks for the size before we offer.
  parser_.ConfigureNAWS(
      false, options_ && options_->telopnaws, [](TTelnetParser&, uint16_t, uint16_t) {},
      [this](TTelnetParser&, uint16_t& w, uint16_t& h) { GetWindowSize(w, h); });
  parser_.SetLinemodeHandler([this](TTelnetParser&, bool on) { LinemodeChanged(on); });
  // A set that shows more than the classic client says so when asked; one
  // that does not refuses these options as ever.
  const TSetFeatures features = options_ ? options_->features : TSetFeatures();
  ttype_.reset();
  if (features.extendedcolours || features.utf8) {
    ttype_ = std::make_unique<TerminalTypeOption>(options_->ansi, features.extendedcolours, features.utf8);
    parser_.AddOption(ttype_.get());
  }
  if (features.utf8) parser_.AddOption(&charset_);
  ResetCompression();
  if (features.mccp) parser_.AddOption(&mccp_);
}

void TermCore::GetWindowSize(uint16_t& width, uint16_t& height) const {
  // One column and one row less than fit, never below one.
  width = static_cast<uint16_t>(std::clamp(cols - 1, 1, 0xFFFF));
  height = static_cast<uint16_t>(std::clamp(rows - 1, 1, 0xFFFF));
}

void TermCore::LinemodeChanged(bool enabled) {
  WriteText(enabled ? "\r\nLinemode enabled\r\n" : "\r\nLinemode disabled\r\n", false);
}

void TermCore::Negotiate(bool initiate) {
  if (!initiate || !options_ || !options_->telnet || !socket_ || !socket_->Active()) return;
  std::string output;
  parser_.SetNAWS(options_->telopnaws, output);
  if (!output.empty()) Send(output);
}

void TermCore::ReportWindowSize() {
  if (!options_ || !options_->telnet || !parser_.NAWSActive()) return;
  std::string output;
  parser_.SendWindowSize(output);
  if (!output.empty()) Send(output);
}

void TermCore::SendTelnetCommand(TelnetCommand command) {
  if (!options_ || !options_->telnet || !Connected()) return;
  std::string output;
  switch (command) {
    case TelnetCommand::AYT: parser_.SendAYT(output); break;
    case TelnetCommand::IP: parser_.SendIP(output); break;
    case TelnetCommand::AO: parser_.SendAO(output); break;
  }
  Send(output);
}

}  // namespace ombrel
