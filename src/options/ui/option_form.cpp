#include "options/ui/option_form.h"

#include <QGuiApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "util/ui/byte_text.h"
#include "term/ui/open_terminals.h"
#include "term/ui/term_form.h"

namespace ombrel {

namespace {

// The terminal as the editor's rules see it.
class TermAdapter : public EditorTerminal {
 public:
  explicit TermAdapter(TtermForm* t) : t_(t) {}
  TOptions* Options() const override { return t_->core().Options(); }
  void AssignOptions(TOptions* set) override { t_->AssignOptions(set); }
  void LayoutTerminal() override { t_->LayoutTerminal(); }
  TtermForm* Window() const { return t_; }

 private:
  TtermForm* t_;
};

// The open terminals, in the main window's order, for the editor's rules.
class EditorTerminals {
 public:
  explicit EditorTerminals(const std::vector<TtermForm*>& terms) {
    adapters_.reserve(terms.size());
    for (TtermForm* t : terms) {
      adapters_.emplace_back(t);
      list_.push_back(&adapters_.back());
    }
  }
  const std::vector<EditorTerminal*>& List() const { return list_; }
  const EditorTerminal* Find(const TtermForm* window) const {
    for (const TermAdapter& a : adapters_)
      if (a.Window() == window) return &a;
    return nullptr;
  }

