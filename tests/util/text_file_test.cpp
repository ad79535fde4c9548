#include "util/text_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <tuple>

#include "file_fixture.h"
#include "util/atomic_file.h"

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

// A saved file may be read as any file the user makes (0644 under the
// usual umask), and a file replaced keeps the mode it had: one the user
// hid from others stays hidden.
TEST(AtomicFile, ModeOfANewAndOfAReplacedFile) {
  test::TempDir dir;
  const std::tuple<mode_t, int, mode_t> rows[] = {
      {022, -1, 0644}, {077, -1, 0600}, {022, 0600, 0600}, {022, 0664, 0664}};
  for (const auto& [mask, before, expected] : rows) {
    const std::string path = dir / "saved.dat";
    std::filesystem::remove(path);
    if (before >= 0) test::WriteBytes(path, "old"), ::chmod(path.c_str(), static_cast<mode_t>(before));
    const mode_t saved = ::umask(mask);
    const WriteResult w = WriteFileAtomically(path, "new");
    ::umask(saved);
    struct stat st {};
    ASSERT_TRUE(w.ok && ::stat(path.c_str(), &st) == 0 && test::ReadBytes(path) == "new");
    EXPECT_EQ(st.st_mode & 07777, expected) << std::oct << mask << " " << before;
  }
}

}  // namespace
}  // namespace ombrel
