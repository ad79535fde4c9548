// The account manager: edits accounts.dat and connects the current
// terminal to the chosen account.
#pragma once

#include <QDialog>
#include <functional>

#include "accounts/account.h"
#include "accounts/tls_switches.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace ombrel {

class AccountsOwner;
class TnewThingForm;

class TconnectForm : public QDialog {
  Q_OBJECT
 public:
  TconnectForm(AccountsOwner& owner, TnewThingForm* namePrompt, QWidget* parent);

  // The Accounts command: the dialog, then Connect when it closed with it.
  void Execute();
  void ShowAccount();
  void StoreAccount();
  void Connect();
  void AddBtnClick();
  void deleteBtnClick();

  const TAccountList& Accounts() const { return accounts_; }

  QListWidget* accountLB;
  QLineEdit *nameEdit, *serverEdit, *portEdit;
  QComboBox* optionsetCombo;
  QCheckBox* tlsCheck;
  QPlainTextEdit *autoMemo, *commentMemo;
  QPushButton *AddBtn, *deleteBtn, *closeBtn, *connectBtn;

  // The delete question, and the question before replacing a file that
  // could not be read; tests answer them.
  std::function<bool(const QString& text)> confirmDelete;
  std::function<bool(const QString& text)> confirmReplace;

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildFields();
  void BuildButtons();
  void WireSignals();
  void BindQuestions();
  QString AccountsPath() const;
  QString TlsPath() const;
  void FieldLeft(QObject* field);
  void Select(int index);

  AccountsOwner& owner_;
  TnewThingForm* namePrompt_;
  TAccountList accounts_;
  // tls.dat: the accounts that connect with TLS.
  TlsSwitches tls_;
  bool showing_ = false;  // filling the fields, not the user editing
  bool loadFailed_ = false;
  bool tlsLoadFailed_ = false;
};

}  // namespace ombrel
