#include "gmcp/ui/game_panes.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace ombrel {

namespace {

// A bar counts in whole numbers within an int; the text says what came.
int BarValue(double v) { return static_cast<int>(std::clamp(std::round(v), 0.0, double(INT_MAX))); }

QString Text(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

}  // namespace

TgamePanes::TgamePanes(QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  gaugeRow_ = new QWidget(this);
  auto* row = new QHBoxLayout(gaugeRow_);
  row->setContentsMargins(0, 0, 0, 0);
  column->addWidget(gaugeRow_);
  room_ = new QLabel(this);
  room_->setTextFormat(Qt::PlainText);
  room_->setAccessibleName("Room");
  column->addWidget(room_);
  channels_ = new QPlainTextEdit(this);
  channels_->setReadOnly(true);
  channels_->setMaximumBlockCount(kChannelLines);
  channels_->setAccessibleName("Channels");
  column->addWidget(channels_, 1);
  gaugeRow_->hide();
  room_->hide();
  channels_->hide();
  hide();
  frame_ = new QTimer(this);
  frame_->setSingleShot(true);
  frame_->setInterval(kFrameMs);
  connect(frame_, &QTimer::timeout, this, [this] { ApplyPending(); });
}

TgamePanes::~TgamePanes() = default;

void TgamePanes::Bind(GameData* data, std::vector<GaugeMapping> gauges) {
  panes_.reset();
  if (data) panes_ = std::make_unique<GamePanes>(*data, *this, std::move(gauges));
}

void TgamePanes::ShowGauges(const std::vector<std::optional<GaugeReading>>& gauges) {
  pendingGauges_ = gauges;
  if (!frame_->isActive()) frame_->start();
}

void TgamePanes::ShowRoom(const std::optional<RoomInfo>& room) {
  pendingRoom_ = room;
  if (!frame_->isActive()) frame_->start();
}

void TgamePanes::AddChannelMessage(const ChannelMessage& message) {
  pendingTalk_.push_back(message);
  if (!frame_->isActive()) frame_->start();
}

void TgamePanes::ApplyPending() {
  if (pendingGauges_) ApplyGauges(*std::exchange(pendingGauges_, std::nullopt));
  if (pendingRoom_) ApplyRoom(*std::exchange(pendingRoom_, std::nullopt));
  if (!pendingTalk_.empty()) ApplyTalk();
  ShowIfAny();
}

void TgamePanes::ApplyGauges(const std::vector<std::optional<GaugeReading>>& gauges) {
  while (gauges_.size() < gauges.size()) {
    auto* bar = new QProgressBar(gaugeRow_);
    bar->setTextVisible(true);
    bar->hide();
    gaugeRow_->layout()->addWidget(bar);
    gauges_.push_back(bar);
  }
  for (size_t i = 0; i < gauges_.size(); ++i) {
    QProgressBar* bar = gauges_[i];
    const std::optional<GaugeReading> g = i < gauges.size() ? gauges[i] : std::nullopt;
    bar->setVisible(g.has_value());
    if (!g) continue;
    const QString text = Text(g->Text());
    // A bar ignores a value outside its range: more than the maximum (a
    // blessing, say) fills it, and the text still says how much.
    bar->setRange(0, std::max(1, BarValue(g->max)));
    bar->setValue(std::min(BarValue(g->current), bar->maximum()));
    bar->setFormat(QString(text).replace('%', "%%"));
    // A screen reader says the reading, not a percentage of the bar.
    bar->setAccessibleName(text);
    bar->setAccessibleDescription(text);
  }
  gaugeRow_->setVisible(std::any_of(gauges.begin(), gauges.end(), [](const auto& g) { return g.has_value(); }));
}

void TgamePanes::ApplyRoom(const std::optional<RoomInfo>& room) {
  if (room) {
    QStringList exits;
    for (const std::string& e : room->exits) exits << Text(e);
    room_->setText(Text(room->name) + "    Exits: " + (exits.isEmpty() ? "none" : exits.join(", ")));
  }
  room_->setVisible(room.has_value());
}

void TgamePanes::ApplyTalk() {
  QScrollBar* scroll = channels_->verticalScrollBar();
  const bool atEnd = scroll->value() == scroll->maximum();
  for (const ChannelMessage& message : std::exchange(pendingTalk_, {})) {
    const QString channel = message.channel.empty() ? QString() : "[" + Text(message.channel) + "] ";
    channels_->appendPlainText(channel + Text(message.text));
  }
  // Newest at the bottom, followed unless the player scrolled back to read.
  if (atEnd) scroll->setValue(scroll->maximum());
  channels_->show();
}

void TgamePanes::ShowIfAny() { setVisible(!gaugeRow_->isHidden() || !room_->isHidden() || !channels_->isHidden()); }

}  // namespace ombrel
