// A terminal without a window against the MUD-like test server over
// loopback: what a real socket reports and when. What the core makes of the
// bytes the core tests show byte for byte.
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtTest>

#include <signal.h>
#include <sys/prctl.h>

#include "term/ui/headless_terminal.h"

using ombrel::HeadlessTerminal;
using ombrel::TOptions;
using Lines = std::vector<std::string>;

namespace {

constexpr int kWait = 8000;

// The test server as a child process on a port it picks itself; killed
// when the test ends, however it ends.
class TestServer {
 public:
  explicit TestServer(QStringList args = {}) {
    process_.setProgram(QStringLiteral(OMBREL_MUD_TEST_SERVER));
    process_.setArguments(args << "--timeout" << "60");
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    QByteArray out;
    while (!out.contains('\n') && process_.waitForReadyRead(kWait)) out += process_.readAll();
    auto m = QRegularExpression("PORT (\\d+)").match(QString::fromLatin1(out));
    port = m.hasMatch() ? m.captured(1).toInt() : 0;
  }
  ~TestServer() {
    process_.kill();
    process_.waitForFinished(kWait);
  }
  int port;

 private:
  QProcess process_;
};

TOptions TelnetOptions(bool naws) {
  TOptions o;
  o.telnet = true;
  o.telnetinit = o.telopnaws = naws;
  return o;
}

int IndexOf(const Lines& lines, const std::string& text) {
  auto it = std::find(lines.begin(), lines.end(), text);
  return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

int CountOf(const Lines& lines, const std::string& text) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

// Follows whether Disconnect would be enabled.
void TrackDisconnect(HeadlessTerminal& t, bool& enabled) {
  t.Core().Events().disconnectChanged = [&enabled](ombrel::TermCore& core) {
    enabled = core.Socket() && core.Socket()->Active();
  };
}

}  // namespace

class LoopbackConnectionTest : public QObject {
  Q_OBJECT

 private slots:
  // A name is looked up first; a numeric address, in its short form too,
  // is not. The server serves one client at a time.
  void connectsByNameAfterLookupAndByNumericAddressWithout() {
    TestServer server;
    QVERIFY(server.port > 0);
    for (std::string target : {"localhost", "127.0.0.1", "127.1"}) {
      const bool name = target == "localhost";
      HeadlessTerminal t(TelnetOptions(false));
      int openUpdates = 0;
      t.Core().Events().disconnectChanged = [&](ombrel::TermCore& c) { openUpdates += c.Socket()->Active(); };
      QVERIFY(t.Connect(target, server.port));
      QVERIFY(t.WaitFor([&] { return t.Lines().back() == "> "; }, kWait));
      // The banner follows the status lines, colours dropped with ansi off.
      Lines expected = {"Connecting to " + target + ":" + std::to_string(server.port) + "...",
                        "Connection established...", "Welcome to the Test MUD", "A place to try out clients.", "> "};
      if (name) expected.insert(expected.begin(), "Looking up host...");
      QCOMPARE(t.Lines(), expected);
      QCOMPARE(name ? t.Socket().Host() : t.Socket().Address(), target);
      QVERIFY((name ? t.Socket().Address() : t.Socket().Host()).empty());
      QCOMPARE(openUpdates, name ? 3 : 2);  // each status found the socket open
      t.Socket().Close();
    }
  }

  void autologinThenWindowSizeOnDoNawsAndResize() {
    TestServer server;
    QVERIFY(server.port > 0);
    TOptions options = TelnetOptions(true);
    options.aliases.push_back({"hero", {"never sent"}});
    HeadlessTerminal t(options);
    t.Core().autologin = "hero|secret";
    t.Resize(80, 25);
    QVERIFY(t.Connect("127.0.0.1", server.port));
    QVERIFY(t.WaitForLine("You said: secret", kWait));
    QVERIFY(t.WaitForLine("NAWS 79x24", kWait));
    // Split at the separator, in order, no alias, nothing in the history.
    const int name = IndexOf(t.Lines(), "> You said: hero");
    QVERIFY(name > IndexOf(t.Lines(), "Connection established..."));
    QCOMPARE(IndexOf(t.Lines(), "> You said: secret"), name + 1);
    QVERIFY(!t.HasLineContaining("never sent"));
    QCOMPARE(t.commandLine().HistoryPrev(), std::string());
    t.Resize(132, 43);
    QVERIFY(t.WaitForLine("NAWS 131x42", kWait));
  }

