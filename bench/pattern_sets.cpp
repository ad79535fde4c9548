#include "pattern_sets.h"

#include <random>

#include "mud_text.h"

namespace ombrel::bench {

// Words no line of the stream holds, for the triggers a large profile has
// for other places and times.
namespace {

std::vector<std::string> OtherWords(size_t n) {
  static const char* syllables[] = {"zu", "pho", "ny", "xer", "quo", "bly", "wex", "jad", "ovv", "ruk"};
  std::mt19937 rng(3);
  std::vector<std::string> out;
  while (out.size() < n) {
    std::string w;
    for (int i = 0, k = 2 + rng() % 3; i < k; ++i) w += syllables[rng() % 10];
    out.push_back(w);
  }
  return out;
}

TTrigger Trigger(TriggerKind kind, std::string string, bool reply) {
  TTrigger t;
  t.string = std::move(string);
  t.pattern.kind = kind;
  if (reply) {
    t.textenabled = true;
    t.text = {"say %1 (%2)"};
  }
  return t;
}

}  // namespace

// A thousand regular expressions as a player of a busy MUD keeps them:
// prompts, tells, channels, loot, experience, damage taken and dealt, per
// player and per mob, and many for other places that never fire here.
std::vector<TTrigger> MixedRegexes(size_t n) {
  std::vector<TTrigger> t;
  auto add = [&](std::string re, bool reply = true) { t.push_back(Trigger(TriggerKind::regex, std::move(re), reply)); };
  add("^<([1-9]\\d?)hp (\\d+)m (\\d+)mv> ");  // hit points below a hundred
  add("^<(\\d+)hp (\\d+)m ([1-5])mv> ");
  add("^(?:<\\d+hp \\d+m \\d+mv> )?(\\w+) tells you '(.*)'$");
  add("^(?:<[^>]*> )?\\[OOC\\] (\\w+): (.*)$");
  add("^(?:<[^>]*> )?You get (.+) from the corpse of the (.+)\\.$");
  add("You receive (\\d+) experience points\\.");
  add("^(?:<[^>]*> )?The (.+?) hits you for (\\d+) damage\\.$");
  add("Your (\\w+) (?:mauls|decimates|obliterates) the (.+)! \\[(\\d{3,})\\]");
  for (const std::string& p : BusyPlayers()) {
    add("^" + p + " tells you '(.*)'$");
    add("^" + p + " (arrives from the|leaves) (\\w+)\\.$");
  }
  for (const std::string& m : BusyMobs()) add("^(?:<[^>]*> )?The " + m + " hits you for (\\d+) damage");
  const std::vector<std::string> words = OtherWords(n);
  const std::string shapes[] = {"^You feel (\\w+) @",       "@ (?:says|yells) '(.*)'", "\\b@s?\\b",
                                "^Your @ (?:breaks|shatters)", "(\\d+) @ coins?",        "^(\\w+) bows to @",
                                "@(?! is dead)",             "^@ (\\w+) (\\w+)$",       "The @ (?:is|are) (\\w+)\\.",
                                "^\\[@\\] (\\w+): (.*)$",     "(\\w+) hugs @\\b"};
  for (size_t i = 0; t.size() < n; ++i) {
    std::string re = shapes[i % std::size(shapes)];
    re.replace(re.find('@'), 1, words[i]);
    add(re);
  }
  return t;
}

// Ten thousand triggers as a large profile has them: mostly words to
// highlight (names of players, mobs and items among many others, some
// ignoring case), lines to catch by their start or whole, and half the
// regular expressions above.
std::vector<TTrigger> LargeProfile(size_t n) {
  std::vector<TTrigger> t = MixedRegexes(n / 20);
  const std::vector<std::string> words = OtherWords(n);
  for (size_t i = 0; i < n / 20; ++i)
    t.push_back(Trigger(i % 2 ? TriggerKind::linestart : TriggerKind::wholeline, "Your " + words[i] + " glows.", false));
  std::vector<std::string> seen = BusyPlayers();
  for (const std::string& m : BusyMobs()) seen.push_back(m);
  for (const std::string& item : BusyItems()) seen.push_back(item.substr(item.find(' ') + 1));
  for (size_t i = 0; t.size() < n; ++i) {
    TTrigger h = Trigger(TriggerKind::substring, i < seen.size() ? seen[i] : words[i], false);
    h.pattern.ignorecase = i % 3 == 0;
    h.pattern.highlight = HighlightScope::match;
    h.pattern.fgcolor = 0x00FFFF;
    t.push_back(h);
  }
  return t;
}

std::vector<TTrigger> SetOf(int64_t n) { return n <= 1000 ? MixedRegexes(n) : LargeProfile(n); }

}  // namespace ombrel::bench
