// A terminal's pattern triggers: the compiled set of its option set's
// triggers (compiled at once when small, else in the background, the old
// set matching meanwhile), the lines of one read matched in one pass, and
// what their effects do to the stored text: a substitution rewrites it, a
// highlight becomes a range of its bytes to paint in other colours.
#pragma once

#include <future>
#include <memory>
#include <span>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "options/options.h"
#include "patterns/compiled_set.h"
#include "patterns/pattern_compiler.h"
#include "patterns/trigger_actions.h"
#include "term/line_highlights.h"

namespace ombrel {

// For each visible byte of a stored line (its text without sequences, as
// the triggers match it), where it is in the stored text; one entry more
// for the end of the visible text.
void VisibleOffsets(std::string_view stored, bool strings, std::vector<uint32_t>& storedOf);

// The stored text with the substitutions (in visible offsets) made; the
// sequences inside a replaced span stay, after the new text.
std::string SubstituteStored(std::string_view stored, const std::vector<uint32_t>& storedOf,
                             const std::vector<Substitution>& substitutions);

// The runs of visible bytes of a stored line, in order: [from, to) of the
// stored text for each stretch between sequences.
using VisibleRun = std::pair<uint32_t, uint32_t>;
void VisibleRuns(std::string_view stored, bool strings, std::vector<VisibleRun>& runs);

// Highlights of the visible text as matched, placed on the stored text the
// line ends up with: `shown` (the stored text after `substitutions`) with
// `shownRuns` its VisibleRuns.
std::vector<RawHighlight> HighlightsOnStored(const std::vector<Highlight>& highlights,
                                             const std::vector<Substitution>& substitutions,
                                             std::span<const VisibleRun> shownRuns);

class PatternTriggers {
 public:
  // Sets of more patterns than this compile in the background.
  static constexpr size_t kCompileNow = 200;

  PatternTriggers();
  ~PatternTriggers();

  // The set to match with, for `options`' triggers as they are or were
  // last looked at: null until a first one is compiled.
  const CompiledPatternSet* Ready(const TOptions& options);
  // The triggers may have been edited: they are looked at again at the next
  // read. Otherwise only a changed count or UTF-8 switch is noticed, as
  // comparing thousands of patterns on every read would cost the time the
  // one pass saves.
  void Changed() { check_ = true; }
  // Waits for a set being compiled in the background (benchmarks, tests).
  void Wait();

  // --- one read's lines
  void Begin() {
    batch_.Clear();
    runs_.clear();
    runsOf_.assign(1, 0);
  }
  void AddLine(std::string_view stored, bool strings);
  // VisibleRuns of the i-th line added, as AddLine saw it: kept only while
  // some trigger highlights.
  bool KeptRuns() const { return highlighting_; }
  std::span<const VisibleRun> RunsOf(size_t i) const {
    return std::span<const VisibleRun>(runs_).subspan(runsOf_[i], runsOf_[i + 1] - runsOf_[i]);
  }
  void Scan(const CompiledPatternSet& set) { scanner_.Scan(set, batch_, candidates_); }
  std::string_view VisibleLine(size_t i) const { return batch_.Line(i); }
  void Evaluate(const CompiledPatternSet& set, size_t i, TOptions& options, LineEffects& out);

  // Whether this is the first time the trigger's pattern reached PCRE2's
  // limits with this set: the terminal says so once.
  bool FirstLimitHit(const CompiledPatternSet& set, size_t trigger);

  // The batch's scratch, kept from read to read.
  std::vector<int32_t> lines;  // in the store, as completed
  LineEffects effects;


 private:
  void Compile(PatternSetInput input);

  std::shared_ptr<const CompiledPatternSet> set_;
  // set_ was compiled from the triggers as they were last looked at, so
  // evaluating need not compare each one with its compiled pattern.
  bool current_ = false;
  bool highlighting_ = false;  // some trigger highlights
  std::shared_future<PatternCompiler::Result> compiling_;
  PatternSetInput wanted_;
  bool check_ = true;
  PatternScanner scanner_;
  LineBatch batch_;
  // Where each run of visible bytes of the batch's lines lies in its
  // stored line (from, to); runsOf_[i] is line i's first.
  std::vector<VisibleRun> runs_;
  std::vector<uint32_t> runsOf_;
  PatternCandidates candidates_;
  uint64_t limitsOf_ = 0;            // the serial of the set limitsTold_ is for
  std::vector<uint8_t> limitsTold_;  // per trigger
};

}  // namespace ombrel
