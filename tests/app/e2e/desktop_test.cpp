// The real program under a real window manager, driven as a person drives it;
// what it sends recorded by a loopback server, what it leaves in data/ read back.
#include <QtEndian>
#include <QtNetwork>
#include <QtTest>

#include "accounts/accounts_file.h"
#include "app/config_record.h"
#include "options/options_file.h"

#include "desktop_tools.h"

using namespace ombrel;
using namespace ombrel::testing;

namespace {

constexpr QPoint kSavedAt(200, 150);

void SetClipboard(const QByteArray& text) { Run("xclip", {"-selection", "clipboard", "-i"}, text); }

// The topmost managed window, from the window manager's own stacking list.
QString TopWindow() {
  const QByteArray list = Run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
  return QString::number(list.mid(list.lastIndexOf("0x") + 2).toULong(nullptr, 16));
}

QPoint ClientPosition(const QString& window) {
  const QString info = Run("xwininfo", {"-id", window});
  static const QRegularExpression x("Absolute upper-left X:\\s+(-?\\d+)"), y("Absolute upper-left Y:\\s+(-?\\d+)");
  return {x.match(info).captured(1).toInt(), y.match(info).captured(1).toInt()};
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_{QDir::tempPath() + "/zoë-XXXXXX"};  // a player's folder beyond ASCII
  QProcess wm_, program_;
  QTcpServer server_;
  QByteArray received_;
  bool connected_ = false;
  int connections_ = 0;
  QPointer<QTcpSocket> peer_;  // the last connection made

  QString Data(const QString& name) const { return dir_.filePath("data/" + name); }
  // A missing file reads as a zeroed record, so the checks on it fail cleanly.
  QByteArray Read(const QString& name) const {
    QFile f(Data(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(280, '\0');
  }
  qint32 ConfigInt(int offset) const {
    return qFromLittleEndian<qint32>(Read("config.cfg").constData() + offset);
  }

  // A fresh data folder: the window at kSavedAt, the account "Loop" on the
  // recording server, and telnet, local echo and a paste prefix unless the
  // options file is left out;
  // `features`: the lines of the Default set in features.dat.
  void Prepare(int accountIndex, bool withOptions = true, const QByteArray& features = {}, Lines autoSend = {}) {
    QDir(Data("")).removeRecursively();
    TConfigRecord config{kSavedAt.x(), kSavedAt.y(), 700, 500, accountIndex, 0, 1, ""};
    QVERIFY(WriteConfigFile(Data("config.cfg").toStdString(), config).ok);
    TAccountList accounts;
    accounts.Insert(std::make_unique<TAccount>(
        TAccount{"Loop", "127.0.0.1", std::to_string(server_.serverPort()), "Default", {}, autoSend}));
    QVERIFY(SaveAccounts(Data("accounts.dat").toStdString(), accounts).ok);
    TOptionSetList sets;
    TOptions& set = sets.AddNew("Default");
    set.stdpasteprefix = "say ";
    set.telnet = true;  // answers what the server offers; says nothing first
    set.localecho = true;  // what is sent shows, unless it is a secret
    if (withOptions) QVERIFY(SaveOptionSets(Data("options.dat").toStdString(), sets).ok);
    if (features.isEmpty()) return;
    QFile file(Data("features.dat"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#optionset\tDefault\r\n" + features) > 0);
  }

  QString Start() { return program_.start(dir_.filePath("ombrel"), {}), Window("^Ombrel"); }
  // Alt+F4 on the main window, as a person closes it; true once the program ended.
  bool Close() {
    Keys(Window("^Ombrel"), {"alt+F4"});
    return program_.waitForFinished(10000) && program_.exitStatus() == QProcess::NormalExit;
  }
  // Connects to the recording server with the account manager's Enter.
  bool Connect(const QByteArray& features = {}, Lines autoSend = {}) {
    Prepare(0, true, features, autoSend);
    Keys(Start(), {"F2"});
    Keys(Window("^Connect$"), {"Return"});
    return QTest::qWaitFor([&] { return connected_; }, 10000) && QTest::qWaitFor([&] {
      return Run("xdotool", {"getactivewindow", "getwindowname"}).startsWith("Ombrel");
    });
  }

 private slots:
  void initTestCase() {
    for (const char* tool : {"openbox", "xdotool", "xclip", "xprop", "xwininfo"})
      QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(),
               qPrintable(QString(tool) + " is missing; tools/setup.sh installs it"));
    const QString program = qEnvironmentVariable("OMBREL_PROGRAM", OMBREL_PROGRAM);
    // The program keeps its files beside its executable, links resolved.
    QVERIFY(QFile::copy(program, dir_.filePath("ombrel")));
    wm_.start("openbox", {"--sm-disable"});
    QTRY_VERIFY_WITH_TIMEOUT(Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("0x"), 10000);
    QVERIFY(server_.listen(QHostAddress::LocalHost));
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      QTcpSocket* peer = server_.nextPendingConnection();
      connect(peer, &QTcpSocket::readyRead, this, [this, peer] { received_ += peer->readAll(); });
      peer->write("Welcome, traveller\r\n");
      connected_ = true;
      ++connections_;
      peer_ = peer;
    });
  }
  void init() { received_.clear(), connected_ = false, connections_ = 0; }
  void cleanup() {
    if (program_.state() != QProcess::NotRunning) program_.kill(), program_.waitForFinished();
  }
  void cleanupTestCase() { wm_.terminate(), wm_.waitForFinished(); }

  // Paste, Select All, Copy and Expert Mode keys reach the program's
  // commands while the command line has the focus.
  void commandKeysPassTheCommandLine() {
    QVERIFY(Connect());
    const QString main = Window("^Ombrel");
    QStringList kept;  // keys the command line took for itself
    SetClipboard("north\n");
    Keys(main, {"ctrl+v"});
    if (!QTest::qWaitFor([&] { return received_.contains("say north\r\n"); }, 3000)) kept << "Ctrl+V";
    Keys(main, {"ctrl+a", "ctrl+c"});  // the command line holds no selection: the terminal's text
    if (!QTest::qWaitFor([&] { return Run("xclip", {"-selection", "clipboard", "-o"}).contains("Welcome, traveller"); }, 3000))
      kept << "Ctrl+A Ctrl+C";
    Keys(main, {"ctrl+e"});
    QVERIFY(Close());
    if (Read("config.cfg").at(20) != 1) kept << "Ctrl+E";
    QVERIFY2(kept.isEmpty(), qPrintable("kept by the command line: " + kept.join(", ")));
  }

  // A clipboard with LF line ends goes out line by line, each with the
  // prefix; chosen from the menu, away from the command line's keys.
  void pastedLinesGoOutOneByOne() {
    QVERIFY(Connect());
    SetClipboard("look\nget all\n");
    Keys(Window("^Ombrel"), {"alt+f", "Right", "Right", "p"});
    QTRY_VERIFY2_WITH_TIMEOUT(received_.contains("say look\r\nsay get all\r\n"),
                              received_.toPercentEncoding(" "), 5000);
    QVERIFY(Close());
  }

  // The name prompt opens above the account manager, which stays on top,
  // and the typed name becomes an account.
  void namePromptOpensAboveTheAccountManager() {
    Prepare(-1);
    Keys(Start(), {"F2"});
    const QString accounts = Window("^Connect$");
    Run("xdotool", {"mousemove", "--window", accounts, "46", "327", "click", "1"});  // Add
    const QString prompt = Window("^New Account$");
    QTRY_COMPARE(TopWindow(), prompt);
    QCOMPARE(QString(Run("xdotool", {"getactivewindow"})), prompt);
    Run("xdotool", {"type", "Zork"});
    Run("xdotool", {"key", "Return"});
    Keys(accounts, {"Escape"});
    QTRY_VERIFY(Read("accounts.dat").contains("\nZork\r\n"));
    QVERIFY(Close());
  }

  // The client area stays where it was saved through three starts.
  void positionSurvivesRestarts() {
    Prepare(-1);
    for (int run = 0; run < 3; ++run) {
      const QString main = Start();
      QTRY_COMPARE(ClientPosition(main), kSavedAt);
      QVERIFY(Close());
      QCOMPARE(QPoint(ConfigInt(0), ConfigInt(4)), kSavedAt);
    }
  }

  // Opening and leaving the account manager chooses no account.
  void noAccountChosenStaysUnchosen() {
    Prepare(-1);
    Keys(Start(), {"F2"});
    Keys(Window("^Connect$"), {"Escape"});
    QTRY_VERIFY(Run("xdotool", {"getactivewindow", "getwindowname"}).startsWith("Ombrel"));
    QVERIFY(Close());
    QCOMPARE(ConfigInt(16), -1);
  }

  // A password prompt: the server takes over the echo. The typed word goes
  // out and stays off the screen, the log and the history; once the server
  // gives the echo back, typing shows again.
  void passwordStaysHidden() {
    QVERIFY(Connect("#serverecho\t1\r\n"));
    const QString main = Window("^Ombrel");
    QTemporaryDir logDir;  // typed into the file dialog: a name xdotool types as it is
    const QString log = logDir.filePath("session.log");
    Keys(main, {"ctrl+shift+l"});
    Keys(Window("^Select Log File$"), {"ctrl+a"});
    Run("xdotool", {"type", "--delay", "5", log});
    Run("xdotool", {"key", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 5000);
    const QByteArray will("\xff\xfb\x01", 3), wont("\xff\xfc\x01", 3);
    peer_->write(will + "Password: ");
    QTRY_VERIFY_WITH_TIMEOUT(received_.contains(QByteArray("\xff\xfd\x01", 3)), 5000);  // DO ECHO
    Keys(main, {"h", "u", "n", "t", "e", "r", "2", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(received_.contains("hunter2\r\n"), 5000);
    peer_->write("\r\n" + wont + "Welcome back\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(received_.contains(QByteArray("\xff\xfe\x01", 3)), 5000);  // DONT ECHO
    Keys(main, {"l", "o", "o", "k", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(received_.endsWith("look\r\n"), 5000);
    // Up twice: the oldest entry kept, which the password would be.
    Keys(main, {"Up", "Up", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(received_.endsWith("look\r\nlook\r\n"), 5000);
    Keys(main, {"ctrl+a", "ctrl+c"});
    QByteArray screen;
    QTRY_VERIFY_WITH_TIMEOUT((screen = Run("xclip", {"-selection", "clipboard", "-o"})).contains("Welcome back"), 5000);
    QVERIFY2(screen.contains("look") && !screen.contains("hunter2"), screen);
    QCOMPARE(received_.count("hunter2"), 1);
    QVERIFY(Close());
    QFile logFile(log);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QByteArray logged = logFile.readAll();
    QVERIFY2(logged.contains("Password: ") && logged.contains("look") && !logged.contains("hunter2"), logged);
  }

  // The server drops the connection: the terminal is back within five
  // seconds and sends its auto-send again. After Disconnect it stays away,
  // and not because it gave up on a refused login.
  void lostConnectionIsMadeAgainUntilDisconnect() {
    QVERIFY(Connect("#autoreconnect\t1\r\n", {"hello"}));
    QTRY_VERIFY_WITH_TIMEOUT(received_.contains("hello\r\n"), 5000);
    received_.clear();
    peer_->disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(connections_ == 2 && received_.contains("hello\r\n"), 5000);
    Keys(Window("^Ombrel"), {"ctrl+d"});
    QTRY_VERIFY_WITH_TIMEOUT(peer_->state() == QAbstractSocket::UnconnectedState, 5000);
    QTest::qWait(4500);  // the next delay would have been 4 s
    QCOMPARE(connections_, 2);
    Keys(Window("^Ombrel"), {"ctrl+a", "ctrl+c"});
    QByteArray screen;
    QTRY_VERIFY_WITH_TIMEOUT((screen = Run("xclip", {"-selection", "clipboard", "-o"})).contains("Disconnected"), 5000);
    QVERIFY2(!screen.contains("not reconnecting"), screen);
    QVERIFY(Close());
  }

  // Only the option editor's own closing writes the option sets.
  void closingTheProgramLeavesOptionsAlone() {
    Prepare(-1, false);
    Keys(Start(), {"F4"});
    QVERIFY(!Window("^Terminal Options$").isEmpty());
    QVERIFY(Close());
    QVERIFY(!QFile::exists(Data("options.dat")));
  }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
