#include <QDir>

#include "app/ui/application.h"
#include "app/ui/program.h"

int main(int argc, char* argv[]) {
  ombrel::OmbrelApplication app(argc, argv);
  ombrel::Program program(QDir(QCoreApplication::applicationDirPath()).filePath("data") + "/");
  program.Start();
  return app.exec();
}
