#include "options/ui/display_tab.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "options/ui/option_pickers.h"
#include "options/ui/option_widgets.h"
#include "util/ui/byte_text.h"

namespace ombrel {

namespace {

struct AnsiRow {
  const char* caption;
  const char* name;
  int normal, bright;  // ansimap entries
};

// Top to bottom as the panel shows them.
constexpr AnsiRow kAnsiRows[8] = {
    {"Black", "black", 0, 8},  {"Blue", "blue", 4, 12},       {"Green", "green", 2, 10},
    {"Cyan", "cyan", 6, 14},   {"Red", "red", 1, 9},          {"Magenta", "magenta", 5, 13},
    {"Yellow", "yellow", 3, 11}, {"Gray", "gray", 7, 15},
};

}  // namespace

TdisplayTab::TdisplayTab(const EditorDialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
  setObjectName("displayTab");
  auto* row = new QHBoxLayout(this);
  auto* left = new QGridLayout;
  row->addLayout(left);
  bgcolorPanel = Named(new ColorSwatch(this), "bgcolorPanel");
  fontBtn = Named(new QPushButton("Font...", this), "fontBtn");
  fontBtn->setAutoDefault(false);
  textbrightcolorPanel = Named(new ColorSwatch(this), "textbrightcolorPanel");
  ansiCB = Named(new QCheckBox("ANSI", this), "ansiCB");
  scrollbarCB = Named(new QCheckBox("Scroll Bar", this), "scrollbarCB");
  localechoCB = Named(new QCheckBox("Local Echo", this), "localechoCB");
  marginEdit = Named(new QLineEdit("0", this), "marginEdit");
  marginEdit->setMaximumWidth(60);
  left->addWidget(new QLabel("Background", this), 0, 0);
  left->addWidget(bgcolorPanel, 0, 1);
  left->addWidget(new QLabel("Text", this), 1, 0);
  left->addWidget(fontBtn, 1, 1);
  left->addWidget(new QLabel("Text Bright", this), 2, 0);
  left->addWidget(textbrightcolorPanel, 2, 1);
  left->addWidget(ansiCB, 3, 0, 1, 2);
  left->addWidget(scrollbarCB, 4, 0, 1, 2);
  left->addWidget(localechoCB, 5, 0, 1, 2);
  left->addWidget(new QLabel("Margin Size", this), 6, 0);
  left->addWidget(marginEdit, 6, 1);
  left->setRowStretch(7, 1);

  ansimapPanel = Named(new QWidget(this), "ansimapPanel");
  row->addWidget(ansimapPanel, 1);
  BuildAnsiMap();
  ansimapPanel->setVisible(false);

  connect(bgcolorPanel, &ColorSwatch::clicked, this, &TdisplayTab::bgcolorPanelClick);
  connect(textbrightcolorPanel, &ColorSwatch::clicked, this, &TdisplayTab::textbrightcolorPanelClick);
  connect(fontBtn, &QPushButton::clicked, this, &TdisplayTab::fontBtnClick);
  connect(ansiCB, &QCheckBox::toggled, this, &TdisplayTab::ansiCBClick);
  for (int r = 0; r < 8; ++r)
    for (int bright = 0; bright < 2; ++bright) {
      ColorSwatch* standard = standardSwatch[r][bright];
      ColorSwatch* mapped = mappedSwatch[r][bright];
      connect(standard, &ColorSwatch::clicked, this, [this, standard] { AnsiRestorePanelClick(standard); });
      connect(mapped, &ColorSwatch::clicked, this, [this, mapped] { AnsiMapPanelClick(mapped); });
    }
  marginEdit->installEventFilter(this);
}

void TdisplayTab::BuildAnsiMap() {
  auto* grid = new QGridLayout(ansimapPanel);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(2);
  for (int r = 0; r < 8; ++r) {
    const AnsiRow& a = kAnsiRows[r];
    const std::string base = a.name;
    const int entries[2] = {a.normal, a.bright};
    grid->addWidget(new QLabel(a.caption, ansimapPanel), r, 0);
    for (int bright = 0; bright < 2; ++bright) {
      auto* standard = new ColorSwatch(ansimapPanel, kDefaultAnsiMap[entries[bright]]);
      auto* mapped = new ColorSwatch(ansimapPanel, kDefaultAnsiMap[entries[bright]]);
      std::string stdName = base + (bright ? "LOPanel" : "DOPanel");
      if (stdName == "magentaDOPanel") stdName = "magentaDOpanel";
      standard->setObjectName(FromBytes(stdName));
      mapped->setObjectName(FromBytes(base + (bright ? "LCPanel" : "DCPanel")));
      standard->setToolTip("Standard colour: click to restore");
      standardSwatch[r][bright] = standard;
      mappedSwatch[r][bright] = mapped;
      grid->addWidget(standard, r, 1 + bright * 2);
      grid->addWidget(mapped, r, 2 + bright * 2);
    }
  }
}

void TdisplayTab::ShowFields(const SetFields& f) {
  dialogFont_ = f.font;
  bgcolorPanel->setColor(f.bgcolor);
  textbrightcolorPanel->setColor(f.textbrightcolor);
  ansiCB->setChecked(f.ansi);
  ansiCBClick();
  scrollbarCB->setChecked(f.scrollbar);
  localechoCB->setChecked(f.localecho);
  marginEdit->setText(FromBytes(f.marginSize));
  for (int r = 0; r < 8; ++r) {
    mappedSwatch[r][0]->setColor(f.ansimap[kAnsiRows[r].normal]);
    mappedSwatch[r][1]->setColor(f.ansimap[kAnsiRows[r].bright]);
  }
}

void TdisplayTab::ReadFields(SetFields& f) const {
  f.font = dialogFont_;
  f.bgcolor = bgcolorPanel->color();
  f.textbrightcolor = textbrightcolorPanel->color();
  f.ansi = ansiCB->isChecked();
  f.scrollbar = scrollbarCB->isChecked();
  f.localecho = localechoCB->isChecked();
  f.marginSize = ToBytes(marginEdit->text());
  for (int r = 0; r < 8; ++r) {
    f.ansimap[kAnsiRows[r].normal] = mappedSwatch[r][0]->color();
    f.ansimap[kAnsiRows[r].bright] = mappedSwatch[r][1]->color();
  }
}

bool TdisplayTab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && watched == marginEdit) marginEditExit();
  return QWidget::eventFilter(watched, event);
}

