// A terminal without a window against the MUD-like test server over
// loopback: what a real socket reports and when. What the core makes of the
// bytes the core tests show byte for byte.
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include "accounts/accounts_file.h"
#include "options/options_file.h"
#include "term/ui/headless_terminal.h"
#include "test_server.h"

using ombrel::HeadlessTerminal;
using ombrel::TOptions;
using ombrel::testing::TestServer;
using Lines = std::vector<std::string>;

namespace {

constexpr int kWait = 8000;

Lines Tail(const HeadlessTerminal& t, size_t n) {
  const Lines lines = t.Lines();
  return Lines(lines.end() - std::min(n, lines.size()), lines.end());
}

bool WaitForTail(HeadlessTerminal& t, const Lines& tail) {
  return t.WaitFor([&] { return Tail(t, tail.size()) == tail; }, kWait);
}

// Hears each step of the connection.
struct ConnectionHook : ombrel::TermListener {
  std::function<void()> heard;
  explicit ConnectionHook(std::function<void()> h) : heard(std::move(h)) {}
  void ConnectionChanged(ombrel::ConnectionState, bool) override { heard(); }
};

}  // namespace

class LoopbackConnectionTest : public QObject {
  Q_OBJECT

 private slots:
  // A name is looked up first; a numeric address, in its short form too,
  // is not, and a name after an address is not taken for one. The server
  // serves one client at a time: each connection is closed before the next.
  // Closed while still being set up, Qt reports no disconnect: the adapter does.
  void connectsByNameAfterLookupAndByNumericAddressWithout() {
    TestServer server;
    HeadlessTerminal t(TOptions{.telnet = true});
    int openUpdates = 0;
    bool disconnectEnabled = false;
    ConnectionHook hook([&] { openUpdates += disconnectEnabled = t.Core().Socket()->Active(); });
    t.Session().AddListener(hook);
    for (std::string target : {"127.0.0.1", "localhost", "127.1"}) {
      const bool name = target == "localhost";
      const size_t from = t.Lines().size() - 1;
      openUpdates = 0;
      QVERIFY(t.Connect(target, server.port));
      QVERIFY(WaitForTail(t, {"> "}));
      Lines expected = {"Connecting to " + target + ":" + std::to_string(server.port) + "...",
                        "Connection established...", "Welcome to the Test MUD", "A place to try out clients.", "> "};
      if (name) expected.insert(expected.begin(), "Looking up host...");
      const Lines lines = t.Lines();
      QCOMPARE(Lines(lines.begin() + from, lines.end()), expected);
      QCOMPARE(openUpdates, name ? 3 : 2);  // each status found the socket open
      t.Socket().Close();
      QVERIFY(WaitForTail(t, {"> Disconnected.", ""}));
    }
    QVERIFY(t.Connect("localhost", server.port));
    QVERIFY(disconnectEnabled);
    t.Socket().Close();  // before the lookup is done
    QVERIFY(!disconnectEnabled);
    HeadlessTerminal::WaitFor([] { return false; }, 100);
    QCOMPARE(Tail(t, 2), (Lines{"Disconnected.", ""}));  // and nothing after it
  }

  // Auto-login goes out split at the separator without aliases; the
  // server's own line, cut inside the trigger's string and between its CR
  // and LF, fires the trigger once; the server closing is reported once.
  void autologinTriggerOverSplitReadsAndTheServerClosing() {
    TestServer server({"--delay-ms", "40"});
    TOptions options{.telnet = true};
    options.aliases.push_back({"hero", {"never sent"}});
    options.triggers.push_back({"loot", "treasure chest", true, false, {"open chest"}, ""});
    HeadlessTerminal t(options);
    t.Core().autologin = "hero|secret";
    QVERIFY(t.Connect("127.0.0.1", server.port));
    QVERIFY(WaitForTail(t, {"> You said: hero", "> You said: secret", "> "}));
    QCOMPARE(t.commandLine().HistoryPrev(), std::string());  // nor kept in the history
    const int repaintsBefore = t.Repaints();
    t.Type("split 5,13,19,27,28");
    // The trigger's text ends with an empty line.
    QVERIFY(WaitForTail(t, {"> You said: ", "> "}));
    QCOMPARE(Tail(t, 4), (Lines{"A treasure chest lies here.", "> You said: open chest", "> You said: ", "> "}));
    QVERIFY(t.Repaints() - repaintsBefore >= 6);  // a block per read

    t.Type("quit");
    QVERIFY(t.WaitForLine("Disconnected.", kWait));
    HeadlessTerminal::WaitFor([] { return false; }, 100);  // a late error or second report would show
    QCOMPARE(Tail(t, 3), (Lines{"Goodbye.", "Disconnected.", ""}));
    QVERIFY(!t.Core().Connected());
  }

