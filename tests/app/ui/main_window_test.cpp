#include <stdexcept>

#include "app/ui/application.h"
#include "ui_helpers.h"

using namespace ombrel;

class MainWindowTest : public QObject, testing::ProgramFixture {
  Q_OBJECT

  // The tab captions, the selected one marked with '>'.
  QStringList TabTexts() {
    QStringList out;
    for (int i = 0; i < main->Tabs()->count(); ++i)
      out << (i == main->Tabs()->currentIndex() ? ">" : "") + main->Tabs()->tabText(i);
    return out;
  }

 private slots:
  void init() { QVERIFY(Start()); }
  void cleanup() { Stop(); }

  void configDefaultsAtFirstStartWrittenOnCloseRestoredAtTheNext() {
    QCOMPARE(messages, QStringList{"Ombrel Warning|Failed to read config file."});
    QVERIFY(main->ToolBar()->isVisible() && Action(ActionId::aToolbar)->isChecked());
    QVERIFY(!module->ExpertMode() && module->lastDir == DataDir());
    QSet<qint64> icons;  // the seven buttons, each with its own icon
    for (QAction* a : main->ToolBar()->actions())
      if (!a->isSeparator() && !a->icon().isNull()) icons.insert(a->icon().cacheKey());
    QVERIFY(icons.size() == 7 && main->ToolBar()->height() == 29);
    QVERIFY(main->ToolBar()->actions().first()->toolTip().startsWith("Display Account form to manage accounts"));
    Action(ActionId::aExit)->trigger();  // leaves without the closing step
    QVERIFY(!QFile::exists(DataDir() + "config.cfg"));
    main->setGeometry(40, 30, 700, 500);  // the client area
    module->lastDir = "/home/player/logs";
    Action(ActionId::aToolbar)->trigger();  // hide the toolbar
    QVERIFY(main->close());
    const std::string path = (DataDir() + "config.cfg").toStdString();
    TConfigRecord saved;
    QVERIFY(ReadConfigFile(path, saved).ok);
    QVERIFY(saved == (TConfigRecord{40, 30, 700, 500, 0, 0, 0, "/home/player/logs"}));

    // A left edge beyond the screen comes back at a third of its width.
    saved.left = 5000, saved.expertMode = 1;
    QVERIFY(WriteConfigFile(path, saved).ok);
    QVERIFY(Start(true));
    QVERIFY(messages.isEmpty() && !main->ToolBar()->isVisible() && !Action(ActionId::aToolbar)->isChecked());
    QCOMPARE(main->geometry(), QRect(main->screen()->geometry().width() / 3, 30, 700, 500));
    QVERIFY(module->lastDir == "/home/player/logs" && module->ExpertMode() && !main->menuBar()->isVisible());
  }

  // Expert Mode is refused without a terminal; tabs, the Terminals menu and
  // the arrangement follow the terminals; closing the last ends Expert Mode.
  void terminalsDriveTabsMenuArrangementAndExpertMode() {
    Action(ActionId::aExpertMode)->trigger();
    QVERIFY(messages.last().startsWith("Ombrel Warning|Cannot enter Expert Mode unless"));
    QVERIFY(!module->ExpertMode() && main->menuBar()->isVisible());
    TtermForm* t[3];
    for (int i = 0; i < 3; ++i) (t[i] = main->NewTerminal())->SetCaption(QString(QChar('A' + i)));
    Activate(t[0]);
    t[1]->core().WriteText("hello\r\n", true);
    QCOMPARE(TabTexts(), (QStringList{">A", "B *", "C"}));
    Activate(t[1]);
    QCOMPARE(TabTexts(), (QStringList{"A", ">B", "C"}));
    QVERIFY(t[1]->menuEntry->isChecked());
    main->Tabs()->setCurrentIndex(0);  // brings its terminal forward
    QCoreApplication::processEvents();
    QCOMPARE(main->Workspace()->activeSubWindow(), t[0]->subWindow);
    // Closing the middle one keeps the others in order, in the menu too.
    t[1]->subWindow->close();
    QCoreApplication::processEvents();
    QCOMPARE(TabTexts(), (QStringList{">A", "C"}));
    int entries = 0;
    for (QAction* a : main->TerminalsMenu()->actions()) entries += a->actionGroup() != nullptr;
    QCOMPARE(entries, 2);

    t[0]->subWindow->showMaximized();
    module->ArrangeColumns();
    QVERIFY(!t[0]->subWindow->isMaximized());
    const int W = main->Workspace()->width(), H = main->Workspace()->height();  // below the toolbar
    QCOMPARE(t[2]->subWindow->geometry(), QRect(W / 2 - 5, 0, W / 2 - 5, H - 5));
    module->ArrangeMaximized();
    // The frame shows one maximized child at a time: the one in front.
    QVERIFY(main->Workspace()->activeSubWindow()->isMaximized());

    Action(ActionId::aToolbar)->trigger();  // hide the toolbar first
    Action(ActionId::aExpertMode)->trigger();
    QVERIFY(module->ExpertMode() && !main->menuBar()->isVisible() && !main->ToolBar()->isVisible());
    Action(ActionId::aExpertMode)->trigger();
    QVERIFY(main->menuBar()->isVisible() && main->ToolBar()->isVisible());  // back though hidden before
    Action(ActionId::aExpertMode)->trigger();
    t[0]->subWindow->close(), t[2]->subWindow->close();
    QCoreApplication::processEvents();
    QVERIFY(!module->ExpertMode() && main->menuBar()->isVisible() && main->ToolBar()->isVisible());
  }

  // Save Buffer and Load Log say a failure in the main window, each with
  // its own caption.
  void fileCommandsSayWhyTheyFailed() {
    main->NewTerminal();
    const QString dir = DataDir() + "adir", gone = DataDir() + "gone.txt";
    QVERIFY(QDir().mkpath(dir + "/inner"));  // a folder cannot be replaced by a file
    const struct {
      ActionId command;
      QString file, said;
    } rows[] = {
        {ActionId::aSaveBuffer, dir, "Ombrel Error|cannot write " + dir + ": Is a directory"},
        {ActionId::aLoadLog, gone, "File Error|cannot open " + gone + ": No such file or directory"},
        {ActionId::aLoadLog, dir, "File Error|cannot read " + dir + ": Is a directory"},
    };
    for (const auto& row : rows) {
      messages.clear();
      module->chooseFile = [&row](ActionId, const QString&) { return row.file; };
      Action(row.command)->trigger();
      QCOMPARE(messages, QStringList{row.said});
    }
  }

  void anEscapingExceptionEndsOnlyThatCommand() {
    static_cast<OmbrelApplication*>(qApp)->showError = [this](const QString& text) { messages = {text}; };
    bool worked = false;
    // Commands reach their handlers through events, as from a menu.
    QTimer::singleShot(0, this, [] { throw std::runtime_error("Cannot open the file."); });
    QTimer::singleShot(0, this, [&worked] { worked = true; });
    QTRY_VERIFY(worked);
    QCOMPARE(messages, QStringList{"Cannot open the file."});
  }
};

int main(int argc, char** argv) {
  OmbrelApplication app(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
