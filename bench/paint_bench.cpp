// How long one frame of a terminal window takes to paint: a 1920 x 1080
// window over a store of ten million coloured lines, following the end and
// scrolled to the top. A frame is what the window does on a repaint: the
// paint plan built from the view, drawn into the window's image, and the
// image drawn into the widget.
//
//   bench_paint [benchmark options]
//   bench_paint --save-screen FILE      paint a coloured screen with a
//   bench_paint --compare-screen FILE   selection; save it, or compare with
//                                       one saved by another build
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "mud_text.h"
#include "term/platform.h"
#include "term/ui/qt_paint.h"
#include "term/ui/term_form.h"
#include "term/ui/term_owner.h"

namespace ombrel {
namespace {

// The window around the terminal, which the frame never asks anything.
class QuietOwner : public TermOwner, private ISoundPlayer {
 public:
  bool IsCurrentTerminal(const TtermForm*) const override { return true; }
  void TerminalTabsChanged() override {}
  void TerminalConnectionChanged(TtermForm*) override {}
  void TerminalClosed(TtermForm*) override {}
  QMenu* TerminalContextMenu(QWidget*) override { return nullptr; }
  void SetDragTimerRunning(bool) override {}
  void LinkUnderPointer(bool) override {}
  void TerminalSelectionDone() override {}
  void TerminalTelnetLog(TtermForm*, const std::string&) override {}
  std::optional<std::string> AskParameter(const std::string&, bool) override { return std::string(); }
  ISoundPlayer& SoundOutput() override { return *this; }
  bool IsCommandKey(QKeyCombination) const override { return false; }

 private:
  void Play(const std::string&) override {}
};

struct Window {
  TOptions options;
  QuietOwner owner;
  std::unique_ptr<TtermForm> form;
  QWidget* box = nullptr;  // the paint box under the text

  explicit Window(int width = 1920, int height = 1080) {
    options.ansi = true;
    options.scrollbar = true;
    form = std::make_unique<TtermForm>(owner, &options);
    form->resize(width, height);
    form->show();
    QCoreApplication::processEvents();
    box = form->childAt(2, 2);
  }
  // Fed as a connection feeds it: 4 KiB reads, the view told after each.
  void Fill(int lines) {
    const std::string text = bench::ColouredText(8 << 20);
    size_t i = 0;
    while (form->core().curline() < lines) {
      form->core().WriteText(text.substr(i, 4096), false);
      i += 4096;
      if (i >= text.size()) i = 0;
    }
  }
  void ScrollTo(int top) {
    TermView& v = form->view();
    v.topline = top;
    v.follow = false;
    v.Redraw(false);
  }
  // One frame, as the frame timer asks for it: the view's repaint marks
  // the image stale, the box repaints at once rather than when the event
  // loop comes round.
  void Frame() {
    form->view().Redraw(false);
    box->repaint();
  }
};

Window& TenMillionLines() {
  static Window* w = [] {
    auto* window = new Window;
    window->Fill(10'000'000);
    return window;
  }();
  return *w;
}

void Frames(benchmark::State& state, Window& w) {
  for (auto _ : state) w.Frame();
  state.counters["rows"] = w.form->core().rows;
  state.counters["cols"] = w.form->core().cols;
}

void BM_FrameAtEnd(benchmark::State& state) {
  Window& w = TenMillionLines();
  w.form->view().ScrollToEnd();
  w.form->view().follow = true;
  Frames(state, w);
}
BENCHMARK(BM_FrameAtEnd)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FrameAtTop(benchmark::State& state) {
  Window& w = TenMillionLines();
  w.ScrollTo(0);
  Frames(state, w);
}
BENCHMARK(BM_FrameAtTop)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A screen with every colour the text uses, partly scrolled, with a
// selection from the middle of one line into another: what a change to the
// painting must leave alike, pixel for pixel.
QImage ReferenceScreen() {
  Window w(1000, 700);
  w.Fill(2000);
  w.form->core().WriteText("\t\x1b[1mbold\x1b[0m, plain, \xe9t\xe9 \xa0\xad|\x1b[34mblue\x1b[33m\x1b[1myellow", false);
  w.ScrollTo(1960);
  TermView& v = w.form->view();
  const int y = v.imageHeight - w.form->core().rows * v.lineheight;
  v.MouseDown(MouseButton::Left, 5 * v.charwidth + 2, y + 3 * v.lineheight + 2);
  v.MouseUp(MouseButton::Left, 30 * v.charwidth + 2, y + 9 * v.lineheight + 2);
  // What the window shows, and the off-screen image the tests look at.
  w.form->PaintImageNow();
  const QImage shown = w.box->grab().toImage().convertToFormat(QImage::Format_RGB32);
  QImage both(shown.width(), shown.height() * 2, QImage::Format_RGB32);
  QPainter p(&both);
  p.drawImage(0, 0, shown);
  p.drawImage(0, shown.height(), w.form->Bitmap(), 0, 0, shown.width(), shown.height());
  return both;
}

// A frame must reach the widget's paint event, not wait for the event loop.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    paints += e->type() == QEvent::Paint;
    return false;
  }
};

bool FramesRepaint() {
  Window& w = TenMillionLines();
  PaintCounter counter;
  w.box->installEventFilter(&counter);
  w.ScrollTo(0);
  w.Frame();
  w.form->view().ScrollToEnd();
  w.Frame();
  w.box->removeEventFilter(&counter);
  return counter.paints == 2;
}

int ScreenCheck(const char* mode, const char* file) {
  const QImage screen = ReferenceScreen();
  if (std::strcmp(mode, "--save-screen") == 0) return screen.save(file, "PNG") ? 0 : 1;
  QImage saved(file);
  if (saved.isNull()) return std::fprintf(stderr, "cannot read %s\n", file), 1;
  saved = saved.convertToFormat(screen.format());
  if (saved.size() != screen.size()) return std::fprintf(stderr, "screen sizes differ\n"), 1;
  int differ = 0;
  for (int y = 0; y < screen.height(); ++y)
    for (int x = 0; x < screen.width(); ++x) differ += screen.pixel(x, y) != saved.pixel(x, y);
  QElapsedTimer clock;
  clock.start();
  const QtTextMeasure measure(TerminalFont(TOptions()));
  std::printf("%d pixels differ; the default font's runs are %s (found in %.1f ms)\n", differ,
              measure.CountsCells() ? "counted in cells" : "measured by Qt", clock.nsecsElapsed() / 1e6);
  // Counted widths must be Qt's own, for any bytes in any order.
  const QFontMetrics qt(measure.Font());
  std::mt19937 rng(11);
  int wrong = 0;
  for (int i = 0; i < 5000; ++i) {
    std::string run(rng() % 120, ' ');
    for (char& c : run) c = static_cast<char>(rng() % 8 == 0 ? rng() % 256 : 0x20 + rng() % 95);
    wrong += measure.TextWidth(run) != qt.horizontalAdvance(FromBytes(run));
  }
  std::printf("%d of 5000 random runs measured otherwise than Qt measures them\n", wrong);
  return differ == 0 && wrong == 0 ? 0 : 1;
}

}  // namespace
}  // namespace ombrel

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc == 3 && (std::strcmp(argv[1], "--save-screen") == 0 || std::strcmp(argv[1], "--compare-screen") == 0))
    return ombrel::ScreenCheck(argv[1], argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!ombrel::FramesRepaint()) return std::fprintf(stderr, "a frame did not repaint\n"), 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
