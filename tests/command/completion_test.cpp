#include <gtest/gtest.h>

#include <cstring>

#include "command/completion.h"
#include "command/history_search.h"

namespace ombrel {
namespace {

using Words = std::vector<std::string>;

WordIndex Indexed(const Words& lines) {
  WordIndex index;
  for (const std::string& line : lines) index.AddLine(line);
  return index;
}

TEST(WordIndex, WordsThatFitNewestFirstAsLastSpelled) {
  const Words mud = {"The goblin guard hits you.", "You get a gold coin, 3 gems.", "A Goblin-king arrives!"};
  const Words intl = {"Zoë tells Élodie “bonjour” — café…", "日本語です。", "na\xEFve"};
  const std::tuple<const Words&, bool, std::string, Words, const char*> rows[] = {
      {mud, false, "GO", {"Goblin", "gold"}, "newest first, as last spelled; a hyphen ends a word"},
      {mud, false, "goblin", {}, "a word is no completion of itself"},
      {mud, false, "g", {"Goblin", "gems", "gold", "get", "guard"}, "each word once; later in a line is newer"},
      {intl, true, "bon", {"bonjour"}, "curly quotes are no letters, nor dashes and ellipses"},
      {intl, true, "日本", {"日本語です"}, "CJK letters, not its full stop"},
      {intl, true, "éL", {"Élodie"}, "capitals beyond ASCII fold too"},
      {intl, true, "na", {}, "an invalid byte ends a word under UTF-8"},
      {intl, false, "na", {"na\xEFve"}, "in Latin-1 it is a letter"},
      {intl, false, "zo", {"Zo\xC3"}, "in Latin-1 the second byte of ë is a sign"},
  };
  for (const auto& [lines, utf8, prefix, expected, why] : rows)
    EXPECT_EQ(Indexed(lines).Complete(prefix, utf8), expected) << why;
  WordIndex index = Indexed({"dragon wyvern"});
  for (size_t k = 1; k < WordIndex::kLines; ++k) index.AddLine(k == 500 ? "a wyvern" : "x");
  EXPECT_EQ(index.Complete("dr", false), Words{"dragon"});
  index.AddLine("x");
  EXPECT_EQ(index.Complete("dr", false), Words{}) << "its line is forgotten";
  EXPECT_EQ(index.Complete("wy", false), Words{"wyvern"}) << "seen again later";
  // Tab cycles through the words that fit, then what was typed.
  index = Indexed({"a gold coin", "the Goblin"});
  TabCompletion tab;
  std::vector<LineEdit> seen;
  for (LineEdit at{"kill go now", 7}; seen.size() < 4;) seen.push_back(at = *tab.Tab(index, at.text, at.cursor, true));
  EXPECT_EQ(seen, (std::vector<LineEdit>{{"kill Goblin now", 11}, {"kill gold now", 9}, {"kill go now", 7},
                                         {"kill Goblin now", 11}}));
  // Typed in between: the word is now "Goblinx", which nothing completes.
  EXPECT_EQ(tab.Tab(index, "kill Goblinx now", 12, true), std::nullopt);
  for (auto [text, utf8, start] : {std::tuple("tell Zoë", true, 5), {"tell Zoë", false, 9}, {"say “Zo", true, 7},
                                   {"x\xA9" "ab", true, 2}, {"x\xC3", true, 2}})
    EXPECT_EQ(WordStartBefore(text, std::strlen(text), utf8), size_t(start)) << text;
}

TEST(HistorySearch, NarrowsGoesOlderUndoesAndRestores) {
  CommandHistory history;
  for (const char* line : {"look", "kill goblin", "say hello", "kill orc", "kill orc", "inventory"}) history.HistoryAdd(line, 50);
  // Keys: Ctrl+R as R, Backspace <, Escape E, Enter A, else typed; the line shown, whether failing.
  const std::tuple<std::string, std::string, bool> rows[] = {
      {"R", "typed", false},       {"Rk", "kill orc", false},    {"RkiR", "kill goblin", false},
      {"RkRR", "look", false},     {"RkRRR", "look", true},      {"RkRRR<", "look", false},
      {"Rkill g", "kill goblin", false}, {"Rkill g<", "kill orc", false}, {"Rkz", "kill orc", true},
      {"RR", "typed", false},      {"RkE", "typed", false},      {"RkA", "kill orc", false}, {"RhelERR", "say hello", false},
  };
  for (const auto& [keys, shown, failing] : rows) {
    HistorySearch search(history);
    std::string line;
    for (char c : keys)
      c == 'R' ? search.CtrlR("typed") : c == '<' ? search.Backspace() : c == 'E' ? void(line = search.Cancel())
      : c == 'A' ? void(line = search.Accept()) : search.Type({&c, 1});
    EXPECT_EQ(std::pair(search.Active() ? search.Shown() : line, search.Failing()), std::pair(shown, failing)) << keys;
  }
}

}  // namespace
}  // namespace ombrel
