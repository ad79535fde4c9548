#include "util/text_file.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace ombrel
