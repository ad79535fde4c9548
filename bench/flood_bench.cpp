// How long a flood of coloured text takes to reach the screen of a real
// terminal window, and the longest the event loop was kept from handling
// input meanwhile. A small timing program: it needs the windows and a
// server, so it runs once rather than in Google Benchmark's loop.
//
//   bench_flood [LINES]      (default 800000 lines, about 50 MB)
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "term/ui/qt_client_socket.h"
#include "term/ui/term_form.h"

using namespace ombrel;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  const long lines = argc > 1 ? std::atol(argv[1]) : 800000;

  QProcess server;
  server.start(OMBREL_MUD_TEST_SERVER, {"--port", "0", "--once", "--timeout", "300", "--stream",
                                        QString::number(lines)});
  if (!server.waitForReadyRead(5000)) return std::fprintf(stderr, "server did not start\n"), 1;
  const int port = QString(server.readLine()).section(' ', 1).trimmed().toInt();

  QTemporaryDir dataDir;
  TOptionSetList sets;
  TOptions& o = sets.AddNew("Default");
  o.ansi = true;
  o.telnet = true;
  o.scrollbar = true;
  TmainForm main(sets, dataDir.path() + "/");
  main.message = [](TmainForm::MessageKind, const QString&, const QString&) {};
  main.SetModule(new TdModule(&main));
  main.resize(1000, 700);
  main.show();
  TtermForm* t = main.NewTerminal();
  t->subWindow->showMaximized();
  QCoreApplication::processEvents();

  // Input stands in as a 1 ms timer: a gap between its ticks is time in
  // which a key press or a scroll would have waited.
  QElapsedTimer clock;
  qint64 lastTick = 0, worstGap = 0;
  QTimer input;
  input.setInterval(1);
  QObject::connect(&input, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    worstGap = std::max(worstGap, now - lastTick);
    lastTick = now;
  });

  const std::string end = "END OF STREAM " + std::to_string(lines);
  bool done = false;
  qint64 bytes = 0;
  // Beside the window, which repaints first.
  struct EndWatch : TermListener {
    const TermCore& core;
    const std::string& end;
    bool& done;
    EndWatch(const TermCore& c, const std::string& e, bool& d) : core(c), end(e), done(d) {}
    void TextShown() override {
      const LineStore& s = core.Store();
      if (s.CurLine() > 0 && s.Line(s.CurLine() - 1).text.find(end) != std::string_view::npos) done = true;
    }
  } watch(t->core(), end, done);
  t->session().AddListener(watch);
  clock.start();
  input.start();
  t->Connection().Open("127.0.0.1", port);
  while (!done && clock.elapsed() < 300000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  t->PaintImageNow();  // the last frame
  const double seconds = clock.nsecsElapsed() / 1e9;
  for (int i = 0; i <= t->core().curline(); ++i) bytes += static_cast<qint64>(t->core().Store().Line(i).text.size()) + 2;
  std::printf("lines %ld, stored %.1f MB in %.2f s: %.1f MB/s; longest input gap %.1f ms\n", lines,
              bytes / 1e6, seconds, bytes / 1e6 / seconds, worstGap / 1e6);
  server.kill();
  server.waitForFinished();
  return done ? 0 : 1;
}
