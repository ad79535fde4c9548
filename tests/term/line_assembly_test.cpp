#include <gtest/gtest.h>

#include <random>

#include "term_fakes.h"

namespace ombrel {
namespace {

using namespace testing;

struct AssemblyCase {
  const char* why;
  TermSetup setup;
  std::vector<Read> reads;
  Lines lines;       // lines 0..curline afterwards
  Lines writes = {};  // what went back to the server
};

const AssemblyCase kAssembly[] = {
    {"reads join until a line end", {}, {"abc", "def", "\r\n"}, {"abcdef", ""}},
    {"CR LF twice is two line ends", {}, {"a\r\n\r\nb"}, {"a", "", "b"}},
    {"LF CR is one line end", {}, {"a\n\rb"}, {"a", "b"}},
    {"CR CR and LF LF are two", {}, {"a\r\rb\n\nc"}, {"a", "", "b", "", "c"}},
    {"a pair cut by the end of a read still ends one line", {}, {"a\r", "\nb\n", "\rc\r", "\rd"},
     {"a", "b", "c", "", "d"}},
    {"backspaces erase across reads; at the start they are dropped", {}, {"\bab\bc", "\b\b\bx"}, {"x"}},
    {"a backspace never reaches back over a line end, a wrap or a sequence", {.ansi = true, .cols = 5},
     {"ab\n\bc\r\nabcdef\b\bx\r\nd\x1b[1m\be"}, {"ab", "c", "abcde", "x", "d\x1b[1me"}},
    {"wrap at a break, which stays on the ended line", {.cols = 10}, {"hello world again"},
     {"hello ", "world ", "again"}},
    {"a wrap right after a hyphen", {.cols = 6}, {"ab-cdefgh"}, {"ab-", "cdefgh"}},
    {"no break: cut at the width", {.cols = 10}, {"abcdefghijklmnopqrstuvwxy"},
     {"abcdefghij", "klmnopqrst", "uvwxy"}},
    {"the margin starts every line and counts toward the width", {.margin = "  ", .cols = 10},
     {"abcdefghijklmnopqrst\r\nxy"}, {"  abcdefgh", "  ijklmnop", "  qrst", "  xy"}},
    {"a sequence takes no cell and moves with the wrapped word", {.ansi = true, .cols = 5},
     {"abc\x1b[31mdefgh"}, {"abc", "\x1b[31mdefgh"}},
    {"a sequence before a full line does not wrap it", {.ansi = true, .cols = 5},
     {"\x1b[1;32mabcde"}, {"\x1b[1;32mabcde"}},
    {"a wrap never leaves sequences alone on a line, nor a line over the width", {.ansi = true, .cols = 10},
     {"\x1b[0m\x1b[1;36m" + std::string(15, '=')}, {"\x1b[0m\x1b[1;36m" + std::string(10, '='), "====="}},
    {"control characters take a cell each", {.cols = 4}, {"a\tb\x07" "cd"}, {"a\tb\x07", "cd"}},
    {"kept sequences stay with ansi on", {.ansi = true}, {"a\x1b[31mb\x1b[Kc\x1b(Bd\r\n"},
     {"a\x1b[31mb\x1b[Kc\x1b(Bd", ""}},
    {"with ansi off every sequence goes and none acts", {},
     {"a\x1b[31mb\x1b[Kc\x1b(Bd\x1b[2J\x1b[6n\r\n"}, {"abcBd", ""}},
    {"erase display, whatever its parameter, adds rows empty lines", {.ansi = true, .margin = ">", .rows = 2},
     {"old\r\nprompt\x1b[2Ja\x1b[Jb\x1b[1Jnew"}, {">old", "", "", "", "", "", "", ">new"}},
    {"status reports are answered and consumed, others kept", {.ansi = true},
     {"\x1b[5n", "x\r\ny\r\nabcdefg\x1b[6n", "\x1b[05n"}, {"x", "y", "abcdefg\x1b[05n"},
     {"\x1b[0n", "\x1b[3;7R"}},
    {"an overlong unterminated sequence is dropped", {.ansi = true},
     {"a\x1b[" + std::string(2000, '1'), "xyz"}, {"axyz"}},
    {"local text does not pick up a kept tail", {.ansi = true},
     {"a\x1b[1;3", {"local\r\n", false}, "2mHi"}, {"alocal", "\x1b[1;32mHi"}},
    {"a CR or LF ends an unterminated sequence", {.ansi = true}, {"a\x1b=\r\nb\x1b[1\nc\x1b\r"},
     {"a\x1b=", "b\x1b[1", "c\x1b", ""}},
    // With extended colours OSC, DCS, SOS, PM and APC strings are read whole
    // up to BEL or ESC \, or a bound; off, the classic extent cuts them.
    {"a string takes no cell, whatever final characters it holds", {.ansi = true, .cols = 1, .extended = true},
     {"\x1b]0;hi\a\x1bP1$r\x1b\\"}, {"\x1b]0;hi\a\x1bP1$r\x1b\\"}},
    {"off, a string ends at its first final character", {.ansi = true, .cols = 1}, {"\x1b]0;hi\a"},
     {"\x1b]0;hi", "\a"}},
    {"a string waits for its end across reads", {.ansi = true, .cols = 5, .extended = true},
     {"a\x1b]8;;https://x.y", "/z\alink", "\x1b]8;;\x1b", "\\"}, {"a\x1b]8;;https://x.y/z\alink\x1b]8;;\x1b\\"}},
    {"a long one too", {.ansi = true, .extended = true}, {"\x1b]0;" + std::string(2000, 'x'), "\aok"},
     {"\x1b]0;" + std::string(2000, 'x') + "\aok"}},
    {"a string never ended ends at its bound", {.ansi = true, .cols = 3, .extended = true},
     {"\x1b]0;" + std::string(kMaxStringSequence - 4, 'x') + "abcd"},
     {"\x1b]0;" + std::string(kMaxStringSequence - 4, 'x') + "abc", "d"}},
    {"a string is never used up as a command", {.ansi = true, .rows = 1, .extended = true},
     {"a\x1b]0;2J\ab\x1b]6n\ac"}, {"a\x1b]0;2J\ab\x1b]6n\ac"}},
    {"with ansi off a string goes whole", {.extended = true}, {"a\x1b]8;;https://x\ab"}, {"ab"}},
    // Shown as UTF-8, the width counts cells: 東 and 京 take two each.
    {"utf-8: a wide character that would pass the width wraps whole", {.cols = 5, .utf8 = true},
     {"ab東京x"}, {"ab東", "京x"}},
    {"utf-8: off, the same bytes are a cell each", {.cols = 5}, {"ab東京x"}, {"ab\xe6\x9d\xb1", "\xe4\xba\xacx"}},
    {"utf-8: a break before a wide character", {.cols = 6, .utf8 = true}, {"ab 東京x"}, {"ab ", "東京x"}},
    {"utf-8: what a wrap carries over to a break is wrapped again", {.cols = 7, .utf8 = true},
     {" 中中中中中中中中中中"}, {" ", "中中中", "中中中", "中中中", "中"}},
    {"utf-8: combining marks take no cell and stay with their letter", {.cols = 3, .utf8 = true},
     {"ae\xcc\x81" "b\xcc\x81" "cd"}, {"ae\xcc\x81" "b\xcc\x81", "cd"}},
    {"utf-8: an invalid byte takes one cell", {.cols = 3, .utf8 = true}, {"a\xff\xc3(bc"}, {"a\xff\xc3", "(bc"}},
    {"utf-8: a character cut by reads counts once it is whole", {.cols = 4, .utf8 = true},
     {"ab\xe6", "\x9d", "\xb1\xe4\xba\xac"}, {"ab東", "京"}},
    {"utf-8: the cursor report counts cells, not bytes nor sequences", {.ansi = true, .utf8 = true},
     {"\x1b[1mab東\x1b[6n"}, {"\x1b[1mab東"}, {"\x1b[1;4R"}},
    {"utf-8: a backspace erases a whole character", {.utf8 = true}, {"a東\b", "b"}, {"ab"}},
    {"local text is never read as telnet", {.telnet = true}, {{"x\xff\xfd" "A\xff\r\n", false}},
     {"x\xff\xfd" "A\xff", ""}},
    {"nor does it pick up a command cut off before it", {.telnet = true},
     {"a\xff", {"status\r\n", false}, "\xfb\x01" "b"}, {"astatus", "b"}, {"\xff\xfe\x01"}},
};

TEST(LineAssembly, Table) {
  for (const auto& c : kAssembly) {
    TermFixture f(c.setup);
    for (const auto& r : c.reads) f.term.WriteText(r.text, r.received);
    EXPECT_EQ(f.All(), c.lines) << c.why;
    EXPECT_EQ(f.socket.writes, c.writes) << c.why;
  }
}

TEST(LineAssembly, AReadCostsWhatItAddsEvenToALineOfSequencesAlone) {
  TermFixture f({.ansi = true});
  std::string line;
  for (int i = 0; i < 10000; ++i, line += "\x1b[0m") f.term.WriteText("\x1b[0m", true);
  EXPECT_EQ(f.All(), Lines{line});
  EXPECT_LE(f.term.Store().assembled, 4 * line.size());
}

TEST(CarriedState, ColourAndBoldAtALineEndStartTheNextLine) {
  TermFixture f({.ansi = true});
  f.term.WriteText("plain\r\n\x1b[1;32mgreen\r\nstill\x1b[0m\r\n\x1b[33m\x1b[xmz\r\n", true);
  // ESC [ x m changes nothing: yellow carries on.
  EXPECT_EQ(DumpStore(f.term.Store()),
            "0 0 |plain|\n0 0 |^[[1;32mgreen|\n32 1 |still^[[0m|\n0 0 |^[[33m^[[xmz|\n33 0 ||\n");
}

// With extended colours a reset inside a string, or the ESC \ ending one,
// is no reset: red carries on.
TEST(CarriedState, AStringHidesNoResetFromTheNextLine) {
  TermFixture f({.ansi = true, .extended = true});
  f.term.WriteText("\x1b[31ma\x1b]0;hi\x1b[0m\a\r\n\x1b[31mb\x1bPhi\x1b\\m\r\n", true);
  for (int line : {1, 2}) EXPECT_EQ(f.term.Store().Line(line).start.color, static_cast<int32_t>(kExtBase | 1)) << line;
}

TEST(LineStore, KeepsEveryLineAndClearingGivesTheMemoryBack) {
  TermFixture f({.ansi = true, .margin = " "});
  int cleared = 0;
  f.hooks.cleared = [&] { ++cleared; };
  // Lines of every length, some too long to share a block of text.
  std::string block = "\x1b[33m";
  for (int i = 0; i < 9000; ++i) block += std::string(i % 1000 == 7 ? 300000 : i % 50, 'x') + std::to_string(i) + "\r\n";
  f.term.cols = 1 << 20;
  f.term.WriteText(block, true);
  ASSERT_EQ(f.term.curline(), 9000);
  EXPECT_LT(f.term.Store().CurrentText().capacity(), block.size() / 2);  // the write's buffer is not kept
  for (int i = 1; i < 9000; ++i)
    ASSERT_EQ(f.term.Store().Line(i).text, " " + std::string(i % 1000 == 7 ? 300000 : i % 50, 'x') + std::to_string(i));
  EXPECT_GT(f.term.Store().Reserved(), 9u * 300000);

  f.term.ClearTerminal();
  EXPECT_EQ(f.All(), Lines{" "});
  EXPECT_EQ(f.term.Store().Reserved(), 0u);
  EXPECT_EQ(cleared, 1);
  f.term.WriteText("after\r\n", true);
  EXPECT_EQ(DumpStore(f.term.Store()), "0 0 | after|\n33 0 | |\n");  // the carried colour survives

  // A start state of its own on every line, past the states kept indexed.
  std::string each;
  for (int i = 0; i < 6000; ++i) each += "\x1b[" + std::to_string(100 + i) + "m\r\n";
  f.term.WriteText(each, true);
  for (int i = 0; i < 6000; ++i) ASSERT_EQ(f.term.Store().Line(2 + i).start.color, 100 + i);
}

TEST(UnseenMark, SetWhileInactiveClearedWhenActiveAndTabsRebuiltOnChange) {
  TermFixture f;
  bool& active = f.active;
  active = false;
  int rebuilt = 0;
  f.hooks.unseen = [&] { ++rebuilt; };
  f.term.WriteText("one", true);
  f.term.WriteText("two", true);
  EXPECT_EQ((std::pair<int, int>(f.term.unseen, rebuilt)), std::make_pair(1, 1));
  active = true;
  f.term.WriteText("three", true);
  EXPECT_EQ((std::pair<int, int>(f.term.unseen, rebuilt)), std::make_pair(0, 2));
}

}  // namespace
}  // namespace ombrel

