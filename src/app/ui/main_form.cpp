#include "app/ui/main_form.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>

#include "app/ui/d_module.h"
#include "app/ui/sound_player.h"
#include "term/ui/term_form.h"
#include "util/ui/file_name.h"

namespace ombrel {

namespace {

// The tab strip hands every mouse press to the main window first.
class TabPressFilter : public QObject {
 public:
  TabPressFilter(QObject* parent, std::function<void()> onPress)
      : QObject(parent), onPress_(std::move(onPress)) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonRelease) onPress_();
    return false;
  }

 private:
  std::function<void()> onPress_;
};

}  // namespace

TmainForm::TmainForm(TOptionSetList& optionSets, QString dataDir, QWidget* parent)
    : QMainWindow(parent),
      optionSets_(optionSets),
      dataDir_(std::move(dataDir)),
      mdi_(new QMdiArea(this)),
      windowGroup_(new QActionGroup(this)),
      player_(new SoundPlayer(this)) {
  setWindowTitle("Ombrel");
  resize(625, 399);
  setMinimumSize(480, 300);
  mdi_->setBackground(palette().brush(QPalette::Dark));
  setCentralWidget(mdi_);
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    if (!w) return;
    if (auto* t = qobject_cast<TtermForm*>(w->widget())) TerminalActivated(t);
  });
  message = [this](MessageKind kind, const QString& caption, const QString& text) {
    if (kind == MessageKind::Warning)
      QMessageBox::warning(this, caption, text);
    else
      QMessageBox::critical(this, caption, text);
  };
  player_->onError = [this](const QString& text) { message(MessageKind::Error, "Ombrel Error", text); };
}

TmainForm::~TmainForm() = default;

void TmainForm::SetModule(TdModule* module) {
  module_ = module;
  setMenuBar(module_->BuildMainMenu(this));
  terminalsMenu_ = module_->TerminalsMenu();
  BuildToolbar();
}

void TmainForm::BuildToolbar() {
  toolBar_ = new QToolBar("Toolbar", this);
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setFixedHeight(29);
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->toggleViewAction()->setVisible(false);
  module_->FillToolbar(toolBar_);
  // The tab strip starts 195 pixels from the left.
  auto* spacer = new QWidget(toolBar_);
  int used = 0;
  for (QAction* a : toolBar_->actions())
    if (QWidget* w = toolBar_->widgetForAction(a)) used += w->sizeHint().width();
  spacer->setFixedWidth(std::max(0, 195 - used));
  toolBar_->addWidget(spacer);
  winTC_ = new QTabBar(toolBar_);
  winTC_->setDocumentMode(true);
  winTC_->setDrawBase(false);
  winTC_->setExpanding(false);
  winTC_->setFocusPolicy(Qt::NoFocus);
  toolBar_->addWidget(winTC_);
  connect(winTC_, &QTabBar::currentChanged, this, [this](int i) {
    if (!updatingTabs_) winTCChange(i);
  });
  winTC_->installEventFilter(new TabPressFilter(winTC_, [this] { winTCMouseDown(); }));
  addToolBar(Qt::TopToolBarArea, toolBar_);
}

void TmainForm::SetMainMenuShown(bool shown) { menuBar()->setVisible(shown); }

TtermForm* TmainForm::NewTerminal() {
  TOptions* set = optionSets_.Count() > 0 ? &optionSets_.At(0) : nullptr;
  auto* term = new TtermForm(*this, set);
  registry_.Add(term);
  QMdiSubWindow* sub = mdi_->addSubWindow(term);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  term->subWindow = sub;
  QAction* entry = new QAction(term->Caption(), this);
  entry->setCheckable(true);
  entry->setActionGroup(windowGroup_);
  connect(entry, &QAction::triggered, this, [this, entry] {
    entry->setChecked(true);
    for (TtermForm* t : registry_.terminals())
      if (t->menuEntry == entry) {
        t->subWindow->show();
        mdi_->setActiveSubWindow(t->subWindow);
      }
  });
  if (terminalsMenu_) terminalsMenu_->addAction(entry);
  term->menuEntry = entry;
  sub->resize(std::max(300, mdi_->width() * 2 / 3), std::max(200, mdi_->height() * 2 / 3));
  sub->show();
  term->LayoutTerminal();
  mdi_->setActiveSubWindow(sub);
  UpdateTabs();
  return term;
}

void TmainForm::RemoveTerminal(TtermForm* terminal) {
  registry_.Remove(terminal);
  if (terminal->menuEntry) {
    if (terminalsMenu_) terminalsMenu_->removeAction(terminal->menuEntry);
    terminal->menuEntry->deleteLater();
    terminal->menuEntry = nullptr;
  }
  if (registry_.Count() == 0 && module_ && module_->ExpertMode()) module_->aExpertModeExecute();
  if (refreshFind) refreshFind();
  UpdateTabs();
}

void TmainForm::TerminalActivated(TtermForm* terminal) {
  registry_.SetCurrent(terminal);
  if (terminal->menuEntry) terminal->menuEntry->setChecked(true);
  if (module_) module_->UpdateDisconnect(terminal);
  if (refreshOptions) refreshOptions(terminal);
  if (refreshFind) refreshFind();
  terminal->core().unseen = 0;
  UpdateTabs();
}

