#include "command/iac.h"

#include <gtest/gtest.h>

namespace ombrel {
namespace {

// Data byte 255 doubled on a telnet connection, wherever it stands; the
// appending form leaves what the buffer held.
TEST(EscapeIAC, DoublesEveryByte255OnTelnetOnly) {
  const struct {
    std::string_view in;
    bool telnet;
    std::string_view out;
  } rows[] = {
      {"", true, ""},
      {"say hi", true, "say hi"},
      {"\xFF", true, "\xFF\xFF"},
      {"\xFF" "a\xFF", true, "\xFF\xFF" "a\xFF\xFF"},
      {"a\xFF\xFF" "b", true, "a\xFF\xFF\xFF\xFF" "b"},
      {"a\xFF" "b", false, "a\xFF" "b"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(EscapeIAC(r.in, r.telnet), r.out);
    std::string kept = "x";
    AppendEscapedIAC(kept, r.in, r.telnet);
    EXPECT_EQ(kept, "x" + std::string(r.out));
  }
}

}  // namespace
}  // namespace ombrel
