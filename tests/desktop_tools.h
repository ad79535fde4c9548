// What the desktop runs of the real program ask of the X server's tools:
// a tool's output, the window of a title, keys as a person types them.
#pragma once

#include <QProcess>
#include <QtTest>

namespace ombrel::testing {

// A tool's output; a tool that hangs is stopped after five seconds.
inline QByteArray Run(const QString& tool, const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(tool, args);
  if (!input.isNull()) p.write(input), p.closeWriteChannel();
  if (!p.waitForFinished(5000)) p.kill(), p.waitForFinished();
  return p.readAllStandardOutput().trimmed();
}

// Keys go to whatever has the focus, as typed; `window` is activated first.
inline void Keys(const QString& window, const QStringList& keys) {
  Run("xdotool", QStringList{"windowactivate", "--sync", window, "key", "--clearmodifiers"} + keys);
}

// The id of the visible window whose title matches, or empty after ten seconds.
inline QString Window(const QString& title) {
  QByteArray id;
  (void)QTest::qWaitFor([&] {
    id = Run("xdotool", {"search", "--onlyvisible", "--name", title}).split('\n').last();
    return !id.isEmpty();
  }, 10000);
  return id;
}

}  // namespace ombrel::testing
