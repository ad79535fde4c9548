#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "file_fixture.h"
#include "term/pattern_triggers.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using namespace testing;

TTrigger Pat(TriggerKind kind, std::string string, Lines text = {}) {
  TTrigger t;
  t.name = string;
  t.string = std::move(string);
  t.textenabled = !text.empty();
  t.text = std::move(text);
  t.pattern.kind = kind;
  return t;
}

template <class Edit>
TTrigger With(TTrigger t, Edit edit) {
  edit(t.pattern);
  return t;
}

constexpr auto kRe = TriggerKind::regex, kSub = TriggerKind::substring, kWhole = TriggerKind::wholeline,
               kStart = TriggerKind::linestart;

struct PatternCase {
  const char* why;
  TermSetup setup;
  std::vector<TTrigger> triggers;
  std::vector<Read> reads;
  Lines writes;
  Lines store;  // empty: not checked
  Lines groupsoff = {};
};

const PatternCase kCases[] = {
    {"captures fill the reply", {}, {Pat(kRe, "^(\\w+) tells you '(.*)'$", {"tell %1 got %2%3"})},
     {"Bob tells you 'hi there'\r\n"}, {"tell Bob got hi there\r\n\r\n"}},
    {"a whole line is all of it", {}, {Pat(kWhole, "You are hungry", {"a"})},
     {"You are hungry now\r\nYou are hungry\r\n"}, {"a\r\n\r\n"}},
    {"a line start, ignoring case", {}, {With(Pat(kStart, "you are", {"b"}), [](auto& p) { p.ignorecase = true; })},
     {"Now you are\r\nYOU ARE hungry\r\n"}, {"b\r\n\r\n"}},
    {"colour sequences are not matched", {.ansi = true}, {Pat(kSub, "are hungry", {"c"})},
     {"You are \x1b[31mhungry\r\n"}, {"c\r\n\r\n"}},
    {"a gagged line is not stored", {}, {With(Pat(kSub, "spam"), [](auto& p) { p.gag = true; })},
     {"a\r\nspam 1\r\nb\r\nspam 2\r\npro", "mpt"}, {}, {"a", "b", "prompt"}},
    {"a substitution keeps the colours around and inside", {.ansi = true},
     {With(Pat(kRe, "o(r)c"), [](auto& p) { p.substitute = true, p.substitution = "<%1>"; })},
     {"An \x1b[31mo\x1b[1mrc\x1b[0m orc\r\n"}, {}, {"An \x1b[31m<r>\x1b[1m\x1b[0m <r>", ""}},
    {"fire once", {}, {With(Pat(kSub, "orc", {"x"}), [](auto& p) { p.once = true; })}, {"orc\r\norc\r\n", "orc\r\n"},
     {"x\r\n\r\n"}},
    {"a group switched off, and on by a later line of the same read", {},
     {With(Pat(kSub, "orc", {"kill"}), [](auto& p) { p.group = "combat"; }),
      With(Pat(kSub, "fight"), [](auto& p) { p.groupon = "combat"; })},
     {"orc\r\nfight\r\norc\r\n"}, {"kill\r\n\r\n"}, {}, {"combat"}},
    {"an echo follows its line, before the rest of the read, and the prompt goes on",
     {.margin = "> ", .localecho = true}, {Pat(kSub, "orc", {"kill orc"})}, {"an orc\r\nnext\r\npro", "mpt\r\n"},
     {"kill orc\r\n\r\n"}, {"> an orc", "> kill orc", "> next", "> prompt", "> "}},
    {"an echo after a gagged line", {.localecho = true},
     {With(Pat(kSub, "orc", {"kill"}), [](auto& p) { p.gag = true; })}, {"a\r\norc\r\nb\r\n"}, {"kill\r\n\r\n"},
     {"a", "kill", "b", ""}},
    {"an echoed erase display still lets later triggers act", {.ansi = true, .localecho = true},
     {Pat(kSub, "orc", {"\x1b[2J"}), Pat(kSub, "orc", {"b"})}, {"orc\r\norc\r\n"},
     {"\x1b[2J\r\n\r\n", "b\r\n\r\n", "\x1b[2J\r\n\r\n", "b\r\n\r\n"}},
    {"local text and echoes never trigger", {.localecho = true}, {Pat(kSub, "orc", {"orc"})},
     {{"orc\r\n", false}, "orc\r\n"}, {"orc\r\n\r\n"}},
    {"a regular expression PCRE2 refuses never fires", {}, {Pat(kRe, "(orc", {"x"}), Pat(kRe, "orc", {"y"})},
     {"(orc\r\n"}, {"y\r\n\r\n"}},
};

