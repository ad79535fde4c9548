#include <gtest/gtest.h>

#include <random>

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

// The colours a line carries on are those of applying each of its
// sequences in turn, whatever shortcut reads them: lines ending in a reset,
// resets inside another sequence, sequences cut off.
TEST(SGR, CarriedStateIsEverySequenceAppliedInTurn) {
  std::mt19937 rng(3);
  const std::vector<std::string> parts = {"\x1b[0m", "\x1b[0;33m", "\x1b[1;31m", "\x1b[", "\x1b", "0", "m", ";", "x ", "1"};
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    for (int k = rng() % 8; k > 0; --k) line += parts[rng() % parts.size()];
    AttrState expected{static_cast<uint8_t>(rng() % 2), static_cast<int32_t>(rng() % 40)};
    AttrState carried = expected;
    for (size_t i = line.find(kEsc); i != std::string::npos; i = line.find(kEsc, i + 1)) {
      const size_t end = EscapeEnd(line, i);
      if (end == std::string::npos) break;
      if (line[end] == 'm') expected = Sgr(EscapeParams(line, i, end), expected);
      i = end;
    }
    CarrySGR(line, carried);
    ASSERT_EQ(carried, expected) << line;
  }
}

TEST(ExtendedSGR, PaletteEntriesAtTheEdgesOfTheCubeAndTheGreys) {
  TOptions o;
  for (auto [n, rgb] : {std::pair{15, o.ansimap[15]}, {16, Color{0}}, {17, Color{0x5F0000}}, {231, Color{0xFFFFFF}},
                        {232, Color{0x080808}}, {255, Color{0xEEEEEE}}})
    EXPECT_EQ(PaletteColor(n, o), rgb) << n;
}

constexpr int32_t Fg(ExtColor c) { return static_cast<int32_t>(c); }

constexpr AttrState kEvery{.bold = 1, .underline = 1, .faint = 1, .italic = 1, .blink = 1, .conceal = 1, .strike = 1};

TEST(ExtendedSGR, XtermRules) {
  const AttrState all{.bold = 1, .color = Fg(kExtBase | 1), .background = kExtRgb | 5, .reverse = 1, .underline = 1};
  const AttrState rgb{.background = kExtRgb | 0x030201};
  const std::vector<std::tuple<const char*, AttrState, AttrState, const char*>> cases = {
      {"1;31", {}, {.bold = 1, .color = Fg(kExtBase | 1)}, "30-37 are base colours, bold kept beside them"},
      {"91;102", {}, {.color = Fg(kExtPalette | 9), .background = kExtPalette | 10}, "bright forms: palette 8-15"},
      {"38:5:208;4", {}, {.color = Fg(kExtPalette | 208), .underline = 1}, "colon form, then the next parameter"},
      {"48:2:1:2:3", {}, rgb, "colon form without a colour space"},
      {"48:2::1:2:3", {}, rgb, "the colour space, here empty, before red"},
      {"39;49", all, {.bold = 1, .reverse = 1, .underline = 1}, "the default colours, attributes kept"},
      {"22;27;24", all, {.color = all.color, .background = all.background}, "bold, reverse and underline off"},
      {"", all, {}, "an empty list resets"},
      {"1;", {}, {}, "an empty last parameter is 0: bold, then a reset"},
      {";7;4", all, {.reverse = 1, .underline = 1}, "so is an empty first one: a reset, then reverse and underline"},
      {"38;5;256;1", {}, {.bold = 1}, "an index out of range is ignored, what follows applies"},
      {"38;2;1;2", all, all, "cut short: nothing"},
      {"44;5;x;1", {}, {.background = kExtPalette | 4, .blink = 1}, "5 blinks; a bad part ends the sequence"},
      {"2;3;6;8;9;21", {}, {.underline = 1, .faint = 1, .italic = 1, .blink = 1, .conceal = 1, .strike = 1},
       "faint, italic, rapid blink, conceal, strikethrough, double underline"},
      {"23;25;28;29;24", kEvery, {.bold = 1, .faint = 1}, "each off by its own code"},
      {"22", kEvery, {.underline = 1, .italic = 1, .blink = 1, .conceal = 1, .strike = 1}, "22 ends bold and faint"},
  };
  // The carried state reads each sequence alike, its shortcut included.
  for (auto [params, state, expected, why] : cases) {
    AttrState carried = state;
    CarrySGR("a\x1b[" + std::string(params) + "mb", carried, true);
    ApplyExtendedSGR(params, state);
    EXPECT_EQ(std::make_pair(state, carried), std::make_pair(expected, expected)) << params << ": " << why;
  }
}

// What each attribute does to the colours a run is painted in.
TEST(ExtendedSGR, AttributesAsPainted) {
  TOptions o;
  o.font.color = 0xC0C0C0, o.bgcolor = 0x102030;
  const int32_t red = Fg(kExtBase | 1);
  const ExtColor blue = kExtPalette | 4;
  const auto fg = [&](AttrState s) { return StyleOf(s, o).foreground; };
  const std::tuple<AttrState, Color, const char*> rows[] = {
      {{.faint = 1}, 0x687078, "halfway to the background, channel by channel"},
      {{.blink = 1}, o.textbrightcolor, "blink brightens the default colour as bold does"},
      {{.color = red, .blink = 1}, fg({.bold = 1, .color = red}), "and the colours of 30-37"},
      {{.background = blue, .conceal = 1}, o.ansimap[4], "concealed: the background's colour"},
      {{.reverse = 1, .conceal = 1}, o.textcolor(), "reversed, the background is the text colour"},
  };
  for (const auto& [state, expected, why] : rows) EXPECT_EQ(fg(state), expected) << why;
  const ExtendedStyle slanted = StyleOf({.underline = 1, .italic = 1, .strike = 1}, o);
  EXPECT_TRUE(slanted.italic && slanted.strike && slanted.underline);
  EXPECT_FALSE(StyleOf({.bold = 1, .faint = 1, .blink = 1}, o).italic || StyleOf({}, o).strike);
}

}  // namespace
}  // namespace ombrel
