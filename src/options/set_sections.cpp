#include "options/set_sections.h"

#include <filesystem>
#include <map>

#include "options/options_file.h"

namespace ombrel {

namespace {

constexpr std::string_view kSetKey = "#optionset";

void AddLine(std::string& out, std::string_view line) {
  out.append(line);
  out += "\r\n";
}

int CountNamed(const TOptionSetList& list, const std::string& name) {
  int n = 0;
  for (int i = 0; i < list.Count(); ++i) n += list.NameAt(i) == name;
  return n;
}

TOptions* NthNamed(TOptionSetList& list, const std::string& name, int nth) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.NameAt(i) == name && nth-- == 0) return &list.At(i);
  return nullptr;
}

}  // namespace

KeptFeatureSets ParseSetSections(std::string_view bytes, TOptionSetList& list, const SetSectionRules& rules) {
  for (int i = 0; i < list.Count(); ++i) rules.clear(list.At(i));
  KeptFeatureSets kept;
  std::map<std::string, int> seen;
  TOptions* current = nullptr;
  KeptFeatureSets::Set* keeping = nullptr;
  bool started = false;
  for (const std::string& line : SplitFileLines(bytes)) {
    if (GetField(line, 1) == kSetKey) {
      started = true;
      const std::string name = GetField(line, 2);
      const int ordinal = seen[name]++;
      current = NthNamed(list, name, ordinal);
      keeping = current ? nullptr : &kept.sets.emplace_back(KeptFeatureSets::Set{name, ordinal, {}});
      if (keeping) AddLine(keeping->text, line);
    } else if (!started) {
      AddLine(kept.head, line);
    } else if (keeping) {
      AddLine(keeping->text, line);
    } else if (current) {
      rules.read(*current, line);
    }
  }
  return kept;
}

std::string FormatSetSections(const TOptionSetList& list, const KeptFeatureSets& kept, const SetSectionRules& rules) {
  // As in features.dat: a set is named up to the last of its name that has
  // something to say, and all of them when a kept section of the name follows.
  std::vector<std::string> bodies;
  std::map<std::string, int> named, seen;
  for (int i = 0; i < list.Count(); ++i) {
    const int place = ++seen[list.NameAt(i)];
    bodies.push_back(rules.format(list.At(i)));
    if (!bodies.back().empty()) named[list.NameAt(i)] = place;
  }
  std::vector<const KeptFeatureSets::Set*> keptSets;
  for (const KeptFeatureSets::Set& k : kept.sets) {
    const int inList = CountNamed(list, k.name);
    if (k.ordinal < inList) continue;
    keptSets.push_back(&k);
    named[k.name] = inList;
  }
  std::string out = kept.head;
  std::map<std::string, int> written;
  for (int i = 0; i < list.Count(); ++i) {
    const std::string& name = list.NameAt(i);
    if (written[name]++ >= named[name]) continue;
    AddLine(out, std::string(kSetKey) + "\t" + name);
    out += bodies[i];
  }
  for (const KeptFeatureSets::Set* k : keptSets) out += k->text;
  return out;
}

ReadResult LoadSetSections(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept,
                           const SetSectionRules& rules) {
  std::string bytes;
  ReadResult r = ReadFileBytes(path, bytes);
  kept = ParseSetSections(r.ok ? bytes : std::string_view(), list, rules);
  kept.unreadable = !r.ok;
  return r;
}

WriteResult SaveSetSections(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept,
                            const SetSectionRules& rules, std::string_view what) {
  const std::string content = FormatSetSections(list, kept, rules);
  if (kept.unreadable) {
    if (content.empty()) return {};
    return {false, path + " could not be read at start and is not written over: " + std::string(what) +
                       " are not saved."};
  }
  std::error_code ec;
  if (content.empty() && !std::filesystem::exists(path, ec)) return {};
  return WriteFileAtomically(path, content);
}

}  // namespace ombrel
