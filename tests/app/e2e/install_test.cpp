// The program as cmake --install lays it out: what a desktop needs to list
// it, checked by the desktop's own validators, and the installed program
// keeping its settings in the player's folder when its own cannot hold them.
#include <QImage>
#include <QtTest>

namespace {

struct Result { int code = -1; QByteArray out, err; };

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
    // Each key again until its window is gone: one sent before the window
    // takes keys is lost. The first search waits for the window to show.
    for (const auto& [title, key] : {std::pair{"^Ombrel Warning$", "Return"}, {"^Ombrel($| - )", "alt+F4"}}) {
      for (int i = 0; i < 10; ++i, QTest::qWait(300)) {
        const QStringList sync = i == 0 ? QStringList{"--sync"} : QStringList{};
        const QStringList search = QStringList{"10", "xdotool", "search"} + sync + QStringList{"--onlyvisible", "--name", title};
        const QByteArray id = Run("timeout", search).out.split('\n').last();
        if (id.isEmpty()) break;
        Run("xdotool", {"windowactivate", "--sync", id, "key", "--clearmodifiers", key});
      }
    }
    const bool ended = (program.state() == QProcess::NotRunning || program.waitForFinished(10000)) &&
                       program.exitStatus() == QProcess::NormalExit;
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

  // The menu entry, metadata and manual are read by the validators below.
  void placesWhatADesktopLooksFor() {
    for (const QString& file : {"share/icons/hicolor/scalable/apps/" + kId + ".svg", QString("share/doc/ombrel/copyright"),
                                QString("share/doc/ombrel/changelog.gz")})
      QVERIFY2(QFile::exists(Prefix(file)), qPrintable(file));
    QVERIFY(QFileInfo(Program()).isExecutable());
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

  // Without a display, for scripts and packagers.
  void answersWithoutADisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    const Result version = Run(Program(), {"--version"}, env);
    QVERIFY2(version.code == 0 && version.out == "Ombrel " OMBREL_VERSION, version.out + version.err);
    const Result help = Run(Program(), {"--help"}, env);
    QVERIFY2(help.code == 0 && help.out.contains("--data DIR"), help.out);
  }

  // Its own folder read-only and no data/ in it: the settings go to the
  // player's folder, made on the first start, or to the one --data names.
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
    const QString chosen = dir_.filePath("chosen/zoë");
    QVERIFY(StartAndClose(env, {"--data", chosen}));
    QCOMPARE(QFileInfo(chosen + "/config.cfg").size(), 280);
    QVERIFY(!QFile::exists(Prefix("bin/data")));
  }
};

QTEST_MAIN(InstallTest)
#include "install_test.moc"
