// The panes beside a terminal that show what the game sends beside its
// text: gauges for health, mana and moves, the room's name and exits, and
// the channel talk, newest at the bottom. Each part stays hidden until it
// has something to show, and the whole until one has. What changes is shown
// at most once a frame, however many messages came: a game may send a
// thousand a second, and painting each would cost a quarter of a core.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "gmcp/game_views.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QTimer;

namespace ombrel {

class TgamePanes : public QWidget, public GamePanesView {
  Q_OBJECT
 public:
  explicit TgamePanes(QWidget* parent = nullptr);
  ~TgamePanes() override;

  // Follows `data` (one terminal's tree) from now on; nullptr follows none.
  // A tree that goes before the panes is unbound from them first.
  void Bind(GameData* data, std::vector<GaugeMapping> gauges = DefaultGauges());

  void ShowGauges(const std::vector<std::optional<GaugeReading>>& gauges) override;
  void ShowRoom(const std::optional<RoomInfo>& room) override;
  void AddChannelMessage(const ChannelMessage& message) override;

  QProgressBar* Gauge(size_t index) const { return index < gauges_.size() ? gauges_[index] : nullptr; }
  QLabel* RoomLine() const { return room_; }
  QPlainTextEdit* Channels() const { return channels_; }
  // Talk is kept to this many lines, the oldest dropped.
  static constexpr int kChannelLines = 500;
  static constexpr int kFrameMs = 100;

 private:
  void ShowIfAny();
  void ApplyPending();
  void ApplyGauges(const std::vector<std::optional<GaugeReading>>& gauges);
  void ApplyRoom(const std::optional<RoomInfo>& room);
  void ApplyTalk();

  QWidget* gaugeRow_;
  std::vector<QProgressBar*> gauges_;
  QLabel* room_;
  QPlainTextEdit* channels_;
  std::unique_ptr<GamePanes> panes_;
  // What came since the last frame: the latest gauges and room, all talk.
  QTimer* frame_;
  std::optional<std::vector<std::optional<GaugeReading>>> pendingGauges_;
  std::optional<std::optional<RoomInfo>> pendingRoom_;
  std::vector<ChannelMessage> pendingTalk_;
};

}  // namespace ombrel
