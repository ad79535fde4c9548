// The about box.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;

namespace ombrel {

class TaboutForm : public QDialog {
  Q_OBJECT
 public:
  explicit TaboutForm(QWidget* parent);
  static constexpr const char* kMail = "ombrel@example.org";
  static constexpr const char* kWeb = "https://ombrel.example.org/";
  QLabel* mailLabel;
  QLabel* webLabel;
  // Opens an address with the desktop's handler; tests watch it.
  std::function<void(const QUrl&)> openUrl;
};

}  // namespace ombrel
