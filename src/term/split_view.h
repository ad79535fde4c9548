// Scrolled back, the view splits in two: the history the player reads stays
// in the top pane while the newest lines run on in the bottom one, so that
// nothing that comes meanwhile goes unseen. Back at the end (End, or
// scrolling down to it) it is whole again; while all the text fits there is
// nothing to scroll back to and it never splits.
#pragma once

namespace ombrel {

struct SplitPanes {
  bool split = false;
  int topRows = 0;     // the history, from the view's top line on
  int bottomRows = 0;  // the newest lines, the last one at the bottom
  bool operator==(const SplitPanes&) const = default;
};

class SplitScroll {
 public:
  // Neither pane gets fewer rows; a view too low for two stays whole.
  static constexpr int kMinPaneRows = 2;

  // `rows`: the whole view's; `atEnd`: it follows the end; `allFits`: every
  // line of the store fits in the rows.
  SplitPanes Panes(int rows, bool atEnd, bool allFits) const;
  // The divider dragged to `row`, the rows above it in a view of `rows`:
  // kept where both panes keep their least.
  void DragDivider(int row, int rows);
  // A third of the height again.
  void ResetDivider() { bottom_ = 0; }

  // The store's line shown at `row` of the view (0 at the top): the top
  // pane from `topline`, the bottom one ending at `lastLine`.
  static int LineAt(const SplitPanes& panes, int row, int topline, int lastLine);

 private:
  int bottom_ = 0;  // the bottom pane's rows as dragged; 0: a third
};

}  // namespace ombrel
