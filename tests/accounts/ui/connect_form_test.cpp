#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "accounts/ui/connect_form.h"
#include "accounts/ui/new_thing_form.h"
#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "term/ui/qt_client_socket.h"
#include "term/ui/term_form.h"

using namespace ombrel;

class ConnectFormTest : public QObject {
  Q_OBJECT

  TOptionSetList sets;
  std::unique_ptr<QTemporaryDir> dataDir;
  std::unique_ptr<TmainForm> main;
  TnewThingForm* prompt = nullptr;
  TconnectForm* form = nullptr;
  QStringList messages;

  std::string AccountsFile() {
    std::ifstream in((dataDir->path() + "/accounts.dat").toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Answers the name prompt once it is up.
  void TypeName(const QString& name) {
    QTimer::singleShot(0, [this, name] {
      prompt->nameEdit->setText(name);
      prompt->okBtn->click();
    });
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
    sets.Clear();
    sets.AddNew("Default");
    sets.AddNew("Fight");
    dataDir = std::make_unique<QTemporaryDir>();
    messages.clear();
    main = std::make_unique<TmainForm>(sets, dataDir->path() + "/");
    main->message = [this](TmainForm::MessageKind, const QString& c, const QString& t) { messages << c + "|" + t; };
    main->SetModule(new TdModule(main.get()));
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    messages.clear();
    prompt = new TnewThingForm(main.get());
    form = new TconnectForm(main.get(), prompt);
    form->show();
    QApplication::processEvents();
  }
  void cleanup() {
    main.reset();
    dataDir.reset();
  }

  void addAsksForATrimmedNameAndShowsTheNewAccount() {
    TypeName("  Mud  ");
    form->AddBtn->click();
    QCOMPARE(form->accountLB->count(), 1);
    QCOMPARE(form->accountLB->currentItem()->text(), QString("Mud"));
    const QStringList shown{form->nameEdit->text(), form->serverEdit->text(),
                            form->portEdit->text(), form->optionsetCombo->currentText(),
                            form->commentMemo->toPlainText()};
    QCOMPARE(shown, (QStringList{"Mud", "Host Server Name", "23", "Default", "No Comments\n"}));
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
    TypeName("Home");
    form->AddBtn->click();
    form->portEdit->setText("4a0b0");
    // Enter closes the dialog: that focus change stores nothing.
    Leave(form->portEdit, Qt::ActiveWindowFocusReason);
    QCOMPARE(form->Accounts().At(0).port, std::string("23"));
    Leave(form->portEdit);
    QCOMPARE(form->portEdit->text(), QString("400"));
    QCOMPARE(form->Accounts().At(0).port, std::string("400"));
    form->portEdit->clear();
    Leave(form->portEdit);
    QCOMPARE(form->portEdit->text(), QString("23"));
    form->nameEdit->clear();
    Leave(form->nameEdit);
    QCOMPARE(form->accountLB->item(0)->text(), QString("Unnamed Account"));
    form->autoMemo->setPlainText("me\nsecret");
    Leave(form->autoMemo);
    QCOMPARE(form->Accounts().At(0).autoSend, (Lines{"me", "secret"}));
  }

  void deletingTheOnlyAccountWritesAnEmptyFileAndTheSelectionIsKept() {
    TypeName("Alpha");
    form->AddBtn->click();
    TypeName("Beta");
    form->AddBtn->click();
    Reopen();  // reloads the file and selects the same entry
    QCOMPARE(main->config.accountIndex, 1);
    QCOMPARE(form->accountLB->count(), 2);
    QCOMPARE(form->nameEdit->text(), QString("Beta"));

    QStringList asked;
    form->confirmDelete = [&](const QString& t) { return asked << t, asked.size() > 1; };
    form->deleteBtn->click();  // No
    QCOMPARE(form->accountLB->count(), 2);
    form->deleteBtn->click();  // Yes
    QCOMPARE(asked.last(), QString("Do you really want to delete account Beta?"));
    QCOMPARE(form->nameEdit->text(), QString("Alpha"));
    form->deleteBtn->click();
    QCOMPARE(form->accountLB->count(), 0);
    QVERIFY(form->nameEdit->text().isEmpty());
    Reopen();
    QCOMPARE(AccountsFile(), std::string());
    QCOMPARE(form->accountLB->currentRow(), -1);  // an index beyond the file selects nothing
  }

  void aFileReadOnlyInPartIsNotReplacedUnasked() {
    form->reject();
    const std::string damaged =
        "A\r\nhost\r\n23\r\nDefault\r\n0\r\n0\r\nB\r\nhost\r\n23\r\nDefault\r\nx\r\n0\r\n";
    std::ofstream((dataDir->path() + "/accounts.dat").toStdString(), std::ios::binary) << damaged;
    QStringList asked;
    form->confirmReplace = [&](const QString& t) { return asked << t, false; };
    form->show();
    QApplication::processEvents();
    QCOMPARE(form->accountLB->count(), 1);
    QCOMPARE(messages.last(), QString("Ombrel Error|'x' is not a valid integer value"));
    form->reject();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(AccountsFile(), damaged);
  }

  // The plan itself is tested in the core; here it reaches the terminal.
  void connectGivesTheTerminalItsSetCaptionAndTarget() {
    TtermForm* t = main->NewTerminal();
    QApplication::processEvents();
    TypeName("Arena");
    form->AddBtn->click();
    form->optionsetCombo->setCurrentIndex(1);
    form->serverEdit->setText("LOCALHOST");
    form->portEdit->setText("1");
    form->autoMemo->setPlainText("hero\npass");
    form->Connect();
    QCOMPARE(t->core().Options(), &sets.At(1));
    QCOMPARE(t->Caption(), QString("Arena"));
    QCOMPARE(t->core().autologin, std::string("hero\r\npass"));
    QCOMPARE(t->Connection().Host(), std::string("localhost"));
    QCOMPARE(t->Connection().Address(), std::string());
    QCOMPARE(t->Connection().Port(), 1);
    t->Connection().Close();

    form->serverEdit->setText("192.168.0.10");
    form->portEdit->setText("x");
    form->Connect();
    QCOMPARE(t->Connection().Address(), std::string("192.168.0.10"));
    QCOMPARE(messages, QStringList{"Ombrel|'x' is not a valid integer value"});
    QVERIFY(!t->Connected());
  }
};

QTEST_MAIN(ConnectFormTest)
#include "connect_form_test.moc"
