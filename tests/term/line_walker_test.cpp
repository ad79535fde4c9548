#include <gtest/gtest.h>

#include <random>

#include "term/line_walker.h"

namespace ombrel {
namespace {

constexpr WalkMode kBytes{false, false};
constexpr WalkMode kUtf8{true, false};
constexpr WalkMode kStrings{false, true};

struct VisibleCase {
  const char* why;
  std::string line;
  WalkMode mode;
  std::string text;
  std::vector<uint32_t> offsets, cells;
  uint32_t width;
};

TEST(LineWalker, VisibleTextMapsEachByteBackToItsOffsetAndCell) {
  const std::vector<VisibleCase> cases = {
      {"colours take no byte and no cell", "a\x1b[1;31mb\x1b[0mc", kBytes, "abc", {0, 8, 13}, {0, 1, 2}, 3},
      {"a cut-off sequence hides the rest", "ab\x1b[3", kBytes, "ab", {0, 1}, {0, 1}, 2},
      {"an ESC alone at the end is cut off", "x\x1b", kBytes, "x", {0}, {0}, 1},
      {"a line end after ESC ends the sequence before it", "\x1b[1\rz", kBytes, "\rz", {3, 4}, {0, 1}, 2},
      {"UTF-8 off: each byte one cell", "\xc3\xa9!", kBytes, "\xc3\xa9!", {0, 1, 2}, {0, 1, 2}, 3},
      {"UTF-8 on: a character's bytes share its cell", "\xc3\xa9!", kUtf8, "\xc3\xa9!", {0, 1, 2}, {0, 0, 1}, 2},
      {"a wide character takes two cells", "\xe4\xb8\xad" "a", kUtf8, "\xe4\xb8\xad" "a", {0, 1, 2, 3}, {0, 0, 0, 2}, 3},
      {"a combining mark takes none", "e\xcc\x81x", kUtf8, "e\xcc\x81x", {0, 1, 2, 3}, {0, 1, 1, 1}, 2},
      {"an invalid byte is one character", "\xff\xc3" "a", kUtf8, "\xff\xc3" "a", {0, 1, 2}, {0, 1, 2}, 3},
      {"a character cut by a sequence is two invalid bytes", "\xe4\x1b[m\xb8", kUtf8, "\xe4\xb8", {0, 4}, {0, 1}, 2},
      {"strings off: an OSC ends at its first final character, and the ESC \\ after it never",
       "\x1b]8;;http://a\x1b\\t", kBytes, "ttp://a", {6, 7, 8, 9, 10, 11, 12}, {0, 1, 2, 3, 4, 5, 6}, 7},
      {"strings on: read whole up to ESC \\", "\x1b]8;;http://a\x1b\\t", kStrings, "t", {15}, {0}, 1},
      {"strings on: or BEL", "\x1b]0;title\x07t", kStrings, "t", {10}, {0}, 1},
      {"strings on: one never ended is cut off", "a\x1b]0;title", kStrings, "a", {0}, {0}, 1},
  };
  for (const VisibleCase& c : cases) {
    const VisibleText v = VisibleTextOf(c.line, c.mode);
    EXPECT_EQ(v.text, c.text) << c.why;
    EXPECT_EQ(v.offsets, c.offsets) << c.why;
    EXPECT_EQ(v.cells, c.cells) << c.why;
    EXPECT_EQ(v.width, c.width) << c.why;
    EXPECT_EQ(VisibleCells(c.line, 0, c.line.size(), c.mode), static_cast<int>(c.width)) << c.why;
    for (size_t k = 0; k < v.offsets.size(); ++k) EXPECT_EQ(v.VisibleIndexOf(v.offsets[k]), k) << c.why;
    EXPECT_EQ(v.VisibleIndexOf(c.line.size()), v.text.size()) << c.why;
  }
}

TEST(LineWalker, PiecesCoverTheLineAndSequencesEndAsEscapeEndSays) {
  std::mt19937 rng(5);
  const std::vector<std::string> parts = {"a", " ", "\x1b[1m", "\x1b", "[", "m", "\x1b]8;;x", "\x07", "\\",
                                          "\r", "\xc3", "\xa9", "\xe4\xb8\xad"};
  for (int round = 0; round < 2000; ++round) {
    std::string line;
    for (int k = rng() % 16; k > 0; --k) line += parts[rng() % parts.size()];
    const bool strings = round % 2;
    SequenceWalker walker(line, strings);
    size_t at = 0;
    std::string shown;
    for (LinePiece p; walker.Next(p); at = p.end) {
      ASSERT_EQ(p.begin, at) << line;
      ASSERT_LT(p.begin, p.end) << line;
      if (p.kind == PieceKind::Text) {
        ASSERT_EQ(line.find('\x1b', p.begin), p.end == line.size() ? std::string::npos : p.end);
        shown.append(line, p.begin, p.end - p.begin);
      } else {
        const size_t end = EscapeEnd(line, p.begin, strings);
        ASSERT_EQ(p.kind == PieceKind::CutOff, end == std::string::npos) << line;
        if (p.kind == PieceKind::Sequence) ASSERT_EQ(p.end, end + 1) << line;
        else ASSERT_EQ(p.end, line.size());
      }
    }
    ASSERT_EQ(at, line.size());
    ASSERT_EQ(shown, StripEscapes(line, strings));
    ASSERT_EQ(VisibleTextOf(line, {round % 3 == 0, strings}).text, shown);
  }
}

TEST(LineWalker, CellsOfAPartStopAtASequenceThatReachesPastIt) {
  const std::string line = "ab\x1b[1mc\x1b[31md";
  EXPECT_EQ(VisibleCells(line, 0, 3, kBytes), 2);   // the sequence ends past byte 3
  EXPECT_EQ(VisibleCells(line, 0, 7, kBytes), 3);
  EXPECT_EQ(VisibleCells(line, 1, 7, kBytes), 2);
  EXPECT_EQ(VisibleCells(line, 0, line.size(), kBytes), 4);
  EXPECT_EQ(VisibleCells("\xe4\xb8\xad\xe4\xb8", 0, 5, kUtf8), 4);  // a cut character is two bad bytes
}

TEST(LineWalker, WithinSequenceCountsOnlySequencesBegunBefore) {
  const std::string line = "a\x1b[1mb\x1b]8;;u:v\x07" "c\x1b[2";
  // a=0 ESC=1 '['=2 '1'=3 m=4 b=5 ESC=6 ]=7 8=8 ;=9 ;=10 u=11 :=12 v=13 BEL=14 c=15 ESC=16 [=17 2=18;
  // read plain, the 'u' ends the OSC as a final character.
  const std::vector<std::tuple<size_t, bool, bool>> cases = {
      {0, false, false}, {1, false, false}, {2, true, true},    {4, true, true},   {5, false, false},
      {6, false, false}, {7, true, true},   {11, true, true},   {12, false, true}, {14, false, true},
      {15, false, false}, {16, false, false}, {18, true, true}};
  for (const auto& [pos, plain, strings] : cases) {
    EXPECT_EQ(WithinSequence(line, pos, false), plain) << pos;
    EXPECT_EQ(WithinSequence(line, pos, true), strings) << pos;
  }
}

TEST(LineWalker, CharactersAndSequencesInTurn) {
  const std::string line = "\xe4\xb8\xad\x1b[1mx\x1b[";
  CharWalker walker(line, kUtf8);
  std::vector<std::tuple<PieceKind, size_t, size_t, int>> seen;
  PieceKind kind;
  for (VisibleChar c; walker.Next(kind, c);) seen.emplace_back(kind, c.begin, c.end, c.cells);
  const std::vector<std::tuple<PieceKind, size_t, size_t, int>> expected = {
      {PieceKind::Text, 0, 3, 2}, {PieceKind::Sequence, 3, 7, 0}, {PieceKind::Text, 7, 8, 1},
      {PieceKind::CutOff, 8, 10, 0}};
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace ombrel
