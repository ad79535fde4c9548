// The main window: a frame holding the terminal windows, the toolbar with
// the tab strip, the main menu, and the registry of open terminals.
#pragma once

#include <QMainWindow>
#include <functional>

#include "accounts/ui/accounts_owner.h"
#include "app/config_record.h"
#include "app/main_window_logic.h"
#include "options/options.h"
#include "term/ui/open_terminals.h"
#include "term/ui/term_owner.h"

class QMdiArea;
class QMdiSubWindow;
class QTabBar;
class QToolBar;
class QMenu;
class QActionGroup;

namespace ombrel {

class TtermForm;
class TdModule;
class SoundPlayer;

// The terminals and the dialogs see it through the small interfaces it
// implements, never through this class.
class TmainForm : public QMainWindow, public TermOwner, public OpenTerminals, public AccountsOwner {
  Q_OBJECT
 public:
  TmainForm(TOptionSetList& optionSets, QString dataDir, QWidget* parent = nullptr);
  ~TmainForm() override;

  void SetModule(TdModule* module);
  TdModule* Module() const { return module_; }

  TtermForm* NewTerminal();
  void RemoveTerminal(TtermForm* terminal);
  TtermForm* CurrentTerminal() const override { return registry_.current(); }
  const std::vector<TtermForm*>& Terminals() const override { return registry_.terminals(); }
  void UpdateTabs();
  // A terminal window became the active one.
  void TerminalActivated(TtermForm* terminal);

  const QString& DataDir() const override { return dataDir_; }
  std::string SpeechSettingsPath() const override;
  TOptionSetList& OptionSets() override { return optionSets_; }
  SoundPlayer& Player() { return *player_; }
  QMdiArea* Workspace() const { return mdi_; }
  QToolBar* ToolBar() const { return toolBar_; }
  QTabBar* Tabs() const { return winTC_; }
  QMenu* TerminalsMenu() const { return terminalsMenu_; }
  void SetMainMenuShown(bool shown);
  void ReadConfig();
  void WriteConfig();
  TConfigRecord config;

  // Message boxes of the main window; tests answer them.
  enum class MessageKind { Warning, Error };
  std::function<void(MessageKind, const QString& caption, const QString& text)> message;

  // Dialogs that follow the current terminal; bound once they exist.
  std::function<void()> refreshFind;
  std::function<void(TtermForm*)> refreshOptions;
  // The console's log and the parameter prompt, shared by all terminals.
  std::function<void(TtermForm*, const std::string& text)> telnetLog;
  std::function<std::string(const std::string& name)> askParam;
  std::function<std::string(const std::string& name)> askParamUtf8;

  // AccountsOwner: the rest of what the account manager asks of us.
  int LastAccount() const override { return config.accountIndex; }
  void SetLastAccount(int row) override { config.accountIndex = row; }
  void ShowError(const QString& caption, const QString& text) override {
    message(MessageKind::Error, caption, text);
  }

  // TermOwner: what each terminal window reports to and asks of us.
  bool IsCurrentTerminal(const TtermForm* terminal) const override { return CurrentTerminal() == terminal; }
  void TerminalTabsChanged() override { UpdateTabs(); }
  void TerminalConnectionChanged(TtermForm* terminal) override;
  void TerminalClosed(TtermForm* terminal) override { RemoveTerminal(terminal); }
  QMenu* TerminalContextMenu(QWidget* parent) override;
  void SetDragTimerRunning(bool running) override;
  void LinkUnderPointer(bool onLink) override;
  void TerminalSelectionDone() override;
  void TerminalTelnetLog(TtermForm* terminal, const std::string& text) override;
  std::optional<std::string> AskParameter(const std::string& name, bool utf8) override;
  ISoundPlayer& SoundOutput() override;
  bool IsCommandKey(QKeyCombination key) const override;
  std::string ScriptsDir() const override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildToolbar();
  QString ConfigPath() const;
  void winTCChange(int index);
  void winTCMouseDown();

  TOptionSetList& optionSets_;
  QString dataDir_;
  TdModule* module_ = nullptr;
  TerminalRegistry<TtermForm> registry_;
  QMdiArea* mdi_;
  QToolBar* toolBar_ = nullptr;
  QTabBar* winTC_ = nullptr;
  QMenu* terminalsMenu_ = nullptr;
  QActionGroup* windowGroup_;
  SoundPlayer* player_;
  bool shownOnce_ = false;
  bool updatingTabs_ = false;
};

}  // namespace ombrel
