// Matching a compiled pattern set against the lines one read completed:
// one Vectorscan scan over all of them tells which patterns may match which
// line, and only those are then matched exactly, by PCRE2 (JIT) or, for a
// plain literal, by a direct search. PCRE2's match and depth limits end a
// pattern that backtracks without end; such a pattern reports it, and after
// a few times is no longer run on this scanner until the set changes.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "patterns/compiled_set.h"

struct hs_scratch;
struct pcre2_real_match_data_8;
struct pcre2_real_match_context_8;
struct pcre2_real_jit_stack_8;

namespace ombrel {

// The visible texts of the lines of one read, back to back, each followed
// by a line feed (a line holds none of its own). Reused from read to read,
// it keeps its memory.
class LineBatch {
 public:
  void Clear();
  void Add(std::string_view line);
  // A line built from pieces (the colour-free runs of a stored line).
  void Append(std::string_view piece) {
    if (piece.empty()) return;
    std::memcpy(Room(piece.size()), piece.data(), piece.size());
    used_ += piece.size();
  }
  // Or written in place: room for `size` more bytes of the line, of which
  // Wrote says how many were used.
  char* Room(size_t size) {
    if (text_.size() < used_ + size + 1) text_.resize(std::max(2 * text_.size(), used_ + size + 1));
    return text_.data() + used_;
  }
  void Wrote(size_t size) { used_ += size; }
  void EndLine();
  size_t Size() const { return starts_.size(); }
  std::string_view Line(size_t i) const;
  uint32_t Start(size_t i) const { return starts_[i]; }
  // The completed lines with their line feeds; a line being built is not part of it.
  std::string_view Text() const { return std::string_view(text_).substr(0, complete_); }

 private:
  uint32_t End(size_t i) const { return (i + 1 < starts_.size() ? starts_[i + 1] : complete_) - 1; }
  std::string text_;  // its size is room; used_ bytes hold text
  size_t used_ = 0;
  std::vector<uint32_t> starts_;
  uint32_t complete_ = 0;  // bytes of text_ in completed lines
};

// Which patterns may match each line of a batch, in pattern order.
class PatternCandidates {
 public:
  std::span<const uint32_t> ForLine(size_t line) const {
    return std::span<const uint32_t>(patterns_).subspan(lineBegin_[line], lineBegin_[line + 1] - lineBegin_[line]);
  }
  size_t Lines() const { return lineBegin_.empty() ? 0 : lineBegin_.size() - 1; }

 private:
  friend class PatternScanner;
  std::vector<uint64_t> found_;  // line << 32 | pattern, as the scan reports them
  std::vector<uint32_t> patterns_;
  std::vector<uint32_t> lineBegin_;
};

// A byte span of the line; both ends kUnset for a group that took no part.
struct Span {
  static constexpr uint32_t kUnset = UINT32_MAX;
  uint32_t begin = kUnset, end = kUnset;
  bool Set() const { return begin != kUnset; }
  bool operator==(const Span&) const = default;
};
inline constexpr size_t kCaptureGroups = 10;  // %0, the whole match, and %1..%9
using Captures = std::array<Span, kCaptureGroups>;

enum class MatchOutcome : uint8_t {
  none,
  matched,
  limit,  // PCRE2's limits ended the search; what was found before is kept
};

// What one pattern found in one line, for callers that want everything.
struct PatternMatches {
  uint32_t pattern = 0;
  MatchOutcome outcome = MatchOutcome::none;
  std::vector<Captures> matches;
  bool operator==(const PatternMatches&) const = default;
};

class PatternScanner {
 public:
  // Matches after the first of a pattern in a line are searched from where
  // the previous one ended; a line with more than this many stops there.
  static constexpr size_t kMaxMatchesPerLine = 4096;
  // Times a pattern may hit PCRE2's limits before it is no longer run.
  static constexpr int kLimitStrikes = 3;
  // End a pattern that backtracks without end in about ten milliseconds of
  // JIT code, far beyond what a reasonable pattern needs on a long line.
  static constexpr uint32_t kMatchLimit = 1'000'000;
  static constexpr uint32_t kDepthLimit = 100'000;
  static constexpr size_t kJitStack = 1 << 20;

  PatternScanner();
  ~PatternScanner();
  PatternScanner(const PatternScanner&) = delete;
  PatternScanner& operator=(const PatternScanner&) = delete;

  // The one pass: fills `out` with the patterns that may match each line.
  void Scan(const CompiledPatternSet& set, const LineBatch& lines, PatternCandidates& out);
  // The matches of pattern `p` in `line`, appended to `out` (at most `max`).
  MatchOutcome Match(const CompiledPatternSet& set, uint32_t p, std::string_view line, size_t max,
                     std::vector<Captures>& out);
  // Every match of every pattern in every line: Scan, then Match for each
  // candidate. A pattern that matched nowhere in a line is not listed.
  std::vector<std::vector<PatternMatches>> MatchAll(const CompiledPatternSet& set, const LineBatch& lines);

  // The patterns that hit PCRE2's limits since the last call, each once.
  std::vector<uint32_t> TakeLimitHits();

 private:
  void Adopt(const CompiledPatternSet& set);
  MatchOutcome MatchPcre(const CompiledPatternSet& set, uint32_t p, std::string_view line, size_t max,
                         std::vector<Captures>& out);

  hs_scratch* scratch_ = nullptr;
  const void* scratchFor_ = nullptr;  // the database the scratch was sized for
  pcre2_real_match_data_8* matchData_ = nullptr;
  pcre2_real_match_context_8* matchContext_ = nullptr;
  pcre2_real_jit_stack_8* jitStack_ = nullptr;
  uint64_t serial_ = 0;           // of the set the state below belongs to
  std::vector<uint64_t> seenIn_;  // per pattern: scan << 32 | line it was last found in
  uint64_t scans_ = 0;
  std::vector<uint8_t> strikes_;
  std::vector<uint32_t> limitHits_;
  PatternCandidates scratchCandidates_;
  std::string valid_;  // a batch's text with invalid UTF-8 bytes replaced
};

}  // namespace ombrel