  // After a refusal, a close during the TLS handshake or a server that
  // never answers it within the limit, no disconnect follows and Disconnect
  // is not left enabled.
  void refusedConnection() {
    QTcpServer probe;  // a loopback port nobody listens on
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const int refused = probe.serverPort();
    probe.close();
    QTcpServer closer, silent;
    QVERIFY(closer.listen(QHostAddress::LocalHost, 0) && silent.listen(QHostAddress::LocalHost, 0));
    connect(&closer, &QTcpServer::newConnection, [&] { closer.nextPendingConnection()->close(); });
    std::vector<QTcpSocket*> heard;  // by the silent one, which never answers
    connect(&silent, &QTcpServer::newConnection, [&] { heard.push_back(silent.nextPendingConnection()); });
    for (auto [target, port, tls] : {std::tuple<std::string, int, bool>{"127.0.0.1", refused, false},
                                     {"localhost", refused, false}, {"127.0.0.1", closer.serverPort(), true},
                                     {"127.0.0.1", silent.serverPort(), true}}) {
      HeadlessTerminal t(TOptions{.telnet = true});
      t.Socket().SetTls(tls);
      t.Socket().SetHandshakeLimit(std::chrono::milliseconds(300));
      bool disconnectEnabled = false;
      ConnectionHook hook([&] { disconnectEnabled = t.Core().Socket()->Active(); });
      t.Session().AddListener(hook);
      QVERIFY(t.Connect(target, port) && t.WaitForLine("Failed to connect.", kWait));
      HeadlessTerminal::WaitFor([] { return false; }, 100);
      Lines expected = {"Connecting to " + target + ":" + std::to_string(port) + "...", "Failed to connect.", ""};
      if (target == "localhost") expected.insert(expected.begin(), "Looking up host...");
      QCOMPARE(t.Lines(), expected);
      QVERIFY(!disconnectEnabled);
      QVERIFY(t.TelnetLog().empty());  // nothing was negotiated
    }
    // Disconnect during the handshake is one during the connect.
    HeadlessTerminal t(TOptions{.telnet = true});
    t.Socket().SetTls(true);
    t.Core().caption = "Arena";
    QVERIFY(t.Connect("127.0.0.1", silent.serverPort()));
    // Once the client's hello came, it is connected.
    const size_t before = heard.size();
    QVERIFY(t.WaitFor([&] { return heard.size() > before && heard.back()->bytesAvailable() > 0; }, kWait));
    t.Socket().Close();
    QCOMPARE(Tail(t, 2), (Lines{"Disconnected.", ""}));
    QCOMPARE(t.Core().caption, std::string("Not Connected"));
  }

  // Misbehaving servers neither loop the client nor hide what follows; one
  // asking first gets the size, and no more once it says stop.
  void hostileServers() {
    TestServer server;
    HeadlessTerminal t(TOptions{.telnet = true, .telopnaws = true});
    // The size report may come in the same read as the prompt, or after it.
    QVERIFY(t.Connect("127.0.0.1", server.port) && t.WaitForLine("NAWS 79x23", kWait));
    const std::pair<const char*, const char*> steps[] = {
        {"pingpong", "REFUSALS ANSWERED 0"}, {"dontnaws", "DONT NAWS SENT"}, {"size", "NAWS 79x23"},
        {"unfinished 6000", "END UNFINISHED"}, {"escapes 40000", "END ESCAPES"}, {"endless 3000000", "END ENDLESS"}};
    for (auto [command, last] : steps) {
      const size_t before = t.Lines().size();
      t.Type(command);
      QVERIFY2(t.WaitFor([&] { return t.Lines().size() > before && t.HasLineContaining(last); }, 4 * kWait), command);
      if (std::string(command) == "dontnaws") t.Resize(100, 40);
    }
    QVERIFY(!t.HasLineContaining("NAWS 99x39"));  // the resize never went out after DONT NAWS
  }

  // make demo's files read back as the program writes them; with them the
  // demo world answers an alias, a speedwalk round its rooms and its help.
  void demoWorldWithItsFiles() {
    TestServer server({"--demo"});
    QTemporaryDir dir;
    const std::string data = dir.path().toStdString() + "/";
    QCOMPARE(QProcess::execute(OMBREL_DEMO_SCRIPT, {"--write-data", dir.path(), QString::number(server.port)}), 0);
    ombrel::TOptionSetList sets;
    ombrel::TAccountList accounts;
    std::string options, account;
    QVERIFY(ombrel::ReadFileBytes(data + "options.dat", options).ok && ombrel::ReadFileBytes(data + "accounts.dat", account).ok);
    ombrel::ParseOptionSets(options, sets);
    QVERIFY(ombrel::ParseAccounts(account, accounts, sets).ok);  // an unknown set would read back as "Default"
    QVERIFY(FormatOptionSets(sets) == options && FormatAccounts(accounts) == account);
    HeadlessTerminal t(sets.At(0));
    QVERIFY(t.Connect(accounts.At(0).server, std::stoi(accounts.At(0).port)) && t.WaitForLine("Village Square", kWait));
    t.Type("greet Ann|/nesw|help");
    QVERIFY(t.WaitForLine("Listen for my bell", kWait) && t.WaitForLine("You walk west.", kWait));
    QVERIFY(t.WaitForLine("End of help.", kWait) && t.Lines().size() > 150);
  }

