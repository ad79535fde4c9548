// The name prompt for a new account (and a new trigger or alias).
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ombrel {

class TnewThingForm : public QDialog {
  Q_OBJECT
 public:
  explicit TnewThingForm(QWidget* parent);
  // The trimmed name, or none when cancelled. The same prompt asks for
  // trigger and alias names, with the account's message on an empty name.
  // It opens above `asker`.
  std::optional<QString> Ask(const QString& caption, const QString& label, QWidget* asker);

  QLabel* nameLabel;
  QLineEdit* nameEdit;
  QPushButton *okBtn, *cancelBtn;
  // The "Missing Input" box; tests answer it.
  std::function<void(const QString& text)> warn;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void okBtnClick();
};

}  // namespace ombrel
