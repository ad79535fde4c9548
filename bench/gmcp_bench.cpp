// What GMCP costs the client: one Char.Vitals a read, as a game sends one
// with each prompt, through the telnet parser into the data tree, then with
// the panes' reading of gauges and room as well. One iteration is 1,000
// messages: its CPU time in milliseconds is the share of one core, in
// thousandths, that 1,000 messages a second take.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "gmcp/game_session.h"
#include "gmcp/game_views.h"
#include "telnet/gmcp_option.h"
#include "telnet/telnet_parser.h"

namespace ombrel {
namespace {

// Iron Realms' shape: every value a string.
std::vector<std::string> Reads(size_t count) {
  std::vector<std::string> reads;
  for (size_t i = 0; i < count; ++i) {
    const std::string hp = std::to_string(4000 + i % 800);
    reads.push_back(SubnegotiationBytes(telnet::OPT_GMCP,
                                        "Char.Vitals {\"hp\":\"" + hp + "\",\"maxhp\":\"4800\",\"mp\":\"3000\","
                                        "\"maxmp\":\"3200\",\"ep\":\"15000\",\"maxep\":\"15000\",\"wp\":\"12000\","
                                        "\"maxwp\":\"12000\",\"nl\":\"31\",\"bal\":\"1\",\"eq\":\"1\",\"string\":"
                                        "\"H:" + hp + "/4800 M:3000/3200\"}") +
                    hp + "h, 3000m ex-\r\n");
  }
  return reads;
}

struct NoView : GamePanesView {
  size_t shown = 0;
  void ShowGauges(const std::vector<std::optional<GaugeReading>>&) override { ++shown; }
  void ShowRoom(const std::optional<RoomInfo>&) override { ++shown; }
  void AddChannelMessage(const ChannelMessage&) override { ++shown; }
};

void Vitals(benchmark::State& state, bool panes) {
  const std::vector<std::string> reads = Reads(1000);
  GameData data;
  GmcpOption gmcp(data);
  TTelnetParser parser;
  parser.SetLogHandler([](TTelnetParser&, const std::string&) {});
  parser.AddOption(&gmcp);
  std::string output;
  size_t pos = 0;
  const std::string offer = "\xff\xfb\xc9";
  parser.ParseAt(offer, pos, output);
  NoView view;
  std::unique_ptr<GamePanes> bound;
  if (panes) bound = std::make_unique<GamePanes>(data, view);
  size_t text = 0;
  for (auto _ : state) {
    for (const std::string& read : reads) {
      for (pos = 0; pos < read.size();)
        if (parser.ParseAt(read, pos, output) == ParseText) text += output.size();
    }
  }
  benchmark::DoNotOptimize(text);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * reads.size()));
}

// The largest message taken (1 MiB) in reads of one TCP segment each, as
// the receive path hands them over: the parser keeps the cut-off part and
// goes on with the next read where its search stopped.
void LargestMessageInSegments(benchmark::State& state) {
  const std::string stream =
      SubnegotiationBytes(telnet::OPT_GMCP, "Big.Data \"" + std::string(kMaxGmcpMessage - 11, 'x') + "\"");
  constexpr size_t kSegment = 1448;
  for (auto _ : state) {
    GameData data;
    GmcpOption gmcp(data);
    TTelnetParser parser;
    parser.AddOption(&gmcp);
    std::string output;
    size_t pos = 0;
    parser.ParseAt("\xff\xfb\xc9", pos, output);
    for (size_t at = 0; at < stream.size(); at += kSegment) {
      const std::string block = stream.substr(at, kSegment);
      for (pos = 0; pos < block.size();)
        parser.Holding() ? parser.Resume(block, pos, output) : parser.ParseAt(block, pos, output);
    }
    benchmark::DoNotOptimize(data.Find("Big.Data"));
  }
}

// The whole receive path of a terminal: each read through the session's
// core (telnet, line store) with the game data switch on, the messages into
// the tree and the panes' reading of it; beside it the same text with no
// GMCP in it, which shows what the messages add and that the text's own cost
// stays as it was.
struct Nothing : ScrollTarget, ParamPrompt, IClientSocket {
  void ScrollBy(int) override {}
  int Rows() const override { return 24; }
  int CurLine() const override { return 0; }
  std::string Ask(const std::string&) override { return {}; }
  void SendText(const std::string&) override {}
  bool Active() const override { return true; }
  bool Established() const override { return true; }
  void Close() override {}
  std::string Address() const override { return {}; }
  std::string Host() const override { return {}; }
  int Port() const override { return 0; }
};

void ReceivePath(benchmark::State& state, bool gmcp) {
  std::vector<std::string> reads = Reads(1000);
  if (!gmcp)
    for (std::string& r : reads) r = r.substr(r.rfind('\xf0') + 1);  // the prompt alone
  TOptions options{.telnet = true};
  options.features.gmcp = true;
  Nothing nothing;
  TermSession session(&options, nothing, nothing);
  GameSession game(session);
  NoView view;
  GamePanes panes(game.Data(), view);
  session.Core().SetSocket(&nothing);
  session.Core().clientsocketConnecting();
  session.Core().clientsocketConnect();
  session.Core().WriteText("\xff\xfb\xc9", true);
  for (auto _ : state)
    for (const std::string& read : reads) session.Core().WriteText(read, true);
  benchmark::DoNotOptimize(view.shown);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * reads.size()));
}

BENCHMARK_CAPTURE(ReceivePath, text_and_gmcp, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReceivePath, text_alone, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vitals, parser_and_tree, false)->Unit(benchmark::kMillisecond);
BENCHMARK(LargestMessageInSegments)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vitals, with_gauges_and_room, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ombrel

BENCHMARK_MAIN();
