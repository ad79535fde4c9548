#include "patterns/patterns_file.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace ombrel {

namespace {

constexpr std::string_view kSetKey = "#optionset";
constexpr std::string_view kTriggerKey = "#trigger";
constexpr std::string_view kGroupOffKey = "#disabledgroup";

constexpr std::string_view kKindNames[] = {"substring", "regex", "wholeline", "linestart"};
constexpr std::string_view kHighlightNames[] = {"none", "match", "line"};

struct Flag {
  std::string_view key;
  bool TPatternTrigger::*field;
};
constexpr Flag kFlags[] = {
    {"#ignorecase", &TPatternTrigger::ignorecase}, {"#gag", &TPatternTrigger::gag},
    {"#gaglog", &TPatternTrigger::gaglog},         {"#substitute", &TPatternTrigger::substitute},
    {"#stop", &TPatternTrigger::stop},             {"#once", &TPatternTrigger::once},
    {"#enabled", &TPatternTrigger::enabled},
};

struct Text {
  std::string_view key;
  std::string TPatternTrigger::*field;
};
constexpr Text kTexts[] = {
    {"#substitution", &TPatternTrigger::substitution},
    {"#group", &TPatternTrigger::group},
    {"#groupon", &TPatternTrigger::groupon},
    {"#groupoff", &TPatternTrigger::groupoff},
};

struct Colour {
  std::string_view key;
  std::optional<Color> TPatternTrigger::*field;
};
constexpr Colour kColours[] = {{"#fgcolor", &TPatternTrigger::fgcolor}, {"#bgcolor", &TPatternTrigger::bgcolor}};

void AddLine(std::string& out, std::string_view line) {
  out.append(line);
  out += "\r\n";
}

// A value never spans lines of the file.
std::string OneLine(std::string value) {
  std::replace(value.begin(), value.end(), '\r', ' ');
  std::replace(value.begin(), value.end(), '\n', ' ');
  return value;
}

void AddValue(std::string& out, std::string_view key, const std::string& value) {
  AddLine(out, std::string(key) + "\t" + OneLine(value));
}

std::string_view KeyOf(std::string_view line) { return line.substr(0, line.find('\t')); }
// All after the first tab: a substitution may hold tabs.
std::string ValueOf(std::string_view line) {
  const size_t tab = line.find('\t');
  return tab == std::string_view::npos ? std::string() : std::string(line.substr(tab + 1));
}

template <typename E, size_t N>
bool ReadName(const std::string& value, const std::string_view (&names)[N], E& field) {
  for (size_t i = 0; i < N; ++i) {
    if (value != names[i]) continue;
    field = static_cast<E>(i);
    return true;
  }
  return false;
}

// Whether the line was a key this version reads, with a value it can read.
bool ReadTriggerLine(std::string_view key, const std::string& value, TPatternTrigger& t) {
  if (key == "#kind") return ReadName(value, kKindNames, t.kind);
  if (key == "#highlight") return ReadName(value, kHighlightNames, t.highlight);
  for (const Flag& f : kFlags) {
    if (key != f.key) continue;
    if (value != "0" && value != "1") return false;
    t.*f.field = value == "1";
    return true;
  }
  for (const Text& f : kTexts) {
    if (key != f.key) continue;
    t.*f.field = value;
    return true;
  }
  for (const Colour& f : kColours) {
    if (key != f.key) continue;
    const auto v = ParseInt32(value);
    if (v) t.*f.field = static_cast<Color>(*v);
    return v.has_value();
  }
  return false;
}

void WriteTrigger(std::string& out, const TPatternTrigger& t) {
  AddValue(out, "#kind", std::string(kKindNames[static_cast<size_t>(t.kind)]));
  AddValue(out, "#highlight", std::string(kHighlightNames[static_cast<size_t>(t.highlight)]));
  for (const Flag& f : kFlags) AddValue(out, f.key, t.*f.field ? "1" : "0");
  for (const Colour& f : kColours)
    if (t.*f.field) AddValue(out, f.key, std::to_string(static_cast<int32_t>(*(t.*f.field))));
  for (const Text& f : kTexts) AddValue(out, f.key, t.*f.field);
  for (const std::string& line : t.unknown) AddLine(out, line);
}

int CountNamed(const TOptionSetList& list, const std::string& name) {
  int n = 0;
  for (int i = 0; i < list.Count(); ++i) n += list.NameAt(i) == name;
  return n;
}

TOptions* NthSet(TOptionSetList& list, const std::string& name, int nth) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.NameAt(i) == name && nth-- == 0) return &list.At(i);
  return nullptr;
}

const TOptions* NthSet(const TOptionSetList& list, const std::string& name, int nth) {
  return NthSet(const_cast<TOptionSetList&>(list), name, nth);
}

int CountTriggers(const TOptions& set, const std::string& name) {
  return static_cast<int>(std::count_if(set.triggers.begin(), set.triggers.end(),
                                        [&](const TTrigger& t) { return t.name == name; }));
}

TTrigger* NthTrigger(TOptions& set, const std::string& name, int nth) {
  for (TTrigger& t : set.triggers)
    if (t.name == name && nth-- == 0) return &t;
  return nullptr;
}

bool HasPatterns(const TOptions& set) {
  return set.patterns != TSetPatterns() || std::any_of(set.triggers.begin(), set.triggers.end(), [](const TTrigger& t) {
           return t.pattern != TPatternTrigger();
         });
}

// Kept trigger sections no trigger of the list has taken the place of.
bool StillKept(const TOptionSetList& list, const KeptPatternSets::Section& k) {
  const TOptions* set = NthSet(list, k.set, k.setOrdinal);
  return set && k.ordinal >= CountTriggers(*set, k.trigger);
}

}  // namespace

