// The pattern trigger engine alone, without the terminal: the visible text
// of a busy coloured stream (sequences stripped), the lines each 4 KiB read
// completes scanned in one pass and every line's triggers evaluated into
// effects; and what compiling a set costs, fresh and from the caches.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "mud_text.h"
#include "pattern_sets.h"
#include "patterns/trigger_actions.h"

namespace ombrel {
namespace {

constexpr size_t kBlock = 4 << 20;  // coloured text per iteration
constexpr size_t kRead = 4096;      // one socket read

// A line without its escape sequences, as find sees it.
std::string Visible(std::string_view raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\x1b') {
      out += raw[i];
      continue;
    }
    if (i + 1 < raw.size() && raw[i + 1] == '[') {
      i += 2;
      while (i < raw.size() && !(raw[i] >= 0x40 && raw[i] <= 0x7E)) ++i;
    }
  }
  return out;
}

struct Reads {
  std::vector<LineBatch> batches;  // the lines each read completes
  size_t coloured = 0, visible = 0, lines = 0;
};

const Reads& BusyReads() {
  static const Reads reads = [] {
    Reads r;
    const std::string text = bench::BusyColouredText(kBlock);
    r.coloured = text.size();
    r.batches.resize(text.size() / kRead + 1);
    size_t start = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
      const std::string line = Visible(std::string_view(text).substr(start, end - start));
      r.batches[(end + 1) / kRead].Add(line);
      r.visible += line.size() + 1;
      ++r.lines;
      start = end + 2;
    }
    return r;
  }();
  return reads;
}

void BM_PatternEngine(benchmark::State& state) {
  const Reads& reads = BusyReads();
  std::vector<TTrigger> triggers = bench::SetOf(state.range(0));
  PatternDbCache cache;
  auto set = CompilePatternSet(InputOf(triggers, false), &cache);
  PatternScanner scanner;
  PatternCandidates candidates;
  LineEffects effects;
  Lines groupsoff;
  size_t firing = 0, candidateCount = 0;
  for (auto _ : state) {
    for (const LineBatch& batch : reads.batches) {
      scanner.Scan(*set, batch, candidates);
      for (size_t i = 0; i < batch.Size(); ++i) {
        candidateCount += candidates.ForLine(i).size();
        EvaluateLine(*set, scanner, batch.Line(i), candidates.ForLine(i), triggers, groupsoff, effects);
        firing += !effects.fired.empty();
      }
    }
  }
  const double n = static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reads.coloured));
  state.counters["visible"] = benchmark::Counter(n * reads.visible, benchmark::Counter::kIsRate, benchmark::Counter::kIs1024);
  state.counters["lines"] = benchmark::Counter(n * reads.lines, benchmark::Counter::kIsRate);
  state.counters["firing"] = firing / (n * reads.lines);
  state.counters["candidates"] = candidateCount / (n * reads.lines);
  state.counters["compile_s"] = set->CompileSeconds();
}

// The one scan alone, without matching the candidates.
void BM_PatternScan(benchmark::State& state) {
  const Reads& reads = BusyReads();
  auto set = CompilePatternSet(InputOf(bench::SetOf(state.range(0)), false));
  PatternScanner scanner;
  PatternCandidates candidates;
  for (auto _ : state)
    for (const LineBatch& batch : reads.batches) scanner.Scan(*set, batch, candidates);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reads.coloured));
}

// A set compiled afresh: what opening a set costs once, off the window's thread.
void BM_PatternCompile(benchmark::State& state) {
  const PatternSetInput input = InputOf(bench::SetOf(state.range(0)), false);
  for (auto _ : state) benchmark::DoNotOptimize(CompilePatternSet(input));
}

// Ten thousand regular expressions of the shapes above, none a plain literal.
void BM_PatternCompileRegexes(benchmark::State& state) {
  const PatternSetInput input = InputOf(bench::MixedRegexes(state.range(0)), false);
  for (auto _ : state) benchmark::DoNotOptimize(CompilePatternSet(input));
}

// The same set again, from memory (a second terminal, Apply without
// changes) or from the disk cache (the next start).
void BM_PatternCompileCached(benchmark::State& state) {
  const PatternSetInput input = InputOf(bench::SetOf(state.range(0)), false);
  const std::string folder = (std::filesystem::temp_directory_path() / "ombrel-bench-patterns").string();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  PatternDbCache memory(folder);
  CompilePatternSet(input, &memory);
  for (auto _ : state) {
    if (state.range(1)) {
      PatternDbCache disk(folder);
      benchmark::DoNotOptimize(CompilePatternSet(input, &disk));
    } else {
      benchmark::DoNotOptimize(CompilePatternSet(input, &memory));
    }
  }
  std::filesystem::remove_all(folder);
}

BENCHMARK(BM_PatternEngine)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatternScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatternCompile)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PatternCompileRegexes)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PatternCompileCached)
    ->ArgNames({"n", "disk"})
    ->ArgsProduct({{1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ombrel

BENCHMARK_MAIN();
