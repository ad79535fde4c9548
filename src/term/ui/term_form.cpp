#include "term/ui/term_form.h"
#include "util/ui/byte_text.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>
#include <QAction>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include "gmcp/game_session.h"
#include "gmcp/ui/game_panes.h"
#include "term/ui/term_owner.h"
#include "script/script_session.h"
#include "script/ui/qt_script_clock.h"
#include "term/ui/qt_client_socket.h"
#include "term/ui/qt_paint.h"
#include "term/ui/command_comforts.h"
#include "term/ui/reconnector.h"
#include "term/ui/term_accessible.h"
#include "term/ui/term_reader.h"
#include "speech/speech_settings.h"
#include "speech/ui/qt_speaker.h"
#include "speech/ui/term_speech.h"

namespace ombrel {

// The terminal view: shows the terminal's off-screen image, repainted at
// most once per frame however many blocks arrive, and hands the pointer to
// the view core.
class TermBox : public QWidget {
 public:
  explicit TermBox(TtermForm* owner) : QWidget(owner), owner_(owner) {
    // Before anything is told about it: its accessible interface is made
    // at the first question and kept.
    InstallTermAccessible();
    setObjectName(kOutputName);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Reached by keys (F6, Tab) for reading; a click leaves the focus
    // where typing goes.
    setFocusPolicy(Qt::TabFocus);
  }

 protected:
  // The plan is drawn straight into the widget: the window system's
  // backing store is an off-screen image already, and copying a second one
  // into it took longer than drawing the text.
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    owner_->PaintView(p, rect());
  }
  void mousePressEvent(QMouseEvent* e) override {
    owner_->view().MouseDown(ButtonOf(e), e->position().x(), e->position().y());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    owner_->view().MouseMove(e->position().x(), e->position().y());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    owner_->view().MouseUp(ButtonOf(e), e->position().x(), e->position().y());
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) owner_->view().DblClick();
  }
  void keyPressEvent(QKeyEvent* e) override { owner_->OutputKeyPress(e); }
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ShortcutOverride && TtermForm::ClaimsFocusKey(static_cast<QKeyEvent*>(e))) {
      e->accept();
      return true;
    }
    return QWidget::event(e);
  }
  void contextMenuEvent(QContextMenuEvent* e) override {
    if (QMenu* menu = owner_->Owner().TerminalContextMenu(this)) {
      menu->setAttribute(Qt::WA_DeleteOnClose);
      menu->popup(e->globalPos());
    }
  }

 private:
  static MouseButton ButtonOf(const QMouseEvent* e) {
    switch (e->button()) {
      case Qt::LeftButton: return MouseButton::Left;
      case Qt::RightButton: return MouseButton::Right;
      default: return MouseButton::Middle;
    }
  }
  TtermForm* owner_;
};

