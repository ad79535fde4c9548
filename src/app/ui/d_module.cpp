#include "app/ui/d_module.h"
#include "util/ui/byte_text.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "app/ui/main_form.h"
#include "app/window_arrangement.h"
#include "term/ui/term_form.h"
#include "util/ui/file_name.h"

namespace ombrel {

namespace {

QIcon ActionIcon(int image) {
  static const QStyle::StandardPixmap icons[] = {
      QStyle::SP_ComputerIcon,        QStyle::SP_BrowserStop,
      QStyle::SP_FileDialogListView,  QStyle::SP_FileDialogNewFolder,
      QStyle::SP_DialogOpenButton,    QStyle::SP_DialogSaveButton,
      QStyle::SP_FileDialogDetailedView,
  };
  if (image < 0 || image >= static_cast<int>(std::size(icons))) return {};
  return QApplication::style()->standardIcon(icons[image]);
}

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QAction* MakeAction(const ActionSpec& entry, QObject* parent) {
  auto* a = new QAction(Q(entry.caption), parent);
  a->setObjectName(Q(entry.name));
  if (!entry.shortcut.empty()) {
    a->setShortcut(QKeySequence(Q(entry.shortcut)));
    // Shortcuts must work in expert mode too, with the menu gone.
    a->setShortcutContext(Qt::ApplicationShortcut);
  }
  if (!entry.hint.empty()) {
    a->setToolTip(Q(entry.hint));
    a->setStatusTip(Q(entry.hint));
  }
  if (entry.image >= 0) a->setIcon(ActionIcon(entry.image));
  a->setCheckable(entry.checkable);
  return a;
}

}  // namespace

TdModule::TdModule(TmainForm* main)
    : QObject(main), dragTimer(new QTimer(this)), appTimer(new QTimer(this)), main_(main) {
  CreateActions();
  lastDir = main_->DataDir();
  dragTimer->setInterval(50);
  connect(dragTimer, &QTimer::timeout, this, &TdModule::dragTimerTimer);
  appTimer->setInterval(50);
  appTimer->setSingleShot(true);
  connect(appTimer, &QTimer::timeout, this, &TdModule::appTimerTimer);
  appTimer->start();
}

void TdModule::CreateActions() {
  for (const ActionSpec& entry : ActionTable()) actions_[entry.id] = MakeAction(entry, this);
  action(ActionId::aToolbar)->setChecked(true);
  action(ActionId::aCopyLinkLocation)->setEnabled(false);
  action(ActionId::aDisconnect)->setEnabled(false);
  BindWindowCommands();
  BindEditCommands();
  BindTelnetCommands();
}

// The dialogs, the files, the terminal windows and their arrangement.
void TdModule::BindWindowCommands() {
  using A = ActionId;
  Bind(A::aAccounts, [this] { if (showAccounts) showAccounts(); });
  Bind(A::aOptions, [this] { if (showOptions) showOptions(); });
  Bind(A::aNewTerminal, [this] { main_->NewTerminal(); });
  Bind(A::aDisconnect, [this] { if (auto* t = main_->CurrentTerminal()) t->Disconnect(); });
  Bind(A::aToolbar, [this] { main_->ToolBar()->setVisible(action(A::aToolbar)->isChecked()); });
  Bind(A::aSaveBuffer, [this] { FileCommand(A::aSaveBuffer); });
  Bind(A::aLoadLog, [this] { FileCommand(A::aLoadLog); });
  Bind(A::aSetLogFile, [this] { FileCommand(A::aSetLogFile); });
  Bind(A::aArrangeColumns, [this] { ArrangeColumns(); });
  Bind(A::aArrangeRows, [this] { ArrangeRows(); });
  Bind(A::aArrangeMatrix, [this] { ArrangeMatrix(); });
  Bind(A::aArrangeMaximized, [this] { ArrangeMaximized(); });
  Bind(A::aExpertMode, [this] { aExpertModeExecute(); });
  Bind(A::aExit, [] { QApplication::exit(0); });
  Bind(A::aAbout, [this] { if (showAbout) showAbout(); });
}

// The clipboard, the selection, find and the buffer.
void TdModule::BindEditCommands() {
  auto current = [this] { return main_->CurrentTerminal(); };
  using A = ActionId;
  Bind(A::aEditCopy, [this] { Copy(false); });
  Bind(A::aEditCopyLine, [this] { Copy(true); });
  Bind(A::aEditPaste, [current] {
    if (auto* t = current(); t && t->Connected())
      t->PasteText(ToBytes(QGuiApplication::clipboard()->text(), t->Utf8()));
  });
  Bind(A::aEditPasteLine, [current] {
    if (auto* t = current(); t && t->Connected())
      t->PasteIntoCommandLine(ToBytes(QGuiApplication::clipboard()->text(), t->Utf8()));
  });
  Bind(A::aEditSelectall, [this, current] {
    if (auto* t = current()) {
      t->SelectAll();
      if (main_->refreshFind) main_->refreshFind();
    }
  });
  Bind(A::aClearTerminal, [current] { if (auto* t = current()) t->core().ClearTerminal(); });
  Bind(A::aReloadScripts, [current] { if (auto* t = current()) t->ReloadScripts(); });
  Bind(A::aFindInBuf, [this] { if (findInBuf) findInBuf(); });
  Bind(A::aFindNext, [this] { if (findNext) findNext(); });
  Bind(A::aCopyLinkLocation, [current] {
    if (auto* t = current()) QGuiApplication::clipboard()->setText(FromBytes(t->view().linkurl, t->Utf8()));
  });
}

// The telnet commands and the console.
void TdModule::BindTelnetCommands() {
  auto current = [this] { return main_->CurrentTerminal(); };
  using A = ActionId;
  auto telnetCommand = [current](TermCore::TelnetCommand c) {
    if (auto* t = current()) t->core().SendTelnetCommand(c);
  };
  Bind(A::aTelAYT, [=] { telnetCommand(TermCore::TelnetCommand::AYT); });
  Bind(A::aTelIP, [=] { telnetCommand(TermCore::TelnetCommand::IP); });
  Bind(A::aTelAO, [=] { telnetCommand(TermCore::TelnetCommand::AO); });
  Bind(A::aTelnetNegotiate, [current] { if (auto* t = current()) t->core().Negotiate(true); });
  Bind(A::aTelnetConsole, [this] {
    if (showConsole) showConsole(action(A::aTelnetConsole)->isChecked());
    main_->ToolBar()->setVisible(action(A::aToolbar)->isChecked());
  });
  Bind(A::aLog, [this] { if (showConsoleLog) showConsoleLog(action(A::aLog)->isChecked()); });
}

void TdModule::Bind(ActionId id, std::function<void()> handler) {
  // Checkable actions flip their mark before `triggered` is emitted.
  connect(action(id), &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
}

void TdModule::BuildMenu(QMenu* menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& e : entries) {
    switch (e.kind) {
      case MenuEntry::kAction: menu->addAction(action(e.action)); break;
      case MenuEntry::kSeparator: menu->addSeparator(); break;
      case MenuEntry::kSubmenu: BuildMenu(menu->addMenu(Q(e.caption)), e.entries); break;
      case MenuEntry::kTerminalList: terminalsMenu_ = menu; break;
    }
  }
}

QMenuBar* TdModule::BuildMainMenu(QWidget* parent) {
  auto* bar = new QMenuBar(parent);
  for (const MenuEntry& top : MainMenu()) BuildMenu(bar->addMenu(Q(top.caption)), top.entries);
  return bar;
}

QMenu* TdModule::BuildContextMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  BuildMenu(menu, ContextMenu());
  return menu;
}

