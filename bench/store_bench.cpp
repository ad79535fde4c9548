// Memory of the line store, loading a large log, and clearing a full store.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <filesystem>
#include <fstream>

#include "mud_text.h"
#include "term/term_core.h"
#include "term/term_view.h"

namespace ombrel {
namespace {

// Both the small blocks and the large ones malloc maps on its own.
size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// Bytes the store takes per stored line beyond the line's own text.
void BM_StoreOverheadPerLine(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  // With extended colours on, text in xterm's colours, some of whose lines
  // carry colours on to the next.
  const bool extended = state.range(1) != 0;
  const size_t bytes = static_cast<size_t>(lines) * 60;
  const std::string text = extended ? bench::XtermColouredText(bytes) : bench::ColouredText(bytes);
  double overhead = 0;
  for (auto _ : state) {
    TOptions options;
    options.ansi = true;
    options.features.extendedcolours = extended;
    auto term = std::make_unique<TermCore>(&options);
    const size_t before = HeapInUse();
    size_t i = 0;
    while (term->curline() < lines && i < text.size()) {
      term->WriteText(text.substr(i, 4096), false);
      i += 4096;
    }
    const size_t after = HeapInUse();
    size_t textBytes = 0;
    for (int k = 0; k <= term->curline(); ++k) textBytes += term->Store().Line(k).text.size();
    overhead = (static_cast<double>(after - before) - static_cast<double>(textBytes)) /
               (term->curline() + 1);
    state.counters["text_B_per_line"] = static_cast<double>(textBytes) / (term->curline() + 1);
  }
  state.counters["overhead_B_per_line"] = overhead;
}
BENCHMARK(BM_StoreOverheadPerLine)
    ->ArgNames({"lines", "xterm"})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_LoadLog(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0)) << 20;
  const std::string name = (std::filesystem::temp_directory_path() / "ombrel-bench-load.log").string();
  {
    // A log holds stored lines as they were received, escapes and all.
    std::ofstream out(name, std::ios::binary);
    out << bench::ColouredText(bytes);
  }
  TOptions options;
  options.ansi = true;
  TermCore term(&options);
  for (auto _ : state) term.LoadLog(name);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  std::remove(name.c_str());
}
BENCHMARK(BM_LoadLog)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_ClearAfterAMillionLines(benchmark::State& state) {
  const std::string text = bench::PlainText(4 << 20);
  TOptions options;
  TermCore term(&options);
  for (auto _ : state) {
    state.PauseTiming();
    for (size_t i = 0; term.curline() < 1'000'000; i = (i + 4096) % text.size())
      term.WriteText(text.substr(i, 4096), false);
    state.ResumeTiming();
    term.ClearTerminal();
  }
}
BENCHMARK(BM_ClearAfterAMillionLines)->Iterations(3)->Unit(benchmark::kMillisecond);

// A store of `lines` coloured lines, filled once and kept for the benchmarks
// that only read it. Growing it also records the longest single read.
struct BigStore {
  TOptions options;
  TermCore term{&options};
  double longestReadMs = 0;
  explicit BigStore(int lines) {
    options.ansi = true;
    const std::string text = bench::ColouredText(64 << 20);
    for (size_t i = 0; term.curline() < lines; i = (i + 4096) % (text.size() - 4096)) {
      const auto t0 = std::chrono::steady_clock::now();
      term.WriteText(text.substr(i, 4096), false);
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
      longestReadMs = std::max(longestReadMs, ms);
    }
  }
};

BigStore& Store(int lines) {
  static std::map<int, std::unique_ptr<BigStore>> stores;
  auto& s = stores[lines];
  if (!s) s = std::make_unique<BigStore>(lines);
  return *s;
}

void BM_GrowTo(benchmark::State& state) {
  for (auto _ : state) {
    BigStore s(static_cast<int>(state.range(0)));
    state.counters["longest_read_ms"] = s.longestReadMs;
  }
}
BENCHMARK(BM_GrowTo)->Arg(10'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Find from the top of the store, as the find dialog starts it.
void Find(benchmark::State& state, const std::string& text) {
  BigStore& s = Store(static_cast<int>(state.range(0)));
  TermView view(s.term);
  bool found = false;
  for (auto _ : state) found = view.FindText(text, false, false);
  state.counters["found_line"] = found ? view.selstartline : -1;
}
void BM_FindNoMatch(benchmark::State& state) { Find(state, "xyzzy the magic word"); }
BENCHMARK(BM_FindNoMatch)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// The last line holds the only match.
void BM_FindInLastLine(benchmark::State& state) {
  BigStore& s = Store(static_cast<int>(state.range(0)));
  s.term.WriteText("\x1b[1;31mThe Plugh Stone\x1b[0m glows.\r\n", false);
  Find(state, "plugh stone");
}
BENCHMARK(BM_FindInLastLine)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ombrel

BENCHMARK_MAIN();
