#include <QAction>
#include <QtTest>
#include <stdexcept>

#include "app/ui/application.h"

using namespace ombrel;

class ApplicationTest : public QObject {
  Q_OBJECT
 private slots:
  void anEscapingExceptionEndsOnlyThatCommand() {
    auto* app = static_cast<OmbrelApplication*>(QCoreApplication::instance());
    QStringList shown;
    app->showError = [&](const QString& m) { shown << m; };
    QAction failing, working;
    connect(&failing, &QAction::triggered, [] { throw std::runtime_error("Cannot open the file."); });
    int worked = 0;
    connect(&working, &QAction::triggered, [&] { ++worked; });
    // Commands reach their handlers through events, as from a menu.
    QTimer::singleShot(0, &failing, [&] { failing.trigger(); });
    QTimer::singleShot(0, &working, [&] { working.trigger(); });
    QTRY_COMPARE(worked, 1);
    QCOMPARE(shown, QStringList{"Cannot open the file."});
  }
};

int main(int argc, char** argv) {
  OmbrelApplication app(argc, argv);
  ApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
