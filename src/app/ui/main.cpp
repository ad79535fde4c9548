#include <QDir>
#include <cstdio>
#include <cstdlib>

#include "app/ui/application.h"
#include "app/ui/program.h"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Without a display Qt aborts with a message about plugins; say what is
  // missing instead. A platform chosen by hand (offscreen, vnc) is left to Qt.
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
    std::fputs("Ombrel needs a desktop session: neither DISPLAY nor WAYLAND_DISPLAY is set.\n", stderr);
    return 1;
  }
  ombrel::OmbrelApplication app(argc, argv);
  ombrel::Program program(QDir(QCoreApplication::applicationDirPath()).filePath("data") + "/");
  program.Start();
  return app.exec();
}
