#include "app/ui/application.h"

#include <QMessageBox>
#include <exception>

namespace ombrel {

OmbrelApplication::OmbrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  showError = [](const QString& message) {
    QMessageBox::critical(QApplication::activeWindow(), "Ombrel", message);
  };
}

bool OmbrelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    showError(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    showError("An unknown error occurred.");
  }
  return false;
}

}  // namespace ombrel
