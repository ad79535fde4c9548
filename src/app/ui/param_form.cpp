#include "app/ui/param_form.h"
#include "util/ui/byte_text.h"

#include <QLabel>
#include <algorithm>
#include <QLineEdit>
#include <QPushButton>

#include "options/options.h"

namespace ombrel {

TparamForm::TparamForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint) {
  setWindowTitle("Macro Parameter");
  setModal(true);
  setFixedSize(321, 109);
  auto* prompt = new QLabel("Please enter a value for parameter", this);
  prompt->setGeometry(8, 10, 210, 20);
  identLabel = new QLabel(this);
  // The name follows the prompt's text, however wide the desktop font makes it.
  const int nameX = 8 + prompt->sizeHint().width() + 4;
  prompt->setFixedWidth(prompt->sizeHint().width());
  identLabel->setGeometry(nameX, 10, std::max(40, 313 - nameX), 20);
  QFont bold = identLabel->font();
  bold.setBold(true);
  identLabel->setFont(bold);
  valEdit = new QLineEdit(this);
  valEdit->setGeometry(8, 40, 305, 22);
  okBtn = new QPushButton("OK", this);
  okBtn->setGeometry(120, 74, 80, 26);
  okBtn->setDefault(true);
  connect(okBtn, &QPushButton::clicked, this, &QDialog::accept);
}

std::string TparamForm::Ask(const std::string& name, bool utf8) {
  identLabel->setText(FromBytes(LowerCase(name), utf8));
  valEdit->clear();
  exec();
  return ToBytes(valEdit->text(), utf8);
}

}  // namespace ombrel
