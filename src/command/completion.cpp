#include "command/completion.h"

#include <algorithm>
#include <unordered_set>

#include "util/utf8.h"

namespace ombrel {

namespace {

// ASCII letters, digits and the underscore.
constexpr bool kAsciiWord[128] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0,
    0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1,
    0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0,
};

bool In(char32_t cp, char32_t first, char32_t last) { return cp >= first && cp <= last; }

// The characters beyond ASCII that are no part of a word, by block: what
// MUD text holds of them is quotes, dashes, arrows, box drawing and emoji.
// Combining marks are not among them: they belong to the letter before.
bool IsNonWord(char32_t cp) {
  if (In(cp, 0x80, 0xBF)) return cp != 0xAA && cp != 0xB5 && cp != 0xBA;  // Latin-1 signs, not its letters
  return cp == 0xD7 || cp == 0xF7 ||                                       // times, divide
         In(cp, 0x2000, 0x2BFF) ||                                         // punctuation, symbols, arrows, boxes
         In(cp, 0x3000, 0x303F) ||                                         // CJK punctuation
         In(cp, 0xE000, 0xF8FF) ||                                         // private use
         In(cp, 0xFE10, 0xFE6F) ||                                         // vertical and small forms
         In(cp, 0xFF00, 0xFF0F) || In(cp, 0xFF1A, 0xFF20) || In(cp, 0xFF3B, 0xFF40) ||
         In(cp, 0xFF5B, 0xFF65) ||                                         // fullwidth punctuation
         cp == utf8::kReplacement ||                                       // a byte that is no character
         In(cp, 0x1F000, 0x1FAFF);                                         // emoji and pictographs
}

void PutFolded(std::string& out, size_t at, char32_t folded, size_t len) {
  // FoldCase pairs only forms of equal length.
  if (len == 1) {
    out[at] = static_cast<char>(folded);
  } else {
    out[at] = static_cast<char>(0xC0 | (folded >> 6));
    out[at + 1] = static_cast<char>(0x80 | (folded & 0x3F));
  }
}

}  // namespace

bool IsWordCharacter(char32_t cp, bool utf8) {
  if (cp < 0x80) return kAsciiWord[cp];
  return (utf8 || cp <= 0xFF) && !IsNonWord(cp);
}

size_t WordStartBefore(std::string_view text, size_t cursor, bool utf8) {
  size_t start = std::min(cursor, text.size());
  while (start > 0) {
    size_t from = start - 1;
    char32_t cp = static_cast<unsigned char>(text[from]);
    if (utf8 && cp >= 0x80) {
      // Back to the character's first byte; a byte that ends no whole
      // character is no letter.
      size_t lead = from;
      while (lead > 0 && start - lead < 4 && utf8::IsContinuation(static_cast<unsigned char>(text[lead]))) --lead;
      if (lead + utf8::Decode(text.data(), start, lead, cp) == start) from = lead;
      else cp = utf8::kReplacement;
    }
    if (!IsWordCharacter(cp, utf8)) break;
    start = from;
  }
  return start;
}

void WordIndex::Fold(std::string_view word, bool utf8, std::string& out) {
  out.assign(word);
  char32_t cp;
  for (size_t i = 0; i < word.size();) {
    const size_t len = utf8 ? utf8::Decode(word.data(), word.size(), i, cp) : 1;
    if (!utf8) cp = static_cast<unsigned char>(word[i]);
    const char32_t folded = utf8::FoldCase(cp);
    if (folded != cp) PutFolded(out, i, folded, len);
    i += len;
  }
}
void WordIndex::AddLine(std::string_view visibleText) {
  if (lines_.empty()) lines_.resize(kLines);
  // Kept as it came, in the room of the line it replaces: a Tab is rare,
  // a line is not, so the words are found when a Tab asks for them.
  lines_[next_].assign(visibleText);
  next_ = (next_ + 1) % kLines;
  kept_ = std::min(kept_ + 1, kLines);
}

void WordIndex::WordsOf(std::string_view text, bool utf8, std::vector<std::string_view>& words) {
  words.clear();
  const size_t n = text.size();
  char32_t cp;
  // The length of the character at i when it belongs to a word, else 0;
  // ASCII by table.
  const auto letter = [&](size_t i) -> size_t {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) return kAsciiWord[b];
    const size_t len = utf8 ? utf8::Decode(text.data(), n, i, cp) : 1;
    if (!utf8) cp = b;
    return IsWordCharacter(cp, utf8) ? len : 0;
  };
  for (size_t i = 0; i < n;) {
    size_t len = letter(i);
    if (len == 0) {
      // Past the whole character, which is no letter.
      i += utf8 && static_cast<unsigned char>(text[i]) >= 0x80 ? utf8::Decode(text.data(), n, i, cp) : 1;
      continue;
    }
    const size_t start = i;
    size_t letters = 0;
    for (; i < n && (len = letter(i)) > 0; i += len) ++letters;
    // A single letter completes nothing.
    if (letters > 1 && i - start <= kLongestWord) words.push_back(text.substr(start, i - start));
  }
}

std::vector<std::string> WordIndex::Complete(std::string_view prefix, bool utf8) const {
  std::vector<std::string> out;
  if (prefix.empty()) return out;
  std::string key, folded;
  Fold(prefix, utf8, key);
  std::unordered_set<std::string> seen;
  std::vector<std::string_view> words;
  // The newest line first, and in a line the last word first: the first
  // time a word is met is the last time it was seen, as it was spelled.
  for (size_t k = 1; k <= kept_; ++k) {
    WordsOf(lines_[(next_ + kLines - k) % kLines], utf8, words);
    for (auto w = words.rbegin(); w != words.rend(); ++w) {
      // Folding keeps every character's length.
      if (w->size() <= key.size()) continue;
      Fold(*w, utf8, folded);
      if (folded.starts_with(key) && seen.insert(folded).second) out.emplace_back(*w);
    }
  }
  return out;
}

void WordIndex::Clear() {
  lines_.clear();
  next_ = 0;
  kept_ = 0;
}

std::optional<LineEdit> TabCompletion::Tab(const WordIndex& index, std::string_view text, size_t cursor,
                                           bool utf8) {
  const bool again = !cycle_.empty() && text == left_.text && cursor == left_.cursor;
  if (!again) {
    cycle_.clear();
    cursor = std::min(cursor, text.size());
    const size_t start = WordStartBefore(text, cursor, utf8);
    if (start == cursor) return std::nullopt;
    const std::string_view typed = text.substr(start, cursor - start);
    cycle_ = index.Complete(typed, utf8);
    if (cycle_.empty()) return std::nullopt;
    cycle_.emplace_back(typed);
    next_ = 0;
    head_.assign(text.substr(0, start));
    tail_.assign(text.substr(cursor));
  }
  const std::string& word = cycle_[next_];
  next_ = (next_ + 1) % cycle_.size();
  left_ = {head_ + word + tail_, head_.size() + word.size()};
  return left_;
}

}  // namespace ombrel
