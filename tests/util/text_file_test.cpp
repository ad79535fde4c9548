#include "util/text_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "file_fixture.h"

namespace ombrel {
namespace {

TEST(TextFile, LinesEndAtCrLfOrLfAndACutOffCr) {
  using L = std::vector<std::string>;
  EXPECT_EQ(SplitFileLines("a\r\nb\nc"), (L{"a", "b", "c"}));
  EXPECT_EQ(SplitFileLines("#paramend\t]\r"), (L{"#paramend\t]"}));  // cut between CR and LF
  EXPECT_EQ(SplitFileLines("x\r\n\r\n"), (L{"x", ""}));
  EXPECT_EQ(SplitFileLines("mid\rdle\r\n"), (L{"mid\rdle"}));  // a CR inside a line is text
  EXPECT_TRUE(SplitFileLines("").empty());
}

// The reader a loaded log uses and the one for everything else give the
// same bytes, from a buffer's worth to past a huge page and at a size only
// the end of the file tells, and fail alike.
TEST(TextFile, BothReadersGiveTheWholeFileAndFailAlike) {
  test::TempDir dir;
  std::mt19937 rng(3);
  for (size_t size : {size_t{0}, size_t{1}, size_t{65536}, (size_t{2} << 20) + 1}) {
    std::string content(size, '\0');
    for (char& c : content) c = static_cast<char>(rng());
    test::WriteBytes(dir / "f", content);
    std::string s;
    FileBytes b;
    ASSERT_TRUE(ReadFileBytes(dir / "f", s).ok && ReadFileBytes(dir / "f", b).ok);
    EXPECT_TRUE(s == content && b.view() == content) << size;
  }
  std::string s;
  FileBytes b;
  ASSERT_TRUE(ReadFileBytes("/proc/self/cmdline", s).ok && ReadFileBytes("/proc/self/cmdline", b).ok);
  EXPECT_TRUE(!s.empty() && b.view() == s);
  for (const std::string& path : {dir / "gone", dir.path.string()}) {
    const ReadResult rs = ReadFileBytes(path, s), rb = ReadFileBytes(path, b);
    EXPECT_EQ(std::tie(rs.ok, rs.existed, rs.error), std::tie(rb.ok, rb.existed, rb.error)) << path;
    EXPECT_TRUE(s.empty() && b.size() == 0);
  }
}

}  // namespace
}  // namespace ombrel
