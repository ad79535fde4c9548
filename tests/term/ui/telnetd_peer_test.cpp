// busybox's telnetd as the peer: a real telnet server negotiating with the
// terminal, a shell behind it reporting the window size it was given.
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <signal.h>
#include <sys/prctl.h>

#include "term/ui/headless_terminal.h"

using ombrel::HeadlessTerminal;
using ombrel::TOptions;

namespace {

constexpr int kWait = 10000;

// The copy set-up unpacks into the build tree, else one on the path; it
// must have telnetd built in.
QString FindBusybox() {
  for (const QString& busybox : {QStringLiteral(OMBREL_BUSYBOX_DIR "/bin/busybox"),
                                 QStandardPaths::findExecutable("busybox")}) {
    QProcess list;
    list.start(busybox, {"--list"});
    if (list.waitForFinished(kWait) && list.readAllStandardOutput().split('\n').contains("telnetd")) return busybox;
  }
  return {};
}

// telnetd in the foreground on a loopback port, with a plain shell for
// every connection; killed when the test ends, however it ends.
struct Telnetd {
  QProcess process;
  int port = 0;

  explicit Telnetd(const QString& busybox) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    // Another program may take the free port first: try a few.
    for (int attempt = 0; attempt < 3 && !port; ++attempt) {
      QTcpServer probe;
      if (!probe.listen(QHostAddress::LocalHost, 0)) continue;
      const quint16 free = probe.serverPort();
      probe.close();
      process.start(busybox, {"telnetd", "-F", "-b", "127.0.0.1", "-p", QString::number(free), "-l", "/bin/sh"});
      QDeadlineTimer deadline(kWait);
      while (!port && !deadline.hasExpired() && process.waitForStarted(kWait) &&
             process.state() == QProcess::Running) {
        QTcpSocket listening;
        listening.connectToHost(QHostAddress::LocalHost, free);
        if (listening.waitForConnected(500)) port = free;
        else QTest::qWait(50);
      }
      if (!port) Stop();
    }
  }
  ~Telnetd() { Stop(); }
  void Stop() { process.kill(), process.waitForFinished(kWait); }
};

}  // namespace

class TelnetdPeerTest : public QObject {
  Q_OBJECT

 private slots:
  // The other options telnetd asks for are refused out of sight; the shell
  // learns the size, and a new one before its next command.
  void shellSeesTheReportedWindowSize() {
    const QString busybox = FindBusybox();
    // tools/setup.sh (run by make test) unpacks busybox-static into the build tree.
    if (busybox.isEmpty()) QSKIP("no busybox with telnetd: did tools/setup.sh run?");
    Telnetd server(busybox);
    QVERIFY2(server.port > 0, qPrintable("telnetd did not start: " + server.process.readAll()));
    TOptions options;
    options.telnet = options.telnetinit = options.telopnaws = true;
    HeadlessTerminal t(options);
    QVERIFY(t.Connect("127.0.0.1", server.port));
    // The shell's prompt stands on the current line: it waits for input.
    auto shellPrompt = [&] { return t.Lines().back().ends_with("# ") || t.Lines().back().ends_with("$ "); };
    for (auto [cols, rows, size] : {std::tuple{80, 25, "24 79"}, std::tuple{100, 30, "29 99"}}) {
      t.Resize(cols, rows);
      QVERIFY(t.WaitFor(shellPrompt, kWait));
      t.Type("stty size");
      QVERIFY(t.WaitFor([&] { return t.HasLine(size); }, kWait));
    }
    QVERIFY(!t.HasLineContaining("\xff"));
  }
};

QTEST_GUILESS_MAIN(TelnetdPeerTest)
#include "telnetd_peer_test.moc"
