// What to paint: the visible lines as runs of text in their colours, the
// backgrounds of runs on another colour, and the selection as rectangles to
// invert.
#include <algorithm>

#include "term/escape.h"
#include "term/line_walker.h"
#include "term/term_view.h"
#include "util/utf8.h"

namespace ombrel {

int VisibleUpTo(std::string_view text, int p, bool strings) {
  if (p > static_cast<int>(text.size())) return 0;
  // Bytes before p that are text; a sequence reaching past p still hides
  // what it covers.
  const size_t limit = static_cast<size_t>(std::max(p, 0));
  SequenceWalker walker(text, strings);
  int visible = 0;
  for (LinePiece piece; walker.Next(piece) && piece.begin < limit && piece.kind != PieceKind::CutOff;)
    if (piece.kind == PieceKind::Text) visible += static_cast<int>(std::min(piece.end, limit) - piece.begin);
  return visible;
}

int PositionOfVisible(std::string_view text, int n, bool strings) {
  if (n <= 0) return 0;
  SequenceWalker walker(text, strings);
  size_t left = static_cast<size_t>(n);  // visible bytes still to pass
  for (LinePiece piece; walker.Next(piece) && piece.kind != PieceKind::CutOff;) {
    if (piece.kind != PieceKind::Text) continue;
    if (left <= piece.end - piece.begin) return static_cast<int>(piece.begin + left);
    left -= piece.end - piece.begin;
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
  int cells = 0, before = 0;
  size_t first = 0;
  bool open = false;  // whether a mark here joins the character before
  CharWalker walker(text, {true, strings});
  PieceKind kind;
  for (VisibleChar c; walker.Next(kind, c);) {
    // On a sequence, or one cut off: no character of its own.
    if (kind != PieceKind::Text && target < c.end) break;
    if (kind != PieceKind::Text) {
      open = false;
      continue;
    }
    if (c.cells > 0 || !open) first = c.begin, before = cells, open = true;
    cells += c.cells;
    if (target < c.end)
      return {before, cells, static_cast<int>(first) + 1, static_cast<int>(SkipMarks(text, c.end, text.size()))};
  }
  return {cells, cells, p, p};
}

int PositionOfCell(std::string_view text, int n, bool strings) {
  if (n <= 0) return 0;
  int cells = 0;
  CharWalker walker(text, {true, strings});
  PieceKind kind;
  for (VisibleChar c; walker.Next(kind, c) && kind != PieceKind::CutOff;) {
    if (kind != PieceKind::Text) continue;
    cells += c.cells;
    if (cells >= n) return static_cast<int>(SkipMarks(text, c.end, text.size()));
  }
  return static_cast<int>(text.size());
}

namespace {

// Puts one stored line's runs into the plan, in the colours its sequences set.
class LinePainter {
 public:
  LinePainter(const TOptions& o, const TextMeasure& measure, int charwidth, int lineheight, PaintPlan& plan,
              size_t& used)
      : o_(o), measure_(measure), charwidth_(charwidth), lineheight_(lineheight), plan_(plan), used_(used) {}

  // `marks`: what pattern triggers coloured, over the line's bytes.
  void Paint(const StoredLine& line, std::span<const RawHighlight> marks, int y) {
    const bool extended = o_.ansi && o_.features.extendedcolours;
    state_ = line.start;
    // Classic colours know no background or underline: the style stays empty.
    style_ = extended ? StyleOf(state_, o_) : ExtendedStyle();
    color_ = extended ? style_.foreground : o_.ansi ? ApplyColor(state_, o_, o_.textcolor()) : o_.textcolor();
    x_ = cell_ = 0;
    y_ = y;
    const std::string_view t = line.text;
    SequenceWalker walker(t, o_.features.extendedcolours);
    for (LinePiece piece; walker.Next(piece) && piece.kind != PieceKind::CutOff;) {
      if (piece.kind == PieceKind::Text) {
        PutText(t, piece.begin, piece.end, marks);
      } else if (walker.IsSgr(piece)) {
        // A string is not painted and colours nothing, whatever it ends in.
        Apply(walker.Params(piece), extended);
      }
    }
  }

 private:
  void Apply(std::string_view params, bool extended) {
    if (extended) {
      ApplyExtendedSGR(params, state_);
      style_ = StyleOf(state_, o_);
      color_ = style_.foreground;
    } else if (o_.ansi) {
      ApplySGR(params, state_, [&](const AttrState& s) { color_ = ApplyColor(s, o_, color_); });
    }
  }

  // Text cut where a highlight starts or ends, each part in its colours.
  void PutText(std::string_view t, size_t from, size_t to, std::span<const RawHighlight> marks) {
    for (size_t i = from; i < to;) {
      const size_t stop = marks.empty() ? to : NextMarkEdge(marks, i, to);
      mark_ = marks.empty() ? MarkColours() : MarkAt(marks, i);
      o_.features.utf8 ? PutCharacters(t, i, stop) : PutRun(t, i, stop);
      i = stop;
    }
  }

  TextRun& NewRun(int x, std::string_view text) {
    if (used_ == plan_.runs.size()) plan_.runs.emplace_back();
    TextRun& run = plan_.runs[used_++];
    run.x = x, run.y = y_, run.color = mark_.fg.value_or(color_), run.underline = style_.underline;
    run.italic = style_.italic, run.strike = style_.strike;
    run.text.assign(text);
    return run;
  }
  void Background(const TextRun& run) {
    if (mark_.bg) plan_.backgrounds.push_back({{run.x, y_, run.width, lineheight_}, *mark_.bg});
    else if (style_.hasBackground) plan_.backgrounds.push_back({{run.x, y_, run.width, lineheight_}, style_.background});
  }

  // Bytes, measured in the font.
  void PutRun(std::string_view t, size_t from, size_t to) {
    TextRun& run = NewRun(x_, t.substr(from, to - from));
    run.width = measure_.TextWidth(run.text);
    Background(run);
    x_ += run.width;
  }

  // Runs of ASCII go whole; any other character is a run of its own with
  // its marks, so that a wide one or one from a fallback font still lands
  // on its cells.
  void PutCharacters(std::string_view t, size_t from, size_t to) {
    char32_t cp;
    for (size_t j = from; j < to;) {
      size_t k = j;
      while (k < to && static_cast<unsigned char>(t[k]) < 0x80) ++k;
      int w = static_cast<int>(k - j);
      if (k == j) {
        k = j + utf8::Decode(t.data(), to, j, cp);
        w = utf8::Cells(cp);
        k = SkipMarks(t, k, to);
        if (w == 0 && j > from) {
          // Marks after an ASCII letter are drawn with it.
          plan_.runs[used_ - 1].text.append(t.data() + j, k - j);
          j = k;
          continue;
        }
      }
      TextRun& run = NewRun(cell_ * charwidth_, t.substr(j, k - j));
      run.width = w * charwidth_;
      Background(run);
      cell_ += w;
      j = k;
    }
  }

  const TOptions& o_;
  const TextMeasure& measure_;
  const int charwidth_, lineheight_;
  PaintPlan& plan_;
  size_t& used_;
  AttrState state_;
  ExtendedStyle style_;
  MarkColours mark_;
  Color color_ = 0;
  int x_ = 0, y_ = 0;
  int cell_ = 0;  // shown as UTF-8
};

}  // namespace

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
  const bool strings = o->features.extendedcolours;
  const int y0 = imageHeight - rows() * lineheight;
  LinePainter painter(*o, measure, charwidth, lineheight, plan, used);
  const SplitPanes panes = Panes();
  if (panes.split) plan.backgrounds.push_back({{0, y0 + panes.topRows * lineheight - 1, imageWidth, 2}, o->textcolor()});
  for (int k = 0; k < rows(); ++k) {
    const int lineNumber = RowLine(panes, k);
    if (lineNumber < 0 || lineNumber > curline()) continue;
    painter.Paint(store().Line(lineNumber), core_.HighlightsOf(lineNumber), y0 + k * lineheight);
  }
  finish();
  if (!hasselection) return;
  // V(p) columns; the ends in order.
  TextPos a{selstartline, selstartcol}, b{selendline, selendcol};
  if (a.line > b.line || (a.line == b.line && a.index > b.index)) std::swap(a, b);
  const int fullWidth = (core_.cols + 1) * charwidth;
  // Split, the selection shows in the history above.
  for (int line = std::max(a.line, topline); line <= b.line && line < topline + panes.topRows; ++line) {
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
