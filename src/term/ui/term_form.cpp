#include "term/ui/term_form.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "app/ui/sound_player.h"
#include "term/ui/qt_paint.h"

namespace ombrel {

// The terminal view: shows the terminal's off-screen image, repainted at
// most once per frame however many blocks arrive.
class TermBox : public QWidget {
 public:
  explicit TermBox(TtermForm* owner) : QWidget(owner), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
  }
  bool dirty = true;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (dirty) owner_->PaintImageNow();
    QPainter p(this);
    p.drawImage(0, 0, owner_->Bitmap());
  }

 private:
  TtermForm* owner_;
};

TtermForm::TtermForm(TmainForm* main, TOptions* options, QWidget* parent)
    : QWidget(parent),
      cmdEdit(new QLineEdit(this)),
      sbar(new QScrollBar(Qt::Vertical, this)),
      termBox(new TermBox(this)),
      returnBtn(new QPushButton(this)),
      main_(main),
      core_(options),
      commandLine_(core_, *this, *this) {
  setWindowTitle(Caption());
  setMinimumSize(120, 80);
  sbar->setFixedWidth(16);
  sbar->hide();
  returnBtn->setFixedWidth(0);
  returnBtn->setFocusPolicy(Qt::NoFocus);
  cmdEdit->installEventFilter(this);
  connect(cmdEdit, &QLineEdit::returnPressed, this, [this] { returnBtnClick(); });
  connect(returnBtn, &QPushButton::clicked, this, [this] { returnBtnClick(); });
  connect(sbar, &QScrollBar::actionTriggered, this, [this](int) {
    // The position the user moved to, before Qt applies it.
    topline = sbar->sliderPosition();
    follow = topline >= core_.curline() - core_.rows;
    Redraw(true);
  });
  BindCore();
  core_.ClearTerminal();
  setFocusProxy(cmdEdit);
}

TtermForm::~TtermForm() = default;

void TtermForm::BindCore() {
  TermEvents& e = core_.Events();
  e.isActive = [this](const TermCore&) { return main_->CurrentTerminal() == this; };
  e.tabsChanged = [this](TermCore&) { main_->UpdateTabs(); };
  e.disconnectChanged = [this](TermCore&) {
    if (main_->Module()) main_->Module()->UpdateDisconnect(this);
  };
  e.captionChanged = [this](TermCore&) { SetCaption(Caption()); };
  e.repaint = [this](TermCore&) {
    if (follow)
      ScrollToEnd();
    else
      Redraw(false);
  };
  e.cleared = [this](TermCore&) { Redraw(false); };
  e.showTop = [this](TermCore&) {
    topline = 0;
    follow = false;
    Redraw(false);
  };
  e.errorBox = [this](TermCore&, const std::string& text, const std::string& caption) {
    QMessageBox::critical(this, QString::fromStdString(caption), QString::fromLocal8Bit(text.c_str()));
  };
  core_.sendAutologin = [this](TermCore&, const std::string& text) {
    commandLine_.Processor().SendCommand(text, false);
  };
  core_.SetSoundPlayer(&main_->Player());
}

void TtermForm::SetCaption(const QString& caption) {
  core_.caption = caption.toLocal8Bit().toStdString();
  setWindowTitle(caption);
  if (menuEntry) menuEntry->setText(caption);
  main_->UpdateTabs();
}

void TtermForm::SetOptions(TOptions* options) {
  core_.SetOptions(options);
  LayoutTerminal();
}

void TtermForm::Disconnect() {
  if (core_.Socket()) core_.Socket()->Close();
}

// ---- view

void TtermForm::LayoutTerminal() {
  const TOptions* o = core_.Options();
  if (!o) return;
  const int w = width(), h = height();
  const int editH = cmdEdit->sizeHint().height();
  sbar->setGeometry(w - sbar->width(), 0, sbar->width(), h - editH);
  const int boxW = sbar->isVisible() ? w - sbar->width() : w;
  termBox->setGeometry(0, 0, boxW, h - editH + 1);
  cmdEdit->setGeometry(0, termBox->height(), w, editH);
  returnBtn->setGeometry(w, termBox->height(), 0, editH);
  bitmap_ = QImage(std::max(1, termBox->width() + 1), std::max(1, termBox->height() + 1),
                   QImage::Format_RGB32);
  QFontMetrics fm(TerminalFont(*o));
  charwidth = std::max(1, fm.horizontalAdvance("W"));
  lineheight = std::max(1, fm.height());
  core_.cols = bitmap_.width() / charwidth;
  core_.rows = bitmap_.height() / lineheight;
  sbar->setSingleStep(1);
  sbar->setPageStep(std::max(1, core_.rows));
  if (follow)
    ScrollToEnd();
  else
    Redraw(false);
  core_.ReportWindowSize();
}

