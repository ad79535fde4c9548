#include "app/start_options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "file_fixture.h"

namespace ombrel {
namespace {

using Action = StartRequest::Action;
using Source = DataDirChoice::Source;
using Args = std::vector<std::string>;

TEST(StartOptions, CommandLine) {
  struct Row {
    Args args;
    Action action;
    std::string dataDir;
    Args rest;
    const char* why;
  } rows[] = {
      {{}, Action::Run, "", {}, "nothing asked"},
      {{"--data", "/srv/m"}, Action::Run, "/srv/m", {}, "folder as the next argument"},
      {{"--data=rel/m"}, Action::Run, "rel/m", {}, "folder attached"},
      {{"--data", "--help"}, Action::Run, "--help", {}, "the argument after --data is its folder, whatever it reads"},
      {{"--data"}, Action::Error, "", {}, "no folder at the end"},
      {{"--data="}, Action::Error, "", {}, "an empty folder"},
      {{"--data", "/a", "--data"}, Action::Error, "", {}, "a second --data without its folder"},
      {{"--version"}, Action::Version, "", {}, "version"},
      {{"--data", "/a", "-h"}, Action::Help, "/a", {}, "short help"},
      {{"--version", "--help"}, Action::Help, "", {}, "help answers before the version"},
      {{"--data", "--help"}, Action::Run, "--help", {}, "...but not when it is --data's folder"},
      {{"--bogus", "--help", "--data"}, Action::Help, "", {"--bogus"}, "help is answered whatever else is wrong"},
      {{"-style", "Fusion", "--data", "/d", "x"}, Action::Run, "/d", {"-style", "Fusion", "x"}, "the rest is left for Qt in order"},
  };
  for (const Row& r : rows) {
    const StartRequest got = ParseArguments(r.args);
    EXPECT_EQ(got.action, r.action) << r.why;
    EXPECT_EQ(got.dataDir, r.dataDir) << r.why;
    EXPECT_EQ(got.rest, r.rest) << r.why;
    if (r.action == Action::Error) {
      EXPECT_NE(got.error.find("--data"), std::string::npos) << r.why;
    }
  }
}

TEST(StartOptions, WhereTheDataLives) {
  struct Row {
    DataDirFacts facts;
    DataDirChoice choice;
    const char* why;
  } rows[] = {
      {{"/opt/om", true, "", "/w", "/x", "/home/z"}, {Source::Beside, "/opt/om/data/", false},
       "a portable copy with its data/ keeps it, whatever the environment says"},
      {{"/opt/om/", true, "", "/w", "", ""}, {Source::Beside, "/opt/om/data/", false}, "one slash between the parts"},
      {{"/usr/bin", false, "", "/w", "/x/cfg", "/home/z"}, {Source::Config, "/x/cfg/ombrel/", true},
       "installed: the configuration folder the environment names"},
      {{"/usr/bin", false, "", "/w", "/x/cfg/", "/home/z"}, {Source::Config, "/x/cfg/ombrel/", true}, "its slash kept single"},
      {{"/usr/bin", false, "", "/w", "", "/home/zoë"}, {Source::Config, "/home/zoë/.config/ombrel/", true},
       "no XDG_CONFIG_HOME: ~/.config, bytes as they are"},
      {{"/usr/bin", false, "", "/w", "cfg", "/home/z"}, {Source::Config, "/home/z/.config/ombrel/", true},
       "a relative XDG_CONFIG_HOME is ignored"},
      {{"/usr/bin", false, "", "/w", "", ""}, {Source::Fallback, "/usr/bin/data/", false},
       "no home at all: beside the program, saves fail and say so"},
      {{"/usr/bin", false, "", "/w", "", "home"}, {Source::Fallback, "/usr/bin/data/", false}, "nor a relative HOME"},
      {{"/opt/om", true, "/srv/m", "/w", "/x", "/home/z"}, {Source::Option, "/srv/m/", true},
       "--data wins over a usable data/"},
      {{"/opt/om", false, "m/d/", "/w", "", "/home/z"}, {Source::Option, "/w/m/d/", true}, "a relative --data is from the working folder"},
      {{"/", false, "m", "/", "", ""}, {Source::Option, "/m/", true}, "...also from the root"},
  };
  for (const Row& r : rows) EXPECT_EQ(ChooseDataDir(r.facts), r.choice) << r.why;
}

TEST(StartOptions, FoldersOnDisk) {
  test::TempDir dir;
  const std::string program = dir / "zoë";
  std::filesystem::create_directories(program);
  EXPECT_FALSE(GatherDataDirFacts(program, "").besideUsable) << "no data/ yet";
  test::WriteBytes(program + "/data", "");
  EXPECT_FALSE(GatherDataDirFacts(program, "").besideUsable) << "a file named data is no folder";
  std::filesystem::remove(program + "/data");
  std::filesystem::create_directory(program + "/data");
  EXPECT_TRUE(GatherDataDirFacts(program, "x").besideUsable);

  // The player's folder is made private, with every missing folder on the way.
  const DataDirChoice config{Source::Config, dir / "home/.config/ombrel/", true};
  EXPECT_EQ(PrepareDataDir(config), "");
  struct stat made {};
  for (const char* sub : {"home", "home/.config", "home/.config/ombrel"}) {
    ASSERT_EQ(::stat((dir / sub).c_str(), &made), 0) << sub;
    EXPECT_EQ(made.st_mode & 0777, 0700u) << sub;
  }
  EXPECT_EQ(PrepareDataDir(config), "") << "made already";
  // A file where a folder should be is reported, and a beside folder is never made.
  test::WriteBytes(dir / "file", "");
  EXPECT_NE(PrepareDataDir({Source::Option, dir / "file/m/", true}).find("file"), std::string::npos);
  EXPECT_EQ(PrepareDataDir({Source::Fallback, dir / "gone/data/", false}), "");
  EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
}

}  // namespace
}  // namespace ombrel
