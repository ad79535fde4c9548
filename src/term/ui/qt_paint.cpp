#include "term/ui/qt_paint.h"

#include <QFontDatabase>
#include <QPainter>

#include "options/options.h"
#include "term/escape.h"

namespace ombrel {

QFont TerminalFont(const TOptions& options) {
  QFont font;
  if (EqualsNoCase(options.font.name, "fixedsys")) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  } else {
    font = QFont(QString::fromLocal8Bit(options.font.name.c_str()));
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

void PaintTerminalImage(QImage& image, const LineStore& store, const TOptions& options,
                        int topline, int rows, int charwidth, int lineheight) {
  QPainter p(&image);
  p.fillRect(image.rect(), ToQColor(options.bgcolor));
  if (topline < 0) return;
  const QFont font = TerminalFont(options);
  p.setFont(font);
  const int ascent = QFontMetrics(font).ascent();
  const int y0 = image.height() - rows * lineheight;
  for (int k = 0; k < rows && topline + k <= store.curline; ++k) {
    const tbufrec& line = store.Line(topline + k);
    AttrState state{line.startbold, line.startcolor};
    Color color = options.ansi ? ApplyColor(state, options, options.textcolor()) : options.textcolor();
    int x = 0;
    const int y = y0 + k * lineheight;
    const std::string& t = line.text;
    size_t i = 0;
    while (i < t.size()) {
      size_t esc = t.find(kEsc, i);
      size_t end = (esc == std::string::npos) ? t.size() : esc;
      if (end > i) {
        const QString piece = QString::fromLatin1(t.data() + i, static_cast<int>(end - i));
        p.setPen(ToQColor(color));
        p.drawText(x, y + ascent, piece);
        x += static_cast<int>(end - i) * charwidth;
      }
      if (esc == std::string::npos) break;
      size_t fin = EscapeEnd(t, esc);
      if (fin == std::string::npos) break;
      if (options.ansi && t[fin] == 'm')
        ApplySGR(EscapeParams(t, esc, fin), state,
                 [&](const AttrState& s) { color = ApplyColor(s, options, color); });
      i = fin + 1;
    }
  }
}

}  // namespace ombrel
