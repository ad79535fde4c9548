// gamedata.dat: what each option set asks of a game's data and how it shows
// it (the GMCP modules, the gauges, the MSDP variables), a line a field that
// differs from the defaults, in sections keyed by set as features.dat is.
#pragma once

#include <string>
#include <string_view>

#include "options/features_file.h"

namespace ombrel {

KeptFeatureSets ParseSetGameData(std::string_view bytes, TOptionSetList& list);
std::string FormatSetGameData(const TOptionSetList& list, const KeptFeatureSets& kept);

ReadResult LoadSetGameData(const std::string& path, TOptionSetList& list, KeptFeatureSets& kept);
// As features.dat: never created while empty, never written over when it
// could not be read (the save then fails, saying why).
WriteResult SaveSetGameData(const std::string& path, const TOptionSetList& list, const KeptFeatureSets& kept);

}  // namespace ombrel