void TdModule::FillToolbar(QToolBar* bar) {
  for (const MenuEntry& e : ToolbarButtons()) {
    if (e.kind == MenuEntry::kSeparator)
      bar->addSeparator();
    else
      bar->addAction(action(e.action));
  }
}

bool TdModule::IsCommandKey(QKeyCombination key) const {
  const QKeySequence pressed(key);
  for (const ActionSpec& entry : ActionTable())
    if (!entry.shortcut.empty() && action(entry.id)->shortcut() == pressed) return true;
  return false;
}

bool TdModule::ExpertMode() const { return action(ActionId::aExpertMode)->isChecked(); }

void TdModule::UpdateDisconnect(TtermForm* terminal) {
  action(ActionId::aDisconnect)->setEnabled(terminal && terminal->CanDisconnect());
}

void TdModule::aExpertModeExecute() {
  QAction* expert = action(ActionId::aExpertMode);
  QAction* toolbar = action(ActionId::aToolbar);
  // A triggered checkable action has already flipped its mark; undo that so
  // the steps below decide it.
  const bool wasOn = (sender() == expert) ? !expert->isChecked() : expert->isChecked();
  if (main_->Terminals().empty() && !wasOn) {
    expert->setChecked(false);
    main_->message(TmainForm::MessageKind::Warning, "Ombrel Warning",
                   "Cannot enter Expert Mode unless there is at least one terminal.\r"
                   "Please create a new terminal and try again.");
    return;
  }
  const bool on = !wasOn;
  expert->setChecked(on);
  toolbar->setChecked(!on);
  main_->SetMainMenuShown(!on);
  main_->ToolBar()->setVisible(toolbar->isChecked());
}

