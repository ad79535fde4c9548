// The whole program as it starts: the main window, the action module and
// every dialog, created once and bound to each other, the option sets
// loaded and the first terminal open. main() runs it; the end-to-end test
// drives the same object.
#pragma once

#include <QString>
#include <memory>

#include "options/features_file.h"
#include "options/options.h"
#include "patterns/patterns_file.h"

namespace ombrel {

class TmainForm;
class TdModule;
class TtelnetForm;
class TnewThingForm;
class TaddOptionSetForm;
class TconnectForm;
class ToptionForm;
class TaboutForm;
class TfindForm;
class TparamForm;

class Program {
 public:
  explicit Program(const QString& dataDir);
  ~Program();
  // Loads options.dat, opens the first terminal and shows the main window.
  void Start();

  TOptionSetList optionSets;
  std::unique_ptr<TmainForm> mainForm;
  TdModule* module = nullptr;
  TtelnetForm* console = nullptr;
  TnewThingForm* namePrompt = nullptr;
  TaddOptionSetForm* addOptionSetForm = nullptr;
  TconnectForm* accounts = nullptr;
  ToptionForm* optionForm = nullptr;
  TaboutForm* about = nullptr;
  TfindForm* find = nullptr;
  TparamForm* param = nullptr;

 private:
  void Bind();
  void LoadOptions();
  QString optionsPath_;
  QString featuresPath_;
  KeptFeatureSets keptFeatures_;
  // The settings of the game data switch, kept as features.dat is.
  QString gameDataPath_;
  KeptFeatureSets keptGameData_;
  QString patternsPath_;
  KeptPatternSets keptPatterns_;
  bool mayOverwriteOptions_ = true;
};

}  // namespace ombrel
