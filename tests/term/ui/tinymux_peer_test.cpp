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

#include "term/ui/qt_client_socket.h"
#include "ui_helpers.h"

using ombrel::Lines;
using ombrel::TOptions;
using ombrel::TtermForm;

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
  // The client tells its type and takes UTF-8; the server then paints an
  // orange word in 256 colours, and a word typed in UTF-8 comes back as it
  // was typed.
  void announcesItselfAndGets256ColoursAndUtf8() {
    TinyMux mux;
    QVERIFY2(mux.port > 0, qPrintable(mux.error));
    ombrel::testing::ProgramFixture p;
    QVERIFY(p.Start());
    TOptions& options = p.program->optionSets.At(0);
    options.telnet = options.ansi = true;
    options.features.extendedcolours = options.features.utf8 = true;
    Lines log;
    p.main->telnetLog = [&](TtermForm*, const std::string& text) { log.push_back(text); };
    TtermForm* term = p.main->NewTerminal();
    QVERIFY(term->Connection().Open("127.0.0.1", mux.port));
    auto stored = [&](const std::string& part) {
      for (int i = 0; i <= term->core().curline(); ++i)
        if (term->core().Store().Line(i).text.find(part) != std::string_view::npos) return true;
      return false;
    };
    auto logged = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) != log.end(); };
    QTRY_VERIFY_WITH_TIMEOUT(stored("connect <name> <password>"), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(logged("SB TTYPE IS OMBREL Sent") && logged("SB CHARSET ACCEPTED UTF-8 Sent"), kWait);
    for (const QString& line : {QString("connect wizard potrzebie"), QString("@set me=ANSI"),
                                QString("@set me=COLOR256"), QString("think [ansi(<#ff8700>,OOOO)] word \u00e9t\u00e9")}) {
      term->cmdEdit->setText(line);
      QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    }
    QTRY_VERIFY_WITH_TIMEOUT(stored("\x1b[38;5;208mOOOO\x1b[0m word \xc3\xa9t\xc3\xa9"), kWait);
    // Palette entry 208 is rgb(255, 135, 0); the word is the only thing in
    // it, and the glyphs' cores show the colour itself.
    term->view().ScrollToEnd();
    term->PaintImageNow();
    const QImage image = term->Bitmap();
    int orange = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) orange += image.pixelColor(x, y) == QColor(255, 135, 0);
    QVERIFY2(orange > 0, "the orange word was not painted in palette entry 208");
  }
};

QTEST_MAIN(TinyMuxPeerTest)
#include "tinymux_peer_test.moc"