QString TdModule::ChooseFile(ActionId id) {
  if (chooseFile) return chooseFile(id, lastDir);
  const QString filter = "Text File (*.txt)";
  switch (id) {
    case ActionId::aLoadLog:
      return QFileDialog::getOpenFileName(main_, "Open Log File", lastDir, filter, nullptr,
                                          QFileDialog::ReadOnly);
    case ActionId::aSaveBuffer:
      return QFileDialog::getSaveFileName(main_, "Save Log File", lastDir, filter);
    default:
      return QFileDialog::getSaveFileName(main_, "Select Log File", lastDir, filter);
  }
}

void TdModule::FileCommand(ActionId id) {
  TtermForm* t = main_->CurrentTerminal();
  if (!t) return;
  const QString file = ChooseFile(id);
  if (file.isEmpty()) return;
  lastDir = QFileInfo(file).absolutePath().left(255);
  const std::string name = FileName(file);
  try {
    if (id == ActionId::aSaveBuffer)
      if (const WriteResult w = t->core().SaveBuffer(name); !w.ok) FileFailed("Ombrel Error", w.error);
    if (id == ActionId::aLoadLog)
      if (const ReadResult r = t->core().LoadLog(name); !r.ok) FileFailed("File Error", r.error);
    if (id == ActionId::aSetLogFile) t->core().SetLogFile(name);
  } catch (const std::exception& e) {
    // What no result foresees, as memory running out for a huge buffer.
    FileFailed("Ombrel Error", e.what());
  }
}

void TdModule::FileFailed(const QString& caption, const std::string& reason) {
  main_->message(TmainForm::MessageKind::Error, caption, QString::fromLocal8Bit(reason.c_str()));
}

void TdModule::Copy(bool asLine) {
  TtermForm* t = main_->CurrentTerminal();
  if (!t) return;
  t->NormalizeSelection();
  if (t->cmdEdit->hasSelectedText()) {
    QGuiApplication::clipboard()->setText(t->cmdEdit->selectedText());
    return;
  }
  const std::string text = asLine ? t->GetSelectedLine() : t->GetSelectedText();
  if (!text.empty()) QGuiApplication::clipboard()->setText(FromBytes(text, t->Utf8()));
}

int TdModule::ToolbarHeight() const {
  return main_->ToolBar() && main_->ToolBar()->isVisible() ? main_->ToolBar()->height() : 0;
}

void TdModule::Arrange(const std::vector<Rect>& rects) {
  const auto& terms = main_->Terminals();
  for (size_t i = 0; i < rects.size() && i < terms.size(); ++i) {
    QMdiSubWindow* sub = terms[i]->subWindow;
    sub->showNormal();
    sub->setGeometry(rects[i].left, rects[i].top, rects[i].width, rects[i].height);
  }
}

// The client area is measured as the frame's inside below the menu, so the
// toolbar height is taken off it as the arrangement rules expect.
void TdModule::ArrangeColumns() {
  Arrange(ombrel::ArrangeColumns(static_cast<int>(main_->Terminals().size()),
                                 main_->Workspace()->width(),
                                 main_->Workspace()->height() + ToolbarHeight(), ToolbarHeight()));
}

void TdModule::ArrangeRows() {
  Arrange(ombrel::ArrangeRows(static_cast<int>(main_->Terminals().size()),
                              main_->Workspace()->width(),
                              main_->Workspace()->height() + ToolbarHeight(), ToolbarHeight()));
}

void TdModule::ArrangeMatrix() {
  Arrange(ombrel::ArrangeMatrix(static_cast<int>(main_->Terminals().size()),
                                main_->Workspace()->width(),
                                main_->Workspace()->height() + ToolbarHeight(), ToolbarHeight()));
}

void TdModule::ArrangeMaximized() {
  for (TtermForm* t : main_->Terminals()) t->subWindow->showMaximized();
}

void TdModule::dragTimerTimer() {
  TtermForm* t = main_->CurrentTerminal();
  if (!t) {
    dragTimer->stop();
    return;
  }
  if (!t->DragTimerTick()) dragTimer->stop();
}

void TdModule::appTimerTimer() {
  if (TtermForm* t = main_->CurrentTerminal()) t->subWindow->showMaximized();
  if (main_->refreshFind) main_->refreshFind();
  appTimer->stop();
}

}  // namespace ombrel
