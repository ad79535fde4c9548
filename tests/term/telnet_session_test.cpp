#include <gtest/gtest.h>

#include "term_fakes.h"

namespace ombrel {
namespace {

using namespace telnet;
using namespace testing;
std::string B(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

// Telnet with NAWS offered on connect, in a view reported as 79 x 24.
struct TelnetTerm : TermFixture {
  Lines log;
  TelnetTerm() : TermFixture({.cols = 80, .rows = 25}) {
    options.telnet = options.telnetinit = options.telopnaws = true;
    term.Events().telnetLog = [this](TermCore&, const std::string& t) { log.push_back(t); };
  }
};

TEST(TelnetSession, ConnectOffersNAWSBeforeTheLoginDoIsAnsweredWithTheSizeAndSwitchingOffRefuses) {
  TelnetTerm f;
  f.term.autologin = "me";
  f.term.Events().disconnectChanged = [&](TermCore&) { f.socket.writes.push_back("(disconnect)"); };
  f.term.sendAutologin = [&](TermCore& t, const std::string& text) { t.Send(text); };
  f.term.clientsocketConnect();
  f.term.WriteText(B({IAC, DO, 31, IAC, DO, 24}) + "Welcome\r\n", true);
  f.term.cols = 100;
  f.term.ReportWindowSize();
  for (auto c : {TermCore::TelnetCommand::AYT, TermCore::TelnetCommand::IP, TermCore::TelnetCommand::AO})
    f.term.SendTelnetCommand(c);
  f.term.LinemodeChanged(true);
  // Switched off later: a new negotiation refuses, and no size follows.
  f.options.telopnaws = false;
  f.term.Negotiate(true);
  f.term.ReportWindowSize();
  EXPECT_EQ(f.socket.writes, (Lines{"(disconnect)", B({IAC, WILL, 31}), "me",
                                    B({IAC, SB, 31, 0, 79, 0, 24, IAC, SE, IAC, WONT, 24}),
                                    B({IAC, SB, 31, 0, 99, 0, 24, IAC, SE}), B({IAC, AYT}), B({IAC, IP}),
                                    B({IAC, AO}), B({IAC, WONT, 31})}));
  EXPECT_EQ(f.All(), (Lines{"Connection established...", "Welcome", "", "Linemode enabled", ""}));
}

TEST(TelnetSession, SwitchesOffMeanNothingSentAndTheSizeNeverBelowOne) {
  for (bool naws : {true, false}) {
    TelnetTerm noinit;
    noinit.options.telnetinit = false, noinit.options.telopnaws = naws;
    noinit.term.clientsocketConnect();
    // Nothing offered on connect; the server asking first is answered by the switch, its DONT stops the sizes.
    noinit.term.WriteText(B({IAC, DO, 31, IAC, DONT, 31}), true);
    noinit.term.ReportWindowSize();
    noinit.term.Negotiate(true);
    const Lines asked = {B({IAC, WILL, 31, IAC, SB, 31, 0, 79, 0, 24, IAC, SE, IAC, WONT, 31}), B({IAC, WILL, 31})};
    EXPECT_EQ(noinit.socket.writes, naws ? asked : Lines{B({IAC, WONT, 31})});
  }

  TelnetTerm off;
  off.options.telnet = false;
  off.term.clientsocketConnect();
  off.term.Negotiate(true);
  off.term.SendTelnetCommand(TermCore::TelnetCommand::AYT);
  off.term.WriteText(B({IAC, DO, 31}), true);
  EXPECT_TRUE(off.socket.writes.empty());
  EXPECT_EQ(off.All(), (Lines{"Connection established...", B({IAC, DO, 31})}));

  TelnetTerm opening;  // typed lines and commands wait for the connection
  opening.socket.established = false;
  opening.term.SendTelnetCommand(TermCore::TelnetCommand::AYT);
  EXPECT_TRUE(!opening.term.Connected() && opening.term.SocketOpen() && opening.log.empty());

  TelnetTerm down;
  down.term.clientsocketConnect();
  down.socket.active = false;
  down.term.SendTelnetCommand(TermCore::TelnetCommand::IP);
  EXPECT_EQ(down.log, Lines{"WILL NAWS Sent"});

  uint16_t w, h;
  down.term.cols = 1;
  down.term.rows = 0;
  down.term.GetWindowSize(w, h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(uint16_t{1}, uint16_t{1}));
}

TEST(TelnetSession, SplitAnywhereGivesTheSameRepliesAndText) {
  const std::pair<std::string, std::string> rows[] = {  // the stream, a text it shows
      {"Hi" + B({IAC, DO, 31, IAC, WILL, 1}) + "there" + B({IAC, SB, 24, 1, IAC, IAC, SE, 'q', IAC, SE, IAC, IAC}) +
           "\x1b[1mbold" + B({IAC, GA, IAC, DO, 3, IAC, SB, 31, 0, 80, 0, 24, IAC, SE}) + "\r\nend" + B({IAC, DONT, 31}),
       "there" + B({255}) + "^[[1mbold"},
      {"A" + B({IAC, SB, 24}) + std::string(4093, 'x') + "shown", "Ashown"}};  // 4 KiB withheld at most
  auto run = [&](const std::vector<std::string>& reads) {
    TelnetTerm f;
    f.options.ansi = true;
    f.term.clientsocketConnect();
    for (const auto& r : reads) f.term.WriteText(r, true);
    std::string replies;
    for (const auto& w : f.socket.writes) replies += w;
    return std::make_pair(replies, DumpStore(f.term.Store()));
  };
  for (const auto& [stream, shown] : rows) {
    const auto whole = run({stream});
    EXPECT_NE(whole.second.find(shown), std::string::npos);
    for (size_t cut = 1; cut < stream.size(); ++cut)
      ASSERT_EQ(run({stream.substr(0, cut), stream.substr(cut)}), whole) << "cut at " << cut;
    std::vector<std::string> bytes;
    for (char c : stream) bytes.emplace_back(1, c);
    EXPECT_EQ(run(bytes), whole);
  }
}

TEST(TelnetSession, LocalTextNeverPicksUpACutOffCommand) {
  TelnetTerm f;
  f.term.clientsocketConnect();
  f.term.WriteText("a" + B({IAC}), true);
  f.term.WriteText("status\r\n", false);
  f.term.WriteText(B({WILL, 1}) + "b", true);
  EXPECT_EQ(f.All(), (Lines{"Connection established...", "astatus", "b"}));
  EXPECT_EQ(f.socket.writes.back(), B({IAC, DONT, 1}));
}

}  // namespace
}  // namespace ombrel
