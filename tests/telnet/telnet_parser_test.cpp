#include <gtest/gtest.h>

#include <random>

#include "telnet/telnet_parser.h"

namespace ombrel {
namespace {

using namespace telnet;
using Logs = std::vector<std::string>;

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

struct Step {
  int kind;
  std::string output;
  bool operator==(const Step&) const = default;
};

struct ParserFixture {
  TTelnetParser parser;
  Logs logs;
  ParserFixture() { Log(); }
  void Log() {
    parser.SetLogHandler([this](TTelnetParser&, const std::string& t) { logs.push_back(t); });
  }
  std::vector<Step> ParseAll(std::string data) {
    std::vector<Step> steps;
    std::string out;
    while (!data.empty()) {
      int kind = parser.Parse(data, out);
      steps.push_back({kind, out});
      if (kind == ParseIncomplete) break;
    }
    return steps;
  }
};

TEST(TelnetScan, TextAndTwoByteCommandsInTheirOrder) {
  ParserFixture f;
  EXPECT_EQ(f.ParseAll("abc"), (std::vector<Step>{{-1, "abc"}}));
  EXPECT_EQ(f.ParseAll("ab" + B({IAC, GA}) + "cd"),
            (std::vector<Step>{{-1, "ab"}, {249, ""}, {-1, "cd"}}));
  EXPECT_EQ(f.ParseAll(B({IAC, NOP, IAC, SE})), (std::vector<Step>{{241, ""}, {240, ""}}));
  EXPECT_TRUE(f.logs.empty());
}

TEST(TelnetScan, DoubledIACIsTheDataByte255) {
  ParserFixture f;
  EXPECT_EQ(f.ParseAll("a" + B({IAC, IAC}) + "b"),
            (std::vector<Step>{{-1, "a"}, {-1, B({255})}, {-1, "b"}}));
}

TEST(TelnetScan, UnknownOptionsAreRefusedWithTheirLogLines) {
  ParserFixture f;
  EXPECT_EQ(f.ParseAll(B({IAC, WILL, 1})), (std::vector<Step>{{251, B({IAC, DONT, 1})}}));
  EXPECT_EQ(f.ParseAll(B({IAC, DO, 24})), (std::vector<Step>{{253, B({IAC, WONT, 24})}}));
  EXPECT_EQ(f.ParseAll(B({IAC, WONT, 3})), (std::vector<Step>{{252, B({IAC, DONT, 3})}}));
  EXPECT_EQ(f.ParseAll(B({IAC, DONT, 5})), (std::vector<Step>{{254, ""}}));
  EXPECT_EQ(f.ParseAll(B({IAC, WILL, 34, IAC, DO, 34})),
            (std::vector<Step>{{251, B({IAC, DONT, 34})}, {253, B({IAC, WONT, 34})}}));
  EXPECT_EQ(f.logs, (Logs{"UNRECOGNIZED WILL (option=1)", "UNRECOGNIZED DO (option=24)",
                          "UNRECOGNIZED WONT (option=3)", "UNRECOGNIZED WILL (option=34)",
                          "UNRECOGNIZED DO (option=34)"}));
  EXPECT_EQ(f.parser.linemode.us, NO);

  ParserFixture quiet;
  quiet.parser.OnLog = nullptr;
  EXPECT_EQ(quiet.ParseAll(B({IAC, WILL, 1})), (std::vector<Step>{{251, B({IAC, DONT, 1})}}));
}

TEST(TelnetScan, SubnegotiationsAreSkippedAndNAWSIsReported) {
  ParserFixture f;
  std::vector<std::pair<int, int>> sizes;
  f.parser.ConfigureNAWS(false, true, [&](TTelnetParser&, uint16_t w, uint16_t h) {
    sizes.emplace_back(w, h);
  }, nullptr);
  EXPECT_EQ(f.ParseAll(B({IAC, SB, 24, 1, IAC, SE}) + "x"),
            (std::vector<Step>{{250, ""}, {-1, "x"}}));
  EXPECT_EQ(f.ParseAll(B({IAC, SB, 31, 0, 80, 0, 24, IAC, SE})), (std::vector<Step>{{250, ""}}));
  EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{80, 24}}));
  EXPECT_EQ(f.logs, Logs{"SB NAWS Received"});
  // Too few value bytes: nothing read beyond the sub-negotiation.
  EXPECT_EQ(f.ParseAll(B({IAC, SB, 31, 1, IAC, SE}) + "y"),
            (std::vector<Step>{{250, ""}, {-1, "y"}}));
  EXPECT_EQ(sizes.size(), 1u);
}

TEST(TelnetScan, ACutOffSequenceIsReportedAndKept) {
  ParserFixture f;
  for (const std::string& tail : {B({IAC}), B({IAC, WILL}), B({IAC, SB, 24, 1, 2})}) {
    std::string data = tail;
    std::string out = "junk";
    EXPECT_EQ(f.parser.Parse(data, out), ParseIncomplete);
    EXPECT_TRUE(data.empty());
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(f.parser.Incomplete(), tail);
  }
  std::string huge = B({IAC, SB, 24}) + std::string(TTelnetParser::kMaxKeptSubnegotiation, 'a');
  std::string out;
  EXPECT_EQ(f.parser.Parse(huge, out), ParseIncomplete);
  EXPECT_TRUE(f.parser.Incomplete().empty());
}

