// What the command line asks for, and which folder holds the program's
// files. A copy that carries a writable data/ beside it keeps using it;
// an installed program, whose folder the player cannot write, keeps them in
// the player's own configuration folder instead.
#pragma once

#include <string>
#include <vector>

namespace ombrel {

struct StartRequest {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  std::string dataDir;            // --data DIR as given; empty when not given
  std::string error;              // what was wrong, for Action::Error
  std::vector<std::string> rest;  // arguments left for the toolkit (-style, -platform, ...)
};

// `args` without the program's own name.
StartRequest ParseArguments(const std::vector<std::string>& args);

// The text --help prints.
std::string HelpText();

// What the choice depends on, gathered by GatherDataDirFacts.
struct DataDirFacts {
  std::string programDir;     // the executable's folder
  bool besideUsable = false;  // programDir/data is a folder the program may write in
  std::string dataOption;     // --data, empty when not given
  std::string cwd;            // a relative --data is taken from here
  std::string xdgConfigHome;  // $XDG_CONFIG_HOME
  std::string home;           // $HOME
};

struct DataDirChoice {
  enum class Source { Option, Beside, Config, Fallback };
  Source source = Source::Beside;
  std::string dir;      // ends with '/', so a file name is appended to it
  bool create = false;  // made on start when missing
  bool operator==(const DataDirChoice&) const = default;
};

DataDirChoice ChooseDataDir(const DataDirFacts& facts);

// Reads the environment and the file system for ChooseDataDir.
DataDirFacts GatherDataDirFacts(const std::string& programDir, const std::string& dataOption);

// Makes the chosen folder (and its parents) when asked to; the
// configuration folder is the player's own, so it is private. Returns the
// reason when the folder is not there afterwards, else an empty text.
std::string PrepareDataDir(const DataDirChoice& choice);

}  // namespace ombrel
