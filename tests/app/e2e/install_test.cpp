// The program as cmake --install lays it out: what a desktop needs to list
// it, checked by the desktop's own validators, and the installed program
// keeping its settings in the player's folder when its own cannot hold them.
#include <QImage>
#include <QtTest>

namespace {

struct Result {
  int code = -1;
  QByteArray out, err;
};

// A tool's exit code and output; one that hangs is stopped after a minute.
Result Run(const QString& tool, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(tool, args);
  if (!p.waitForFinished(60000)) p.kill(), p.waitForFinished();
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput().trimmed(),
          p.readAllStandardError().trimmed()};
}

const QString kId = OMBREL_APP_ID;

}  // namespace

class InstallTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QProcess wm_;
  QString Prefix(const QString& path = "") const { return dir_.filePath("prefix/" + path); }
  QString Program() const { return Prefix("bin/ombrel"); }

  // The installed program on a desktop of its own with a home of its own;
  // closed at once with Alt+F4 (the first start's warning answered first).
  bool StartAndClose(const QProcessEnvironment& env, const QStringList& args = {}) {
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(Program(), args);
    const auto window = [](const QString& title) {
      QByteArray id;
      (void)QTest::qWaitFor([&] {
        id = Run("xdotool", {"search", "--onlyvisible", "--name", title}).out.split('\n').last();
        return !id.isEmpty();
      }, 10000);
      return QString(id);
    };
    const auto keys = [](const QString& window, const QString& key) {
      Run("xdotool", {"windowactivate", "--sync", window, "key", "--clearmodifiers", key});
    };
    keys(window("^Ombrel Warning$"), "Return");
    keys(window("^Ombrel($| - )"), "alt+F4");
    const bool ended = program.waitForFinished(10000) && program.exitStatus() == QProcess::NormalExit;
    if (!ended) program.kill(), program.waitForFinished();
    return ended;
  }

 private slots:
  void initTestCase() {
    for (const char* tool : {"openbox", "xdotool", "desktop-file-validate", "appstreamcli", "rsvg-convert", "man"})
      QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(),
               qPrintable(QString(tool) + " is missing; tools/setup.sh installs it"));
    const Result install = Run(CMAKE_COMMAND, {"--install", OMBREL_BUILD_DIR, "--prefix", Prefix()});
    QVERIFY2(install.code == 0, install.out + install.err);
  }
  void cleanupTestCase() {
    QFile::setPermissions(Prefix("bin"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    wm_.terminate(), wm_.waitForFinished();
  }

  void placesWhatADesktopLooksFor() {
    for (const QString& file : QStringList{"bin/ombrel", "share/applications/" + kId + ".desktop",
                                "share/metainfo/" + kId + ".metainfo.xml",
                                "share/icons/hicolor/scalable/apps/" + kId + ".svg",
                                "share/icons/hicolor/256x256/apps/" + kId + ".png", "share/man/man1/ombrel.1.gz",
                                "share/doc/ombrel/copyright", "share/doc/ombrel/changelog.gz"})
      QVERIFY2(QFile::exists(Prefix(file)), qPrintable(file));
    QVERIFY(QFileInfo(Prefix("bin/ombrel")).isExecutable());
    QCOMPARE(QImage(Prefix("share/icons/hicolor/256x256/apps/" + kId + ".png")).size(), QSize(256, 256));
    const Result icon = Run(OMBREL_SOURCE_DIR "/tools/icon.sh", {"--check"});
    QVERIFY2(icon.code == 0, icon.err);
  }

  // Clean means nothing said at all, not even a hint.
  void validatorsFindNothing() {
    const Result desktop = Run("desktop-file-validate", {Prefix("share/applications/" + kId + ".desktop")});
    QVERIFY2(desktop.code == 0 && (desktop.out + desktop.err).isEmpty(), desktop.out + desktop.err);
    const Result meta = Run("appstreamcli", {"validate", "--no-net", "--explain", Prefix("share/metainfo/" + kId + ".metainfo.xml")});
    static const QRegularExpression issue("^[EWI]: ", QRegularExpression::MultilineOption);
    QVERIFY2(meta.code == 0 && !issue.match(meta.out + "\n" + meta.err).hasMatch(), meta.out + meta.err);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8"), env.insert("MANWIDTH", "80");
    const Result man = Run("man", {"--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", Prefix("share/man/man1/ombrel.1.gz")}, env);
    QVERIFY2(man.code == 0 && man.err.isEmpty(), man.err);
  }

  // Without a display, for scripts and packagers; the version is the one the metadata release names.
  void answersWithoutADisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    const Result version = Run(Program(), {"--version"}, env);
    QCOMPARE(version.code, 0);
    QCOMPARE(version.out, QByteArray("Ombrel " OMBREL_VERSION));
    QFile meta(Prefix("share/metainfo/" + kId + ".metainfo.xml"));
    QVERIFY(meta.open(QIODevice::ReadOnly) && meta.readAll().contains("version=\"" OMBREL_VERSION "\""));
    const Result help = Run(Program(), {"--data", "/nowhere", "--help"}, env);
    QVERIFY2(help.code == 0 && help.out.contains("--data DIR") && help.out.contains(".config/ombrel"), help.out);
    const Result bad = Run(Program(), {"--data"}, env);
    QVERIFY2(bad.code == 2 && bad.err.contains("--data"), bad.err);
  }

  // Its own folder read-only and nothing beside it: the settings go to the
  // player's configuration folder, made on the first start; --data chooses
  // another one; nothing is written beside the program.
  void keepsSettingsInThePlayersFolder() {
    wm_.start("openbox", {"--sm-disable"});
    QVERIFY(QTest::qWaitFor([] { return Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).out.contains("0x"); }, 10000));
    QVERIFY(QFile::setPermissions(Prefix("bin"), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                     QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QString home = dir_.filePath("home");
    QVERIFY(QDir().mkpath(home));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home), env.remove("XDG_CONFIG_HOME");
    QVERIFY(StartAndClose(env));
    QCOMPARE(QFileInfo(home + "/.config/ombrel/config.cfg").size(), 280);
    QCOMPARE(int(QFileInfo(home + "/.config/ombrel").permissions() & 0x0077), 0);  // the player's own
    const QString chosen = dir_.filePath("chosen/zoë");
    QVERIFY(StartAndClose(env, {"--data", chosen}));
    QCOMPARE(QFileInfo(chosen + "/config.cfg").size(), 280);
    QVERIFY(!QFile::exists(Prefix("bin/data")));
  }
};

QTEST_MAIN(InstallTest)
#include "install_test.moc"
