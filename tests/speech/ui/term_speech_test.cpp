// A terminal's received lines reach the voice through a fake speaker: one
// text at a time, only with the set's switch on, silenced by Ctrl, and a
// missing engine told once.
#include <QtTest>

#include "command/command_target.h"
#include "options/options.h"
#include "speech/ui/qt_speaker.h"
#include "speech/ui/term_speech.h"
#include "term/term_session.h"

using namespace ombrel;

namespace {

struct FakeSpeaker : Speaker {
  bool available = true;
  bool speaking = false;
  std::vector<std::string>* said;
  int* stops;
  FakeSpeaker(std::vector<std::string>* s, int* st, bool avail) : available(avail), said(s), stops(st) {}
  bool Available() const override { return available; }
  void Say(const std::string& text) override { said->push_back(text), speaking = true; }
  void Stop() override { ++*stops, speaking = false; }
  bool Speaking() const override { return speaking; }
  void Configure(int, const std::string&) override {}
  void Finish() {
    speaking = false;
    if (Done) Done();
  }
};

struct NoScroll : ScrollTarget {
  void ScrollBy(int) override {}
  int Rows() const override { return 24; }
  int CurLine() const override { return 0; }
};
struct NoPrompt : ParamPrompt {
  std::string Ask(const std::string&) override { return {}; }
};

struct Rig {
  TOptions options;
  NoScroll scroll;
  NoPrompt prompt;
  TermSession session{&options, scroll, prompt};
  std::vector<std::string> said;
  int stops = 0, made = 0;
  FakeSpeaker* speaker = nullptr;
  TermSpeech speech;
  explicit Rig(bool on, bool available = true, SpeechSettings settings = {})
      : speech(
            session,
            [this, available] {
              ++made;
              auto s = std::make_unique<FakeSpeaker>(&said, &stops, available);
              speaker = s.get();
              return s;
            },
            std::move(settings)) {
    options.ansi = true;
    options.features.speech = on;
  }
  void Receive(const std::string& text) { session.Core().WriteText(text, true); }
  // How many stored lines hold `text`.
  int LinesWith(std::string_view text) {
    int n = 0;
    const LineStore& store = session.Core().Store();
    for (int i = 0; i < store.LineCount(); ++i) n += store.Line(i).text.find(text) != std::string_view::npos;
    return n;
  }
};

}  // namespace

class TermSpeechTest : public QObject {
  Q_OBJECT
 private slots:
  void linesAreSpokenOneAfterAnotherOnlyWithTheSwitchOn() {
    Rig off(false);
    off.Receive("nothing said\r\n");
    QCOMPARE(off.made, 0);  // the engine is never started

    SpeechSettings settings;
    settings.never = {"^\\[OOC\\]"};
    Rig rig(true, true, settings);
    rig.Receive("\x1b[31mFirst\x1b[0m line\r\n[OOC] chatter\r\nSec");
    QCOMPARE(rig.said, (std::vector<std::string>{"First line"}));
    rig.Receive("ond\r\n");
    QCOMPARE(rig.said.size(), size_t{1});  // waits for the first to be read
    rig.speaker->Finish();
    QCOMPARE(rig.said, (std::vector<std::string>{"First line", "Second"}));
  }

  void ctrlSilencesWhatIsReadAndWaiting() {
    Rig rig(true);
    rig.Receive("one\r\ntwo\r\nthree\r\n");
    rig.speech.Silence();
    QCOMPARE(rig.stops, 1);
    rig.speaker->Finish();  // a late Done after the stop says nothing waiting
    QCOMPARE(rig.said, (std::vector<std::string>{"one"}));
  }

  void aMissingEngineIsToldOnceAndNothingIsSaid() {
    Rig rig(true, false);
    rig.Receive("a\r\nb\r\n");
    QTest::qWait(20);
    rig.Receive("c\r\n");
    QTest::qWait(20);
    QVERIFY(rig.said.empty());
    QCOMPARE(rig.LinesWith("No speech engine"), 1);
    QCOMPARE(rig.made, 1);
  }

  // The system's engine, whatever is installed: without one, asking it to
  // speak or stop does nothing rather than fail.
  void theSystemsEngineWithoutABackendStaysQuiet() {
    QtSpeaker speaker;
    if (speaker.Available()) QSKIP("a speech engine is installed here");
    speaker.Configure(5, "none");
    speaker.Say("hello");
    QVERIFY(!speaker.Speaking());
    speaker.Stop();
    QVERIFY(!speaker.Speaking());
  }
};

QTEST_MAIN(TermSpeechTest)
#include "term_speech_test.moc"
