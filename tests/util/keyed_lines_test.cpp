#include <gtest/gtest.h>

#include "file_fixture.h"
#include "util/keyed_lines.h"

namespace ombrel {
namespace {

// Keys without letter case, lines this version cannot read kept in place,
// and a file written only when its content changed.
TEST(KeyedLines, KeepsWhatItCannotReadAndWritesOnlyAChange) {
  test::TempDir dir;
  const std::string path = dir / "tls.dat";
  KeyedLines k;
  k.Set("Home", "1");
  k.Erase("HOME");
  EXPECT_TRUE(k.Save(path).ok && !std::filesystem::exists(path));
  k.Parse("Home\t1\n# a note\r\n\tstray\r\nCastle\t1\r\nTab\tin name\t1\r\nmud.example.org:4000\tAB:CD\r\n");
  EXPECT_EQ(k.Get("MUD.example.org:4000"), "AB:CD");
  EXPECT_EQ(k.Get("tab\tin NAME"), "1");  // a name may hold a tab, a value never
  k.Erase("castle");
  k.Set("Keep", "1");
  k.Erase("home");
  k.Set("Inn", "1");
  k.Set("mud.example.org:4000", "EF");
  EXPECT_TRUE(k.Save(path).ok);
  EXPECT_EQ(test::ReadBytes(path), "# a note\r\n\tstray\r\nTab\tin name\t1\r\nmud.example.org:4000\tEF\r\nKeep\t1\r\nInn\t1\r\n");
}

}  // namespace
}  // namespace ombrel
