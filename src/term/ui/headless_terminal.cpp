#include "term/ui/headless_terminal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace ombrel {

HeadlessTerminal::HeadlessTerminal(const TOptions& options)
    : options_(options), session_(&options_, *this, *this), socket_(AttachQtSocket(session_)) {
  session_.AddListener(*this);
  Core().ClearTerminal();
}

HeadlessTerminal::~HeadlessTerminal() { session_.RemoveListener(*this); }

void HeadlessTerminal::Resize(int cols, int rows) { session_.SetWindowSize(cols, rows); }

std::vector<std::string> HeadlessTerminal::Lines() const {
  std::vector<std::string> lines;
  const TermCore& core = session_.Core();
  for (int i = 0; i <= core.curline(); ++i) lines.emplace_back(core.Store().Line(i).text);
  return lines;
}

bool HeadlessTerminal::HasLine(const std::string& text) const {
  const TermCore& core = session_.Core();
  for (int i = 0; i <= core.curline(); ++i) {
    if (core.Store().Line(i).text == text) return true;
  }
  return false;
}

bool HeadlessTerminal::HasLineContaining(const std::string& part) const {
  const TermCore& core = session_.Core();
  for (int i = 0; i <= core.curline(); ++i) {
    if (core.Store().Line(i).text.find(part) != std::string_view::npos) return true;
  }
  return false;
}

bool HeadlessTerminal::WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  // The ticks wake the loop to look again even when nothing arrives.
  QTimer tick;
  tick.start(5);
  while (!done()) {
    // What the last round brought in is looked at before giving up.
    if (deadline.hasExpired()) return done();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

bool HeadlessTerminal::WaitForLine(const std::string& part, int timeoutMs) {
  return WaitFor([&] { return HasLineContaining(part); }, timeoutMs);
}

}  // namespace ombrel
