// A terminal window: the view painted from the line store, its scroll bar,
// and the command line, over a terminal session it holds with its socket.
// The rules live in the session and the view core; this class wires them
// to Qt, as one listener of the session among any others.
#pragma once

#include <QImage>
#include "util/ui/byte_text.h"
#include <QWidget>
#include <memory>

#include "term/term_session.h"
#include "term/term_view.h"

class QAction;
class QLabel;
class QLineEdit;
class QMdiSubWindow;
class QPainter;
class QPushButton;
class QScrollBar;
class QTimer;

namespace ombrel {

class GameSession;
class TermOwner;
class TermBox;
class TgamePanes;
class QtClientSocket;
class QtScriptClock;
class Reconnector;
class CommandComforts;
class QtTextMeasure;
class ScriptSession;
class TermReader;
class TermSpeech;

class TtermForm : public QWidget, private ScrollTarget, private ParamPrompt, private TermListener, private TermHost {
  Q_OBJECT
 public:
  TtermForm(TermOwner& owner, TOptions* options, QWidget* parent = nullptr);
  ~TtermForm() override;

  TermSession& session() { return session_; }
  TermCore& core() { return session_.Core(); }
  TermOwner& Owner() const { return owner_; }
  CommandLine& commandLine() { return session_.Commands(); }
  QString Caption() const { return FromBytes(session_.Core().caption); }
  void SetCaption(const QString& caption);
  // The set takes effect (its scripts too) and the view is laid out anew.
  // `connecting`: a new connection is made right after, which loads the
  // set's script itself.
  void SetOptions(TOptions* options, bool connecting = false);
  // The same without the layout, which the caller does.
  void AssignOptions(TOptions* options);
  // Extras > Reload Scripts.
  void ReloadScripts();
  // The terminal's scripts; null when the owner keeps no scripts folder.
  ScriptSession* Scripts() { return scripts_.get(); }
  // Tests put another socket in place of the connection, which stays.
  void SetSocket(IClientSocket* socket) { core().SetSocket(socket); }
  // The terminal's own connection, which the session keeps.
  QtClientSocket& Connection() { return connection_; }

  // Registry bookkeeping of the main window.
  QMdiSubWindow* subWindow = nullptr;
  QAction* menuEntry = nullptr;

  QLineEdit* cmdEdit;
  // Left of the command line: the lock while the server hides what is typed.
  QLabel* lockLabel;
  // Beside it, the countdown to the next attempt while reconnecting.
  QLabel* countdownLabel;
  QScrollBar* sbar;
  TermBox* termBox;
  QPushButton* returnBtn;
  // Gauges, room and channel talk above the text, hidden until the game sends some.
  TgamePanes* gamePanes;
  GameSession& Game() { return *game_; }

  bool Connected() const { return session_.Connected(); }
  // Whether the set shows, keeps and sends its texts as UTF-8.
  bool Utf8() const { return session_.Options() && session_.Options()->features.utf8; }
  // Closes the connection, or stops the countdown to the next one.
  void Disconnect();
  // There is a connection to close or a countdown to stop.
  bool CanDisconnect() const;

  // View: scrolling, selection, find and links live in the view core.
  TermView& view() { return view_; }
  void LayoutTerminal();
  void Redraw(bool fromScrollBar) { view_.Redraw(fromScrollBar); }
  void ScrollToEnd() { view_.ScrollToEnd(); }
  void ScrollBy(int delta, bool repaint) { view_.ScrollBy(delta, repaint); }
  const QImage& Bitmap() const { return bitmap_; }
  // The view as the plan says it looks now, drawn into an off-screen image
  // of the view's size (the window draws into its own).
  void PaintImageNow();
  // Draws the view's plan over `area` of the painter's device.
  void PaintView(QPainter& painter, const QRect& area);

  // Selection, copy, links.
  void NormalizeSelection() { view_.NormalizeSelection(); }
  std::string GetSelectedText() { return view_.GetSelectedText(); }
  std::string GetSelectedLine() { return view_.GetSelectedLine(); }
  void SelectAll() { view_.SelectAll(); }
  // One tick of the drag timer; false when the timer should stop.
  bool DragTimerTick();

  // Paste.
  void PasteText(const std::string& clipboardText);
  void PasteIntoCommandLine(const std::string& clipboardText);

  // What a screen reader hears of this terminal.
  TermReader& Reader() { return *reader_; }
  TermReader* ReaderIfMade() const { return reader_; }
  // The output, as a widget (its class stays inside the window).
  QWidget* Output() const;

  // The parameter prompt of alias and macro expansion.
  std::function<std::string(const std::string& name)> askParam;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // ScrollTarget
  void ScrollBy(int lines) override { ScrollBy(lines, true); }
  int Rows() const override { return session_.Core().rows; }
  int CurLine() const override { return session_.Core().curline(); }
  // ParamPrompt
  std::string Ask(const std::string& name) override;
  // TermListener
  void TextShown() override { view_.AfterWrite(); }
  void Cleared() override;
  void LogLoaded() override;
  void CaptionChanged(const std::string&) override { SetCaption(Caption()); }
  void ConnectionChanged(ConnectionState, bool) override;
  void UnseenChanged(bool) override;
  void TelnetLog(std::string_view text) override;
  void ServerEchoChanged(bool serverEchoes) override;
  // TermHost
  bool IsActive() const override;
  void ErrorBox(const std::string& text, const std::string& caption) override;

  void BindView();
  void BindScripts();
  void SyncScrollBar();
  void BindGamePanes();
  const QtTextMeasure& Measure(const TOptions& options);
  void returnBtnClick();
  bool FormKeyDown(QKeyEvent* event);
  // The review keys and F6, in the command line and the output alike.
  bool ReaderKeyDown(QKeyEvent* event);
  void MakeSpeech();
  // F6 moves the focus when an assistive technology is active; else the
  // key arranges the windows, as it always did.
  static bool ClaimsFocusKey(QKeyEvent* event);
  void OutputKeyPress(QKeyEvent* event);
  friend class TermBox;

  TermOwner& owner_;
  TermSession session_;
  std::unique_ptr<GameSession> game_;  // before the session goes
  TermView view_;
  QtClientSocket& connection_;  // kept by the session
  QImage bitmap_;
  PaintPlan plan_;  // kept from frame to frame, so its runs keep their room
  std::unique_ptr<QtTextMeasure> measure_;
  static constexpr int kFrameMs = 16;
  int wheelRest_ = 0;  // wheel turn not yet a whole notch
  QTimer* frameTimer_ = nullptr;
  QtScriptClock* scriptClock_ = nullptr;  // a child: outlives scripts_
  std::unique_ptr<ScriptSession> scripts_;
  std::unique_ptr<Reconnector> reconnector_;
  std::unique_ptr<CommandComforts> comforts_;
  TermReader* reader_ = nullptr;  // a child of the output
  TermSpeech* speech_ = nullptr;  // a child of this window
};

}  // namespace ombrel