KeptPatternSets ParseSetPatterns(std::string_view bytes, TOptionSetList& list) {
  for (int i = 0; i < list.Count(); ++i) {
    list.At(i).patterns = TSetPatterns();
    for (TTrigger& t : list.At(i).triggers) t.pattern = TPatternTrigger();
  }
  KeptPatternSets kept;
  std::map<std::string, int> setsSeen, triggersSeen;
  TOptions* set = nullptr;
  std::string setName;
  int setOrdinal = 0;
  TPatternTrigger* trigger = nullptr;
  std::string* keeping = nullptr;  // the text of a kept section being read
  bool started = false;
  for (const std::string& line : SplitFileLines(bytes)) {
    const std::string_view key = KeyOf(line);
    if (key == kSetKey) {
      started = true;
      setName = ValueOf(line);
      setOrdinal = setsSeen[setName]++;
      set = NthSet(list, setName, setOrdinal);
      trigger = nullptr;
      triggersSeen.clear();
      keeping = set ? nullptr : &kept.sets.emplace_back(KeptPatternSets::Section{setName, setOrdinal, {}, 0, {}}).text;
      if (keeping) AddLine(*keeping, line);
      continue;
    }
    if (!started) {
      AddLine(kept.head, line);
      continue;
    }
    if (key == kTriggerKey && set) {
      const std::string name = ValueOf(line);
      const int ordinal = triggersSeen[name]++;
      TTrigger* t = NthTrigger(*set, name, ordinal);
      trigger = t ? &t->pattern : nullptr;
      keeping = t ? nullptr
                  : &kept.triggers.emplace_back(KeptPatternSets::Section{setName, setOrdinal, name, ordinal, {}}).text;
      if (keeping) AddLine(*keeping, line);
      continue;
    }
    if (keeping) {
      AddLine(*keeping, line);
      continue;
    }
    if (line.empty()) continue;
    if (trigger) {
      if (!ReadTriggerLine(key, ValueOf(line), *trigger)) trigger->unknown.push_back(line);
    } else if (key == kGroupOffKey && !ValueOf(line).empty()) {
      set->patterns.groupsoff.push_back(ValueOf(line));
    } else {
      set->patterns.unknown.push_back(line);
    }
  }
  return kept;
}

std::string FormatSetPatterns(const TOptionSetList& list, const KeptPatternSets& kept) {
  // As in features.dat, sections are bound by their place among those of
  // the same name: a set or trigger with nothing to say is still named
  // when a later one of its name is written.
  std::map<std::string, int> named, seen;  // sets of each name that get a section; so far
  for (int i = 0; i < list.Count(); ++i) {
    const int place = ++seen[list.NameAt(i)];
    if (HasPatterns(list.At(i))) named[list.NameAt(i)] = place;
  }
  for (const auto& k : kept.triggers)
    if (StillKept(list, k)) named[k.set] = std::max(named[k.set], k.setOrdinal + 1);
  std::vector<const KeptPatternSets::Section*> keptSets;
  for (const auto& k : kept.sets) {
    const int inList = CountNamed(list, k.set);
    if (k.setOrdinal < inList) continue;
    keptSets.push_back(&k);
    named[k.set] = inList;
  }
  std::string out = kept.head;
  std::map<std::string, int> written;
  for (int i = 0; i < list.Count(); ++i) {
    const TOptions& set = list.At(i);
    const int place = written[set.name]++;
    if (place >= named[set.name]) continue;
    AddValue(out, kSetKey, set.name);
    for (const std::string& group : set.patterns.groupsoff) AddValue(out, kGroupOffKey, group);
    for (const std::string& line : set.patterns.unknown) AddLine(out, line);

    std::map<std::string, int> triggersNamed, triggersSeen;
    for (const TTrigger& t : set.triggers) {
      const int tplace = ++triggersSeen[t.name];
      if (t.pattern != TPatternTrigger()) triggersNamed[t.name] = tplace;
    }
    std::vector<const KeptPatternSets::Section*> keptTriggers;
    for (const auto& k : kept.triggers) {
      if (k.set != set.name || k.setOrdinal != place || !StillKept(list, k)) continue;
      keptTriggers.push_back(&k);
      triggersNamed[k.trigger] = CountTriggers(set, k.trigger);
    }
    std::map<std::string, int> triggersWritten;
    for (const TTrigger& t : set.triggers) {
      if (triggersWritten[t.name]++ >= triggersNamed[t.name]) continue;
      AddValue(out, kTriggerKey, t.name);
      if (t.pattern != TPatternTrigger()) WriteTrigger(out, t.pattern);
    }
    for (const auto* k : keptTriggers) out += k->text;
  }
  for (const auto* k : keptSets) out += k->text;
  return out;
}

ReadResult LoadSetPatterns(const std::string& path, TOptionSetList& list, KeptPatternSets& kept) {
  std::string bytes;
  ReadResult r = ReadFileBytes(path, bytes);
  kept = ParseSetPatterns(r.ok ? bytes : std::string_view(), list);
  kept.unreadable = !r.ok;
  return r;
}

WriteResult SaveSetPatterns(const std::string& path, const TOptionSetList& list, const KeptPatternSets& kept) {
  const std::string content = FormatSetPatterns(list, kept);
  if (kept.unreadable) {
    if (content.empty()) return {};
    return {false, path + " could not be read at start and is not written over: the triggers' patterns, "
                          "highlights and groups are not saved."};
  }
  std::error_code ec;
  if (content.empty() && !std::filesystem::exists(path, ec)) return {};
  return WriteFileAtomically(path, content);
}

}  // namespace ombrel
