// What pattern triggers do with a line: from the patterns that may match
// it (one scan, pattern_scanner.h) to the effects the terminal applies:
// replies with %0..%9 filled, sounds, gag, highlights and substitutions in
// the line's visible text, and the changes a firing makes to the set (a
// fire-once trigger switched off, groups switched on and off). Positions
// are byte offsets in the visible text as matched; the terminal maps them
// onto its stored bytes and cells.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "options/options.h"
#include "patterns/pattern_scanner.h"

namespace ombrel {

struct Highlight {
  uint32_t begin = 0, end = 0;
  std::optional<Color> fgcolor, bgcolor;
  bool operator==(const Highlight&) const = default;
};

struct Substitution {
  uint32_t begin = 0, end = 0;  // begin == end: an insertion
  std::string text;
  bool operator==(const Substitution&) const = default;
};

// A trigger that fired: what it sends and plays, in trigger order.
struct FiredTrigger {
  size_t trigger = 0;
  bool send = false;
  // Its text with the captures of its first match filled in, each line
  // followed by CR LF, as it is echoed and sent.
  std::string reply;
  std::string sound;  // empty: none
  bool operator==(const FiredTrigger&) const = default;
};

struct LineEffects {
  bool gag = false;     // not shown
  bool gaglog = false;  // nor logged
  // In trigger order; where two cover a byte the earlier trigger's colours win.
  std::vector<Highlight> highlights;
  // By position, none overlapping: where they would, the earlier trigger's stays.
  std::vector<Substitution> substitutions;
  std::vector<FiredTrigger> fired;
  std::vector<size_t> switchedOff;  // fire-once triggers that fired
  bool groupsChanged = false;
  std::vector<size_t> limitHits;  // triggers whose pattern PCRE2's limits ended
  void Clear();
  bool operator==(const LineEffects&) const = default;
};

// `text` with %0..%9 replaced by the captures of `match` in `line` (an
// unset group by nothing) and %% by %.
std::string FillCaptures(std::string_view text, std::string_view line, const Captures& match);
// The same, appended to `out`.
void AppendCaptures(std::string& out, std::string_view text, std::string_view line, const Captures& match);

bool GroupIsOff(const Lines& groupsoff, std::string_view group);
// Switches `group` on (out of `groupsoff`) or off; no group is nothing.
void SwitchGroup(Lines& groupsoff, const std::string& group, bool on);

// Evaluates one line: the triggers of `candidates` (the patterns that may
// match it, ascending) in order, each that is enabled, in no group switched
// off, and whose pattern is still the one `set` was compiled from (a set
// being recompiled leaves a changed trigger waiting for it). Fire-once
// triggers are switched off in `triggers` and groups in `groupsoff`, so the
// next trigger and line see the change. `current`: the caller knows every
// trigger's pattern is the one `set` was compiled from, and each need not
// be compared.
void EvaluateLine(const CompiledPatternSet& set, PatternScanner& scanner, std::string_view line,
                  std::span<const uint32_t> candidates, std::vector<TTrigger>& triggers, Lines& groupsoff,
                  LineEffects& out, bool current = false);

// The visible text with the substitutions made.
std::string Substituted(std::string_view line, const std::vector<Substitution>& substitutions);

}  // namespace ombrel
