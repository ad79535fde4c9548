#include "gmcp/game_settings.h"

#include "telnet/gmcp_option.h"
#include "telnet/msdp_option.h"

namespace ombrel {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// The non-empty pieces of `text` between any of `separators`, trimmed.
std::vector<std::string> Pieces(std::string_view text, std::string_view separators) {
  std::vector<std::string> pieces;
  for (size_t from = 0; from <= text.size();) {
    const size_t end = std::min(text.find_first_of(separators, from), text.size());
    if (const std::string_view piece = Trim(text.substr(from, end - from)); !piece.empty())
      pieces.emplace_back(piece);
    from = end + 1;
  }
  return pieces;
}

std::string Joined(const std::vector<std::string>& pieces, std::string_view separator) {
  std::string text;
  for (const std::string& p : pieces) text += (text.empty() ? "" : std::string(separator)) + p;
  return text;
}

}  // namespace

std::vector<std::string> ParseModules(std::string_view text) { return Pieces(text, ",;\r\n"); }
std::string ModulesText(const std::vector<std::string>& modules) { return Joined(modules, ", "); }

std::vector<GaugeMapping> ParseGauges(std::string_view text) {
  std::vector<GaugeMapping> gauges;
  for (const std::string& line : Pieces(text, ";\r\n")) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    GaugeMapping g{std::string(Trim(std::string_view(line).substr(0, eq))), ParseSources(line.substr(eq + 1))};
    if (!g.label.empty() && !g.sources.empty()) gauges.push_back(std::move(g));
  }
  return gauges;
}

std::string GaugesText(const std::vector<GaugeMapping>& gauges, std::string_view separator) {
  std::vector<std::string> lines;
  for (const GaugeMapping& g : gauges) lines.push_back(g.label + " = " + SourcesText(g.sources));
  return Joined(lines, separator);
}

std::vector<std::string> ParseVariableNames(std::string_view text) { return Pieces(text, " \t,;\r\n"); }
std::string VariableNamesText(const std::vector<std::string>& names) { return Joined(names, " "); }

GameSettings SettingsOf(const TSetGameData& data) {
  return {data.modules ? ParseModules(*data.modules) : DefaultGmcpModules(),
          data.gauges ? ParseGauges(*data.gauges) : DefaultGauges(),
          data.msdpvariables ? ParseVariableNames(*data.msdpvariables) : DefaultMsdpVariables()};
}

GameDataTexts TextsOf(const TSetGameData& data) {
  const GameSettings s = SettingsOf(data);
  return {ModulesText(s.modules), GaugesText(s.gauges, "\n"), VariableNamesText(s.msdpVariables)};
}

void StoreTexts(const GameDataTexts& texts, TSetGameData& data) {
  // A field left as shown keeps what the set held, however it was written.
  const GameDataTexts shown = TextsOf(data);
  if (texts.modules != shown.modules) {
    const std::vector<std::string> modules = ParseModules(texts.modules);
    data.modules = modules == DefaultGmcpModules() ? std::nullopt : std::optional(ModulesText(modules));
  }
  if (texts.gauges != shown.gauges) {
    const std::vector<GaugeMapping> gauges = ParseGauges(texts.gauges);
    data.gauges = gauges == DefaultGauges() ? std::nullopt : std::optional(GaugesText(gauges, "; "));
  }
  if (texts.msdpVariables != shown.msdpVariables) {
    const std::vector<std::string> names = ParseVariableNames(texts.msdpVariables);
    data.msdpvariables = names == DefaultMsdpVariables() ? std::nullopt : std::optional(VariableNamesText(names));
  }
}

}  // namespace ombrel
