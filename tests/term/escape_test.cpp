#include <gtest/gtest.h>

#include "term/escape.h"
#include "options/options.h"

namespace ombrel {
namespace {

TEST(EscapeExtent, EndsAtTheFirstFinalCharacterOrTheEnd) {
  const std::string s = "\x1b[1;31mX\x1b(B\x1b[12";
  EXPECT_EQ(EscapeEnd(s, 0), 6u);
  EXPECT_EQ(EscapeParams(s, 0, 6), "1;31");
  EXPECT_EQ(EscapeEnd(s, 8), 9u);  // ESC ( ends at the parenthesis
  EXPECT_EQ(EscapeParams(s, 8, 9), "");
  EXPECT_EQ(EscapeEnd(s, 11), std::string::npos);
}

AttrState Sgr(std::string_view params, AttrState start = {}) {
  ApplySGR(params, start);
  return start;
}

TEST(SGR, ValuesResetsAndMalformedParts) {
  EXPECT_EQ(Sgr("1;31"), (AttrState{1, 31}));
  EXPECT_EQ(Sgr("31;1"), (AttrState{1, 31}));
  EXPECT_EQ(Sgr("0;32", {1, 35}), (AttrState{0, 32}));
  EXPECT_EQ(Sgr("44", {0, 31}), (AttrState{0, 44}));
  // Neither an empty parameter nor an empty part is a reset.
  EXPECT_EQ(Sgr("", {1, 31}), (AttrState{1, 31}));
  EXPECT_EQ(Sgr(";1", {0, 31}), (AttrState{0, 31}));
  // A bad part ends the sequence, keeping what came before it.
  EXPECT_EQ(Sgr("33;x;1"), (AttrState{0, 33}));
  EXPECT_EQ(Sgr("-5", {0, 31}), (AttrState{0, 31}));
  EXPECT_EQ(Sgr("99999999999", {0, 31}), (AttrState{0, 31}));
}

TEST(SGR, ColourChoiceFollowsBoldAndTheSetsMap) {
  TOptions o;
  o.ansimap[9] = 0x123456;
  const Color keep = 0xABCDEF;
  // A code without a colour of its own leaves the colour in use, and bold
  // does not brighten it.
  const std::vector<std::pair<AttrState, Color>> cases = {
      {{1, 31}, 0x123456},      {{0, 32}, o.ansimap[2]}, {{0, 0}, o.textcolor()},
      {{1, 0}, o.textbrightcolor}, {{0, 44}, keep},         {{1, 44}, keep}};
  for (const auto& [state, color] : cases) EXPECT_EQ(ApplyColor(state, o, keep), color) << state.color;
}

TEST(StripEscapes, RemovesEverySequenceIncludingAnUnterminatedOne) {
  EXPECT_EQ(StripEscapes("\x1b[1;31mred\x1b[0m plain\x1b(Bx\x1b[12"), "red plainBx");
}

}  // namespace
}  // namespace ombrel
