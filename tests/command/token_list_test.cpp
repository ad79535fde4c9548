#include "command/token_list.h"

#include <gtest/gtest.h>

namespace ombrel {
namespace {

std::pair<std::string, std::string> SplitOf(const std::string& line) {
  std::string first, rest;
  EXPECT_TRUE(SplitCommand(line, first, rest));
  return {first, rest};
}

TEST(SplitCommand, WordsGroupsAndQuotes) {
  EXPECT_EQ(SplitOf("  kill   orc  "), std::make_pair(std::string("kill"), std::string("orc\x14")));
  EXPECT_EQ(SplitOf("look").second, "");

  auto [say, said] = SplitOf("say ~hello there~ bob");
  EXPECT_EQ(say, "say");
  EXPECT_EQ(CountTokens(said), 2);
  EXPECT_EQ(GetToken(said, 1), "hello there");
  EXPECT_EQ(GetToken(said, 2), "bob");

  // A trailing tilde leaves one empty parameter; of two adjacent tildes
  // the second is kept and grouping stays on.
  EXPECT_EQ(SplitOf("a ~"), std::make_pair(std::string("a"), std::string("\x14")));
  EXPECT_EQ(SplitOf("x ~~a b").second, "~a b\x14");

  // Parameters are unquoted, the command word is not.
  EXPECT_EQ(SplitOf("give 'sword' bob").second,
            "sword\x14"
            "bob\x14");
  EXPECT_EQ(SplitOf("'say' hi").first, "'say'");
  auto [tell, told] = SplitOf("tell it's, fine");
  EXPECT_EQ(told,
            "'it''s,'\x14"
            "fine\x14");
  EXPECT_EQ(GetToken(told, 1), "it's,");
}

TEST(TokenList, FieldsCountsAndJoins) {
  std::string list =
      "a\x14"
      "b";  // the final separator may be missing
  EXPECT_EQ(CountTokens(list), 2);
  EXPECT_EQ(GetToken(list, 2), "b");
  AddToken(list, "y z");
  EXPECT_EQ(list,
            "a\x14"
            "b\x14"
            "y z\x14");
  EXPECT_EQ(JoinTokens(list), "a b y z");
  EXPECT_EQ(GetToken(list, 0), "");
  EXPECT_EQ(GetToken(list, 4), "");

  EXPECT_EQ(CountTokens(""), 0);
  EXPECT_EQ(CountTokens("\x14"), 1);
  EXPECT_EQ(CountTokens("a\x14\x14"), 2);

  // A field holding the separator and a comma is appended unquoted.
  std::string raw;
  AddToken(raw, "x\x14y,z");
  EXPECT_EQ(raw, "x\x14y,z\x14");
}

TEST(Quoting, QuoteUnquoteAndStrip) {
  EXPECT_EQ(QuoteStr(""), "''");
  EXPECT_EQ(QuoteStr("it's"), "'it''s'");
  EXPECT_EQ(QuoteToken("a\x14'"), "a\x14'");
  EXPECT_EQ(UnquoteStr("''"), "");
  EXPECT_EQ(UnquoteStr("'"), "'");
  EXPECT_EQ(UnquoteStr("'a'b'"), "ab");  // a lone quote inside vanishes
  EXPECT_EQ(UnquoteStr("'open"), "'open");
  for (const std::string s : {"", "it's", "''x'"}) EXPECT_EQ(UnquoteStr(QuoteStr(s)), s);

  EXPECT_EQ(StripQuotesAndSpaces("\"\"http://a b.c/\"\""), "http://ab.c/");
  EXPECT_EQ(StripQuotesAndSpaces("\"\"\""), "");
}

}  // namespace
}  // namespace ombrel
