#include "options/ui/option_widgets.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>

#include "util/ui/byte_text.h"
#include "term/ui/qt_paint.h"

namespace ombrel {

void DropCombo::showPopup() {
  emit dropDown();
  fromPopup_ = true;
  QComboBox::showPopup();
}

void DropCombo::hidePopup() {
  QComboBox::hidePopup();
  // The choice made in the list is reported right after it closes.
  QTimer::singleShot(0, this, [this] { fromPopup_ = false; });
}

ColorSwatch::ColorSwatch(QWidget* parent, Color color) : QFrame(parent), color_(color) {
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  setMinimumSize(22, 14);
  setCursor(Qt::PointingHandCursor);
  setColor(color);
}

void ColorSwatch::setColor(Color color) {
  color_ = color;  // a high byte read from the file is kept; only the swatch ignores it
  QPalette p = palette();
  p.setColor(QPalette::Window, ToQColor(color_));
  setPalette(p);
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

namespace {
QString MemoText(const Lines& lines, bool utf8) { return FromBytes(LinesToMemo(lines), utf8).replace("\r\n", "\n"); }
}  // namespace

void ShowMemo(QPlainTextEdit* memo, const Lines& lines, bool utf8) { memo->setPlainText(MemoText(lines, utf8)); }

Lines MemoLines(const QPlainTextEdit* memo, const Lines& shownFrom, bool utf8) {
  const QString text = memo->toPlainText();
  return text == MemoText(shownFrom, utf8) ? shownFrom : MemoToLines(ToBytes(text, utf8));
}

}  // namespace ombrel
