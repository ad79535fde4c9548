#include "gmcp/game_views.h"

#include <charconv>
#include <utility>

#include "term/escape.h"

namespace ombrel {

namespace {

std::string Number(double n) {
  char buf[32];
  const auto [end, error] = std::to_chars(buf, buf + sizeof buf, n);
  return error == std::errc() ? std::string(buf, end) : std::string();
}

std::string StringAt(const Json& object, const char* key) {
  if (!object.is_object()) return {};
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// What a pane shows of a text the server may have coloured.
std::string Plain(const std::string& text) {
  std::string out = StripEscapes(text);
  while (!out.empty() && (out.back() == '\r' || out.back() == '\n')) out.pop_back();
  return out;
}

std::vector<std::string> ExitNames(const Json* exits) {
  std::vector<std::string> names;
  if (!exits) return names;
  if (exits->is_object()) {
    for (const auto& [name, to] : exits->get_ref<const Json::object_t&>()) names.push_back(name);
  } else if (exits->is_array()) {
    for (const Json& e : *exits)
      if (e.is_string()) names.push_back(e.get<std::string>());
  }
  return names;
}

}  // namespace

std::vector<GaugeMapping> DefaultGauges() {
  return {
      {"Health", ParseSources("Char.Vitals.hp/Char.Vitals.maxhp Char.Vitals.hp/Char.Maxstats.maxhp "
                              "MSDP.HEALTH/MSDP.HEALTH_MAX")},
      {"Mana", ParseSources("Char.Vitals.mana/Char.Vitals.maxmana Char.Vitals.mana/Char.Maxstats.maxmana "
                            "Char.Vitals.mp/Char.Vitals.maxmp MSDP.MANA/MSDP.MANA_MAX")},
      {"Moves", ParseSources("Char.Vitals.moves/Char.Vitals.maxmoves Char.Vitals.moves/Char.Maxstats.maxmoves "
                             "Char.Vitals.mp/Char.Vitals.maxmp MSDP.MOVEMENT/MSDP.MOVEMENT_MAX")},
  };
}

std::string SourcesText(const std::vector<GaugeSource>& sources) {
  std::string text;
  for (const GaugeSource& s : sources) text += (text.empty() ? "" : " ") + s.current + "/" + s.max;
  return text;
}

std::vector<GaugeSource> ParseSources(std::string_view text) {
  std::vector<GaugeSource> sources;
  constexpr std::string_view kGaps = " \t,";
  for (size_t from = text.find_first_not_of(kGaps); from != std::string_view::npos;) {
    const size_t end = std::min(text.find_first_of(kGaps, from), text.size());
    const std::string_view pair = text.substr(from, end - from);
    const size_t slash = pair.find('/');
    if (slash != std::string_view::npos && slash > 0 && slash + 1 < pair.size())
      sources.push_back({std::string(pair.substr(0, slash)), std::string(pair.substr(slash + 1))});
    from = text.find_first_not_of(kGaps, end);
  }
  return sources;
}

std::string GaugeReading::Text() const { return label + " " + Number(current) + " of " + Number(max); }

std::vector<std::optional<GaugeReading>> ReadGauges(const GameData& data, const std::vector<GaugeMapping>& gauges) {
  std::vector<std::optional<GaugeReading>> readings;
  std::vector<const Json*> shown;
  for (const GaugeMapping& g : gauges) {
    std::optional<GaugeReading> reading;
    for (const GaugeSource& s : g.sources) {
      const Json* current = data.Find(s.current);
      const Json* max = data.Find(s.max);
      double c, m;
      if (!current || !max || std::find(shown.begin(), shown.end(), current) != shown.end() ||
          !NumberOf(*current, c) || !NumberOf(*max, m))
        continue;
      reading = GaugeReading{g.label, c, m};
      shown.push_back(current);
      break;
    }
    readings.push_back(std::move(reading));
  }
  return readings;
}

std::optional<RoomInfo> ReadRoom(const GameData& data) {
  struct Where {
    const char *name, *exits;
  };
  static constexpr Where kWhere[] = {
      {"Room.Info.name", "Room.Info.exits"}, {"MSDP.ROOM.NAME", "MSDP.ROOM.EXITS"}, {"MSDP.ROOM_NAME", "MSDP.ROOM_EXITS"}};
  for (const Where& w : kWhere) {
    const Json* name = data.Find(w.name);
    if (name && name->is_string()) return RoomInfo{Plain(name->get<std::string>()), ExitNames(data.Find(w.exits))};
  }
  return std::nullopt;
}

std::optional<ChannelMessage> ReadChannelMessage(std::string_view message, const Json& value) {
  // The keys of the message: channel, talker and text.
  static constexpr const char* kShapes[][4] = {{"Comm.Channel.Text", "channel", "talker", "text"},
                                               {"comm.channel", "chan", "player", "msg"}};
  for (const auto& shape : kShapes) {
    if (!SameName(message, shape[0]) || !value.is_object() || !value.contains(shape[3])) continue;
    return ChannelMessage{StringAt(value, shape[1]), StringAt(value, shape[2]), Plain(StringAt(value, shape[3]))};
  }
  return std::nullopt;
}

GamePanes::GamePanes(GameData& data, GamePanesView& view, std::vector<GaugeMapping> gauges)
    : data_(data), view_(view), gauges_(std::move(gauges)) {
  listener_ = data_.Listen([this](const GameData&, std::string_view message, const Json& value) {
    if (auto said = ReadChannelMessage(message, value)) view_.AddChannelMessage(*said);
    Refresh();
  });
  Refresh();
}

GamePanes::~GamePanes() { data_.Unlisten(listener_); }

void GamePanes::SetGauges(std::vector<GaugeMapping> gauges) {
  gauges_ = std::move(gauges);
  Refresh();
}

void GamePanes::Refresh() {
  auto gauges = ReadGauges(data_, gauges_);
  if (gauges != shownGauges_) view_.ShowGauges(shownGauges_ = std::move(gauges));
  auto room = ReadRoom(data_);
  if (room != shownRoom_) view_.ShowRoom(shownRoom_ = std::move(room));
}

}  // namespace ombrel
