// What firing triggers do to a line: replies with captures, sounds, gag,
// highlights, substitutions, stop, fire once and groups.
#include <gtest/gtest.h>

#include "patterns/trigger_actions.h"

namespace ombrel {
namespace {

using K = TriggerKind;

TTrigger Make(K kind, std::string string, TPatternTrigger x = {}) {
  TTrigger t;
  t.string = std::move(string);
  t.pattern = std::move(x);
  t.pattern.kind = kind;
  return t;
}

TTrigger Reply(K kind, std::string string, Lines text) {
  TTrigger t = Make(kind, std::move(string));
  t.textenabled = true;
  t.text = std::move(text);
  return t;
}

struct Run {
  std::vector<TTrigger> triggers;
  Lines groupsoff;
  std::vector<LineEffects> effects;
};

// The lines as one read, each evaluated in turn. `compiled`, when given, is
// what the set was compiled from (a set not yet recompiled).
Run Evaluate(std::vector<TTrigger> triggers, const std::vector<std::string>& lines, Lines groupsoff = {},
             const std::vector<TTrigger>* compiled = nullptr) {
  Run run{std::move(triggers), std::move(groupsoff), {}};
  auto set = CompilePatternSet(InputOf(compiled ? *compiled : run.triggers, false));
  LineBatch batch;
  for (const std::string& l : lines) batch.Add(l);
  PatternScanner scanner;
  PatternCandidates candidates;
  scanner.Scan(*set, batch, candidates);
  for (size_t i = 0; i < lines.size(); ++i) {
    run.effects.emplace_back();
    EvaluateLine(*set, scanner, batch.Line(i), candidates.ForLine(i), run.triggers, run.groupsoff, run.effects.back());
  }
  return run;
}

std::vector<size_t> Fired(const LineEffects& e) {
  std::vector<size_t> out;
  for (const FiredTrigger& f : e.fired) out.push_back(f.trigger);
  return out;
}

TEST(TriggerActions, RepliesCarryTheCapturesOfTheFirstMatch) {
  const auto run = Evaluate({Reply(K::regex, "^(\\w+) tells you '(.*)'$", {"tell %1 got '%2'", "100%% %x %9"}),
                             Reply(K::substring, "tells", {"%0 heard"})},
                            {"Aldric tells you 'meet me'"});
  ASSERT_EQ(run.effects[0].fired.size(), 2u);
  EXPECT_EQ(run.effects[0].fired[0].reply, "tell Aldric got 'meet me'\r\n100% %x \r\n");
  EXPECT_TRUE(run.effects[0].fired[0].send);
  EXPECT_EQ(run.effects[0].fired[1].reply, "tells heard\r\n");
}

TEST(TriggerActions, PercentSignsOtherThanCapturesStayAsTheyAre) {
  Captures c;
  c[1] = {0, 3};
  const struct {
    const char* text;
    const char* filled;
  } rows[] = {{"50%", "50%"}, {"%%1", "%1"}, {"%a%", "%a%"}, {"%1%1", "orcorc"}, {"%2.", "."}, {"", ""}};
  for (const auto& r : rows) EXPECT_EQ(FillCaptures(r.text, "orcs", c), r.filled) << r.text;
}

TEST(TriggerActions, EachActionHasItsEffect) {
  const Color red = 0x0000FF, blue = 0xFF0000;
  TTrigger sound = Make(K::substring, "bell");
  sound.soundenabled = true;
  sound.soundfile = "bell.wav";
  struct Row {
    std::vector<TTrigger> triggers;
    std::string line;
    LineEffects want;
    std::string why;
  };
  auto fired = [](std::initializer_list<size_t> ks) {
    std::vector<FiredTrigger> f;
    for (size_t k : ks) f.push_back(FiredTrigger{.trigger = k});
    return f;
  };
  const Row rows[] = {
      {{sound}, "a bell rings", {.fired = {{.trigger = 0, .sound = "bell.wav"}}}, "a sound"},
      {{Make(K::substring, "spam", {.gag = true})}, "spam spam", {.gag = true, .fired = fired({0})}, "gagged, still logged"},
      {{Make(K::substring, "spam", {.gag = true, .gaglog = true})}, "spam", {.gag = true, .gaglog = true, .fired = fired({0})},
       "gagged from the log too"},
      {{Make(K::substring, "spam", {.gaglog = true})}, "spam", {.fired = fired({0})}, "gag from log alone gags nothing"},
      {{Make(K::substring, "orc", {.highlight = HighlightScope::match, .fgcolor = red})},
       "orc and orc",
       {.highlights = {{0, 3, red, {}}, {8, 11, red, {}}}, .fired = fired({0})},
       "each match highlighted"},
      {{Make(K::regex, "x*", {.highlight = HighlightScope::match, .fgcolor = red})}, "ab", {.fired = fired({0})},
       "empty matches colour nothing"},
      {{Make(K::linestart, "You", {.highlight = HighlightScope::line, .fgcolor = red, .bgcolor = blue})},
       "You die",
       {.highlights = {{0, 7, red, blue}}, .fired = fired({0})},
       "the whole line"},
      {{Make(K::regex, "(\\d+) gold", {.substitute = true, .substitution = "%1 GOLD"})},
       "get 12 gold, 3 gold",
       {.substitutions = {{4, 11, "12 GOLD"}, {13, 19, "3 GOLD"}}, .fired = fired({0})},
       "each match substituted, captures filled"},
      {{Make(K::substring, "gold coins", {.substitute = true, .substitution = "GC"}),
        Make(K::substring, "coins", {.substitute = true, .substitution = "C"}),
        Make(K::substring, "get", {.substitute = true, .substitution = ""})},
       "get gold coins",
       {.substitutions = {{0, 3, ""}, {4, 14, "GC"}}, .fired = fired({0, 1, 2})},
       "an overlapping later substitution gives way"},
      {{Make(K::regex, "^", {.substitute = true, .substitution = "[!] "})},
       "hi",
       {.substitutions = {{0, 0, "[!] "}}, .fired = fired({0})},
       "an empty match inserts"},
      {{Make(K::substring, "orc", {.stop = true}), Make(K::substring, "orc")}, "orc", {.fired = fired({0})},
       "stop: later triggers are not evaluated"},
      {{Make(K::substring, "elf", {.stop = true}), Make(K::substring, "orc")}, "orc", {.fired = fired({1})},
       "a stop that does not fire stops nothing"},
      {{Make(K::substring, "orc", {.enabled = false}), Make(K::substring, "orc")}, "orc", {.fired = fired({1})},
       "a switched off trigger does not fire"},
      {{Make(K::substring, "orc", {.group = "combat"}), Make(K::substring, "orc", {.group = "chat"})}, "orc",
       {.fired = fired({1})}, "nor one of a group switched off"},
      {{Make(K::regex, "(a+)+b|c"), Make(K::substring, "c")}, std::string(100'000, 'a') + "c",
       {.fired = fired({1}), .limitHits = {0}}, "a pattern PCRE2's limits end does not fire; it is said"},
  };
  for (const Row& r : rows) {
    const auto run = Evaluate(r.triggers, {r.line}, {"combat"});
    EXPECT_EQ(run.effects[0], r.want) << r.why;
  }
  const auto subs = Evaluate({rows[8].triggers}, {rows[8].line}).effects[0].substitutions;
  EXPECT_EQ(Substituted(rows[8].line, subs), " GC");
}

TEST(TriggerActions, FireOnceAndGroupSwitchesReachLaterTriggersAndLines) {
  auto run = Evaluate({Make(K::substring, "orc", {.once = true}),
                       Make(K::substring, "You attack", {.groupon = "combat"}),
                       Make(K::substring, "orc", {.group = "combat"}),
                       Make(K::substring, "You flee", {.groupoff = "combat"})},
                      {"orc", "You attack the orc", "the orc", "You flee", "the orc"}, {"combat"});
  EXPECT_EQ(Fired(run.effects[0]), std::vector<size_t>{0});
  EXPECT_EQ(run.effects[0].switchedOff, std::vector<size_t>{0});
  EXPECT_FALSE(run.triggers[0].pattern.enabled);
  EXPECT_EQ(Fired(run.effects[1]), (std::vector<size_t>{1, 2}));  // on at once, for the trigger after it
  EXPECT_TRUE(run.effects[1].groupsChanged);
  EXPECT_EQ(Fired(run.effects[2]), std::vector<size_t>{2});
  EXPECT_EQ(Fired(run.effects[3]), std::vector<size_t>{3});
  EXPECT_TRUE(run.effects[4].fired.empty());
  EXPECT_EQ(run.groupsoff, Lines{"combat"});
}

TEST(TriggerActions, ATriggerChangedSinceTheSetCompiledWaitsForTheNewSet) {
  const std::vector<TTrigger> compiled = {Make(K::substring, "orc"), Make(K::substring, "elf")};
  std::vector<TTrigger> now = compiled;
  now[0].string = "troll";
  now[1].pattern.gag = true;  // what a match does may change; what matches may not
  const auto run = Evaluate(now, {"orc elf troll"}, {}, &compiled);
  EXPECT_EQ(Fired(run.effects[0]), std::vector<size_t>{1});
  EXPECT_TRUE(run.effects[0].gag);
}

}  // namespace
}  // namespace ombrel
