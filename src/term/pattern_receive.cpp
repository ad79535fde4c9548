// Pattern triggers on the receive path: the lines one read completes are
// matched in one pass once the read is stored, and then, line by line in
// order, logged (unless gagged from the log), told to listeners, rewritten
// in the store when gagged or substituted, coloured where highlighted,
// and their triggers' texts echoed right after them and sent.
#include <climits>
#include <exception>
#include <filesystem>

#include "command/iac.h"
#include "term/pattern_triggers.h"
#include "term/term_core.h"

namespace ombrel {

void TermCore::PatternTriggersChanged() {
  if (patterns_) patterns_->Changed();
}

void TermCore::HighlightVisible(int32_t line, const std::vector<Highlight>& ranges) {
  if (line != (inPatternBatch_ ? told_ : store_.CurLine() - 1)) return;
  thread_local std::vector<VisibleRun> runs;
  VisibleRuns(store_.Line(line).text, options_ && options_->features.extendedcolours, runs);
  highlights_.Add(line, HighlightsOnStored(ranges, {}, runs));
}

void TermCore::WaitForPatterns() {
  if (!patterns_ || !options_) return;
  patterns_->Ready(*options_);
  patterns_->Wait();
}

void TermCore::RunPatternTriggers() {
  if (patternLines_.empty() || inPatternBatch_) return;
  if (!patterns_) patterns_ = std::make_unique<PatternTriggers>();
  inPatternBatch_ = true;
  std::vector<int32_t>& lines = patterns_->lines;
  lines.swap(patternLines_);
  patternLines_.clear();
  const CompiledPatternSet* set = patterns_->Ready(*options_);
  const bool strings = options_->features.extendedcolours;
  if (set) {
    patterns_->Begin();
    for (int32_t line : lines) patterns_->AddLine(store_.Line(line).text, strings);
    patterns_->Scan(*set);
  }
  LineEffects& effects = patterns_->effects;
  effects.Clear();
  std::vector<size_t> limits;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (set) patterns_->Evaluate(*set, i, *options_, effects);
    // An echo that erased the display took the rest of the read with it;
    // its triggers still act.
    if (!rewrite_.cleared) StorePatternLine(lines[i], set ? i : SIZE_MAX, effects);
    for (const FiredTrigger& fired : effects.fired) {
      if (fired.send) FirePatternTrigger(lines[i], fired.reply, options_->localecho);
      std::error_code ec;
      if (!fired.sound.empty() && player_ && std::filesystem::exists(fired.sound, ec)) {
        try {
          player_->Play(fired.sound);
        } catch (const std::exception& e) {
          ErrorBox(e.what(), "Ombrel Error");
        }
      }
    }
    for (size_t k : effects.limitHits)
      if (set && patterns_->FirstLimitHit(*set, k)) limits.push_back(k);
  }
  if (rewrite_.active && !rewrite_.cleared) RestorePatternTail(INT32_MAX);
  ReattachCurrentLine();
  rewrite_ = PatternRewrite();
  inPatternBatch_ = false;
  for (size_t k : limits)
    Status("Trigger \"" + options_->triggers[k].name + "\" took too long on a line and was stopped.");
}

