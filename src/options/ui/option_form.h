// The option set editor: the one window in which option sets, their
// triggers, macros and aliases are created, deleted and changed. It follows
// the current terminal and writes the option sets file whenever it closes.
// Each tab edits its part of the set shown; the window holds the set list,
// Apply, OK and Cancel, and tells the tabs which set they edit.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "options/option_edit.h"
#include "options/ui/alias_tab.h"
#include "options/ui/display_tab.h"
#include "options/ui/macro_tab.h"
#include "options/ui/option_pickers.h"
#include "options/ui/option_widgets.h"
#include "options/ui/settings_tabs.h"
#include "options/ui/trigger_tab.h"
#include "speech/speech_settings.h"

class QPushButton;
class QTabWidget;

namespace ombrel {

class OpenTerminals;
class TtermForm;
class TaddOptionSetForm;

// The dialogs (ask, chooseColor, chooseFont, chooseSoundFile, askName,
// askNewSetName) are the platform's until tests replace them.
class ToptionForm : public QDialog, public EditorDialogs {
  Q_OBJECT
 public:
  ToptionForm(TOptionSetList& sets, OpenTerminals* terminals, TaddOptionSetForm* addForm,
              QWidget* parent = nullptr);

  // The Options command: show the editor, or bring it forward.
  void ShowEditor();
  TOptions* CurrentSet() const { return currentSet_; }
  // After the list was replaced (loading): show its first set.
  void SetsLoaded();

  void ShowSet();
  void ApplySet();
  void SelectTerminalSet(TtermForm* terminal);

  // Event handlers, named after their control and event.
  void OKBtnClick();
  void cancelBtnClick();
  void applyBtnClick();
  void optionsetComboDropDown();
  void optionsetComboClick();
  void addOptionsBtnClick();
  void deleteOptionsBtnClick();

  // Writes the option sets file; bound by the program to the file writer.
  // False, or an exception carrying the reason, reports a failed write.
  std::function<bool()> saveOptions;
  // How text is spoken (speech.dat), shown and edited on the Features tab.
  SpeechSettings speech;

  // The font dialog's font as ShowSet or the last choice left it.
  const TFontDesc& DialogFont() const { return displayTab->DialogFont(); }

  // Controls, with the names the rest of the program and the tests use.
  DropCombo* optionsetCombo;
  QPushButton* addOptionsBtn;
  QPushButton* deleteOptionsBtn;
  QPushButton* cancelBtn;
  QPushButton* applyBtn;
  QPushButton* OKBtn;
  QTabWidget* pc;
  TdisplayTab* displayTab;
  TtelnetTab* telnetTab;
  TtriggerTab* triggerTab;
  TmacroTab* macroTab;
  TaliasTab* aliasTab;
  TgeneralTab* generalTab;
  TfeaturesTab* featuresTab;


 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildTop();
  void BuildTabs();
  void WireSignals();
  void RefillSetCombo();
  // Every tab edits `set` from now on (none: no set exists).
  void SetCurrentSet(TOptions* set);
  // The store steps of Apply without the terminal step.
  void StoreControls();
  std::vector<TtermForm*> Terminals() const;
  void FormClose();

  TOptionSetList& sets_;
  OpenTerminals* terminals_;
  TOptions* currentSet_ = nullptr;
  bool centred_ = false;
  bool programEnding_ = false;
};

}  // namespace ombrel
