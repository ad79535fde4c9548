// What the window tests do alike.
#pragma once

#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "app/ui/program.h"
#include "term/ui/term_form.h"

namespace ombrel::testing {

// The program with every window bound, one option set and no terminal yet.
struct ProgramFixture {
  std::unique_ptr<QTemporaryDir> dataDir;
  QStringList messages;
  std::unique_ptr<Program> program;
  TmainForm* main = nullptr;
  TdModule* module = nullptr;

  QString DataDir() const { return dataDir->path() + "/"; }
  // Shows the program anew; in a new data folder, unless `sameFolder`, at 800x600.
  bool Start(bool sameFolder = false) {
    program.reset();
    if (!sameFolder) dataDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/zoë-XXXXXX");  // as a player's may be
    messages.clear();
    program = std::make_unique<Program>(DataDir());
    // Message boxes are recorded as "caption|text" instead of shown.
    program->mainForm->message = [this](TmainForm::MessageKind, const QString& caption, const QString& text) {
      messages << caption + "|" + text;
    };
    program->optionSets.AddNew("Default");
    main = program->mainForm.get(), module = program->module;
    main->show();
    if (!QTest::qWaitForWindowExposed(main)) return false;
    if (!sameFolder) main->resize(800, 600), QCoreApplication::processEvents();
    return true;
  }
  void Stop() { program.reset(), dataDir.reset(); }
  QAction* Action(ActionId id) { return module->action(id); }
  // As a click on its window does.
  void Activate(TtermForm* t) {
    main->Workspace()->setActiveSubWindow(t->subWindow);
    QCoreApplication::processEvents();
  }
};

}  // namespace ombrel::testing
