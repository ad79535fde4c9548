// Script timers on the window's event loop: one single-shot QTimer per id.
#pragma once

#include <QObject>
#include <map>

#include "script/script_session.h"

class QTimer;

namespace ombrel {

class QtScriptClock : public QObject, public ScriptClock {
 public:
  explicit QtScriptClock(QObject* parent = nullptr) : QObject(parent) {}
  // Who runs the timers that fall due; set once the session exists.
  void SetSession(ScriptSession* session) { session_ = session; }
  void Start(int id, std::chrono::milliseconds delay) override;
  void Stop(int id) override;

 private:
  ScriptSession* session_ = nullptr;
  std::map<int, QTimer*> timers_;
};

}  // namespace ombrel
