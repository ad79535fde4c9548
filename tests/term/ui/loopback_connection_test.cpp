// A terminal without a window against the MUD-like test server over
// loopback: the notifications of a real socket, negotiation, auto-login,
// triggers over split reads, and the ends of a connection.
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QtTest>

#include <signal.h>
#include <sys/prctl.h>

#include "term/ui/headless_terminal.h"

using ombrel::HeadlessTerminal;
using ombrel::TOptions;

namespace {

constexpr int kWait = 8000;

// The test server as a child process on a port it picks itself; killed
// when the test ends, however it ends.
class TestServer {
 public:
  explicit TestServer(QStringList args = {}) {
    args << "--timeout" << "60";
    process_.setProgram(QStringLiteral(OMBREL_MUD_TEST_SERVER));
    process_.setArguments(args);
    // Should this test die without cleaning up, the server goes with it.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    if (!process_.waitForStarted(kWait)) return;
    QByteArray out;
    while (!out.contains('\n') && process_.waitForReadyRead(kWait)) out += process_.readAll();
    QRegularExpressionMatch m = QRegularExpression("PORT (\\d+)").match(QString::fromLatin1(out));
    if (m.hasMatch()) port_ = m.captured(1).toInt();
  }
  ~TestServer() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(kWait);
    }
  }
  int Port() const { return port_; }

 private:
  QProcess process_;
  int port_ = 0;
};

// A loopback port nobody listens on.
int FreePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  int port = probe.serverPort();
  probe.close();
  return port;
}

TOptions TelnetOptions(bool naws) {
  TOptions o;
  o.telnet = true;
  o.telnetinit = naws;
  o.telopnaws = naws;
  return o;
}

int IndexOf(const std::vector<std::string>& lines, const std::string& text) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == text) return static_cast<int>(i);
  }
  return -1;
}

int CountOf(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

}  // namespace

class LoopbackConnectionTest : public QObject {
  Q_OBJECT

 private slots:
  void connectsByNameAfterLookup();
  void connectsByNumericAddressWithoutLookup();
  void autologinIsSentOnceConnected();
  void windowSizeAfterDoNawsAndAfterResize();
  void triggerFiresOnLineSplitOverReads();
  void serverDisconnectAndReconnect();
  void refusedConnection();
  void closingWhileStillConnecting();
  void addressesThatCannotBeUsedFailAtOnce();
};

void LoopbackConnectionTest::connectsByNameAfterLookup() {
  TestServer server;
  QVERIFY(server.Port() > 0);
  HeadlessTerminal t(TelnetOptions(false));
  int disconnectUpdates = 0;
  t.Core().Events().disconnectChanged = [&](ombrel::TermCore& core) {
    disconnectUpdates += core.Socket()->Active();
  };
  QVERIFY(t.Connect("localhost", server.Port()));
  QVERIFY(t.WaitFor([&] { return t.Lines().back() == "> "; }, kWait));
  const std::string port = std::to_string(server.Port());
  // The banner follows the status lines, colour sequences dropped with
  // ansi off; the prompt waits without a line end.
  const std::vector<std::string> expected = {"Looking up host...",
                                             "Connecting to localhost:" + port + "...",
                                             "Connection established...",
                                             "Welcome to the Test MUD",
                                             "A place to try out clients.",
                                             "> "};
  QCOMPARE(t.Lines(), expected);
  QVERIFY(t.Socket().Active());
  QCOMPARE(t.Socket().Host(), std::string("localhost"));
  QVERIFY(t.Socket().Address().empty());
  // Lookup, connecting and connect each found the socket open.
  QCOMPARE(disconnectUpdates, 3);
}

void LoopbackConnectionTest::connectsByNumericAddressWithoutLookup() {
  TestServer server;
  QVERIFY(server.Port() > 0);
  HeadlessTerminal t(TelnetOptions(false));
  QVERIFY(t.Connect("127.0.0.1", server.Port()));
  QVERIFY(t.WaitForLine("Welcome to the Test MUD", kWait));
  const auto lines = t.Lines();
  QCOMPARE(lines[0], "Connecting to 127.0.0.1:" + std::to_string(server.Port()) + "...");
  QCOMPARE(lines[1], std::string("Connection established..."));
  QCOMPARE(IndexOf(lines, "Looking up host..."), -1);
  QCOMPARE(t.Socket().Address(), std::string("127.0.0.1"));
  QVERIFY(t.Socket().Host().empty());

  // A short numeric form reaches the same server, which serves one
  // client at a time.
  t.Socket().Close();
  HeadlessTerminal shortForm(TelnetOptions(false));
  QVERIFY(shortForm.Connect("127.1", server.Port()));
  QVERIFY(shortForm.WaitForLine("Welcome to the Test MUD", kWait));
  QCOMPARE(shortForm.Lines()[0], "Connecting to 127.1:" + std::to_string(server.Port()) + "...");
}

