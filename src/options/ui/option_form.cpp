#include "options/ui/option_form.h"
#include "term/ui/byte_text.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui/main_form.h"
#include "options/ui/add_option_set_form.h"
#include "options/ui/message_box.h"
#include "term/ui/qt_paint.h"
#include "term/ui/term_form.h"

namespace ombrel {

namespace {

QString Q(const std::string& s) { return FromBytes(s); }
std::string S(const QString& s) { return ToBytes(s); }

void ShowMemo(QPlainTextEdit* memo, const Lines& lines) {
  QString text = Q(LinesToMemo(lines));
  text.replace("\r\n", "\n");
  memo->setPlainText(text);
}

Lines MemoLines(const QPlainTextEdit* memo) { return MemoToLines(S(memo->toPlainText())); }

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

// The terminal as the editor's rules see it.
class TermAdapter : public EditorTerminal {
 public:
  explicit TermAdapter(TtermForm* t) : t_(t) {}
  TOptions* Options() const override { return t_->core().Options(); }
  void AssignOptions(TOptions* set) override { t_->core().SetOptions(set); }
  void LayoutTerminal() override { t_->LayoutTerminal(); }

 private:
  TtermForm* t_;
};

QFont DialogQFont(const TFontDesc& f) {
  TOptions probe;
  probe.font = f;
  QFont font = TerminalFont(probe);
  font.setFixedPitch(false);
  return font;
}

// The font dialog: the platform's font picker with the text colour, since
// the set's font carries its colour.
std::optional<TFontDesc> PickFont(QWidget* parent, const TFontDesc& current) {
  QDialog dlg(parent);
  dlg.setWindowTitle("Font");
  auto* layout = new QVBoxLayout(&dlg);
  auto* picker = new QFontDialog(DialogQFont(current), &dlg);
  picker->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  picker->setWindowFlags(Qt::Widget);
  layout->addWidget(picker);
  auto* colorRow = new QHBoxLayout;
  colorRow->addWidget(new QLabel("Color", &dlg));
  auto* swatch = new ColorSwatch(&dlg, current.color);
  colorRow->addWidget(swatch);
  colorRow->addStretch();
  layout->addLayout(colorRow);
  QObject::connect(swatch, &ColorSwatch::clicked, &dlg, [&] {
    const QColor c = QColorDialog::getColor(ToQColor(swatch->color()), &dlg);
    if (c.isValid()) swatch->setColor(FromQColor(c));
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  const QFont f = picker->currentFont();
  TFontDesc out;
  // "fixedsys" stands for the platform's fixed font; a set keeps that name
  // while the user leaves the face alone.
  out.name = f.family() == DialogQFont(current).family() ? current.name : S(f.family());
  out.size = f.pointSize() > 0 ? f.pointSize() : current.size;
  out.style = (f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) |
              (f.underline() ? fsUnderline : 0) | (f.strikeOut() ? fsStrikeOut : 0);
  out.color = swatch->color();
  return out;
}

void PresetCustomColors() {
  // The standard colours, as the ANSI map shows them; slot 7 stays free.
  static const Color kPresets[15] = {0x000000, 0x7F0000, 0x007F00, 0x7F7F00, 0x00007F,
                                     0x7F007F, 0x007F7F, 0x7F7F7F, 0xFF0000, 0x00FF00,
                                     0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (int i = 0, slot = 0; i < 15; ++i, ++slot) {
    if (slot == 7) ++slot;
    // Stored blue-green-red: the value read as 0xBBGGRR.
    QColorDialog::setCustomColor(slot, ToQColor(kPresets[i]));
  }
}

}  // namespace

// ---- small widgets

void DropCombo::showPopup() {
  emit dropDown();
  fromPopup_ = true;
  QComboBox::showPopup();
}

void DropCombo::hidePopup() {
  QComboBox::hidePopup();
  // The choice made in the list is reported right after it closes.
  QTimer::singleShot(0, this, [this] { fromPopup_ = false; });
}

ColorSwatch::ColorSwatch(QWidget* parent, Color color) : QFrame(parent), color_(color) {
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  setMinimumSize(22, 14);
  setCursor(Qt::PointingHandCursor);
  setColor(color);
}

void ColorSwatch::setColor(Color color) {
  color_ = color;  // a high byte read from the file is kept; only the swatch ignores it
  QPalette p = palette();
  p.setColor(QPalette::Window, ToQColor(color_));
  setPalette(p);
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

// ---- the editor

ToptionForm::ToptionForm(TOptionSetList& sets, TmainForm* main, TaddOptionSetForm* addForm,
                         QWidget* parent)
    : QDialog(parent), sets_(sets), main_(main), addForm_(addForm) {
  setObjectName("optionForm");
  setWindowTitle("Terminal Options");
  setModal(false);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  BuildTop();
  pc = new QTabWidget(this);
  pc->setObjectName("pc");
  pc->tabBar()->setStyleSheet("QTabBar::tab { min-width: 60px; padding: 3px 4px; }");
  BuildDisplayTab();
  BuildTelnetTab();
  BuildTriggerTab();
  BuildMacroTab();
  BuildAliasTab();
  BuildGeneralTab();
  pc->setCurrentWidget(displayTab);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Option Set", this));
  top->addWidget(optionsetCombo, 1);
  top->addWidget(addOptionsBtn);
  top->addWidget(deleteOptionsBtn);
  layout->insertLayout(0, top);
  layout->addWidget(pc, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(cancelBtn);
  bottom->addWidget(applyBtn);
  bottom->addWidget(OKBtn);
  layout->addLayout(bottom);
  setFixedSize(QSize(439, 319).expandedTo(sizeHint()));

  BindDefaultDialogs();
  connect(OKBtn, &QPushButton::clicked, this, &ToptionForm::OKBtnClick);
  connect(cancelBtn, &QPushButton::clicked, this, &ToptionForm::cancelBtnClick);
  connect(applyBtn, &QPushButton::clicked, this, &ToptionForm::applyBtnClick);
  connect(optionsetCombo, &DropCombo::dropDown, this, &ToptionForm::optionsetComboDropDown);
  connect(optionsetCombo, &QComboBox::activated, this, &ToptionForm::optionsetComboClick);
  connect(addOptionsBtn, &QPushButton::clicked, this, &ToptionForm::addOptionsBtnClick);
  connect(deleteOptionsBtn, &QPushButton::clicked, this, &ToptionForm::deleteOptionsBtnClick);
}

void ToptionForm::BindDefaultDialogs() {
  ask = [this](const Message& m) { return ShowMessageBox(this, m); };
  PresetCustomColors();
  chooseColor = [this](Color initial) -> std::optional<Color> {
    const QColor c = QColorDialog::getColor(ToQColor(initial), this);
    if (!c.isValid()) return std::nullopt;
    return FromQColor(c);
  };
  chooseFont = [this](const TFontDesc& current) { return PickFont(this, current); };
  chooseSoundFile = [this](const QString& current) {
    return QFileDialog::getOpenFileName(this, "Select Sound File", QFileInfo(current).absolutePath(),
                                        "Wave File (*.wav)");
  };
  askName = [this](const QString& caption, const QString& label) -> std::optional<std::string> {
    for (;;) {
      bool ok = false;
      const QString name = QInputDialog::getText(this, caption, label, QLineEdit::Normal, {}, &ok).trimmed();
      if (!ok) return std::nullopt;
      if (!name.isEmpty()) return S(name);
    }
  };
  askNewSetName = [this]() -> std::optional<std::string> {
    if (!addForm_ || addForm_->exec() != QDialog::Accepted) return std::nullopt;
    return addForm_->Name();
  };
}

void ToptionForm::BuildTop() {
  optionsetCombo = new DropCombo(this);
  optionsetCombo->setObjectName("optionsetCombo");
  addOptionsBtn = new QPushButton("Add Set", this);
  addOptionsBtn->setObjectName("addOptionsBtn");
  deleteOptionsBtn = new QPushButton("Delete", this);
  deleteOptionsBtn->setObjectName("deleteOptionsBtn");
  cancelBtn = new QPushButton("&Cancel", this);
  cancelBtn->setObjectName("cancelBtn");
  applyBtn = new QPushButton("&Apply", this);
  applyBtn->setObjectName("applyBtn");
  OKBtn = new QPushButton("&OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  for (QPushButton* b : {addOptionsBtn, deleteOptionsBtn, cancelBtn, applyBtn}) b->setAutoDefault(false);
}

namespace {
template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}
}  // namespace

void ToptionForm::BuildDisplayTab() {
  displayTab = Named(new QWidget, "displayTab");
  pc->addTab(displayTab, "Display");
  auto* row = new QHBoxLayout(displayTab);
  auto* left = new QGridLayout;
  row->addLayout(left);
  bgcolorPanel = Named(new ColorSwatch(displayTab), "bgcolorPanel");
  fontBtn = Named(new QPushButton("Font...", displayTab), "fontBtn");
  fontBtn->setAutoDefault(false);
  textbrightcolorPanel = Named(new ColorSwatch(displayTab), "textbrightcolorPanel");
  ansiCB = Named(new QCheckBox("ANSI", displayTab), "ansiCB");
  scrollbarCB = Named(new QCheckBox("Scroll Bar", displayTab), "scrollbarCB");
  localechoCB = Named(new QCheckBox("Local Echo", displayTab), "localechoCB");
  marginEdit = Named(new QLineEdit("0", displayTab), "marginEdit");
  marginEdit->setMaximumWidth(60);
  left->addWidget(new QLabel("Background", displayTab), 0, 0);
  left->addWidget(bgcolorPanel, 0, 1);
  left->addWidget(new QLabel("Text", displayTab), 1, 0);
  left->addWidget(fontBtn, 1, 1);
  left->addWidget(new QLabel("Text Bright", displayTab), 2, 0);
  left->addWidget(textbrightcolorPanel, 2, 1);
  left->addWidget(ansiCB, 3, 0, 1, 2);
  left->addWidget(scrollbarCB, 4, 0, 1, 2);
  left->addWidget(localechoCB, 5, 0, 1, 2);
  left->addWidget(new QLabel("Margin Size", displayTab), 6, 0);
  left->addWidget(marginEdit, 6, 1);
  left->setRowStretch(7, 1);

  ansimapPanel = Named(new QWidget(displayTab), "ansimapPanel");
  row->addWidget(ansimapPanel, 1);
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
      standard->setObjectName(Q(stdName));
      mapped->setObjectName(Q(base + (bright ? "LCPanel" : "DCPanel")));
      standard->setToolTip("Standard colour: click to restore");
      standardSwatch[r][bright] = standard;
      mappedSwatch[r][bright] = mapped;
      grid->addWidget(standard, r, 1 + bright * 2);
      grid->addWidget(mapped, r, 2 + bright * 2);
      connect(standard, &ColorSwatch::clicked, this, [this, standard] { AnsiRestorePanelClick(standard); });
      connect(mapped, &ColorSwatch::clicked, this, [this, mapped] { AnsiMapPanelClick(mapped); });
    }
  }
  ansimapPanel->setVisible(false);

  connect(bgcolorPanel, &ColorSwatch::clicked, this, &ToptionForm::bgcolorPanelClick);
  connect(textbrightcolorPanel, &ColorSwatch::clicked, this, &ToptionForm::textbrightcolorPanelClick);
  connect(fontBtn, &QPushButton::clicked, this, &ToptionForm::fontBtnClick);
  connect(ansiCB, &QCheckBox::toggled, this, &ToptionForm::ansiCBClick);
  marginEdit->installEventFilter(this);
}

void ToptionForm::BuildTelnetTab() {
  telnetTab = Named(new QWidget, "telnetTab");
  pc->addTab(telnetTab, "Telnet");
  auto* col = new QVBoxLayout(telnetTab);
  telnetactiveCB = Named(new QCheckBox("Enable Telnet", telnetTab), "telnetactiveCB");
  telnetinitnegCB = Named(new QCheckBox("Initiate Negotiations", telnetTab), "telnetinitnegCB");
  opNAWSCB = Named(new QCheckBox("Communicate Window Size", telnetTab), "opNAWSCB");
  opLinemodeCB = Named(new QCheckBox("Negotiate Linemode", telnetTab), "opLinemodeCB");
  for (QCheckBox* cb : {telnetactiveCB, telnetinitnegCB, opNAWSCB, opLinemodeCB}) col->addWidget(cb);
  col->addStretch();
}

void ToptionForm::BuildTriggerTab() {
  triggerTab = Named(new QWidget, "triggerTab");
  pc->addTab(triggerTab, "Triggers");
  auto* grid = new QGridLayout(triggerTab);
  trigEventCombo = Named(new DropCombo(triggerTab), "trigEventCombo");
  trigAddBtn = Named(new QPushButton("Add Trigger", triggerTab), "trigAddBtn");
  trigDeleteBtn = Named(new QPushButton("Delete", triggerTab), "trigDeleteBtn");
  trigStringEdit = Named(new QLineEdit(triggerTab), "trigStringEdit");
  trigSendCB = Named(new QCheckBox("Send Text", triggerTab), "trigSendCB");
  trigSendMemo = Named(new QPlainTextEdit(triggerTab), "trigSendMemo");
  trigPlaysoundCB = Named(new QCheckBox("Play Sound", triggerTab), "trigPlaysoundCB");
  trigSoundfileEdit = Named(new QLineEdit(triggerTab), "trigSoundfileEdit");
  trigBrowseBtn = Named(new QPushButton("Browse", triggerTab), "trigBrowseBtn");
  for (QPushButton* b : {trigAddBtn, trigDeleteBtn, trigBrowseBtn}) b->setAutoDefault(false);
  grid->addWidget(new QLabel("Event", triggerTab), 0, 0);
  grid->addWidget(trigEventCombo, 0, 1);
  grid->addWidget(trigAddBtn, 0, 2);
  grid->addWidget(trigDeleteBtn, 0, 3);
  grid->addWidget(new QLabel("Trigger String", triggerTab), 1, 0);
  grid->addWidget(trigStringEdit, 1, 1, 1, 3);
  grid->addWidget(trigSendCB, 2, 0, Qt::AlignTop);
  grid->addWidget(trigSendMemo, 2, 1, 1, 3);
  grid->addWidget(trigPlaysoundCB, 3, 0);
  grid->addWidget(trigSoundfileEdit, 3, 1, 1, 2);
  grid->addWidget(trigBrowseBtn, 3, 3);
  grid->setColumnStretch(1, 1);

  connect(trigEventCombo, &DropCombo::dropDown, this, &ToptionForm::trigEventComboDropDown);
  connect(trigEventCombo, &QComboBox::currentIndexChanged, this, &ToptionForm::trigEventComboChange);
  connect(trigAddBtn, &QPushButton::clicked, this, &ToptionForm::trigAddBtnClick);
  connect(trigDeleteBtn, &QPushButton::clicked, this, &ToptionForm::trigDeleteBtnClick);
  connect(trigBrowseBtn, &QPushButton::clicked, this, &ToptionForm::trigBrowseBtnClick);
}

void ToptionForm::BuildMacroTab() {
  macroTab = Named(new QWidget, "macroTab");
  pc->addTab(macroTab, "Macros");
  auto* grid = new QGridLayout(macroTab);
  macrokeyCombo = Named(new DropCombo(macroTab), "macrokeyCombo");
  for (int i = 1; i <= kMacroCount; ++i) macrokeyCombo->addItem(QString("Ctrl+%1").arg(i));
  macrokeyCombo->setMaxVisibleItems(10);
  macrokeyCombo->setCurrentIndex(-1);
  macroMemo = Named(new QPlainTextEdit(macroTab), "macroMemo");
  grid->addWidget(new QLabel("Macro Hotkey", macroTab), 0, 0);
  grid->addWidget(macrokeyCombo, 0, 1);
  grid->addWidget(new QLabel("Macro Text", macroTab), 1, 0, Qt::AlignTop);
  grid->addWidget(macroMemo, 1, 1);
  grid->setColumnStretch(1, 1);
  connect(macrokeyCombo, &DropCombo::dropDown, this, &ToptionForm::macrokeyComboDropDown);
  connect(macrokeyCombo, &QComboBox::currentIndexChanged, this, &ToptionForm::macrokeyComboChange);
  macroMemo->installEventFilter(this);
}

void ToptionForm::BuildAliasTab() {
  aliasTab = Named(new QWidget, "aliasTab");
  pc->addTab(aliasTab, "Aliases");
  auto* grid = new QGridLayout(aliasTab);
  aliasCombo = Named(new DropCombo(aliasTab), "aliasCombo");
  addaliasBtn = Named(new QPushButton("Add Alias", aliasTab), "addaliasBtn");
  delaliasBtn = Named(new QPushButton("Delete", aliasTab), "delaliasBtn");
  for (QPushButton* b : {addaliasBtn, delaliasBtn}) b->setAutoDefault(false);
  aliasMemo = Named(new QPlainTextEdit(aliasTab), "aliasMemo");
  grid->addWidget(new QLabel("Alias for", aliasTab), 0, 0);
  grid->addWidget(aliasCombo, 0, 1);
  grid->addWidget(addaliasBtn, 0, 2);
  grid->addWidget(delaliasBtn, 0, 3);
  grid->addWidget(new QLabel("Alias translation", aliasTab), 1, 0, Qt::AlignTop);
  grid->addWidget(aliasMemo, 1, 1, 1, 3);
  grid->setColumnStretch(1, 1);
  connect(aliasCombo, &DropCombo::dropDown, this, &ToptionForm::aliasComboDropDown);
  connect(aliasCombo, &QComboBox::currentIndexChanged, this, &ToptionForm::aliasComboChange);
  connect(addaliasBtn, &QPushButton::clicked, this, &ToptionForm::addaliasBtnClick);
  connect(delaliasBtn, &QPushButton::clicked, this, &ToptionForm::delaliasBtnClick);
  aliasMemo->installEventFilter(this);
}

void ToptionForm::BuildGeneralTab() {
  generalTab = Named(new QWidget, "generalTab");
  pc->addTab(generalTab, "General");
  auto* grid = new QGridLayout(generalTab);
  historyEdit = Named(new QLineEdit("0", generalTab), "historyEdit");
  pipeCharEdit = Named(new QLineEdit(generalTab), "pipeCharEdit");
  pathCharEdit = Named(new QLineEdit(generalTab), "pathCharEdit");
  pipeCharEdit->setMaxLength(1);
  pathCharEdit->setMaxLength(1);
  stdPastePrefixEdit = Named(new QLineEdit(generalTab), "stdPastePrefixEdit");
  stdPasteSuffixEdit = Named(new QLineEdit(generalTab), "stdPasteSuffixEdit");
  altPastePrefixEdit = Named(new QLineEdit(generalTab), "altPastePrefixEdit");
  altPasteSuffixEdit = Named(new QLineEdit(generalTab), "altPasteSuffixEdit");
  paramStartEdit = Named(new QLineEdit(generalTab), "paramStartEdit");
  paramEndEdit = Named(new QLineEdit(generalTab), "paramEndEdit");
  int r = 0;
  auto addRow = [&](const char* label, QLineEdit* a, QLineEdit* b) {
    grid->addWidget(new QLabel(label, generalTab), r, 0);
    grid->addWidget(a, r, 1);
    if (b) grid->addWidget(b, r, 2);
    ++r;
  };
  addRow("Command History Size", historyEdit, nullptr);
  addRow("Command Separator", pipeCharEdit, nullptr);
  addRow("Path Character", pathCharEdit, nullptr);
  addRow("Standard Paste Prefix/Suffix", stdPastePrefixEdit, stdPasteSuffixEdit);
  addRow("Alternative (Line) Paste Prefix/Suffix", altPastePrefixEdit, altPasteSuffixEdit);
  addRow("Macro Parameter Delimiters Start/End", paramStartEdit, paramEndEdit);
  grid->setRowStretch(r, 1);
  historyEdit->installEventFilter(this);
}

// ---- showing and closing

void ToptionForm::ShowEditor() {
  if (!isVisible()) {
    show();
    return;
  }
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

void ToptionForm::SetsLoaded() {
  RefillSetCombo();
  optionsetCombo->setCurrentIndex(sets_.Count() > 0 ? 0 : -1);
  ShowSet();
}

void ToptionForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  if (!centred_) {
    centred_ = true;
    if (QScreen* screen = QGuiApplication::primaryScreen())
      move(screen->availableGeometry().center() - rect().center());
  }
  SelectTerminalSet(nullptr);
}

void ToptionForm::done(int result) {
  const bool wasVisible = isVisible();
  QDialog::done(result);
  if (wasVisible) FormClose();
}

void ToptionForm::FormClose() {
  if (!saveOptions) return;
  bool saved = false;
  std::string reason;
  try {
    saved = saveOptions();
  } catch (const std::exception& e) {
    reason = e.what();
  }
  if (!saved && ask)
    ask({reason.empty() ? std::string("The option sets could not be written to options.dat.") : reason,
         "Ombrel Error", MsgIcon::Error});
}

bool ToptionForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    if (watched == marginEdit) marginEditExit();
    if (watched == historyEdit) historyEditExit();
    if (watched == macroMemo) macroMemoExit();
    if (watched == aliasMemo) aliasMemoExit();
  }
  return QDialog::eventFilter(watched, event);
}

// ---- the set

void ToptionForm::RefillSetCombo() {
  const QSignalBlocker block(optionsetCombo);
  const int chosen = optionsetCombo->currentIndex();
  QStringList names;
  for (int i = 0; i < sets_.Count(); ++i) names << Q(sets_.NameAt(i));
  QStringList shown;
  for (int i = 0; i < optionsetCombo->count(); ++i) shown << optionsetCombo->itemText(i);
  if (names == shown) return;
  optionsetCombo->clear();
  optionsetCombo->addItems(names);
  optionsetCombo->setCurrentIndex(chosen < sets_.Count() ? chosen : -1);
}

SetFields ToptionForm::ReadFields() const {
  SetFields f;
  f.font = dialogFont_;
  f.bgcolor = bgcolorPanel->color();
  f.textbrightcolor = textbrightcolorPanel->color();
  f.ansi = ansiCB->isChecked();
  f.scrollbar = scrollbarCB->isChecked();
  f.localecho = localechoCB->isChecked();
  f.marginSize = S(marginEdit->text());
  for (int r = 0; r < 8; ++r) {
    f.ansimap[kAnsiRows[r].normal] = mappedSwatch[r][0]->color();
    f.ansimap[kAnsiRows[r].bright] = mappedSwatch[r][1]->color();
  }
  f.telnet = telnetactiveCB->isChecked();
  f.telnetinit = telnetinitnegCB->isChecked();
  f.telopnaws = opNAWSCB->isChecked();
  f.teloplinemode = opLinemodeCB->isChecked();
  f.historySize = S(historyEdit->text());
  f.pipechar = S(pipeCharEdit->text());
  f.pathchar = S(pathCharEdit->text());
  f.stdpasteprefix = S(stdPastePrefixEdit->text());
  f.stdpastesuffix = S(stdPasteSuffixEdit->text());
  f.altpasteprefix = S(altPastePrefixEdit->text());
  f.altpastesuffix = S(altPasteSuffixEdit->text());
  f.paramstart = S(paramStartEdit->text());
  f.paramend = S(paramEndEdit->text());
  return f;
}

void ToptionForm::ShowFields(const SetFields& f) {
  dialogFont_ = f.font;
  bgcolorPanel->setColor(f.bgcolor);
  textbrightcolorPanel->setColor(f.textbrightcolor);
  ansiCB->setChecked(f.ansi);
  ansiCBClick();
  scrollbarCB->setChecked(f.scrollbar);
  localechoCB->setChecked(f.localecho);
  marginEdit->setText(Q(f.marginSize));
  for (int r = 0; r < 8; ++r) {
    mappedSwatch[r][0]->setColor(f.ansimap[kAnsiRows[r].normal]);
    mappedSwatch[r][1]->setColor(f.ansimap[kAnsiRows[r].bright]);
  }
  telnetactiveCB->setChecked(f.telnet);
  telnetinitnegCB->setChecked(f.telnetinit);
  opNAWSCB->setChecked(f.telopnaws);
  opLinemodeCB->setChecked(f.teloplinemode);
  historyEdit->setText(Q(f.historySize));
}

void ToptionForm::ShowSet() {
  RefillSetCombo();
  if (sets_.Count() == 0) {
    currentSet_ = nullptr;
    return;
  }
  if (optionsetCombo->currentIndex() < 0) {
    const QSignalBlocker block(optionsetCombo);
    optionsetCombo->setCurrentIndex(0);
  }
  currentSet_ = &sets_.At(optionsetCombo->currentIndex());
  const SetFields f = FieldsFromSet(*currentSet_);
  ShowFields(f);
  ShowTrigger();
  ShowAlias();
  ShowMacro();
  pipeCharEdit->setText(Q(f.pipechar));
  pathCharEdit->setText(Q(f.pathchar));
  stdPastePrefixEdit->setText(Q(f.stdpasteprefix));
  stdPasteSuffixEdit->setText(Q(f.stdpastesuffix));
  altPastePrefixEdit->setText(Q(f.altpasteprefix));
  altPasteSuffixEdit->setText(Q(f.altpastesuffix));
  paramStartEdit->setText(Q(f.paramstart));
  paramEndEdit->setText(Q(f.paramend));
}

void ToptionForm::StoreControls() {
  if (!currentSet_) return;
  StoreFields(ReadFields(), *currentSet_);
  StoreTrigger();
  // The memos store themselves when they lose the focus, but a button
  // pressed by its shortcut takes no focus: store them here too.
  StoreMacro();
  StoreAlias();
}

std::vector<TtermForm*> ToptionForm::Terminals() const {
  return main_ ? main_->Terminals() : std::vector<TtermForm*>{};
}

void ToptionForm::ApplySet() {
  if (!currentSet_) return;
  StoreControls();
  std::vector<TermAdapter> adapters;
  const std::vector<TtermForm*> terms = Terminals();
  adapters.reserve(terms.size());
  std::vector<EditorTerminal*> list;
  const EditorTerminal* current = nullptr;
  for (TtermForm* t : terms) {
    adapters.emplace_back(t);
    list.push_back(&adapters.back());
    if (main_ && t == main_->CurrentTerminal()) current = &adapters.back();
  }
  ApplyToTerminals(currentSet_, list, current);
}

void ToptionForm::SelectTerminalSet(TtermForm* terminal) {
  if (!terminal && main_) terminal = main_->CurrentTerminal();
  RefillSetCombo();
  int index = sets_.Count() > 0 ? 0 : -1;
  if (terminal)
    if (auto found = sets_.IndexOf(terminal->core().Options())) index = *found;
  {
    const QSignalBlocker block(optionsetCombo);
    optionsetCombo->setCurrentIndex(index);
  }
  ShowSet();
}

// ---- top row and buttons

void ToptionForm::OKBtnClick() {
  ApplySet();
  accept();
}

void ToptionForm::cancelBtnClick() { reject(); }

void ToptionForm::applyBtnClick() { ApplySet(); }

void ToptionForm::optionsetComboDropDown() { ApplySet(); }

void ToptionForm::optionsetComboClick() {
  // Opening the list applied the set being left; a choice made with the
  // keyboard opens nothing, so its edits are kept here, and the terminals
  // on it are refreshed as Apply would.
  TOptions* left = currentSet_;
  const bool keyboard = !optionsetCombo->FromPopup();
  if (keyboard) StoreControls();
  ShowSet();
  ApplySet();
  if (keyboard && left && left != currentSet_)
    for (TtermForm* t : Terminals())
      if (t->core().Options() == left) t->LayoutTerminal();
}

void ToptionForm::addOptionsBtnClick() {
  ApplySet();
  const std::optional<std::string> name = askNewSetName ? askNewSetName() : std::nullopt;
  if (!name) return;
  sets_.AddNew(*name);
  ShowSet();
}

void ToptionForm::deleteOptionsBtnClick() {
  const int index = optionsetCombo->currentIndex();
  if (index < 0 || index >= sets_.Count()) return;
  std::vector<TermAdapter> adapters;
  const std::vector<TtermForm*> terms = Terminals();
  adapters.reserve(terms.size());
  std::vector<EditorTerminal*> list;
  for (TtermForm* t : terms) {
    adapters.emplace_back(t);
    list.push_back(&adapters.back());
  }
  if (DeleteSet(sets_, index, list, ask) != DeleteResult::Deleted) return;
  currentSet_ = nullptr;
  RefillSetCombo();
  {
    const QSignalBlocker block(optionsetCombo);
    optionsetCombo->setCurrentIndex(sets_.Count() > 0 ? 0 : -1);
  }
  ShowSet();
}

// ---- Display tab

void ToptionForm::bgcolorPanelClick() {
  if (!currentSet_ || !chooseColor) return;
  if (auto c = chooseColor(dialogColor_)) {
    dialogColor_ = *c;
    bgcolorPanel->setColor(*c);
  }
}

void ToptionForm::textbrightcolorPanelClick() {
  if (!currentSet_ || !chooseColor) return;
  if (auto c = chooseColor(dialogColor_)) {
    dialogColor_ = *c;
    textbrightcolorPanel->setColor(*c);
  }
}

void ToptionForm::fontBtnClick() {
  if (!currentSet_ || !chooseFont) return;
  if (auto f = chooseFont(dialogFont_)) dialogFont_ = *f;
}

void ToptionForm::ansiCBClick() { ansimapPanel->setVisible(ansiCB->isChecked()); }

void ToptionForm::marginEditExit() { marginEdit->setText(Q(SizeFieldExit(S(marginEdit->text())))); }

void ToptionForm::historyEditExit() { historyEdit->setText(Q(SizeFieldExit(S(historyEdit->text())))); }

void ToptionForm::AnsiMapPanelClick(ColorSwatch* mapped) {
  if (!chooseColor) return;
  dialogColor_ = mapped->color();
  if (auto c = chooseColor(dialogColor_)) {
    dialogColor_ = *c;
    mapped->setColor(*c);
  }
}

void ToptionForm::AnsiRestorePanelClick(ColorSwatch* standard) {
  for (int r = 0; r < 8; ++r)
    for (int bright = 0; bright < 2; ++bright)
      if (standardSwatch[r][bright] == standard) mappedSwatch[r][bright]->setColor(standard->color());
}

// ---- triggers

void ToptionForm::ShowTrigger(int choose) {
  const int remembered = choose >= 0 ? choose : trigEventCombo->currentIndex();
  const int count = currentSet_ ? static_cast<int>(currentSet_->triggers.size()) : 0;
  const int index = ReselectIndex(remembered, count);
  {
    const QSignalBlocker block(trigEventCombo);
    trigEventCombo->clear();
    for (int i = 0; i < count; ++i) trigEventCombo->addItem(Q(currentSet_->triggers[i].name));
    trigEventCombo->setCurrentIndex(index);
  }
  triggerShown_ = index;
  const TriggerFields f = FieldsFromTrigger(index >= 0 ? &currentSet_->triggers[index] : nullptr);
  trigStringEdit->setText(Q(f.string));
  trigSendCB->setChecked(f.textenabled);
  trigPlaysoundCB->setChecked(f.soundenabled);
  trigSendMemo->setPlainText(Q(f.text).replace("\r\n", "\n"));
  // A file name, in the encoding the file system uses.
  trigSoundfileEdit->setText(QString::fromLocal8Bit(f.soundfile.c_str()));
}

void ToptionForm::StoreTrigger() {
  if (!currentSet_ || triggerShown_ < 0 || triggerShown_ >= static_cast<int>(currentSet_->triggers.size()))
    return;
  TriggerFields f;
  f.string = S(trigStringEdit->text());
  f.textenabled = trigSendCB->isChecked();
  f.soundenabled = trigPlaysoundCB->isChecked();
  f.text = S(trigSendMemo->toPlainText());
  // Untouched, the name keeps its bytes even where they are not valid in
  // the local encoding.
  const std::string& stored = currentSet_->triggers[triggerShown_].soundfile;
  f.soundfile = trigSoundfileEdit->text() == QString::fromLocal8Bit(stored.c_str())
                    ? stored
                    : trigSoundfileEdit->text().toLocal8Bit().toStdString();
  StoreTriggerFields(f, currentSet_->triggers[triggerShown_]);
}

void ToptionForm::trigEventComboDropDown() { StoreTrigger(); }

void ToptionForm::trigEventComboChange() {
  // The fields still hold the trigger chosen before; keep their edits.
  StoreTrigger();
  ShowTrigger();
}

void ToptionForm::trigAddBtnClick() {
  if (!currentSet_ || !askName) return;
  const auto name = askName("Add Trigger", "Name of new Trigger");
  if (!name || !currentSet_) return;
  StoreTrigger();
  ShowTrigger(AddTrigger(*currentSet_, *name));
}

void ToptionForm::trigDeleteBtnClick() {
  if (!currentSet_ || triggerShown_ < 0) return;
  if (DeleteTrigger(*currentSet_, triggerShown_, ask) != DeleteResult::Deleted) return;
  triggerShown_ = -1;
  ShowTrigger();
}

void ToptionForm::trigBrowseBtnClick() {
  if (!chooseSoundFile) return;
  const QString file = chooseSoundFile(trigSoundfileEdit->text());
  if (!file.isEmpty()) trigSoundfileEdit->setText(file);
}

// ---- macros

void ToptionForm::ShowMacro() {
  if (macrokeyCombo->currentIndex() < 0) {
    const QSignalBlocker block(macrokeyCombo);
    macrokeyCombo->setCurrentIndex(0);
  }
  macroShown_ = macrokeyCombo->currentIndex();
  if (currentSet_) ShowMemo(macroMemo, currentSet_->macros[macroShown_].text);
}

void ToptionForm::StoreMacro() {
  if (!currentSet_ || macroShown_ < 0 || macroShown_ >= kMacroCount) return;
  currentSet_->macros[macroShown_].text = MemoLines(macroMemo);
}

void ToptionForm::macrokeyComboDropDown() { StoreMacro(); }

void ToptionForm::macrokeyComboChange() {
  StoreMacro();
  ShowMacro();
}

void ToptionForm::macroMemoExit() { StoreMacro(); }

// ---- aliases

void ToptionForm::ShowAlias(int choose) {
  const int remembered = choose >= 0 ? choose : aliasCombo->currentIndex();
  const int count = currentSet_ ? static_cast<int>(currentSet_->aliases.size()) : 0;
  const int index = ReselectIndex(remembered, count);
  {
    const QSignalBlocker block(aliasCombo);
    aliasCombo->clear();
    for (int i = 0; i < count; ++i) aliasCombo->addItem(Q(currentSet_->aliases[i].name));
    aliasCombo->setCurrentIndex(index);
  }
  aliasShown_ = index;
  ShowMemo(aliasMemo, index >= 0 ? currentSet_->aliases[index].translation : Lines{});
}

void ToptionForm::StoreAlias() {
  if (!currentSet_ || aliasShown_ < 0 || aliasShown_ >= static_cast<int>(currentSet_->aliases.size()))
    return;
  currentSet_->aliases[aliasShown_].translation = MemoLines(aliasMemo);
}

void ToptionForm::aliasComboDropDown() { StoreAlias(); }

void ToptionForm::aliasComboChange() {
  StoreAlias();
  ShowAlias();
}

void ToptionForm::addaliasBtnClick() {
  if (!currentSet_ || !askName) return;
  const auto name = askName("Add Alias", "Name of new Alias");
  if (!name || !currentSet_) return;
  StoreAlias();
  ShowAlias(AddAlias(*currentSet_, *name));
}

void ToptionForm::delaliasBtnClick() {
  if (!currentSet_ || aliasShown_ < 0) return;
  if (DeleteAlias(*currentSet_, aliasShown_, ask) != DeleteResult::Deleted) return;
  aliasShown_ = -1;
  ShowAlias();
}

void ToptionForm::aliasMemoExit() { StoreAlias(); }

}  // namespace ombrel
