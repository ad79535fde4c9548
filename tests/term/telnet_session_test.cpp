#include <gtest/gtest.h>
#include <zlib.h>

#include "telnet/inflate_stream.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using namespace telnet;
using namespace testing;
std::string B(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

// `text` as a server compresses it (MCCP2): one zlib stream.
std::string Deflate(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()), text.size(), 6);
  return out.substr(0, size);
}
const std::string kStartCompressing = B({IAC, SB, 86, IAC, SE});

// Telnet with NAWS offered on connect, in a view reported as 79 x 24.
struct TelnetTerm : TermFixture {
  Lines log;
  TelnetTerm() : TermFixture({.cols = 80, .rows = 25}) {
    options.telnet = options.telnetinit = options.telopnaws = true;
    hooks.telnetLog = [this](std::string_view t) { log.emplace_back(t); };
  }
};

TEST(TelnetSession, ConnectOffersNAWSBeforeTheLoginDoIsAnsweredWithTheSizeAndSwitchingOffRefuses) {
  TelnetTerm f;
  f.term.autologin = "me";
  f.hooks.connection = [&](ConnectionState, bool) { f.socket.writes.push_back("(disconnect)"); };
  f.term.sendAutologin = [&](TermCore& t, const std::string& text) { t.Send(text); };
  f.term.clientsocketConnect();
  f.term.WriteText(B({IAC, DO, 31, IAC, DO, 24}) + "Welcome\r\n", true);
  // Every layout gives the size: only new cells go out, logged as sent.
  for (auto [cols, rows] : {std::pair{80, 25}, {100, 25}, {100, 25}, {100, 31}}) f.term.SetWindowSize(cols, rows);
  for (auto c : {TermCore::TelnetCommand::AYT, TermCore::TelnetCommand::IP, TermCore::TelnetCommand::AO})
    f.term.SendTelnetCommand(c);
  f.term.LinemodeChanged(true);
  // Switched off later: a new negotiation refuses, and no size follows.
  f.options.telopnaws = false;
  f.term.Negotiate(true);
  f.term.SetWindowSize(120, 40);
  EXPECT_EQ(f.socket.writes, (Lines{"(disconnect)", B({IAC, WILL, 31}), "me",
                                    B({IAC, SB, 31, 0, 79, 0, 24, IAC, SE, IAC, WONT, 24}),
                                    B({IAC, SB, 31, 0, 99, 0, 24, IAC, SE}), B({IAC, SB, 31, 0, 99, 0, 30, IAC, SE}),
                                    B({IAC, AYT}), B({IAC, IP}), B({IAC, AO}), B({IAC, WONT, 31})}));
  EXPECT_EQ(f.log, (Lines{"WILL NAWS Sent", "DO NAWS Received", "SB NAWS Sent (79x24)", "UNRECOGNIZED DO (option=24)",
                          "SB NAWS Sent (99x24)", "SB NAWS Sent (99x30)", "AYT Sent", "IP Sent", "AO Sent",
                          "WONT NAWS Sent"}));
  EXPECT_EQ(f.All(), (Lines{"Connection established...", "Welcome", "", "Linemode enabled", ""}));
}

