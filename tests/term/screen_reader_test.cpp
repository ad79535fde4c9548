#include <gtest/gtest.h>

#include <random>

#include "command/key_map.h"
#include "term/announce_throttle.h"
#include "term/line_review.h"
#include "term/reader_text.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using testing::TermFixture;

// Lines as a reader hears them: colour sequences gone, UTF-8 decoded only
// under the switch (an emoji is two units, as Qt counts), each byte one
// character without it.
TEST(ReaderText, LinesAreStrippedAndDecodedAsTheSetShowsThem) {
  struct Case {
    const char* why;
    std::string received;
    bool utf8;
    std::u16string line0;
  };
  const Case cases[] = {
      {"colours go", "\x1b[1;31mred\x1b[0m text\r\n", false, u"red text"},
      {"bytes are characters without UTF-8", "z\xc3\xab\r\n", false, u"z\u00c3\u00ab"},
      {"UTF-8 decoded under the switch", "z\xc3\xab\r\n", true, u"z\u00eb"},
      {"beyond the plane: a surrogate pair", "\xf0\x9f\x98\x80!\r\n", true, u"\U0001F600!"},
      {"an invalid byte is one replacement", "a\xff" "b\r\n", true, u"a\ufffdb"},
  };
  for (const Case& c : cases) {
    TermFixture f({.ansi = true, .utf8 = c.utf8});
    f.term.WriteText(c.received, true);
    ReaderText text(f.term.Store(), c.utf8, false);
    EXPECT_EQ(text.Line(0), c.line0) << c.why;
    EXPECT_EQ(text.Length(), static_cast<int64_t>(c.line0.size()) + 1) << c.why;  // and the empty current line
  }
}

// Positions found through the checkpoints agree with counting every line,
// for every offset, while lines keep arriving after the first questions
// and after the store is emptied.
TEST(ReaderText, PositionsMatchCountingEveryLine) {
  TermFixture f({.ansi = true, .utf8 = true});
  ReaderText text(f.term.Store(), true, false);
  std::mt19937 random(7);
  const char* pieces[] = {"ab", "\x1b[32m", "\xc3\xab", "\xf0\x9f\x98\x80", "", " "};
  auto addLines = [&](int n) {
    for (int i = 0; i < n; ++i) {
      std::string line;
      for (int k = random() % 5; k > 0; --k) line += pieces[random() % 6];
      f.term.WriteText(line + "\r\n", true);
    }
    f.term.WriteText("prompt> ", true);
  };
  auto check = [&] {
    std::vector<int> lineOf;
    int64_t start = 0;
    for (int i = 0; i < text.LineCount(); ++i) {
      ASSERT_EQ(text.LineStart(i), start) << "line " << i;
      const int64_t units = static_cast<int64_t>(text.Line(i).size()) + 1;
      lineOf.insert(lineOf.end(), static_cast<size_t>(units), i);
      start += units;
    }
    ASSERT_EQ(text.Length(), start - 1);
    for (size_t offset = 0; offset < lineOf.size(); ++offset)
      ASSERT_EQ(text.LineAt(static_cast<int64_t>(offset)), lineOf[offset]) << "offset " << offset;
    EXPECT_EQ(text.LineAt(start + 5), text.LineCount() - 1);
  };
  addLines(150);
  check();
  addLines(300);  // past checkpoints already made
  check();
  f.term.ClearTerminal();
  text.Reset();
  addLines(70);
  check();
}

// The review passes over blank lines, stops at both ends saying so, jumps
// to the newest, and repeating the newest does not move it.
TEST(LineReview, StepsOverTheLinesThatSaySomething) {
  const std::vector<std::string> lines = {"first", "", "second", "  ", "third", ""};
  auto hasText = [&](int32_t i) { return lines[static_cast<size_t>(i)].find_first_not_of(' ') != std::string::npos; };
  using K = ReviewKey;
  struct Case {
    const char* why;
    std::vector<K> keys;
    int32_t line;
    bool edge;
  };
  const Case cases[] = {
      {"the first step up reads the newest", {K::Previous}, 4, false},
      {"three steps up read the last three", {K::Previous, K::Previous, K::Previous}, 0, false},
      {"past the oldest: stays, at the edge", {K::Oldest, K::Previous}, 0, true},
      {"down from the oldest skips the blank", {K::Oldest, K::Next}, 2, false},
      {"past the newest: stays, at the edge", {K::Newest, K::Next}, 4, true},
      {"down before any step: the newest, at the edge", {K::Next}, 4, true},
      {"repeat reads the newest and keeps the review", {K::Oldest, K::RepeatNewest, K::Next}, 2, false},
  };
  for (const Case& c : cases) {
    LineReview review;
    ReviewStep step;
    for (K key : c.keys) step = review.Press(key, static_cast<int32_t>(lines.size()), hasText);
    EXPECT_EQ(step.line, c.line) << c.why;
    EXPECT_EQ(step.edge, c.edge) << c.why;
  }
  LineReview review;
  EXPECT_EQ(review.Press(K::Previous, 3, [](int32_t) { return false; }).line, -1) << "nothing to read";
}

// Alt alone with the arrows, Home and End reviews; with anything more the
// keys keep what they did (history, scrolling, the start of the buffer).
TEST(LineReview, AltWithTheArrowsReviews) {
  const struct {
    KeyCode key;
    unsigned mods;
    std::optional<ReviewKey> review;
  } cases[] = {
      {KeyCode::kUp, kModAlt, ReviewKey::Previous},     {KeyCode::kDown, kModAlt, ReviewKey::Next},
      {KeyCode::kHome, kModAlt, ReviewKey::Oldest},     {KeyCode::kEnd, kModAlt, ReviewKey::Newest},
      {KeyCode::kLeft, kModAlt, ReviewKey::RepeatNewest}, {KeyCode::kUp, 0, std::nullopt},
      {KeyCode::kUp, kModAlt | kModCtrl, std::nullopt}, {KeyCode::kHome, kModAlt | kModShift, std::nullopt},
      {KeyCode::kPageUp, kModAlt, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReviewKeyOf(static_cast<int>(c.key), c.mods), c.review) << static_cast<int>(c.key) << " " << c.mods;
}

// A few lines a window are spoken, the rest told once as a count when the
// window ends (one line held is said itself); the next line after that is
// spoken again.
TEST(AnnounceThrottle, AFloodBecomesACount) {
  AnnounceThrottle throttle(2, 1000);
  std::string heard;
  auto line = [&](int64_t t) { heard += throttle.Admit(t) ? "S" : "h"; };
  auto tick = [&](int64_t t) {
    const std::string s = AnnounceThrottle::Summary(throttle.TakeHeld(t), "last");
    if (!s.empty()) heard += "[" + s + "]";
  };
  line(0), line(10), line(20), line(30), tick(999), tick(1000), tick(1001);
  line(1500), line(1600), line(2400), line(2600), line(2700);
  tick(3000), tick(3400);
  line(5000), line(5001), line(5002), tick(6000);
  EXPECT_EQ(heard, "SShh[2 more lines]SShhh[3 more lines]SSh[last]");
  EXPECT_EQ(throttle.SummaryDue(), -1);
}

}  // namespace
}  // namespace ombrel
