#include "term/ui/qt_paint.h"
#include "util/ui/byte_text.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <QPainter>

#include "options/options.h"
#include "util/utf8.h"

namespace ombrel {

QFont TerminalFont(const TOptions& options) {
  QFont font;
  if (EqualsNoCase(options.font.name, "fixedsys")) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  } else {
    font = QFont(FromBytes(options.font.name));
    font.setStyleHint(QFont::TypeWriter);
  }
  font.setPointSize(std::max(1, options.font.size));
  font.setBold(options.font.style & fsBold);
  font.setItalic(options.font.style & fsItalic);
  font.setUnderline(options.font.style & fsUnderline);
  font.setStrikeOut(options.font.style & fsStrikeOut);
  font.setFixedPitch(true);
  return font;
}

QtTextMeasure::QtTextMeasure(const QFont& font) : font_(font), metrics_(font) {
  // Qt lays text out in 64ths of a pixel and rounds the sum, so a cell may
  // be a fraction wide: a run of n cells is then n advances, rounded.
  const QFontMetricsF exact(font);
  const qreal advance = exact.horizontalAdvance(QStringLiteral("W"));
  if (exact.horizontalAdvance(QStringLiteral("i")) != advance || advance * 64 != std::round(advance * 64)) return;
  // Control bytes are left to Qt: a tab's width depends on where it stands.
  QString all;
  for (int b = 0x20; b < 0x100; ++b) {
    if (b >= 0x7F && b < 0xA0) continue;
    oneCell_[b] = exact.horizontalAdvance(QString(QChar(b))) == advance;
    if (oneCell_[b]) all += QChar(b);
  }
  // Every pair side by side: kerning or a ligature would show in the sum.
  QString pairs;
  pairs.reserve(2 * all.size() * all.size());
  for (QChar a : all)
    for (QChar b : all) pairs += a, pairs += b;
  if (exact.horizontalAdvance(pairs) != advance * pairs.size()) return;
  advance64_ = static_cast<int>(advance * 64);
  // Runs of 1 to 64 cells meet every remainder the rounding can see.
  QString run;
  for (int n = 1; n <= 64; ++n) {
    run += QLatin1Char('W');
    if (metrics_.horizontalAdvance(run) != CountedWidth(n)) {
      advance64_ = 0;
      return;
    }
  }
}

int QtTextMeasure::CountedWidth(size_t n) const {
  return static_cast<int>((static_cast<int64_t>(n) * advance64_ + 32) >> 6);
}

int QtTextMeasure::TextWidth(const std::string& text) const {
  if (advance64_ > 0 &&
      std::all_of(text.begin(), text.end(), [this](char c) { return oneCell_[static_cast<unsigned char>(c)]; }))
    return CountedWidth(text.size());
  return metrics_.horizontalAdvance(FromBytes(text));
}

void DrawPlan(QPainter& p, const QRect& area, const PaintPlan& plan, const QtTextMeasure& measure) {
  p.fillRect(area, ToQColor(plan.background));
  for (const FilledRect& b : plan.backgrounds)
    p.fillRect(b.rect.x, b.rect.y, b.rect.width, b.rect.height, ToQColor(b.color));
  QFont italic = measure.Font();
  italic.setItalic(true);
  bool italicSet = false;
  p.setFont(measure.Font());
  const int ascent = measure.Ascent();
  // One string for all runs: it keeps its room, each byte one character.
  QString text;
  for (const TextRun& run : plan.runs) {
    if (plan.utf8) {
      // Decoded as the view counted the cells: an invalid byte is one U+FFFD.
      text.clear();
      char32_t cp;
      for (size_t i = 0; i < run.text.size();) {
        i += utf8::Decode(run.text.data(), run.text.size(), i, cp);
        if (cp < 0x10000) {
          text += QChar(static_cast<char16_t>(cp));
        } else {
          text += QChar(QChar::highSurrogate(cp));
          text += QChar(QChar::lowSurrogate(cp));
        }
      }
    } else {
      text.resize(static_cast<qsizetype>(run.text.size()));
      QChar* out = text.data();
      for (char c : run.text) *out++ = QChar(static_cast<uchar>(c));
    }
    // Italic is the font's own slanted face, on the same cells.
    if (run.italic != italicSet) {
      italicSet = run.italic;
      p.setFont(italicSet ? italic : measure.Font());
    }
    p.setPen(ToQColor(run.color));
    p.drawText(run.x, run.y + ascent, text);
    if (run.strike)
      p.fillRect(run.x, run.y + ascent - measure.StrikeOutPos(), run.width, measure.LineWidth(), ToQColor(run.color));
    // A line of its own rather than an underlined font: the font stays
    // the same for every run.
    if (run.underline)
      p.fillRect(run.x, run.y + ascent + measure.UnderlinePos(), run.width, measure.LineWidth(), ToQColor(run.color));
  }
  // Inverting keeps each selected character readable in its own colour.
  p.setCompositionMode(QPainter::CompositionMode_Difference);
  for (const PixelRect& r : plan.inverted) p.fillRect(r.x, r.y, r.width, r.height, Qt::white);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

}  // namespace ombrel
