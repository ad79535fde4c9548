// The system's speech engine (Qt TextToSpeech, through speech-dispatcher
// on Linux) as a Speaker. Qt 6.4 cuts off what is being read when asked
// to say more, so one text is given at a time and Done says when to go on.
#pragma once

#include <QObject>

#include "speech/speaker.h"

class QTextToSpeech;

namespace ombrel {

class QtSpeaker : public QObject, public Speaker {
 public:
  explicit QtSpeaker(QObject* parent = nullptr);
  bool Available() const override;
  void Say(const std::string& text) override;
  void Stop() override;
  bool Speaking() const override;
  void Configure(int rate, const std::string& voice) override;

 private:
  QTextToSpeech* engine_ = nullptr;
  bool stopping_ = false;
};

}  // namespace ombrel
