// Fonts, colours and the drawing of a terminal's visible lines with Qt.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

#include "options/options.h"
#include "term/term_view.h"

namespace ombrel {

// Colours are stored as 0x00BBGGRR.
inline QColor ToQColor(Color c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline Color FromQColor(const QColor& c) {
  return static_cast<Color>(c.red()) | (static_cast<Color>(c.green()) << 8) |
         (static_cast<Color>(c.blue()) << 16);
}

// The set's font; "fixedsys" is the platform's fixed-pitch font.
QFont TerminalFont(const TOptions& options);

// Draws what the view plan says: background, text runs, then the
// selection inverted.
void PaintPlanOnImage(QImage& image, const PaintPlan& plan, const QFont& font);

}  // namespace ombrel
