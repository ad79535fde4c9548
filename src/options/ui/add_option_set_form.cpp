#include "options/ui/add_option_set_form.h"
#include "util/ui/byte_text.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "options/ui/message_box.h"

namespace ombrel {

TaddOptionSetForm::TaddOptionSetForm(QWidget* parent)
    : QDialog(parent),
      nameEdit(new QLineEdit("Custom Set", this)),
      cancelBtn(new QPushButton("&Cancel", this)),
      okBtn(new QPushButton("&OK", this)) {
  setObjectName("addOptionSetForm");
  setWindowTitle("Add new Option Set");
  setModal(true);
  nameEdit->setObjectName("nameEdit");
  cancelBtn->setObjectName("cancelBtn");
  okBtn->setObjectName("okBtn");
  okBtn->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Name of new Option Set", this));
  layout->addWidget(nameEdit);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancelBtn);
  buttons->addWidget(okBtn);
  layout->addLayout(buttons);
  setFixedSize(QSize(302, 122).expandedTo(sizeHint()));

  ask = [this](const Message& m) { return ShowMessageBox(this, m); };
  connect(okBtn, &QPushButton::clicked, this, &TaddOptionSetForm::okBtnClick);
  connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TaddOptionSetForm::Name() const { return ToBytes(nameEdit->text()); }

void TaddOptionSetForm::okBtnClick() {
  std::string name = Name();
  const auto refused = CheckNewSetName(name);
  nameEdit->setText(FromBytes(name));
  if (refused) {
    if (ask) ask(*refused);
    return;
  }
  accept();
}

void TaddOptionSetForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  nameEdit->selectAll();
  nameEdit->setFocus();
}

}  // namespace ombrel
