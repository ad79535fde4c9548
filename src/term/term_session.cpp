#include "term/term_session.h"

namespace ombrel {

TermSession::TermSession(TOptions* options, ScrollTarget& view, ParamPrompt& prompt)
    : core_(options), commands_(core_, view, prompt) {
  // Auto-login goes through the command path as a typed line would, but
  // without aliases and history.
  core_.sendAutologin = [this](TermCore&, const std::string& text) {
    commands_.Processor().SendCommand(text, false);
  };
}

TermSession::~TermSession() {
  // A log that fails to close asks no window that may be half gone; the
  // socket goes before the core it reports to.
  core_.SetHost(nullptr);
  socket_.reset();
}

void TermSession::SetSocket(std::unique_ptr<IClientSocket> socket) {
  socket_ = std::move(socket);
  core_.SetSocket(socket_.get());
}

}  // namespace ombrel
