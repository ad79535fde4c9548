#include "speech/ui/term_speech.h"

#include <QString>
#include <QTimer>
#include <chrono>

namespace ombrel {

namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TermSpeech::TermSpeech(TermSession& session, MakeSpeaker makeSpeaker, SpeechSettings settings, QObject* parent)
    : QObject(parent),
      session_(session),
      makeSpeaker_(std::move(makeSpeaker)),
      settings_(std::move(settings)),
      chooser_(settings_.never),
      summaryTimer_(new QTimer(this)) {
  summaryTimer_->setSingleShot(true);
  connect(summaryTimer_, &QTimer::timeout, this, [this] { QueueHeld(); });
  session_.AddListener(*this, true);
}

TermSpeech::~TermSpeech() {
  session_.RemoveListener(*this);
  if (speaker_) speaker_->Done = nullptr;
}

bool TermSpeech::On() const { return session_.Options() && session_.Options()->features.speech; }

// Lines come while the terminal stores one: the status line waits until
// that is done.
void TermSpeech::Tell(const std::string& text) {
  QTimer::singleShot(0, this, [this, text] { session_.Core().WriteText(text + "\r\n", false); });
}

bool TermSpeech::EngineReady() {
  if (!speaker_) {
    speaker_ = makeSpeaker_();
    speaker_->Done = [this] { SpeakNext(); };
    speaker_->Configure(settings_.rate, settings_.voice);
    for (const std::string& bad : chooser_.Invalid())
      Tell("Not a pattern, and so not kept from speech: " + bad);
  }
  if (speaker_->Available()) return true;
  if (!missingTold_) {
    missingTold_ = true;
    Tell("No speech engine: incoming text is not spoken (install speech-dispatcher)");
  }
  return false;
}

void TermSpeech::LineStored(int32_t, std::string_view text, bool received) {
  if (!received || !On() || !EngineReady()) return;
  const int64_t now = NowMs();
  chooser_.Offer(text, session_.Options()->features.extendedcolours, now);
  const int64_t due = chooser_.SummaryDue();
  if (due >= 0 && !summaryTimer_->isActive()) summaryTimer_->start(static_cast<int>(std::max<int64_t>(0, due - now)));
  if (!speaker_->Speaking()) SpeakNext();
}

void TermSpeech::QueueHeld() {
  chooser_.TakeHeld(NowMs());
  if (!speaker_->Speaking()) SpeakNext();
}

void TermSpeech::SpeakNext() {
  std::optional<std::string> text = chooser_.Next();
  if (!text) return;
  // A set without UTF-8 holds its text as Latin-1 bytes.
  const bool utf8 = session_.Options() && session_.Options()->features.utf8;
  speaker_->Say(utf8 ? *text : QString::fromLatin1(text->data(), static_cast<qsizetype>(text->size())).toStdString());
}

void TermSpeech::Silence() {
  chooser_.Silence();
  summaryTimer_->stop();
  if (speaker_) speaker_->Stop();
}

}  // namespace ombrel