TtermForm::TtermForm(TermOwner& owner, TOptions* options, QWidget* parent)
    : QWidget(parent),
      cmdEdit(new QLineEdit(this)),
      lockLabel(new QLabel(this)),
      countdownLabel(new QLabel(this)),
      sbar(new QScrollBar(Qt::Vertical, this)),
      termBox(new TermBox(this)),
      returnBtn(new QPushButton(this)),
      gamePanes(new TgamePanes(this)),
      owner_(owner),
      session_(options, *this, *this),
      game_(std::make_unique<GameSession>(session_)),
      view_(session_.Core()),
      connection_(AttachQtSocket(session_)) {
  setWindowTitle(Caption());
  setMinimumSize(120, 80);
  sbar->setFixedWidth(16);
  sbar->hide();
  returnBtn->setFixedWidth(0);
  returnBtn->setFocusPolicy(Qt::NoFocus);
  lockLabel->setObjectName("lockLabel");
  lockLabel->setText(QString::fromUtf8("\U0001F512"));
  lockLabel->setToolTip("The server hides what you type");
  lockLabel->setAlignment(Qt::AlignCenter);
  lockLabel->hide();
  countdownLabel->setObjectName("countdownLabel");
  countdownLabel->hide();
  cmdEdit->installEventFilter(this);
  sbar->installEventFilter(this);
  gamePanes->installEventFilter(this);
  connect(cmdEdit, &QLineEdit::returnPressed, this, [this] { returnBtnClick(); });
  connect(returnBtn, &QPushButton::clicked, this, [this] { returnBtnClick(); });
  connect(sbar, &QScrollBar::actionTriggered, this, [this](int) {
    // The position the user moved to, before Qt applies it.
    view_.ScrollBarMoved(sbar->sliderPosition());
  });
  frameTimer_ = new QTimer(this);
  frameTimer_->setSingleShot(true);
  frameTimer_->setInterval(kFrameMs);
  connect(frameTimer_, &QTimer::timeout, termBox, [this] { termBox->update(); });
  session_.AddListener(*this);
  session_.SetHost(this);
  session_.SetSoundPlayer(&owner_.SoundOutput());
  BindView();
  reconnector_ = std::make_unique<Reconnector>(session_, connection_, [this](const std::string& line) {
    countdownLabel->setText(QString::fromStdString(line));
    if (countdownLabel->isVisibleTo(this) == line.empty()) {
      countdownLabel->setVisible(!line.empty());
      LayoutTerminal();
      owner_.TerminalConnectionChanged(this);  // Disconnect stops a countdown
    }
  });
  comforts_ = std::make_unique<CommandComforts>(session_, *cmdEdit);
  core().ClearTerminal();
  setFocusProxy(cmdEdit);
  cmdEdit->setAccessibleName("Command line");
  sbar->setAccessibleName("Scroll back");
  returnBtn->setAccessibleName("Send");
  setTabOrder(cmdEdit, termBox);
  reader_ = new TermReader(session_, *termBox);
  MakeSpeech();
  BindScripts();
}

void TtermForm::MakeSpeech() {
  SpeechSettings settings;
  if (const std::string path = owner_.SpeechSettingsPath(); !path.empty()) LoadSpeechSettings(path, settings);
  speech_ = new TermSpeech(
      session_, [] { return std::make_unique<QtSpeaker>(); }, std::move(settings), this);
}

void TtermForm::BindScripts() {
  const std::string dir = owner_.ScriptsDir();
  if (dir.empty()) return;
  scriptClock_ = new QtScriptClock(this);
  scripts_ = std::make_unique<ScriptSession>(session_, *scriptClock_, dir);
  scripts_->SetSoundPlayer(&owner_.SoundOutput());
  scripts_->SetGameData(game_->Data());
  scriptClock_->SetSession(scripts_.get());
}

TtermForm::~TtermForm() {
  // Its vars are saved while the session and the clock are still there.
  scripts_.reset();
  // The panes are a child widget, which outlives the tree they follow.
  gamePanes->Bind(nullptr);
  // The reader listens to the session, which goes before the output does.
  delete reader_;
  delete speech_;
  // The session outlives the view by a moment: it tells this window nothing more.
  reconnector_.reset();
  comforts_.reset();
  session_.RemoveListener(*this);
  session_.SetHost(nullptr);
}

QWidget* TtermForm::Output() const { return termBox; }

void TtermForm::Cleared() {
  view_.ClearSelection();
  view_.Redraw(false);
}

void TtermForm::LogLoaded() {
  view_.topline = 0;
  view_.follow = false;
  view_.Redraw(false);
}

void TtermForm::ConnectionChanged(ConnectionState state, bool) {
  // The game data session has read the set by now: the panes take its gauges.
  if (state == ConnectionState::Connecting) BindGamePanes();
  owner_.TerminalConnectionChanged(this);
}

void TtermForm::BindGamePanes() {
  const TOptions* o = session_.Options();
  if (game_->On() && o) gamePanes->Bind(&game_->Data(), SettingsOf(o->gamedata).gauges);
  else gamePanes->Bind(nullptr);
}

void TtermForm::UnseenChanged(bool) { owner_.TerminalTabsChanged(); }

void TtermForm::ServerEchoChanged(bool serverEchoes) {
  // Masked, the line edit also refuses to copy what it holds.
  cmdEdit->setEchoMode(serverEchoes ? QLineEdit::Password : QLineEdit::Normal);
  lockLabel->setVisible(serverEchoes);
  LayoutTerminal();
}

void TtermForm::TelnetLog(std::string_view text) { owner_.TerminalTelnetLog(this, std::string(text)); }