void TermCore::StorePatternLine(int32_t original, size_t inBatch, const LineEffects& effects) {
  if (rewrite_.active) RestorePatternTail(original);
  const LineStore::Record record = rewrite_.active ? rewrite_.tail[rewrite_.next] : store_.RecordAt(original);
  const std::string_view stored = store_.TextOf(record);
  if (logfile_ && !effects.gaglog) LogLine(stored, store_.StartOf(record));
  if (!rewrite_.active && (effects.gag || !effects.substitutions.empty())) BeginPatternRewrite(original);
  if (rewrite_.active) ++rewrite_.next;
  if (effects.gag) return;
  std::string_view shown = stored;
  thread_local std::vector<uint32_t> offsets;
  const bool strings = options_->features.extendedcolours;
  if (!effects.substitutions.empty()) {
    VisibleOffsets(stored, strings, offsets);
    shown = store_.Insert(SubstituteStored(stored, offsets, effects.substitutions), record.start, record.continues);
  } else if (rewrite_.active) {
    store_.Restore(record);
  }
  const int32_t at = rewrite_.active ? store_.CurLine() - 1 : original;
  if (!effects.highlights.empty()) {
    // Unchanged, the line's visible runs are known from matching it.
    std::span<const VisibleRun> runs;
    thread_local std::vector<VisibleRun> shownRuns;
    if (effects.substitutions.empty() && inBatch != SIZE_MAX && patterns_->KeptRuns()) {
      runs = patterns_->RunsOf(inBatch);
    } else {
      VisibleRuns(shown, strings, shownRuns);
      runs = shownRuns;
    }
    highlights_.Add(at, HighlightsOnStored(effects.highlights, effects.substitutions, runs));
  }
  if (listeners_.MayHear(shown)) TellPatternLine(at, original, shown);
}

void TermCore::TellPatternLine(int32_t at, int32_t original, std::string_view shown) {
  // Listeners may gag or colour this line, though the read's later lines
  // are stored after it.
  told_ = at;
  toldGagged_ = false;
  listeners_.TellLine(at, shown, true);
  told_ = -1;
  if (!toldGagged_) return;
  if (!rewrite_.active) BeginPatternRewrite(original + 1);
  store_.DropLastCompleted();
  highlights_.DropFrom(at);
  erasable_.valid = false;
}

void TermCore::FirePatternTrigger(int32_t original, const std::string& text, bool echo) {
  if (echo) {
    // Right after its line, before the rest of the read.
    if (!rewrite_.active) BeginPatternRewrite(original + 1);
    DetachCurrentLine();
    // In the colours its line carried on, as the line after it starts.
    const bool last = rewrite_.next >= rewrite_.tail.size();
    carry_ = last ? rewrite_.partialStart : store_.StartOf(rewrite_.tail[rewrite_.next]);
    store_.StartCurrent(options_->margin, carry_);
    WriteText(text, false);
  }
  // A buffer kept from firing to firing: a busy stream fires on many lines.
  sendBuffer_.clear();
  AppendEscapedIAC(sendBuffer_, text, options_->telnet);
  sendBuffer_ += "\r\n";
  Send(sendBuffer_);
}

void TermCore::BeginPatternRewrite(int32_t original) {
  rewrite_.active = true;
  rewrite_.base = original;
  rewrite_.tail.clear();
  for (int32_t k = original; k < store_.CurLine(); ++k) rewrite_.tail.push_back(store_.RecordAt(k));
  rewrite_.next = 0;
  store_.DropFrom(original);
  highlights_.DropFrom(original);
}

void TermCore::RestorePatternTail(int32_t upTo) {
  while (rewrite_.next < rewrite_.tail.size() && rewrite_.base + static_cast<int32_t>(rewrite_.next) < upTo)
    store_.Restore(rewrite_.tail[rewrite_.next++]);
}

void TermCore::DetachCurrentLine() {
  if (rewrite_.detached) return;
  rewrite_.detached = true;
  rewrite_.scan = store_.scan;
  rewrite_.partialStart = store_.CurrentStart();
  rewrite_.partial = std::move(store_.EditCurrent());
  rewrite_.pair = pendingPair_;
  rewrite_.carry = carry_;
  store_.StartCurrent(options_->margin, rewrite_.partialStart);
}

void TermCore::ReattachCurrentLine() {
  if (!rewrite_.detached) return;
  // The echoes ended their lines: what was being received goes on as it was.
  store_.StartCurrent(rewrite_.partial, rewrite_.partialStart);
  if (!rewrite_.cleared) store_.scan = rewrite_.scan;
  pendingPair_ = rewrite_.pair;
  carry_ = rewrite_.carry;
  erasable_.valid = false;
}

}  // namespace ombrel
