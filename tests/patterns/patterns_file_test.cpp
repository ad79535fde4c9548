// patterns.dat: records round-trip byte for byte, sets and triggers of the
// same name keep their own, what this version does not know is kept, and
// an unreadable file is never written over.
#include <gtest/gtest.h>

#include <random>

#include "file_fixture.h"
#include "patterns/patterns_file.h"

namespace ombrel {
namespace {

// The same sets and triggers with the classic defaults, as options.dat
// alone would load them.
TOptionSetList Classic(const TOptionSetList& list) {
  TOptionSetList copy;
  for (int i = 0; i < list.Count(); ++i) {
    auto set = std::make_unique<TOptions>(list.At(i));
    set->patterns = {};
    for (TTrigger& t : set->triggers) t.pattern = {};
    copy.Add(std::move(set));
  }
  return copy;
}

TEST(PatternsFile, RandomRecordsRoundTripByteForByte) {
  std::mt19937 rng(5);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  auto text = [&] {
    static const char* words[] = {"", "combat", "a\tb", "%1 hits", "caf\xc3\xa9", "x"};
    return std::string(words[pick(6)]);
  };
  for (int round = 0; round < 200; ++round) {
    TOptionSetList list;
    for (int s = 0, n = 1 + pick(4); s < n; ++s) {
      TOptions& set = list.AddNew(pick(2) ? "Twin" : "Set" + std::to_string(s));
      if (pick(3) == 0) set.patterns.groupsoff = {"combat", "travel"};
      if (pick(4) == 0) set.patterns.unknown = {"#later\t1"};
      for (int t = 0, m = pick(5); t < m; ++t) {
        TTrigger trigger;
        trigger.name = pick(2) ? "same" : "t" + std::to_string(t);
        trigger.string = "x";
        if (pick(3)) {
          TPatternTrigger& x = trigger.pattern;
          x.kind = static_cast<TriggerKind>(pick(4));
          x.highlight = static_cast<HighlightScope>(pick(3));
          x.ignorecase = pick(2), x.gag = pick(2), x.gaglog = pick(2), x.substitute = pick(2);
          x.stop = pick(2), x.once = pick(2), x.enabled = pick(2);
          if (pick(2)) x.fgcolor = static_cast<Color>(rng());
          if (pick(2)) x.bgcolor = pick(2) ? 0u : 0xFFFFFFFFu;
          x.substitution = text(), x.group = text(), x.groupon = text(), x.groupoff = text();
          if (pick(4) == 0) x.unknown = {"#sound2\tbell.wav"};
        }
        set.triggers.push_back(trigger);
      }
    }
    const std::string file = FormatSetPatterns(list, {});
    TOptionSetList back = Classic(list);
    const KeptPatternSets kept = ParseSetPatterns(file, back);
    for (int i = 0; i < list.Count(); ++i) ASSERT_EQ(back.At(i), list.At(i)) << "round " << round << "\n" << file;
    EXPECT_TRUE(kept.sets.empty() && kept.triggers.empty());
    EXPECT_EQ(FormatSetPatterns(back, kept), file);
  }
}

TEST(PatternsFile, KeysAreWrittenAsTheProgramNamesThem) {
  TOptionSetList list;
  TTrigger t;
  t.name = "tell";
  t.pattern = {.kind = TriggerKind::regex, .ignorecase = true, .highlight = HighlightScope::match, .fgcolor = 255,
               .substitution = "%1\tsays", .group = "chat"};
  list.AddNew("MUD").triggers = {TTrigger{.name = "plain"}, t};
  list.At(0).patterns.groupsoff = {"combat"};
  EXPECT_EQ(FormatSetPatterns(list, {}),
            "#optionset\tMUD\r\n#disabledgroup\tcombat\r\n#trigger\ttell\r\n#kind\tregex\r\n#highlight\tmatch\r\n"
            "#ignorecase\t1\r\n#gag\t0\r\n#gaglog\t0\r\n#substitute\t0\r\n#stop\t0\r\n#once\t0\r\n#enabled\t1\r\n"
            "#fgcolor\t255\r\n#substitution\t%1\tsays\r\n#group\tchat\r\n#groupon\t\r\n#groupoff\t\r\n");
}

TEST(PatternsFile, WhatThisVersionDoesNotKnowIsKept) {
  const std::string file =
      "; written by a later version\r\n"
      "#optionset\tMUD\r\n#newsetkey\t3\r\n"
      "#trigger\ttell\r\n#kind\tfuzzy\r\n#gag\t1\r\n#colourscheme\tdark\r\n"
      "#trigger\tgone\r\n#gag\t1\r\n"
      "#optionset\tOther\r\n#trigger\tx\r\n#stop\t1\r\n";
  TOptionSetList list;
  list.AddNew("MUD").triggers = {TTrigger{.name = "tell"}};
  KeptPatternSets kept = ParseSetPatterns(file, list);
  const TPatternTrigger& tell = list.At(0).triggers[0].pattern;
  EXPECT_TRUE(tell.gag);
  EXPECT_EQ(tell.kind, TriggerKind::substring);  // a kind it cannot read stays the default...
  EXPECT_EQ(tell.unknown, (Lines{"#kind\tfuzzy", "#colourscheme\tdark"}));  // ...and its line is kept
  EXPECT_EQ(list.At(0).patterns.unknown, Lines{"#newsetkey\t3"});
  const std::string saved = FormatSetPatterns(list, kept);
  for (const char* line : {"; written by a later version\r\n", "#kind\tfuzzy\r\n", "#colourscheme\tdark\r\n",
                           "#newsetkey\t3\r\n", "#trigger\tgone\r\n#gag\t1\r\n", "#optionset\tOther\r\n#trigger\tx\r\n#stop\t1\r\n"})
    EXPECT_NE(saved.find(line), std::string::npos) << line;
  // A trigger made later under the kept one's name takes its place and its
  // own record: the kept section goes.
  list.At(0).triggers.push_back(TTrigger{.name = "gone"});
  const std::string replaced = FormatSetPatterns(list, kept);
  EXPECT_EQ(replaced.find("#trigger\tgone\r\n#gag\t1"), std::string::npos);
  TOptionSetList again = Classic(list);
  ParseSetPatterns(replaced, again);
  EXPECT_EQ(again.At(0).triggers[1].pattern, TPatternTrigger());
}

TEST(PatternsFile, TriggersOfOneNameKeepTheirOwnRecords) {
  TOptionSetList list;
  TOptions& set = list.AddNew("MUD");
  set.triggers = {TTrigger{.name = "hp"}, TTrigger{.name = "hp"}, TTrigger{.name = "hp"}};
  set.triggers[1].pattern.gag = true;  // the first has nothing to say, but is named
  TOptionSetList back = Classic(list);
  ParseSetPatterns(FormatSetPatterns(list, {}), back);
  EXPECT_EQ(back.At(0).triggers[0].pattern, TPatternTrigger());
  EXPECT_TRUE(back.At(0).triggers[1].pattern.gag);
  EXPECT_EQ(back.At(0).triggers[2].pattern, TPatternTrigger());
}

TEST(PatternsFile, AnUnreadableFileIsLeftAloneAndTheSaveSaysSo) {
  test::TempDir dir;
  const std::string path = dir / "patterns.dat";
  TOptionSetList list;
  list.AddNew("MUD").triggers = {TTrigger{.name = "t"}};
  EXPECT_TRUE(SaveSetPatterns(path, list, {}).ok);  // nothing to keep: no file made
  EXPECT_FALSE(std::filesystem::exists(path));
  std::filesystem::create_directory(path);  // a file that cannot be read
  KeptPatternSets kept;
  EXPECT_FALSE(LoadSetPatterns(path, list, kept).ok);
  EXPECT_TRUE(SaveSetPatterns(path, list, kept).ok);
  list.At(0).triggers[0].pattern.stop = true;
  const WriteResult w = SaveSetPatterns(path, list, kept);
  EXPECT_FALSE(w.ok);
  EXPECT_NE(w.error.find("not written over"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

}  // namespace
}  // namespace ombrel
