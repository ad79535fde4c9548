#include "options/features_file.h"

#include <filesystem>

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
};

void AddLine(std::string& out, std::string_view line) {
  out.append(line);
  out += "\r\n";
}

}  // namespace

KeptFeatureSets ParseSetFeatures(std::string_view bytes, TOptionSetList& list) {
  for (int i = 0; i < list.Count(); ++i) list.At(i).features = TSetFeatures();
  KeptFeatureSets kept;
  TSetFeatures* current = nullptr;
  bool keeping = false;  // inside a set the list does not have
  for (const std::string& line : SplitFileLines(bytes)) {
    const std::string key = GetField(line, 1);
    if (key == kSetKey) {
      const auto index = list.IndexOfExact(GetField(line, 2));
      current = index ? &list.At(*index).features : nullptr;
      keeping = !index;
      if (keeping) AddLine(kept.text, line);
      continue;
    }
    if (keeping) {
      AddLine(kept.text, line);
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
  std::string out;
  for (int i = 0; i < list.Count(); ++i) {
    const TOptions& set = list.At(i);
    if (set.features == TSetFeatures()) continue;
    AddLine(out, std::string(kSetKey) + "\t" + set.name);
    for (const Switch& s : kSwitches) AddLine(out, std::string(s.key) + "\t" + (set.features.*s.field ? "1" : "0"));
    for (const std::string& line : set.features.unknown) AddLine(out, line);
  }
  return out + kept.text;
}

ReadResult LoadSetFeatures(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept) {
  std::string bytes;
  ReadResult r = ReadFileBytes(path, bytes);
  kept = ParseSetFeatures(r.ok ? bytes : std::string_view(), list);
  return r;
}

WriteResult SaveSetFeatures(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept) {
  const std::string content = FormatSetFeatures(list, kept);
  std::error_code ec;
  if (content.empty() && !std::filesystem::exists(path, ec)) return {};
  return WriteFileAtomically(path, content);
}

}  // namespace ombrel
