#include "options/ui/trigger_tab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "options/ui/option_pickers.h"
#include "options/ui/option_widgets.h"
#include "options/ui/pattern_fields.h"
#include "util/ui/byte_text.h"
#include "util/ui/file_name.h"

namespace ombrel {

TtriggerTab::TtriggerTab(const EditorDialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
  setObjectName("triggerTab");
  auto* grid = new QGridLayout(this);
  trigEventCombo = Named(new DropCombo(this), "trigEventCombo");
  trigAddBtn = Named(new QPushButton("Add Trigger", this), "trigAddBtn");
  trigDeleteBtn = Named(new QPushButton("Delete", this), "trigDeleteBtn");
  trigStringEdit = Named(new QLineEdit(this), "trigStringEdit");
  trigSendCB = Named(new QCheckBox("Send Text", this), "trigSendCB");
  trigSendMemo = Named(new QPlainTextEdit(this), "trigSendMemo");
  trigPlaysoundCB = Named(new QCheckBox("Play Sound", this), "trigPlaysoundCB");
  trigSoundfileEdit = Named(new QLineEdit(this), "trigSoundfileEdit");
  trigBrowseBtn = Named(new QPushButton("Browse", this), "trigBrowseBtn");
  patternFields = new TpatternFields(dialogs, this);
  patternFields->setVisible(false);
  for (QPushButton* b : {trigAddBtn, trigDeleteBtn, trigBrowseBtn}) b->setAutoDefault(false);
  grid->addWidget(new QLabel("Event", this), 0, 0);
  grid->addWidget(trigEventCombo, 0, 1);
  grid->addWidget(trigAddBtn, 0, 2);
  grid->addWidget(trigDeleteBtn, 0, 3);
  grid->addWidget(new QLabel("Trigger String", this), 1, 0);
  grid->addWidget(trigStringEdit, 1, 1, 1, 3);
  // Named by the switches beside them, which are no labels.
  trigSendMemo->setAccessibleName("Text to send");
  trigSoundfileEdit->setAccessibleName("Sound file");
  grid->addWidget(trigSendCB, 2, 0, Qt::AlignTop);
  grid->addWidget(trigSendMemo, 2, 1, 1, 3);
  grid->addWidget(trigPlaysoundCB, 3, 0);
  grid->addWidget(trigSoundfileEdit, 3, 1, 1, 2);
  grid->addWidget(trigBrowseBtn, 3, 3);
  grid->addWidget(patternFields, 4, 0, 1, 4);
  grid->setColumnStretch(1, 1);

  connect(trigEventCombo, &DropCombo::dropDown, this, &TtriggerTab::trigEventComboDropDown);
  connect(trigEventCombo, &QComboBox::currentIndexChanged, this, &TtriggerTab::trigEventComboChange);
  connect(trigAddBtn, &QPushButton::clicked, this, &TtriggerTab::trigAddBtnClick);
  connect(trigDeleteBtn, &QPushButton::clicked, this, &TtriggerTab::trigDeleteBtnClick);
  connect(trigBrowseBtn, &QPushButton::clicked, this, &TtriggerTab::trigBrowseBtnClick);
  connect(trigStringEdit, &QLineEdit::textChanged, this, &TtriggerTab::CheckPattern);
  connect(patternFields, &TpatternFields::patternChanged, this, &TtriggerTab::CheckPattern);
}

void TtriggerTab::ShowPatternFields(bool shown) {
  patternsShown_ = shown;
  patternFields->setVisible(shown);
  CheckPattern();
}

void TtriggerTab::CheckPattern() {
  if (patternsShown_ && triggerShown_ >= 0)
    patternFields->Check(ToBytes(trigStringEdit->text(), shownUtf8_), shownUtf8_);
}

void TtriggerTab::ShowTrigger(int choose) {
  const int remembered = choose >= 0 ? choose : trigEventCombo->currentIndex();
  const int count = currentSet_ ? static_cast<int>(currentSet_->triggers.size()) : 0;
  const int index = ReselectIndex(remembered, count);
  shownUtf8_ = currentSet_ && currentSet_->features.utf8;
  {
    const QSignalBlocker block(trigEventCombo);
    trigEventCombo->clear();
    for (int i = 0; i < count; ++i) trigEventCombo->addItem(FromBytes(currentSet_->triggers[i].name, shownUtf8_));
    trigEventCombo->setCurrentIndex(index);
  }
  triggerShown_ = index;
  const TriggerFields f = FieldsFromTrigger(index >= 0 ? &currentSet_->triggers[index] : nullptr);
  trigStringEdit->setText(FromBytes(f.string, shownUtf8_));
  trigSendCB->setChecked(f.textenabled);
  trigPlaysoundCB->setChecked(f.soundenabled);
  trigSendMemo->setPlainText(FromBytes(f.text, shownUtf8_).replace("\r\n", "\n"));
  // A file name, in the encoding the file system uses.
  trigSoundfileEdit->setText(FromFileName(f.soundfile));
  patternFields->Show(index >= 0 ? &currentSet_->triggers[index] : nullptr,
                      currentSet_ ? currentSet_->patterns.groupsoff : Lines(), shownUtf8_);
  ShowPatternFields(currentSet_ && currentSet_->features.patterns);
}

void TtriggerTab::StoreTrigger() {
  if (!currentSet_ || triggerShown_ < 0 || triggerShown_ >= static_cast<int>(currentSet_->triggers.size()))
    return;
  const TTrigger& shown = currentSet_->triggers[triggerShown_];
  TriggerFields f;
  f.string = ToBytes(trigStringEdit->text(), shown.string, shownUtf8_);
  f.textenabled = trigSendCB->isChecked();
  f.soundenabled = trigPlaysoundCB->isChecked();
  f.text = LinesToMemo(MemoLines(trigSendMemo, shown.text, shownUtf8_));
  // Untouched, the name keeps its bytes even where they are not valid in
  // the local encoding.
  const std::string& stored = shown.soundfile;
  f.soundfile = trigSoundfileEdit->text() == FromFileName(stored)
                    ? stored
                    : FileName(trigSoundfileEdit->text());
  TTrigger& trigger = currentSet_->triggers[triggerShown_];
  if (!patternsShown_) return StoreTriggerFields(f, trigger);
  const TPatternTrigger before = trigger.pattern;
  const std::string refused = patternFields->Check(f.string, shownUtf8_);
  patternFields->Store(trigger, currentSet_->patterns.groupsoff, shownUtf8_);
  if (!refused.empty()) {
    // The pattern that was valid stays; the rest of the fields are kept.
    f.string = shown.string;
    trigger.pattern.kind = before.kind;
    trigger.pattern.ignorecase = before.ignorecase;
    if (dialogs_.ask)
      dialogs_.ask({"The pattern of trigger \"" + trigger.name + "\" is not valid, so it was not changed: " + refused,
                    "Invalid Pattern", MsgIcon::Warning});
  }
  StoreTriggerFields(f, trigger);
}

void TtriggerTab::trigEventComboDropDown() { StoreTrigger(); }

void TtriggerTab::trigEventComboChange() {
  // The fields still hold the trigger chosen before; keep their edits.
  StoreTrigger();
  ShowTrigger();
}

void TtriggerTab::trigAddBtnClick() {
  if (!currentSet_ || !dialogs_.askName) return;
  const auto name = dialogs_.askName("Add Trigger", "Name of new Trigger");
  if (!name || !currentSet_) return;
  StoreTrigger();
  ShowTrigger(AddTrigger(*currentSet_, ToBytes(*name, currentSet_->features.utf8)));
}

void TtriggerTab::trigDeleteBtnClick() {
  if (!currentSet_ || triggerShown_ < 0) return;
  if (DeleteTrigger(*currentSet_, triggerShown_, dialogs_.ask) != DeleteResult::Deleted) return;
  triggerShown_ = -1;
  ShowTrigger();
}

void TtriggerTab::trigBrowseBtnClick() {
  if (!dialogs_.chooseSoundFile) return;
  const QString file = dialogs_.chooseSoundFile(trigSoundfileEdit->text());
  if (!file.isEmpty()) trigSoundfileEdit->setText(file);
}

}  // namespace ombrel
