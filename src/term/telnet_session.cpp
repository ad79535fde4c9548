// The terminal's side of telnet: binding the parser on connect, the window
// size it reports, and the commands the user can send.
#include <algorithm>

#include "term/term_core.h"

namespace ombrel {

void TermCore::BindParser() {
  parser_.Reset();
  parser_.SetLogHandler([this](TTelnetParser&, const std::string& text) { TelnetLog(text); });
  parser_.OnOptionData = [this](TTelnetParser&, const TelnetOption& option, std::string_view value) {
    listeners_.Tell(&TermListener::OptionData, option.Code(), option.Name(), value);
  };
  // The switch also answers a server that asks for the size before we offer.
  parser_.ConfigureNAWS(
      false, options_ && options_->telopnaws, [](TTelnetParser&, uint16_t, uint16_t) {},
      [this](TTelnetParser&, uint16_t& w, uint16_t& h) { GetWindowSize(w, h); });
  parser_.SetLinemodeHandler([this](TTelnetParser&, bool on) { LinemodeChanged(on); });
  // A set that shows more than the classic client says so when asked; one
  // that does not refuses these options as ever.
  const TSetFeatures features = options_ ? options_->features : TSetFeatures();
  ttype_.reset();
  // A player with a screen reader tells the server, which may then send
  // text without maps and art.
  if (features.extendedcolours || features.utf8 || features.screenreader) {
    ttype_ = std::make_unique<TerminalTypeOption>(options_->ansi, features.extendedcolours, features.utf8,
                                                  features.screenreader);
    parser_.AddOption(ttype_.get());
  }
  if (features.utf8) parser_.AddOption(&charset_);
  ResetCompression();
  if (features.mccp) parser_.AddOption(&mccp_);
  // A new connection starts with nobody echoing for us; off, the parser
  // refuses ECHO as ever.
  echo_.Reset();
  if (features.serverecho) parser_.AddOption(&echo_);
  for (TelnetOption* option : addedOptions_) parser_.AddOption(option);
}

void TermCore::AddTelnetOption(TelnetOption& option) {
  if (std::find(addedOptions_.begin(), addedOptions_.end(), &option) == addedOptions_.end())
    addedOptions_.push_back(&option);
}

void TermCore::RemoveTelnetOption(TelnetOption& option) { std::erase(addedOptions_, &option); }

void TermCore::GetWindowSize(uint16_t& width, uint16_t& height) const {
  // One column and one row less than fit, never below one.
  width = static_cast<uint16_t>(std::clamp(cols - 1, 1, 0xFFFF));
  height = static_cast<uint16_t>(std::clamp(rows - 1, 1, 0xFFFF));
}

void TermCore::LinemodeChanged(bool enabled) {
  const std::string text = enabled ? "Linemode enabled" : "Linemode disabled";
  WriteText("\r\n" + text + "\r\n", false);
  listeners_.Tell(&TermListener::StatusLine, text);
}

void TermCore::Negotiate(bool initiate) {
  if (!initiate || !options_ || !options_->telnet || !socket_ || !socket_->Active()) return;
  std::string output;
  parser_.SetNAWS(options_->telopnaws, output);
  if (!output.empty()) Send(output);
}

void TermCore::SetWindowSize(int newCols, int newRows) {
  // Every layout asks, dragging a window's edge many times a second: only
  // new cells are news.
  if (newCols == cols && newRows == rows) return;
  cols = newCols;
  rows = newRows;
  ReportWindowSize();
  listeners_.Tell(&TermListener::WindowSize, cols, rows);
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
