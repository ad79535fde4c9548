// The terminal view without pixels: which lines are shown, the scroll bar,
// what to paint in which colour, and selection, copy, find and links. The
// window forwards its mouse and wheel events here and draws the plan.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "options/options.h"
#include "term/split_view.h"
#include "term/term_core.h"

namespace ombrel {

// Text measurement in the set's font, from the window.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual int TextWidth(const std::string& text) const = 0;
  virtual int TextHeight(const std::string& text) const = 0;
};

struct ScrollBarState {
  bool visible = false;
  int pageSize = 1;
  int maximum = 0;
  int position = 0;
};

struct TextRun {
  int x = 0, y = 0;
  std::string text;
  Color color = 0;
  bool underline = false;
  bool italic = false;
  bool strike = false;
  int width = 0;  // in pixels, as the view counts the run's cells
};

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
};

struct FilledRect {
  PixelRect rect;
  Color color = 0;
  bool operator==(const FilledRect&) const = default;
};

struct PaintPlan {
  Color background = 0;
  // Runs hold UTF-8, each placed on its cells; else bytes, one a character.
  bool utf8 = false;
  std::vector<FilledRect> backgrounds;  // of runs on another colour, under the text
  std::vector<TextRun> runs;
  std::vector<PixelRect> inverted;  // the selection
};

// A text position: a line of the store and a 1-based index into its text.
struct TextPos {
  int line = -1;
  int index = -1;
  bool operator==(const TextPos&) const = default;
};

enum class MouseButton { Left, Right, Middle };

// What the view asks of its window; unassigned ones do nothing.
struct ViewEvents {
  std::function<void()> repaint;
  std::function<void()> startDragTimer;
  std::function<void()> stopDragTimer;
  std::function<void()> clearCommandSelection;
  std::function<void(const std::string& url)> openLink;
  std::function<void(bool hand)> setHandCursor;
  std::function<void(bool enabled)> linkActionEnabled;
  std::function<void()> selectionDone;  // the find dialog follows
};

class TermView {
 public:
  explicit TermView(TermCore& core) : core_(core) {}

  ViewEvents events;

  // ---- geometry and scrolling
  int charwidth = 8;
  int lineheight = 16;
  int imageWidth = 0;
  int imageHeight = 0;
  int boxHeight = 0;
  int topline = -1;
  bool follow = true;
  ScrollBarState scrollbar;

  // Sizes the image from the paint box, measures the cell and sets the
  // terminal's cols and rows (SetWindowSize: the server hears of new ones).
  void Layout(const TextMeasure& measure, int boxWidth, int boxHeight);
  // The scroll-state step of a repaint; then asks for the repaint.
  void Redraw(bool fromScrollBar);
  void ScrollToEnd();
  void ScrollBy(int delta, bool repaint);
  void ScrollBarMoved(int position);
  void Wheel(bool up, bool shiftOnly) { ScrollBy(up ? -(shiftOnly ? 5 : 1) : (shiftOnly ? 5 : 1), true); }
  // After each block of text: follow the end, or stay.
  void AfterWrite() { follow ? ScrollToEnd() : Redraw(false); }

  // ---- split-screen scrollback (the set's #splitscroll switch)
  SplitScroll split;
  bool draggingDivider = false;
  // How the rows are shared now: whole unless the switch is on and the
  // view is scrolled back.
  SplitPanes Panes() const;
  // The store's line shown at `row` of the view, 0 at the top.
  int RowLine(const SplitPanes& panes, int row) const;
  // The pixel row between the panes; -1 while whole.
  int DividerY() const;

  PaintPlan BuildPaintPlan(const TextMeasure& measure) const;
  // The same into a plan kept from the last frame.
  void BuildPaintPlan(const TextMeasure& measure, PaintPlan& plan) const;

  // ---- selection and copy
  int selstartline = -1, selstartcol = -1, selendline = -1, selendcol = -1;
  bool hasselection = false;
  bool selecting = false;
  bool suppressmouse = false;
  int mousex = 0, mousey = 0, dragx = 0, dragy = 0;
  std::string linkurl;

  TextPos PointToPos(int x, int y) const;
  void MouseDown(MouseButton button, int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(MouseButton button, int x, int y);
  void DblClick();
  void DragScroll();
  void SelectAll();
  void ClearSelection();
  void NormalizeSelection();
  bool HasSelection() const { return hasselection; }
  std::string GetSelectedText();
  std::string GetSelectedLine();

  // ---- find
  bool FindText(const std::string& text, bool caseSensitive, bool inSelection);
  bool FindNext();
  bool findactive = false, findcase = false, findinsel = false;
  std::string findtext;
  int findline = 0, findcol = 1, findendline = -1, findendcol = 0;

  // ---- links
  bool FindLink(int line, int index);
  // The address of the link a server marked around 1-based `index` of
  // `line`, or empty.
  std::string MarkedLinkAt(int line, int index) const;

 private:
  const LineStore& store() const { return core_.Store(); }
  int curline() const { return core_.curline(); }
  int rows() const { return core_.rows; }
  std::string_view LineText(int line) const { return store().Line(line).text; }
  bool Utf8() const { return core_.Options() && core_.Options()->features.utf8; }
  // String sequences are read whole (a link's address, a title).
  bool Strings() const { return core_.Options() && core_.Options()->features.extendedcolours; }
  // text[from..to], 1-based and inclusive, clamped to the text; shown as
  // UTF-8, widened to whole characters with their combining marks.
  std::string_view Part(std::string_view text, int from, int to) const;
  void Repaint() const {
    if (events.repaint) events.repaint();
  }
  void ShowLineCentred(int line);
  // The text over a range, each line's part stripped of escapes, trimmed
  // and joined by single spaces.
  std::string JoinedText(int fromLine, int fromIndex, int toLine, int toIndex) const;

  TermCore& core_;
};

// Visible characters of `text` up to and including 1-based position p.
// `strings`: string sequences are read whole, as extended colours have it.
int VisibleUpTo(std::string_view text, int p, bool strings = false);
// 1-based position of the n-th visible character, or the text's length
// when it has fewer; 0 for n <= 0.
int PositionOfVisible(std::string_view text, int n, bool strings = false);

// Shown as UTF-8, positions still count bytes, so that copy gives what
// came; these place them on cells. A cluster is a character with the
// combining marks after it.
struct Cluster {
  int before = 0, through = 0;  // cells before it and up to its end
  int first = 0, last = 0;      // its 1-based first and last byte
};
// The cluster holding 1-based byte p; inside a sequence or past the text,
// p itself with no cells.
Cluster ClusterAt(std::string_view text, int p, bool strings = false);
// 1-based last byte of the cluster covering cell n, or the text's length
// when it has fewer cells; 0 for n <= 0.
int PositionOfCell(std::string_view text, int n, bool strings = false);

}  // namespace ombrel
