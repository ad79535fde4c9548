#include "app/ui/find_form.h"
#include "util/ui/byte_text.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "term/ui/open_terminals.h"
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

TfindForm::TfindForm(OpenTerminals& terminals, QAction* find, QAction* findNext, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      terminals_(terminals),
      find_(find),
      findNext_(findNext) {
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
  findBtn = ActionButton(this, find_, {8, 104, 96, 26});
  findBtn->setDefault(true);
  nextBtn = ActionButton(this, findNext_, {116, 104, 96, 26});
  closeBtn = new QPushButton("&Close", this);
  closeBtn->setGeometry(224, 104, 96, 26);
  connect(closeBtn, &QPushButton::clicked, this, &QDialog::close);
  // Typing, Backspace included; setting the text from a terminal is not.
  connect(searchEdit, &QLineEdit::textEdited, this, [this] { searchEditKeyPress(); });
  if (QScreen* s = parent ? parent->screen() : nullptr) move(s->geometry().center() - rect().center());
}

void TfindForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  UpdateFindState();
  searchEdit->setFocus();
}

void TfindForm::UpdateFindState() {
  TtermForm* t = terminals_.CurrentTerminal();
  if (!t) {
    find_->setEnabled(false);
    findNext_->setEnabled(false);
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
  find_->setEnabled(true);
  findNext_->setEnabled(t->view().findactive);
}

void TfindForm::Refresh() {
  if (isVisible()) {
    UpdateFindState();
    return;
  }
  TtermForm* t = terminals_.CurrentTerminal();
  find_->setEnabled(true);
  findNext_->setEnabled(t && t->view().findactive);
}

void TfindForm::searchEditKeyPress() {
  if (TtermForm* t = terminals_.CurrentTerminal()) t->view().findactive = false;
  findNext_->setEnabled(false);
}

void TfindForm::Find() {
  if (!isVisible()) {
    show();
    return;
  }
  if (TtermForm* t = terminals_.CurrentTerminal()) {
    t->view().FindText(ToBytes(searchEdit->text(), t->Utf8()), caseCB->isChecked(),
                       selectionCB->isChecked());
    searchEdit->setFocus();
    UpdateFindState();
  }
}

void TfindForm::FindNextMatch() {
  if (TtermForm* t = terminals_.CurrentTerminal()) {
    t->view().FindNext();
    searchEdit->setFocus();
  }
}

}  // namespace ombrel
