// A data file of its own beside options.dat whose sections belong to option
// sets by name ("#optionset<TAB>name" opens one) and by place among the sets
// of that name, as features.dat does. Lines before the first section, and
// the sections of sets the list does not have, are kept and written back.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "options/features_file.h"

namespace ombrel {

struct SetSectionRules {
  // Gives a set its defaults before any section is read.
  std::function<void(TOptions& set)> clear;
  // One line of the set's section (the section's own key excluded).
  std::function<void(TOptions& set, const std::string& line)> read;
  // The lines of the set's section, each ended by CR LF; empty when it holds
  // nothing but defaults.
  std::function<std::string(const TOptions& set)> format;
};

KeptFeatureSets ParseSetSections(std::string_view bytes, TOptionSetList& list, const SetSectionRules& rules);
std::string FormatSetSections(const TOptionSetList& list, const KeptFeatureSets& kept, const SetSectionRules& rules);

ReadResult LoadSetSections(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept,
                           const SetSectionRules& rules);
// Not created while empty; never written over when it could not be read, a
// change then failing with the reason (`what` names what is not saved).
WriteResult SaveSetSections(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept,
                            const SetSectionRules& rules, std::string_view what);

}  // namespace ombrel
