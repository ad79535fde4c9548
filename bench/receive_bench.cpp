// Throughput of the whole receive path: telnet parsing, the escape
// interpreter, line assembly and triggers, fed in socket-sized reads.
// Timed by the clock on the wall, as the window's thread sees it: the line
// store's blocks are made ready on a thread of their own.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "mud_text.h"
#include "pattern_sets.h"
#include "term/term_core.h"

namespace ombrel {
namespace {

constexpr size_t kBlock = 4 << 20;  // text fed per iteration
constexpr size_t kRead = 4096;      // one socket read

// Twenty triggers as a player keeps them: most never match this text, one
// matches a line now and then without sending anything.
void AddTriggers(TOptions& o) {
  for (int i = 0; i < 19; ++i) {
    TTrigger t;
    t.name = "t" + std::to_string(i);
    t.string = "You are hungry " + std::to_string(i);
    o.triggers.push_back(t);
  }
  TTrigger tell;
  tell.name = "tell";
  tell.string = "tells you";
  o.triggers.push_back(tell);
}

void Feed(benchmark::State& state, const std::string& text, bool log, bool utf8 = false, size_t read = kRead,
          bool extended = false, std::vector<TTrigger> patterns = {}) {
  TOptions options;
  options.telnet = true;
  options.ansi = true;
  options.features.utf8 = utf8;
  options.features.extendedcolours = extended;
  options.features.patterns = !patterns.empty();
  if (patterns.empty()) AddTriggers(options);
  options.triggers.insert(options.triggers.end(), patterns.begin(), patterns.end());
  TermCore term(&options);
  if (!patterns.empty()) {
    // A set of thousands compiles in the background: timing starts once it is ready.
    term.clientsocketRead("\r\n");
    term.WaitForPatterns();
  }
  const std::string logName = (std::filesystem::temp_directory_path() / "ombrel-bench.log").string();
  if (log) term.SetLogFile(logName);
  for (auto _ : state) {
    // As the socket hands it over: a view of its buffer.
    for (size_t i = 0; i < text.size(); i += read) term.clientsocketRead(std::string_view(text).substr(i, read));
    if (term.curline() > 1'000'000) {
      state.PauseTiming();
      term.ClearTerminal();
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  if (log) {
    term.CloseLog();
    std::remove(logName.c_str());
  }
}

void BM_Plain(benchmark::State& s) { Feed(s, bench::PlainText(kBlock), s.range(0)); }
void BM_Coloured(benchmark::State& s) { Feed(s, bench::ColouredText(kBlock), s.range(0)); }
// A flood arrives in reads as large as the socket's buffer: each write to
// the log then carries more lines.
void BM_ColouredLargeReads(benchmark::State& s) {
  Feed(s, bench::ColouredText(kBlock), s.range(0), false, 64 << 10);
}
// Classic or xterm-coloured text, with extended colours off or on.
void BM_ColouredExtended(benchmark::State& s) {
  Feed(s, s.range(0) ? bench::XtermColouredText(kBlock) : bench::ColouredText(kBlock), false, false, kRead, s.range(1));
}
void BM_Negotiation(benchmark::State& s) { Feed(s, bench::NegotiationText(kBlock), s.range(0)); }

// The same UTF-8 text with the switch off (bytes as cells) and on.
void BM_Utf8Text(benchmark::State& s) { Feed(s, bench::Utf8Text(kBlock), false, s.range(0)); }

// Pattern triggers on a busy coloured stream: 1,000 mixed regular
// expressions, about a tenth of the lines firing with captures, or a large
// profile of 10,000, mostly words to highlight.
void BM_PatternTriggers(benchmark::State& s) {
  const std::string text = bench::BusyColouredText(kBlock);
  Feed(s, text, false, false, kRead, false, bench::SetOf(s.range(0)));
  const auto lines = static_cast<double>(std::count(text.begin(), text.end(), '\n'));
  s.counters["lines"] = benchmark::Counter(lines * static_cast<double>(s.iterations()), benchmark::Counter::kIsRate);
}

// The same stream with the switch off and the classic twenty triggers: what
// the pattern triggers add is the difference.
void BM_BusyColoured(benchmark::State& s) { Feed(s, bench::BusyColouredText(kBlock), false); }

BENCHMARK(BM_BusyColoured)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PatternTriggers)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Utf8Text)->ArgName("utf8")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Plain)->ArgName("log")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Coloured)->ArgName("log")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColouredLargeReads)->ArgName("log")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColouredExtended)
    ->ArgNames({"xterm", "on"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Negotiation)->ArgName("log")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ombrel

BENCHMARK_MAIN();
