#include "term/pattern_triggers.h"

#include <chrono>
#include <cstring>
#include <numeric>

#include "term/escape.h"

namespace ombrel {

namespace {

// Every terminal shares one cache and one background thread: sets of the
// same triggers compile once, and only one compiles at a time.
PatternDbCache& SharedCache() {
  static PatternDbCache cache;
  return cache;
}

PatternCompiler& SharedCompiler() {
  static PatternCompiler compiler(&SharedCache());
  return compiler;
}

// Calls `piece(from, to)` for each run of visible bytes of a stored line,
// in order: what lies between sequences. A sequence cut off at the end
// hides the rest, as find sees it.
template <class Piece>
void ForEachVisible(std::string_view stored, bool strings, Piece piece) {
  for (size_t i = 0; i < stored.size();) {
    const auto* esc = static_cast<const char*>(std::memchr(stored.data() + i, kEsc, stored.size() - i));
    const size_t at = esc ? static_cast<size_t>(esc - stored.data()) : stored.size();
    if (at > i) piece(i, at);
    if (!esc) return;
    const size_t end = EscapeEnd(stored, at, strings);
    if (end == std::string_view::npos) return;
    i = end + 1;
  }
}

// Where a visible offset lands once the substitutions are made: past those
// that end at or before it; inside a replaced span, at its new start (or,
// for the end of a range, its new end).
uint32_t Shifted(uint32_t pos, const std::vector<Substitution>& substitutions, bool isEnd) {
  int64_t delta = 0;
  for (const Substitution& s : substitutions) {
    const int64_t grown = static_cast<int64_t>(s.text.size()) - (s.end - s.begin);
    if (s.end <= pos) {
      delta += grown;
    } else if (s.begin < pos) {
      return static_cast<uint32_t>(s.begin + delta + (isEnd ? static_cast<int64_t>(s.text.size()) : 0));
    } else {
      break;
    }
  }
  return static_cast<uint32_t>(pos + delta);
}

}  // namespace

void VisibleOffsets(std::string_view stored, bool strings, std::vector<uint32_t>& storedOf) {
  storedOf.clear();
  ForEachVisible(stored, strings, [&](size_t from, size_t to) {
    const size_t at = storedOf.size();
    storedOf.resize(at + (to - from));
    std::iota(storedOf.begin() + static_cast<ptrdiff_t>(at), storedOf.end(), static_cast<uint32_t>(from));
  });
  storedOf.push_back(storedOf.empty() ? 0 : storedOf.back() + 1);
}

std::string SubstituteStored(std::string_view stored, const std::vector<uint32_t>& storedOf,
                             const std::vector<Substitution>& substitutions) {
  const size_t visible = storedOf.size() - 1;
  std::string out;
  size_t at = 0;
  for (const Substitution& s : substitutions) {
    if (s.end > visible || s.begin > s.end) continue;
    const size_t from = storedOf[s.begin];
    const size_t to = s.end > s.begin ? storedOf[s.end - 1] + 1 : from;
    if (from < at) continue;
    out.append(stored.substr(at, from - at));
    out += s.text;
    // A colour changed inside the replaced words still changes it after them.
    for (uint32_t v = s.begin; v + 1 < s.end; ++v)
      out.append(stored.substr(storedOf[v] + 1, storedOf[v + 1] - storedOf[v] - 1));
    at = to;
  }
  out.append(stored.substr(std::min(at, stored.size())));
  return out;
}

void VisibleRuns(std::string_view stored, bool strings, std::vector<VisibleRun>& runs) {
  runs.clear();
  ForEachVisible(stored, strings, [&](size_t from, size_t to) {
    runs.emplace_back(static_cast<uint32_t>(from), static_cast<uint32_t>(to));
  });
}

std::vector<RawHighlight> HighlightsOnStored(const std::vector<Highlight>& highlights,
                                             const std::vector<Substitution>& substitutions,
                                             std::span<const VisibleRun> shownRuns) {
  uint32_t visible = 0;
  for (const auto& [from, to] : shownRuns) visible += to - from;
  // The stored offset of visible byte v (v < visible).
  auto storedOf = [&](uint32_t v) {
    for (const auto& [from, to] : shownRuns) {
      if (v < to - from) return from + v;
      v -= to - from;
    }
    return shownRuns.empty() ? 0 : shownRuns.back().second;
  };
  std::vector<RawHighlight> out;
  for (const Highlight& h : highlights) {
    if (!h.fgcolor && !h.bgcolor) continue;
    const uint32_t begin = std::min(Shifted(h.begin, substitutions, false), visible);
    const uint32_t end = std::min(Shifted(h.end, substitutions, true), visible);
    if (end <= begin) continue;
    out.push_back({storedOf(begin), storedOf(end - 1) + 1, h.fgcolor, h.bgcolor});
  }
  return out;
}

PatternTriggers::PatternTriggers() = default;
PatternTriggers::~PatternTriggers() = default;

const CompiledPatternSet* PatternTriggers::Ready(const TOptions& options) {
  if (options.triggers.empty()) return nullptr;
  if (options.triggers.size() != wanted_.patterns.size() || options.features.utf8 != wanted_.utf8) check_ = true;
  if (check_) {
    check_ = false;
    PatternSetInput input = InputOf(options.triggers, options.features.utf8);
    highlighting_ = std::any_of(options.triggers.begin(), options.triggers.end(),
                                [](const TTrigger& t) { return t.pattern.highlight != HighlightScope::none; });
    if ((!set_ && !compiling_.valid()) || !(input == wanted_)) Compile(std::move(input));
  }
  if (compiling_.valid() && compiling_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    auto done = compiling_.get();
    current_ = done != nullptr;
    if (done) set_ = std::move(done);
    compiling_ = {};
  }
  return set_.get();
}

void PatternTriggers::Compile(PatternSetInput input) {
  wanted_ = std::move(input);
  if (wanted_.patterns.size() <= kCompileNow) {
    // Milliseconds: sooner done than handed over.
    set_ = CompilePatternSet(wanted_, &SharedCache());
    compiling_ = {};
    current_ = true;
  } else {
    compiling_ = SharedCompiler().Compile(wanted_);
    current_ = false;
  }
}

void PatternTriggers::Wait() {
  if (compiling_.valid()) compiling_.wait();
}

bool PatternTriggers::FirstLimitHit(const CompiledPatternSet& set, size_t trigger) {
  if (limitsOf_ != set.Serial()) {
    limitsOf_ = set.Serial();
    limitsTold_.assign(set.Size(), 0);
  }
  if (trigger >= limitsTold_.size() || limitsTold_[trigger]) return false;
  limitsTold_[trigger] = 1;
  return true;
}

void PatternTriggers::AddLine(std::string_view stored, bool strings) {
  // Every line of every read passes here: copied straight into the batch.
  char* out = batch_.Room(stored.size());
  size_t written = 0;
  ForEachVisible(stored, strings, [&](size_t from, size_t to) {
    std::memcpy(out + written, stored.data() + from, to - from);
    written += to - from;
    if (highlighting_) runs_.emplace_back(static_cast<uint32_t>(from), static_cast<uint32_t>(to));
  });
  batch_.Wrote(written);
  batch_.EndLine();
  if (highlighting_) runsOf_.push_back(static_cast<uint32_t>(runs_.size()));
}

void PatternTriggers::Evaluate(const CompiledPatternSet& set, size_t i, TOptions& options, LineEffects& out) {
  EvaluateLine(set, scanner_, batch_.Line(i), candidates_.ForLine(i), options.triggers, options.patterns.groupsoff,
               out, current_ && &set == set_.get());
}

}  // namespace ombrel
