#include <QDir>
#include <QMessageBox>

#include "accounts/ui/connect_form.h"
#include "accounts/ui/new_thing_form.h"
#include "app/ui/about_form.h"
#include "app/ui/application.h"
#include "app/ui/d_module.h"
#include "app/ui/find_form.h"
#include "app/ui/main_form.h"
#include "app/ui/param_form.h"
#include "options/options.h"
#include "options/options_file.h"
#include "options/ui/add_option_set_form.h"
#include "options/ui/option_form.h"
#include "telnet/ui/telnet_form.h"
#include "term/ui/term_form.h"

using namespace ombrel;

int main(int argc, char* argv[]) {
  OmbrelApplication app(argc, argv);
  TOptionSetList optionSets;
  const QString dataDir = QDir(QCoreApplication::applicationDirPath()).filePath("data") + "/";

  // The windows and modules, each once; only the main window is shown.
  TmainForm mainForm(optionSets, dataDir);
  auto* module = new TdModule(&mainForm);
  mainForm.SetModule(module);
  auto* console = new TtelnetForm(&mainForm, module);
  auto* namePrompt = new TnewThingForm(&mainForm);
  auto* addOptionSetForm = new TaddOptionSetForm(&mainForm);
  auto* accounts = new TconnectForm(&mainForm, namePrompt);
  auto* optionForm = new ToptionForm(optionSets, &mainForm, addOptionSetForm, &mainForm);
  auto* about = new TaboutForm(&mainForm);
  auto* find = new TfindForm(&mainForm, module);
  auto* param = new TparamForm(&mainForm);

  module->showAccounts = [accounts] { accounts->Execute(); };
  module->showOptions = [optionForm] { optionForm->ShowEditor(); };
  mainForm.refreshOptions = [optionForm](TtermForm* terminal) {
    if (optionForm->isVisible()) optionForm->SelectTerminalSet(terminal);
  };
  optionForm->askName = [namePrompt](const QString& caption, const QString& label) {
    return namePrompt->Ask(caption, label, "Please enter a name.");
  };
  module->showConsole = [console](bool shown) { console->setVisible(shown); };
  module->showConsoleLog = [console](bool expand) { expand ? console->Expand() : console->Collapse(); };
  mainForm.telnetLog = [console](TtermForm* t, const std::string& text) { console->TelnetLog(t, text); };
  module->showAbout = [about] { about->exec(); };
  module->findInBuf = [find] { find->Find(); };
  module->findNext = [find] { find->FindNextMatch(); };
  mainForm.refreshFind = [find] {
    if (find->isVisible()) find->UpdateFindState();
  };
  mainForm.askParam = [param](const std::string& name) { return param->Ask(name); };

  const QString optionsPath = dataDir + "options.dat";
  const ReadResult loaded = LoadOptionSets(optionsPath.toLocal8Bit().toStdString(), optionSets);
  // Sets that could not be read must not be replaced without the user's word.
  bool mayOverwrite = loaded.ok || !loaded.existed;
  if (!mayOverwrite)
    mainForm.message(TmainForm::MessageKind::Error, "Ombrel Error", QString::fromLocal8Bit(loaded.error.c_str()));
  optionForm->saveOptions = [&, optionsPath] {
    if (!mayOverwrite) {
      mayOverwrite = QMessageBox::question(&mainForm, "Ombrel Warning",
                                           optionsPath + " could not be read at start. Replace it with "
                                                         "the option sets shown now?") == QMessageBox::Yes;
      if (!mayOverwrite) return true;
    }
    return SaveOptionSets(optionsPath.toLocal8Bit().toStdString(), optionSets).ok;
  };
  optionForm->SetsLoaded();

  mainForm.NewTerminal();
  mainForm.show();
  return app.exec();
}
