#include "app/start_options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace ombrel {

namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

StartRequest ParseArguments(const std::vector<std::string>& args) {
  StartRequest r;
  bool help = false, version = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      help = true;
    } else if (a == "--version") {
      version = true;
    } else if (a == "--data" || a.starts_with("--data=")) {
      const bool attached = a.size() > 6;
      r.dataDir = attached ? a.substr(7) : i + 1 < args.size() ? args[++i] : "";
      if (r.dataDir.empty()) r.error = "option '--data' needs a folder";
    } else {
      r.rest.push_back(a);
    }
  }
  // Asking for help or the version is answered whatever else is wrong.
  using Action = StartRequest::Action;
  r.action = help ? Action::Help : version ? Action::Version : r.error.empty() ? Action::Run : Action::Error;
  return r;
}

std::string HelpText() {
  return "Usage: ombrel [--data DIR] [Qt options]\n"
         "A telnet client for MUDs.\n"
         "\n"
         "  --data DIR   keep the settings in DIR, made when missing\n"
         "  --help       show this text and stop\n"
         "  --version    show the version and stop\n"
         "\n"
         "Settings (options.dat, accounts.dat, config.cfg, ...) are kept in data/\n"
         "beside the program when that folder exists and can be written, otherwise\n"
         "in $XDG_CONFIG_HOME/ombrel/ (by default ~/.config/ombrel/).\n";
}

DataDirChoice ChooseDataDir(const DataDirFacts& f) {
  using Source = DataDirChoice::Source;
  if (!f.dataOption.empty()) {
    const bool relative = f.dataOption.front() != '/';
    return {Source::Option, WithSlash(relative ? WithSlash(f.cwd) + f.dataOption : f.dataOption), true};
  }
  const std::string beside = WithSlash(f.programDir) + "data/";
  if (f.besideUsable) return {Source::Beside, beside, false};
  // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
  if (!f.xdgConfigHome.empty() && f.xdgConfigHome.front() == '/')
    return {Source::Config, WithSlash(f.xdgConfigHome) + "ombrel/", true};
  if (!f.home.empty() && f.home.front() == '/') return {Source::Config, WithSlash(f.home) + ".config/ombrel/", true};
  // Nowhere better: as a copy always did, with saves failing and saying so.
  return {Source::Fallback, beside, false};
}

DataDirFacts GatherDataDirFacts(const std::string& programDir, const std::string& dataOption) {
  DataDirFacts f;
  f.programDir = programDir;
  const std::string beside = WithSlash(programDir) + "data";
  std::error_code ec;
  // access() also answers for a read-only file system, which permission bits do not show.
  f.besideUsable = fs::is_directory(beside, ec) && ::access(beside.c_str(), W_OK | X_OK) == 0;
  f.dataOption = dataOption;
  f.cwd = fs::current_path(ec).string();
  f.xdgConfigHome = Env("XDG_CONFIG_HOME");
  f.home = Env("HOME");
  return f;
}

std::string PrepareDataDir(const DataDirChoice& choice) {
  std::error_code ec;
  if (!choice.create || fs::is_directory(choice.dir, ec)) return {};
  const mode_t mode = choice.source == DataDirChoice::Source::Config ? 0700 : 0777;
  // Each missing folder on the way is made with the mode, as mkdir -p -m would not.
  fs::path made;
  for (const fs::path& part : fs::path(choice.dir)) {
    if (part.empty()) continue;
    made /= part;
    if (::mkdir(made.c_str(), mode) != 0 && errno != EEXIST)
      return "cannot create " + made.string() + ": " + std::strerror(errno);
  }
  return fs::is_directory(choice.dir, ec) ? std::string() : "cannot create " + choice.dir + ": not a folder";
}

}  // namespace ombrel
