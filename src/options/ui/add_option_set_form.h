// The dialog that asks for the name of a new option set.
#pragma once

#include <QDialog>
#include <string>

#include "options/option_edit.h"

class QLineEdit;
class QPushButton;

namespace ombrel {

class TaddOptionSetForm : public QDialog {
  Q_OBJECT
 public:
  explicit TaddOptionSetForm(QWidget* parent = nullptr);

  // The trimmed name of the last OK.
  std::string Name() const;
  void okBtnClick();

  // Message boxes; tests answer them.
  AskFn ask;

  QLineEdit* nameEdit;
  QPushButton* cancelBtn;
  QPushButton* okBtn;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace ombrel
