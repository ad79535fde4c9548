// What Tab completion costs the receive path: every received line's visible
// text goes into the word index, the line a thousand back leaving it; and
// what the first Tab costs on a full index, the busy stream and a UTF-8 one.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "command/completion.h"
#include "mud_text.h"
#include "term/escape.h"

namespace ombrel {
namespace {

// The visible text of each line of a stream, as the terminal completes them.
std::vector<std::string> VisibleLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(StripEscapes(std::string_view(text).substr(start, end - start), true));
  return lines;
}

const std::vector<std::string>& Busy() {
  static const std::vector<std::string> lines = VisibleLines(bench::BusyColouredText(4 << 20));
  return lines;
}

const std::vector<std::string>& Utf8() {
  static const std::vector<std::string> lines = VisibleLines(bench::Utf8Text(4 << 20));
  return lines;
}

// Every line of the stream into the index: what the receive path pays.
void BM_IndexLines(benchmark::State& state) {
  const std::vector<std::string>& lines = Busy();
  WordIndex index;
  size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& line : lines) index.AddLine(line), bytes += line.size();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_IndexLines)->Unit(benchmark::kMillisecond);

// The first Tab on a full index: its thousand lines read for the words that
// fit. "s" fits many words, "zz" none.
void Tab(benchmark::State& state, const std::vector<std::string>& lines, bool utf8, std::string prefix) {
  WordIndex index;
  for (const std::string& line : lines) index.AddLine(line);
  for (auto _ : state) benchmark::DoNotOptimize(index.Complete(prefix, utf8));
  state.counters["words"] = static_cast<double>(index.Complete(prefix, utf8).size());
}
void BM_TabBusy(benchmark::State& state) { Tab(state, Busy(), false, state.range(0) ? "s" : "zz"); }
void BM_TabUtf8(benchmark::State& state) { Tab(state, Utf8(), true, state.range(0) ? "s" : "zz"); }
BENCHMARK(BM_TabBusy)->ArgName("many")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TabUtf8)->ArgName("many")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ombrel

BENCHMARK_MAIN();
