#include "app/ui/about_form.h"
#include "app/ui/find_form.h"
#include "app/ui/param_form.h"
#include "telnet/ui/telnet_form.h"
#include "term/term_fakes.h"
#include "ui_helpers.h"

using namespace ombrel;

class DialogsTest : public QObject, testing::ProgramFixture {
  Q_OBJECT

  testing::RecordingSocket socket;

  // The console's first two option rows, their columns joined by '|'.
  QStringList Rows() {
    QStringList rows;
    for (auto* list = program->console->statusLV; auto* row : {list->topLevelItem(0), list->topLevelItem(1)})
      rows << row->text(0) + "|" + row->text(1) + "|" + row->text(2);
    return rows;
  }

 private slots:
  void init() {
    QVERIFY(Start());
    TOptions& o = program->optionSets.At(0);
    o.telnet = o.telnetinit = o.telopnaws = true;
    socket.active = true;
  }
  void cleanup() { Stop(); }

  void consoleFollowsTheNegotiationOfTheActiveTerminalAndFoldsItsLog() {
    TtelnetForm* console = program->console;
    TtermForm* t = main->NewTerminal();
    Activate(t);
    t->SetSocket(&socket);
    t->core().clientsocketConnect();  // logged while the console is hidden
    Action(ActionId::aTelnetConsole)->trigger();
    QVERIFY(console->isVisible() && Action(ActionId::aTelnetConsole)->isChecked());
    QVERIFY(console->logMemo->toPlainText().contains("WILL NAWS Sent"));  // the texts: the telnet tests
    for (int i = 0; i <= TtelnetForm::kLogLines; ++i) console->TelnetLog(t, "line " + std::to_string(i));
    QVERIFY(console->logMemo->blockCount() == TtelnetForm::kLogLines &&
            console->logMemo->toPlainText().startsWith("line 1\n"));
    QCOMPARE(Rows(), (QStringList{"NAWS|wantyes|no", "Linemode|no|no"}));
    t->core().WriteText("\xff\xfd\x1f", true);  // DO NAWS
    QCOMPARE(Rows(), (QStringList{"NAWS|yes|no", "Linemode|no|no"}));
    // Disconnected: the rows are emptied when the console is shown again.
    socket.active = false;
    console->hide(), console->show();
    QCOMPARE(Rows().first(), QString("NAWS||"));
    // The log box unfolds the log, the close box unchecks the menu entry.
    QCOMPARE(console->height(), 100);
    QTest::mouseClick(console->CheckBox1, Qt::LeftButton);
    QVERIFY(Action(ActionId::aLog)->isChecked() && console->CheckBox1->isChecked() && console->height() == 200);
    QTest::mouseClick(console->CheckBox1, Qt::LeftButton);
    QVERIFY(console->height() == 100 && console->maximumHeight() == 100);
    console->close();
    QVERIFY(!Action(ActionId::aTelnetConsole)->isChecked());
  }

  void findFollowsTheCurrentTerminalThenThePromptAndAboutAnswer() {
    TfindForm* find = program->find;
    TtermForm *a = main->NewTerminal(), *b = main->NewTerminal();
    a->core().WriteText("the Hall of kings\r\n", true);
    Activate(a);
    Action(ActionId::aFindInBuf)->trigger();  // shows the dialog only
    QVERIFY(find->isVisible() && !find->nextBtn->isEnabled() && !find->selectionCB->isEnabled());
    QTest::keyClicks(find->searchEdit, "hall");
    QTest::mouseClick(find->findBtn, Qt::LeftButton);
    QCOMPARE(a->GetSelectedText(), std::string("Hall"));
    QVERIFY(find->nextBtn->isEnabled() && find->selectionCB->isEnabled());
    // Typing after a successful search: Find Next waits for the next Find.
    QTest::keyClick(find->searchEdit, Qt::Key_Backspace);
    QVERIFY(!find->nextBtn->isEnabled() && !a->view().findactive);
    // Another terminal brings its own search text.
    Activate(b);
    QCOMPARE(find->searchEdit->text(), QString());
    Activate(a);
    QCOMPARE(find->searchEdit->text(), QString("hall"));
    // Closing every terminal leaves an empty, disabled dialog.
    a->subWindow->close(), b->subWindow->close();
    QCoreApplication::processEvents();
    QVERIFY(!find->searchEdit->isEnabled() && find->searchEdit->text().isEmpty());
    QVERIFY(!Action(ActionId::aFindInBuf)->isEnabled() && !Action(ActionId::aFindNext)->isEnabled());
    // Closed, then a new terminal: Find is offered again.
    find->close();
    Activate(main->NewTerminal());
    QVERIFY(Action(ActionId::aFindInBuf)->isEnabled() && !Action(ActionId::aFindNext)->isEnabled());
    QTimer::singleShot(0, [param = program->param] {  // the prompt asks in lower case
      QCOMPARE(param->identLabel->text(), QString("target"));
      QTest::keyClicks(param->valEdit, "orc");
      param->okBtn->click();
    });
    QCOMPARE(main->askParam("Target"), std::string("orc"));
    TaboutForm* about = program->about;
    QList<QUrl> opened;
    about->openUrl = [&](const QUrl& u) { opened << u; };
    about->show();
    QTest::mouseClick(about->mailLabel, Qt::LeftButton);
    QTest::mouseClick(about->webLabel, Qt::LeftButton);
    QCOMPARE(opened, (QList<QUrl>{QUrl(QString("mailto:") + TaboutForm::kMail), QUrl(TaboutForm::kWeb)}));
  }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
