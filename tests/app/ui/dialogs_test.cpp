#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "app/ui/about_form.h"
#include "app/ui/d_module.h"
#include "app/ui/find_form.h"
#include "app/ui/main_form.h"
#include "app/ui/param_form.h"
#include "telnet/ui/telnet_form.h"
#include "term/term_fakes.h"
#include "term/ui/term_form.h"

#include "ui_helpers.h"

using namespace ombrel;

class DialogsTest : public QObject {
  Q_OBJECT

  TOptionSetList sets;
  QTemporaryDir dataDir;
  std::unique_ptr<TmainForm> main;
  TdModule* module = nullptr;
  TtelnetForm* console = nullptr;
  TfindForm* find = nullptr;
  testing::RecordingSocket socket;

  QStringList Row(int row) {
    QTreeWidgetItem* item = console->statusLV->topLevelItem(row);
    return {item->text(0), item->text(1), item->text(2)};
  }
  void Activate(TtermForm* t) { testing::ActivateTerminal(*main, t); }

 private slots:
  void init() {
    sets.Clear();
    TOptions& o = sets.AddNew("Default");
    o.telnet = o.telnetinit = o.telopnaws = true;
    main = std::make_unique<TmainForm>(sets, dataDir.path() + "/");
    main->message = [](TmainForm::MessageKind, const QString&, const QString&) {};
    module = new TdModule(main.get());
    main->SetModule(module);
    console = new TtelnetForm(main.get(), module);
    find = new TfindForm(main.get(), module);
    module->showConsole = [this](bool shown) { console->setVisible(shown); };
    module->showConsoleLog = [this](bool expand) { expand ? console->Expand() : console->Collapse(); };
    main->telnetLog = [this](TtermForm* t, const std::string& text) { console->TelnetLog(t, text); };
    module->findInBuf = [this] { find->Find(); };
    module->findNext = [this] { find->FindNextMatch(); };
    main->refreshFind = [this] { find->Refresh(); };
    main->resize(800, 600);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    socket.active = true;
    socket.writes.clear();
  }
  void cleanup() {
    for (TtermForm* t : main->Terminals()) t->SetSocket(nullptr);
    main.reset();
  }

  void consoleFollowsTheNegotiationOfTheActiveTerminal() {
    TtermForm* t = main->NewTerminal();
    Activate(t);
    t->SetSocket(&socket);
    t->core().clientsocketConnect();  // logged while the console is hidden
    module->action(ActionId::aTelnetConsole)->trigger();
    QVERIFY(console->isVisible());
    QVERIFY(console->logMemo->toPlainText().contains("WILL NAWS Sent"));
    QCOMPARE(Row(0), (QStringList{"NAWS", "wantyes", "no"}));
    QCOMPARE(Row(1), (QStringList{"Linemode", "no", "no"}));
    t->core().WriteText("\xff\xfd\x1f", true);  // DO NAWS
    QCOMPARE(Row(0), (QStringList{"NAWS", "yes", "no"}));
    QVERIFY(console->logMemo->toPlainText().contains("DO NAWS Received"));
    QVERIFY(console->logMemo->toPlainText().contains("SB NAWS Sent ("));
    QCOMPARE(Row(1), (QStringList{"Linemode", "no", "no"}));
    // Disconnected: the rows are emptied when the console is shown again.
    socket.active = false;
    console->hide();
    console->show();
    QCOMPARE(Row(0), (QStringList{"NAWS", "", ""}));
  }

  void consoleCloseBoxAndLogBox() {
    module->action(ActionId::aTelnetConsole)->trigger();
    QVERIFY(module->action(ActionId::aTelnetConsole)->isChecked());
    const int collapsed = console->height();
    QCOMPARE(collapsed, 100);
    QTest::mouseClick(console->CheckBox1, Qt::LeftButton);
    QVERIFY(module->action(ActionId::aLog)->isChecked());
    QVERIFY(console->CheckBox1->isChecked());
    QCOMPARE(console->height(), 200);
    QTest::mouseClick(console->CheckBox1, Qt::LeftButton);
    QVERIFY(!console->CheckBox1->isChecked());
    QCOMPARE(console->height(), collapsed);
    QCOMPARE(console->maximumHeight(), collapsed);
    console->close();
    QVERIFY(!module->action(ActionId::aTelnetConsole)->isChecked());
  }

  void findFollowsTheCurrentTerminal() {
    TtermForm* a = main->NewTerminal();
    TtermForm* b = main->NewTerminal();
    a->core().WriteText("the Hall of kings\r\n", true);
    Activate(a);
    module->action(ActionId::aFindInBuf)->trigger();  // shows the dialog only
    QVERIFY(find->isVisible());
    QVERIFY(!find->selectionCB->isEnabled());
    QVERIFY(!find->selectionCB->isChecked());
    QVERIFY(!find->nextBtn->isEnabled());
    QTest::keyClicks(find->searchEdit, "hall");
    QTest::mouseClick(find->findBtn, Qt::LeftButton);
    QCOMPARE(a->GetSelectedText(), std::string("Hall"));
    QVERIFY(find->nextBtn->isEnabled());
    QVERIFY(find->selectionCB->isEnabled());
    // Typing after a successful search: Find Next waits for the next Find.
    QTest::keyClick(find->searchEdit, Qt::Key_Backspace);
    QVERIFY(!find->nextBtn->isEnabled());
    QVERIFY(!a->view().findactive);
    // Another terminal brings its own search text.
    Activate(b);
    QCOMPARE(find->searchEdit->text(), QString());
    Activate(a);
    QCOMPARE(find->searchEdit->text(), QString("hall"));
    // Closing every terminal leaves an empty, disabled dialog.
    a->subWindow->close();
    b->subWindow->close();
    QCoreApplication::processEvents();
    QVERIFY(!find->searchEdit->isEnabled());
    QVERIFY(find->searchEdit->text().isEmpty());
    QVERIFY(!module->action(ActionId::aFindInBuf)->isEnabled());
    QVERIFY(!module->action(ActionId::aFindNext)->isEnabled());
    // Closed, then a new terminal: Find opens the dialog again.
    find->close();
    Activate(main->NewTerminal());
    QVERIFY(module->action(ActionId::aFindInBuf)->isEnabled());
    QVERIFY(!module->action(ActionId::aFindNext)->isEnabled());
    module->action(ActionId::aFindInBuf)->trigger();
    QVERIFY(find->isVisible());
  }

  void parameterPromptAsksInLowerCaseAndAboutOpensItsAddresses() {
    TparamForm param(main.get());
    QTimer::singleShot(0, [&param] {
      QCOMPARE(param.identLabel->text(), QString("target"));
      QTest::keyClicks(param.valEdit, "orc");
      param.okBtn->click();
    });
    QCOMPARE(param.Ask("Target"), std::string("orc"));

    TaboutForm about(main.get());
    QList<QUrl> opened;
    about.openUrl = [&](const QUrl& u) { opened << u; };
    about.show();
    QTest::mouseClick(about.mailLabel, Qt::LeftButton);
    QTest::mouseClick(about.webLabel, Qt::LeftButton);
    QCOMPARE(opened, (QList<QUrl>{QUrl(QString("mailto:") + TaboutForm::kMail), QUrl(TaboutForm::kWeb)}));
  }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
