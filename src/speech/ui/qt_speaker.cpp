#include "speech/ui/qt_speaker.h"

#include <QTextToSpeech>
#include <QVoice>

namespace ombrel {

QtSpeaker::QtSpeaker(QObject* parent) : QObject(parent) {
  // With no engine installed Qt still makes the object, in an error state.
  engine_ = new QTextToSpeech(this);
  connect(engine_, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) {
    if (state != QTextToSpeech::Ready) return;
    const bool stopped = stopping_;
    stopping_ = false;
    if (!stopped && Done) Done();
  });
}

bool QtSpeaker::Available() const {
  return engine_->state() != QTextToSpeech::Error && !engine_->engine().isEmpty();
}

void QtSpeaker::Say(const std::string& text) {
  if (!Available()) return;
  engine_->say(QString::fromUtf8(text));
}

void QtSpeaker::Stop() {
  if (!Speaking()) return;
  stopping_ = true;
  engine_->stop();
}

bool QtSpeaker::Speaking() const { return engine_->state() == QTextToSpeech::Speaking; }

void QtSpeaker::Configure(int rate, const std::string& voice) {
  if (!Available()) return;
  engine_->setRate(rate / 10.0);
  const QString wanted = QString::fromStdString(voice);
  for (const QVoice& v : engine_->availableVoices())
    if (v.name() == wanted) engine_->setVoice(v);
}

}  // namespace ombrel
