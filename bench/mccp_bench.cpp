// What MCCP2 costs the client: the 50 MB coloured stream through the whole
// receive path in 4 KiB reads, plain and as one zlib stream that the
// terminal inflates. CPU seconds per pass are the figures to compare.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <string>

#include "mud_text.h"
#include "term/term_core.h"

namespace ombrel {
namespace {

constexpr size_t kStream = 50u << 20;
constexpr size_t kRead = 4096;

const std::string& Plain() {
  static const std::string text = bench::ColouredText(kStream);
  return text;
}

// The server's offer, the start of compression and the stream deflated
// as a MUD server does it, at zlib's default level.
const std::string& Compressed() {
  static const std::string stream = [] {
    const std::string& text = Plain();
    std::string out = "\xff\xfb\x56\xff\xfa\x56\xff\xf0";
    const size_t head = out.size();
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    out.resize(head + size);
    compress2(reinterpret_cast<Bytef*>(out.data() + head), &size, reinterpret_cast<const Bytef*>(text.data()),
              static_cast<uLong>(text.size()), Z_DEFAULT_COMPRESSION);
    out.resize(head + size);
    return out;
  }();
  return stream;
}

void Feed(benchmark::State& state, const std::string& stream) {
  TOptions options;
  options.telnet = true;
  options.ansi = true;
  options.features.mccp = true;
  TermCore term(&options);
  for (auto _ : state) {
    state.PauseTiming();
    term.ClearTerminal();
    term.clientsocketConnect();
    state.ResumeTiming();
    for (size_t i = 0; i < stream.size(); i += kRead) term.clientsocketRead(std::string_view(stream).substr(i, kRead));
  }
  state.counters["wire_MB"] = static_cast<double>(stream.size()) / (1 << 20);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Plain().size()));
}

// A hostile server's read: as many starts of a stream that inflates to
// 16 MiB of text as fit in one socket read (256 KiB). How long the read
// holds the window is what the per-read bound keeps short; before it, each
// start began a fresh count.
void BM_BombRead(benchmark::State& state) {
  static const std::string read = [] {
    std::string text;
    while (text.size() < (size_t{16} << 20)) text += std::string(78, 'x') + "\r\n";
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string stream(size, '\0');
    compress2(reinterpret_cast<Bytef*>(stream.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
              static_cast<uLong>(text.size()), Z_BEST_COMPRESSION);
    stream = "\xff\xfa\x56\xff\xf0" + stream.substr(0, size);
    std::string out;
    while (out.size() + stream.size() <= 256 * 1024) out += stream;
    return out;
  }();
  TOptions options;
  options.telnet = true;
  options.features.mccp = true;
  TermCore term(&options);
  for (auto _ : state) {
    state.PauseTiming();
    term.ClearTerminal();
    term.clientsocketConnect();
    term.clientsocketRead("\xff\xfb\x56");
    state.ResumeTiming();
    term.clientsocketRead(read);
  }
  state.counters["read_KB"] = static_cast<double>(read.size()) / 1024;
  state.counters["stored_MB"] = static_cast<double>(term.Store().CurLine()) * 80 / (1 << 20);
}

void BM_ColouredPlain(benchmark::State& s) { Feed(s, Plain()); }
void BM_ColouredMCCP2(benchmark::State& s) { Feed(s, Compressed()); }

BENCHMARK(BM_ColouredPlain)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(BM_ColouredMCCP2)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(BM_BombRead)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);

}  // namespace
}  // namespace ombrel

BENCHMARK_MAIN();
