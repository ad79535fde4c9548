#include "app/ui/find_form.h"
#include "util/ui/byte_text.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "term/ui/term_form.h"

namespace ombrel {

namespace {

// A button that shows its action's caption and enabled state and fires it.
QPushButton* ActionButton(QWidget* parent, QAction* action, QRect where) {
  auto* b = new QPushButton(action->text(), parent);
  b->setGeometry(where);
  b->setEnabled(action->isEnabled());
  QObject::connect(b, &QPushButton::clicked, action, &QAction::trigger);
  QObject::connect(action, &QAction::changed, b, [b, action] { b->setEnabled(action->isEnabled()); });
  return b;
}

}  // namespace

TfindForm::TfindForm(TmainForm* main, TdModule* module)
    : QDialog(main, Qt::Dialog | Qt::WindowStaysOnTopHint), main_(main), module_(module) {
  setWindowTitle("Find...");
  setModal(false);
  setFixedSize(329, 139);
  Label1 = new QLabel("Search for", this);
  Label1->setGeometry(8, 12, 70, 20);
  searchEdit = new QLineEdit(this);
  searchEdit->setGeometry(80, 10, 241, 22);
  caseCB = new QCheckBox("Case-sensitive search", this);
  caseCB->setGeometry(8, 44, 200, 20);
  selectionCB = new QCheckBox("Search selection only", this);
  selectionCB->setGeometry(8, 68, 200, 20);
  findBtn = ActionButton(this, module->action(ActionId::aFindInBuf), {8, 104, 96, 26});
  findBtn->setDefault(true);
  nextBtn = ActionButton(this, module->action(ActionId::aFindNext), {116, 104, 96, 26});
  closeBtn = new QPushButton("&Close", this);
  closeBtn->setGeometry(224, 104, 96, 26);
  connect(closeBtn, &QPushButton::clicked, this, &QDialog::close);
  // Typing, Backspace included; setting the text from a terminal is not.
  connect(searchEdit, &QLineEdit::textEdited, this, [this] { searchEditKeyPress(); });
  if (QScreen* s = main->screen()) move(s->geometry().center() - rect().center());
}

void TfindForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  UpdateFindState();
  searchEdit->setFocus();
}

void TfindForm::UpdateFindState() {
  QAction* find = module_->action(ActionId::aFindInBuf);
  QAction* next = module_->action(ActionId::aFindNext);
  TtermForm* t = main_->CurrentTerminal();
  if (!t) {
    find->setEnabled(false);
    next->setEnabled(false);
    searchEdit->clear();
    searchEdit->setEnabled(false);
    return;
  }
  searchEdit->setEnabled(true);
  searchEdit->setText(FromBytes(t->view().findtext, t->Utf8()));
  if (t->view().HasSelection()) {
    selectionCB->setEnabled(true);
  } else {
    selectionCB->setChecked(false);
    selectionCB->setEnabled(false);
  }
  find->setEnabled(true);
  next->setEnabled(t->view().findactive);
}

void TfindForm::Refresh() {
  if (isVisible()) {
    UpdateFindState();
    return;
  }
  TtermForm* t = main_->CurrentTerminal();
  module_->action(ActionId::aFindInBuf)->setEnabled(true);
  module_->action(ActionId::aFindNext)->setEnabled(t && t->view().findactive);
}

void TfindForm::searchEditKeyPress() {
  if (TtermForm* t = main_->CurrentTerminal()) t->view().findactive = false;
  module_->action(ActionId::aFindNext)->setEnabled(false);
}

void TfindForm::Find() {
  if (!isVisible()) {
    show();
    return;
  }
  if (TtermForm* t = main_->CurrentTerminal()) {
    t->view().FindText(ToBytes(searchEdit->text(), t->Utf8()), caseCB->isChecked(),
                       selectionCB->isChecked());
    searchEdit->setFocus();
    UpdateFindState();
  }
}

void TfindForm::FindNextMatch() {
  if (TtermForm* t = main_->CurrentTerminal()) {
    t->view().FindNext();
    searchEdit->setFocus();
  }
}

}  // namespace ombrel
