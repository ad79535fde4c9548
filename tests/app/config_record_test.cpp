#include "app/config_record.h"

#include <gtest/gtest.h>

#include "file_fixture.h"

namespace ombrel {
namespace {

const TConfigRecord kEveryField{-12, 34, 1024, 768, -1, 1, 1, "/home/user/Ombrel/data/"};

std::string Bytes(const TConfigRecord& c) { const auto b = EncodeConfig(c); return {b.begin(), b.end()}; }

TEST(ConfigRecord, EveryFieldAtItsOffset) {
  const std::string golden = test::Golden("app/config_all_fields.cfg");
  EXPECT_EQ(Bytes(kEveryField), golden);
  TConfigRecord back;
  ASSERT_TRUE(DecodeConfig(golden, back));
  EXPECT_TRUE(back == kEveryField);
}

TEST(ConfigRecord, LastDirIsCutToItsRoom) {
  TConfigRecord c;
  PresetConfig(c, std::string(300, 'd'));
  EXPECT_TRUE(c == (TConfigRecord{0, 0, 0, 0, 0, 0, 1, std::string(255, 'd')}));
  c.lastDir = std::string(400, 'x');  // set directly: still no spill into the padding
  EXPECT_EQ(Bytes(c).substr(276) + Bytes(c)[22], std::string("xx\0\0\xff", 5));  // the length byte says 255

  // Bytes past the length are not significant; a longer file gives its first record.
  std::string raw = Bytes(kEveryField);
  raw[22] = 4;
  ASSERT_TRUE(DecodeConfig(raw + "trailing", c));
  EXPECT_EQ(c.lastDir + Bytes(c).substr(27, 20), "/hom" + std::string(20, '\0'));
}

TEST(ConfigRecord, FileFailures) {
  test::TempDir dir;
  const std::string path = dir / "data/config.cfg";
  TConfigRecord other{0, 0, 5};
  test::ExpectFailedSaveKeepsFile(path, [&] { return WriteConfigFile(path, kEveryField); },
                                  [&] { return WriteConfigFile(path, other); });
  test::WriteBytes(path, Bytes(kEveryField).substr(0, 279));  // one byte short
  const ReadResult r = ReadConfigFile(path, other);
  EXPECT_TRUE(!r.ok && r.error.find("279") != std::string::npos && other.width == 5);  // the values held stay
}

}  // namespace
}  // namespace ombrel