  void triggerFiresOnLineSplitOverReads() {
    TestServer server({"--delay-ms", "40"});
    QVERIFY(server.port > 0);
    TOptions options = TelnetOptions(false);
    options.triggers.push_back({"loot", "treasure chest", true, false, {"open chest"}, ""});
    HeadlessTerminal t(options);
    QVERIFY(t.Connect("127.0.0.1", server.port));
    QVERIFY(t.WaitForLine("Connection established...", kWait));
    // The server's own line, cut inside the trigger's string and between
    // its CR and LF.
    const int repaintsBefore = t.Repaints();
    t.Type("split 5,13,19,27,28");
    QVERIFY(t.WaitForLine("You said: open chest", kWait));
    QVERIFY(t.WaitFor([&] { return t.Lines().back() == "> "; }, kWait));
    const Lines lines = t.Lines();
    // Once, and no empty line from the CR and LF arriving apart.
    QCOMPARE(lines[IndexOf(lines, "A treasure chest lies here.") + 1], std::string("> You said: open chest"));
    QCOMPARE(CountOf(lines, "> You said: open chest"), 1);
    QVERIFY(t.Repaints() - repaintsBefore >= 6);  // a block per read
  }

  void serverDisconnectAndReconnect() {
    TestServer server;
    QVERIFY(server.port > 0);
    HeadlessTerminal t(TelnetOptions(false));
    t.Core().caption = "Test MUD";
    QVERIFY(t.Connect("127.0.0.1", server.port));
    QVERIFY(t.WaitForLine("Connection established...", kWait));
    t.Type("quit");
    QVERIFY(t.WaitForLine("Disconnected.", kWait));
    const Lines lines = t.Lines();  // once, after the server's last line, and no error
    QCOMPARE(Lines(lines.end() - 3, lines.end()), (Lines{"Goodbye.", "Disconnected.", ""}));
    QCOMPARE(t.Core().caption, std::string("Not Connected"));
    QVERIFY(!t.Core().Connected());
    // Typing into a closed connection is dropped; the terminal connects again.
    t.Type("into the void");
    QVERIFY(t.Connect("127.0.0.1", server.port));
    QVERIFY(t.WaitFor([&] { return CountOf(t.Lines(), "Connection established...") == 2; }, kWait));
    t.Type("back");
    QVERIFY(t.WaitForLine("You said: back", kWait));
    QVERIFY(!t.HasLineContaining("void"));
  }

  void refusedConnection() {
    QTcpServer probe;  // a loopback port nobody listens on
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const int port = probe.serverPort();
    probe.close();
    for (const char* target : {"127.0.0.1", "localhost"}) {
      HeadlessTerminal t(TelnetOptions(true));
      t.Core().autologin = "never";
      bool disconnectEnabled = false;
      TrackDisconnect(t, disconnectEnabled);
      QVERIFY(t.Connect(target, port));
      QVERIFY2(t.WaitForLine("Failed to connect.", kWait), target);
      // Give a late disconnect or a second report the chance to show.
      HeadlessTerminal::WaitFor([] { return false; }, 100);
      QCOMPARE(CountOf(t.Lines(), "Failed to connect."), 1);
      QCOMPARE(IndexOf(t.Lines(), "Disconnected."), -1);
      QCOMPARE(IndexOf(t.Lines(), "Connection established..."), -1);
      QVERIFY(!disconnectEnabled);
      QVERIFY(t.TelnetLog().empty());
    }
  }

  void closingWhileStillConnecting() {
    TestServer server;
    QVERIFY(server.port > 0);
    HeadlessTerminal t(TelnetOptions(false));
    bool disconnectEnabled = false;
    TrackDisconnect(t, disconnectEnabled);
    QVERIFY(t.Connect("localhost", server.port));
    QVERIFY(disconnectEnabled);
    t.Socket().Close();  // before the lookup is done
    QVERIFY(t.HasLine("Disconnected."));
    QCOMPARE(t.Core().caption, std::string("Not Connected"));
    QVERIFY(!disconnectEnabled);
    HeadlessTerminal::WaitFor([] { return false; }, 100);
    QCOMPARE(IndexOf(t.Lines(), "Connection established..."), -1);
  }

  void addressesThatCannotBeUsedFailAtOnce() {
    for (auto [target, port] : {std::pair{"300.1.1.1", 23}, std::pair{"-1.0.0.1", 23},
                                std::pair{"127.0.0.1", 0}, std::pair{"127.0.0.1", 70000}}) {
      HeadlessTerminal t(TelnetOptions(false));
      QVERIFY(!t.Connect(target, port));
      // Reported before Open returned, without an event loop.
      QVERIFY2(t.HasLine("Failed to connect."), target);
      QVERIFY(!t.Socket().Active());
    }
  }
};

QTEST_GUILESS_MAIN(LoopbackConnectionTest)
#include "loopback_connection_test.moc"
