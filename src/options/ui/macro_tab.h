// The Macros tab of the option set editor: the text of each Ctrl+digit key.
#pragma once

#include <QWidget>

#include "options/option_edit.h"

class QPlainTextEdit;

namespace ombrel {

class DropCombo;

class TmacroTab : public QWidget {
  Q_OBJECT
 public:
  explicit TmacroTab(QWidget* parent = nullptr);

  void SetCurrentSet(TOptions* set) { currentSet_ = set; }
  // Shows the macro of the key chosen, the first one when none is.
  void ShowMacro();
  // Keeps the memo's edits in the macro it shows.
  void StoreMacro();

  DropCombo* macrokeyCombo;
  QPlainTextEdit* macroMemo;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void macrokeyComboDropDown();
  void macrokeyComboChange();
  void macroMemoExit();

  TOptions* currentSet_ = nullptr;
  // How the memo was filled: the Features tab may switch UTF-8 meanwhile.
  bool shownUtf8_ = false;
  // The macro the memo shows; stores go to it, whatever the list was
  // switched to since.
  int macroShown_ = -1;
};

}  // namespace ombrel
