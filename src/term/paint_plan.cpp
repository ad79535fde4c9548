// What to paint: the visible lines as runs of text in their colours, the
// backgrounds of runs on another colour, and the selection as rectangles to
// invert.
#include "term/escape.h"
#include "term/term_view.h"
#include "util/utf8.h"

namespace ombrel {

int VisibleUpTo(std::string_view text, int p, bool strings) {
  if (p > static_cast<int>(text.size())) return 0;
  int visible = 0;
  for (int i = 0; i < p; ++i) {
    if (text[i] == kEsc) {
      size_t end = EscapeEnd(text, i, strings);
      if (end == std::string::npos) break;
      i = static_cast<int>(end);
      continue;
    }
    ++visible;
  }
  return visible;
}

int PositionOfVisible(std::string_view text, int n, bool strings) {
  if (n <= 0) return 0;
  int visible = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kEsc) {
      size_t end = EscapeEnd(text, i, strings);
      if (end == std::string::npos) break;
      i = end;
      continue;
    }
    if (++visible == n) return static_cast<int>(i) + 1;
  }
  return static_cast<int>(text.size());
}

namespace {

// End of the zero-width characters from i on, up to `end` or a sequence.
size_t SkipMarks(std::string_view t, size_t i, size_t end) {
  char32_t cp;
  while (i < end && static_cast<unsigned char>(t[i]) >= 0x80) {
    const size_t len = utf8::Decode(t.data(), end, i, cp);
    if (utf8::Cells(cp) != 0) break;
    i += len;
  }
  return i;
}

// The colours pattern triggers gave the byte at `at`: of the first range
// covering it that has each.
struct MarkColours {
  std::optional<Color> fg, bg;
};
MarkColours MarkAt(std::span<const RawHighlight> marks, size_t at) {
  MarkColours c;
  for (const RawHighlight& m : marks) {
    if (at < m.begin || at >= m.end) continue;
    if (!c.fg) c.fg = m.fgcolor;
    if (!c.bg) c.bg = m.bgcolor;
  }
  return c;
}

// The first edge of a range after `from` and before `stop`: runs are cut
// there, so a highlight colours exactly its own cells.
size_t NextMarkEdge(std::span<const RawHighlight> marks, size_t from, size_t stop) {
  for (const RawHighlight& m : marks) {
    if (m.begin > from && m.begin < stop) stop = m.begin;
    if (m.end > from && m.end < stop) stop = m.end;
  }
  return stop;
}

}  // namespace

Cluster ClusterAt(std::string_view text, int p, bool strings) {
  if (p <= 0) return {0, 0, p, p};
  const size_t target = static_cast<size_t>(p - 1);
  const size_t n = text.size();
  int cells = 0, before = 0;
  size_t first = 0;
  bool open = false;  // whether a mark here joins the character before
  char32_t cp;
  for (size_t i = 0; i < n;) {
    if (text[i] == kEsc) {
      const size_t end = EscapeEnd(text, i, strings);
      if (end == std::string_view::npos || target <= end) break;
      i = end + 1;
      open = false;
      continue;
    }
    const size_t len = utf8::Decode(text.data(), n, i, cp);
    const int w = utf8::Cells(cp);
    if (w > 0 || !open) first = i, before = cells, open = true;
    cells += w;
    i += len;
    if (target < i) return {before, cells, static_cast<int>(first) + 1, static_cast<int>(SkipMarks(text, i, n))};
  }
  return {cells, cells, p, p};
}

