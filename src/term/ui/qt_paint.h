// Fonts, colours and the drawing of a terminal's visible lines with Qt.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>

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

// Cell and run widths in a font; the store holds bytes, one character each.
// A terminal font gives every printable byte the same advance and neither
// kerns nor joins them, so a run of such bytes is as wide as its length in
// advances: that spares a text layout for every run of every frame. Whether the font is such a one is measured, not assumed; other
// fonts, and other bytes, are measured as Qt lays them out.
class QtTextMeasure : public TextMeasure {
 public:
  explicit QtTextMeasure(const QFont& font);
  int TextWidth(const std::string& text) const override;
  int TextHeight(const std::string&) const override { return metrics_.height(); }
  const QFont& Font() const { return font_; }
  int Ascent() const { return metrics_.ascent(); }
  // Of the underline: below the baseline, and thick.
  int UnderlinePos() const { return metrics_.underlinePos(); }
  int LineWidth() const { return std::max(1, metrics_.lineWidth()); }
  int StrikeOutPos() const { return metrics_.strikeOutPos(); }
  // Whether runs of printable bytes are measured by counting them.
  bool CountsCells() const { return advance64_ > 0; }

 private:
  int CountedWidth(size_t n) const;

  QFont font_;
  QFontMetrics metrics_;
  int advance64_ = 0;  // of one cell in 64ths of a pixel, when counted
  std::array<bool, 256> oneCell_{};
};

// Draws what the view plan says over `area`: background, the runs'
// backgrounds, text runs with their underlines, then the selection inverted.
void DrawPlan(QPainter& painter, const QRect& area, const PaintPlan& plan, const QtTextMeasure& measure);

}  // namespace ombrel
