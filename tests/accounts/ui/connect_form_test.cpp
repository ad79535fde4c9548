#include <QTcpServer>
#include <QTcpSocket>

#include <fstream>

#include "accounts/ui/connect_form.h"
#include "accounts/ui/new_thing_form.h"
#include "term/ui/qt_client_socket.h"
#include "ui_helpers.h"

using namespace ombrel;

class ConnectFormTest : public QObject {
  Q_OBJECT

  testing::ProgramFixture p;
  TnewThingForm* prompt = nullptr;
  TconnectForm* form = nullptr;

  std::string AccountsFile() {
    std::ifstream in((p.DataDir() + "accounts.dat").toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Add(const QString& name) {
    QTimer::singleShot(0, [this, name] {
      prompt->nameEdit->setText(name);
      prompt->okBtn->click();
    });
    form->AddBtn->click();
  }
  // The focus leaves the field, by default as a click elsewhere in the dialog does.
  void Leave(QWidget* field, Qt::FocusReason why = Qt::MouseFocusReason) {
    QFocusEvent out(QEvent::FocusOut, why);
    QApplication::sendEvent(field, &out);
  }
  // Closes the dialog, which saves, and shows it again, which loads.
  void Reopen() {
    form->reject();
    form->show();
    QApplication::processEvents();
  }

 private slots:
  void init() {
    QVERIFY(p.Start());
    p.program->optionSets.AddNew("Fight");
    prompt = p.program->namePrompt, form = p.program->accounts;
    form->show();
    QApplication::processEvents();
  }
  void cleanup() { p.Stop(); }

  void addAsksForATrimmedNameAndShowsTheNewAccount() {
    Add("  Mud  ");
    QCOMPARE(form->nameEdit->text(), QString("Mud"));  // the shown fields: the next test's record
    // An empty name keeps the prompt open with its message.
    QStringList warned;
    prompt->warn = [&](const QString& t) { warned << t; };
    QTimer::singleShot(0, [&] {
      prompt->nameEdit->setText("   ");
      prompt->okBtn->click();
      QVERIFY(prompt->isVisible());
      prompt->cancelBtn->click();
    });
    form->AddBtn->click();
    QCOMPARE(warned, QStringList{"Please enter a name for the new account."});
    QCOMPARE(form->accountLB->count(), 1);
  }

  void fieldsAreStoredWhenTheUserLeavesThem() {
    Add("Home");
    form->portEdit->setText("4a0b0");
    // Enter closes the dialog: that focus change stores nothing.
    Leave(form->portEdit, Qt::ActiveWindowFocusReason);
    QCOMPARE(form->Accounts().At(0).port, std::string("23"));
    Leave(form->portEdit);
    QCOMPARE(form->portEdit->text(), QString("400"));
    form->portEdit->clear();
    form->nameEdit->clear();
    form->autoMemo->setPlainText("me\nsecret");
    for (QWidget* field : std::initializer_list<QWidget*>{form->portEdit, form->nameEdit, form->autoMemo}) Leave(field);
    QCOMPARE(form->accountLB->item(0)->text(), QString("Unnamed Account"));
    QVERIFY((form->Accounts().At(0) == TAccount{"Unnamed Account", "Host Server Name", "23", "Default",
                                                {"No Comments"}, {"me", "secret"}}));
  }

  void deletingTheOnlyAccountWritesAnEmptyFileAndTheSelectionIsKept() {
    Add("Alpha");
    Add("Beta");
    Reopen();  // reloads the file and selects the same entry
    QVERIFY(p.main->config.accountIndex == 1 && form->accountLB->count() == 2);
    QCOMPARE(form->nameEdit->text(), QString("Beta"));

    QStringList asked;
    form->confirmDelete = [&](const QString& t) { return asked << t, asked.size() > 1; };
    form->deleteBtn->click();  // No
    QCOMPARE(form->accountLB->count(), 2);
    form->deleteBtn->click();  // Yes
    QCOMPARE(asked.last(), QString("Do you really want to delete account Beta?"));
    QCOMPARE(form->nameEdit->text(), QString("Alpha"));
    form->deleteBtn->click();
    QVERIFY(form->accountLB->count() == 0 && form->nameEdit->text().isEmpty());
    Reopen();
    QVERIFY(AccountsFile().empty() && form->accountLB->currentRow() == -1);  // an index beyond the file selects nothing
  }

  void aFileReadOnlyInPartIsNotReplacedUnasked() {
    form->reject();
    const std::string damaged =
        "A\r\nhost\r\n23\r\nDefault\r\n0\r\n0\r\nB\r\nhost\r\n23\r\nDefault\r\nx\r\n0\r\n";
    std::ofstream((p.DataDir() + "accounts.dat").toStdString(), std::ios::binary) << damaged;
    QStringList asked;
    form->confirmReplace = [&](const QString& t) { return asked << t, false; };
    form->show();
    QApplication::processEvents();
    QCOMPARE(form->accountLB->count(), 1);
    QCOMPARE(p.messages.last(), QString("Ombrel Error|'x' is not a valid integer value"));
    form->reject();
    QVERIFY(asked.size() == 1 && AccountsFile() == damaged);
  }

  // The switch is kept in a file of its own, accounts.dat as without it, and
  // reaches the terminal's socket; a file that cannot be read is not
  // replaced unasked.
  void tlsSwitchIsKeptBesideTheAccounts() {
    Add("Home");
    Reopen();
    const std::string accounts = AccountsFile();
    form->tlsCheck->click();
    Reopen();
    QCOMPARE(AccountsFile(), accounts);
    QFile tls(p.DataDir() + "tls.dat");
    QVERIFY(form->tlsCheck->isChecked() && tls.open(QIODevice::ReadOnly) && tls.readAll() == "Home\t1\r\n");
    TtermForm* t = p.main->NewTerminal();
    form->Connect();
    QVERIFY(t->Connection().Tls());
    t->Connection().Close();
    QVERIFY(tls.remove() && QDir().mkdir(tls.fileName()));  // opens, but cannot be read
    QStringList asked;
    form->confirmReplace = [&](const QString& q) { return asked << q, false; };
    Reopen();
    // Not knowing whether the account was encrypted, it is: a password
    // never goes out in plain text because a file could not be read.
    QVERIFY(form->tlsCheck->isChecked());
    form->Connect();
    QVERIFY(t->Connection().Tls());
    t->Connection().Close();
    Reopen();
    // The message names the folder as it is called, not as Latin-1 would.
    QVERIFY(p.messages.last().contains(p.DataDir() + "tls.dat") && asked.size() == 1 && asked[0].contains("tls.dat could not"));
  }

  // Names need not be unique: the box shows the account's own switch, and
  // so it is saved. (Edits to other accounts of a name: the core's tests.)
  void tlsIsTheAccountsNotTheNames() {
    Add("Mud");
    form->tlsCheck->click();
    Add("Mud");  // selects the first of the name
    form->accountLB->setCurrentRow(1);
    QVERIFY(!form->tlsCheck->isChecked());
    Reopen();
    QVERIFY(form->Accounts().Count() == 2 && form->Accounts().At(0).tls && !form->Accounts().At(1).tls);
  }

  // The plan itself is tested in the core; here it reaches the terminal.
  void connectGivesTheTerminalItsSetCaptionAndTarget() {
    TtermForm* t = p.main->NewTerminal();
    QApplication::processEvents();
    Add("Arena");
    form->optionsetCombo->setCurrentIndex(1);
    form->serverEdit->setText("LOCALHOST");
    form->portEdit->setText("1");
    form->autoMemo->setPlainText("hero\npass");
    form->Connect();
    QCOMPARE(t->core().Options(), &p.program->optionSets.At(1));
    QCOMPARE(t->Caption().toStdString() + "|" + t->core().autologin, std::string("Arena|hero\r\npass"));
    t->Connection().Close();
    // A bad port stops before connecting. (A numeric address: the run on X.)
    form->portEdit->setText("x");
    form->Connect();
    QCOMPARE(p.messages.last(), QString("Ombrel|'x' is not a valid integer value"));
    QVERIFY(!t->Connected());
  }

  // Connecting a connected terminal elsewhere: its script's "connect"
  // handler greets the new server once, and never the one being left.
  void aScriptGreetsOnlyTheServerItConnectsTo() {
    QDir().mkpath(p.DataDir() + "scripts");
    std::ofstream((p.DataDir() + "scripts/Fight.lua").toStdString()) << R"(on("connect", function() sendRaw("hello") end))";
    p.program->optionSets.At(1).features.scripts = true;
    TtermForm* t = p.main->NewTerminal();
    QTcpServer left, next;
    QVERIFY(left.listen(QHostAddress::LocalHost) && next.listen(QHostAddress::LocalHost));
    QByteArray toLeft, toNext;
    auto record = [](QTcpServer& server, QByteArray& got) {
      QObject::connect(&server, &QTcpServer::newConnection, [&server, &got] {
        QTcpSocket* s = server.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, [s, &got] { got += s->readAll(); });
      });
    };
    record(left, toLeft), record(next, toNext);
    Add("Arena");
    form->optionsetCombo->setCurrentIndex(1);
    form->serverEdit->setText("127.0.0.1");
    form->portEdit->setText(QString::number(left.serverPort()));
    form->Connect();
    QTRY_COMPARE(toLeft, QByteArray("hello\r\n"));
    form->portEdit->setText(QString::number(next.serverPort()));
    form->Connect();
    QTRY_COMPARE(toNext, QByteArray("hello\r\n"));
    QTest::qWait(100);
    QCOMPARE(toLeft, QByteArray("hello\r\n"));
    t->Connection().Close();
  }
};

QTEST_MAIN(ConnectFormTest)
#include "connect_form_test.moc"