void TtermForm::Redraw(bool fromScrollBar) {
  const TOptions* o = core_.Options();
  if (!o) return;
  const int curline = core_.curline(), rows = core_.rows;
  if (fromScrollBar) {
    sbar->setValue(topline);
  } else {
    if (o->scrollbar && rows <= curline) {
      sbar->setPageStep(rows);
      sbar->setRange(0, std::max(0, curline - rows + 1));
      sbar->setValue(topline);
      sbar->show();
    } else {
      sbar->hide();
    }
    if (curline - topline < rows) topline = std::max(0, curline - rows + 1);
  }
  termBox->dirty = true;
  termBox->update();
}

void TtermForm::PaintImageNow() {
  termBox->dirty = false;
  const TOptions* o = core_.Options();
  if (!o || bitmap_.isNull()) return;
  PaintTerminalImage(bitmap_, core_.Store(), *o, topline, core_.rows, charwidth, lineheight);
}

void TtermForm::ScrollToEnd() {
  topline = std::max(0, core_.curline() - core_.rows + 1);
  Redraw(false);
}

void TtermForm::ScrollBy(int delta, bool repaint) {
  topline += delta;
  const int last = core_.curline() - core_.rows + 1;
  if (delta >= 0 && topline > last) {
    topline = last;
    follow = true;
  }
  if (delta < 0) {
    if (topline < 0) topline = 0;
    follow = false;
  }
  if (repaint) Redraw(false);
}

void TtermForm::wheelEvent(QWheelEvent* event) {
  const int notches = event->angleDelta().y() / 120;
  if (notches == 0) return;
  const bool shiftOnly = event->modifiers() == Qt::ShiftModifier && event->buttons() == Qt::NoButton;
  const int step = shiftOnly ? 5 : 1;
  for (int i = 0; i < std::abs(notches); ++i) ScrollBy(notches > 0 ? -step : step, true);
  event->accept();
}

// ---- selection (filled in with the view logic)

void TtermForm::NormalizeSelection() {}
std::string TtermForm::GetSelectedText() { return {}; }
std::string TtermForm::GetSelectedLine() { return {}; }
void TtermForm::SelectAll() {}
void TtermForm::DragScrollStep() {}

// ---- command line

void TtermForm::returnBtnClick() {
  const std::string text = cmdEdit->text().toLocal8Bit().toStdString();
  cmdEdit->clear();
  commandLine_.ReturnPressed(text);
}

std::string TtermForm::Ask(const std::string& name) {
  if (askParam) return askParam(name);
  return QInputDialog::getText(this, "Parameter", QString::fromLocal8Bit(name.c_str()))
      .toLocal8Bit()
      .toStdString();
}

void TtermForm::PasteText(const std::string& clipboardText) { commandLine_.PasteCommands(clipboardText); }

void TtermForm::PasteIntoCommandLine(const std::string& clipboardText) {
  const QString line = QString::fromLocal8Bit(commandLine_.PasteLineText(clipboardText, true).c_str());
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
  if (auto text = commandLine_.KeyDown(vk, mods)) {
    cmdEdit->setText(QString::fromLocal8Bit(text->c_str()));
    return true;
  }
  return false;
}

bool TtermForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cmdEdit && event->type() == QEvent::KeyPress) {
    // A history step replaces the line; the edit control must not then
    // move the caret for the same key.
    return FormKeyDown(static_cast<QKeyEvent*>(event));
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
  core_.CloseLog();
  if (core_.Socket()) core_.Socket()->Close();
  main_->RemoveTerminal(this);
  QWidget::closeEvent(event);
}

}  // namespace ombrel
