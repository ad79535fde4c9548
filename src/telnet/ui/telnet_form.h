// The telnet console: negotiation states of the current terminal, the
// shared negotiation log of all terminals, and the telnet command buttons.
#pragma once

#include <QWidget>
#include <string>

class QAction;
class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace ombrel {

class OpenTerminals;
class TtermForm;

// The program's commands the console's buttons run and show.
struct ConsoleActions {
  QAction *ayt, *ip, *ao, *negotiate;
  QAction* log;      // checked: the log pane is open
  QAction* console;  // checked: the console is shown
};

class TtelnetForm : public QWidget {
  Q_OBJECT
 public:
  TtelnetForm(OpenTerminals& terminals, const ConsoleActions& actions, QWidget* parent);

  // The rows for `terminal`, or for the current terminal when none.
  void ShowOptionStates(TtermForm* terminal = nullptr);
  void Collapse();
  void Expand();
  // A terminal's parser logged a step.
  void TelnetLog(TtermForm* terminal, const std::string& text);

  QWidget* controlpanel;
  QPushButton *aytBtn, *ipBtn, *Button1, *negBtn;
  QCheckBox* CheckBox1;
  QTreeWidget* statusLV;
  QPlainTextEdit* logMemo;
  // A peer negotiating without end must not fill the memory: the log keeps
  // its newest lines only.
  static constexpr int kLogLines = 2000;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  static constexpr int kPanelHeight = 40;
  static constexpr int kListHeight = 60;
  OpenTerminals& terminals_;
  QAction* consoleAction_;
  int logHeight_ = 0;  // the log pane's height, 0 while collapsed
};

}  // namespace ombrel
