#include "options/features_file.h"

#include <filesystem>
#include <map>

#include "options/options_file.h"

namespace ombrel {

namespace {

constexpr std::string_view kSetKey = "#optionset";

struct Switch {
  std::string_view key;
  bool TSetFeatures::*field;
};
constexpr Switch kSwitches[] = {
    {"#extendedcolours", &TSetFeatures::extendedcolours},
    {"#utf8", &TSetFeatures::utf8},
    {"#mccp", &TSetFeatures::mccp},
    {"#patterns", &TSetFeatures::patterns},
    {"#scripts", &TSetFeatures::scripts},
    {"#gmcp", &TSetFeatures::gmcp},
    {"#serverecho", &TSetFeatures::serverecho},
    {"#autoreconnect", &TSetFeatures::autoreconnect},
    {"#htmllog", &TSetFeatures::htmllog},
    {"#tabcomplete", &TSetFeatures::tabcomplete},
    {"#splitscroll", &TSetFeatures::splitscroll},
    {"#screenreader", &TSetFeatures::screenreader},
    {"#speech", &TSetFeatures::speech},
};

void AddLine(std::string& out, std::string_view line) {
  out.append(line);
  out += "\r\n";
}

// How many sets of the list are named `name`, and the n-th of them.
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

KeptFeatureSets ParseSetFeatures(std::string_view bytes, TOptionSetList& list) {
  for (int i = 0; i < list.Count(); ++i) list.At(i).features = TSetFeatures();
  KeptFeatureSets kept;
  std::map<std::string, int> seen;  // sections of each name so far
  TSetFeatures* current = nullptr;
  KeptFeatureSets::Set* keeping = nullptr;  // inside a set the list does not have
  bool started = false;
  for (const std::string& line : SplitFileLines(bytes)) {
    const std::string key = GetField(line, 1);
    if (key == kSetKey) {
      started = true;
      const std::string name = GetField(line, 2);
      const int ordinal = seen[name]++;
      TOptions* set = NthNamed(list, name, ordinal);
      current = set ? &set->features : nullptr;
      keeping = set ? nullptr : &kept.sets.emplace_back(KeptFeatureSets::Set{name, ordinal, {}});
      if (keeping) AddLine(keeping->text, line);
      continue;
    }
    if (!started) {
      AddLine(kept.head, line);
      continue;
    }
    if (keeping) {
      AddLine(keeping->text, line);
      continue;
    }
    if (!current) continue;
    bool known = false;
    for (const Switch& s : kSwitches) {
      if (key != s.key) continue;
      current->*s.field = GetField(line, 2) == "1";
      known = true;
    }
    if (!known && !line.empty()) current->unknown.push_back(line);
  }
  return kept;
}

std::string FormatSetFeatures(const TOptionSetList& list, const KeptFeatureSets& kept) {
  // Sections are bound by their place among those of the same name, so a
  // set with nothing on is still named when a later one of its name is
  // written; every set of a name is, when a kept section of it follows.
  std::map<std::string, int> named, seen;  // how many sets of each name get a section; so far
  for (int i = 0; i < list.Count(); ++i) {
    const int place = ++seen[list.NameAt(i)];
    if (list.At(i).features != TSetFeatures()) named[list.NameAt(i)] = place;
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
    const TOptions& set = list.At(i);
    if (written[set.name]++ >= named[set.name]) continue;
    AddLine(out, std::string(kSetKey) + "\t" + set.name);
    if (set.features == TSetFeatures()) continue;
    for (const Switch& s : kSwitches) AddLine(out, std::string(s.key) + "\t" + (set.features.*s.field ? "1" : "0"));
    for (const std::string& line : set.features.unknown) AddLine(out, line);
  }
  for (const KeptFeatureSets::Set* k : keptSets) out += k->text;
  return out;
}

ReadResult LoadSetFeatures(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept) {
  std::string bytes;
  ReadResult r = ReadFileBytes(path, bytes);
  kept = ParseSetFeatures(r.ok ? bytes : std::string_view(), list);
  kept.unreadable = !r.ok;
  return r;
}

WriteResult SaveSetFeatures(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept) {
  const std::string content = FormatSetFeatures(list, kept);
  // Read as empty, the file loses nothing while every switch stays off.
  if (kept.unreadable) {
    if (content.empty()) return {};
    return {false, path + " could not be read at start and is not written over: the switches of the Features "
                          "tab are not saved."};
  }
  std::error_code ec;
  if (content.empty() && !std::filesystem::exists(path, ec)) return {};
  return WriteFileAtomically(path, content);
}

}  // namespace ombrel
