// features.dat: the switches each option set has beyond the classic ones,
// in the line style of options.dat and keyed by set name. A set the file
// does not name has every switch off; keys and sets this version does not
// know are kept and written back.
#pragma once

#include <string>
#include <string_view>

#include "options/options.h"
#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

// Sets features.dat names that are not in the list, as they were read.
struct KeptFeatureSets {
  std::string text;
};

// Sets the features of each set in `list` from `bytes`; a set not named
// there gets none. Never fails: a bad value reads as off.
KeptFeatureSets ParseSetFeatures(std::string_view bytes, TOptionSetList& list);
std::string FormatSetFeatures(const TOptionSetList& list, const KeptFeatureSets& kept);

ReadResult LoadSetFeatures(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept);
// Written through a temporary file; a file that would be empty is only
// written when one exists already, so a program that never switches a
// feature on never creates it.
WriteResult SaveSetFeatures(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept);

}  // namespace ombrel