TEST(TelnetSession, SwitchesOffMeanNothingSentAndTheSizeNeverBelowOne) {
  for (bool naws : {true, false}) {
    TelnetTerm noinit;
    noinit.options.telnetinit = false, noinit.options.telopnaws = naws;
    noinit.term.clientsocketConnect();
    // Nothing offered on connect; the server asking first is answered by the switch, its DONT stops the sizes.
    noinit.term.WriteText(B({IAC, DO, 31, IAC, DONT, 31}), true);
    noinit.term.SetWindowSize(90, 30);
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
      {"A" + B({IAC, SB, 24}) + std::string(4093, 'x') + "shown", "Ashown"},  // 4 KiB withheld at most
      // MCCP2: a command inside, plain text after the end in the same read,
      // a second stream, broken: the text before the fault kept, none after.
      {B({IAC, WILL, 86}) + "one" + kStartCompressing + Deflate("two" + B({IAC, WILL, 1}) + "-") + "three" +
           kStartCompressing + Deflate("-four").substr(0, 12) + "lost",
       "|onetwo-three-fourCompression error: incorrect data check.|"},
      // A start with plain text after it is refused, its text shown.
      {B({IAC, WILL, 86}) + "one" + kStartCompressing + "two" + kStartCompressing + "x", "|onetwox|"}};
  auto run = [&](const std::vector<std::string>& reads) {
    TelnetTerm f;
    f.options.ansi = f.options.features.mccp = true;
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

// The terminal type and character set, told only by a set that shows more
// than the classic client: the MUD type cycle (name, terminal, MTTS bits,
// the last repeated), UTF-8 accepted when offered, and with both switches
// off the options refused as ever; with ANSI off no colour is claimed.
// Each row: switches, server bytes, replies.
TEST(TelnetSession, TerminalTypeAndCharsetFollowTheSetsSwitches) {
  const std::string send = B({IAC, SB, 24, 1, IAC, SE});
  auto is = [](const std::string& name) { return B({IAC, SB, 24, 0}) + name + B({IAC, SE}); };
  const std::string request = B({IAC, SB, 42, 1}) + ";ISO-8859-1;utf-8" + B({IAC, SE});
  struct Row {
    bool ansi, extended, utf8;
    std::string server;
    std::string replies;
    bool screenReader = false;
  };
  const std::string cycle = B({IAC, DO, 24}) + send + send + send;
  const Row rows[] = {
      {true, false, false, B({IAC, DO, 24}) + send + B({IAC, WILL, 42}), B({IAC, WONT, 24, IAC, DONT, 42})},
      {true, true, false, cycle + send + B({IAC, DO, 24}),
       B({IAC, WILL, 24}) + is("OMBREL") + is("XTERM-256COLOR") + is("MTTS 265") + is("MTTS 265")},
      {true, false, true, cycle + B({IAC, WILL, 42}) + request,
       B({IAC, WILL, 24}) + is("OMBREL") + is("ANSI") + is("MTTS 5") + B({IAC, DO, 42, IAC, SB, 42, 2}) + "utf-8" +
           B({IAC, SE})},
      {true, false, true, B({IAC, DO, 42, IAC, SB, 42, 1}) + ";KOI8-R" + B({IAC, SE, IAC, DONT, 24}),
       B({IAC, WILL, 42, IAC, SB, 42, 3, IAC, SE})},
      // Turned off and on again, the cycle starts over.
      {true, true, false, B({IAC, DO, 24}) + send + B({IAC, DONT, 24, IAC, DO, 24}) + send,
       B({IAC, WILL, 24}) + is("OMBREL") + B({IAC, WONT, 24, IAC, WILL, 24}) + is("OMBREL")},
      // Nothing is painted in colour: a terminal without colours, whatever
      // else the set shows.
      {false, true, false, cycle, B({IAC, WILL, 24}) + is("OMBREL") + is("DUMB") + is("MTTS 0")},
      {false, true, true, cycle, B({IAC, WILL, 24}) + is("OMBREL") + is("DUMB") + is("MTTS 4")},
      // A screen reader is told on its own switch too, and adds its bit to
      // what else the set shows.
      {true, false, false, cycle, B({IAC, WILL, 24}) + is("OMBREL") + is("ANSI") + is("MTTS 65"), true},
      {true, true, true, cycle, B({IAC, WILL, 24}) + is("OMBREL") + is("XTERM-256COLOR") + is("MTTS 333"), true},
      {false, false, false, cycle, B({IAC, WILL, 24}) + is("OMBREL") + is("DUMB") + is("MTTS 64"), true},
  };
  for (const Row& row : rows) {
    TelnetTerm f;
    f.options.ansi = row.ansi, f.options.telnetinit = false;
    f.options.features.extendedcolours = row.extended, f.options.features.utf8 = row.utf8;
    f.options.features.screenreader = row.screenReader;
    f.term.clientsocketConnect();
    for (char c : row.server) f.term.WriteText(std::string(1, c), true);  // byte by byte
    std::string sent;
    for (const std::string& w : f.socket.writes) sent += w;
    EXPECT_EQ(sent, row.replies) << row.ansi << row.extended << row.utf8 << row.screenReader;
  }
}

// A few kilobytes can inflate to gigabytes. What one read inflates to stops
// at a bound, however many streams it starts and ends, and the connection
// closes as after a broken stream; reads under the bound are all shown.
TEST(TelnetSession, ADeflateBombStopsAtABoundForTheWholeRead) {
  InflateStream inflate;
  ASSERT_TRUE(inflate.Start());
  const std::string bomb = Deflate(std::string(size_t{8} << 20, 'x'));
  std::string out = "kept";
  const InflateStream::Result cut = inflate.Inflate(bomb, out, 1'000'000);
  EXPECT_TRUE(cut.status == InflateStream::Status::Going && cut.used < bomb.size());
  EXPECT_EQ(out.size(), 4 + 1'000'000u);

  // Streams of a quarter of the bound each, ended and started again.
  constexpr size_t kBound = TermCore::kMaxInflatedPerRead, kLine = 8000;
  std::string text;
  for (size_t n = 0; n < kBound / 4 / kLine; ++n) text += std::string(kLine - 2, 'x') + "\r\n";
  const std::string stream = kStartCompressing + Deflate(text);
  const std::string two = stream + stream, three = two + stream;
  for (const Lines& reads : {Lines{two + three}, Lines{two, three}}) {
    TelnetTerm f;
    f.options.telnetinit = false, f.options.features.mccp = true;
    f.term.cols = 10000;
    f.term.clientsocketConnect();
    f.term.WriteText(B({IAC, WILL, 86}), true);
    size_t shown = 0;
    for (const std::string& read : reads) {
      const int before = f.term.curline();
      f.term.WriteText(read, true);
      size_t inRead = 0;
      for (int i = before; i <= f.term.curline(); ++i) inRead += f.term.Store().Line(i).text.size();
      EXPECT_LE(inRead, kBound) << reads.size();
      shown += inRead;
    }
    if (reads.size() == 1) {
      EXPECT_EQ(f.socket.closes, 1);
      EXPECT_EQ(f.log.back(), "MCCP2 compression failed: one read inflated to more than 32 MiB");
      EXPECT_TRUE(f.All().end()[-2].ends_with("Compression error: one read inflated to more than 32 MiB."));
    } else {
      EXPECT_EQ(f.socket.closes, 0);
      EXPECT_EQ(shown, 5 * text.size() / kLine * (kLine - 2));
    }
  }
}

// The console tells when compression starts, ends and fails. A start not
// followed by a zlib stream is refused and what follows it shown as text; a
// stream that goes bad after a good start closes the connection. With the
// switch off the offer is refused as ever.
TEST(TelnetSession, CompressionIsToldInTheConsoleAndOffRefusedAsEver) {
  for (bool on : {true, false}) {
    TelnetTerm f;
    f.options.telnetinit = false, f.options.features.mccp = on;
    f.term.clientsocketConnect();
    f.term.WriteText(B({IAC, WILL, 86}) + kStartCompressing + Deflate("a") + kStartCompressing + "plain\r\n", true);
    EXPECT_EQ(f.socket.writes, Lines{on ? B({IAC, DO, 86, IAC, DONT, 86}) : B({IAC, DONT, 86})});
    EXPECT_EQ(f.socket.closes, 0);
    if (!on) continue;
    EXPECT_EQ(f.All(), (Lines{"Connection established...", "aplain", ""}));
    // Offered again, and broken after a good zlib header.
    f.term.WriteText(B({IAC, WONT, 86, IAC, WILL, 86}) + kStartCompressing + "\x78\x9c\xff\xff", true);
    EXPECT_EQ(f.socket.closes, 1);
    EXPECT_EQ(f.All().end()[-2], "Compression error: invalid block type.");
    EXPECT_EQ(f.log, (Lines{"WILL MCCP2 Received", "DO MCCP2 Sent", "SB MCCP2 Received", "MCCP2 compression started",
                            "MCCP2 compression ended", "SB MCCP2 Received",
                            "MCCP2 start not followed by compressed data: refused", "DONT MCCP2 Sent",
                            "WONT MCCP2 Received", "WILL MCCP2 Received", "DO MCCP2 Sent", "SB MCCP2 Received",
                            "MCCP2 compression started", "MCCP2 compression failed: invalid block type"}));
  }
}

// A socket may hand over the next read while a reply is being sent (a TLS
// socket does): it is shown after the read being handled, never inside it.
TEST(TelnetSession, AReadArrivingWhileAReplyIsSentFollowsTheOneBeingHandled) {
  struct Row {
    std::string first;
    bool trigger;
  };
  const Row rows[] = {{"Welcome\r\nA place\r\n" + B({IAC, DO, 31}), false},  // telnet's reply
                      {"Welcome\r\nA place\r\n", true}};                      // a trigger's command
  for (const auto& [first, trigger] : rows) {
    TelnetTerm f;
    f.options.telopnaws = false;
    if (trigger) f.options.triggers.push_back({"t", "A place", true, false, {"look"}, ""});
    f.term.clientsocketConnect();
    struct Reentering : RecordingSocket {
      TermCore* term;
      std::string next = "> ";
      void SendText(const std::string& bytes) override {
        RecordingSocket::SendText(bytes);
        if (!next.empty()) term->clientsocketRead(std::exchange(next, {}));
      }
    } socket;
    socket.term = &f.term;
    f.term.SetSocket(&socket);
    f.term.clientsocketRead(first);
    const Lines all = f.All();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(Lines(all.end() - 3, all.end()), (Lines{"Welcome", "A place", "> "})) << first;
    EXPECT_TRUE(socket.next.empty());
  }
}

}  // namespace
}  // namespace ombrel
