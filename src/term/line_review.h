// Reading the output back by keys, as a screen reader's user does: a
// review line that moves up and down the lines that say something (blank
// ones are passed over, so a step never reads "blank"), jumps to the
// newest, and the newest line said again without moving.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace ombrel {

enum class ReviewKey { Previous, Next, Oldest, Newest, RepeatNewest };

// The keys, as virtual key codes with the modifier bits of the command
// line (command/key_map.h): Alt with Up, Down, Home, End and Left, which
// nothing else takes.
std::optional<ReviewKey> ReviewKeyOf(int virtualKey, unsigned modifiers);

struct ReviewStep {
  int32_t line = -1;  // the line read; -1: nothing to read
  bool edge = false;  // the review could go no further that way
};

class LineReview {
 public:
  // Whether line `index` (0 <= index < count) says anything.
  using HasText = std::function<bool(int32_t index)>;

  // Moves as `key` says over lines 0 to count - 1 and tells which to read.
  ReviewStep Press(ReviewKey key, int32_t count, const HasText& hasText);
  // The store was emptied: the review starts again from the newest line.
  void Reset() { line_ = -1; }
  int32_t Line() const { return line_; }

 private:
  // The nearest line with text from `from` on, stepping by `step`; -1 if none.
  static int32_t Find(int32_t from, int step, int32_t count, const HasText& hasText);

  int32_t line_ = -1;  // -1: not moved yet, as if just below the newest
};

}  // namespace ombrel
