#include "term/ui/term_accessible.h"

#include <QTextBoundaryFinder>
#include <algorithm>
#include <climits>

#include "term/ui/term_form.h"
#include "term/ui/term_reader.h"

namespace ombrel {

namespace {

int Clamp(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, INT_MAX)); }

QString Qs(const std::u16string& s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
  // Asked while the window is still being built, too: the output is known
  // by its name, and its text comes once the reader is there.
  auto* form = object ? qobject_cast<TtermForm*>(object->parent()) : nullptr;
  if (!form || object->objectName() != kOutputName) return nullptr;
  return new TermAccessible(static_cast<QWidget*>(object), *form, QStringLiteral("Output"));
}

}  // namespace

void InstallTermAccessible() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
}

TermAccessible::TermAccessible(QWidget* output, TtermForm& form, const QString& name)
    : QAccessibleWidget(output, QAccessible::Terminal), form_(form), name_(name) {}

TermReader* TermAccessible::Reader() const { return form_.ReaderIfMade(); }

QString TermAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name) return name_;
  if (t == QAccessible::Description) return widget()->parentWidget()->windowTitle();
  return QAccessibleWidget::text(t);
}

QAccessible::State TermAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.readOnly = true;
  s.multiLine = true;
  s.selectableText = true;
  return s;
}

void* TermAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

int TermAccessible::characterCount() const { return Reader() ? Clamp(Reader()->Text().Length()) : 0; }

int TermAccessible::cursorPosition() const { return Reader() ? Clamp(Reader()->Caret()) : 0; }

// A line with the line feed that ends it, as Qt's own text views count.
std::pair<int, int> TermAccessible::LineSpan(int line) const {
  ReaderText& text = Reader()->Text();
  const int end = line + 1 < text.LineCount() ? Clamp(text.LineStart(line + 1)) : characterCount();
  return {Clamp(text.LineStart(line)), end};
}

QString TermAccessible::text(int startOffset, int endOffset) const {
  const int count = characterCount();
  if (endOffset < 0 || endOffset > count) endOffset = count;
  startOffset = std::clamp(startOffset, 0, endOffset);
  // Whole-text questions get the newest part: what a player wants read.
  startOffset = std::max(startOffset, endOffset - kMaxPiece);
  if (!Reader()) return {};
  ReaderText& text = Reader()->Text();
  QString out;
  for (int line = text.LineAt(startOffset); line < text.LineCount(); ++line) {
    const int lineStart = Clamp(text.LineStart(line));
    if (lineStart >= endOffset) break;
    QString piece = Qs(text.Line(line));
    if (line + 1 < text.LineCount()) piece += QLatin1Char('\n');
    const int from = std::max(0, startOffset - lineStart);
    out += piece.mid(from, endOffset - lineStart - from);
  }
  return out;
}

std::pair<int, int> TermAccessible::Unit(int offset, QAccessible::TextBoundaryType type) const {
  const int count = characterCount();
  offset = std::clamp(offset, 0, count);
  if (type == QAccessible::NoBoundary || !Reader()) return {std::max(0, count - kMaxPiece), count};
  const int line = Reader()->Text().LineAt(offset);
  const auto [lineStart, lineEnd] = LineSpan(line);
  if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary ||
      type == QAccessible::SentenceBoundary)
    return {lineStart, lineEnd};
  const QString lineText = Qs(Reader()->Text().Line(line));
  if (type == QAccessible::CharBoundary) {
    if (offset >= count) return {count, count};
    QTextBoundaryFinder chars(QTextBoundaryFinder::Grapheme, lineText);
    chars.setPosition(std::min<int>(offset - lineStart, static_cast<int>(lineText.size())));
    const int at = static_cast<int>(chars.position());
    if (at >= lineText.size()) return {offset, offset + 1};  // the line feed
    const int next = static_cast<int>(chars.toNextBoundary());
    return {lineStart + at, lineStart + next};
  }
  // A word with the spaces after it, as readers step by words; in the
  // spaces before the first word, those spaces.
  const int size = static_cast<int>(lineText.size());
  const auto space = [&](int i) { return lineText.at(i).isSpace(); };
  int start = std::min(offset - lineStart, size);
  while (start > 0 && space(start - 1) && (start == size || space(start))) --start;
  while (start > 0 && !space(start - 1)) --start;
  int end = start;
  while (end < size && !space(end)) ++end;
  while (end < size && space(end)) ++end;
  if (end == size) end = lineEnd - lineStart;
  return {lineStart + start, lineStart + end};
}

QString TermAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                     int* endOffset) const {
  const auto [start, end] = Unit(offset, type);
  *startOffset = start;
  *endOffset = end;
  return text(start, end);
}

QString TermAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                         int* endOffset) const {
  const int at = Unit(offset, type).first;
  if (at <= 0) {
    *startOffset = *endOffset = 0;
    return {};
  }
  return textAtOffset(at - 1, type, startOffset, endOffset);
}

QString TermAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                                        int* endOffset) const {
  const int at = Unit(offset, type).second;
  if (at >= characterCount()) {
    *startOffset = *endOffset = characterCount();
    return {};
  }
  return textAtOffset(at, type, startOffset, endOffset);
}

QString TermAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
  *startOffset = *endOffset = offset;
  return {};
}

}  // namespace ombrel
