#include "accounts/ui/new_thing_form.h"
#include "util/ui/dialog_owner.h"
#include "util/ui/byte_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "command/token_list.h"

namespace ombrel {

TnewThingForm::TnewThingForm(QWidget* parent) : QDialog(parent) {
  setFixedSize(300, 110);
  nameLabel = new QLabel(this);
  nameLabel->setGeometry(10, 10, 280, 20);
  nameEdit = new QLineEdit(this);
  nameEdit->setGeometry(10, 34, 280, 24);
  // The label's question is set by whoever asks; the field is a name.
  nameLabel->setBuddy(nameEdit);
  nameEdit->setAccessibleName("Name");
  okBtn = new QPushButton("&OK", this);
  okBtn->setGeometry(120, 72, 80, 26);
  okBtn->setDefault(true);
  cancelBtn = new QPushButton("&Cancel", this);
  cancelBtn->setGeometry(210, 72, 80, 26);
  connect(okBtn, &QPushButton::clicked, this, &TnewThingForm::okBtnClick);
  connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  warn = [this](const QString& text) { QMessageBox::warning(this, "Missing Input", text); };
}

void TnewThingForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  nameEdit->clear();
  nameEdit->setFocus();
}

void TnewThingForm::okBtnClick() {
  const std::string trimmed = TrimControls(ToBytes(nameEdit->text()));
  nameEdit->setText(FromBytes(trimmed));
  if (trimmed.empty()) {
    warn("Please enter a name for the new account.");  // the prompt stays open
    return;
  }
  accept();
}

std::optional<QString> TnewThingForm::Ask(const QString& caption, const QString& label, QWidget* asker) {
  OwnDialogBy(this, asker);
  setWindowTitle(caption);
  nameLabel->setText(label);
  if (exec() != QDialog::Accepted) return std::nullopt;
  return nameEdit->text();
}

}  // namespace ombrel
