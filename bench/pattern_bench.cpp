// The pattern trigger engine alone, without the terminal: the visible text
// of a busy coloured stream (sequences stripped), the lines each 4 KiB read
// completes scanned in one pass and every line's triggers evaluated into
// effects; and what compiling a set costs, fresh and from the caches.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "mud_text.h"
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

// Words no line of the stream holds, for the triggers a large profile has
// for other places and times.
std::vector<std::string> OtherWords(size_t n) {
  static const char* syllables[] = {"zu", "pho", "ny", "xer", "quo", "bly", "wex", "jad", "ovv", "ruk"};
  std::mt19937 rng(3);
  std::vector<std::string> out;
  while (out.size() < n) {
    std::string w;
    for (int i = 0, k = 2 + rng() % 3; i < k; ++i) w += syllables[rng() % 10];
    out.push_back(w);
  }
  return out;
}

TTrigger Trigger(TriggerKind kind, std::string string, bool reply) {
  TTrigger t;
  t.string = std::move(string);
  t.pattern.kind = kind;
  if (reply) {
    t.textenabled = true;
    t.text = {"say %1 (%2)"};
  }
  return t;
}

// A thousand regular expressions as a player of a busy MUD keeps them:
// prompts, tells, channels, loot, experience, damage taken and dealt, per
// player and per mob, and many for other places that never fire here.
std::vector<TTrigger> MixedRegexes(size_t n) {
  std::vector<TTrigger> t;
  auto add = [&](std::string re, bool reply = true) { t.push_back(Trigger(TriggerKind::regex, std::move(re), reply)); };
  add("^<([1-9]\\d?)hp (\\d+)m (\\d+)mv> ");  // hit points below a hundred
  add("^<(\\d+)hp (\\d+)m ([1-5])mv> ");
  add("^(?:<\\d+hp \\d+m \\d+mv> )?(\\w+) tells you '(.*)'$");
  add("^(?:<[^>]*> )?\\[OOC\\] (\\w+): (.*)$");
  add("^(?:<[^>]*> )?You get (.+) from the corpse of the (.+)\\.$");
  add("You receive (\\d+) experience points\\.");
  add("^(?:<[^>]*> )?The (.+?) hits you for (\\d+) damage\\.$");
  add("Your (\\w+) (?:mauls|decimates|obliterates) the (.+)! \\[(\\d{3,})\\]");
  for (const std::string& p : bench::BusyPlayers()) {
    add("^" + p + " tells you '(.*)'$");
    add("^" + p + " (arrives from the|leaves) (\\w+)\\.$");
  }
  for (const std::string& m : bench::BusyMobs()) add("^(?:<[^>]*> )?The " + m + " hits you for (\\d+) damage");
  const std::vector<std::string> words = OtherWords(n);
  const std::string shapes[] = {"^You feel (\\w+) @",       "@ (?:says|yells) '(.*)'", "\\b@s?\\b",
                                "^Your @ (?:breaks|shatters)", "(\\d+) @ coins?",        "^(\\w+) bows to @",
                                "@(?! is dead)",             "^@ (\\w+) (\\w+)$",       "The @ (?:is|are) (\\w+)\\.",
                                "^\\[@\\] (\\w+): (.*)$",     "(\\w+) hugs @\\b"};
  for (size_t i = 0; t.size() < n; ++i) {
    std::string re = shapes[i % std::size(shapes)];
    re.replace(re.find('@'), 1, words[i]);
    add(re);
  }
  return t;
}

// Ten thousand triggers as a large profile has them: mostly words to
// highlight (names of players, mobs and items among many others, some
// ignoring case), lines to catch by their start or whole, and half the
// regular expressions above.
std::vector<TTrigger> LargeProfile(size_t n) {
  std::vector<TTrigger> t = MixedRegexes(n / 20);
  const std::vector<std::string> words = OtherWords(n);
  for (size_t i = 0; i < n / 20; ++i)
    t.push_back(Trigger(i % 2 ? TriggerKind::linestart : TriggerKind::wholeline, "Your " + words[i] + " glows.", false));
  std::vector<std::string> seen = bench::BusyPlayers();
  for (const std::string& m : bench::BusyMobs()) seen.push_back(m);
  for (const std::string& item : bench::BusyItems()) seen.push_back(item.substr(item.find(' ') + 1));
  for (size_t i = 0; t.size() < n; ++i) {
    TTrigger h = Trigger(TriggerKind::substring, i < seen.size() ? seen[i] : words[i], false);
    h.pattern.ignorecase = i % 3 == 0;
    h.pattern.highlight = HighlightScope::match;
    h.pattern.fgcolor = 0x00FFFF;
    t.push_back(h);
  }
  return t;
}

std::vector<TTrigger> SetOf(int64_t n) { return n <= 1000 ? MixedRegexes(n) : LargeProfile(n); }

void BM_PatternEngine(benchmark::State& state) {
  const Reads& reads = BusyReads();
  std::vector<TTrigger> triggers = SetOf(state.range(0));
  PatternDbCache cache;
  auto set = CompilePatternSet(SpecOf(triggers, false), &cache);
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
  auto set = CompilePatternSet(SpecOf(SetOf(state.range(0)), false));
  PatternScanner scanner;
  PatternCandidates candidates;
  for (auto _ : state)
    for (const LineBatch& batch : reads.batches) scanner.Scan(*set, batch, candidates);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reads.coloured));
}

// A set compiled afresh: what opening a set costs once, off the window's thread.
void BM_PatternCompile(benchmark::State& state) {
  const PatternSetSpec spec = SpecOf(SetOf(state.range(0)), false);
  for (auto _ : state) benchmark::DoNotOptimize(CompilePatternSet(spec));
}

// Ten thousand regular expressions of the shapes above, none a plain literal.
void BM_PatternCompileRegexes(benchmark::State& state) {
  const PatternSetSpec spec = SpecOf(MixedRegexes(state.range(0)), false);
  for (auto _ : state) benchmark::DoNotOptimize(CompilePatternSet(spec));
}

// The same set again, from memory (a second terminal, Apply without
// changes) or from the disk cache (the next start).
void BM_PatternCompileCached(benchmark::State& state) {
  const PatternSetSpec spec = SpecOf(SetOf(state.range(0)), false);
  const std::string folder = (std::filesystem::temp_directory_path() / "ombrel-bench-patterns").string();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  PatternDbCache memory(folder);
  CompilePatternSet(spec, &memory);
  for (auto _ : state) {
    if (state.range(1)) {
      PatternDbCache disk(folder);
      benchmark::DoNotOptimize(CompilePatternSet(spec, &disk));
    } else {
      benchmark::DoNotOptimize(CompilePatternSet(spec, &memory));
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
