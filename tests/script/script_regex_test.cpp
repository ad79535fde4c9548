// A trigger's regular expression finds the same lines whether or not the
// literal its matches need is looked for first, in the line or in the line
// as received.
#include <gtest/gtest.h>

#include <random>

#include "script/script_regex.h"

namespace ombrel {
namespace {

TEST(ScriptRegex, QuickRejectionNeverMissesAMatch) {
  const char* tokens[] = {"a", "b", "ab", " ", ".", "\\.", "\\(", "\\)", "\\w", "\\d", "[a)]", "[]a]", "[^b]",
                          "(", ")", "*", "+", "?", "{2}", "{1,3}", "*?", "^", "$", "\\\\", "}", "{", "x{"};
  std::mt19937 rng(28);
  int compared = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string pattern;
    for (int n = 1 + rng() % 8; n > 0; --n) pattern += tokens[rng() % std::size(tokens)];
    std::string error;
    auto fast = ScriptRegex::Compile(pattern, false, error);
    // A pattern with an option group is never pre-filtered: the reference.
    auto plain = ScriptRegex::Compile("(?:)" + pattern, false, error);
    if (!fast || !plain) continue;
    for (int k = 0; k < 5; ++k) {
      std::string subject;
      for (int n = rng() % 12; n > 0; --n) subject += "ab .()]{}\\x2"[rng() % 12];
      if (k == 0) subject = pattern;
      std::vector<ScriptRegex::Span> a, b;
      ASSERT_EQ(fast->Match(subject, a), plain->Match(subject, b)) << pattern << " on " << subject;
      ++compared;
      // The same text as received, colour sequences among its characters:
      // a line it matches is never ruled out before they are taken out.
      std::string raw;
      for (char c : subject) raw += (rng() % 3 == 0 ? "\x1b[1;3" + std::to_string(rng() % 8) + "m" : "") + c;
      if (rng() % 2) raw = "\x1b[0m" + raw;
      if (!a.empty()) ASSERT_TRUE(fast->MayMatchWithin(raw)) << pattern << " in " << raw;
      if (!a.empty()) ASSERT_TRUE(fast->MayMatchWithin(subject)) << pattern << " in " << subject;
    }
  }
  EXPECT_GT(compared, 20000);
  // Lines that match though they lack a run of the pattern's characters.
  const std::pair<const char*, const char*> tricky[] = {
      {"(\\)ab)?cd", "cd"}, {"(a\\(b)?cd", "cd"}, {"ab*cd", "acd"}, {"ab?c", "ac"}, {"xa{0}yz", "xyz"},
      {"x[ab)]*yz", "xyz"}, {"[]ab]?cd", "cd"}, {"\\.ab?", ".a"}, {"(ab|cd)ef", "cdef"}, {"(?i)AB", "ab"},
      {"a\\Qb*\\Ec", "ab*c"}, {"ab\\Kcd", "abcd"}, {"x(?=ab)", "xab"}, {"(a)\\1bc", "aabc"},
  };
  for (const auto& [pattern, line] : tricky) {
    std::string error;
    auto regex = ScriptRegex::Compile(pattern, false, error);
    std::vector<ScriptRegex::Span> groups;
    EXPECT_TRUE(regex && regex->Match(line, groups)) << pattern << " " << error;
  }
}

}  // namespace
}  // namespace ombrel
