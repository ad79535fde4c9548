#include "patterns/trigger_actions.h"

#include <algorithm>

namespace ombrel {

namespace {

bool Conflict(const Substitution& a, const Substitution& b) {
  const bool insertA = a.begin == a.end, insertB = b.begin == b.end;
  if (insertA && insertB) return a.begin == b.begin;
  if (insertA) return b.begin < a.begin && a.begin < b.end;
  if (insertB) return a.begin < b.begin && b.begin < a.end;
  return std::max(a.begin, b.begin) < std::min(a.end, b.end);
}

void AddSubstitution(std::vector<Substitution>& subs, Substitution s) {
  for (const Substitution& other : subs)
    if (Conflict(other, s)) return;
  auto at = std::upper_bound(subs.begin(), subs.end(), s, [](const Substitution& x, const Substitution& y) {
    return x.begin < y.begin || (x.begin == y.begin && x.end < y.end);
  });
  subs.insert(at, std::move(s));
}

}  // namespace

void SwitchGroup(Lines& groupsoff, const std::string& group, bool on) {
  if (group.empty()) return;
  const bool off = GroupIsOff(groupsoff, group);
  if (on && off) std::erase(groupsoff, group);
  if (!on && !off) groupsoff.push_back(group);
}

// Keeps the vectors' memory: a line's effects are cleared for every line.
void LineEffects::Clear() {
  gag = gaglog = groupsChanged = false;
  highlights.clear();
  substitutions.clear();
  fired.clear();
  switchedOff.clear();
  limitHits.clear();
}

std::string FillCaptures(std::string_view text, std::string_view line, const Captures& match) {
  std::string out;
  out.reserve(text.size());
  AppendCaptures(out, text, line, match);
  return out;
}

void AppendCaptures(std::string& out, std::string_view text, std::string_view line, const Captures& match) {
  for (size_t i = 0; i < text.size();) {
    const size_t percent = std::min(text.find('%', i), text.size());
    out.append(text.substr(i, percent - i));
    i = percent;
    if (i == text.size()) break;
    if (i + 1 == text.size()) {
      out += '%';
      break;
    }
    const char next = text[i + 1];
    if (next == '%') {
      out += '%';
      ++i;
    } else if (next >= '0' && next <= '9') {
      const Span& s = match[next - '0'];
      if (s.Set() && s.end <= line.size() && s.begin <= s.end) out += line.substr(s.begin, s.end - s.begin);
      ++i;
    } else {
      out += '%';
    }
    ++i;
  }
}

bool GroupIsOff(const Lines& groupsoff, std::string_view group) {
  return !group.empty() && std::find(groupsoff.begin(), groupsoff.end(), group) != groupsoff.end();
}

void EvaluateLine(const CompiledPatternSet& set, PatternScanner& scanner, std::string_view line,
                  std::span<const uint32_t> candidates, std::vector<TTrigger>& triggers, Lines& groupsoff,
                  LineEffects& out, bool current) {
  out.Clear();
  thread_local std::vector<Captures> matches;
  for (uint32_t k : candidates) {
    if (k >= triggers.size() || k >= set.Size()) break;
    TTrigger& t = triggers[k];
    TPatternTrigger& x = t.pattern;
    const Pattern& compiled = set.At(k);
    if (!x.enabled || GroupIsOff(groupsoff, x.group)) continue;
    if (!current && (t.string != compiled.text || x.kind != compiled.kind || x.ignorecase != compiled.ignorecase))
      continue;
    // Highlights and substitutions act on every match; the rest needs the first.
    const bool every = x.highlight == HighlightScope::match || x.substitute;
    matches.clear();
    const MatchOutcome outcome =
        scanner.Match(set, k, line, every ? PatternScanner::kMaxMatchesPerLine : 1, matches);
    if (outcome == MatchOutcome::limit) out.limitHits.push_back(k);
    if (matches.empty()) continue;

    FiredTrigger fired;
    fired.trigger = k;
    if (t.textenabled) {
      fired.send = true;
      for (const std::string& l : t.text) {
        AppendCaptures(fired.reply, l, line, matches.front());
        fired.reply += "\r\n";
      }
    }
    if (t.soundenabled) fired.sound = t.soundfile;
    out.fired.push_back(std::move(fired));
    if (x.gag) {
      out.gag = true;
      out.gaglog |= x.gaglog;
    }
    if (x.highlight == HighlightScope::line) {
      out.highlights.push_back({0, static_cast<uint32_t>(line.size()), x.fgcolor, x.bgcolor});
    } else if (x.highlight == HighlightScope::match) {
      for (const Captures& m : matches)
        if (m[0].end > m[0].begin) out.highlights.push_back({m[0].begin, m[0].end, x.fgcolor, x.bgcolor});
    }
    if (x.substitute)
      for (const Captures& m : matches) AddSubstitution(out.substitutions, {m[0].begin, m[0].end, FillCaptures(x.substitution, line, m)});
    if (x.once) {
      x.enabled = false;
      out.switchedOff.push_back(k);
    }
    if (!x.groupon.empty() || !x.groupoff.empty()) {
      SwitchGroup(groupsoff, x.groupon, true);
      SwitchGroup(groupsoff, x.groupoff, false);
      out.groupsChanged = true;
    }
    if (x.stop) break;
  }
}

std::string Substituted(std::string_view line, const std::vector<Substitution>& substitutions) {
  std::string out;
  size_t at = 0;
  for (const Substitution& s : substitutions) {
    if (s.begin < at || s.end > line.size()) continue;
    out += line.substr(at, s.begin - at);
    out += s.text;
    at = s.end;
  }
  out += line.substr(std::min(at, line.size()));
  return out;
}

}  // namespace ombrel
