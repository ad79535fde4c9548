#include "accounts/ui/connect_form.h"
#include "util/ui/byte_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "accounts/accounts_file.h"
#include "accounts/connect_steps.h"
#include "accounts/ui/accounts_owner.h"
#include "accounts/ui/new_thing_form.h"
#include "options/options.h"
#include "util/digits.h"
#include "term/ui/qt_client_socket.h"
#include "term/ui/term_form.h"
#include "util/ui/file_name.h"

namespace ombrel {

namespace {

QString Q(const std::string& s) { return FromBytes(s); }
std::string S(const QString& s) { return ToBytes(s); }

// A memo shows lines; the account keeps them CR LF separated.
std::string MemoText(const QPlainTextEdit* memo) { return S(memo->toPlainText().replace("\n", "\r\n")); }
void SetMemoText(QPlainTextEdit* memo, const std::string& text) {
  memo->setPlainText(Q(text).replace("\r\n", "\n"));
}

}  // namespace

TconnectForm::TconnectForm(AccountsOwner& owner, TnewThingForm* namePrompt, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), owner_(owner), namePrompt_(namePrompt) {
  setWindowTitle("Connect");
  setModal(true);
  setFixedSize(439, 347);
  BuildFields();
  BuildButtons();
  QWidget* order[] = {accountLB, nameEdit, serverEdit, portEdit, optionsetCombo, tlsCheck, autoMemo,
                      commentMemo, AddBtn, deleteBtn, closeBtn, connectBtn};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
  WireSignals();
  BindQuestions();
  if (QScreen* s = parent ? parent->screen() : nullptr) move(s->geometry().center() - rect().center());
}

void TconnectForm::BuildFields() {
  auto label = [this](const char* text, int x, int y) { (new QLabel(text, this))->move(x, y); };
  label("Accounts", 8, 6);
  accountLB = new QListWidget(this);
  accountLB->setGeometry(8, 24, 160, 280);
  label("Name", 180, 6);
  nameEdit = new QLineEdit(this);
  nameEdit->setGeometry(180, 24, 250, 22);
  label("Server", 180, 50);
  serverEdit = new QLineEdit(this);
  serverEdit->setGeometry(180, 68, 180, 22);
  label("Port", 370, 50);
  portEdit = new QLineEdit(this);
  portEdit->setGeometry(370, 68, 60, 22);
  label("Option Set", 180, 94);
  optionsetCombo = new QComboBox(this);
  optionsetCombo->setEditable(false);
  optionsetCombo->setGeometry(180, 112, 190, 22);
  tlsCheck = new QCheckBox("TLS", this);
  tlsCheck->setGeometry(378, 112, 52, 22);
  label("Auto Send", 180, 138);
  autoMemo = new QPlainTextEdit(this);
  autoMemo->setGeometry(180, 156, 250, 60);
  label("Comments", 180, 220);
  commentMemo = new QPlainTextEdit(this);
  commentMemo->setGeometry(180, 238, 250, 66);
  for (QPlainTextEdit* memo : {autoMemo, commentMemo}) {
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
  }
}

void TconnectForm::BuildButtons() {
  AddBtn = new QPushButton("Add", this);
  AddBtn->setGeometry(8, 314, 76, 26);
  deleteBtn = new QPushButton("Delete", this);
  deleteBtn->setGeometry(92, 314, 76, 26);
  closeBtn = new QPushButton("C&lose", this);
  closeBtn->setGeometry(264, 314, 80, 26);
  connectBtn = new QPushButton("&Connect", this);
  connectBtn->setGeometry(350, 314, 80, 26);
}

void TconnectForm::WireSignals() {
  for (QObject* field : {static_cast<QObject*>(nameEdit), static_cast<QObject*>(serverEdit),
                         static_cast<QObject*>(portEdit), static_cast<QObject*>(autoMemo),
                         static_cast<QObject*>(commentMemo)})
    field->installEventFilter(this);
  connect(accountLB, &QListWidget::currentRowChanged, this, [this] {
    if (!showing_) ShowAccount();
  });
  connect(optionsetCombo, &QComboBox::activated, this, [this] { StoreAccount(); });
  connect(tlsCheck, &QCheckBox::clicked, this, [this] { StoreAccount(); });
  connect(AddBtn, &QPushButton::clicked, this, &TconnectForm::AddBtnClick);
  connect(deleteBtn, &QPushButton::clicked, this, &TconnectForm::deleteBtnClick);
  connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(connectBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TconnectForm::BindQuestions() {
  confirmDelete = [this](const QString& text) {
    return QMessageBox::question(this, "Delete Account?", text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };
  confirmReplace = [this](const QString& text) {
    return QMessageBox::question(this, "Ombrel Warning", text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
}

QString TconnectForm::AccountsPath() const { return owner_.DataDir() + "accounts.dat"; }
QString TconnectForm::TlsPath() const { return owner_.DataDir() + "tls.dat"; }

void TconnectForm::Execute() {
  TtermForm* t = owner_.CurrentTerminal();
  connectBtn->setEnabled(t && !t->core().SocketOpen());
  if (exec() == QDialog::Accepted) Connect();
}

void TconnectForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  connectBtn->setDefault(true);
  accountLB->setFocus();
  showing_ = true;
  optionsetCombo->clear();
  const TOptionSetList& sets = owner_.OptionSets();
  for (int i = 0; i < sets.Count(); ++i) optionsetCombo->addItem(Q(sets.NameAt(i)));
  accounts_.Clear();
  const ReadResult r = LoadAccounts(FileName(AccountsPath()), accounts_, sets);
  if (!r.ok) owner_.ShowError("Ombrel Error", FromFileName(r.error));
  loadFailed_ = !r.ok && r.existed;
  const ReadResult t = tls_.Load(FileName(TlsPath()), accounts_);
  if (!t.ok) owner_.ShowError("Ombrel Error", FromFileName(t.error));
  tlsLoadFailed_ = !t.ok && t.existed;
  // Whether an account was encrypted is unknown: it is, until the user
  // unticks it, so its auto-send never goes out in plain text by mistake.
  if (tlsLoadFailed_)
    for (int i = 0; i < accounts_.Count(); ++i) accounts_.At(i).tls = true;
  accountLB->clear();
  for (int i = 0; i < accounts_.Count(); ++i) accountLB->addItem(Q(accounts_.NameAt(i)));
  const int index = owner_.LastAccount();
  const int row = index >= 0 && index < accounts_.Count() ? index : -1;
  // Set through the view, so that the list taking the focus later does not
  // make its first row current when no account was chosen.
  accountLB->setCurrentIndex(accountLB->model()->index(row, 0));
  showing_ = false;
  ShowAccount();
}

void TconnectForm::done(int result) {
  owner_.SetLastAccount(accountLB->currentRow());
  // A file read only in part would lose the accounts after the fault.
  const bool save = !loadFailed_ || confirmReplace(AccountsPath() +
                                                   " could not be read completely. Replace it with "
                                                   "the accounts shown now?");
  if (save) {
    WriteResult w = SaveAccounts(FileName(AccountsPath()), accounts_);
    // Saved unread, the file would keep only the switches of the accounts
    // shown, not those of accounts it named that are not.
    if (w.ok && (!tlsLoadFailed_ || confirmReplace(TlsPath() + " could not be read. Replace it with the TLS "
                                                                 "switches of the accounts shown now?")))
      w = tls_.Save(FileName(TlsPath()), accounts_);
    if (!w.ok) owner_.ShowError("Ombrel Error", FromFileName(w.error));
  }
  QDialog::done(result);
}

void TconnectForm::Select(int index) {
  showing_ = true;
  accountLB->setCurrentRow(index);
  showing_ = false;
  ShowAccount();
}

void TconnectForm::ShowAccount() {
  showing_ = true;
  const int row = accountLB->currentRow();
  if (accounts_.Count() > 0 && row >= 0) {
    const TAccount& a = accounts_.At(row);
    nameEdit->setText(Q(a.name));
    serverEdit->setText(Q(a.server));
    portEdit->setText(Q(a.port));
    int combo = -1;
    for (int i = 0; i < optionsetCombo->count() && combo < 0; ++i)
      if (EqualsNoCase(S(optionsetCombo->itemText(i)), a.optionset)) combo = i;
    optionsetCombo->setCurrentIndex(combo);
    tlsCheck->setChecked(a.tls);
    SetMemoText(commentMemo, LinesToText(a.comments));
    SetMemoText(autoMemo, LinesToText(a.autoSend));
  } else {
    for (QLineEdit* e : {nameEdit, serverEdit, portEdit}) e->clear();
    optionsetCombo->setCurrentIndex(-1);
    tlsCheck->setChecked(false);
    commentMemo->clear();
    autoMemo->clear();
  }
  showing_ = false;
}

void TconnectForm::StoreAccount() {
  const int row = accountLB->currentRow();
  if (accounts_.Count() == 0 || row < 0) return;
  // The entry keeps its place under the new name until the next showing.
  accountLB->item(row)->setText(nameEdit->text());
  TAccount& a = accounts_.At(row);
  a.name = S(nameEdit->text());
  a.tls = tlsCheck->isChecked();
  a.server = S(serverEdit->text());
  a.port = S(portEdit->text());
  a.optionset = S(optionsetCombo->currentText());
  a.comments = TextToLines(MemoText(commentMemo));
  a.autoSend = TextToLines(MemoText(autoMemo));
}

void TconnectForm::FieldLeft(QObject* field) {
  if (showing_) return;
  if (field == nameEdit && nameEdit->text().isEmpty()) nameEdit->setText("Unnamed Account");
  if (field == portEdit) portEdit->setText(Q(DigitsOnly(S(portEdit->text()), "23")));
  StoreAccount();
}

bool TconnectForm::eventFilter(QObject* watched, QEvent* event) {
  // Only the user moving on leaves a field: not the dialog closing on Enter,
  // another window coming up, or the option set list opening.
  if (event->type() == QEvent::FocusOut) {
    const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
    if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) FieldLeft(watched);
  }
  return QDialog::eventFilter(watched, event);
}

void TconnectForm::AddBtnClick() {
  StoreAccount();
  const std::optional<QString> typed = namePrompt_->Ask("New Account", "Name of new Account", this);
  if (!typed) return;
  const std::optional<std::string> name = ToBytes(*typed);
  accounts_.Insert(NewAccount(*name));
  showing_ = true;
  accountLB->clear();
  for (int i = 0; i < accounts_.Count(); ++i) accountLB->addItem(Q(accounts_.NameAt(i)));
  showing_ = false;
  Select(accounts_.IndexOfNoCase(*name).value_or(-1));
}

void TconnectForm::deleteBtnClick() {
  const int row = accountLB->currentRow();
  if (row < 0 || row >= accounts_.Count()) return;
  if (!confirmDelete("Do you really want to delete account " + Q(accounts_.NameAt(row)) + "?")) return;
  accounts_.RemoveAt(row);
  showing_ = true;
  delete accountLB->takeItem(row);
  showing_ = false;
  Select(accounts_.Count() > 0 ? 0 : -1);
}

void TconnectForm::Connect() {
  TtermForm* t = owner_.CurrentTerminal();
  if (!t) return;
  TOptionSetList& sets = owner_.OptionSets();
  const ConnectPlan plan = PlanConnect({S(optionsetCombo->currentText()), MemoText(autoMemo),
                                        S(nameEdit->text()), S(serverEdit->text()), S(portEdit->text())},
                                       sets);
  // When a connection follows, it loads the set's script itself.
  if (plan.optionSet) t->SetOptions(&sets.At(*plan.optionSet), plan.port.has_value());
  t->core().autologin = plan.autoSend;
  t->SetCaption(Q(plan.caption));
  QtClientSocket& socket = t->Connection();
  plan.numeric ? socket.SetAddress(plan.target) : socket.SetHost(plan.target);
  if (!plan.port) {
    owner_.ShowError("Ombrel", Q(plan.portError));
    return;
  }
  socket.SetPort(*plan.port);
  socket.SetTls(tlsCheck->isChecked());
  socket.SetTrustFile(FileName(owner_.DataDir() + "trusted_certs.dat"));
  t->core().reconnecting = 1;
  socket.Open();
  t->core().reconnecting = 0;
}

}  // namespace ombrel