namespace ombrel::testing {
namespace {

std::vector<bool> Continues(const TermFixture& f) {
  std::vector<bool> out;
  for (int i = 0; i <= f.term.curline(); ++i) out.push_back(f.term.Store().Line(i).continues);
  return out;
}

TEST(LineAssembly, AWrappedPartKnowsItContinuesTheLineBefore) {
  struct Case {
    const char* why;
    std::string text;
    int cols;
    std::vector<bool> continues;
  };
  const std::vector<Case> cases = {
      {"lines within the width", "abc\r\ndef", 10, {false, false}},
      {"cut at a space, then ended", "one two three\r\nx", 8, {false, true, false}},
      {"cut twice, the last part still open", "abcdefghij", 4, {false, true, true}},
      {"a line end right at the width", "abcd\r\nef", 4, {false, false}},
      {"erasing the display: the emptied part continues nothing", "abcdef\x1b[2J", 4, {false, false, false, false}},
  };
  for (const Case& c : cases) {
    TermFixture f({.ansi = true, .cols = c.cols, .rows = 2});
    f.term.WriteText(c.text, true);
    EXPECT_EQ(Continues(f), c.continues) << c.why;
  }
}

// Parts joined where they continue give back each received line, however
// the wrap cut them and wherever reads were cut; and however wide, narrow,
// marked or break characters mix, no completed part is wider than the view
// but for a break character that did not fit.
TEST(LineAssembly, JoiningContinuedPartsGivesBackTheLinesNoneWiderThanTheView) {
  std::mt19937 rng(11);
  const std::vector<std::string> parts = {" ", "a", "ab", "中", "-", "e\xcc\x81", "\x1b[1m", "\r\n", "word "};
  for (int round = 0; round < 3000; ++round) {
    const std::string margin = round % 3 ? "" : "> ";
    const bool utf8 = round % 4 != 1;
    const int cols = static_cast<int>(margin.size()) + 2 + static_cast<int>(rng() % 12);
    TermFixture f({.ansi = true, .margin = margin, .cols = cols, .utf8 = utf8});
    std::string text;
    for (int k = rng() % 30; k > 0; --k) text += parts[rng() % parts.size()];
    for (size_t i = 0, n = 0; i < text.size(); i += n) f.term.clientsocketRead(text.substr(i, n = 1 + rng() % 7));
    std::string joined;
    for (int i = 0; i <= f.term.curline(); ++i) {
      const StoredLine line = f.term.Store().Line(i);
      if (i > 0 && !line.continues) joined += "\r\n";
      joined += line.text.substr(margin.size());
      std::string_view part = line.text;
      if (i == f.term.curline()) break;
      if (part.ends_with(' ') || part.ends_with('-')) part.remove_suffix(1);
      ASSERT_LE(VisibleCells(part, 0, part.size(), utf8), cols) << cols << " [" << text << "]";
    }
    ASSERT_EQ(joined, text) << round;
  }
}

}  // namespace
}  // namespace ombrel::testing
