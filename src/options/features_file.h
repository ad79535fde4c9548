// features.dat: the switches each option set has beyond the classic ones,
// in the line style of options.dat and keyed by set name. A set the file
// does not name has every switch off; keys and sets this version does not
// know are kept and written back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "options/options.h"
#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

// What features.dat holds beyond the switches of the sets in the list, kept
// from loading to saving.
struct KeptFeatureSets {
  std::string head;  // lines before the first set, as they were read
  // A set the list did not have: its name, how many sections of that name
  // came before it, and its lines as they were read.
  struct Set {
    std::string name;
    int ordinal = 0;
    std::string text;
  };
  std::vector<Set> sets;
  // The file could not be read: it is never written over in this run.
  bool unreadable = false;
};

// Sets the features of each set in `list` from `bytes`: the n-th section of
// a name belongs to the n-th set of that name; a set not named there gets
// none. Never fails: a bad value reads as off.
KeptFeatureSets ParseSetFeatures(std::string_view bytes, TOptionSetList& list);
// A set of the list whose place a kept section held (one made later under
// that name) drops the section: its switches are the ones shown.
std::string FormatSetFeatures(const TOptionSetList& list, const KeptFeatureSets& kept);

ReadResult LoadSetFeatures(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept);
// Written through a temporary file; a file that would be empty is only
// written when one exists already, so a program that never switches a
// feature on never creates it. A file that could not be read is left as it
// is, and a save that would have changed it fails, saying why.
WriteResult SaveSetFeatures(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept);

}  // namespace ombrel
