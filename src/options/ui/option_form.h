// The option set editor: the one window in which option sets, their
// triggers, macros and aliases are created, deleted and changed. It follows
// the current terminal and writes the option sets file whenever it closes.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <functional>
#include <optional>

#include "options/option_edit.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace ombrel {

class TmainForm;
class TtermForm;
class TaddOptionSetForm;

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

class ToptionForm : public QDialog {
  Q_OBJECT
 public:
  ToptionForm(TOptionSetList& sets, TmainForm* main, TaddOptionSetForm* addForm,
              QWidget* parent = nullptr);

  // The Options command: show the editor, or bring it forward.
  void ShowEditor();
  TOptions* CurrentSet() const { return currentSet_; }
  // After the list was replaced (loading): show its first set.
  void SetsLoaded();

  void ShowSet();
  void ApplySet();
  void SelectTerminalSet(TtermForm* terminal);
  void ShowTrigger(int choose = -1);
  void StoreTrigger();
  void ShowMacro();
  void StoreMacro();
  void ShowAlias(int choose = -1);
  void StoreAlias();

  // Event handlers, named after their control and event.
  void OKBtnClick();
  void cancelBtnClick();
  void applyBtnClick();
  void optionsetComboDropDown();
  void optionsetComboClick();
  void addOptionsBtnClick();
  void deleteOptionsBtnClick();
  void bgcolorPanelClick();
  void textbrightcolorPanelClick();
  void fontBtnClick();
  void ansiCBClick();
  void marginEditExit();
  void historyEditExit();
  void AnsiMapPanelClick(ColorSwatch* mapped);
  void AnsiRestorePanelClick(ColorSwatch* standard);
  void trigEventComboDropDown();
  void trigEventComboChange();
  void trigAddBtnClick();
  void trigDeleteBtnClick();
  void trigBrowseBtnClick();
  void macrokeyComboDropDown();
  void macrokeyComboChange();
  void macroMemoExit();
  void aliasComboDropDown();
  void aliasComboChange();
  void addaliasBtnClick();
  void delaliasBtnClick();
  void aliasMemoExit();

  // Writes the option sets file; bound by the program to the file writer.
  // False, or an exception carrying the reason, reports a failed write.
  std::function<bool()> saveOptions;
  // Dialogs; tests replace them. Colour and font: nothing when cancelled.
  AskFn ask;
  std::function<std::optional<Color>(Color initial)> chooseColor;
  std::function<std::optional<TFontDesc>(const TFontDesc& current)> chooseFont;
  std::function<QString(const QString& current)> chooseSoundFile;
  // The name prompt of new triggers and aliases: the trimmed, non-empty
  // name, or nothing when cancelled.
  std::function<std::optional<std::string>(const QString& caption, const QString& label)> askName;
  // The new set dialog: the name, or nothing when cancelled.
  std::function<std::optional<std::string>()> askNewSetName;

  // The font dialog's font as ShowSet or the last choice left it.
  const TFontDesc& DialogFont() const { return dialogFont_; }

  // Controls, with the names the rest of the program and the tests use.
  DropCombo* optionsetCombo;
  QPushButton* addOptionsBtn;
  QPushButton* deleteOptionsBtn;
  QPushButton* cancelBtn;
  QPushButton* applyBtn;
  QPushButton* OKBtn;
  QTabWidget* pc;
  QWidget* displayTab;
  QWidget* telnetTab;
  QWidget* triggerTab;
  QWidget* macroTab;
  QWidget* aliasTab;
  QWidget* generalTab;

  ColorSwatch* bgcolorPanel;
  QPushButton* fontBtn;
  ColorSwatch* textbrightcolorPanel;
  QCheckBox* ansiCB;
  QCheckBox* scrollbarCB;
  QCheckBox* localechoCB;
  QLineEdit* marginEdit;
  QWidget* ansimapPanel;
  // Rows in the order shown; [row][0] normal, [row][1] bright.
  ColorSwatch* standardSwatch[8][2];
  ColorSwatch* mappedSwatch[8][2];

  QCheckBox* telnetactiveCB;
  QCheckBox* telnetinitnegCB;
  QCheckBox* opNAWSCB;
  QCheckBox* opLinemodeCB;

  DropCombo* trigEventCombo;
  QPushButton* trigAddBtn;
  QPushButton* trigDeleteBtn;
  QLineEdit* trigStringEdit;
  QCheckBox* trigSendCB;
  QPlainTextEdit* trigSendMemo;
  QCheckBox* trigPlaysoundCB;
  QLineEdit* trigSoundfileEdit;
  QPushButton* trigBrowseBtn;

  DropCombo* macrokeyCombo;
  QPlainTextEdit* macroMemo;

  DropCombo* aliasCombo;
  QPushButton* addaliasBtn;
  QPushButton* delaliasBtn;
  QPlainTextEdit* aliasMemo;

  QLineEdit* historyEdit;
  QLineEdit* pipeCharEdit;
  QLineEdit* pathCharEdit;
  QLineEdit* stdPastePrefixEdit;
  QLineEdit* stdPasteSuffixEdit;
  QLineEdit* altPastePrefixEdit;
  QLineEdit* altPasteSuffixEdit;
  QLineEdit* paramStartEdit;
  QLineEdit* paramEndEdit;

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildTop();
  void BuildDisplayTab();
  void BuildTelnetTab();
  void BuildTriggerTab();
  void BuildMacroTab();
  void BuildAliasTab();
  void BuildGeneralTab();
  void BindDefaultDialogs();
  void RefillSetCombo();
  SetFields ReadFields() const;
  void ShowFields(const SetFields& fields);
  // The store steps of Apply without the terminal step.
  void StoreControls();
  std::vector<TtermForm*> Terminals() const;
  void FormClose();

  TOptionSetList& sets_;
  TmainForm* main_;
  TaddOptionSetForm* addForm_;
  TOptions* currentSet_ = nullptr;
  TFontDesc dialogFont_;
  Color dialogColor_ = 0;  // the colour dialog as it was last left
  // The entries the fields show; stores go to these, whatever the lists
  // were switched to since.
  int triggerShown_ = -1;
  int macroShown_ = -1;
  int aliasShown_ = -1;
  bool centred_ = false;
};

}  // namespace ombrel
