// The parameter prompt of alias and macro expansion.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ombrel {

class TparamForm : public QDialog {
  Q_OBJECT
 public:
  explicit TparamForm(QWidget* parent);
  // Shows the prompt for the parameter `name` and returns what was typed;
  // the expansion replaces an empty answer.
  std::string Ask(const std::string& name, bool utf8 = false);

  QLabel* identLabel;
  QLineEdit* valEdit;
  QPushButton* okBtn;
};

}  // namespace ombrel
