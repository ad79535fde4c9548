#include "options/ui/macro_tab.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

#include "options/ui/option_widgets.h"

namespace ombrel {

TmacroTab::TmacroTab(QWidget* parent) : QWidget(parent) {
  setObjectName("macroTab");
  auto* grid = new QGridLayout(this);
  macrokeyCombo = Named(new DropCombo(this), "macrokeyCombo");
  for (int i = 1; i <= kMacroCount; ++i) macrokeyCombo->addItem(QString("Ctrl+%1").arg(i));
  macrokeyCombo->setMaxVisibleItems(10);
  macrokeyCombo->setCurrentIndex(-1);
  macroMemo = Named(new QPlainTextEdit(this), "macroMemo");
  grid->addWidget(new QLabel("Macro Hotkey", this), 0, 0);
  grid->addWidget(macrokeyCombo, 0, 1);
  grid->addWidget(new QLabel("Macro Text", this), 1, 0, Qt::AlignTop);
  grid->addWidget(macroMemo, 1, 1);
  grid->setColumnStretch(1, 1);
  connect(macrokeyCombo, &DropCombo::dropDown, this, &TmacroTab::macrokeyComboDropDown);
  connect(macrokeyCombo, &QComboBox::currentIndexChanged, this, &TmacroTab::macrokeyComboChange);
  macroMemo->installEventFilter(this);
}

void TmacroTab::ShowMacro() {
  if (macrokeyCombo->currentIndex() < 0) {
    const QSignalBlocker block(macrokeyCombo);
    macrokeyCombo->setCurrentIndex(0);
  }
  macroShown_ = macrokeyCombo->currentIndex();
  shownUtf8_ = currentSet_ && currentSet_->features.utf8;
  if (currentSet_) ShowMemo(macroMemo, currentSet_->macros[macroShown_].text, shownUtf8_);
}

void TmacroTab::StoreMacro() {
  if (!currentSet_ || macroShown_ < 0 || macroShown_ >= kMacroCount) return;
  Lines& text = currentSet_->macros[macroShown_].text;
  text = MemoLines(macroMemo, text, shownUtf8_);
}

bool TmacroTab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && watched == macroMemo) macroMemoExit();
  return QWidget::eventFilter(watched, event);
}

void TmacroTab::macrokeyComboDropDown() { StoreMacro(); }

void TmacroTab::macrokeyComboChange() {
  StoreMacro();
  ShowMacro();
}

void TmacroTab::macroMemoExit() { StoreMacro(); }

}  // namespace ombrel