bool TtermForm::IsActive() const { return owner_.IsCurrentTerminal(this); }

void TtermForm::ErrorBox(const std::string& text, const std::string& caption) {
  QMessageBox::critical(this, QString::fromStdString(caption), QString::fromLocal8Bit(text.c_str()));
}

void TtermForm::BindView() {
  ViewEvents& v = view_.events;
  v.repaint = [this] {
    SyncScrollBar();
    // However many reads arrive, the box is painted at most once a frame,
    // from the state after the last of them.
    if (!frameTimer_->isActive()) frameTimer_->start();
  };
  v.startDragTimer = [this] { owner_.SetDragTimerRunning(true); };
  v.stopDragTimer = [this] { owner_.SetDragTimerRunning(false); };
  v.clearCommandSelection = [this] { cmdEdit->deselect(); };
  v.openLink = [this](const std::string& url) {
    QDesktopServices::openUrl(QUrl(FromBytes(url, Utf8())));
  };
  v.setHandCursor = [this](bool hand) { termBox->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor); };
  v.linkActionEnabled = [this](bool on) { owner_.LinkUnderPointer(on); };
  v.selectionDone = [this] { owner_.TerminalSelectionDone(); };
}

// The scroll bar widget shows the view's scroll state; its visibility
// changes the paint box's width, so the layout follows it.
void TtermForm::SyncScrollBar() {
  const ScrollBarState& s = view_.scrollbar;
  const QSignalBlocker block(sbar);
  sbar->setPageStep(std::max(1, s.pageSize));
  sbar->setRange(0, std::max(0, s.maximum - s.pageSize + 1));
  sbar->setValue(s.position);
  if (sbar->isVisibleTo(this) != s.visible) {
    sbar->setVisible(s.visible);
    LayoutTerminal();
  }
}

bool TtermForm::DragTimerTick() {
  if (view_.suppressmouse) {
    view_.suppressmouse = false;
    return false;
  }
  view_.DragScroll();
  return true;
}

void TtermForm::SetCaption(const QString& caption) {
  core().caption = ToBytes(caption);
  setWindowTitle(caption);
  if (menuEntry) menuEntry->setText(caption);
  owner_.TerminalTabsChanged();
}

void TtermForm::SetOptions(TOptions* options, bool connecting) {
  if (connecting) {
    // The connection being left must not hear the new script's "connect"
    // handlers; the new one loads it as it starts.
    session_.SetOptions(options);
  } else {
    AssignOptions(options);
  }
  LayoutTerminal();
}

void TtermForm::AssignOptions(TOptions* options) {
  session_.SetOptions(options);
  if (scripts_) scripts_->SetApplied();
}

void TtermForm::ReloadScripts() {
  if (scripts_) scripts_->Reload();
}

void TtermForm::Disconnect() {
  reconnector_->PlayerDisconnected();
  session_.Disconnect();
}

bool TtermForm::CanDisconnect() const { return session_.SocketOpen() || reconnector_->Waiting(); }

// ---- view

void TtermForm::LayoutTerminal() {
  const TOptions* o = session_.Options();
  if (!o) return;
  if (comforts_) comforts_->FollowSwitch();
  const int w = width(), h = height();
  const int editH = cmdEdit->sizeHint().height();
  // The game's panes take what they ask, up to a third of the height.
  const int top = gamePanes->isVisibleTo(this) ? std::min(gamePanes->sizeHint().height(), h / 3) : 0;
  gamePanes->setGeometry(0, 0, w, top);
  sbar->setGeometry(w - sbar->width(), top, sbar->width(), h - editH - top);
  const int boxW = sbar->isVisibleTo(this) ? w - sbar->width() : w;
  termBox->setGeometry(0, top, boxW, h - editH + 1 - top);
  const int editY = top + termBox->height();
  const int lockW = lockLabel->isVisibleTo(this) ? editH : 0;
  lockLabel->setGeometry(0, editY, lockW, editH);
  const int countdownW = countdownLabel->isVisibleTo(this) ? countdownLabel->sizeHint().width() + 8 : 0;
  countdownLabel->setGeometry(lockW, editY, countdownW, editH);
  cmdEdit->setGeometry(lockW + countdownW, editY, w - lockW - countdownW, editH);
  returnBtn->setGeometry(w, editY, 0, editH);
  // The session hears the cells and tells the server only new ones.
  view_.Layout(Measure(*o), termBox->width(), termBox->height());
  // Apply lays the terminal out again: its triggers may have been edited.
  session_.Core().PatternTriggersChanged();
}

