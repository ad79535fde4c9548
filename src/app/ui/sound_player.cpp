#include "app/ui/sound_player.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>
#include <stdexcept>

#include "util/ui/file_name.h"

namespace ombrel {

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

// The media backend starts with the first sound, so a machine without one
// still starts and runs every terminal.
void SoundPlayer::EnsurePlayer() {
  if (player_) return;
  player_ = new QMediaPlayer(this);
  output_ = new QAudioOutput(this);
  player_->setAudioOutput(output_);
  connect(player_, &QMediaPlayer::errorOccurred, this,
          [this](QMediaPlayer::Error, const QString& text) {
            if (onError) onError(text);
          });
}

void SoundPlayer::Play(const std::string& fileName) {
  const QString name = FromFileName(fileName);
  if (!QFileInfo(name).isReadable()) throw std::runtime_error("Cannot open " + fileName);
  EnsurePlayer();
  player_->stop();
  player_->setSource(QUrl::fromLocalFile(name));
  player_->play();
}

}  // namespace ombrel
