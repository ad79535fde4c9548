// TinyMUX as the peer: a real MUD server that asks for the terminal type,
// offers its character sets and sends 256-colour codes to a player flagged
// for them. It runs from a game folder made in a temporary directory, on a
// loopback port, and is killed when the test ends.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/prctl.h>

#include "term/ui/headless_terminal.h"

using ombrel::HeadlessTerminal;
using ombrel::TOptions;

namespace {

constexpr int kWait = 20000;
const QString kInstall = "/usr/games/tinymux-install";

struct TinyMux {
  QTemporaryDir dir;
  QProcess process;
  int port = 0;
  QString error;

  TinyMux() {
    if (!QFile::exists(kInstall)) {
      error = "tinymux is not installed (tools/setup.sh installs the Debian package)";
      return;
    }
    QProcess install;
    install.setWorkingDirectory(dir.path());
    install.start(kInstall, {});
    if (!install.waitForFinished(kWait) || install.exitCode() != 0) {
      error = "tinymux-install failed: " + install.readAll();
      return;
    }
    const QString game = dir.path() + "/tinymux/game";
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 free = probe.serverPort();
    probe.close();
    QFile conf(game + "/netmux.conf");
    conf.open(QIODevice::ReadOnly);
    QByteArray text = conf.readAll();
    conf.close();
    text.replace("\nport 2860", "\nport " + QByteArray::number(free));
    conf.open(QIODevice::WriteOnly | QIODevice::Truncate);
    conf.write(text);
    conf.close();
    process.setWorkingDirectory(game);
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_LIBRARY_PATH", game + "/bin");
    process.setProcessEnvironment(env);
    process.start(game + "/bin/netmux", {"-c", "netmux.conf", "-p", "netmux.pid", "-e", "."});
    // A first start makes its database; it listens once that is done.
    QDeadlineTimer deadline(kWait);
    while (!port && !deadline.hasExpired() && process.state() != QProcess::NotRunning) {
      QTcpSocket listening;
      listening.connectToHost(QHostAddress::LocalHost, free);
      if (listening.waitForConnected(500)) port = free;
      else QTest::qWait(100);
    }
    if (!port) error = "netmux did not start listening";
  }
  ~TinyMux() { process.kill(), process.waitForFinished(kWait); }
};

}  // namespace

class TinyMuxPeerTest : public QObject {
  Q_OBJECT

 private slots:
  // The client tells its type and takes UTF-8; the server then sends an
  // orange word in 256 colours and a UTF-8 word back as it was typed.
  void announcesItselfAndGets256ColoursAndUtf8() {
    TinyMux mux;
    QVERIFY2(mux.port > 0, qPrintable(mux.error));
    TOptions options;
    options.telnet = options.ansi = true;
    options.features.extendedcolours = options.features.utf8 = true;
    HeadlessTerminal t(options);
    QVERIFY(t.Connect("127.0.0.1", mux.port));
    QVERIFY(t.WaitForLine("connect <name> <password>", kWait));
    auto logged = [&](const std::string& line) {
      return std::find(t.TelnetLog().begin(), t.TelnetLog().end(), line) != t.TelnetLog().end();
    };
    QVERIFY(t.WaitFor([&] { return logged("SB TTYPE IS OMBREL Sent") && logged("SB CHARSET ACCEPTED UTF-8 Sent"); },
                      kWait));
    t.Type("connect wizard potrzebie");
    t.Type("@set me=ANSI");
    t.Type("@set me=COLOR256");
    t.Type("think [ansi(<#ff8700>,orange)] word \xc3\xa9t\xc3\xa9");
    QVERIFY(t.WaitForLine(" word \xc3\xa9t\xc3\xa9", kWait));
    QVERIFY(t.HasLineContaining("\x1b[38;5;208morange\x1b[0m word \xc3\xa9t\xc3\xa9"));
  }
};

QTEST_GUILESS_MAIN(TinyMuxPeerTest)
#include "tinymux_peer_test.moc"
