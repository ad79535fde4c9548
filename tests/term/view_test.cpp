#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "term/term_view.h"
#include "term_fakes.h"
#include "util/utf8.h"

namespace ombrel {
namespace {

using namespace testing;

struct FixedMeasure : TextMeasure {
  int TextWidth(const std::string& text) const override { return 8 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) const override { return 16; }
};

// A 400 x 159 paint box: 401 x 160 pixels, 50 columns by 10 rows; cell
// (column c, row r) is at x = 8c, y = 16r.
struct ViewFixture : TermFixture {
  FixedMeasure measure;
  TermView view{term};
  Lines opened;
  int timerStarts = 0, timerStops = 0;
  bool linkEnabled = false;
  explicit ViewFixture(const TermSetup& setup = {}) : TermFixture(setup) {
    hooks.textShown = [this] { view.AfterWrite(); };
    view.events.startDragTimer = [this] { ++timerStarts; };
    view.events.stopDragTimer = [this] { ++timerStops; };
    view.events.openLink = [this](const std::string& u) { opened.push_back(u); };
    view.events.linkActionEnabled = [this](bool on) { linkEnabled = on; };
    view.Layout(measure, 400, 159);
  }
  void Numbered(int n) {
    std::string block;
    for (int i = 0; i < n; ++i) block += "line " + std::to_string(i) + "\r\n";
    term.WriteText(block, true);
  }
  void Drag(int c1, int r1, int c2, int r2) {
    view.MouseDown(MouseButton::Left, 8 * c1 + 1, 16 * r1 + 1);
    view.MouseMove(8 * c2 + 1, 16 * r2 + 1);
    view.MouseUp(MouseButton::Left, 8 * c2 + 1, 16 * r2 + 1);
  }
};

TEST(ViewScroll, CellsFromTheFontAndFewerLinesThanRowsStartAtTheTopWithoutAScrollBar) {
  ViewFixture f;
  EXPECT_EQ(std::make_tuple(f.term.cols, f.term.rows, f.view.imageWidth), std::make_tuple(50, 10, 401));
  f.options.scrollbar = true;
  f.Numbered(3);
  EXPECT_FALSE(f.view.scrollbar.visible);
  const auto runs = f.view.BuildPaintPlan(f.measure).runs;
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(std::make_pair(runs[0].text, runs[0].y), std::make_pair(std::string("line 0"), 0));
  f.Numbered(20);
  EXPECT_TRUE(f.view.scrollbar.visible);
  EXPECT_EQ(std::make_tuple(f.view.scrollbar.maximum, f.view.scrollbar.pageSize, f.view.topline),
            std::make_tuple(23, 10, 14));
  f.options.scrollbar = false, f.view.Redraw(false);
  EXPECT_FALSE(f.view.scrollbar.visible);
}

TEST(ViewScroll, WheelStopsAndResumesFollowing) {
  ViewFixture f;
  f.Numbered(40);
  EXPECT_EQ(f.view.topline, 31);
  const std::vector<std::tuple<const char*, std::function<void()>, int, bool>> steps = {
      {"a notch up", [&] { f.view.Wheel(true, false); }, 30, false},
      {"new text does not move the view", [&] { f.Numbered(5); }, 30, false},
      {"shift: five lines", [&] { f.view.Wheel(true, true); }, 25, false},
      {"past the end: follows again", [&] { f.view.ScrollBy(100, true); }, 36, true},
      {"before the start", [&] { f.view.ScrollBy(-1000, true); }, 0, false},
      {"the bar one line short of the end still follows", [&] { f.view.ScrollBarMoved(35); }, 35, true},
      {"the bar elsewhere", [&] { f.view.ScrollBarMoved(3); }, 3, false},
  };
  for (const auto& [why, step, top, follow] : steps) {
    step();
    EXPECT_EQ(std::make_pair(f.view.topline, f.view.follow), std::make_pair(top, follow)) << why;
  }
}

TEST(PaintPlan, ColoursFollowTheLineStartStateAndTheSGRInside) {
  ViewFixture f({.ansi = true});
  f.term.WriteText("\x1b[1;31mred \x1b[0mplain\x1b[K \x1b[44mx\r\nnext", true);
  PaintPlan plan = f.view.BuildPaintPlan(f.measure);
  std::vector<std::tuple<std::string, int, Color>> runs;
  for (const auto& r : plan.runs) runs.emplace_back(r.text, r.x, r.color);
  const Color text = f.options.textcolor();
  // 44 leaves the colour in use.
  EXPECT_EQ(runs, (std::vector<std::tuple<std::string, int, Color>>{
                      {"red ", 0, f.options.ansimap[9]}, {"plain", 32, text}, {" ", 72, text},
                      {"x", 80, text}, {"next", 0, text}}));
  f.options.ansi = false;  // switched off later: the codes kept in the text no longer colour
  for (const auto& r : f.view.BuildPaintPlan(f.measure).runs) EXPECT_EQ(r.color, text) << r.text;
}

// Pattern triggers' highlights cut the runs at their edges: the matched
// cells, and only they, take the colours, the first trigger's winning.
TEST(PaintPlan, HighlightsColourExactlyTheMatchedCells) {
  for (bool utf8 : {false, true}) {
    ViewFixture f({.ansi = true, .utf8 = utf8});
    f.options.features.patterns = true;
    TTrigger first, second;
    first.string = "東orc", second.string = "orc b";
    first.pattern.highlight = second.pattern.highlight = HighlightScope::match;
    first.pattern.fgcolor = 0xFF, second.pattern.fgcolor = 0xFF00, second.pattern.bgcolor = 0x3;
    f.options.triggers = {first, second};
    f.term.WriteText("an \x1b[31m東orc bites\r\n", true);
    std::vector<std::tuple<std::string, int, Color>> runs;
    for (const TextRun& r : f.view.BuildPaintPlan(f.measure).runs) runs.emplace_back(r.text, r.x, r.color);
    const Color red = f.options.ansimap[1];
    const int wide = utf8 ? 16 : 24;  // 東: two cells, or three bytes
    const std::vector<std::tuple<std::string, int, Color>> expected{
        {"an ", 0, f.options.textcolor()}, {"東", 24, 0xFF}, {"orc", 24 + wide, 0xFF},
        {" b", 48 + wide, 0xFF00}, {"ites", 64 + wide, red}};
    EXPECT_EQ(runs, expected) << utf8;
    // The background of the second trigger, under "orc b" from its first cell.
    ASSERT_FALSE(f.view.BuildPaintPlan(f.measure).backgrounds.empty());
    EXPECT_EQ(f.view.BuildPaintPlan(f.measure).backgrounds.front().rect.x, 24 + wide);
  }
}

// A palette foreground, a true colour background, reverse and underline, carried into
// the next line; a line scrolled back paints as it first did.
TEST(PaintPlan, ExtendedColoursBackgroundsAndUnderline) {
  ViewFixture f({.ansi = true}), off({.ansi = true});
  const TOptions& o = f.options;
  f.options.features.extendedcolours = true;
  f.options.ansimap[9] = 0x123456;
  // Bold brightens the default and 30-37, not a palette entry named alike.
  const std::string text = "\x1b[38;5;208mor\x1b[48;2;1;2;3mange\r\nx\x1b[7my\x1b[4;27mz\x1b[0;1;31ma"
                           "\x1b[38;5;1mb\x1b[39mc\x1b[38;5;255;22md\x1b[0;7me";
  f.term.WriteText(text, true);
  using Run = std::tuple<std::string, int, int, Color, bool>;
  const auto paint = [&](ViewFixture& v) {
    PaintPlan plan = v.view.BuildPaintPlan(v.measure);
    std::vector<Run> runs;
    for (const auto& r : plan.runs) runs.emplace_back(r.text, r.x, r.y, r.color, r.underline);
    return std::make_pair(runs, plan.backgrounds);
  };
  const auto first = paint(f);
  const Color orange = 0x0087FF, dark = 0x030201;
  EXPECT_EQ(first.first, (std::vector<Run>{{"or", 0, 0, orange, false}, {"ange", 16, 0, orange, false},
                                           {"x", 0, 16, orange, false}, {"y", 8, 16, dark, false},
                                           {"z", 16, 16, orange, true}, {"a", 24, 16, 0x123456, false},
                                           {"b", 32, 16, o.ansimap[1], false}, {"c", 40, 16, o.textbrightcolor, false},
                                           {"d", 48, 16, 0xEEEEEE, false}, {"e", 56, 16, o.bgcolor, false}}));
  EXPECT_EQ(first.second, (std::vector<FilledRect>{{{16, 0, 32, 16}, dark}, {{0, 16, 8, 16}, dark},
                                                   {{8, 16, 8, 16}, orange}, {{16, 16, 8, 16}, dark},
                                                   {{56, 16, 8, 16}, o.textcolor()}}));
  f.term.WriteText("\x1b[0m\r\n", true);  // the current line is stored
  f.Numbered(30);
  f.view.ScrollBy(-1000, true);
  auto again = paint(f);
  again.first.resize(first.first.size());  // the numbered lines below
  EXPECT_EQ(again, first);
  // Switched off, only 30-37 colour: bold red from "a" on, until the reset before "e".
  off.term.WriteText(text, true);
  const auto classic = paint(off);
  std::vector<Color> colours;
  for (const auto& r : classic.first) colours.push_back(std::get<3>(r));
  const Color t = o.textcolor(), red = off.options.ansimap[9];
  EXPECT_EQ(colours, (std::vector<Color>{t, t, t, t, t, red, red, red, red, t}));
  EXPECT_TRUE(classic.second.empty());
}

TEST(PaintPlan, SelectionRectanglesCountVisibleCharacters) {
  ViewFixture f({.ansi = true});
  f.term.WriteText("ab\x1b[32mcdef\r\nsecond\r\nthird", true);
  f.view.selstartline = f.view.selendline = 0, f.view.hasselection = true;
  f.view.selstartcol = 8, f.view.selendcol = 9;  // 'c' and 'd', after the sequence
  EXPECT_EQ(f.view.BuildPaintPlan(f.measure).inverted, (std::vector<PixelRect>{{16, 0, 16, 16}}));
  f.view.selendline = f.view.selendcol = 2;
  EXPECT_EQ(f.view.BuildPaintPlan(f.measure).inverted,
            (std::vector<PixelRect>{{16, 0, 51 * 8, 16}, {0, 16, 51 * 8, 16}, {0, 32, 16, 16}}));
}

TEST(Utf8View, RunsSelectionCopyAndFindCountCellsAndGiveTheBytesThatCame) {
  ViewFixture f({.ansi = true, .utf8 = true});
  // Cells: a 0, 東 1-2, 京 3-4, e with its accent 5, an invalid byte 6, z 7.
  f.term.WriteText("a\x1b[31m東京\x1b[0me\xcc\x81\xffz\r\n", true);
  std::vector<std::tuple<int, int, std::string>> runs;  // x, width, bytes
  for (const TextRun& r : f.view.BuildPaintPlan(f.measure).runs) runs.emplace_back(r.x, r.width, r.text);
  EXPECT_EQ(runs, (std::vector<std::tuple<int, int, std::string>>{
                      {0, 8, "a"}, {8, 16, "東"}, {24, 16, "京"}, {40, 8, "e\xcc\x81"}, {48, 8, "\xff"}, {56, 8, "z"}}));
  f.Drag(2, 0, 5, 0);  // from the right half of 東 to the accented e
  EXPECT_EQ(f.view.GetSelectedText(), "東京e\xcc\x81");
  EXPECT_EQ(f.view.BuildPaintPlan(f.measure).inverted, (std::vector<PixelRect>{{8, 0, 40, 16}}));
  f.Drag(6, 0, 3, 0);
  EXPECT_EQ(f.view.GetSelectedText(), "京e\xcc\x81\xff");
  EXPECT_TRUE(f.view.FindText("京", true, true));  // the selection starts on its last byte
  ASSERT_TRUE(f.view.FindText("京E", false, false));
  EXPECT_EQ(f.view.GetSelectedText(), "京e\xcc\x81");
  EXPECT_EQ(f.view.BuildPaintPlan(f.measure).inverted, (std::vector<PixelRect>{{24, 0, 24, 16}}));
}

// Ignoring case, letters beyond ASCII fold too, whichever of their two
// forms the line or the search holds; the match selects the bytes as shown.
TEST(Utf8View, FindIgnoringCaseFoldsLettersBeyondAscii) {
  struct Case {
    std::string search;
    bool caseSensitive;
    std::string found;  // the selected text, empty when none
  };
  const std::vector<Case> cases = {
      {"été", false, "ÉTÉ"},       {"ÉTÉ", false, "ÉTÉ"},      {"été", true, ""},
      {"москве", false, "Москве"}, {"ΣΟΦΊΑΣ", false, "σοφίας"}, {"ÿves", false, "Ÿves"},
      {"ÜBER", false, "über"},     {"東京", false, "東京"},     {"\xff", false, "\xff"},
      {"ss", false, ""},  // ß folds to nothing of another length
  };
  for (const Case& c : cases) {
    ViewFixture f({.ansi = true, .utf8 = true});
    f.term.WriteText("L'\x1b[1mÉTÉ\x1b[0m à Москве, σοφίας Ÿves über 東京 \xff ß\r\n", true);
    const bool hit = f.view.FindText(c.search, c.caseSensitive, false);
    EXPECT_EQ(hit, !c.found.empty()) << c.search;
    if (hit) {
      EXPECT_EQ(StripEscapes(f.view.GetSelectedText()), c.found) << c.search;
    }
  }
}

TEST(PointToPos, StaysInsideTheLinesWhereverThePointerIs) {
  ViewFixture f({.ansi = true});
  f.term.WriteText("ab\x1b[31mcd\r\nx\r\n", true);
  EXPECT_EQ(f.view.PointToPos(8 * 2 + 3, 1), (TextPos{0, 8}));   // third visible char: c
  EXPECT_EQ(f.view.PointToPos(8 * 40, 1), (TextPos{0, 9}));      // beyond: line length
  EXPECT_EQ(f.view.PointToPos(-500, -900), (TextPos{0, 0}));     // above and left of the view
  EXPECT_EQ(f.view.PointToPos(5, 16 * 9), (TextPos{2, 0}));      // below the last line
}

TEST(DragSelection, BackwardsCopiesTheSameAsForwardsAndAClickSelectsNothing) {
  ViewFixture f({.ansi = true});
  f.term.WriteText("first \x1b[32mline\x1b[0m\r\nsecond line\r\nthird line\r\n", true);
  f.Drag(2, 0, 4, 2);
  EXPECT_EQ(f.view.GetSelectedText(), "rst line\r\nsecond line\r\nthird\r\n");
  EXPECT_EQ(f.view.GetSelectedLine(), "rst line second line third");
  f.Drag(4, 2, 2, 0);
  EXPECT_EQ(f.view.GetSelectedText(), "rst line\r\nsecond line\r\nthird\r\n");
  EXPECT_EQ(std::make_pair(f.timerStarts, f.timerStops), std::make_pair(2, 2));
  f.Drag(3, 1, 3, 1);
  EXPECT_TRUE(!f.view.HasSelection() && f.view.GetSelectedText().empty());
  f.Drag(6, 0, 9, 0);  // a coloured word, copied without its escapes
  EXPECT_EQ(f.view.GetSelectedText(), "line");
  f.view.SelectAll();
  EXPECT_EQ(f.view.GetSelectedText(), "first line\r\nsecond line\r\nthird line\r\n\r\n");
  f.view.ClearSelection();
  EXPECT_EQ(f.view.GetSelectedLine(), "");
}

TEST(DragSelection, HoldingAboveTheViewScrollsThreeLinesATick) {
  ViewFixture f;
  f.Numbered(40);
  const int top = f.view.topline;
  f.view.MouseDown(MouseButton::Left, 4, 40);
  f.view.MouseMove(4, -25);
  f.view.DragScroll();
  EXPECT_EQ(f.view.topline, top - 3);
  // The end follows the pointer, which is above the first visible line.
  EXPECT_LT(f.view.selendline, f.view.topline);
  f.view.MouseMove(4, 159 + 5);
  f.view.DragScroll();
  EXPECT_EQ(f.view.topline, top - 2);
}

TEST(WordSelection, DoubleClickSelectsTheWordBetweenDelimiters) {
  ViewFixture f({.ansi = true});
  f.term.WriteText("North: room, hall\r\nNorth: \x1b[1;31mroom\x1b[0m, hall\r\n", true);
  f.view.MouseMove(8 * 8 + 2, 2);
  f.view.DblClick();
  EXPECT_EQ(f.view.GetSelectedText(), "room");
  EXPECT_TRUE(f.view.suppressmouse);
  // The button events of the double-click leave the word selected.
  f.view.MouseUp(MouseButton::Left, 0, 0);
  EXPECT_EQ(f.view.GetSelectedText(), "room");
  f.view.MouseMove(6 * 8, 2);  // on the colon's following space
  f.view.DblClick();
  EXPECT_EQ(f.view.GetSelectedText(), "room");
  // A coloured word: the codes around it are neither word nor delimiter.
  f.view.MouseMove(8 * 8 + 2, 2 + 16);
  f.view.DblClick();
  EXPECT_EQ(f.view.GetSelectedText(), "room");
  EXPECT_EQ(f.view.selendline, 1);
}

TEST(Find, CaseSelectionRangesAndTheNextMatchRightAfter) {
  ViewFixture f({.ansi = true});
  for (int i = 0; i < 30; ++i) f.term.WriteText("filler\r\n", true);
  f.term.WriteText("the \x1b[1mhall\x1b[0mHall and hall\r\n", true);
  f.Numbered(20);
  EXPECT_TRUE(f.view.FindText("Hall", false, false));
  EXPECT_EQ(f.view.GetSelectedText(), "hall");
  EXPECT_EQ(std::make_tuple(f.view.selstartline, f.view.topline, f.view.follow), std::make_tuple(30, 25, false));
  // Each next match starts right after the previous one; at the last nothing changes.
  for (const char* next : {"Hall", "hall"}) {
    EXPECT_TRUE(f.view.FindNext());
    EXPECT_EQ(f.view.GetSelectedText(), next);
  }
  EXPECT_FALSE(f.view.FindNext());
  EXPECT_EQ(f.view.GetSelectedText(), "hall");
  EXPECT_FALSE(f.view.FindText("HALL", true, false));
  EXPECT_FALSE(f.view.FindText("", false, false));  // an empty search finds nothing

  f.term.WriteText("xx abc middle abc yy\r\n", true);
  f.view.ScrollBy(100, true);
  f.Drag(3, 8, 16, 8);
  ASSERT_EQ(f.view.GetSelectedText(), "abc middle abc");
  EXPECT_TRUE(f.view.FindText("abc", true, true));  // in the selection: matches at both ends
  EXPECT_EQ(f.view.selstartcol, 4);
  EXPECT_TRUE(f.view.FindNext());
  EXPECT_EQ(f.view.selendcol, 17);
  EXPECT_FALSE(f.view.FindNext());
}

// Find matches the text as shown, letters folded or not: the same lines and
// columns as searching each line stripped of its sequences.
TEST(Find, AgreesWithSearchingTheStrippedLines) {
  std::mt19937 rng(9);
  // The long piece makes lines that are searched sixteen bytes a step, with
  // matches falling at every place in a step.
  // Shown as UTF-8, letters of two bytes fold as well: Σ, σ and ς are one.
  // With extended colours strings are read whole, and nothing in them matches.
  const std::vector<std::string> parts = {"ab", "A", "b", " ", "\x1b[1m", "\x1b[31m", "\x1b[", "\r\n", "3m",
                                          "b A ab  bA", "Σ", "σς", "É", "\x1b]0;b A\a", "\x1bPab\x1b\\"};
  for (int round = 0; round < 400; ++round) {
    const bool utf8 = round % 2, strings = round % 4 > 1;
    ViewFixture f({.ansi = true, .utf8 = utf8, .extended = strings});
    std::string text;
    for (int k = rng() % 60; k > 0; --k) text += parts[rng() % parts.size()];
    f.term.WriteText(text, true);
    // Some patterns also stand inside the sequences, where they must not match.
    const std::vector<std::string> pieces = {"ab", "A", "b", " ", "3m", "1m", "m", "σ", "é"};
    const std::string pattern = pieces[rng() % pieces.size()] + pieces[rng() % pieces.size()];
    const bool caseSensitive = rng() % 2;
    const auto fold = [&](const std::string& s) { return utf8 ? utf8::FoldCase(s) : LowerCase(s); };
    std::vector<std::pair<int, int>> expected, found;  // line, first visible column
    for (int line = 0; line <= f.term.curline(); ++line) {
      std::string plain = StripEscapes(f.term.Store().Line(line).text, strings);
      std::string wanted = pattern;
      if (!caseSensitive) plain = fold(plain), wanted = fold(pattern);
      for (size_t at = plain.find(wanted); at != std::string::npos; at = plain.find(wanted, at + wanted.size()))
        expected.emplace_back(line, static_cast<int>(at) + 1);
    }
    for (bool hit = f.view.FindText(pattern, caseSensitive, false); hit; hit = f.view.FindNext())
      found.emplace_back(f.view.selstartline,
                         VisibleUpTo(f.term.Store().Line(f.view.selstartline).text, f.view.selstartcol, strings));
    ASSERT_EQ(found, expected) << "[" << pattern << "] in [" << text << "]";
  }
}

TEST(Links, FoundFromEachOfItsLinesWithoutQuotesOrColourAndOpenedByAClick) {
  ViewFixture f({.ansi = true});
  f.term.cols = 20;
  f.term.WriteText("see http://mudhost/area/long/path now\r\n\r\n\"https://mud.ex/x\"\r\n\r\ngo \x1b[34mftp://f.ex/y", true);
  ASSERT_EQ(f.All(), (Lines{"see ", "http://mudhost/area/", "long/path now", "", "\"https://mud.ex/x\"", "",
                            "go \x1b[34mftp://f.ex/y"}));
  const std::string wrapped = "http://mudhost/area/long/path";
  // A link reaching the end of its line goes on in the next, unless that is empty.
  // The first character of a link, its last, and the one past it.
  for (auto [line, index, url] : {std::tuple{1, 1, wrapped}, {2, 9, wrapped}, {2, 10, std::string()},
                                  {1, 3, wrapped}, {2, 2, wrapped}, {2, 12, std::string()},
                                  {0, 2, std::string()}, {4, 5, std::string("https://mud.ex/x")},
                                  {6, 12, std::string("ftp://f.ex/y")}}) {
    EXPECT_EQ(f.view.FindLink(line, index), !url.empty()) << line << ":" << index;
    EXPECT_EQ(std::make_pair(f.view.linkurl, f.linkEnabled), std::make_pair(url, !url.empty())) << line << ":" << index;
  }
  // Pointer over the link: a click opens it and selects nothing.
  f.view.MouseMove(8 * 5, 16 * 6 + 2);
  f.view.MouseDown(MouseButton::Left, 8 * 5, 16 * 6 + 2);
  f.view.MouseUp(MouseButton::Left, 8 * 5, 16 * 6 + 2);
  EXPECT_EQ(f.opened, Lines{"ftp://f.ex/y"});
  EXPECT_FALSE(f.view.HasSelection());
}

// With extended colours, a link a server marks (OSC 8) shows its text
// alone, wrapped or not, and opens its address; copy and find see the text.
TEST(Links, AMarkedLinkShowsItsTextAndOpensItsAddress) {
  ViewFixture f({.ansi = true, .extended = true});
  f.term.cols = 8;
  f.term.WriteText("a \x1b]8;id=1;https://x.y/z\aclick here\x1b]8;;\x1b\\ b", true);
  std::vector<std::string> shown(2);
  for (const auto& r : f.view.BuildPaintPlan(f.measure).runs) shown.at(static_cast<size_t>(r.y / 16)) += r.text;
  EXPECT_EQ(shown, (std::vector<std::string>{"a click ", "here b"}));
  const char* url = "https://x.y/z";
  for (auto [line, column, link] : {std::tuple{0, 1, ""}, {0, 3, url}, {1, 4, url}, {1, 6, ""}}) {
    f.view.MouseMove(8 * (column - 1) + 1, 16 * line + 1);
    EXPECT_EQ(f.view.linkurl, link) << line << ":" << column;
  }
  f.view.MouseMove(8 * 3 + 1, 1);
  f.view.MouseDown(MouseButton::Left, 8 * 3 + 1, 1);
  f.view.MouseUp(MouseButton::Left, 8 * 3 + 1, 1);
  EXPECT_EQ(f.opened, Lines{url});
  f.view.SelectAll();
  EXPECT_EQ(f.view.GetSelectedText(), "a click \r\nhere b\r\n");
  EXPECT_FALSE(f.view.FindText("x.y", false, false));
  EXPECT_TRUE(f.view.FindText("here", false, false));
}

}  // namespace
}  // namespace ombrel