int PositionOfCell(std::string_view text, int n, bool strings) {
  if (n <= 0) return 0;
  int cells = 0;
  char32_t cp;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == kEsc) {
      const size_t end = EscapeEnd(text, i, strings);
      if (end == std::string_view::npos) break;
      i = end + 1;
      continue;
    }
    i += utf8::Decode(text.data(), text.size(), i, cp);
    cells += utf8::Cells(cp);
    if (cells >= n) return static_cast<int>(SkipMarks(text, i, text.size()));
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
  const bool utf8 = o->features.utf8;
  plan.utf8 = utf8;
  const bool extended = o->ansi && o->features.extendedcolours;
  const bool strings = o->features.extendedcolours;
  const int y0 = imageHeight - rows() * lineheight;
  for (int k = 0; k < rows() && topline + k <= curline(); ++k) {
    const StoredLine line = store().Line(topline + k);
    const int y = y0 + k * lineheight;
    AttrState state = line.start;
    // Classic colours know no background or underline: the style stays empty.
    ExtendedStyle style = extended ? StyleOf(state, *o) : ExtendedStyle();
    Color color = extended ? style.foreground : o->ansi ? ApplyColor(state, *o, o->textcolor()) : o->textcolor();
    const std::string_view t = line.text;
    const std::span<const RawHighlight> marks = core_.HighlightsOf(topline + k);
    int x = 0;
    int cell = 0;  // shown as UTF-8
    size_t i = 0;
    while (i < t.size()) {
      const size_t esc = t.find(kEsc, i);
      const size_t next = (esc == std::string::npos) ? t.size() : esc;
      const size_t stop = marks.empty() ? next : NextMarkEdge(marks, i, next);
      const MarkColours mark = marks.empty() ? MarkColours() : MarkAt(marks, i);
      const Color shown = mark.fg.value_or(color);
      const auto background = [&](int left, int width) {
        if (mark.bg) plan.backgrounds.push_back({{left, y, width, lineheight}, *mark.bg});
        else if (style.hasBackground) plan.backgrounds.push_back({{left, y, width, lineheight}, style.background});
      };
      if (stop > i && utf8) {
        // Runs of ASCII go whole; any other character is a run of its own
        // with its marks, so that a wide one or one from a fallback font
        // still lands on its cells.
        char32_t cp;
        for (size_t j = i; j < stop;) {
          size_t k = j;
          while (k < stop && static_cast<unsigned char>(t[k]) < 0x80) ++k;
          int w = static_cast<int>(k - j);
          if (k == j) {
            k = j + utf8::Decode(t.data(), stop, j, cp);
            w = utf8::Cells(cp);
            k = SkipMarks(t, k, stop);
            if (w == 0 && j > i) {
              // Marks after an ASCII letter are drawn with it.
              plan.runs[used - 1].text.append(t.data() + j, k - j);
              j = k;
              continue;
            }
          }
          if (used == plan.runs.size()) plan.runs.emplace_back();
          TextRun& run = plan.runs[used++];
          run.x = cell * charwidth, run.y = y, run.color = shown, run.underline = style.underline;
          run.text.assign(t.data() + j, k - j);
          run.width = w * charwidth;
          background(run.x, run.width);
          cell += w;
          j = k;
        }
      } else if (stop > i) {
        if (used == plan.runs.size()) plan.runs.emplace_back();
        TextRun& run = plan.runs[used++];
        run.x = x, run.y = y, run.color = shown, run.underline = style.underline;
        run.text.assign(t.data() + i, stop - i);
        run.width = measure.TextWidth(run.text);
        background(x, run.width);
        x += run.width;
      }
      if (stop < next) {
        i = stop;  // cut at a highlight's edge
        continue;
      }
      if (esc == std::string::npos) break;
      const size_t fin = EscapeEnd(t, esc, strings);
      if (fin == std::string::npos) break;
      // A string is not painted and colours nothing, whatever it ends in.
      const bool sgr = t[fin] == 'm' && !(strings && StartsString(t, esc));
      if (extended && sgr) {
        ApplyExtendedSGR(EscapeParams(t, esc, fin), state);
        style = StyleOf(state, *o);
        color = style.foreground;
      } else if (o->ansi && sgr) {
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
    if (utf8) {
      if (line == a.line) x1 = ClusterAt(t, a.index, strings).before * charwidth;
      if (line == b.line) x2 = ClusterAt(t, b.index, strings).through * charwidth;
    } else {
      if (line == a.line) x1 = (VisibleUpTo(t, a.index, strings) - 1) * charwidth;
      if (line == b.line) x2 = VisibleUpTo(t, b.index, strings) * charwidth;
    }
    if (line == a.line && line != b.line) x2 = x1 + fullWidth;
    if (x2 > x1) plan.inverted.push_back({x1, y, x2 - x1, lineheight});
  }
}

}  // namespace ombrel