void TmainForm::UpdateTabs() {
  if (!winTC_) return;
  updatingTabs_ = true;
  std::vector<TabInfo> infos;
  for (TtermForm* t : registry_.terminals())
    infos.push_back({t->Caption().toStdString(), t->core().unseen != 0, t == registry_.current()});
  TabRow row = BuildTabRow(infos);
  while (winTC_->count() < static_cast<int>(row.captions.size())) winTC_->addTab("New Terminal");
  while (winTC_->count() > static_cast<int>(row.captions.size())) winTC_->removeTab(winTC_->count() - 1);
  for (size_t i = 0; i < row.captions.size(); ++i)
    winTC_->setTabText(static_cast<int>(i), QString::fromStdString(row.captions[i]));
  if (row.selected >= 0) winTC_->setCurrentIndex(row.selected);
  updatingTabs_ = false;
}

void TmainForm::winTCChange(int index) {
  if (index < 0 || index > registry_.lastIndex()) return;
  TtermForm* t = registry_.terminals()[static_cast<size_t>(index)];
  registry_.SetCurrent(t);
  t->subWindow->show();
  mdi_->setActiveSubWindow(t->subWindow);
}

void TmainForm::winTCMouseDown() {
  if (TtermForm* t = registry_.current()) {
    t->subWindow->show();
    mdi_->setActiveSubWindow(t->subWindow);
    t->cmdEdit->setFocus();
  }
}

void TmainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    ReadConfig();
  }
}

void TmainForm::closeEvent(QCloseEvent* event) {
  WriteConfig();
  QMainWindow::closeEvent(event);
}

void TmainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (winTC_) winTC_->setMaximumWidth(std::max(0, width() - 200));
}

std::string TmainForm::ScriptsDir() const { return FileName(dataDir_ + "scripts"); }

QString TmainForm::ConfigPath() const { return dataDir_ + "config.cfg"; }

std::string TmainForm::SpeechSettingsPath() const { return FileName(dataDir_ + "speech.dat"); }

void TmainForm::ReadConfig() {
  PresetConfig(config, FileName(dataDir_));
  if (!ReadConfigFile(FileName(ConfigPath()), config).ok)
    message(MessageKind::Warning, "Ombrel Warning", "Failed to read config file.");
  if (module_) module_->lastDir = FromFileName(config.lastDir);
  // The minimum size applies, so a record of zeros gives the smallest
  // window in the top-left corner.
  resize(config.width, config.height);
  Placement at{config.left, config.top};
  if (QScreen* s = screen()) at = PullOntoScreen(at, s->geometry().width(), s->geometry().height());
  // The record holds the client area's position: placing the frame there
  // would move the window by its border and title bar at every start.
  setGeometry(QRect(QPoint(at.left, at.top), size()));
  if (toolBar_) toolBar_->setVisible(config.toolbarVisible == 1);
  if (module_) {
    module_->action(ActionId::aToolbar)->setChecked(config.toolbarVisible == 1);
    module_->action(ActionId::aExpertMode)->setChecked(config.expertMode == 1);
  }
  if (config.expertMode == 1) SetMainMenuShown(false);
}

void TmainForm::WriteConfig() {
  config.left = geometry().x();
  config.top = geometry().y();
  config.width = width();
  config.height = height();
  config.toolbarVisible = toolBar_ && toolBar_->isVisibleTo(this) ? 1 : 0;
  config.expertMode = module_ && module_->ExpertMode() ? 1 : 0;
  if (module_) SetLastDir(config, FileName(module_->lastDir));
  if (!WriteConfigFile(FileName(ConfigPath()), config).ok)
    message(MessageKind::Error, "Ombrel Error", "Failed to write config file.");
}

// ---- what the terminals ask of their owner

void TmainForm::TerminalConnectionChanged(TtermForm* terminal) {
  if (module_) module_->UpdateDisconnect(terminal);
}

QMenu* TmainForm::TerminalContextMenu(QWidget* parent) {
  return module_ ? module_->BuildContextMenu(parent) : nullptr;
}

void TmainForm::SetDragTimerRunning(bool running) {
  if (!module_) return;
  if (running)
    module_->dragTimer->start();
  else
    module_->dragTimer->stop();
}

void TmainForm::LinkUnderPointer(bool onLink) {
  if (module_) module_->action(ActionId::aCopyLinkLocation)->setEnabled(onLink);
}

void TmainForm::TerminalSelectionDone() {
  if (refreshFind) refreshFind();
}

void TmainForm::TerminalTelnetLog(TtermForm* terminal, const std::string& text) {
  if (telnetLog) telnetLog(terminal, text);
}

std::optional<std::string> TmainForm::AskParameter(const std::string& name, bool utf8) {
  if (utf8 && askParamUtf8) return askParamUtf8(name);
  if (askParam) return askParam(name);
  return std::nullopt;
}

ISoundPlayer& TmainForm::SoundOutput() { return *player_; }

bool TmainForm::IsCommandKey(QKeyCombination key) const { return module_ && module_->IsCommandKey(key); }

}  // namespace ombrel
