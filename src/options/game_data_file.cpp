#include "options/game_data_file.h"

#include "options/set_sections.h"

namespace ombrel {

namespace {

struct Field {
  std::string_view key;
  std::optional<std::string> TSetGameData::*value;
};
constexpr Field kFields[] = {
    {"#gmcpmodules", &TSetGameData::modules},
    {"#gauges", &TSetGameData::gauges},
    {"#msdpvariables", &TSetGameData::msdpvariables},
};

void ReadLine(TOptions& set, const std::string& line) {
  // The value is the rest of the line: a field may be empty, which is not
  // its default.
  const size_t tab = line.find('\t');
  const std::string_view key = std::string_view(line).substr(0, tab);
  for (const Field& f : kFields) {
    if (key != f.key) continue;
    set.gamedata.*f.value = tab == std::string::npos ? std::string() : line.substr(tab + 1);
    return;
  }
  if (!line.empty()) set.gamedata.unknown.push_back(line);
}

std::string FormatSet(const TOptions& set) {
  std::string out;
  for (const Field& f : kFields)
    if (const auto& v = set.gamedata.*f.value) out += std::string(f.key) + "\t" + *v + "\r\n";
  for (const std::string& line : set.gamedata.unknown) out += line + "\r\n";
  return out;
}

const SetSectionRules kRules{
    .clear = [](TOptions& set) { set.gamedata = TSetGameData(); },
    .read = ReadLine,
    .format = FormatSet,
};

}  // namespace

KeptFeatureSets ParseSetGameData(std::string_view bytes, TOptionSetList& list) {
  return ParseSetSections(bytes, list, kRules);
}

std::string FormatSetGameData(const TOptionSetList& list, const KeptFeatureSets& kept) {
  return FormatSetSections(list, kept, kRules);
}

ReadResult LoadSetGameData(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept) {
  return LoadSetSections(path, list, kept, kRules);
}

WriteResult SaveSetGameData(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept) {
  return SaveSetSections(path, list, kept, kRules, "the game data settings of the Features tab");
}

}  // namespace ombrel