 private:
  std::vector<TermAdapter> adapters_;
  std::vector<EditorTerminal*> list_;
};

}  // namespace

ToptionForm::ToptionForm(TOptionSetList& sets, OpenTerminals* terminals, TaddOptionSetForm* addForm,
                         QWidget* parent)
    : QDialog(parent), sets_(sets), terminals_(terminals) {
  setObjectName("optionForm");
  setWindowTitle("Terminal Options");
  setModal(false);
  // The program ending closes every window, this one too; only the editor's
  // own closing writes the file.
  connect(qApp, &QGuiApplication::lastWindowClosed, this, [this] { programEnding_ = true; });
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  BuildTop();
  BuildTabs();

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Option Set", this));
  top->addWidget(optionsetCombo, 1);
  top->addWidget(addOptionsBtn);
  top->addWidget(deleteOptionsBtn);
  layout->addLayout(top);
  layout->addWidget(pc, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(cancelBtn);
  bottom->addWidget(applyBtn);
  bottom->addWidget(OKBtn);
  layout->addLayout(bottom);
  setFixedSize(QSize(439, 319).expandedTo(sizeHint()));

  BindPlatformDialogs(*this, this, addForm);
  WireSignals();
}

void ToptionForm::BuildTop() {
  optionsetCombo = Named(new DropCombo(this), "optionsetCombo");
  addOptionsBtn = Named(new QPushButton("Add Set", this), "addOptionsBtn");
  deleteOptionsBtn = Named(new QPushButton("Delete", this), "deleteOptionsBtn");
  cancelBtn = Named(new QPushButton("&Cancel", this), "cancelBtn");
  applyBtn = Named(new QPushButton("&Apply", this), "applyBtn");
  OKBtn = Named(new QPushButton("&OK", this), "OKBtn");
  OKBtn->setDefault(true);
  for (QPushButton* b : {addOptionsBtn, deleteOptionsBtn, cancelBtn, applyBtn}) b->setAutoDefault(false);
}

void ToptionForm::BuildTabs() {
  pc = Named(new QTabWidget(this), "pc");
  pc->setAccessibleName("Settings of the set");
  pc->tabBar()->setStyleSheet("QTabBar::tab { min-width: 60px; padding: 3px 4px; }");
  const EditorDialogs& dialogs = *this;
  pc->addTab(displayTab = new TdisplayTab(dialogs), "Display");
  pc->addTab(telnetTab = new TtelnetTab, "Telnet");
  pc->addTab(triggerTab = new TtriggerTab(dialogs), "Triggers");
  pc->addTab(macroTab = new TmacroTab, "Macros");
  pc->addTab(aliasTab = new TaliasTab(dialogs), "Aliases");
  pc->addTab(generalTab = new TgeneralTab, "General");
  pc->addTab(featuresTab = new TfeaturesTab, "Features");
  pc->setCurrentWidget(displayTab);
}

// The tabs wire their own controls; these are the window's.
void ToptionForm::WireSignals() {
  connect(featuresTab->patternsCB, &QCheckBox::toggled, triggerTab, &TtriggerTab::ShowPatternFields);
  connect(OKBtn, &QPushButton::clicked, this, &ToptionForm::OKBtnClick);
  connect(cancelBtn, &QPushButton::clicked, this, &ToptionForm::cancelBtnClick);
  connect(applyBtn, &QPushButton::clicked, this, &ToptionForm::applyBtnClick);
  connect(optionsetCombo, &DropCombo::dropDown, this, &ToptionForm::optionsetComboDropDown);
  connect(optionsetCombo, &QComboBox::activated, this, &ToptionForm::optionsetComboClick);
  connect(addOptionsBtn, &QPushButton::clicked, this, &ToptionForm::addOptionsBtnClick);
  connect(deleteOptionsBtn, &QPushButton::clicked, this, &ToptionForm::deleteOptionsBtnClick);
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
  if (wasVisible && !programEnding_) FormClose();
}

void ToptionForm::FormClose() {
  if (saveOptions) SaveReportingFailure(saveOptions, ask);
}

// ---- the set

void ToptionForm::RefillSetCombo() {
  const QSignalBlocker block(optionsetCombo);
  const int chosen = optionsetCombo->currentIndex();
  QStringList names;
  for (int i = 0; i < sets_.Count(); ++i) names << FromBytes(sets_.NameAt(i));
  QStringList shown;
  for (int i = 0; i < optionsetCombo->count(); ++i) shown << optionsetCombo->itemText(i);
  if (names == shown) return;
  optionsetCombo->clear();
  optionsetCombo->addItems(names);
  optionsetCombo->setCurrentIndex(chosen < sets_.Count() ? chosen : -1);
}

void ToptionForm::SetCurrentSet(TOptions* set) {
  currentSet_ = set;
  displayTab->SetCurrentSet(set);
  triggerTab->SetCurrentSet(set);
  macroTab->SetCurrentSet(set);
  aliasTab->SetCurrentSet(set);
}

void ToptionForm::ShowSet() {
  RefillSetCombo();
  if (sets_.Count() == 0) {
    SetCurrentSet(nullptr);
    return;
  }
  if (optionsetCombo->currentIndex() < 0) {
    const QSignalBlocker block(optionsetCombo);
    optionsetCombo->setCurrentIndex(0);
  }
  SetCurrentSet(&sets_.At(optionsetCombo->currentIndex()));
  const SetFields f = FieldsFromSet(*currentSet_);
  displayTab->ShowFields(f);
  telnetTab->ShowFields(f);
  generalTab->ShowFields(f);
  featuresTab->ShowFields(f);
  featuresTab->ShowSpeech(speech);
  triggerTab->ShowTrigger();
  aliasTab->ShowAlias();
  macroTab->ShowMacro();
}

void ToptionForm::StoreControls() {
  if (!currentSet_) return;
  SetFields f;
  displayTab->ReadFields(f);
  telnetTab->ReadFields(f);
  generalTab->ReadFields(f);
  featuresTab->ReadFields(f);
  featuresTab->ReadSpeech(speech);
  StoreFields(f, *currentSet_);
  triggerTab->StoreTrigger();
  // The memos store themselves when they lose the focus, but a button
  // pressed by its shortcut takes no focus: store them here too.
  macroTab->StoreMacro();
  aliasTab->StoreAlias();
}

std::vector<TtermForm*> ToptionForm::Terminals() const {
  return terminals_ ? terminals_->Terminals() : std::vector<TtermForm*>{};
}

void ToptionForm::ApplySet() {
  if (!currentSet_) return;
  StoreControls();
  const EditorTerminals terms(Terminals());
  ApplyToTerminals(currentSet_, terms.List(),
                   terminals_ ? terms.Find(terminals_->CurrentTerminal()) : nullptr);
}

void ToptionForm::SelectTerminalSet(TtermForm* terminal) {
  if (!terminal && terminals_) terminal = terminals_->CurrentTerminal();
  RefillSetCombo();
  const int index = ShownSetIndex(sets_, terminal ? terminal->core().Options() : nullptr);
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
  if (keyboard && left && left != currentSet_) LayoutTerminalsOn(left, EditorTerminals(Terminals()).List());
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
  const EditorTerminals terms(Terminals());
  if (DeleteSet(sets_, index, terms.List(), ask) != DeleteResult::Deleted) return;
  SetCurrentSet(nullptr);
  RefillSetCombo();
  {
    const QSignalBlocker block(optionsetCombo);
    optionsetCombo->setCurrentIndex(sets_.Count() > 0 ? 0 : -1);
  }
  ShowSet();
}

}  // namespace ombrel
