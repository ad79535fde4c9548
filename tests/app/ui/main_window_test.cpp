#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "term/ui/term_form.h"

#include "ui_helpers.h"

using namespace ombrel;

class MainWindowTest : public QObject {
  Q_OBJECT

  TOptionSetList sets;
  std::unique_ptr<QTemporaryDir> dataDir;
  std::unique_ptr<TmainForm> main;
  TdModule* module = nullptr;
  QStringList messages;

  QString DataDir() const { return dataDir->path() + "/"; }
  // A main window as the program starts it, its message boxes recorded.
  std::unique_ptr<TmainForm> Start() {
    auto form = std::make_unique<TmainForm>(sets, DataDir());
    form->message = [this](TmainForm::MessageKind, const QString& caption, const QString& text) {
      messages << caption + "|" + text;
    };
    form->SetModule(new TdModule(form.get()));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) return nullptr;
    return form;
  }

  QStringList TabTexts() {
    QStringList out;
    for (int i = 0; i < main->Tabs()->count(); ++i) out << main->Tabs()->tabText(i);
    return out;
  }
  int TerminalEntries() {
    int n = 0;
    for (QAction* a : main->TerminalsMenu()->actions())
      if (a->actionGroup()) ++n;
    return n;
  }
  void Activate(TtermForm* t) { testing::ActivateTerminal(*main, t); }
 private slots:
  void init() {
    sets.Clear();
    sets.AddNew("Default");
    dataDir = std::make_unique<QTemporaryDir>();
    messages.clear();
    main = Start();
    QVERIFY(main);
    module = main->Module();
    main->resize(800, 600);
    QCoreApplication::processEvents();
  }
  void cleanup() {
    main.reset();
    dataDir.reset();
  }

  void firstStartWithoutConfigWarnsOnceAndUsesTheDefaults() {
    QCOMPARE(messages, QStringList{"Ombrel Warning|Failed to read config file."});
    QVERIFY(main->ToolBar()->isVisible());
    QVERIFY(module->action(ActionId::aToolbar)->isChecked());
    QVERIFY(!module->ExpertMode());
    QCOMPARE(module->lastDir, DataDir());
  }

  void configIsWrittenOnCloseAndRestoredAtTheNextStart() {
    module->action(ActionId::aExit)->trigger();  // leaves without the closing step
    QVERIFY(!QFile::exists(DataDir() + "config.cfg"));
    main->move(40, 30);
    main->resize(700, 500);
    module->lastDir = "/home/player/logs";
    module->action(ActionId::aToolbar)->trigger();  // hide the toolbar
    QVERIFY(main->close());
    TConfigRecord saved;
    QVERIFY(ReadConfigFile((DataDir() + "config.cfg").toStdString(), saved).ok);
    QCOMPARE(saved.width, 700);
    QCOMPARE(saved.height, 500);
    QCOMPARE(saved.toolbarVisible, uint8_t{0});
    QCOMPARE(saved.lastDir, std::string("/home/player/logs"));
    main.reset();

    messages.clear();
    main = Start();
    QVERIFY(main);
    QVERIFY(messages.isEmpty());
    QCOMPARE(main->size(), QSize(700, 500));
    QVERIFY(!main->ToolBar()->isVisible());
    QVERIFY(!main->Module()->action(ActionId::aToolbar)->isChecked());
    QCOMPARE(main->Module()->lastDir, QString("/home/player/logs"));
  }

  void aLeftEdgeBeyondTheScreenComesBackAtAThirdOfItsWidth() {
    main.reset();
    TConfigRecord c;
    c.left = 5000;
    c.top = 20;
    c.width = 600;
    c.height = 400;
    c.toolbarVisible = 1;
    c.expertMode = 1;
    QVERIFY(WriteConfigFile((DataDir() + "config.cfg").toStdString(), c).ok);
    main = Start();
    QVERIFY(main);
    QCOMPARE(main->x(), main->screen()->geometry().width() / 3);
    QCOMPARE(main->y(), 20);
    QVERIFY(main->Module()->ExpertMode());
    QVERIFY(!main->menuBar()->isVisible());
  }

  void tabsShowCaptionsAndTheUnseenMark() {
    TtermForm* a = main->NewTerminal();
    TtermForm* b = main->NewTerminal();
    TtermForm* c = main->NewTerminal();
    a->SetCaption("A");
    b->SetCaption("B");
    c->SetCaption("C");
    Activate(a);
    QCOMPARE(main->CurrentTerminal(), a);
    b->core().WriteText("hello\r\n", true);
    QCOMPARE(TabTexts(), (QStringList{"A", "B *", "C"}));
    QCOMPARE(main->Tabs()->currentIndex(), 0);
    Activate(b);
    QCOMPARE(TabTexts(), (QStringList{"A", "B", "C"}));
    QCOMPARE(main->Tabs()->currentIndex(), 1);
    QVERIFY(b->menuEntry->isChecked());
  }

  void closingTheMiddleTerminalKeepsTheOthersInOrder() {
    TtermForm* a = main->NewTerminal();
    TtermForm* b = main->NewTerminal();
    TtermForm* c = main->NewTerminal();
    a->SetCaption("A");
    c->SetCaption("C");
    b->subWindow->close();
    QCoreApplication::processEvents();
    QCOMPARE(TabTexts(), (QStringList{"A", "C"}));
    QCOMPARE(TerminalEntries(), 2);
    QCOMPARE(main->Terminals().size(), size_t{2});
  }

  void selectingATabBringsItsTerminalForward() {
    TtermForm* a = main->NewTerminal();
    main->NewTerminal();
    main->Tabs()->setCurrentIndex(0);
    QCoreApplication::processEvents();
    QCOMPARE(main->CurrentTerminal(), a);
    QCOMPARE(main->Workspace()->activeSubWindow(), a->subWindow);
  }

  void arrangingRestoresAndPlacesEveryTerminal() {
    TtermForm* a = main->NewTerminal();
    TtermForm* b = main->NewTerminal();
    a->subWindow->showMaximized();
    module->ArrangeColumns();
    const int W = main->Workspace()->width();
    const int H = main->Workspace()->height();  // client area below the toolbar
    QVERIFY(!a->subWindow->isMaximized());
    QCOMPARE(a->subWindow->geometry(), QRect(0, 0, W / 2 - 5, H - 5));
    QCOMPARE(b->subWindow->geometry(), QRect(W / 2 - 5, 0, W / 2 - 5, H - 5));
    module->ArrangeMaximized();
    // The frame shows one maximized child at a time: the one in front.
    QVERIFY(main->Workspace()->activeSubWindow()->isMaximized());
    QCOMPARE(main->Workspace()->activeSubWindow()->size(), main->Workspace()->viewport()->size());
  }

  void expertModeHidesMenuAndToolbarAndComesBackWithTheLastTerminal() {
    TtermForm* t = main->NewTerminal();
    module->action(ActionId::aToolbar)->trigger();  // hide the toolbar first
    QVERIFY(!main->ToolBar()->isVisible());
    module->action(ActionId::aExpertMode)->trigger();
    QVERIFY(module->ExpertMode());
    QVERIFY(!main->menuBar()->isVisible());
    module->action(ActionId::aExpertMode)->trigger();
    QVERIFY(main->menuBar()->isVisible());
    QVERIFY(main->ToolBar()->isVisible());  // back even though it was hidden before

    module->action(ActionId::aExpertMode)->trigger();
    t->subWindow->close();
    QCoreApplication::processEvents();
    QVERIFY(!module->ExpertMode());
    QVERIFY(main->menuBar()->isVisible());
    QVERIFY(main->ToolBar()->isVisible());
  }

  void expertModeWithoutTerminalsOnlyWarns() {
    messages.clear();
    module->action(ActionId::aExpertMode)->trigger();
    QCOMPARE(messages, QStringList{"Ombrel Warning|Cannot enter Expert Mode unless there is at least one "
                                   "terminal.\rPlease create a new terminal and try again."});
    QVERIFY(!module->ExpertMode());
    QVERIFY(main->menuBar()->isVisible());
  }

  void toolbarHoldsTheSevenButtonsWithDistinctIcons() {
    QStringList hints;
    QSet<qint64> icons;
    for (QAction* a : main->ToolBar()->actions()) {
      if (a->isSeparator() || a->icon().isNull()) continue;
      hints << a->toolTip();
      icons.insert(a->icon().cacheKey());
    }
    QCOMPARE(hints.size(), 7);
    QCOMPARE(hints.first(), QString("Display Account form to manage accounts or to connect to a server"));
    QCOMPARE(icons.size(), 7);
    QCOMPARE(main->ToolBar()->height(), 29);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
