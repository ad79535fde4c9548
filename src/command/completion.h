// Tab completion in the command line: the words of the last thousand lines
// received, the newest first. Tab completes the word before the cursor,
// Tab again gives the next older word that fits, then the word as typed,
// then round again; any other key starts afresh.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ombrel {

// Whether a character belongs to a word: letters and digits of any script,
// the underscore and combining marks; not punctuation, symbols, spaces or
// emoji. Without UTF-8 a byte is a Latin-1 character.
bool IsWordCharacter(char32_t cp, bool utf8);

// Where the word that ends at `cursor` (a byte offset) starts; `cursor`
// itself when none does.
size_t WordStartBefore(std::string_view text, size_t cursor, bool utf8);

// The lines a Tab reads its words from. A line costs a copy into the room
// of the one it replaces (a few nanoseconds); the words are found when a
// Tab asks, which reading the thousand lines takes well under a millisecond.
class WordIndex {
 public:
  static constexpr size_t kLines = 1000;
  // Longer runs are no words anyone types (encoded data, a row of letters).
  static constexpr size_t kLongestWord = 64;

  // A completed line's visible text, sequences taken out. The line a
  // thousand lines back is forgotten.
  void AddLine(std::string_view visibleText);
  // The words longer than `prefix` that start with it, letters of either
  // case alike, each as last spelled, the most recently seen first.
  std::vector<std::string> Complete(std::string_view prefix, bool utf8) const;
  void Clear();

  // The words of `text`, in order; a single letter is none.
  static void WordsOf(std::string_view text, bool utf8, std::vector<std::string_view>& words);
  // Letters of either case alike, each character as many bytes as before.
  static void Fold(std::string_view word, bool utf8, std::string& out);

 private:
  std::vector<std::string> lines_;  // a ring of the kept lines
  size_t next_ = 0;
  size_t kept_ = 0;
};

struct LineEdit {
  std::string text;
  size_t cursor = 0;  // a byte offset
  bool operator==(const LineEdit&) const = default;
};

class TabCompletion {
 public:
  // Tab in a command line holding `text` with the cursor at byte `cursor`.
  // Nothing when no word ends there or none fits: the line stays.
  std::optional<LineEdit> Tab(const WordIndex& index, std::string_view text, size_t cursor, bool utf8);
  // Any other key: the next Tab completes afresh.
  void Reset() { cycle_.clear(); }

 private:
  std::vector<std::string> cycle_;  // the words that fit, then the word as typed
  size_t next_ = 0;
  std::string head_, tail_;  // the line before the word and after the cursor
  LineEdit left_;            // the line as the last Tab left it
};

}  // namespace ombrel
