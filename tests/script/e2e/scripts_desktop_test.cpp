// The real program with "Scripts" on, under a real window manager, against
// the loopback test server (which echoes each line as "You said: ..."): a
// trigger answers with a capture, a timer sends on time, an alias turns a
// typed line into two commands, a runaway loop is stopped. The script notes what it saw in `vars`,
// which the program writes when the server closes the connection.
#include <QtNetwork>
#include <QtTest>

#include "accounts/accounts_file.h"
#include "app/config_record.h"
#include "options/features_file.h"
#include "options/options_file.h"

#include "desktop_tools.h"
#include "test_server.h"

using namespace ombrel;
using namespace ombrel::testing;

namespace {

void Type(const QString& window, const QString& text) {
  Run("xdotool", {"windowactivate", "--sync", window, "type", "--delay", "15", text});
  Keys(window, {"Return"});
}

constexpr const char* kScript = R"lua(
-- "hello <name>" comes back from the server: answer with the name, and
-- paint the greeting green.
trigger("You said: hello (\\w+)", function(line, who) send("reply " .. who) end)
trigger("hello", nil, {highlight = "#00e000"})
-- A runaway loop ends with an error after its 50 ms; the program goes on.
trigger("You said: spin", function() vars.spun = os.clock() while true do end end)
trigger("You said: reply (\\w+)", function(line, who) vars.reply = who end)
-- Half a second after loading, ask the server how long it has been connected.
timer(0.5, function() send("clock") end)
trigger("CLOCK (\\d+)", function(line, ms) vars.clock = tonumber(ms) end)
-- "cc <name>": two commands, and the typed line never reaches the server.
alias("^cc (\\w+)$", function(line, who) send("cast " .. who) send("look " .. who) end)
trigger("You said: cc", function() vars.leaked = true end)
trigger("You said: (cast|look) (\\w+)", function(line, what, who)
  vars[what] = who
  if what == "look" then send("quit") end
end)
)lua";

}  // namespace

class ScriptsDesktopTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_{QDir::tempPath() + "/zoë-XXXXXX"};
  QProcess wm_, program_;
  TestServer server_;

  QString Data(const QString& name) const { return dir_.filePath("data/" + name); }
  QByteArray Read(const QString& name) const {
    QFile f(Data(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void Write(const QString& name, const QByteArray& bytes) {
    QFile f(Data(name));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
  }

  // The account "Loop" on the test server with set "Main", whose scripts are on.
  void Prepare() {
    QVERIFY(QDir().mkpath(Data("scripts")));
    TConfigRecord config{100, 100, 700, 500, 0, 0, 1, ""};
    QVERIFY(WriteConfigFile(Data("config.cfg").toStdString(), config).ok);
    TAccountList accounts;
    accounts.Insert(
        std::make_unique<TAccount>(TAccount{"Loop", "127.0.0.1", std::to_string(server_.port), "Main", {}, {}}));
    QVERIFY(SaveAccounts(Data("accounts.dat").toStdString(), accounts).ok);
    TOptionSetList sets;
    sets.AddNew("Default");
    sets.AddNew("Main").telnet = true;
    sets.At(1).features.scripts = true;
    QVERIFY(SaveOptionSets(Data("options.dat").toStdString(), sets).ok);
    QVERIFY(SaveSetFeatures(Data("features.dat").toStdString(), sets, {}).ok);
    Write("scripts/Main.lua", kScript);
  }

 private slots:
  void initTestCase() {
    for (const char* tool : {"openbox", "xdotool", "xprop"})
      QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(),
               qPrintable(QString(tool) + " is missing; tools/setup.sh installs it"));
    QVERIFY(QFile::copy(qEnvironmentVariable("OMBREL_PROGRAM", OMBREL_PROGRAM), dir_.filePath("ombrel")));
    wm_.start("openbox", {"--sm-disable"});
    QTRY_VERIFY_WITH_TIMEOUT(Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("0x"), 10000);
    QVERIFY(server_.port > 0);
  }
  void cleanupTestCase() {
    if (program_.state() != QProcess::NotRunning) program_.kill(), program_.waitForFinished();
    wm_.terminate(), wm_.waitForFinished();
  }

  void scriptAnswersTimesAndExpands() {
    Prepare();
    program_.start(dir_.filePath("ombrel"), {});
    Keys(Window("^Ombrel"), {"F2"});
    Keys(Window("^Connect$"), {"Return"});
    QVERIFY(QTest::qWaitFor([&] { return Run("xdotool", {"getactivewindow", "getwindowname"}).startsWith("Ombrel"); }));
    const QString main = Window("^Ombrel");
    Type(main, "spin");
    Type(main, "hello Bob");
    QTest::qWait(800);  // the timer's half second has passed
    // The greeting's letters are drawn in the highlight's green, and no
    // other text is.
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(main.toULongLong()).toImage();
    int left = shot.width(), right = -1;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) {
        const QColor c = shot.pixelColor(x, y);
        // Near #00e000 itself: the toolkit's own green logo is not.
        if (c.green() > 170 && c.red() < 40 && c.blue() < 40) left = std::min(left, x), right = std::max(right, x);
      }
    if (right < 0) QDir().mkpath(OMBREL_ARTIFACT_DIR), shot.save(OMBREL_ARTIFACT_DIR "/script_highlight.png");
    QVERIFY2(right >= 0, "no letter in the highlight's green; the window is in test-artifacts");
    QVERIFY2(right - left < shot.width() / 4, qPrintable(QString("green across %1 px").arg(right - left + 1)));
    Type(main, "cc Ann");
    // The alias's second command makes the script say quit; the server
    // closes and the program saves vars.
    QTRY_VERIFY_WITH_TIMEOUT(Read("scripts/Main.vars").contains("look = \"Ann\""), 10000);
    const QByteArray vars = Read("scripts/Main.vars");
    qInfo("vars saved: %s", vars.simplified().constData());
    QVERIFY2(vars.contains("reply = \"Bob\""), vars.constData());
    QVERIFY2(vars.contains("cast = \"Ann\""), vars.constData());
    QVERIFY2(vars.contains("spun = "), vars.constData());
    QVERIFY2(!vars.contains("leaked"), vars.constData());
    static const QRegularExpression clock("clock = (\\d+)");
    const int ms = clock.match(QString::fromUtf8(vars)).captured(1).toInt();
    QVERIFY2(ms >= 250 && ms <= 1500, vars.constData());
    Keys(main, {"alt+F4"});
    QVERIFY(program_.waitForFinished(10000));
  }
};

QTEST_MAIN(ScriptsDesktopTest)
#include "scripts_desktop_test.moc"