const QtTextMeasure& TtermForm::Measure(const TOptions& options) {
  // Options are edited in place, so the font is compared each time; the
  // measure is built again only when it changed.
  const QFont font = TerminalFont(options);
  if (!measure_ || measure_->Font() != font) measure_ = std::make_unique<QtTextMeasure>(font);
  return *measure_;
}

void TtermForm::PaintView(QPainter& painter, const QRect& area) {
  const TOptions* o = session_.Options();
  if (!o) return;
  const QtTextMeasure& measure = Measure(*o);
  view_.BuildPaintPlan(measure, plan_);
  DrawPlan(painter, area, plan_, measure);
}

void TtermForm::PaintImageNow() {
  const TOptions* o = session_.Options();
  if (!o || view_.imageWidth <= 0 || view_.imageHeight <= 0) return;
  if (bitmap_.width() != view_.imageWidth || bitmap_.height() != view_.imageHeight)
    bitmap_ = QImage(view_.imageWidth, view_.imageHeight, QImage::Format_RGB32);
  QPainter painter(&bitmap_);
  PaintView(painter, bitmap_.rect());
}

void TtermForm::wheelEvent(QWheelEvent* event) {
  // Touchpads and smooth wheels send parts of a notch; they add up. Some
  // platforms turn Shift with the wheel into a sideways turn.
  const QPoint delta = event->angleDelta();
  wheelRest_ += delta.y() != 0 ? delta.y() : delta.x();
  const bool shiftOnly = event->modifiers() == Qt::ShiftModifier && event->buttons() == Qt::NoButton;
  for (; wheelRest_ >= 120; wheelRest_ -= 120) view_.Wheel(true, shiftOnly);
  for (; wheelRest_ <= -120; wheelRest_ += 120) view_.Wheel(false, shiftOnly);
  event->accept();
}

// ---- command line

void TtermForm::returnBtnClick() {
  const std::string text = ToBytes(cmdEdit->text(), Utf8());
  cmdEdit->clear();
  session_.Type(text);
}

std::string TtermForm::Ask(const std::string& name) {
  if (askParam) return askParam(name);
  if (auto answer = owner_.AskParameter(name, Utf8())) return *answer;
  return ToBytes(QInputDialog::getText(this, "Parameter", FromBytes(name, Utf8())), Utf8());
}

void TtermForm::PasteText(const std::string& clipboardText) { commandLine().PasteCommands(clipboardText); }

void TtermForm::PasteIntoCommandLine(const std::string& clipboardText) {
  const QString line = FromBytes(commandLine().PasteLineText(clipboardText, true), Utf8());
  if (cmdEdit->hasSelectedText()) {
    cmdEdit->insert(line);
    return;
  }
  const int caret = cmdEdit->cursorPosition();
  QString text = cmdEdit->text();
  text.insert(caret, line);
  cmdEdit->setText(text);
  cmdEdit->setCursorPosition(caret);
}

bool TtermForm::FormKeyDown(QKeyEvent* event) {
  int vk = 0;
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  const int key = event->key();
  if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) {
    vk = 96 + (key - Qt::Key_0);
  } else {
    switch (key) {
      case Qt::Key_PageUp: vk = 33; break;
      case Qt::Key_PageDown: vk = 34; break;
      case Qt::Key_End: vk = 35; break;
      case Qt::Key_Home: vk = 36; break;
      case Qt::Key_Up: vk = 38; break;
      case Qt::Key_Down: vk = 40; break;
      default:
        // Ctrl with a digit may arrive as the shifted symbol; the native key
        // code names the key itself.
        if (key >= Qt::Key_1 && key <= Qt::Key_9) vk = 49 + (key - Qt::Key_1);
        break;
    }
  }
  if (!vk) return false;
  unsigned mods = 0;
  if (event->modifiers() & Qt::ShiftModifier) mods |= kModShift;
  if (event->modifiers() & Qt::AltModifier) mods |= kModAlt;
  if (event->modifiers() & Qt::ControlModifier) mods |= kModCtrl;
  if (auto text = commandLine().KeyDown(vk, mods)) {
    cmdEdit->setText(FromBytes(*text, Utf8()));
    return true;
  }
  return false;
}

