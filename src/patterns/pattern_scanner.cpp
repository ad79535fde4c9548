#define PCRE2_CODE_UNIT_WIDTH 8
#include "patterns/pattern_scanner.h"

#include <hs.h>
#include <pcre2.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "util/utf8.h"

namespace ombrel {

namespace {

bool IsLimit(int rc) {
  return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
         rc == PCRE2_ERROR_JIT_STACKLIMIT;
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

bool SameFolded(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return Fold(x) == Fold(y); });
}

size_t Find(std::string_view line, std::string_view text, size_t from, bool fold) {
  if (!fold) return line.find(text, from);
  if (text.size() > line.size()) return std::string_view::npos;
  const char first = Fold(text[0]);
  for (size_t i = from; i + text.size() <= line.size(); ++i)
    if (Fold(line[i]) == first && SameFolded(line.substr(i, text.size()), text)) return i;
  return std::string_view::npos;
}

// Where the first byte lies that starts no valid UTF-8 character.
size_t FirstInvalid(std::string_view s, size_t from) {
  size_t i = from;
  while (i < s.size()) {
    uint64_t eight;
    if (i + 8 <= s.size() && (std::memcpy(&eight, s.data() + i, 8), (eight & 0x8080808080808080ull) == 0)) {
      i += 8;
      continue;
    }
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const size_t length = utf8::Decode(s.data(), s.size(), i, cp);
    if (length == 1) return i;
    i += length;
  }
  return std::string_view::npos;
}

struct ScanContext {
  const LineBatch* lines;
  std::vector<uint64_t>* found;
  std::vector<uint64_t>* seenIn;
  uint64_t scan;
  size_t line = 0;
};

}  // namespace

// --- LineBatch -----------------------------------------------------------

void LineBatch::Clear() {
  used_ = 0;
  starts_.clear();
  complete_ = 0;
}

void LineBatch::Add(std::string_view line) {
  Append(line);
  EndLine();
}

void LineBatch::EndLine() {
  starts_.push_back(complete_);
  *Room(1) = '\n';
  complete_ = static_cast<uint32_t>(++used_);
}

std::string_view LineBatch::Line(size_t i) const {
  return std::string_view(text_).substr(starts_[i], End(i) - starts_[i]);
}

// --- PatternScanner ------------------------------------------------------

PatternScanner::PatternScanner() {
  matchData_ = pcre2_match_data_create(kCaptureGroups, nullptr);
  matchContext_ = pcre2_match_context_create(nullptr);
  jitStack_ = pcre2_jit_stack_create(32 * 1024, kJitStack, nullptr);
  if (!matchData_ || !matchContext_) throw std::bad_alloc();
  pcre2_set_match_limit(matchContext_, kMatchLimit);
  pcre2_set_depth_limit(matchContext_, kDepthLimit);
  if (jitStack_) pcre2_jit_stack_assign(matchContext_, nullptr, jitStack_);
}

PatternScanner::~PatternScanner() {
  hs_free_scratch(scratch_);
  pcre2_match_data_free(matchData_);
  pcre2_match_context_free(matchContext_);
  pcre2_jit_stack_free(jitStack_);
}

void PatternScanner::Adopt(const CompiledPatternSet& set) {
  if (set.Serial() != serial_) {
    serial_ = set.Serial();
    seenIn_.assign(set.Size(), UINT64_MAX);
    strikes_.assign(set.Size(), 0);
    limitHits_.clear();
  }
  if (set.db_ && set.db_->get() != scratchFor_) {
    // One scratch grows to serve every database it has met.
    if (hs_alloc_scratch(set.db_->get(), &scratch_) != HS_SUCCESS) throw std::bad_alloc();
    scratchFor_ = set.db_->get();
  }
}

void PatternScanner::Scan(const CompiledPatternSet& set, const LineBatch& lines, PatternCandidates& out) {
  Adopt(set);
  out.found_.clear();
  ++scans_;
  std::string_view text = lines.Text();
  if (set.utf8_) {
    // Vectorscan is not made for invalid UTF-8, where PCRE2 lets no
    // character match. A line feed in place of each such byte matches no
    // more than that for either: no line is lost, and the line a match ends
    // in is known by offsets, not by line feeds.
    size_t bad = FirstInvalid(text, 0);
    if (bad != std::string_view::npos) {
      valid_.assign(text);
      for (; bad != std::string_view::npos; bad = FirstInvalid(text, bad + 1)) valid_[bad] = '\n';
      text = valid_;
    }
  }
  if (set.db_ && lines.Size()) {
    ScanContext ctx{&lines, &out.found_, &seenIn_, scans_ << 32};
    auto onMatch = [](unsigned id, unsigned long long, unsigned long long to, unsigned, void* context) -> int {
      auto& c = *static_cast<ScanContext*>(context);
      // A match belongs to the line it ends in; reports come nearly in order.
      const size_t n = c.lines->Size();
      while (c.line + 1 < n && to >= c.lines->Start(c.line + 1)) ++c.line;
      while (c.line > 0 && to < c.lines->Start(c.line)) --c.line;
      const uint64_t tag = c.scan | c.line;
      uint64_t& seen = (*c.seenIn)[id];
      if (seen != tag) {
        seen = tag;
        c.found->push_back(static_cast<uint64_t>(c.line) << 32 | id);
      }
      return 0;
    };
    hs_scan(set.db_->get(), text.data(), static_cast<unsigned>(text.size()), 0, scratch_, onMatch, &ctx);
  }
  for (uint32_t p : set.everyLine_)
    for (size_t i = 0; i < lines.Size(); ++i) out.found_.push_back(static_cast<uint64_t>(i) << 32 | p);
  std::sort(out.found_.begin(), out.found_.end());
  out.found_.erase(std::unique(out.found_.begin(), out.found_.end()), out.found_.end());
  out.patterns_.clear();
  out.lineBegin_.assign(lines.Size() + 1, 0);
  for (uint64_t f : out.found_) {
    out.patterns_.push_back(static_cast<uint32_t>(f));
    ++out.lineBegin_[(f >> 32) + 1];
  }
  for (size_t i = 1; i < out.lineBegin_.size(); ++i) out.lineBegin_[i] += out.lineBegin_[i - 1];
}

