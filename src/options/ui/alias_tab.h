// The Aliases tab of the option set editor: the set's aliases in a list,
// the translation of the one chosen, adding and deleting.
#pragma once

#include <QWidget>

#include "options/option_edit.h"

class QPlainTextEdit;
class QPushButton;

namespace ombrel {

class DropCombo;
struct EditorDialogs;

class TaliasTab : public QWidget {
  Q_OBJECT
 public:
  explicit TaliasTab(const EditorDialogs& dialogs, QWidget* parent = nullptr);

  void SetCurrentSet(TOptions* set) { currentSet_ = set; }
  // Refills the list and shows entry `choose`, or the one chosen before.
  void ShowAlias(int choose = -1);
  // Keeps the memo's edits in the alias it shows.
  void StoreAlias();

  DropCombo* aliasCombo;
  QPushButton* addaliasBtn;
  QPushButton* delaliasBtn;
  QPlainTextEdit* aliasMemo;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void aliasComboDropDown();
  void aliasComboChange();
  void addaliasBtnClick();
  void delaliasBtnClick();
  void aliasMemoExit();

  const EditorDialogs& dialogs_;
  TOptions* currentSet_ = nullptr;
  // How the fields were filled: the Features tab may switch UTF-8 meanwhile.
  bool shownUtf8_ = false;
  // The alias the memo shows; stores go to it, whatever the list was
  // switched to since.
  int aliasShown_ = -1;
};

}  // namespace ombrel
