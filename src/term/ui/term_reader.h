// What a screen reader hears of one terminal: each received line as it is
// completed (without its colours, a flood told as a count), the lines the
// review keys step to, and the store as text for the terminal's
// accessible interface. It listens to the session for lines only while an
// accessibility client is active, so without one a line costs nothing.
#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>
#include <functional>

#include "term/announce_throttle.h"
#include "term/line_review.h"
#include "term/reader_text.h"
#include "term/term_session.h"

class QTimer;
class QWidget;

namespace ombrel {

class TermReader : public QObject, private TermListener, private QAccessible::ActivationObserver {
 public:
  // `output`: the widget whose accessible interface serves the text.
  TermReader(TermSession& session, QWidget& output);
  ~TermReader() override;

  // Whether a received line is gagged, and so never spoken; unset, none is.
  std::function<bool(int32_t index, std::string_view text)> gagged;

  ReaderText& Text();
  // Where the reader's caret stands: the review line's start, or the end.
  int64_t Caret();
  // Steps the review as the key says and reads the line it stands on.
  void Review(ReviewKey key);
  bool Listening() const { return listening_; }

 private:
  // TermListener
  void LineStored(int32_t index, std::string_view text, bool received) override;
  void StatusLine(std::string_view text) override;
  void Cleared() override { Reset(); }
  void LogLoaded() override { Reset(); }
  // ActivationObserver
  void accessibilityActiveChanged(bool active) override;

  void Listen(bool on);
  void Reset();
  // A received line (`index`), or a status line (-1), to be spoken.
  void Offer(int32_t index, std::string_view text);
  void SayHeld();
  // Tells the client that `text` arrived at `position` of the output.
  void Say(int64_t position, const QString& text);
  bool Utf8() const;

  TermSession& session_;
  QWidget& output_;
  ReaderText text_;
  LineReview review_;
  AnnounceThrottle throttle_;
  QTimer* summaryTimer_;
  bool listening_ = false;
  std::string visible_;   // kept from line to line
  std::string lastHeld_;  // the last line the throttle held back
};

}  // namespace ombrel