MatchOutcome PatternScanner::Match(const CompiledPatternSet& set, uint32_t p, std::string_view line, size_t max,
                                   std::vector<Captures>& out) {
  Adopt(set);
  const CompiledPatternSet::Entry& e = set.entries_[p];
  if (e.filter == PatternFilter::never || max == 0) return MatchOutcome::none;
  if (strikes_[p] >= kLimitStrikes) return MatchOutcome::limit;
  if (!e.direct) return MatchPcre(set, p, line, max, out);
  const std::string& text = e.pattern.text;
  const bool fold = e.pattern.ignorecase;
  const size_t before = out.size();
  auto add = [&out](size_t at, size_t size) {
    Captures c;
    c[0] = {static_cast<uint32_t>(at), static_cast<uint32_t>(at + size)};
    out.push_back(c);
  };
  switch (e.pattern.kind) {
    case TriggerKind::substring:
      for (size_t at = Find(line, text, 0, fold); at != std::string_view::npos && out.size() - before < max;
           at = Find(line, text, at + text.size(), fold))
        add(at, text.size());
      break;
    case TriggerKind::linestart:
      if (line.size() >= text.size() && Find(line.substr(0, text.size()), text, 0, fold) == 0) add(0, text.size());
      break;
    case TriggerKind::wholeline:
      if (line.size() == text.size() && Find(line, text, 0, fold) == 0) add(0, text.size());
      break;
    case TriggerKind::regex:
      break;
  }
  return out.size() > before ? MatchOutcome::matched : MatchOutcome::none;
}

MatchOutcome PatternScanner::MatchPcre(const CompiledPatternSet& set, uint32_t p, std::string_view line, size_t max,
                                       std::vector<Captures>& out) {
  const CompiledPatternSet::Entry& e = set.entries_[p];
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(line.data());
  // A literal anchored at the line's start matches there once.
  const bool once = e.pattern.kind == TriggerKind::linestart || e.pattern.kind == TriggerKind::wholeline;
  auto nextChar = [&](size_t i) {
    ++i;
    if (set.utf8_)
      while (i < line.size() && (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) ++i;
    return i;
  };
  const size_t before = out.size();
  size_t start = 0;
  while (out.size() - before < max) {
    const int rc = e.code->jitted()
                       ? pcre2_jit_match(e.code->get(), subject, line.size(), start, 0, matchData_, matchContext_)
                       : pcre2_match(e.code->get(), subject, line.size(), start, 0, matchData_, matchContext_);
    if (rc < 0) {
      if (!IsLimit(rc)) break;
      ++strikes_[p];
      if (std::find(limitHits_.begin(), limitHits_.end(), p) == limitHits_.end()) limitHits_.push_back(p);
      return MatchOutcome::limit;
    }
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(matchData_);
    // PCRE2's interpreter may anchor a literal after an invalid UTF-8
    // sequence instead of at the start.
    if (once && (ov[0] != 0 || (e.pattern.kind == TriggerKind::wholeline && ov[1] != line.size()))) break;
    const size_t groups = rc == 0 ? kCaptureGroups : std::min<size_t>(rc, kCaptureGroups);
    Captures c;
    for (size_t g = 0; g < groups; ++g)
      if (ov[2 * g] != PCRE2_UNSET) c[g] = {static_cast<uint32_t>(ov[2 * g]), static_cast<uint32_t>(ov[2 * g + 1])};
    out.push_back(c);
    if (once) break;
    size_t next = ov[1] > ov[0] ? ov[1] : nextChar(ov[1]);
    if (next <= start) next = nextChar(start);
    if (next > line.size()) break;
    start = next;
  }
  return out.size() > before ? MatchOutcome::matched : MatchOutcome::none;
}

std::vector<std::vector<PatternMatches>> PatternScanner::MatchAll(const CompiledPatternSet& set,
                                                                   const LineBatch& lines) {
  Scan(set, lines, scratchCandidates_);
  std::vector<std::vector<PatternMatches>> result(lines.Size());
  for (size_t i = 0; i < lines.Size(); ++i) {
    for (uint32_t p : scratchCandidates_.ForLine(i)) {
      PatternMatches m;
      m.pattern = p;
      m.outcome = Match(set, p, lines.Line(i), kMaxMatchesPerLine, m.matches);
      if (m.outcome != MatchOutcome::none) result[i].push_back(std::move(m));
    }
  }
  return result;
}

std::vector<uint32_t> PatternScanner::TakeLimitHits() {
  std::vector<uint32_t> hits;
  hits.swap(limitHits_);
  return hits;
}

}  // namespace ombrel
