// options.dat: every option set in one text file of tab-separated key lines.
// Files written by earlier runs must read back unchanged, so the writer's
// layout (keys, letter case, tabs, order, CR LF) never changes.
#pragma once

#include <string>
#include <string_view>

#include "options/options.h"
#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

// Field 1 is the text before the first tab (the whole line when it has
// none), field n the text between the (n-1)-th and the n-th tab. A field
// that does not exist, and any n below 1, is empty.
std::string GetField(std::string_view line, int n);

// Replaces the content of `list` with the sets found in `bytes`. Never
// fails: unknown keys and stray lines are skipped, a bad number keeps the
// field's default, and a list left empty gets the one set "Default".
void ParseOptionSets(std::string_view bytes, TOptionSetList& list);

// The whole file for `list`, sets in list order.
std::string FormatOptionSets(const TOptionSetList& list);

// A missing file is not a failure: the list then holds the set "Default".
// A file that exists but cannot be read is reported; the list then holds
// the set "Default" too, and the caller should not save over that file
// without asking, or the sets in it are lost.
ReadResult LoadOptionSets(const std::string& path, TOptionSetList& list);

// Writes through a temporary file, so a failed save leaves the previous
// file as it was; a missing data directory is created.
WriteResult SaveOptionSets(const std::string& path, const TOptionSetList& list);

}  // namespace ombrel
