#include "options/ui/pattern_fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "options/ui/option_pickers.h"
#include "options/ui/option_widgets.h"
#include "patterns/pattern.h"
#include "patterns/trigger_actions.h"
#include "util/ui/byte_text.h"

namespace ombrel {

namespace {

QLineEdit* Edit(QWidget* parent, const char* name) { return Named(new QLineEdit(parent), name); }

// A group's name is one field of a line in patterns.dat.
std::string OneLine(std::string s) {
  std::erase_if(s, [](char c) { return c == '\t' || c == '\r' || c == '\n'; });
  return s;
}

}  // namespace

TpatternFields::TpatternFields(const EditorDialogs& dialogs, QWidget* parent)
    : QGroupBox("Pattern", parent), dialogs_(dialogs) {
  setObjectName("patternFields");
  auto* grid = new QGridLayout(this);
  kindCombo = Named(new QComboBox(this), "kindCombo");
  kindCombo->addItems({"Substring", "Regular Expression", "Whole Line", "Line Start"});
  ignorecaseCB = Named(new QCheckBox("Ignore Case", this), "ignorecaseCB");
  patternErrorLabel = Named(new QLabel(this), "patternErrorLabel");
  patternErrorLabel->setStyleSheet("color: #c00000");
  patternErrorLabel->setWordWrap(true);
  gagCB = Named(new QCheckBox("Gag", this), "gagCB");
  gaglogCB = Named(new QCheckBox("Gag from Log", this), "gaglogCB");
  highlightCombo = Named(new QComboBox(this), "highlightCombo");
  highlightCombo->addItems({"No Highlight", "Highlight Match", "Highlight Line"});
  fgCB = Named(new QCheckBox("Text", this), "fgCB");
  fgPanel = Named(new ColorSwatch(this, 0x00FFFF), "fgPanel");
  bgCB = Named(new QCheckBox("Background", this), "bgCB");
  bgPanel = Named(new ColorSwatch(this, 0x7F0000), "bgPanel");
  substituteCB = Named(new QCheckBox("Substitute", this), "substituteCB");
  substituteEdit = Edit(this, "substituteEdit");
  stopCB = Named(new QCheckBox("Stop", this), "stopCB");
  onceCB = Named(new QCheckBox("Fire Once", this), "onceCB");
  enabledCB = Named(new QCheckBox("Enabled", this), "enabledCB");
  groupEdit = Edit(this, "groupEdit");
  groupOnCB = Named(new QCheckBox("Group On", this), "groupOnCB");
  groupOnEdit = Edit(this, "groupOnEdit");
  groupOffEdit = Edit(this, "groupOffEdit");

  grid->addWidget(kindCombo, 0, 0, 1, 2);
  grid->addWidget(ignorecaseCB, 0, 2);
  grid->addWidget(enabledCB, 0, 3);
  grid->addWidget(patternErrorLabel, 1, 0, 1, 5);
  grid->addWidget(gagCB, 2, 0);
  grid->addWidget(gaglogCB, 2, 1);
  grid->addWidget(stopCB, 2, 2);
  grid->addWidget(onceCB, 2, 3);
  grid->addWidget(highlightCombo, 3, 0);
  grid->addWidget(fgCB, 3, 1);
  grid->addWidget(fgPanel, 3, 2);
  grid->addWidget(bgCB, 3, 3);
  grid->addWidget(bgPanel, 3, 4);
  grid->addWidget(substituteCB, 4, 0);
  grid->addWidget(substituteEdit, 4, 1, 1, 4);
  grid->addWidget(new QLabel("Group", this), 5, 0);
  grid->addWidget(groupEdit, 5, 1, 1, 2);
  grid->addWidget(groupOnCB, 5, 3);
  grid->addWidget(new QLabel("Switches On", this), 6, 0);
  grid->addWidget(groupOnEdit, 6, 1);
  grid->addWidget(new QLabel("Off", this), 6, 2);
  grid->addWidget(groupOffEdit, 6, 3, 1, 2);

  connect(fgPanel, &ColorSwatch::clicked, this, [this] { PickColour(fgPanel, fgCB); });
  connect(bgPanel, &ColorSwatch::clicked, this, [this] { PickColour(bgPanel, bgCB); });
  connect(kindCombo, &QComboBox::currentIndexChanged, this, &TpatternFields::patternChanged);
  connect(ignorecaseCB, &QCheckBox::toggled, this, &TpatternFields::patternChanged);
}

void TpatternFields::PickColour(ColorSwatch* panel, QCheckBox* box) {
  if (!dialogs_.chooseColor) return;
  if (const auto chosen = dialogs_.chooseColor(panel->color())) {
    panel->setColor(*chosen);
    box->setChecked(true);
  }
}

TriggerKind TpatternFields::Kind() const { return static_cast<TriggerKind>(std::max(0, kindCombo->currentIndex())); }

void TpatternFields::Show(const TTrigger* trigger, const Lines& groupsoff, bool utf8) {
  const TPatternTrigger p = trigger ? trigger->pattern : TPatternTrigger();
  {
    const QSignalBlocker block(kindCombo), blockCase(ignorecaseCB);
    kindCombo->setCurrentIndex(static_cast<int>(p.kind));
    ignorecaseCB->setChecked(p.ignorecase);
  }
  gagCB->setChecked(p.gag);
  gaglogCB->setChecked(p.gaglog);
  highlightCombo->setCurrentIndex(static_cast<int>(p.highlight));
  fgCB->setChecked(p.fgcolor.has_value());
  if (p.fgcolor) fgPanel->setColor(*p.fgcolor);
  bgCB->setChecked(p.bgcolor.has_value());
  if (p.bgcolor) bgPanel->setColor(*p.bgcolor);
  substituteCB->setChecked(p.substitute);
  substituteEdit->setText(FromBytes(p.substitution, utf8));
  stopCB->setChecked(p.stop);
  onceCB->setChecked(p.once);
  enabledCB->setChecked(p.enabled);
  groupEdit->setText(FromBytes(p.group, utf8));
  groupOnCB->setChecked(!GroupIsOff(groupsoff, p.group));
  groupOnEdit->setText(FromBytes(p.groupon, utf8));
  groupOffEdit->setText(FromBytes(p.groupoff, utf8));
  patternErrorLabel->clear();
}

std::string TpatternFields::Check(const std::string& string, bool utf8) {
  const auto error = ValidatePattern({Kind(), string, ignorecaseCB->isChecked()}, utf8);
  const std::string said = error ? DescribePatternError(*error) : std::string();
  patternErrorLabel->setText(QString::fromUtf8(said.c_str()));
  return said;
}

void TpatternFields::Store(TTrigger& trigger, Lines& groupsoff, bool utf8) const {
  TPatternTrigger& p = trigger.pattern;
  p.kind = Kind();
  p.ignorecase = ignorecaseCB->isChecked();
  p.gag = gagCB->isChecked();
  p.gaglog = gaglogCB->isChecked();
  p.highlight = static_cast<HighlightScope>(std::max(0, highlightCombo->currentIndex()));
  p.fgcolor = fgCB->isChecked() ? std::optional<Color>(fgPanel->color()) : std::nullopt;
  p.bgcolor = bgCB->isChecked() ? std::optional<Color>(bgPanel->color()) : std::nullopt;
  p.substitute = substituteCB->isChecked();
  p.substitution = ToBytes(substituteEdit->text(), p.substitution, utf8);
  p.stop = stopCB->isChecked();
  p.once = onceCB->isChecked();
  p.enabled = enabledCB->isChecked();
  p.group = OneLine(ToBytes(groupEdit->text(), p.group, utf8));
  p.groupon = OneLine(ToBytes(groupOnEdit->text(), p.groupon, utf8));
  p.groupoff = OneLine(ToBytes(groupOffEdit->text(), p.groupoff, utf8));
  SwitchGroup(groupsoff, p.group, groupOnCB->isChecked());
}

}  // namespace ombrel
