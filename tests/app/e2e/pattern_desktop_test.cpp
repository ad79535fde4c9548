// Pattern triggers in the real program against the loopback test server:
// a regular expression's capture comes back in the reply, a gagged line is
// not on the screen, and a highlight's colour is on the painted cells.
#include <QtGui>
#include <QtTest>

#include "accounts/accounts_file.h"
#include "app/config_record.h"
#include "options/features_file.h"
#include "options/options_file.h"
#include "patterns/patterns_file.h"

#include "desktop_tools.h"
#include "test_server.h"

using namespace ombrel;
using namespace ombrel::testing;

namespace {

constexpr Color kHighlight = 0x00C000;  // green, 0x00BBGGRR

TTrigger Trigger(const std::string& name, TriggerKind kind, const std::string& string) {
  TTrigger t;
  t.name = name;
  t.string = string;
  t.pattern.kind = kind;
  return t;
}

}  // namespace

class PatternDesktopTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QProcess wm_, program_;

  QString Data(const QString& name) const { return dir_.filePath("data/" + name); }


  // The set "Default" with the switch on: a reply from a capture, a gag of
  // a whole line and a highlight of a match.
  void Prepare(int port) {
    TConfigRecord config{100, 100, 700, 500, 0, 0, 1, ""};
    QVERIFY(WriteConfigFile(Data("config.cfg").toStdString(), config).ok);
    TAccountList accounts;
    accounts.Insert(std::make_unique<TAccount>(TAccount{"Loop", "127.0.0.1", std::to_string(port), "Default", {}, {}}));
    QVERIFY(SaveAccounts(Data("accounts.dat").toStdString(), accounts).ok);
    TOptionSetList sets;
    TOptions& set = sets.AddNew("Default");
    set.features.patterns = true;
    TTrigger tell = Trigger("tell", TriggerKind::regex, "^(\\w+) tells you '(.*)'$");
    tell.textenabled = true;
    tell.text = {"reply %1 %2"};
    TTrigger gag = Trigger("gag", TriggerKind::wholeline, "spam spam spam");
    gag.pattern.gag = true;
    TTrigger orc = Trigger("orc", TriggerKind::regex, "(?<=^An )orc");
    orc.pattern.highlight = HighlightScope::match;
    orc.pattern.bgcolor = kHighlight;
    set.triggers = {tell, gag, orc};
    QVERIFY(SaveOptionSets(Data("options.dat").toStdString(), sets).ok);
    QVERIFY(SaveSetFeatures(Data("features.dat").toStdString(), sets, {}).ok);
    QVERIFY(SaveSetPatterns(Data("patterns.dat").toStdString(), sets, {}).ok);
  }

  void Type(const QString& window, const QString& line) {
    Run("xdotool", {"windowactivate", "--sync", window, "type", "--delay", "2", line});
    Run("xdotool", {"key", "Return"});
  }

  // The terminal's text, as Select All and Copy give it.
  QByteArray ScreenText(const QString& window) {
    Run("xdotool", {"windowactivate", "--sync", window, "key", "--clearmodifiers", "ctrl+a", "ctrl+c"});
    return Run("xclip", {"-selection", "clipboard", "-o"});
  }
  // The terminal's text once it holds `needle`, or as it was after ten seconds.
  QByteArray WaitForText(const QString& window, const QByteArray& needle) {
    QByteArray text;
    QElapsedTimer timer;
    timer.start();
    while (!(text = ScreenText(window)).contains(needle) && timer.elapsed() < 10000) QTest::qWait(300);
    return text;
  }

 private slots:
  void initTestCase() {
    for (const char* tool : {"openbox", "xdotool", "xclip"})
      QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), tool);
    QVERIFY(QFile::copy(qEnvironmentVariable("OMBREL_PROGRAM", OMBREL_PROGRAM), dir_.filePath("ombrel")));
    wm_.start("openbox", {"--sm-disable"});
    QTRY_VERIFY_WITH_TIMEOUT(Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("0x"), 10000);
  }
  void cleanupTestCase() {
    if (program_.state() != QProcess::NotRunning) program_.kill(), program_.waitForFinished();
    wm_.terminate(), wm_.waitForFinished();
  }

  void captureGagAndHighlight() {
    TestServer server({"--no-do"});
    QVERIFY(server.port > 0);
    Prepare(server.port);
    program_.start(dir_.filePath("ombrel"), {});
    const QString main = Window("^Ombrel");
    QVERIFY(!main.isEmpty());
    Run("xdotool", {"windowactivate", "--sync", main, "key", "F2"});
    Run("xdotool", {"windowactivate", "--sync", Window("^Connect$"), "key", "Return"});
    QByteArray text = WaitForText(main, "Connection established");
    QVERIFY2(text.contains("Connection established"), text.constData());

    Type(main, "split 0 Bob tells you 'hello there'");
    Type(main, "split 0 spam spam spam");
    Type(main, "split 0 An orc arrives.");
    // The server repeats what it got: the reply, captures filled.
    text = WaitForText(main, "An orc arrives.\n");
    text = WaitForText(main, "You said: reply Bob hello there");
    QVERIFY2(text.contains("You said: reply Bob hello there"), text.constData());
    const QList<QByteArray> lines = text.split('\n');
    QVERIFY2(text.contains("You said: split 0 spam spam spam"), text.constData());
    for (QByteArray line : lines) QVERIFY2(line.trimmed() != "spam spam spam", text.constData());

    // Only the three cells of "orc" are painted in the highlight's background
    // (once a click has ended the selection Select All made).
    Run("xdotool", {"mousemove", "--window", main, "300", "400", "click", "1"});
    QTest::qWait(500);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(main.toULongLong()).toImage();
    const QRgb green = qRgb(0x00, 0xC0, 0x00);
    int left = shot.width(), right = -1;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        if (shot.pixel(x, y) == green) left = std::min(left, x), right = std::max(right, x);
    if (right < 0) QDir().mkpath(OMBREL_ARTIFACT_DIR), shot.save(OMBREL_ARTIFACT_DIR "/pattern_highlight.png");
    QVERIFY2(right >= 0, "no cell in the highlight's colour; the window is in test-artifacts");
    QVERIFY2(right - left < shot.width() / 10, qPrintable(QString("highlight %1 px wide").arg(right - left + 1)));
  }
};

QTEST_MAIN(PatternDesktopTest)
#include "pattern_desktop_test.moc"
