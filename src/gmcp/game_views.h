// What the panes beside a terminal show of the game's data: gauges read
// through a mapping of tree paths, the room's name and exits, and the
// channel messages; and the binding that keeps a view of them in step with
// the tree.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gmcp/game_data.h"

namespace ombrel {

// Where a gauge may find its values: the paths of the current and the
// maximum value ("Char.Vitals.hp", "Char.Maxstats.maxhp").
struct GaugeSource {
  std::string current, max;
  bool operator==(const GaugeSource&) const = default;
};

struct GaugeMapping {
  std::string label;
  std::vector<GaugeSource> sources;  // the first that reads wins
  bool operator==(const GaugeMapping&) const = default;
};

// Health, mana and moves as the games we know send them: IRE's strings in
// Char.Vitals, numbers, maxima split into Char.Maxstats, MSDP's variables.
std::vector<GaugeMapping> DefaultGauges();

// The sources as a player edits them: "current/max" pairs separated by
// spaces or commas. Pairs without both paths are skipped.
std::string SourcesText(const std::vector<GaugeSource>& sources);
std::vector<GaugeSource> ParseSources(std::string_view text);

struct GaugeReading {
  std::string label;
  double current = 0, max = 0;
  // As a screen reader says it: "Health 4500 of 4800".
  std::string Text() const;
  bool operator==(const GaugeReading&) const = default;
};

// Each gauge's reading, or none while the tree holds no pair for it: the
// first source whose two values both read as numbers. A value an earlier
// gauge shows is not read again, so "mp" is the mana of a game that sends
// no "mana" and the moves of one that does.
std::vector<std::optional<GaugeReading>> ReadGauges(const GameData& data, const std::vector<GaugeMapping>& gauges);

struct RoomInfo {
  std::string name;
  std::vector<std::string> exits;  // in the order the server listed them
  bool operator==(const RoomInfo&) const = default;
};
// From GMCP's Room.Info or MSDP's ROOM or ROOM_NAME and ROOM_EXITS; none
// until a name came. Colour sequences are taken out.
std::optional<RoomInfo> ReadRoom(const GameData& data);

struct ChannelMessage {
  std::string channel, talker, text;
  bool operator==(const ChannelMessage&) const = default;
};
// A message as channel talk: Comm.Channel.Text {channel, talker, text}, or
// Aardwolf's comm.channel {chan, player, msg}; the text without colour
// sequences or its line end.
std::optional<ChannelMessage> ReadChannelMessage(std::string_view message, const Json& value);

// What shows the panes; each is hidden until it has something to show.
class GamePanesView {
 public:
  virtual ~GamePanesView() = default;
  virtual void ShowGauges(const std::vector<std::optional<GaugeReading>>& gauges) = 0;
  virtual void ShowRoom(const std::optional<RoomInfo>& room) = 0;
  virtual void AddChannelMessage(const ChannelMessage& message) = 0;
};

// Keeps a view in step with a tree: it hears every message and tells the
// view only what changed.
class GamePanes {
 public:
  GamePanes(GameData& data, GamePanesView& view, std::vector<GaugeMapping> gauges = DefaultGauges());
  ~GamePanes();
  GamePanes(const GamePanes&) = delete;
  GamePanes& operator=(const GamePanes&) = delete;

  void SetGauges(std::vector<GaugeMapping> gauges);
  const std::vector<GaugeMapping>& Gauges() const { return gauges_; }

 private:
  void Refresh();

  GameData& data_;
  GamePanesView& view_;
  int listener_;
  std::vector<GaugeMapping> gauges_;
  std::vector<std::optional<GaugeReading>> shownGauges_;
  std::optional<RoomInfo> shownRoom_;
};

}  // namespace ombrel
