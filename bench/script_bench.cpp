// What scripts cost: one call from the client into a Lua function, and a
// Lua trigger on a coloured stream, per received line, beside the receive
// path itself with scripts off on the same text.
//
//   build-rel/bench/bench_script --benchmark_repetitions=9 --benchmark_report_aggregates_only
//
// What scripts cost the receive rate: BM_ScriptCost's `cost`, the two
// terminals of BM_ReceiveScriptsOff and BM_ReceiveScriptsOn fed in turn
// (the same 4 MiB coloured stream through the real terminal session, the
// trigger firing on one line in eight).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include <filesystem>
#include <fstream>

#include "mud_text.h"
#include "script/script_host.h"
#include "script/script_session.h"
#include "term/term_session.h"
#include "term/escape.h"
#include "term/term_core.h"

namespace ombrel {
namespace {

constexpr size_t kBlock = 4 << 20;

struct QuietTerminal : ScriptTerminal {
  size_t sent = 0;
  void SendCommand(const std::string&) override { ++sent; }
  void SendRaw(const std::string&) override { ++sent; }
  void Echo(const std::string&) override { ++sent; }
  void PlaySound(const std::string&) override {}
  void SendGmcp(const std::string&, const std::string&) override {}
  void StartTimer(int, std::chrono::milliseconds) override {}
  void StopTimer(int) override {}
  std::chrono::steady_clock::time_point Now() const override { return {}; }
};

// A timer's function: the cheapest way in from the client.
void BM_CallIntoLua(benchmark::State& state) {
  QuietTerminal term;
  ScriptHost host(term);
  host.Run("bench.lua", "n = 0 tick = timer(1, function() n = n + 1 end, true)");
  for (auto _ : state) benchmark::DoNotOptimize(host.RunTimer(1));
}

// One line that fires a trigger with two captures.
void BM_TriggerFires(benchmark::State& state) {
  QuietTerminal term;
  ScriptHost host(term);
  host.Run("bench.lua", R"(trigger("(\\w+) tells you, '(.*)'", function(line, who, what) last = who end))");
  const std::string line = "Aldric tells you, 'meet me at the gate in five minutes.'";
  for (auto _ : state) benchmark::DoNotOptimize(host.ProcessLine(line));
}

// The stream in socket-sized reads, as often as the benchmark asks; the
// store is emptied (untimed) before it grows past a million lines.
void FeedStream(benchmark::State& state, TermCore& term, const std::string& text) {
  for (auto _ : state) {
    for (size_t i = 0; i < text.size(); i += 4096) term.clientsocketRead(std::string_view(text).substr(i, 4096));
    if (term.curline() > 1'000'000) {
      state.PauseTiming();
      term.ClearTerminal();
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The receive path with scripts off, as bench_receive measures it.
void BM_ReceiveScriptsOff(benchmark::State& state) {
  const std::string text = bench::ColouredText(kBlock);
  TOptions options;
  options.telnet = true;
  options.ansi = true;
  TermCore term(&options);
  FeedStream(state, term, text);
}

// What scripts add to the same text: each completed line, without its
// colours, through the host, where a trigger fires on the tells (one line
// in eight) and counts them in vars (`firing`: the share of lines it fires
// on). With strip:1 each line goes as the terminal gives it: first ruled
// out by the bytes it holds where it can be (MayAct), else without its
// colours (StripEscapes); strip:0 is the host alone on stripped lines.
void BM_ScriptLines(benchmark::State& state) {
  const std::string text = bench::ColouredText(kBlock);
  std::vector<std::string_view> lines;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(std::string_view(text).substr(start, end - 1 - start));  // without CR LF
  std::vector<std::string> stripped;
  for (std::string_view line : lines) stripped.push_back(StripEscapes(line));
  QuietTerminal term;
  ScriptHost host(term);
  host.Run("bench.lua", R"(vars = {}
    trigger("(\\w+) tells you, '(.*)'", function(line, who, what) vars[who] = (vars[who] or 0) + 1 end))");
  const bool strip = state.range(0);
  std::string visible;
  size_t errors = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (strip && !host.MayAct(lines[i])) continue;
      if (strip) StripEscapes(lines[i], visible);
      ScriptLineEffects fx = host.ProcessLine(strip ? visible : stripped[i]);
      host.Perform(fx.actions);
      errors += fx.errors.size();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["line"] = benchmark::Counter(static_cast<double>(state.iterations() * lines.size()),
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["errors"] = static_cast<double>(errors);
  state.counters["firing"] = static_cast<double>(std::count_if(stripped.begin(), stripped.end(), [](const std::string& l) {
                               return l.find(" tells you, '") != std::string::npos;
                             })) / static_cast<double>(lines.size());
}

struct NoView : ScrollTarget, ParamPrompt {
  void ScrollBy(int) override {}
  int Rows() const override { return 24; }
  int CurLine() const override { return 0; }
  std::string Ask(const std::string&) override { return {}; }
};
struct NoClock : ScriptClock {
  void Start(int, std::chrono::milliseconds) override {}
  void Stop(int) override {}
};
struct QuietSocket : IClientSocket {
  size_t bytes = 0;
  void SendText(const std::string& text) override { bytes += text.size(); }
  bool Active() const override { return true; }
  bool Established() const override { return true; }
  void Close() override {}
  std::string Address() const override { return {}; }
  std::string Host() const override { return "bench"; }
  int Port() const override { return 4000; }
};

// The whole terminal with "Scripts" on: the receive path, each received
// line without its colours to the set's script, whose trigger fires on the
// tells and counts them in vars; with `answer` it also nods back to each
// through the command processor.
struct ScriptedTerminal {
  std::filesystem::path dir;
  TOptions options;
  NoView view;
  NoClock clock;
  QuietSocket* sent = nullptr;
  std::unique_ptr<TermSession> session;
  std::unique_ptr<ScriptSession> scripts;

  // `on`: the set's "Scripts" switch.
  ScriptedTerminal(const std::string& name, bool answer, bool on = true)
      : dir(std::filesystem::temp_directory_path() / ("ombrel-bench-scripts-" + name)) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "Bench.lua") << R"(local answer = )" << answer << R"(
      trigger("(\\w+) tells you, '(.*)'", function(line, who, what)
      vars[who] = (vars[who] or 0) + 1 if answer == 1 then send("nod " .. who) end end))";
    options.name = "Bench";
    options.telnet = true;
    options.ansi = true;
    options.features.scripts = on;
    session = std::make_unique<TermSession>(&options, view, view);
    auto socket = std::make_unique<QuietSocket>();
    sent = socket.get();
    session->SetSocket(std::move(socket));
    scripts = std::make_unique<ScriptSession>(*session, clock, dir.string());
    scripts->Reload();
  }
  ~ScriptedTerminal() {
    scripts.reset();
    std::filesystem::remove_all(dir);
  }
  TermCore& Core() { return session->Core(); }
};

// Against BM_ReceiveScriptsOff, what scripts cost the receive rate.
void BM_ReceiveScriptsOn(benchmark::State& state) {
  const std::string text = bench::ColouredText(kBlock);
  ScriptedTerminal term("on", state.range(0) != 0);
  FeedStream(state, term.Core(), text);
  state.counters["sent"] = static_cast<double>(term.sent->bytes);
}

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The same terminal with the switch off and on, side by side, 4 MiB to
// each in turn: a machine's drift over a run falls on both alike. `cost` is what scripts take off the receive
// rate (1 - rate on / rate off), from the thread's CPU time of each. The
// stream's tells (from forty names, eight messages) are one line in
// `every`; `firing` counts them.
void BM_ScriptCost(benchmark::State& state) {
  const std::string text = bench::ColouredTextWithTells(kBlock, static_cast<int>(state.range(1)));
  ScriptedTerminal off("off", false, false);
  ScriptedTerminal on("cost", state.range(0) != 0);
  double offSeconds = 0, onSeconds = 0;
  auto feed = [&text](TermCore& term) {
    for (size_t i = 0; i < text.size(); i += 4096) term.clientsocketRead(std::string_view(text).substr(i, 4096));
  };
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    feed(off.Core());
    const double t1 = ThreadSeconds();
    feed(on.Core());
    const double t2 = ThreadSeconds();
    offSeconds += t1 - t0;
    onSeconds += t2 - t1;
    if (on.Core().curline() > 1'000'000) {
      state.PauseTiming();
      off.Core().ClearTerminal();
      on.Core().ClearTerminal();
      state.ResumeTiming();
    }
  }
  const double bytes = static_cast<double>(state.iterations() * text.size());
  state.counters["off_MBps"] = bytes / offSeconds / 1e6;
  state.counters["on_MBps"] = bytes / onSeconds / 1e6;
  state.counters["cost"] = 1 - offSeconds / onSeconds;
  size_t lines = 0, tells = 0;
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  for (size_t at = 0; (at = text.find(" tells you, '", at)) != std::string::npos; ++at) ++tells;
  state.counters["firing"] = static_cast<double>(tells) / static_cast<double>(lines);
}

BENCHMARK(BM_CallIntoLua);
BENCHMARK(BM_TriggerFires);
BENCHMARK(BM_ReceiveScriptsOff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiveScriptsOn)->ArgName("answer")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScriptCost)->ArgNames({"answer", "every"})->ArgsProduct({{0, 1}, {10, 8}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScriptLines)->ArgName("strip")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ombrel


BENCHMARK_MAIN();
