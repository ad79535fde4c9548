// The small controls of the option set editor and the helpers its tabs
// share to fill them.
#pragma once

#include <QComboBox>
#include <QFrame>

#include "options/option_edit.h"

class QPlainTextEdit;

namespace ombrel {

// A drop-down list that reports its opening before it opens.
class DropCombo : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void showPopup() override;
  void hidePopup() override;
  // True while a choice comes from the opened list rather than the keyboard.
  bool FromPopup() const { return fromPopup_; }
 signals:
  void dropDown();

 private:
  bool fromPopup_ = false;
};

// A clickable colour swatch.
class ColorSwatch : public QFrame {
  Q_OBJECT
 public:
  explicit ColorSwatch(QWidget* parent, Color color = 0);
  Color color() const { return color_; }
  void setColor(Color color);
 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Color color_;
};

// Tests and the rest of the program find the controls by these names.
template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}

// A memo shows its lines with plain line breaks and gives them back split
// as the stored lines are.
// A set that shows UTF-8 has its texts edited as UTF-8.
void ShowMemo(QPlainTextEdit* memo, const Lines& lines, bool utf8 = false);
// Left as shown, the lines keep their bytes.
Lines MemoLines(const QPlainTextEdit* memo, const Lines& shownFrom, bool utf8);

}  // namespace ombrel
