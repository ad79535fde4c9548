// The Triggers tab of the option set editor: the set's triggers in a list,
// the fields of the one chosen, adding and deleting.
#pragma once

#include <QWidget>

#include "options/option_edit.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ombrel {

class DropCombo;
class TpatternFields;
struct EditorDialogs;

class TtriggerTab : public QWidget {
  Q_OBJECT
 public:
  explicit TtriggerTab(const EditorDialogs& dialogs, QWidget* parent = nullptr);

  void SetCurrentSet(TOptions* set) { currentSet_ = set; }
  // Refills the list and shows entry `choose`, or the one chosen before.
  void ShowTrigger(int choose = -1);
  // Keeps the fields' edits in the trigger they show.
  void StoreTrigger();

  DropCombo* trigEventCombo;
  QPushButton* trigAddBtn;
  QPushButton* trigDeleteBtn;
  QLineEdit* trigStringEdit;
  QCheckBox* trigSendCB;
  QPlainTextEdit* trigSendMemo;
  QCheckBox* trigPlaysoundCB;
  QLineEdit* trigSoundfileEdit;
  QPushButton* trigBrowseBtn;
  TpatternFields* patternFields;

  // The Features tab's Pattern Triggers switch: the pattern fields are
  // shown, and stored, while it is on.
  void ShowPatternFields(bool shown);

 private:
  void trigEventComboDropDown();
  void trigEventComboChange();
  void trigAddBtnClick();
  void trigDeleteBtnClick();
  void trigBrowseBtnClick();
  // PCRE2's word on the string as typed, under it.
  void CheckPattern();

  const EditorDialogs& dialogs_;
  TOptions* currentSet_ = nullptr;
  // How the fields were filled: the Features tab may switch UTF-8 meanwhile.
  bool shownUtf8_ = false;
  // The trigger the fields show; stores go to it, whatever the list was
  // switched to since.
  int triggerShown_ = -1;
  bool patternsShown_ = false;
};

}  // namespace ombrel