bool TtermForm::ClaimsFocusKey(QKeyEvent* event) {
  return event->key() == Qt::Key_F6 && event->modifiers() == Qt::NoModifier && QAccessible::isActive();
}

bool TtermForm::ReaderKeyDown(QKeyEvent* event) {
  // Ctrl alone silences the voice, as screen readers do; it stays a
  // modifier for everything else.
  if (event->key() == Qt::Key_Control && speech_) speech_->Silence();
  if (ClaimsFocusKey(event)) {
    (cmdEdit->hasFocus() ? static_cast<QWidget*>(termBox) : cmdEdit)->setFocus(Qt::ShortcutFocusReason);
    return true;
  }
  int vk = 0;
  switch (event->key()) {
    case Qt::Key_Up: vk = static_cast<int>(KeyCode::kUp); break;
    case Qt::Key_Down: vk = static_cast<int>(KeyCode::kDown); break;
    case Qt::Key_Home: vk = static_cast<int>(KeyCode::kHome); break;
    case Qt::Key_End: vk = static_cast<int>(KeyCode::kEnd); break;
    case Qt::Key_Left: vk = static_cast<int>(KeyCode::kLeft); break;
    default: return false;
  }
  unsigned mods = 0;
  if (event->modifiers() & Qt::ShiftModifier) mods |= kModShift;
  if (event->modifiers() & Qt::AltModifier) mods |= kModAlt;
  if (event->modifiers() & Qt::ControlModifier) mods |= kModCtrl;
  const std::optional<ReviewKey> review = ReviewKeyOf(vk, mods);
  if (!review) return false;
  reader_->Review(*review);
  return true;
}

// In the output the review keys read and the scrolling keys scroll;
// anything typed goes to the command line, which takes the focus back.
void TtermForm::OutputKeyPress(QKeyEvent* event) {
  if (ReaderKeyDown(event) || FormKeyDown(event)) return;
  if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
    cmdEdit->setFocus(Qt::OtherFocusReason);
    cmdEdit->insert(event->text());
    return;
  }
  event->ignore();
}

bool TtermForm::eventFilter(QObject* watched, QEvent* event) {
  // The wheel over the scroll bar scrolls as it does over the text.
  // The panes appear when the game's data comes, and grow with the channel pane.
  if (watched == gamePanes && (event->type() == QEvent::Show || event->type() == QEvent::Hide ||
                               event->type() == QEvent::LayoutRequest)) {
    LayoutTerminal();
    return false;
  }
  if (watched == sbar && event->type() == QEvent::Wheel) {
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
  }
  if (watched == cmdEdit && event->type() == QEvent::ShortcutOverride &&
      ClaimsFocusKey(static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  if (watched == cmdEdit && event->type() == QEvent::ShortcutOverride) {
    // The line edit claims Ctrl+C, Ctrl+V, Ctrl+A, Ctrl+E and more; left
    // unclaimed, they reach the program's commands as the menu items do.
    if (owner_.IsCommandKey(static_cast<QKeyEvent*>(event)->keyCombination())) {
      event->ignore();
      return true;
    }
  }
  if (watched == cmdEdit && event->type() == QEvent::KeyPress) {
    // A history step replaces the line; the edit control must not then
    // move the caret for the same key.
    auto* key = static_cast<QKeyEvent*>(event);
    return ReaderKeyDown(key) || comforts_->KeyPress(*key) || FormKeyDown(key);
  }
  return QWidget::eventFilter(watched, event);
}

// ---- window

void TtermForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutTerminal();
}

void TtermForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  LayoutTerminal();
}

void TtermForm::closeEvent(QCloseEvent* event) {
  // Closing a terminal closes its log and keeps what its scripts counted.
  core().CloseLog();
  if (scripts_) scripts_->SaveVars();
  Disconnect();
  owner_.TerminalClosed(this);
  QWidget::closeEvent(event);
}

}  // namespace ombrel
