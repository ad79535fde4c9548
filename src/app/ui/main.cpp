#include <QDir>

#include "app/ui/about_form.h"
#include "app/ui/application.h"
#include "app/ui/d_module.h"
#include "app/ui/find_form.h"
#include "app/ui/main_form.h"
#include "app/ui/param_form.h"
#include "options/options.h"
#include "options/options_file.h"
#include "telnet/ui/telnet_form.h"
#include "term/ui/term_form.h"

using namespace ombrel;

int main(int argc, char* argv[]) {
  OmbrelApplication app(argc, argv);
  TOptionSetList optionSets;
  const QString dataDir = QDir(QCoreApplication::applicationDirPath()).filePath("data") + "/";

  // The windows and modules, each once, in the start order; only the main
  // window is shown.
  TmainForm mainForm(optionSets, dataDir);
  auto* module = new TdModule(&mainForm);
  mainForm.SetModule(module);
  auto* console = new TtelnetForm(&mainForm, module);
  auto* about = new TaboutForm(&mainForm);
  auto* find = new TfindForm(&mainForm, module);
  auto* param = new TparamForm(&mainForm);

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

  const std::string optionsPath = (dataDir + "options.dat").toLocal8Bit().toStdString();
  const ReadResult loaded = LoadOptionSets(optionsPath, optionSets);
  if (!loaded.ok && loaded.existed)
    mainForm.message(TmainForm::MessageKind::Error, "Ombrel Error",
                     QString::fromLocal8Bit(loaded.error.c_str()));

  mainForm.NewTerminal();
  mainForm.show();
  return app.exec();
}
