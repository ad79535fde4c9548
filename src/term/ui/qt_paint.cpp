#include "term/ui/qt_paint.h"
#include "term/ui/byte_text.h"

#include <QFontDatabase>
#include <QPainter>

#include "options/options.h"

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

void PaintPlanOnImage(QImage& image, const PaintPlan& plan, const QFont& font) {
  QPainter p(&image);
  p.fillRect(image.rect(), ToQColor(plan.background));
  p.setFont(font);
  const int ascent = QFontMetrics(font).ascent();
  for (const TextRun& run : plan.runs) {
    p.setPen(ToQColor(run.color));
    p.drawText(run.x, run.y + ascent,
               QString::fromLatin1(run.text.data(), static_cast<qsizetype>(run.text.size())));
  }
  // Inverting keeps each selected character readable in its own colour.
  p.setCompositionMode(QPainter::CompositionMode_Difference);
  for (const PixelRect& r : plan.inverted) p.fillRect(r.x, r.y, r.width, r.height, Qt::white);
}

}  // namespace ombrel