void TdisplayTab::bgcolorPanelClick() {
  if (!currentSet_ || !dialogs_.chooseColor) return;
  if (auto c = dialogs_.chooseColor(dialogColor_)) {
    dialogColor_ = *c;
    bgcolorPanel->setColor(*c);
  }
}

void TdisplayTab::textbrightcolorPanelClick() {
  if (!currentSet_ || !dialogs_.chooseColor) return;
  if (auto c = dialogs_.chooseColor(dialogColor_)) {
    dialogColor_ = *c;
    textbrightcolorPanel->setColor(*c);
  }
}

void TdisplayTab::fontBtnClick() {
  if (!currentSet_ || !dialogs_.chooseFont) return;
  if (auto f = dialogs_.chooseFont(dialogFont_)) dialogFont_ = *f;
}

void TdisplayTab::ansiCBClick() { ansimapPanel->setVisible(ansiCB->isChecked()); }

void TdisplayTab::marginEditExit() {
  marginEdit->setText(FromBytes(SizeFieldExit(ToBytes(marginEdit->text()))));
}

void TdisplayTab::AnsiMapPanelClick(ColorSwatch* mapped) {
  if (!dialogs_.chooseColor) return;
  dialogColor_ = mapped->color();
  if (auto c = dialogs_.chooseColor(dialogColor_)) {
    dialogColor_ = *c;
    mapped->setColor(*c);
  }
}

void TdisplayTab::AnsiRestorePanelClick(ColorSwatch* standard) {
  for (int r = 0; r < 8; ++r)
    for (int bright = 0; bright < 2; ++bright)
      if (standardSwatch[r][bright] == standard) mappedSwatch[r][bright]->setColor(standard->color());
}

}  // namespace ombrel