void LoopbackConnectionTest::autologinIsSentOnceConnected() {
  TestServer server;
  QVERIFY(server.Port() > 0);
  TOptions options = TelnetOptions(true);
  options.aliases.push_back({"hero", {"never sent"}});
  HeadlessTerminal t(options);
  t.Core().autologin = "hero|secret";
  QVERIFY(t.Connect("127.0.0.1", server.Port()));
  QVERIFY(t.WaitForLine("You said: secret", kWait));
  const auto lines = t.Lines();
  // Split at the separator, in order, no alias applied, nothing in the
  // history.
  const int name = IndexOf(lines, "> You said: hero");
  QVERIFY(name > IndexOf(lines, "Connection established..."));
  QCOMPARE(IndexOf(lines, "> You said: secret"), name + 1);
  QVERIFY(!t.HasLineContaining("never sent"));
  QCOMPARE(t.commandLine().HistoryPrev(), std::string());
}

void LoopbackConnectionTest::windowSizeAfterDoNawsAndAfterResize() {
  TestServer server;
  QVERIFY(server.Port() > 0);
  HeadlessTerminal t(TelnetOptions(true));
  t.Core().cols = 80;
  t.Core().rows = 25;
  QVERIFY(t.Connect("localhost", server.Port()));
  QVERIFY(t.WaitForLine("NAWS 79x24", kWait));
  const auto& log = t.TelnetLog();
  QVERIFY(log.size() >= 3);
  QCOMPARE(log[0], std::string("WILL NAWS Sent"));
  QCOMPARE(log[1], std::string("DO NAWS Received"));
  QCOMPARE(log[2], std::string("SB NAWS Sent (79x24)"));
  QVERIFY(t.Core().Parser().NAWSActive());

  t.Resize(132, 43);
  QVERIFY(t.WaitForLine("NAWS 131x42", kWait));
  // A view too small for two cells still reports one. The server's answer
  // comes back wrapped a character a line at that width.
  t.Resize(1, 0);
  auto joined = [&] {
    std::string all;
    for (const auto& line : t.Lines()) all += line;
    return all;
  };
  QVERIFY(t.WaitFor([&] { return joined().find("NAWS 1x1") != std::string::npos; }, kWait));
  QCOMPARE(t.TelnetLog().back(), std::string("SB NAWS Sent (1x1)"));
  t.Resize(80, 25);
  t.Type("size");
  QVERIFY(t.WaitForLine("You said: size", kWait));
  QVERIFY(t.WaitFor([&] { return CountOf(t.Lines(), "NAWS 79x24") == 2; }, kWait));
}

void LoopbackConnectionTest::triggerFiresOnLineSplitOverReads() {
  TestServer server({"--delay-ms", "40"});
  QVERIFY(server.Port() > 0);
  TOptions options = TelnetOptions(false);
  ombrel::TTrigger trigger;
  trigger.name = "loot";
  trigger.string = "treasure chest";
  trigger.textenabled = true;
  trigger.text = {"open chest"};
  options.triggers.push_back(trigger);
  HeadlessTerminal t(options);
  QVERIFY(t.Connect("127.0.0.1", server.Port()));
  QVERIFY(t.WaitForLine("Connection established...", kWait));
  // The server's own line, cut inside the trigger's string and between
  // its CR and LF.
  const int repaintsBefore = t.Repaints();
  t.Type("split 5,13,19,27,28");
  QVERIFY(t.WaitForLine("You said: open chest", kWait));
  QVERIFY(t.WaitFor([&] { return t.Lines().back() == "> "; }, kWait));
  const auto lines = t.Lines();
  const int chest = IndexOf(lines, "A treasure chest lies here.");
  QVERIFY(chest >= 0);
  // No empty line from the CR and LF arriving apart.
  QCOMPARE(lines[chest + 1], std::string("> You said: open chest"));
  // Once: the pieces were not taken for lines of their own.
  int fired = 0;
  for (const auto& line : lines) fired += line.find("open chest") != std::string::npos;
  QCOMPARE(fired, 1);
  // Each read is one block; the line came in six of them at least.
  QVERIFY(t.Repaints() - repaintsBefore >= 6);
}

