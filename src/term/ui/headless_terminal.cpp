#include "term/ui/headless_terminal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace ombrel {

HeadlessTerminal::HeadlessTerminal(const TOptions& options)
    : options_(options), core_(&options_), commandLine_(core_, *this, *this), socket_(core_) {
  TermEvents& e = core_.Events();
  e.repaint = [this](TermCore&) { ++repaints_; };
  e.telnetLog = [this](TermCore&, const std::string& text) { telnetLog_.push_back(text); };
  // Auto-login goes through the command path as a typed line would, but
  // without aliases and history.
  core_.sendAutologin = [this](TermCore&, const std::string& text) {
    commandLine_.Processor().SendCommand(text, false);
  };
  core_.ClearTerminal();
}

HeadlessTerminal::~HeadlessTerminal() = default;

void HeadlessTerminal::Resize(int cols, int rows) {
  core_.cols = cols;
  core_.rows = rows;
  core_.ReportWindowSize();
}

std::vector<std::string> HeadlessTerminal::Lines() const {
  std::vector<std::string> lines;
  for (int i = 0; i <= core_.curline(); ++i) lines.emplace_back(core_.Store().Line(i).text);
  return lines;
}

bool HeadlessTerminal::HasLine(const std::string& text) const {
  for (int i = 0; i <= core_.curline(); ++i) {
    if (core_.Store().Line(i).text == text) return true;
  }
  return false;
}

bool HeadlessTerminal::HasLineContaining(const std::string& part) const {
  for (int i = 0; i <= core_.curline(); ++i) {
    if (core_.Store().Line(i).text.find(part) != std::string_view::npos) return true;
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
