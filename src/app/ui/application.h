// The application object: an exception escaping a command ends that
// command only; the user sees it in an error box and goes on playing.
#pragma once

#include <QApplication>
#include <functional>

namespace ombrel {

class OmbrelApplication : public QApplication {
 public:
  OmbrelApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the error; tests replace the message box.
  std::function<void(const QString& message)> showError;
};

}  // namespace ombrel
