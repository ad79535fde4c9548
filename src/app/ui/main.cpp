#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/start_options.h"
#include "app/ui/application.h"
#include "app/ui/program.h"
#include "util/ui/file_name.h"

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

int Refuse(const std::string& what) {
  std::fprintf(stderr, "ombrel: %s\nTry 'ombrel --help'.\n", what.c_str());
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  using ombrel::StartRequest;
  const StartRequest request = ombrel::ParseArguments({argv + 1, argv + argc});
  // Answered before any window is thought of, so they work without a display.
  if (request.action == StartRequest::Action::Help) {
    std::fputs(ombrel::HelpText().c_str(), stdout);
    return 0;
  }
  if (request.action == StartRequest::Action::Version) {
    std::puts("Ombrel " OMBREL_VERSION);
    return 0;
  }
  if (request.action == StartRequest::Action::Error) return Refuse(request.error);
  // Without a display Qt aborts with a message about plugins; say what is
  // missing instead. A platform chosen by hand (offscreen, vnc) is left to Qt.
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
    std::fputs("Ombrel needs a desktop session: neither DISPLAY nor WAYLAND_DISPLAY is set.\n", stderr);
    return 1;
  }
  // Qt takes its own options (-style, -platform, ...) from what is left;
  // anything it leaves is unknown.
  std::vector<char*> qtArgs{argv[0]};
  std::vector<std::string> rest = request.rest;
  for (std::string& a : rest) qtArgs.push_back(a.data());
  int qtArgc = static_cast<int>(qtArgs.size());
  qtArgs.push_back(nullptr);
  ombrel::OmbrelApplication app(qtArgc, qtArgs.data());
  if (qtArgc > 1) return Refuse(std::string("unknown option '") + qtArgs[1] + "'");
  QGuiApplication::setDesktopFileName(OMBREL_APP_ID);

  const ombrel::DataDirChoice data = ombrel::ChooseDataDir(
      ombrel::GatherDataDirFacts(ombrel::FileName(QCoreApplication::applicationDirPath()), request.dataDir));
  const std::string problem = ombrel::PrepareDataDir(data);
  // A folder asked for by name that cannot be made is a mistake to hear of
  // now; elsewhere each save says what failed, as with any unwritable folder.
  if (!problem.empty() && data.source == ombrel::DataDirChoice::Source::Option) return Refuse(problem);
  ombrel::Program program(ombrel::FromFileName(data.dir));
  program.Start();
  return app.exec();
}
