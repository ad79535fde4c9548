// The pattern part of the Triggers tab, shown while the set's "Pattern
// Triggers" switch is on: how the string is matched, gag, highlight,
// substitution, stop, fire once and groups. A pattern PCRE2 refuses is
// said under the string as it is typed, with the place it points at.
#pragma once

#include <QGroupBox>

#include "options/options.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace ombrel {

class ColorSwatch;
struct EditorDialogs;

class TpatternFields : public QGroupBox {
  Q_OBJECT
 public:
  TpatternFields(const EditorDialogs& dialogs, QWidget* parent = nullptr);

  // What the fields show of `trigger` (none: defaults), and whether its
  // group is switched off in `groupsoff`.
  void Show(const TTrigger* trigger, const Lines& groupsoff, bool utf8);
  // PCRE2's word on `string` with the kind chosen, said under it; empty
  // when the pattern is valid.
  std::string Check(const std::string& string, bool utf8);
  // Stores the fields in `trigger` and the group's switch in `groupsoff`.
  void Store(TTrigger& trigger, Lines& groupsoff, bool utf8) const;
  TriggerKind Kind() const;

  QComboBox* kindCombo;
  QCheckBox* ignorecaseCB;
  QLabel* patternErrorLabel;
  QCheckBox* gagCB;
  QCheckBox* gaglogCB;
  QComboBox* highlightCombo;
  QCheckBox* fgCB;
  ColorSwatch* fgPanel;
  QCheckBox* bgCB;
  ColorSwatch* bgPanel;
  QCheckBox* substituteCB;
  QLineEdit* substituteEdit;
  QCheckBox* stopCB;
  QCheckBox* onceCB;
  QCheckBox* enabledCB;
  QLineEdit* groupEdit;
  QCheckBox* groupOnCB;
  QLineEdit* groupOnEdit;
  QLineEdit* groupOffEdit;

 signals:
  // The kind or case changed: the string is checked again.
  void patternChanged();

 private:
  void PickColour(ColorSwatch* panel, QCheckBox* box);
  const EditorDialogs& dialogs_;
};

}  // namespace ombrel
