// Speaks one terminal's received lines aloud when its set's Speak
// Incoming Text switch is on: the chooser decides what, the speaker says
// it one text after another. A missing engine is said once in the status
// line and nothing more is tried.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "speech/speaker.h"
#include "speech/speech_chooser.h"
#include "speech/speech_settings.h"
#include "term/term_session.h"

class QTimer;

namespace ombrel {

class TermSpeech : public QObject, private TermListener {
 public:
  using MakeSpeaker = std::function<std::unique_ptr<Speaker>()>;
  // The speaker is made with the first line to speak, so that a set that
  // never speaks never starts the engine.
  TermSpeech(TermSession& session, MakeSpeaker makeSpeaker, SpeechSettings settings, QObject* parent = nullptr);
  ~TermSpeech() override;

  // Ctrl pressed alone: what is being read stops and nothing waiting is said.
  void Silence();

 private:
  void LineStored(int32_t index, std::string_view text, bool received) override;
  bool On() const;
  bool EngineReady();
  void SpeakNext();
  void Tell(const std::string& text);
  void QueueHeld();

  TermSession& session_;
  MakeSpeaker makeSpeaker_;
  SpeechSettings settings_;
  std::unique_ptr<Speaker> speaker_;
  SpeechChooser chooser_;
  QTimer* summaryTimer_;
  bool missingTold_ = false;
};

}  // namespace ombrel
