#include <gtest/gtest.h>

#include <random>

#include "telnet/telnet_parser.h"

namespace ombrel {
namespace {

using namespace telnet;
using Logs = std::vector<std::string>;

std::string B(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

struct Step {
  int kind;
  std::string output;
  bool operator==(const Step&) const = default;
};
using Steps = std::vector<Step>;

struct ParserFixture {
  TTelnetParser parser;
  Logs logs;
  std::vector<std::pair<int, int>> sizes;
  ParserFixture() {
    parser.SetLogHandler([this](TTelnetParser&, const std::string& t) { logs.push_back(t); });
    parser.ConfigureNAWS(false, true, [this](TTelnetParser&, uint16_t w, uint16_t h) {
      sizes.emplace_back(w, h);
    }, nullptr);
  }
  // Parse the way the receive path does, piece by piece.
  Steps ParseAll(std::string data) {
    Steps steps;
    std::string out;
    while (!data.empty()) {
      int kind = parser.Parse(data, out);
      steps.push_back({kind, out});
      if (kind == ParseIncomplete) break;
    }
    return steps;
  }
};

TEST(TelnetScan, PiecesAnswersAndLogLines) {
  struct Row {
    std::string in;
    Steps steps;
    Logs logs;
    std::vector<std::pair<int, int>> sizes = {};  // NAWS reports of the peer
  } rows[] = {
      {"abc", {{-1, "abc"}}, {}},
      {"ab" + B({IAC, GA}) + "cd", {{-1, "ab"}, {249, ""}, {-1, "cd"}}, {}},
      {B({IAC, NOP, IAC, SE}), {{241, ""}, {240, ""}}, {}},
      {"a" + B({IAC, IAC}) + "b", {{-1, "a"}, {-1, B({255})}, {-1, "b"}}, {}},  // data byte 255
      // Every option but NAWS is refused. WONT and DONT of an option that is
      // off take no answer, or a peer answering alike would loop forever.
      {B({IAC, WONT, 3, IAC, DONT, 5, IAC, WONT, 34, IAC, DONT, 31}), {{252, ""}, {254, ""}, {252, ""}, {254, ""}},
       {"UNRECOGNIZED WONT (option=3)", "UNRECOGNIZED WONT (option=34)", "DONT NAWS Received"}},
      {B({IAC, WILL, 34, IAC, DO, 34}), {{251, B({IAC, DONT, 34})}, {253, B({IAC, WONT, 34})}},
       {"UNRECOGNIZED WILL (option=34)", "UNRECOGNIZED DO (option=34)"}},
      // Sub-negotiations are skipped, only NAWS is read; IAC IAC is a 255, not the start of IAC SE.
      {B({IAC, SB, 24, 1, IAC, IAC, SE, IAC, SE}) + "x", {{250, ""}, {-1, "x"}}, {}},
      {B({IAC, SB, 31, 0, IAC, IAC, 1, 0, IAC, SE}), {{250, ""}}, {"SB NAWS Received"}, {{255, 256}}},
      // Too few value bytes: nothing is read beyond the sub-negotiation.
      {B({IAC, SB, 31, 1, IAC, SE}) + "y", {{250, ""}, {-1, "y"}}, {"SB NAWS Received"}},
  };
  for (const Row& r : rows) {
    ParserFixture f;
    SCOPED_TRACE(testing::PrintToString(r.in));
    EXPECT_EQ(f.ParseAll(r.in), r.steps);
    EXPECT_EQ(std::make_tuple(f.logs, f.sizes, f.parser.linemode.us), std::make_tuple(r.logs, r.sizes, uint16_t{NO}));
  }
}

TEST(TelnetScan, ACutOffSequenceIsReportedAndKept) {
  ParserFixture f;
  for (const std::string& tail : {B({IAC}), B({IAC, WILL}), B({IAC, SB, 24, 1, 2})}) {
    std::string data = tail, out = "junk";
    EXPECT_EQ(f.parser.Parse(data, out), ParseIncomplete);
    EXPECT_EQ(data + out + "|" + f.parser.Incomplete(), "|" + tail);
  }
  // One without IAC SE within the limit is dropped there; what follows is read again.
  std::string held = B({IAC, SB, 24}) + std::string(TTelnetParser::kMaxKeptSubnegotiation - 4, 'a');
  EXPECT_EQ(f.ParseAll(held + B({IAC}) + "b"), (Steps{{250, ""}, {-1, "b"}}));
}

TEST(NAWSNegotiation, TransitionTable) {
  struct Row {  // state before and after an event, and the answer sent
    std::string event;
    uint16_t us;
    bool usq;
    uint16_t usAfter;
    bool usqAfter;
    std::string answer;
  };
  const std::string will = B({IAC, WILL, 31}), wont = B({IAC, WONT, 31});
  const std::string size = B({IAC, SB, 31, 0, 80, 0, 25, IAC, SE});
  const std::vector<Row> rows = {
      {"on", NO, false, WANTYES, false, will},      {"on", YES, false, YES, false, ""},
      {"on", WANTNO, false, WANTNO, true, ""},      {"on", WANTYES, true, WANTYES, false, ""},
      {"on", WANTYES, false, WANTYES, false, ""},   // the offer pending is not made twice
      {"off", NO, false, NO, false, ""},            {"off", YES, false, WANTNO, false, wont},  // DONT awaited
      {"off", WANTNO, false, WANTNO, false, ""},    {"off", WANTYES, false, WANTYES, true, ""},
      {"off", WANTNO, true, WANTNO, false, ""},
      {"do", NO, false, YES, false, will + size},   {"do", YES, false, YES, false, size},
      {"do", WANTNO, false, WANTNO, false, ""},     {"do", WANTYES, false, YES, false, size},
      {"do", YES, true, YES, true, size},           {"do", WANTYES, true, WANTNO, false, wont},
      {"dont", NO, false, NO, false, ""},           {"dont", YES, false, NO, false, wont},
      {"dont", WANTNO, false, NO, false, ""},       {"dont", WANTYES, false, NO, false, ""},
      {"dont", WANTNO, true, WANTYES, false, will}, {"dont", WANTYES, true, NO, false, ""},
  };
  for (const Row& r : rows) {
    TTelnetParser p;
    p.naws.want = true, p.naws.us = r.us, p.naws.usq = r.usq;
    std::string out;
    if (r.event == "on" || r.event == "off") p.SetNAWS(r.event == "on", out);
    if (r.event == "do") p.HandleDoNAWS(out);
    if (r.event == "dont") p.HandleDontNAWS(out);
    SCOPED_TRACE(r.event + " in state " + std::to_string(r.us) + (r.usq ? " queued" : ""));
    EXPECT_EQ(std::tie(p.naws.us, p.naws.usq, out), std::tie(r.usAfter, r.usqAfter, r.answer));
  }
}

TEST(NAWSNegotiation, TypicalExchangeWithItsLogLinesAndDoubledSizeBytes) {
  ParserFixture f;
  f.parser.OnGetWindowSize = [](TTelnetParser&, uint16_t& w, uint16_t& h) { w = 255, h = 511; };
  std::string out;
  f.parser.SetNAWS(true, out);
  EXPECT_EQ(out, B({IAC, WILL, 31}));
  // A size byte 255 would read as IAC: it goes out doubled.
  EXPECT_EQ(f.ParseAll(B({IAC, DO, 31})),
            (Steps{{253, B({IAC, SB, 31, 0, 255, 255, 1, 255, 255, IAC, SE})}}));
  EXPECT_TRUE(f.parser.NAWSActive());
  EXPECT_EQ(f.ParseAll(B({IAC, WILL, 31})), (Steps{{251, B({IAC, DONT, 31})}}));
  EXPECT_EQ(f.ParseAll(B({IAC, WONT, 31})), (Steps{{252, ""}}));
  f.parser.SendAYT(out);
  EXPECT_EQ(out, B({IAC, AYT}));
  EXPECT_EQ(f.logs, (Logs{"WILL NAWS Sent", "DO NAWS Received", "SB NAWS Sent (255x511)",
                          "WILL NAWS Received", "DONT NAWS Sent", "WONT NAWS Received",
                          "AYT Sent"}));
}

// Random bytes, heavy in telnet codes, through the caller's loop without a
// log handler: no crash, no endless loop, and no byte of a command in the text.
TEST(TelnetScan, RandomInputNeverHangsOrLeaksCommandBytes) {
  std::mt19937 rng(1234);
  const int pool[] = {IAC, IAC, SB, SE, WILL, WONT, DO, DONT, 31, 24, 'a', 'b', 0, 13};
  for (int round = 0; round < 3000; ++round) {
    TTelnetParser p;
    p.ConfigureNAWS(round % 2, true, [](TTelnetParser&, uint16_t, uint16_t) {}, nullptr);
    std::string data;
    int len = rng() % 40;
    for (int i = 0; i < len; ++i) data += static_cast<char>(pool[rng() % std::size(pool)]);
    std::string out;
    size_t calls = 0;
    while (!data.empty()) {
      size_t before = data.size();
      int kind = p.Parse(data, out);
      ASSERT_LT(data.size(), before);
      ASSERT_LE(++calls, static_cast<size_t>(len));
      if (kind == ParseIncomplete) break;
      ASSERT_TRUE(kind != ParseText || out.find(static_cast<char>(IAC)) == std::string::npos ||
                  out == B({IAC}));
    }
  }
}

}  // namespace
}  // namespace ombrel
