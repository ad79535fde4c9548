#include "options/ui/alias_tab.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "options/ui/option_pickers.h"
#include "options/ui/option_widgets.h"
#include "util/ui/byte_text.h"

namespace ombrel {

TaliasTab::TaliasTab(const EditorDialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs) {
  setObjectName("aliasTab");
  auto* grid = new QGridLayout(this);
  aliasCombo = Named(new DropCombo(this), "aliasCombo");
  addaliasBtn = Named(new QPushButton("Add Alias", this), "addaliasBtn");
  delaliasBtn = Named(new QPushButton("Delete", this), "delaliasBtn");
  for (QPushButton* b : {addaliasBtn, delaliasBtn}) b->setAutoDefault(false);
  aliasMemo = Named(new QPlainTextEdit(this), "aliasMemo");
  grid->addWidget(new QLabel("Alias for", this), 0, 0);
  grid->addWidget(aliasCombo, 0, 1);
  grid->addWidget(addaliasBtn, 0, 2);
  grid->addWidget(delaliasBtn, 0, 3);
  grid->addWidget(new QLabel("Alias translation", this), 1, 0, Qt::AlignTop);
  grid->addWidget(aliasMemo, 1, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  connect(aliasCombo, &DropCombo::dropDown, this, &TaliasTab::aliasComboDropDown);
  connect(aliasCombo, &QComboBox::currentIndexChanged, this, &TaliasTab::aliasComboChange);
  connect(addaliasBtn, &QPushButton::clicked, this, &TaliasTab::addaliasBtnClick);
  connect(delaliasBtn, &QPushButton::clicked, this, &TaliasTab::delaliasBtnClick);
  aliasMemo->installEventFilter(this);
}

void TaliasTab::ShowAlias(int choose) {
  const int remembered = choose >= 0 ? choose : aliasCombo->currentIndex();
  const int count = currentSet_ ? static_cast<int>(currentSet_->aliases.size()) : 0;
  const int index = ReselectIndex(remembered, count);
  shownUtf8_ = currentSet_ && currentSet_->features.utf8;
  {
    const QSignalBlocker block(aliasCombo);
    aliasCombo->clear();
    for (int i = 0; i < count; ++i) aliasCombo->addItem(FromBytes(currentSet_->aliases[i].name, shownUtf8_));
    aliasCombo->setCurrentIndex(index);
  }
  aliasShown_ = index;
  ShowMemo(aliasMemo, index >= 0 ? currentSet_->aliases[index].translation : Lines{}, shownUtf8_);
}

void TaliasTab::StoreAlias() {
  if (!currentSet_ || aliasShown_ < 0 || aliasShown_ >= static_cast<int>(currentSet_->aliases.size()))
    return;
  Lines& translation = currentSet_->aliases[aliasShown_].translation;
  translation = MemoLines(aliasMemo, translation, shownUtf8_);
}

bool TaliasTab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && watched == aliasMemo) aliasMemoExit();
  return QWidget::eventFilter(watched, event);
}

void TaliasTab::aliasComboDropDown() { StoreAlias(); }

void TaliasTab::aliasComboChange() {
  StoreAlias();
  ShowAlias();
}

void TaliasTab::addaliasBtnClick() {
  if (!currentSet_ || !dialogs_.askName) return;
  const auto name = dialogs_.askName("Add Alias", "Name of new Alias");
  if (!name || !currentSet_) return;
  StoreAlias();
  // Typed in a UTF-8 set, the alias is typed the same way when it is used.
  ShowAlias(AddAlias(*currentSet_, ToBytes(*name, currentSet_->features.utf8)));
}

void TaliasTab::delaliasBtnClick() {
  if (!currentSet_ || aliasShown_ < 0) return;
  if (DeleteAlias(*currentSet_, aliasShown_, dialogs_.ask) != DeleteResult::Deleted) return;
  aliasShown_ = -1;
  ShowAlias();
}

void TaliasTab::aliasMemoExit() { StoreAlias(); }

}  // namespace ombrel
