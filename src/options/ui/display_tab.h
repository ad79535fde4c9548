// The Display tab of the option set editor: background and bright text
// colours, the font with its colour, the ANSI switch with its colour map,
// the scroll bar, local echo and the margin.
#pragma once

#include <QWidget>

#include "options/option_edit.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace ombrel {

class ColorSwatch;
struct EditorDialogs;

class TdisplayTab : public QWidget {
  Q_OBJECT
 public:
  explicit TdisplayTab(const EditorDialogs& dialogs, QWidget* parent = nullptr);

  // The set being edited; without one the colour and font buttons do nothing.
  void SetCurrentSet(const TOptions* set) { currentSet_ = set; }
  void ShowFields(const SetFields& fields);
  void ReadFields(SetFields& fields) const;
  // The font dialog's font as ShowFields or the last choice left it.
  const TFontDesc& DialogFont() const { return dialogFont_; }

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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildAnsiMap();
  void bgcolorPanelClick();
  void textbrightcolorPanelClick();
  void fontBtnClick();
  void ansiCBClick();
  void marginEditExit();
  void AnsiMapPanelClick(ColorSwatch* mapped);
  void AnsiRestorePanelClick(ColorSwatch* standard);

  const EditorDialogs& dialogs_;
  const TOptions* currentSet_ = nullptr;
  TFontDesc dialogFont_;
  Color dialogColor_ = 0;  // the colour dialog as it was last left
};

}  // namespace ombrel
