// The view over any store: after every pointer, find, link and scroll call
// the selection and the find position stay inside the store's lines, found
// text is on one line in order, and a link is a word of the stored text.
#include "fuzz_support.h"
#include "term/term_view.h"

using namespace ombrel;

namespace {

struct FixedMeasure : TextMeasure {
  int TextWidth(const std::string& text) const override { return 8 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) const override { return 16; }
};

void CheckInside(const TermCore& term, const TermView& v, size_t storedBytes) {
  const int last = term.curline();
  auto inside = [&](int line, int col) {
    return line >= 0 && line <= last && col >= 0 && col <= static_cast<int>(term.Store().Line(line).text.size());
  };
  FUZZ_CHECK(!v.hasselection || (inside(v.selstartline, v.selstartcol) && inside(v.selendline, v.selendcol)),
             "the selection left the store");
  FUZZ_CHECK(v.topline >= -1 && v.topline <= last, "the top line left the store");
  FUZZ_CHECK(v.linkurl.size() <= storedBytes && v.linkurl.find(' ') == std::string::npos,
             "a link is not a word of the store");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  TOptions options;
  const uint8_t flags = in.Byte();
  options.ansi = flags & 1, options.scrollbar = flags & 2, options.features.utf8 = flags & 4;
  options.features.extendedcolours = flags & 8;
  fuzz::Socket socket;
  TermCore term(&options);
  term.ClearTerminal();
  term.SetSocket(&socket);
  TermView view(term);
  FixedMeasure measure;
  struct Follow : TermListener {
    TermView& view;
    explicit Follow(TermView& v) : view(v) {}
    void TextShown() override { view.AfterWrite(); }
  } follow(view);
  term.Listeners().Add(follow);
  view.Layout(measure, 8 + in.Byte() * 4, 16 + in.Byte() * 2);
  const std::string text = in.Take(in.Byte() * 4);
  term.WriteText(text, true);
  size_t stored = 0;
  for (int i = 0; i <= term.curline(); ++i) stored += term.Store().Line(i).text.size();
  auto coord = [&in] { return static_cast<int>(in.Byte()) * 4 - 200; };
  while (in.pos < in.size) {
    const uint8_t op = in.Byte();
    const int x = coord(), y = coord();
    switch (op % 10) {
      case 0: view.MouseDown(op & 16 ? MouseButton::Right : MouseButton::Left, x, y); break;
      case 1: view.MouseMove(x, y); break;
      case 2: view.MouseUp(MouseButton::Left, x, y); break;
      case 3: view.mousex = x, view.mousey = y, view.DblClick(); break;
      case 4: view.SelectAll(); break;
      case 5: {
        const std::string what = in.Take(in.Byte() % 8);
        if (view.FindText(what, op & 16, op & 32)) {
          FUZZ_CHECK(view.selstartline == view.selendline && view.selstartcol >= 1 &&
                         view.selstartcol <= view.selendcol,
                     "found text is not one range of one line");
        }
        break;
      }
      case 6: view.FindNext(); break;
      case 7:
        FUZZ_CHECK(!view.FindLink(x / 4, y / 4) || !view.linkurl.empty(), "a link was found without a text");
        break;
      case 8: view.ScrollBy(x / 8, true), view.DragScroll(); break;
      case 9:
        FUZZ_CHECK(view.GetSelectedText().size() <= stored + 2 * (term.curline() + 1), "the selection copied more than stored");
        view.BuildPaintPlan(measure);
        break;
    }
    CheckInside(term, view, stored);
  }
  return 0;
}
