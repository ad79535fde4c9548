// The program's terminal window against the MUD-like test server over
// loopback, the game data switch on: the gauges show what the game sent,
// readable by a screen reader, the room line and the channel pane fill, and
// MSSP reaches the telnet console; off, the game's offers are refused.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QtTest>

#include "gmcp/ui/game_panes.h"
#include "term/ui/qt_client_socket.h"
#include "test_server.h"
#include "ui_helpers.h"

using namespace ombrel;
using testing::TestServer;

namespace {

constexpr int kWait = 8000;

struct ConsoleLog : TermListener {
  QStringList lines;
  void TelnetLog(std::string_view text) override { lines << QString::fromUtf8(text.data(), qsizetype(text.size())); }
};

}  // namespace

class GameWindowTest : public QObject {
  Q_OBJECT

  testing::ProgramFixture p;
  TtermForm* term = nullptr;
  ConsoleLog console;

  // Somewhere in the text, wrapped or not.
  bool Shown(const std::string& text) {
    const TermCore& core = term->core();
    std::string all;
    for (int i = 0; i <= core.curline(); ++i) all += core.Store().Line(i).text;
    return all.find(text) != std::string::npos;
  }
  bool Connected(TestServer& server, bool gameData) {
    TOptions& set = p.program->optionSets.At(0);
    set.telnet = true, set.features.gmcp = gameData;
    term = p.main->NewTerminal();
    term->session().AddListener(console);
    return term->Connection().Open("127.0.0.1", server.port) && QTest::qWaitFor([&] { return Shown("> "); }, kWait);
  }

 private slots:
  void init() { QVERIFY(p.Start()); }
  void cleanup() {
    if (term) term->session().RemoveListener(console);
    p.Stop();
  }

  void gaugesRoomAndChannelsShowWhatTheGameSent() {
    TestServer server;
    QVERIFY(Connected(server, true));
    TgamePanes* panes = term->gamePanes;
    QVERIFY(!panes->isVisible());
    term->session().Type("gmcp ire");
    QVERIFY(QTest::qWaitFor([&] { return Shown("END GMCP"); }, kWait));
    QVERIFY(Shown(R"(GMCP GOT Core.Supports.Set ["Char 1","Char.Vitals 1","Room 1","Comm.Channel 1"])"));
    QTRY_VERIFY(panes->isVisible());
    // Iron Realms sends every value as a string; mana is its "mp".
    QCOMPARE(panes->Gauge(0)->text(), QString("Health 4500 of 4800"));  // its accessible name: the panes' test
    QCOMPARE(panes->Gauge(0)->accessibleDescription(), QString("Health 4500 of 4800"));
    QCOMPARE(panes->Gauge(1)->text(), QString("Mana 3000 of 3200"));
    QCOMPARE(panes->RoomLine()->text(), QString("On a hill    Exits: n, se"));
    QCOMPARE(panes->Channels()->toPlainText(), QString(R"([newbie] (Newbie): Tecton says, "Hello, newbies.")"));
    // The panes take their room above the text (and its scroll bar).
    QTRY_COMPARE(term->sbar->y(), panes->height());
    QVERIFY(panes->height() > 0);

    term->session().Type("gmcp vitals 3");
    QVERIFY(QTest::qWaitFor([&] { return Shown("END GMCP VITALS"); }, kWait));
    QTRY_COMPARE(panes->Gauge(0)->text(), QString("Health 4798 of 4800"));

    term->session().Type("mssp");
    QVERIFY(QTest::qWaitFor([&] { return Shown("END MSSP"); }, kWait));
    QVERIFY2(console.lines.contains("MSSP NAME: Ombrel Test MUD"), qPrintable(console.lines.join('\n')));
  }

  // With scripts on too, the set's script hears each message and reads the
  // merged tree, as the game sends it.
  void aScriptHearsTheGame() {
    TestServer server;
    TOptions& set = p.program->optionSets.At(0);
    set.features.scripts = true;
    QVERIFY(QDir().mkpath(p.DataDir() + "scripts"));
    QFile script(p.DataDir() + "scripts/" + QString::fromStdString(set.name) + ".lua");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(R"(on("gmcp.Char.Vitals", function(v)
      echo("SCRIPT SAW HP " .. tostring(v.hp) .. " OF " .. tostring(gmcp.Char.Vitals.maxhp))
    end))");
    script.close();
    QVERIFY(Connected(server, true));
    term->session().Type("gmcp ire");
    QVERIFY(QTest::qWaitFor([&] { return Shown("END GMCP"); }, kWait));
    QVERIFY(QTest::qWaitFor([&] { return Shown("SCRIPT SAW HP 4500 OF 4800"); }, kWait));
  }

  void switchedOffTheGamesOffersAreRefused() {
    TestServer server;
    QVERIFY(Connected(server, false));
    term->session().Type("gmcp ire");
    QVERIFY(QTest::qWaitFor([&] { return Shown("GMCP REFUSED"); }, kWait));
    term->session().Type("msdp");
    QVERIFY(QTest::qWaitFor([&] { return Shown("MSDP REFUSED"); }, kWait));
    QVERIFY(!term->gamePanes->isVisible());
  }
};

QTEST_MAIN(GameWindowTest)
#include "game_window_test.moc"