// The local side of NAWS, state by state and event by event.
TEST(NAWSNegotiation, TransitionTable) {
  struct Row {
    const char* event;
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
      {"on", WANTNO, false, WANTNO, true, ""},      {"on", WANTYES, true, WANTYES, false, will},
      {"off", NO, false, NO, false, ""},            {"off", YES, false, NO, false, wont},
      {"off", WANTNO, false, NO, false, wont},      {"off", WANTYES, false, WANTYES, true, ""},
      {"do", NO, false, NO, false, ""},             {"do", YES, false, YES, false, size},
      {"do", WANTNO, false, WANTNO, false, ""},     {"do", WANTYES, false, YES, false, size},
      {"do", YES, true, YES, true, size},           {"do", WANTYES, true, WANTNO, false, wont},
      {"dont", NO, false, NO, false, ""},           {"dont", YES, false, YES, false, ""},
      {"dont", WANTNO, false, NO, false, ""},       {"dont", WANTYES, false, WANTYES, false, ""},
      {"dont", WANTNO, true, WANTYES, false, will}, {"dont", WANTYES, true, WANTYES, true, ""},
  };
  for (const Row& r : rows) {
    TTelnetParser p;
    p.naws.want = true;
    p.naws.us = r.us;
    p.naws.usq = r.usq;
    std::string out;
    const std::string ev = r.event;
    if (ev == "on") p.SetNAWS(true, out);
    if (ev == "off") p.SetNAWS(false, out);
    if (ev == "do") p.HandleDoNAWS(out);
    if (ev == "dont") p.HandleDontNAWS(out);
    SCOPED_TRACE(ev + " in state " + std::to_string(r.us) + (r.usq ? " queued" : ""));
    EXPECT_EQ(p.naws.us, r.usAfter);
    EXPECT_EQ(p.naws.usq, r.usqAfter);
    EXPECT_EQ(out, r.answer);
  }
}

TEST(NAWSNegotiation, TypicalExchangeWithItsLogLines) {
  ParserFixture f;
  f.parser.ConfigureNAWS(false, true, nullptr, [](TTelnetParser&, uint16_t& w, uint16_t& h) {
    w = 79;
    h = 24;
  });
  std::string out;
  f.parser.SetNAWS(true, out);
  EXPECT_EQ(out, B({IAC, WILL, 31}));
  EXPECT_EQ(f.ParseAll(B({IAC, DO, 31})), (std::vector<Step>{{253, B({IAC, SB, 31, 0, 79, 0, 24, IAC, SE})}}));
  EXPECT_TRUE(f.parser.NAWSActive());
  EXPECT_EQ(f.ParseAll(B({IAC, WILL, 31})), (std::vector<Step>{{251, B({IAC, DONT, 31})}}));
  EXPECT_EQ(f.ParseAll(B({IAC, WONT, 31})), (std::vector<Step>{{252, ""}}));
  f.parser.SendAYT(out);
  EXPECT_EQ(out, B({IAC, AYT}));
  EXPECT_EQ(f.logs, (Logs{"WILL NAWS Sent", "DO NAWS Received", "SB NAWS Sent (79x24)",
                          "WILL NAWS Received", "DONT NAWS Sent", "WONT NAWS Received",
                          "AYT Sent"}));
}

TEST(NAWSNegotiation, SizeBytes255GoOutDoubled) {
  TTelnetParser p;
  p.ConfigureNAWS(false, true, nullptr, [](TTelnetParser&, uint16_t& w, uint16_t& h) {
    w = 255;
    h = 511;
  });
  p.naws.us = YES;
  std::string out;
  p.SendWindowSize(out);
  EXPECT_EQ(out, B({IAC, SB, 31, 0, 255, 255, 1, 255, 255, IAC, SE}));
}

// Random bytes, heavy in telnet codes, through the caller's loop: no crash,
// no endless loop, and no byte of a command in the text.
TEST(TelnetScan, RandomInputNeverHangsOrLeaksCommandBytes) {
  std::mt19937 rng(1234);
  const int pool[] = {IAC, IAC, SB, SE, WILL, WONT, DO, DONT, 31, 24, 'a', 'b', 0, 13};
  for (int round = 0; round < 3000; ++round) {
    TTelnetParser p;
    p.ConfigureNAWS(round % 2, true, [](TTelnetParser&, uint16_t, uint16_t) {}, nullptr);
    std::string data;
    int len = rng() % 40;
    for (int i = 0; i < len; ++i) data += static_cast<char>(pool[rng() % std::size(pool)]);
    std::string text, out;
    size_t calls = 0;
    while (!data.empty()) {
      size_t before = data.size();
      int kind = p.Parse(data, out);
      ASSERT_LT(data.size(), before);
      ASSERT_LE(++calls, static_cast<size_t>(len));
      if (kind == ParseIncomplete) break;
      if (kind == ParseText) {
        if (out.find(static_cast<char>(IAC)) != std::string::npos) ASSERT_EQ(out, B({IAC}));
        text += out;
      }
    }
  }
}

}  // namespace
}  // namespace ombrel
