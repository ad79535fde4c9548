#include <QDir>

#include "app/ui/application.h"
#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "options/options.h"
#include "options/ui/add_option_set_form.h"
#include "options/ui/option_form.h"

int main(int argc, char* argv[]) {
  ombrel::OmbrelApplication app(argc, argv);
  ombrel::TOptionSetList optionSets;
  const QString dataDir = QDir(QCoreApplication::applicationDirPath()).filePath("data") + "/";
  ombrel::TmainForm mainForm(optionSets, dataDir);
  auto* addOptionSetForm = new ombrel::TaddOptionSetForm(&mainForm);
  auto* module = new ombrel::TdModule(&mainForm);
  mainForm.SetModule(module);
  auto* optionForm = new ombrel::ToptionForm(optionSets, &mainForm, addOptionSetForm, &mainForm);
  module->showOptions = [optionForm] { optionForm->ShowEditor(); };
  mainForm.refreshOptions = [optionForm](ombrel::TtermForm* terminal) {
    if (optionForm->isVisible()) optionForm->SelectTerminalSet(terminal);
  };
  if (optionSets.Count() == 0) optionSets.AddNew(ombrel::kDefaultSetName);
  optionForm->SetsLoaded();
  mainForm.NewTerminal();
  mainForm.show();
  return app.exec();
}