TEST(PatternTriggers, KindsAndActionsTable) {
  for (const PatternCase& c : kCases) {
    TermFixture f(c.setup);
    f.options.features.patterns = true;
    f.options.triggers = c.triggers;
    f.options.patterns.groupsoff = c.groupsoff;
    for (const Read& r : c.reads) f.term.WriteText(r.text, r.received);
    EXPECT_EQ(f.socket.writes, c.writes) << c.why;
    if (!c.store.empty()) EXPECT_EQ(f.All(), c.store) << c.why;
  }
}

TEST(PatternTriggers, HighlightsLandOnTheMatchedBytesOfTheShownLine) {
  struct Case {
    const char* why;
    TermSetup setup;
    TPatternTrigger pattern;
    std::string string, line;
    std::vector<RawHighlight> expected;
  };
  TPatternTrigger match, line, substituted;
  match.highlight = HighlightScope::match, match.fgcolor = 0xFF;
  line.highlight = HighlightScope::line, line.bgcolor = 0xFF00;
  substituted = match, substituted.substitute = true, substituted.substitution = "ORCS";
  const Case cases[] = {
      {"every match, past a colour sequence", {.ansi = true}, match, "orc", "An \x1b[31morc, orc",
       {{8, 11, 0xFF, {}}, {13, 16, 0xFF, {}}}},
      {"byte offsets of UTF-8 text", {.utf8 = true}, match, "orc", "Zoë sees an orc", {{13, 16, 0xFF, {}}}},
      {"the whole line, up to its last visible byte", {.ansi = true}, line, "orc", "orc\x1b[0m!\x1b[0m",
       {{0, 8, {}, 0xFF00}}},
      {"on the substituted text", {}, substituted, "orc", "an orc here", {{3, 7, 0xFF, {}}}},
      {"on the substituted text past a colour", {.ansi = true}, substituted, "orc", "an \x1b[31morc\x1b[0m here",
       {{8, 12, 0xFF, {}}}},
  };
  for (const Case& c : cases) {
    TermFixture f(c.setup);
    f.options.features.patterns = true;
    f.options.triggers = {Pat(kSub, c.string)};
    f.options.triggers[0].pattern = c.pattern;
    f.term.WriteText("before\r\n" + c.line + "\r\n", true);
    const auto got = f.term.HighlightsOf(1);
    EXPECT_EQ(std::vector<RawHighlight>(got.begin(), got.end()), c.expected) << c.why;
    EXPECT_TRUE(f.term.HighlightsOf(0).empty()) << c.why;
  }
}

// Gagged lines are logged unless gagged from the log too.
TEST(PatternTriggers, GagFromLog) {
  test::TempDir dir;
  TermFixture f;
  f.options.features.patterns = true;
  f.options.triggers = {With(Pat(kSub, "spam"), [](auto& p) { p.gag = true; }),
                        With(Pat(kSub, "secret"), [](auto& p) { p.gag = p.gaglog = true; })};
  f.term.SetLogFile(dir / "log");
  f.term.WriteText("a\r\nspam\r\nsecret\r\nb\r\n", true);
  EXPECT_EQ(test::ReadBytes(dir / "log"), "a\r\nspam\r\nb\r\n");
  EXPECT_EQ(f.All(), (Lines{"a", "b", ""}));
}

