#include <gtest/gtest.h>

#include "term/escape.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using testing::TermFixture;
using Lines = std::vector<std::string>;

TEST(EscapeExtent, EndsAtTheFirstFinalCharacterOrTheEnd) {
  const std::string s = "\x1b[1;31mX\x1b(B\x1b[12";
  EXPECT_EQ(EscapeEnd(s, 0), 6u);
  EXPECT_EQ(EscapeParams(s, 0, 6), "1;31");
  EXPECT_EQ(EscapeEnd(s, 8), 9u);  // ESC ( ends at the parenthesis
  EXPECT_EQ(EscapeParams(s, 8, 9), "");
  EXPECT_EQ(EscapeEnd(s, 11), std::string::npos);
  EXPECT_EQ(kFinalChars.size(), 23u);
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
  EXPECT_EQ(Sgr("x"), (AttrState{0, 0}));
  EXPECT_EQ(Sgr("-5", {0, 31}), (AttrState{0, 31}));
  EXPECT_EQ(Sgr("99999999999", {0, 31}), (AttrState{0, 31}));
}

TEST(SGR, ColourChoiceFollowsBoldAndTheSetsMap) {
  TOptions o;
  o.ansimap[9] = 0x123456;
  const Color keep = 0xABCDEF;
  EXPECT_EQ(ApplyColor(Sgr("1;31"), o, keep), 0x123456u);
  EXPECT_EQ(ApplyColor(Sgr("31;1"), o, keep), 0x123456u);
  EXPECT_EQ(ApplyColor(Sgr("0;32"), o, keep), o.ansimap[2]);
  EXPECT_EQ(ApplyColor({0, 0}, o, keep), o.textcolor());
  EXPECT_EQ(ApplyColor({1, 0}, o, keep), o.textbrightcolor);
  // A code without a colour of its own leaves the colour in use, and bold
  // does not brighten it.
  EXPECT_EQ(ApplyColor(Sgr("44"), o, keep), keep);
  EXPECT_EQ(ApplyColor(Sgr("1", Sgr("44")), o, keep), keep);
}

TEST(StripEscapes, RemovesEverySequenceIncludingAnUnterminatedOne) {
  EXPECT_EQ(StripEscapes("\x1b[1;31mred\x1b[0m plain\x1b(Bx\x1b[12"), "red plainBx");
  EXPECT_EQ(StripEscapes("no escapes"), "no escapes");
}

TEST(ApplyEscape, EraseDisplayAddsRowsEmptyLinesWhateverTheParameter) {
  for (const char* seq : {"\x1b[2J", "\x1b[J", "\x1b[1J"}) {
    TermFixture f;
    f.options.ansi = true;
    f.options.margin = ">";
    f.term.ClearTerminal();
    f.term.rows = 3;
    f.term.WriteText(std::string("old\r\nprompt") + seq + "new", true);
    EXPECT_EQ(f.Lines(), (Lines{">old", "", "", "", ">new"})) << seq + 1;
  }
}

TEST(ApplyEscape, DeviceStatusReportRepliesAndIsConsumed) {
  TermFixture f;
  f.options.ansi = true;
  f.term.WriteText("\x1b[5n", true);
  for (int i = 0; i < 41; ++i) f.term.WriteText("x\r\n", true);
  f.term.WriteText("abcdefg\x1b[6n", true);
  f.term.WriteText("\x1b[05n", true);
  EXPECT_EQ(f.socket.writes, (Lines{"\x1b[0n", "\x1b[42;7R"}));
  EXPECT_EQ(f.Current(), "abcdefg\x1b[05n");
}

TEST(ApplyEscape, SequencesStayOrGoByTheAnsiSwitch) {
  TermFixture on;
  on.options.ansi = true;
  on.term.WriteText("a\x1b[31mb\x1b[Kc\x1b(Bd\r\n", true);
  EXPECT_EQ(on.Completed(), Lines{"a\x1b[31mb\x1b[Kc\x1b(Bd"});

  TermFixture off;
  off.term.WriteText("a\x1b[31mb\x1b[Kc\x1b(Bd\x1b[2J\x1b[6n\r\n", true);
  EXPECT_EQ(off.Completed(), Lines{"abcBd"});
  EXPECT_TRUE(off.socket.writes.empty());
}

TEST(CarriedState, ColourAtALineEndStartsTheNextLine) {
  TermFixture f;
  f.options.ansi = true;
  f.term.WriteText("plain\r\n\x1b[1;32mgreen\r\nstill\x1b[0m\r\n\x1b[xmz\r\n", true);
  const auto& s = f.term.Store();
  EXPECT_EQ(s.Line(1).startcolor, 0);
  EXPECT_EQ(s.Line(2).startcolor, 32);
  EXPECT_EQ(s.Line(2).startbold, 1);
  EXPECT_EQ(s.Line(3).startcolor, 0);
  EXPECT_EQ(s.Line(3).startbold, 0);
  EXPECT_EQ(s.Line(4).startcolor, 0);  // ESC [ x m changes nothing
}

}  // namespace
}  // namespace ombrel
