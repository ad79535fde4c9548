// What to paint: the visible lines as runs of text in their colours, the
// backgrounds of runs on another colour, and the selection as rectangles to
// invert.
#include "term/escape.h"
#include "term/term_view.h"

namespace ombrel {

int VisibleUpTo(std::string_view text, int p) {
  if (p > static_cast<int>(text.size())) return 0;
  int visible = 0;
  for (int i = 0; i < p; ++i) {
    if (text[i] == kEsc) {
      size_t end = EscapeEnd(text, i);
      if (end == std::string::npos) break;
      i = static_cast<int>(end);
      continue;
    }
    ++visible;
  }
  return visible;
}

int PositionOfVisible(std::string_view text, int n) {
  if (n <= 0) return 0;
  int visible = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kEsc) {
      size_t end = EscapeEnd(text, i);
      if (end == std::string::npos) break;
      i = end;
      continue;
    }
    if (++visible == n) return static_cast<int>(i) + 1;
  }
  return static_cast<int>(text.size());
}

PaintPlan TermView::BuildPaintPlan(const TextMeasure& measure) const {
  PaintPlan plan;
  BuildPaintPlan(measure, plan);
  return plan;
}

void TermView::BuildPaintPlan(const TextMeasure& measure, PaintPlan& plan) const {
  // Runs are overwritten in place: a window that paints every frame into
  // the same plan reuses the room of the strings it had.
  size_t used = 0;
  plan.inverted.clear();
  plan.backgrounds.clear();
  const auto finish = [&] { plan.runs.resize(used); };
  const TOptions* o = core_.Options();
  plan.background = o ? o->bgcolor : 0;
  if (!o || topline < 0) return finish();
  const bool extended = o->ansi && o->features.extendedcolours;
  const int y0 = imageHeight - rows() * lineheight;
  for (int k = 0; k < rows() && topline + k <= curline(); ++k) {
    const StoredLine line = store().Line(topline + k);
    const int y = y0 + k * lineheight;
    AttrState state = line.start;
    // Classic colours know no background or underline: the style stays empty.
    ExtendedStyle style = extended ? StyleOf(state, *o) : ExtendedStyle();
    Color color = extended ? style.foreground : o->ansi ? ApplyColor(state, *o, o->textcolor()) : o->textcolor();
    const std::string_view t = line.text;
    int x = 0;
    size_t i = 0;
    while (i < t.size()) {
      const size_t esc = t.find(kEsc, i);
      const size_t stop = (esc == std::string::npos) ? t.size() : esc;
      if (stop > i) {
        if (used == plan.runs.size()) plan.runs.emplace_back();
        TextRun& run = plan.runs[used++];
        run.x = x, run.y = y, run.color = color, run.underline = style.underline;
        run.text.assign(t.data() + i, stop - i);
        const int width = measure.TextWidth(run.text);
        if (style.hasBackground) plan.backgrounds.push_back({{x, y, width, lineheight}, style.background});
        x += width;
      }
      if (esc == std::string::npos) break;
      const size_t fin = EscapeEnd(t, esc);
      if (fin == std::string::npos) break;
      if (extended && t[fin] == 'm') {
        ApplyExtendedSGR(EscapeParams(t, esc, fin), state);
        style = StyleOf(state, *o);
        color = style.foreground;
      } else if (o->ansi && t[fin] == 'm') {
        ApplySGR(EscapeParams(t, esc, fin), state,
                 [&](const AttrState& s) { color = ApplyColor(s, *o, color); });
      }
      i = fin + 1;
    }
  }
  finish();
  if (!hasselection) return;
  // V(p) columns; the ends in order.
  TextPos a{selstartline, selstartcol}, b{selendline, selendcol};
  if (a.line > b.line || (a.line == b.line && a.index > b.index)) std::swap(a, b);
  const int fullWidth = (core_.cols + 1) * charwidth;
  for (int line = std::max(a.line, topline); line <= b.line && line < topline + rows(); ++line) {
    if (line < 0 || line > curline()) continue;
    const int y = y0 + (line - topline) * lineheight;
    const std::string_view t = LineText(line);
    int x1 = 0, x2 = fullWidth;
    if (line == a.line) x1 = (VisibleUpTo(t, a.index) - 1) * charwidth;
    if (line == b.line) x2 = VisibleUpTo(t, b.index) * charwidth;
    if (line == a.line && line != b.line) x2 = x1 + fullWidth;
    if (x2 > x1) plan.inverted.push_back({x1, y, x2 - x1, lineheight});
  }
}

}  // namespace ombrel
