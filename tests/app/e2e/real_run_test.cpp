// One real run of the whole program on an X server: add an account in the
// account manager, connect to the loopback test server, see its coloured
// banner on screen, type a command and read the answer. The last screen is
// saved as a test artifact.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "accounts/ui/connect_form.h"
#include "accounts/ui/new_thing_form.h"
#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "app/ui/program.h"
#include "options/options_file.h"
#include "term/ui/qt_paint.h"
#include "term/ui/term_form.h"

using namespace ombrel;

class RealRunTest : public QObject {
  Q_OBJECT

  static bool ImageHas(const QImage& img, Color c) {
    const QColor want = ToQColor(c);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixelColor(x, y) == want) return true;
    return false;
  }

 private slots:
  void addAnAccountConnectAndTalk() {
    QProcess server;
    server.start(OMBREL_MUD_TEST_SERVER, {"--port", "0", "--once", "--timeout", "60"});
    QVERIFY(server.waitForReadyRead(5000));
    const QString port = QString(server.readLine()).section(' ', 1).trimmed();

    QTemporaryDir dataDir;
    {
      // A player's set: colours and telnet on.
      TOptionSetList sets;
      TOptions& o = sets.AddNew("Default");
      o.ansi = true;
      o.telnet = o.telnetinit = o.telopnaws = true;
      QVERIFY(SaveOptionSets((dataDir.path() + "/options.dat").toStdString(), sets).ok);
    }
    Program program(dataDir.path() + "/");
    QStringList messages;
    program.mainForm->message = [&](TmainForm::MessageKind, const QString& c, const QString& t) {
      messages << c + "|" + t;
    };
    program.Start();
    TmainForm& main = *program.mainForm;
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCOMPARE(messages, QStringList{"Ombrel Warning|Failed to read config file."});  // the first start
    main.resize(900, 650);
    TtermForm* term = main.CurrentTerminal();
    QTRY_VERIFY(term);
    term->subWindow->showMaximized();

    // The account manager is modal: it is driven from inside its own loop.
    TconnectForm* accounts = program.accounts;
    bool drove = false;
    QTimer::singleShot(100, [&] {
      QTimer::singleShot(100, [&] {
        QTest::keyClicks(program.namePrompt->nameEdit, "  Test MUD ");
        QTest::mouseClick(program.namePrompt->okBtn, Qt::LeftButton);
      });
      QTest::mouseClick(accounts->AddBtn, Qt::LeftButton);
      accounts->serverEdit->setFocus();
      accounts->serverEdit->selectAll();
      QTest::keyClicks(accounts->serverEdit, "127.0.0.1");
      accounts->portEdit->setFocus();
      accounts->portEdit->selectAll();
      QTest::keyClicks(accounts->portEdit, port);
      accounts->autoMemo->setFocus();  // leaving the port stores it
      drove = true;
      QTest::mouseClick(accounts->connectBtn, Qt::LeftButton);
    });
    program.module->action(ActionId::aAccounts)->trigger();
    QVERIFY(drove);
    QCOMPARE(term->Caption(), QString("Test MUD"));

    auto has = [term](const std::string& part) {
      const LineStore& s = term->core().Store();
      for (int i = 0; i <= s.curline; ++i)
        if (s.Line(i).text.find(part) != std::string::npos) return true;
      return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(has("Welcome to"), 10000);
    QVERIFY(has("Connecting to 127.0.0.1:" + port.toStdString()));
    // The banner on screen in its colours: bold yellow and bold green.
    const AnsiMap& map = term->core().Options()->ansimap;
    QTRY_VERIFY_WITH_TIMEOUT(ImageHas(term->grab().toImage(), map[11]), 5000);
    QVERIFY(ImageHas(term->grab().toImage(), map[10]));

    term->cmdEdit->setFocus();
    QTest::keyClicks(term->cmdEdit, "look at the chest");
    QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(has("You said: look at the chest"), 10000);

    QDir().mkpath(OMBREL_ARTIFACT_DIR);
    QApplication::processEvents();
    QVERIFY(main.grab().save(QString(OMBREL_ARTIFACT_DIR) + "/real_run.png"));
    QVERIFY(QFile::exists(dataDir.path() + "/accounts.dat"));
    term->Disconnect();
    server.kill();
    server.waitForFinished();
  }
};

QTEST_MAIN(RealRunTest)
#include "real_run_test.moc"
