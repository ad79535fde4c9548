#include <gtest/gtest.h>

#include <random>

#include "file_fixture.h"
#include "term/trigger_filter.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using namespace testing;

TTrigger TextTrigger(const std::string& string, Lines text) { return {string, string, true, false, text, ""}; }

struct TriggerCase {
  const char* why;
  TermSetup setup;
  std::vector<std::pair<std::string, Lines>> triggers;  // string, text
  std::vector<Read> reads;
  Lines writes;
};

const TriggerCase kTriggers[] = {
    {"the stored text, escapes and all, must hold the string; an empty one never fires",
     {.ansi = true}, {{"hungry", {"a"}}, {"are hungry", {"b"}}, {"", {"never"}}},
     {"You are \x1b[31mhungry\r\n"}, {"a\r\n\r\n"}},
    {"case counts", {}, {{"hungry", {"a"}}}, {"you are Hungry\r\n"}, {}},
    {"local text never triggers", {}, {{"hungry", {"a"}}}, {{"are hungry\r\n", false}}, {}},
    {"only a completed line", {}, {{"Password:", {"c"}}}, {"Password:", "\r\n"}, {"c\r\n\r\n"}},
    {"wrapped parts are examined separately", {.cols = 10},
     {{"danger", {"flee"}}, {"dan ger", {"never"}}}, {"big dan ger danger\r\n"}, {"flee\r\n\r\n"}},
    {"an echoed erase display silences no later trigger", {.ansi = true, .localecho = true},
     {{"orc", {"\x1b[2J"}}, {"orc", {"b"}}}, {"orc\r\n"}, {"\x1b[2J\r\n\r\n", "b\r\n\r\n"}},
    {"byte 255 goes as it is without telnet", {}, {{"x", {"\xff"}}}, {"x\r\n"}, {"\xff\r\n\r\n"}},
    {"and doubled with it", {.telnet = true}, {{"x", {"\xff"}}}, {"x\r\n"}, {"\xff\xff\r\n\r\n"}},
};

TEST(Triggers, Table) {
  for (const auto& c : kTriggers) {
    TermFixture f(c.setup);
    for (const auto& [string, text] : c.triggers) f.options.triggers.push_back(TextTrigger(string, text));
    for (const auto& r : c.reads) f.term.WriteText(r.text, r.received);
    EXPECT_EQ(f.socket.writes, c.writes) << c.why;
  }
}

// A missing sound file is passed over quietly; a player failing is
// reported once and the read goes on.
TEST(Triggers, MatchingTriggersActInListOrderAndSoundProblemsNeverDisturbTheRead) {
  test::TempDir dir;
  const std::string wav = dir / "bell.wav";
  test::WriteBytes(wav, "RIFF");
  TermFixture f;
  f.options.triggers.push_back(TextTrigger("hungry", {"eat bread"}));
  f.options.triggers.push_back({"bell", "You are", false, true, {}, wav});
  f.options.triggers.push_back(TextTrigger("are", {}));
  f.term.WriteText("You are hungry, hungry\r\n", true);
  EXPECT_EQ(f.socket.writes, (Lines{"eat bread\r\n\r\n", "\r\n"}));
  EXPECT_EQ(f.player.played, Lines{wav});

  f.options.triggers.resize(2);
  f.options.triggers[1].soundfile = wav + ".missing";
  f.term.WriteText("You are\r\n", true);
  EXPECT_EQ(f.player.played.size(), 1u);
  f.options.triggers[1].soundfile = wav;
  f.player.fail = true;
  f.term.WriteText("You are\r\nafter one\r\nafter two", true);
  EXPECT_EQ(f.errors.size(), 1u);
  EXPECT_EQ(f.All(), (Lines{"You are hungry, hungry", "You are", "You are", "after one", "after two"}));
}

TEST(Triggers, LocalEchoReentersAndLeavesTheStoreConsistent) {
  TermFixture f({.margin = "> ", .cols = 12, .localecho = true});
  f.options.triggers.push_back(TextTrigger("orc", {"kill orc", "loot"}));
  // The trigger fires on a wrapped part in the middle of a read; the echo
  // lands right after that line and the read goes on after it.
  f.term.WriteText("An orc here, attacks you.\r\nnext", true);
  EXPECT_EQ(f.All(), (Lines{"> An orc ", "> kill orc", "> loot", "> here, ", "> attacks ", "> you.",
                            "> next"}));
  EXPECT_EQ(f.socket.writes, Lines{"kill orc\r\nloot\r\n\r\n"});
  // The echo itself never fires a trigger.
  f.options.triggers[0].text = {"orc again"};
  f.term.WriteText("\r\norc\r\n", true);
  EXPECT_EQ(f.socket.writes.size(), 2u);
  EXPECT_EQ(f.All().back(), "> ");
}

// The filter is exact: a trigger matches when, and only when, its string
// occurs in the line. Strings share starts and probe bytes, are one byte,
// empty, or more than the three bytes searched at once.
TEST(TriggerFilter, AgreesWithASubstringSearch) {
  std::mt19937 rng(5);
  const std::string alphabet = "Yoyu a.1\x1b[m";
  auto random = [&](size_t most) {
    std::string s(rng() % most, ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<TTrigger> triggers(rng() % 12);
    for (auto& t : triggers) t.string = (rng() % 3) ? "You a" + random(6) : random(4);
    TriggerFilter filter;
    filter.Update(triggers);
    for (int k = 0; k < 20; ++k) {
      const std::string line = random(40);
      const bool any = filter.Scan(line);
      bool expectedAny = false;
      for (size_t t = 0; t < triggers.size(); ++t) {
        const bool expected = !triggers[t].string.empty() && line.find(triggers[t].string) != std::string::npos;
        ASSERT_EQ(filter.Matches()[t] != 0, expected) << "[" << triggers[t].string << "] in [" << line << "]";
        expectedAny = expectedAny || expected;
      }
      ASSERT_EQ(any, expectedAny);
    }
  }
}

}  // namespace
}  // namespace ombrel
