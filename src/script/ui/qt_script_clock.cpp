#include "script/ui/qt_script_clock.h"

#include <QTimer>

namespace ombrel {

void QtScriptClock::Start(int id, std::chrono::milliseconds delay) {
  QTimer*& timer = timers_[id];
  if (!timer) {
    timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id] {
      if (session_) session_->RunTimer(id);
    });
  }
  timer->start(std::max(delay, std::chrono::milliseconds(0)));
}

void QtScriptClock::Stop(int id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  // A timer may stop itself from its own timeout: deleted once Qt is done with it.
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
}

}  // namespace ombrel
