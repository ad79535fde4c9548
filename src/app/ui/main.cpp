#include <QDir>

#include "app/ui/application.h"
#include "app/ui/d_module.h"
#include "app/ui/main_form.h"
#include "options/options.h"

int main(int argc, char* argv[]) {
  ombrel::OmbrelApplication app(argc, argv);
  ombrel::TOptionSetList optionSets;
  const QString dataDir = QDir(QCoreApplication::applicationDirPath()).filePath("data") + "/";
  ombrel::TmainForm mainForm(optionSets, dataDir);
  auto* module = new ombrel::TdModule(&mainForm);
  mainForm.SetModule(module);
  if (optionSets.Count() == 0) optionSets.AddNew(ombrel::kDefaultSetName);
  mainForm.NewTerminal();
  mainForm.show();
  return app.exec();
}
