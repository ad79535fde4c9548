// The paint plan alone, without Qt: a full screen of 240 x 67 cells (a
// 1920 x 1080 window) built from a store of coloured lines, a different
// screen each time, in classic colours, xterm colours and UTF-8. What the
// line walker costs the painter.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "mud_text.h"
#include "term/term_view.h"

namespace ombrel {
namespace {

struct CellMeasure : TextMeasure {
  int TextWidth(const std::string& text) const override { return 8 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) const override { return 16; }
};

void Frames(benchmark::State& state, const std::string& text, bool extended, bool utf8) {
  TOptions options;
  options.ansi = true;
  options.features.extendedcolours = extended;
  options.features.utf8 = utf8;
  TermCore core(&options);
  core.ClearTerminal();
  core.cols = 240;
  core.rows = 67;
  for (size_t i = 0; i < text.size(); i += 4096) core.WriteText(text.substr(i, 4096), false);
  CellMeasure measure;
  TermView view(core);
  view.Layout(measure, 1920, 1080);
  PaintPlan plan;
  const int screens = std::max(1, core.curline() - core.rows);
  int top = 0;
  for (auto _ : state) {
    view.topline = top;
    view.BuildPaintPlan(measure, plan);
    benchmark::DoNotOptimize(plan.runs.data());
    top = (top + core.rows) % screens;
  }
  state.counters["runs"] = static_cast<double>(plan.runs.size());
}

void BM_PlanClassic(benchmark::State& s) { Frames(s, bench::ColouredText(4 << 20), false, false); }
void BM_PlanExtended(benchmark::State& s) { Frames(s, bench::XtermColouredText(4 << 20), true, false); }
void BM_PlanUtf8(benchmark::State& s) { Frames(s, bench::Utf8Text(4 << 20), false, true); }
BENCHMARK(BM_PlanClassic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlanExtended)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlanUtf8)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ombrel

BENCHMARK_MAIN();
