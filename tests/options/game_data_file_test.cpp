// gamedata.dat: the game data settings a set changed, by set as features.dat
// keeps its switches; what this version does not know goes back out as it came.
// An unreadable file is tested beside features.dat's, which shares its code.
#include <gtest/gtest.h>

#include <filesystem>

#include "file_fixture.h"
#include "options/game_data_file.h"

namespace ombrel {
namespace {

TOptionSetList Sets(std::initializer_list<const char*> names) {
  TOptionSetList list;
  for (const char* n : names) list.AddNew(n);
  return list;
}

TEST(GameDataFile, FieldsByNameEmptyIsNotDefaultAndUnknownsKept) {
  TOptionSetList list = Sets({"Default", "Iron", "Old"});
  const std::string file =
      "; by set\r\n#optionset\tIron\r\n#gmcpmodules\tChar 1, IRE.Rift 1\r\n#gauges\t\r\n#later\tx\ty\r\n"
      "#optionset\tGone\r\n#msdpvariables\tHEALTH\r\n";
  const KeptFeatureSets kept = ParseSetGameData(file, list);
  EXPECT_EQ(list.At(1).gamedata, (TSetGameData{.modules = "Char 1, IRE.Rift 1", .gauges = "", .unknown = {"#later\tx\ty"}}));
  EXPECT_EQ(list.At(0).gamedata, TSetGameData());
  EXPECT_EQ(FormatSetGameData(list, kept), file);

  // Nothing changed from the defaults: no file is made; what was read reads back.
  test::TempDir dir;
  const std::string path = dir / "gamedata.dat";
  EXPECT_TRUE(SaveSetGameData(path, Sets({"Default"}), {}).ok);
  EXPECT_FALSE(std::filesystem::exists(path));
  ASSERT_TRUE(SaveSetGameData(path, list, kept).ok);
  TOptionSetList back = Sets({"Default", "Iron", "Old"});
  KeptFeatureSets keptBack;
  ASSERT_TRUE(LoadSetGameData(path, back, keptBack).ok);
  EXPECT_EQ(back.At(1).gamedata, list.At(1).gamedata);
  EXPECT_EQ(FormatSetGameData(back, keptBack), file);
}

}  // namespace
}  // namespace ombrel
