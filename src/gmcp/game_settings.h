// What a set asks of a game's data, from the texts the player edits on the
// Features tab: the GMCP modules ("Char 1, Room 1"), the gauges, a line or
// a ';' each ("Health = Char.Vitals.hp/Char.Vitals.maxhp MSDP.HEALTH/MSDP.HEALTH_MAX"),
// and the MSDP variables reported ("HEALTH HEALTH_MAX").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gmcp/game_views.h"
#include "options/options.h"

namespace ombrel {

std::vector<std::string> ParseModules(std::string_view text);
std::string ModulesText(const std::vector<std::string>& modules);

// A gauge without a label or a source is left out.
std::vector<GaugeMapping> ParseGauges(std::string_view text);
std::string GaugesText(const std::vector<GaugeMapping>& gauges, std::string_view separator);

std::vector<std::string> ParseVariableNames(std::string_view text);
std::string VariableNamesText(const std::vector<std::string>& names);

struct GameSettings {
  std::vector<std::string> modules;
  std::vector<GaugeMapping> gauges;
  std::vector<std::string> msdpVariables;
};
// A field the set does not hold gives the default.
GameSettings SettingsOf(const TSetGameData& data);

// The Features tab's texts: the set's fields, or the defaults.
struct GameDataTexts {
  std::string modules, gauges, msdpVariables;  // gauges a line each
  bool operator==(const GameDataTexts&) const = default;
};
GameDataTexts TextsOf(const TSetGameData& data);
// Back into the set: a field as TextsOf shows it keeps what the set held; a
// text that says what the default says stores none, so a set the player
// never changed writes nothing to gamedata.dat.
void StoreTexts(const GameDataTexts& texts, TSetGameData& data);

}  // namespace ombrel
