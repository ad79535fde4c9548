#include "term/line_review.h"

#include "command/key_map.h"

namespace ombrel {

std::optional<ReviewKey> ReviewKeyOf(int virtualKey, unsigned modifiers) {
  if ((modifiers & (kModAlt | kModCtrl | kModShift)) != kModAlt) return std::nullopt;
  switch (static_cast<KeyCode>(virtualKey)) {
    case KeyCode::kUp: return ReviewKey::Previous;
    case KeyCode::kDown: return ReviewKey::Next;
    case KeyCode::kHome: return ReviewKey::Oldest;
    case KeyCode::kEnd: return ReviewKey::Newest;
    case KeyCode::kLeft: return ReviewKey::RepeatNewest;
    default: return std::nullopt;
  }
}

// Blank lines are passed over, but not without end: a flood of empty lines
// must not hold the window.
constexpr int32_t kMaxSkipped = 10000;

int32_t LineReview::Find(int32_t from, int step, int32_t count, const HasText& hasText) {
  for (int32_t i = from, seen = 0; i >= 0 && i < count && seen < kMaxSkipped; i += step, ++seen)
    if (hasText(i)) return i;
  return -1;
}

ReviewStep LineReview::Press(ReviewKey key, int32_t count, const HasText& hasText) {
  if (line_ >= count) line_ = -1;
  const int32_t newest = Find(count - 1, -1, count, hasText);
  int32_t found = -1;
  switch (key) {
    case ReviewKey::RepeatNewest:
      return {newest, false};
    case ReviewKey::Newest:
      found = newest;
      break;
    case ReviewKey::Oldest:
      found = Find(0, 1, count, hasText);
      break;
    case ReviewKey::Previous:
      found = line_ < 0 ? newest : Find(line_ - 1, -1, count, hasText);
      break;
    case ReviewKey::Next:
      found = line_ < 0 ? -1 : Find(line_ + 1, 1, count, hasText);
      break;
  }
  if (found < 0) return {line_ < 0 ? newest : line_, true};
  line_ = found;
  return {found, false};
}

}  // namespace ombrel
