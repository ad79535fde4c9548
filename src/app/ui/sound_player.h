// The one sound player of the program: a new sound replaces the one playing.
#pragma once

#include <QObject>
#include <functional>

#include "term/platform.h"

class QMediaPlayer;
class QAudioOutput;

namespace ombrel {

class SoundPlayer : public QObject, public ISoundPlayer {
  Q_OBJECT
 public:
  explicit SoundPlayer(QObject* parent = nullptr);
  void Play(const std::string& fileName) override;
  // Where playback errors, which arrive later, are reported.
  std::function<void(const QString&)> onError;

 private:
  void EnsurePlayer();
  QMediaPlayer* player_ = nullptr;
  QAudioOutput* output_ = nullptr;
};

}  // namespace ombrel