namespace ombrel {
namespace {

// Scrolled back with the switch on: the history above, the newest lines
// below a divider the pointer drags; scrolling down to the end makes it whole.
TEST(SplitScrollback, PanesDividerPointerAndTheEnd) {
  ViewFixture f;
  f.options.features.splitscroll = true;
  f.Numbered(30);  // lines 0-29, then the empty current line 30
  const auto shown = [&] {
    std::string texts;
    for (const TextRun& r : f.view.BuildPaintPlan(f.measure).runs) texts += r.text.substr(5) + "@" + std::to_string(r.y / 16) + " ";
    return texts;
  };
  f.view.ScrollBy(-20, true);
  EXPECT_EQ(shown(), "1@0 2@1 3@2 4@3 5@4 6@5 7@6 28@7 29@8 ");
  EXPECT_EQ(f.view.BuildPaintPlan(f.measure).backgrounds, (std::vector<FilledRect>{{{0, 111, 401, 2}, f.options.textcolor()}}));
  EXPECT_EQ(f.view.PointToPos(1, 16 * 8 + 1).line, 29) << "the pointer over the bottom pane";
  f.view.MouseDown(MouseButton::Left, 10, 112);  // on the divider: no selection starts
  f.view.MouseMove(10, 5 * 16 + 3);
  f.view.MouseUp(MouseButton::Left, 10, 5 * 16 + 3);
  EXPECT_FALSE(f.view.hasselection);
  EXPECT_EQ(shown(), "1@0 2@1 3@2 4@3 5@4 26@5 27@6 28@7 29@8 ");
  f.Numbered(1);  // text arriving runs on below
  EXPECT_EQ(shown(), "1@0 2@1 3@2 4@3 5@4 27@5 28@6 29@7 0@8 ");
  f.view.ScrollBy(21, true);  // down to the end exactly
  EXPECT_EQ(std::make_pair(f.view.follow, f.view.DividerY()), std::make_pair(true, -1));
  f.options.features.splitscroll = false;
  f.view.ScrollBy(-21, true);
  EXPECT_EQ(shown(), "1@0 2@1 3@2 4@3 5@4 6@5 7@6 8@7 9@8 10@9 ");
}

}  // namespace
}  // namespace ombrel
