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
  struct Row { Args args; Action action; std::string dataDir; Args rest; const char* why; } rows[] = {
      {{}, Action::Run, "", {}, "nothing asked"},
      {{"--data", "/srv/m"}, Action::Run, "/srv/m", {}, "folder as the next argument"},
      {{"--data=rel/m"}, Action::Run, "rel/m", {}, "folder attached"},
      {{"--data", "--help"}, Action::Run, "--help", {}, "the argument after --data is its folder, whatever it reads"},
      {{"--data"}, Action::Error, "", {}, "no folder at the end"},
      {{"--data="}, Action::Error, "", {}, "an empty folder"},
      {{"--version"}, Action::Version, "", {}, "version"},
      {{"--data", "/a", "-h"}, Action::Help, "/a", {}, "short help"},
      {{"--bogus", "--version", "--help", "--data"}, Action::Help, "", {"--bogus"}, "help first, whatever else is there"},
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
  struct Row { DataDirFacts facts; DataDirChoice choice; const char* why; } rows[] = {
      {{"/opt/om", true, "", "/w", "/x", "/h"}, {Source::Beside, "/opt/om/data/", false}, "portable: whatever the environment"},
      {{"/usr/bin", false, "", "/w", "/x/c/", "/h"}, {Source::Config, "/x/c/ombrel/", true}, "installed: XDG_CONFIG_HOME"},
      {{"/usr/bin", false, "", "/w", "", "/home/zoë"}, {Source::Config, "/home/zoë/.config/ombrel/", true}, "else ~/.config"},
      {{"/usr/bin", false, "", "/w", "c", "/h"}, {Source::Config, "/h/.config/ombrel/", true}, "a relative XDG_CONFIG_HOME is ignored"},
      {{"/usr/bin", false, "", "/w", "", ""}, {Source::Fallback, "/usr/bin/data/", false}, "no home: saves fail and say so"},
      {{"/usr/bin", false, "", "/w", "", "h"}, {Source::Fallback, "/usr/bin/data/", false}, "nor with a relative HOME"},
      {{"/opt/om", true, "/srv/m", "/w", "/x", "/h"}, {Source::Option, "/srv/m/", true}, "--data wins over a usable data/"},
      {{"/opt/om", false, "m/d/", "/w", "", "/h"}, {Source::Option, "/w/m/d/", true}, "a relative --data is from the working folder"},
  };
  for (const Row& r : rows) EXPECT_EQ(ChooseDataDir(r.facts), r.choice) << r.why;
}

TEST(StartOptions, FoldersOnDisk) {
  test::TempDir dir;
  const std::string program = dir / "zoë";
  ASSERT_TRUE(std::filesystem::create_directories(program));
  EXPECT_FALSE(GatherDataDirFacts(program, "").besideUsable) << "no data/ yet";
  test::WriteBytes(program + "/data", "");
  EXPECT_FALSE(GatherDataDirFacts(program, "").besideUsable) << "a file named data is no folder, nor can hold one:";
  EXPECT_NE(PrepareDataDir({Source::Option, program + "/data/m/", true}).find("cannot create"), std::string::npos);
  EXPECT_TRUE(std::filesystem::remove(program + "/data") && std::filesystem::create_directory(program + "/data") &&
              GatherDataDirFacts(program, "").besideUsable);

  // The player's folder is made private, with every missing folder on the way.
  const DataDirChoice config{Source::Config, dir / "home/.config/ombrel/", true};
  EXPECT_EQ(PrepareDataDir(config) + PrepareDataDir(config), "") << "made, then there already";
  struct stat made {};
  for (const char* sub : {"home", "home/.config", "home/.config/ombrel"})
    EXPECT_TRUE(::stat((dir / sub).c_str(), &made) == 0 && (made.st_mode & 0777) == 0700) << sub;
  // A folder beside the program is never made.
  EXPECT_TRUE(PrepareDataDir({Source::Fallback, dir / "gone/data/", false}).empty() && !std::filesystem::exists(dir / "gone"));
}

}  // namespace
}  // namespace ombrel