  // MCCP2 from a real server: a start with plain text after it is refused
  // and the text shown; offered again, streams that start in the middle of
  // a write, end and start again lose no line; a broken one closes the
  // connection with the text inflated before the fault shown.
  void compressedStreams() {
    TestServer server;
    HeadlessTerminal t(TOptions{.telnet = true, .features = {.mccp = true}});
    QVERIFY(t.Connect("127.0.0.1", server.port) && WaitForTail(t, {"> "}));
    t.Type("compress plain");
    QVERIFY(WaitForTail(t, {"NOT COMPRESSED AFTER ALL", "COMPRESSION OFF", "> "}));
    t.Type("compress 3000");
    QVERIFY(WaitForTail(t, {"END OF STREAM 3000", "PLAIN BETWEEN", "AGAIN COMPRESSED", "END COMPRESS", "> "}));
    QVERIFY(t.Lines().size() > 3000);
    t.Type("compress broken");
    QVERIFY(t.WaitForLine("Disconnected.", kWait));
    QCOMPARE(Tail(t, 5), (Lines{"Compressing.", "kept before the fault", "Compression error: invalid block type.",
                                "Disconnected.", ""}));
  }

  // TLS through stunnel with a self-signed certificate: asked on the first
  // connection and trusted always, not asked on the second; a new
  // certificate is a warning, and Cancel a failed connect that keeps the
  // old trust.
  void tlsTrustedOnceAlwaysAndWarnedOfAChangedCertificate() {
    QVERIFY2(!QStandardPaths::findExecutable("stunnel4").isEmpty(), "stunnel4 is missing: run tools/setup.sh");
    TestServer server;
    QTemporaryDir dir;
    QTcpServer probe;  // a free port for stunnel
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const int port = probe.serverPort();
    probe.close();
    const QStringList peer = {dir.path(), QString::number(port), QString::number(server.port)};
    auto tunnel = std::make_unique<TestServer>(peer, OMBREL_TLS_TEST_PEER);
    HeadlessTerminal t(TOptions{.telnet = true});
    const std::string trustFile = dir.filePath("trusted_certs.dat").toStdString();
    t.Socket().SetTls(true);
    t.Socket().SetTrustFile(trustFile);
    std::vector<ombrel::TrustQuestion> asked;
    ombrel::TrustAnswer answer = ombrel::TrustAnswer::AlwaysTrust;
    t.Socket().askTrust = [&](const ombrel::TrustQuestion& q) { return asked.push_back(q), answer; };
    auto session = [&](const Lines& tail) {
      const bool shown = t.Connect("127.0.0.1", port) && WaitForTail(t, tail);
      if (!shown) for (auto& l : Tail(t, 12)) qWarning("shown: %s", l.c_str());  // what came instead
      t.Socket().Close();
      return shown;
    };
    const Lines encrypted = {"Connection established...", "Connection encrypted (TLSv1.3).",
                             "Welcome to the Test MUD", "A place to try out clients.", "> "};
    QVERIFY(session(encrypted) && session(encrypted));
    QCOMPARE(asked.size(), 1u);
    QCOMPARE(asked[0].host, "127.0.0.1:" + std::to_string(port));
    QCOMPARE(QString::fromStdString(asked[0].fingerprint), tunnel->said);
    QVERIFY(!asked[0].changed && !asked[0].reason.empty());

    tunnel.reset();
    tunnel = std::make_unique<TestServer>(QStringList(peer) << "new", OMBREL_TLS_TEST_PEER);
    answer = ombrel::TrustAnswer::Cancel;
    QVERIFY(session({"Failed to connect.", ""}));
    QCOMPARE(asked.size(), 2u);
    QVERIFY(asked[1].changed && asked[1].remembered == asked[0].fingerprint);
    QCOMPARE(QString::fromStdString(asked[1].fingerprint), tunnel->said);
    QFile kept(QString::fromStdString(trustFile));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll().toStdString(), asked[0].host + "\t" + asked[0].fingerprint + "\r\n");
  }

  void addressesThatCannotBeUsedFailAtOnce() {
    for (auto [target, port] : {std::pair{"300.1.1.1", 23}, std::pair{"-1.0.0.1", 23},
                                std::pair{"127.0.0.1", 0}, std::pair{"127.0.0.1", 70000}}) {
      HeadlessTerminal t(TOptions{.telnet = true});
      QVERIFY(!t.Connect(target, port));
      // Reported before Open returned, without an event loop.
      QVERIFY2(t.HasLine("Failed to connect."), target);
      QVERIFY(!t.Socket().Active());
    }
  }
};

QTEST_GUILESS_MAIN(LoopbackConnectionTest)
#include "loopback_connection_test.moc"
