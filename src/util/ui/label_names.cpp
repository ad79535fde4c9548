#include "util/ui/label_names.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>
#include <climits>

namespace ombrel {

namespace {

// How far `label` is from naming `field`: a label just above, starting
// where the field starts, or just left on the same row; INT_MAX otherwise.
int Distance(const QRect& label, const QRect& field) {
  const int above = field.top() - label.bottom();
  if (above >= -2 && above <= 20 && std::abs(label.left() - field.left()) <= 6) return above + 2;
  const int left = field.left() - label.right();
  const bool sameRow = label.top() < field.bottom() && label.bottom() > field.top();
  if (sameRow && left >= -2 && left <= 60) return left + 2;
  return INT_MAX;
}

QLabel* LabelFor(QWidget* field) {
  QWidget* parent = field->parentWidget();
  if (!parent) return nullptr;
  QLabel* best = nullptr;
  int bestDistance = INT_MAX;
  for (QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    if (label->text().isEmpty() || (label->buddy() && label->buddy() != field)) continue;
    const int d = Distance(label->geometry(), field->geometry());
    if (d < bestDistance) best = label, bestDistance = d;
  }
  return best;
}

}  // namespace

void NameControlsByLabels(QWidget* root) {
  for (QWidget* field : root->findChildren<QWidget*>()) {
    if (field->focusPolicy() == Qt::NoFocus || !field->accessibleName().isEmpty() ||
        qobject_cast<QAbstractButton*>(field) || qobject_cast<QLabel*>(field))
      continue;
    if (QLabel* label = LabelFor(field)) {
      label->setBuddy(field);
      field->setAccessibleName(label->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed());
    }
  }
}

}  // namespace ombrel

#include <QApplication>
#include <QEvent>
#include <QStackedWidget>

namespace ombrel {

namespace {

class LabelNamer : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      // A tab's page is laid out only when first shown: its labels have
      // their places then.
      if (widget->isWindow() || qobject_cast<QStackedWidget*>(widget->parentWidget()))
        NameControlsByLabels(widget);
    }
    return false;
  }
};

}  // namespace

void NameControlsWhenShown() {
  static LabelNamer* namer = [] {
    auto* n = new LabelNamer(qApp);
    qApp->installEventFilter(n);
    return n;
  }();
  (void)namer;
}

}  // namespace ombrel