// A pattern that backtracks without end is stopped by PCRE2's limits and
// said once; the terminal goes on.
TEST(PatternTriggers, RunawayPatternIsStoppedAndToldOnce) {
  TermFixture f({.cols = 200'000});
  f.options.features.patterns = true;
  f.options.triggers = {Pat(kRe, "(a+)+b", {"never"}), Pat(kSub, "ok", {"fine"})};
  int statuses = 0;
  struct Counter : TermListener {
    int* n;
    explicit Counter(int* c) : n(c) {}
    void StatusLine(std::string_view) override { ++*n; }
  } counter(&statuses);
  f.term.Listeners().Add(counter);
  // The one pass lets the line through for its "ab"; PCRE2 tries the a's first.
  const std::string line = std::string(100'000, 'a') + "Xab";
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 4; ++i) f.term.WriteText(line + "\r\nok\r\n", true);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(statuses, 1);
  EXPECT_EQ(f.socket.writes, Lines(4, "fine\r\n\r\n"));
}

// However the stream is cut into reads, the store, the highlights and what
// is sent are those of the whole stream in one read: the lines a read
// takes out and puts back never lose or reorder one, nor the line being
// received.
TEST(PatternTriggers, ReadsCutAnywhereGiveTheSameResult) {
  std::mt19937 rng(11);
  const char* words[] = {"orc", "spam", "elf", "\x1b[31m", "\x1b[0m", " ", "x", "\r\n", "\r\n", "\b"};
  for (int round = 0; round < 60; ++round) {
    std::string stream;
    for (int k = 0; k < 80; ++k) stream += words[rng() % std::size(words)];
    const TermSetup setup{.ansi = true, .margin = round % 2 ? "> " : "", .cols = 12, .localecho = true};
    auto run = [&](const std::vector<size_t>& cuts) {
      TermFixture f(setup);
      f.options.features.patterns = true;
      f.options.triggers = {With(Pat(kSub, "spam"), [](auto& p) { p.gag = true; }),
                            With(Pat(kRe, "o(r)c", {"hit"}), [](auto& p) {
                              p.substitute = true, p.substitution = "ORC", p.highlight = HighlightScope::match,
                              p.fgcolor = 1;
                            })};
      size_t from = 0;
      for (size_t cut : cuts) f.term.WriteText(stream.substr(from, cut - from), true), from = cut;
      f.term.WriteText(stream.substr(from), true);
      std::string marks;
      for (int i = 0; i <= f.term.curline(); ++i)
        for (const RawHighlight& h : f.term.HighlightsOf(i))
          marks += std::to_string(i) + ":" + std::to_string(h.begin) + "-" + std::to_string(h.end) + " ";
      return std::make_tuple(DumpStore(f.term.Store()), f.socket.writes, marks);
    };
    const auto whole = run({});
    std::vector<size_t> cuts;
    for (size_t at = 1 + rng() % 9; at < stream.size(); at += 1 + rng() % 9) cuts.push_back(at);
    ASSERT_EQ(run(cuts), whole) << "round " << round;
  }
}

TEST(PatternTriggers, StoredOffsetsAndSubstitutionsOfVisibleText) {
  std::vector<uint32_t> of;
  const std::string stored = "a\x1b[31mbc\x1b[0m";
  VisibleOffsets(stored, false, of);
  EXPECT_EQ(of, (std::vector<uint32_t>{0, 6, 7, 8}));
  EXPECT_EQ(SubstituteStored(stored, of, {{1, 3, "XY"}}), "a\x1b[31mXY\x1b[0m");
  EXPECT_EQ(SubstituteStored(stored, of, {{0, 2, "Z"}}), "Z\x1b[31mc\x1b[0m");
  // At the end of the visible text: before the sequences after it.
  EXPECT_EQ(SubstituteStored(stored, of, {{3, 3, "!"}}), "a\x1b[31mbc!\x1b[0m");
  VisibleOffsets("\x1b[0m", false, of);
  EXPECT_EQ(of, std::vector<uint32_t>{0});
}

}  // namespace
}  // namespace ombrel
