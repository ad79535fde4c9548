#include "util/ui/label_names.h"
#include "app/ui/program.h"

#include <QMessageBox>
#include <stdexcept>

#include "accounts/ui/connect_form.h"
#include "accounts/ui/new_thing_form.h"
#include "app/ui/about_form.h"
#include "app/ui/d_module.h"
#include "app/ui/find_form.h"
#include "app/ui/main_form.h"
#include "app/ui/param_form.h"
#include "options/features_file.h"
#include "options/game_data_file.h"
#include "options/options_file.h"
#include "options/ui/add_option_set_form.h"
#include "options/ui/option_form.h"
#include "speech/speech_settings.h"
#include "telnet/ui/telnet_form.h"
#include "term/ui/term_form.h"
#include "util/ui/file_name.h"

namespace ombrel {

Program::Program(const QString& dataDir)
    : mainForm(std::make_unique<TmainForm>(optionSets, dataDir)), optionsPath_(dataDir + "options.dat"), featuresPath_(dataDir + "features.dat"),
      gameDataPath_(dataDir + "gamedata.dat"),
      patternsPath_(dataDir + "patterns.dat") {
  // Every field a window shows is named by its label for screen readers.
  NameControlsWhenShown();
  TmainForm* m = mainForm.get();
  module = new TdModule(m);
  m->SetModule(module);
  using A = ActionId;
  const ConsoleActions consoleActions{.ayt = module->action(A::aTelAYT),
                                      .ip = module->action(A::aTelIP),
                                      .ao = module->action(A::aTelAO),
                                      .negotiate = module->action(A::aTelnetNegotiate),
                                      .log = module->action(A::aLog),
                                      .console = module->action(A::aTelnetConsole)};
  console = new TtelnetForm(*m, consoleActions, m);
  namePrompt = new TnewThingForm(m);
  addOptionSetForm = new TaddOptionSetForm(m);
  accounts = new TconnectForm(*m, namePrompt, m);
  optionForm = new ToptionForm(optionSets, m, addOptionSetForm, m);
  about = new TaboutForm(m);
  find = new TfindForm(*m, module->action(A::aFindInBuf), module->action(A::aFindNext), m);
  param = new TparamForm(m);
  Bind();
}

Program::~Program() = default;

void Program::Bind() {
  TmainForm* m = mainForm.get();
  module->showAccounts = [this] { accounts->Execute(); };
  module->showOptions = [this] { optionForm->ShowEditor(); };
  m->refreshOptions = [this](TtermForm* terminal) {
    if (optionForm->isVisible()) optionForm->SelectTerminalSet(terminal);
  };
  optionForm->askName = [this](const QString& caption, const QString& label) {
    return namePrompt->Ask(caption, label, optionForm);
  };
  module->showConsole = [this](bool shown) { console->setVisible(shown); };
  module->showConsoleLog = [this](bool expand) { expand ? console->Expand() : console->Collapse(); };
  m->telnetLog = [this](TtermForm* t, const std::string& text) { console->TelnetLog(t, text); };
  module->showAbout = [this] { about->exec(); };
  module->findInBuf = [this] { find->Find(); };
  module->findNext = [this] { find->FindNextMatch(); };
  m->refreshFind = [this] { find->Refresh(); };
  m->askParam = [this](const std::string& name) { return param->Ask(name); };
  m->askParamUtf8 = [this](const std::string& name) { return param->Ask(name, true); };
  optionForm->saveOptions = [this] {
    // Sets that could not be read are not replaced without the user's word.
    if (!mayOverwriteOptions_) {
      mayOverwriteOptions_ =
          QMessageBox::question(mainForm.get(), "Ombrel Warning",
                                optionsPath_ + " could not be read at start. Replace it with the "
                                               "option sets shown now?") == QMessageBox::Yes;
      if (!mayOverwriteOptions_) return true;
    }
    WriteResult w = SaveOptionSets(FileName(optionsPath_), optionSets);
    // An unreadable features.dat is not written over; a switch that cannot be saved is said.
    if (w.ok) w = SaveSetFeatures(FileName(featuresPath_), optionSets, keptFeatures_);
    if (w.ok) w = SaveSetGameData(FileName(gameDataPath_), optionSets, keptGameData_);
    // What pattern triggers hold beyond the classic record; no file while none has any.
    if (w.ok) w = SaveSetPatterns(FileName(patternsPath_), optionSets, keptPatterns_);
    // speech.dat too: an unreadable one is kept and the failure said.
    if (w.ok) w = SaveSpeechSettings(FileName(mainForm->DataDir() + "speech.dat"), optionForm->speech);
    // The reason names the file; the editor shows it.
    if (!w.ok) throw std::runtime_error(w.error);
    return true;
  };
}

void Program::LoadOptions() {
  const ReadResult loaded = LoadOptionSets(FileName(optionsPath_), optionSets);
  mayOverwriteOptions_ = loaded.ok || !loaded.existed;
  if (!mayOverwriteOptions_)
    mainForm->message(TmainForm::MessageKind::Error, "Ombrel Error",
                      QString::fromLocal8Bit(loaded.error.c_str()));
  // Unreadable features leave every switch off, and the file is never
  // written over in this run (keptFeatures_ remembers it).
  const ReadResult features = LoadSetFeatures(FileName(featuresPath_), optionSets, keptFeatures_);
  LoadSpeechSettings(FileName(mainForm->DataDir() + "speech.dat"), optionForm->speech);
  if (!features.ok)
    mainForm->message(TmainForm::MessageKind::Error, "Ombrel Error", QString::fromLocal8Bit(features.error.c_str()));
  const ReadResult gameData = LoadSetGameData(FileName(gameDataPath_), optionSets, keptGameData_);
  if (!gameData.ok)
    mainForm->message(TmainForm::MessageKind::Error, "Ombrel Error", QString::fromLocal8Bit(gameData.error.c_str()));
  const ReadResult patterns = LoadSetPatterns(FileName(patternsPath_), optionSets, keptPatterns_);
  if (!patterns.ok)
    mainForm->message(TmainForm::MessageKind::Error, "Ombrel Error", QString::fromLocal8Bit(patterns.error.c_str()));
  optionForm->SetsLoaded();
}

void Program::Start() {
  LoadOptions();
  mainForm->NewTerminal();
  mainForm->show();
}

}  // namespace ombrel
