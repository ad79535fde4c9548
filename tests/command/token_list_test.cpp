#include "command/token_list.h"

#include <gtest/gtest.h>

namespace ombrel {
namespace {

// "\024" is the token separator.
TEST(SplitCommand, WordsGroupsAndQuotes) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"  kill   orc  ", "kill", "orc\024"},
      {"look", "look", ""},
      {"say ~hello there~ bob", "say", "hello there\024bob\024"},
      {"a ~", "a", "\024"},                   // a trailing tilde leaves one empty parameter
      {"x ~~a b", "x", "~a b\024"},           // the second of two tildes stays, grouping on
      {"give 'sword' bob", "give", "sword\024bob\024"},  // parameters are unquoted,
      {"'say' hi", "'say'", "hi\024"},                    // the command word is not
      {"tell it's, fine", "tell", "'it''s,'\024fine\024"},  // a quote or comma is quoted again
      {"x a,b", "x", "'a,b'\024"},
  };
  for (auto [line, wantFirst, wantRest] : rows) {
    std::string first, rest;
    EXPECT_TRUE(SplitCommand(line, first, rest));
    EXPECT_EQ(first + "|" + rest, std::string(wantFirst) + "|" + wantRest) << line;
  }
}

TEST(TokenList, FieldsCountsJoinsAndQuotes) {
  const std::tuple<const char*, int, int, const char*> rows[] = {  // list, count, index, token
      {"a\024b", 2, 2, "b"},  // the final separator may be missing
      {"a\024b\024", 2, 0, ""},
      {"a\024b\024", 2, 3, ""},
      {"", 0, 1, ""},
      {"\024", 1, 1, ""},
      {"'it''s,'\024fine\024", 2, 1, "it's,"},
  };
  for (auto [list, count, index, token] : rows) {
    EXPECT_EQ(CountTokens(list), count) << list;
    EXPECT_EQ(GetToken(list, index), token) << list << " " << index;
  }
  // A field holding the separator is appended unquoted, as it comes.
  std::string list = "a\024b";
  for (const char* token : {"y z", "it's,", "x\024y,z"}) AddToken(list, token);
  EXPECT_EQ(list, "a\024b\024y z\024'it''s,'\024x\024y,z\024");
  EXPECT_EQ(JoinTokens(list), "a b y z it's, x y,z");
  EXPECT_EQ(QuoteStr(""), "''");
  const std::pair<const char*, const char*> unquote[] = {
      {"''", ""}, {"'", "'"}, {"'a'b'", "ab"} /* a lone quote inside vanishes */, {"'open", "'open"}};
  for (auto [in, out] : unquote) EXPECT_EQ(UnquoteStr(in), out) << in;
  for (const std::string s : {"", "it's", "''x'"}) EXPECT_EQ(UnquoteStr(QuoteStr(s)), s);
  EXPECT_EQ(StripQuotesAndSpaces("\"\"http://a b.c/\"\"") + "|" + StripQuotesAndSpaces("\"\"\""), "http://ab.c/|");
}

}  // namespace
}  // namespace ombrel
