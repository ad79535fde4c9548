#include "options/features_file.h"


#include "options/options_file.h"
#include "options/set_sections.h"

namespace ombrel {

namespace {

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

// What a features.dat section says of a set: its switches, and lines of keys
// this version does not know, kept.
const SetSectionRules kRules{
    [](TOptions& set) { set.features = TSetFeatures(); },
    [](TOptions& set, const std::string& line) {
      const std::string key = GetField(line, 1);
      for (const Switch& s : kSwitches)
        if (key == s.key) return void(set.features.*s.field = GetField(line, 2) == "1");
      if (!line.empty()) set.features.unknown.push_back(line);
    },
    [](const TOptions& set) {
      std::string out;
      if (set.features == TSetFeatures()) return out;
      for (const Switch& s : kSwitches) out += std::string(s.key) + "\t" + (set.features.*s.field ? "1" : "0") + "\r\n";
      for (const std::string& line : set.features.unknown) out += line + "\r\n";
      return out;
    }};

}  // namespace

KeptFeatureSets ParseSetFeatures(std::string_view bytes, TOptionSetList& list) {
  return ParseSetSections(bytes, list, kRules);
}

std::string FormatSetFeatures(const TOptionSetList& list, const KeptFeatureSets& kept) {
  return FormatSetSections(list, kept, kRules);
}

ReadResult LoadSetFeatures(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept) {
  return LoadSetSections(path, list, kept, kRules);
}

WriteResult SaveSetFeatures(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept) {
  return SaveSetSections(path, list, kept, kRules, "the switches of the Features tab");
}

}  // namespace ombrel
