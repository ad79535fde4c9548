#include "command/token_list.h"

#include <gtest/gtest.h>

namespace ombrel {
namespace {

struct Split {
  std::string first;
  std::string rest;
};

Split SplitOf(const std::string& line) {
  Split s;
  EXPECT_TRUE(SplitCommand(line, s.first, s.rest));
  return s;
}

TEST(SplitCommand, SpacesSeparateAndAreTrimmed) {
  Split s = SplitOf("  kill   orc  ");
  EXPECT_EQ(s.first, "kill");
  EXPECT_EQ(s.rest, "orc\x14");
  EXPECT_EQ(CountTokens(s.rest), 1);

  s = SplitOf("look");
  EXPECT_EQ(s.first, "look");
  EXPECT_EQ(s.rest, "");

  s = SplitOf("\t\r\nlook\x01");
  EXPECT_EQ(s.first, "look");
}

TEST(SplitCommand, TildesGroupAndVanish) {
  Split s = SplitOf("say ~hello there~ bob");
  EXPECT_EQ(s.first, "say");
  ASSERT_EQ(CountTokens(s.rest), 2);
  EXPECT_EQ(GetToken(s.rest, 1), "hello there");
  EXPECT_EQ(GetToken(s.rest, 2), "bob");

  // A trailing tilde leaves one empty parameter.
  s = SplitOf("a ~");
  EXPECT_EQ(s.first, "a");
  EXPECT_EQ(s.rest, "\x14");
  EXPECT_EQ(CountTokens(s.rest), 1);
  EXPECT_EQ(GetToken(s.rest, 1), "");

  // Of two adjacent tildes the second is kept, and grouping stays on.
  s = SplitOf("x ~~a b");
  EXPECT_EQ(s.first, "x");
  ASSERT_EQ(CountTokens(s.rest), 1);
  EXPECT_EQ(GetToken(s.rest, 1), "~a b");

  // The command word can be grouped too.
  s = SplitOf("~go on~ now");
  EXPECT_EQ(s.first, "go on");
  EXPECT_EQ(GetToken(s.rest, 1), "now");
}

TEST(SplitCommand, ParametersAreUnquotedButNotTheCommandWord) {
  Split s = SplitOf("give 'sword' bob");
  EXPECT_EQ(GetToken(s.rest, 1), "sword");
  EXPECT_EQ(GetToken(s.rest, 2), "bob");

  s = SplitOf("'say' hi");
  EXPECT_EQ(s.first, "'say'");

  // A parameter with a quote is stored quoted and read back as typed.
  s = SplitOf("tell it's, fine");
  EXPECT_EQ(s.rest,
            "'it''s,'\x14"
            "fine\x14");
  EXPECT_EQ(GetToken(s.rest, 1), "it's,");
}

TEST(TokenList, AddGetAndCount) {
  std::string list;
  AddToken(list, "it's,");
  EXPECT_EQ(list, "'it''s,'\x14");
  AddToken(list, "plain");
  EXPECT_EQ(GetToken(list, 1), "it's,");
  EXPECT_EQ(GetToken(list, 2), "plain");
  EXPECT_EQ(GetToken(list, 0), "");
  EXPECT_EQ(GetToken(list, -1), "");
  EXPECT_EQ(GetToken(list, 3), "");
  EXPECT_EQ(CountTokens(list), 2);

  EXPECT_EQ(CountTokens(""), 0);
  EXPECT_EQ(CountTokens("\x14"), 1);
  EXPECT_EQ(CountTokens("a\x14\x14"), 2);

  // A list without its final separator: the tail is a field, and the next
  // token is appended after a supplied separator.
  std::string open =
      "a\x14"
      "b";
  EXPECT_EQ(CountTokens(open), 2);
  EXPECT_EQ(GetToken(open, 2), "b");
  AddToken(open, "c");
  EXPECT_EQ(open,
            "a\x14"
            "b\x14"
            "c\x14");

  // A field holding the separator and a comma is appended unquoted.
  std::string raw;
  AddToken(raw, "x\x14y,z");
  EXPECT_EQ(raw, "x\x14y,z\x14");
}

TEST(TokenList, JoinTokens) {
  std::string list;
  EXPECT_EQ(JoinTokens(list), "");
  AddToken(list, "x");
  AddToken(list, "y z");
  EXPECT_EQ(JoinTokens(list), "x y z");
  AddToken(list, "'q'");
  EXPECT_EQ(JoinTokens(list), "x y z 'q'");
}

TEST(Quoting, QuoteAndUnquote) {
  EXPECT_EQ(QuoteStr(""), "''");
  EXPECT_EQ(QuoteStr("it's"), "'it''s'");
  EXPECT_EQ(QuoteStr("''"), "''''''");
  EXPECT_EQ(QuoteToken("a\x14'"), "a\x14'");
  EXPECT_EQ(QuoteToken("a'"), "'a'''");

  EXPECT_EQ(UnquoteStr("''"), "");
  EXPECT_EQ(UnquoteStr("'"), "'");
  EXPECT_EQ(UnquoteStr("'it''s'"), "it's");
  EXPECT_EQ(UnquoteStr("'a'b'"), "ab");  // a lone quote inside vanishes
  EXPECT_EQ(UnquoteStr("plain"), "plain");
  EXPECT_EQ(UnquoteStr("'open"), "'open");
  for (const std::string s : {"", "it's", "''x'", "a,b"}) EXPECT_EQ(UnquoteStr(QuoteStr(s)), s);

  EXPECT_TRUE(IsQuote('\''));
  EXPECT_FALSE(IsQuote('"'));
}

TEST(Quoting, StripQuotesAndSpaces) {
  EXPECT_EQ(StripQuotesAndSpaces("\"\"http://a b.c/\"\""), "http://ab.c/");
  EXPECT_EQ(StripQuotesAndSpaces("\"\"\""), "");
  EXPECT_EQ(StripQuotesAndSpaces(" a\"b "), "a\"b");
  EXPECT_EQ(StripQuotesAndSpaces(""), "");
}

}  // namespace
}  // namespace ombrel
