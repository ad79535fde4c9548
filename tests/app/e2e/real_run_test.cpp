// The whole program on an X server: add an account, connect to the loopback
// test server, see its banner in colour, talk; the last screen is kept.
#include "accounts/ui/connect_form.h"
#include "accounts/ui/new_thing_form.h"
#include "options/options_file.h"
#include "term/term_fakes.h"
#include "term/ui/qt_paint.h"
#include "ui_helpers.h"

using namespace ombrel;

class RealRunTest : public QObject {
  Q_OBJECT

 private slots:
  void addAnAccountConnectAndTalk() {
    QProcess server;
    server.start(OMBREL_MUD_TEST_SERVER, {"--port", "0", "--once", "--timeout", "60"});
    QVERIFY(server.waitForReadyRead(5000));
    const QString port = QString(server.readLine()).section(' ', 1).trimmed();
    QTemporaryDir dataDir;
    TOptionSetList sets;  // a player's set: colours and telnet on
    TOptions& o = sets.AddNew("Default");
    o.ansi = o.telnet = o.telnetinit = o.telopnaws = true;
    QVERIFY(SaveOptionSets((dataDir.path() + "/options.dat").toStdString(), sets).ok);

    Program program(dataDir.path() + "/");
    QStringList messages;
    testing::RecordMessages(*program.mainForm, messages);
    program.Start();
    TmainForm& main = *program.mainForm;
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCOMPARE(messages, QStringList{"Ombrel Warning|Failed to read config file."});  // the first start
    main.resize(900, 650);
    TtermForm* term = main.CurrentTerminal();  // the first one, opened at start
    term->subWindow->showMaximized();

    // The account manager is modal: it is driven from inside its own loop.
    TconnectForm* accounts = program.accounts;
    auto type = [](QLineEdit* edit, const QString& text) {
      edit->setFocus(), edit->selectAll(), QTest::keyClicks(edit, text);
    };
    bool drove = false;
    QTimer::singleShot(100, [&] {
      QTimer::singleShot(100, [&] {
        QTest::keyClicks(program.namePrompt->nameEdit, "  Test MUD ");
        QTest::mouseClick(program.namePrompt->okBtn, Qt::LeftButton);
      });
      QTest::mouseClick(accounts->AddBtn, Qt::LeftButton);
      type(accounts->serverEdit, "127.0.0.1");
      type(accounts->portEdit, port);
      accounts->autoMemo->setFocus();  // leaving the port stores it
      drove = true;
      QTest::mouseClick(accounts->connectBtn, Qt::LeftButton);
    });
    program.module->action(ActionId::aAccounts)->trigger();
    QVERIFY(drove);
    QCOMPARE(term->Caption(), QString("Test MUD"));

    auto has = [term](const std::string& part) {
      return testing::DumpStore(term->core().Store()).find(part) != std::string::npos;
    };
    QTRY_VERIFY_WITH_TIMEOUT(has("Welcome to"), 10000);
    // The banner on screen in bold yellow: the set with colours on was loaded.
    auto shown = [term](int colour) {
      const QImage img = term->grab().toImage().convertToFormat(QImage::Format_RGB32);
      const auto* px = reinterpret_cast<const QRgb*>(img.constBits());
      const auto* end = px + img.width() * img.height();
      return std::find(px, end, ToQColor(term->core().Options()->ansimap[colour]).rgb()) != end;
    };
    QTRY_VERIFY_WITH_TIMEOUT(shown(11), 5000);

    type(term->cmdEdit, "look at the chest");
    QTest::keyClick(term->cmdEdit, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(has("You said: look at the chest"), 10000);
    QDir().mkpath(OMBREL_ARTIFACT_DIR);
    QApplication::processEvents();
    QVERIFY(main.grab().save(QString(OMBREL_ARTIFACT_DIR) + "/real_run.png"));
    term->Disconnect();  // the server process is killed with its QProcess
  }
};

QTEST_MAIN(RealRunTest)
#include "real_run_test.moc"
