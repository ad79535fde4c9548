#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include "accounts/ui/connect_form.h"
#include "accounts/ui/new_thing_form.h"
#include "app/ui/find_form.h"
#include "app/ui/param_form.h"
#include "options/ui/add_option_set_form.h"
#include "options/ui/option_form.h"
#include "telnet/ui/telnet_form.h"
#include "term/ui/term_form.h"
#include "term/ui/term_reader.h"
#include "ui_helpers.h"

using namespace ombrel;

class AccessibleNamesTest : public QObject, testing::ProgramFixture {
  Q_OBJECT

  // The controls under `window` a screen reader cannot name: focusable,
  // not a part Qt builds inside another control, and with no name either
  // of their own or through a label.
  static QStringList Unnamed(QWidget* window) {
    QStringList out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
      QWidget* parent = w->parentWidget();
      if (w->window() != window || w->focusPolicy() == Qt::NoFocus || w->objectName().startsWith("qt_") ||
          qobject_cast<QComboBox*>(parent) || qobject_cast<QAbstractSpinBox*>(parent) ||
          (parent && parent->objectName().startsWith("qt_")))
        continue;
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      if (a && a->text(QAccessible::Name).trimmed().isEmpty())
        out << QString("%1 at %2,%3").arg(w->metaObject()->className()).arg(w->x()).arg(w->y());
    }
    return out;
  }

 private slots:
  void init() { QVERIFY(Start()); }
  void cleanup() { Stop(); }

  // Each window and dialog, shown as the program shows it, names every
  // control a player can reach with Tab.
  void everyControlOfEveryWindowIsNamed() {
    main->NewTerminal();
    const std::pair<const char*, QWidget*> windows[] = {
        {"main window", main},
        {"account manager", program->accounts},
        {"option set editor", program->optionForm},
        {"find", program->find},
        {"parameter prompt", program->param},
        {"telnet console", program->console},
        {"name prompt", program->namePrompt},
        {"new option set", program->addOptionSetForm},
    };
    for (const auto& [what, window] : windows) {
      window->show();
      for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i) tabs->setCurrentIndex(i), QCoreApplication::processEvents();
      QCoreApplication::processEvents();
      const QStringList unnamed = Unnamed(window);
      QVERIFY2(unnamed.isEmpty(), qPrintable(QString(what) + ": " + unnamed.join("; ")));
      if (window != main) window->hide();
    }
  }

  // The output is a terminal whose text is the lines without colours, the
  // caret at its end; the reader listens for lines only while a client is.
  void theOutputIsATerminalWithTheReceivedText() {
    TtermForm* t = main->NewTerminal();
    QVERIFY(t);
    t->core().WriteText("\x1b[31mred\x1b[0m line\r\nprompt> ", true);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(t->Output());
    QVERIFY(a && a->textInterface());
    QCOMPARE(a->role(), QAccessible::Terminal);
    QCOMPARE(a->text(QAccessible::Name), QString("Output"));
    QAccessibleTextInterface* text = a->textInterface();
    const int end = text->characterCount();
    QVERIFY(text->text(0, end).endsWith("red line\nprompt> "));
    QCOMPARE(text->cursorPosition(), end);
    int start = 0, stop = 0;
    const int lineStart = end - 8 - 9;
    QCOMPARE(text->textAtOffset(lineStart + 1, QAccessible::LineBoundary, &start, &stop), QString("red line\n"));
    QCOMPARE(start, lineStart);
    QCOMPARE(text->textAtOffset(lineStart + 5, QAccessible::WordBoundary, &start, &stop), QString("line\n"));
    QCOMPARE(text->textAfterOffset(lineStart, QAccessible::LineBoundary, &start, &stop), QString("prompt> "));
    // No accessibility client here: lines cost the session nothing.
    QVERIFY(!QAccessible::isActive() && !t->Reader().Listening());
  }
};

QTEST_MAIN(AccessibleNamesTest)
#include "accessible_names_test.moc"
