// Every command of the program as one shared action, with the file
// dialogs, the two timers and the menus built from the action table.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>

#include "app/action_table.h"

class QAction;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;
class QWidget;

namespace ombrel {

class TmainForm;
class TtermForm;

class TdModule : public QObject {
  Q_OBJECT
 public:
  explicit TdModule(TmainForm* main);

  QAction* action(ActionId id) const { return actions_.at(id); }
  QMenuBar* BuildMainMenu(QWidget* parent);
  QMenu* BuildContextMenu(QWidget* parent);
  QMenu* TerminalsMenu() const { return terminalsMenu_; }
  void FillToolbar(QToolBar* bar);

  bool ExpertMode() const;
  void UpdateDisconnect(TtermForm* terminal);
  bool IsCommandKey(QKeyCombination key) const;
  QString lastDir;
  QTimer* dragTimer;
  QTimer* appTimer;

  // Dialogs built later in the start sequence; unassigned ones do nothing.
  std::function<void()> showAccounts, showOptions, showAbout, findInBuf, findNext;
  std::function<void(bool shown)> showConsole;
  std::function<void(bool expand)> showConsoleLog;
  // File choice; tests replace the dialog. Empty result: cancelled.
  std::function<QString(ActionId, const QString& dir)> chooseFile;

  void aExpertModeExecute();
  void ArrangeColumns();
  void ArrangeRows();
  void ArrangeMatrix();
  void ArrangeMaximized();

 private:
  void CreateActions();
  void BindWindowCommands();
  void BindEditCommands();
  void BindTelnetCommands();
  void Bind(ActionId id, std::function<void()> handler);
  void BuildMenu(QMenu* menu, const std::vector<struct MenuEntry>& entries);
  QString ChooseFile(ActionId id);
  void FileCommand(ActionId id);
  void FileFailed(const QString& caption, const std::string& reason);
  void Copy(bool asLine);
  void Arrange(const std::vector<struct Rect>& rects);
  int ToolbarHeight() const;
  void dragTimerTimer();
  void appTimerTimer();

  TmainForm* main_;
  std::map<ActionId, QAction*> actions_;
  QMenu* terminalsMenu_ = nullptr;
};

}  // namespace ombrel