void LoopbackConnectionTest::serverDisconnectAndReconnect() {
  TestServer server;
  QVERIFY(server.Port() > 0);
  HeadlessTerminal t(TelnetOptions(false));
  int captionChanges = 0;
  t.Core().Events().captionChanged = [&](ombrel::TermCore&) { ++captionChanges; };
  t.Core().caption = "Test MUD";
  QVERIFY(t.Connect("127.0.0.1", server.Port()));
  QVERIFY(t.WaitForLine("Connection established...", kWait));
  t.Type("quit");
  QVERIFY(t.WaitForLine("Disconnected.", kWait));
  const auto lines = t.Lines();
  QVERIFY(IndexOf(lines, "Goodbye.") >= 0);
  QVERIFY(IndexOf(lines, "Goodbye.") < IndexOf(lines, "Disconnected."));
  QCOMPARE(CountOf(lines, "Disconnected."), 1);
  QVERIFY(!t.HasLineContaining("Error"));
  QCOMPARE(t.Core().caption, std::string("Not Connected"));
  QCOMPARE(captionChanges, 1);
  QVERIFY(!t.Socket().Active());
  QVERIFY(!t.Core().Connected());

  // Typing into a closed connection is dropped; the terminal can connect
  // again.
  t.Type("into the void");
  QVERIFY(t.Connect("127.0.0.1", server.Port()));
  QVERIFY(t.WaitFor([&] { return CountOf(t.Lines(), "Connection established...") == 2; }, kWait));
  t.Type("back");
  QVERIFY(t.WaitForLine("You said: back", kWait));
  QVERIFY(!t.HasLineContaining("void"));
}

void LoopbackConnectionTest::refusedConnection() {
  const int port = FreePort();
  QVERIFY(port > 0);
  for (const char* target : {"127.0.0.1", "localhost"}) {
    HeadlessTerminal t(TelnetOptions(true));
    t.Core().autologin = "never";
    QVERIFY(t.Connect(target, port));
    QVERIFY2(t.WaitForLine("Failed to connect.", kWait), target);
    // Give a late disconnect or a second report the chance to show.
    HeadlessTerminal::WaitFor([] { return false; }, 100);
    const auto lines = t.Lines();
    QCOMPARE(CountOf(lines, "Failed to connect."), 1);
    QCOMPARE(IndexOf(lines, "Disconnected."), -1);
    QCOMPARE(IndexOf(lines, "Connection established..."), -1);
    QVERIFY(!t.Socket().Active());
    QVERIFY(t.TelnetLog().empty());
  }
  // Disconnect is not left enabled after the failure.
  HeadlessTerminal t(TelnetOptions(false));
  bool disconnectEnabled = false;
  t.Core().Events().disconnectChanged = [&](ombrel::TermCore& core) {
    disconnectEnabled = core.Socket() && core.Socket()->Active();
  };
  QVERIFY(t.Connect("127.0.0.1", port));
  QVERIFY(t.WaitForLine("Failed to connect.", kWait));
  QVERIFY(HeadlessTerminal::WaitFor([&] { return !disconnectEnabled; }, kWait));
}

void LoopbackConnectionTest::closingWhileStillConnecting() {
  TestServer server;
  QVERIFY(server.Port() > 0);
  HeadlessTerminal t(TelnetOptions(false));
  bool disconnectEnabled = false;
  t.Core().Events().disconnectChanged = [&](ombrel::TermCore& core) {
    disconnectEnabled = core.Socket() && core.Socket()->Active();
  };
  QVERIFY(t.Connect("localhost", server.Port()));
  QVERIFY(disconnectEnabled);
  t.Socket().Close();  // before the lookup is done
  QVERIFY(t.HasLine("Disconnected."));
  QCOMPARE(t.Core().caption, std::string("Not Connected"));
  QVERIFY(!disconnectEnabled);
  HeadlessTerminal::WaitFor([] { return false; }, 100);
  QCOMPARE(IndexOf(t.Lines(), "Connection established..."), -1);
}

void LoopbackConnectionTest::addressesThatCannotBeUsedFailAtOnce() {
  struct Case {
    const char* target;
    int port;
  };
  for (Case c : {Case{"300.1.1.1", 23}, Case{"-1.0.0.1", 23}, Case{"127.0.0.1", 0},
                 Case{"127.0.0.1", 70000}}) {
    HeadlessTerminal t(TelnetOptions(false));
    QVERIFY(!t.Connect(c.target, c.port));
    // Reported before Open returned, without an event loop.
    QVERIFY2(t.HasLine("Failed to connect."), c.target);
    QVERIFY(!t.Socket().Active());
  }
}

QTEST_GUILESS_MAIN(LoopbackConnectionTest)
#include "loopback_connection_test.moc"
