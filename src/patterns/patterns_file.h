// patterns.dat: what each trigger holds beyond the classic record (its
// kind, gag, highlight, substitution, groups...) and the groups each set
// has switched off, in the line style of options.dat. The n-th section of
// a set name belongs to the n-th set of that name, and within it the n-th
// section of a trigger name to the n-th trigger of that name, so sets and
// triggers of the same name each keep their own. Keys, sets and triggers
// this version does not know are kept and written back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "options/options.h"
#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

// What patterns.dat holds beyond the sets and triggers of the list, kept
// from loading to saving.
struct KeptPatternSets {
  std::string head;  // lines before the first set, as they were read
  // A section the list had no place for: a set's, or a trigger's within the
  // `setOrdinal`-th set named `set`. `ordinal` counts the sections of its
  // name before it.
  struct Section {
    std::string set;
    int setOrdinal = 0;
    std::string trigger;  // empty for a whole set
    int ordinal = 0;
    std::string text;
  };
  std::vector<Section> sets, triggers;
  bool unreadable = false;  // never written over in this run
};

// Sets the pattern records of every set and trigger in `list` from `bytes`;
// those not named there get the classic defaults. Never fails: a value it
// cannot read keeps the default and the line is kept as it was.
KeptPatternSets ParseSetPatterns(std::string_view bytes, TOptionSetList& list);
// A set or trigger that took the place of a kept section drops it.
std::string FormatSetPatterns(const TOptionSetList& list, const KeptPatternSets& kept);

ReadResult LoadSetPatterns(const std::string& path, TOptionSetList& list, KeptPatternSets& kept);
// Written through a temporary file, and only once there is something to
// keep or a file already; a file that could not be read is left as it is,
// and a save that would have changed it fails, saying why.
WriteResult SaveSetPatterns(const std::string& path, const TOptionSetList& list, const KeptPatternSets& kept);

}  // namespace ombrel
