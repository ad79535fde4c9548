#include "term/ui/term_reader.h"

#include <QAccessibleEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>

#include "term/escape.h"
#include "util/ui/byte_text.h"

namespace ombrel {

namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool Blank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

QString ToQString(const std::u16string& s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

}  // namespace

TermReader::TermReader(TermSession& session, QWidget& output)
    : QObject(&output),
      session_(session),
      output_(output),
      text_(session.Core().Store(), false, false),
      summaryTimer_(new QTimer(this)) {
  summaryTimer_->setSingleShot(true);
  connect(summaryTimer_, &QTimer::timeout, this, [this] { SayHeld(); });
  session_.AddListener(*this);
  QAccessible::installActivationObserver(this);
  Listen(QAccessible::isActive());
}

TermReader::~TermReader() {
  QAccessible::removeActivationObserver(this);
  session_.RemoveListener(*this);
}

bool TermReader::Utf8() const { return session_.Options() && session_.Options()->features.utf8; }

ReaderText& TermReader::Text() {
  const TOptions* o = session_.Options();
  text_.SetEncoding(Utf8(), o && o->features.extendedcolours);
  return text_;
}

int64_t TermReader::Caret() {
  ReaderText& text = Text();
  return review_.Line() >= 0 ? text.LineStart(review_.Line()) : text.Length();
}

// Lines are heard only through a listener added for them, so the session
// pays for none while nobody reads; the other events come always, as
// they are rare.
void TermReader::Listen(bool on) {
  if (on == listening_) return;
  listening_ = on;
  session_.RemoveListener(*this);
  session_.AddListener(*this, on);
}

void TermReader::accessibilityActiveChanged(bool active) { Listen(active); }

void TermReader::Reset() {
  text_.Reset();
  review_.Reset();
}

void TermReader::LineStored(int32_t index, std::string_view text, bool received) {
  if (!received || (gagged && gagged(index, text))) return;
  Offer(index, text);
}

void TermReader::StatusLine(std::string_view text) {
  if (listening_) Offer(-1, text);
}

// Where a line starts is counted only for the lines spoken: in a flood
// most are not.
void TermReader::Offer(int32_t index, std::string_view text) {
  const TOptions* o = session_.Options();
  StripEscapes(text, visible_, o && o->features.extendedcolours);
  if (Blank(visible_)) return;
  const int64_t now = NowMs();
  if (throttle_.Admit(now)) {
    Say(index >= 0 ? Text().LineStart(index) : Text().Length(), ToQString(ReaderText::Decode(visible_, Utf8())));
    return;
  }
  lastHeld_ = visible_;
  if (!summaryTimer_->isActive())
    summaryTimer_->start(static_cast<int>(std::max<int64_t>(0, throttle_.SummaryDue() - now)));
}

void TermReader::SayHeld() {
  const std::string summary = AnnounceThrottle::Summary(throttle_.TakeHeld(NowMs()), lastHeld_);
  if (!summary.empty()) Say(Text().Length(), ToQString(ReaderText::Decode(summary, Utf8())));
}

void TermReader::Say(int64_t position, const QString& text) {
  if (!QAccessible::isActive()) return;
  QAccessibleTextInsertEvent event(&output_, static_cast<int>(std::min<int64_t>(position, INT_MAX)), text);
  QAccessible::updateAccessibility(&event);
}

// Qt 6.4 has no event that only speaks, so the line under review is told
// as the text at the caret, which moves to it: a reader speaks both the
// caret's line in a focused output and text told while the command line
// keeps the focus.
void TermReader::Review(ReviewKey key) {
  ReaderText& text = Text();
  const ReviewStep step = review_.Press(key, text.LineCount(), [&](int32_t i) {
    const std::u16string line = text.Line(i);
    return line.find_first_not_of(u" \t") != std::u16string::npos;
  });
  if (step.line < 0) {
    Say(text.Length(), QStringLiteral("No output"));
    return;
  }
  const int64_t start = text.LineStart(step.line);
  if (QAccessible::isActive()) {
    QAccessibleTextCursorEvent caret(&output_, static_cast<int>(std::min<int64_t>(Caret(), INT_MAX)));
    QAccessible::updateAccessibility(&caret);
  }
  const QString line = ToQString(text.Line(step.line));
  Say(start, step.edge ? line + QStringLiteral(" (end)") : line);
}

}  // namespace ombrel
