#include <gtest/gtest.h>

#include "gmcp/game_data.h"
#include "telnet/gmcp_option.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using namespace telnet;
using namespace testing;
std::string B(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

// Writes down what it hears as "name event".
struct Recorder : TermListener {
  std::string name;
  Lines& heard;
  std::function<void()> onShown;
  Recorder(std::string n, Lines& h) : name(std::move(n)), heard(h) {}
  void Say(const std::string& what) { heard.push_back(name + " " + what); }
  void LineStored(int32_t index, std::string_view text, bool received) override {
    Say("line " + std::to_string(index) + (received ? " received " : " local ") + std::string(text));
  }
  void TextShown() override {
    Say("shown");
    if (onShown) onShown();
  }
  void ConnectionChanged(ConnectionState state, bool byUser) override {
    Say("state " + std::to_string(static_cast<int>(state)) + (byUser ? " by user" : ""));
  }
  void OptionData(unsigned char code, std::string_view option, std::string_view payload) override {
    Say("option " + std::to_string(code) + " " + std::string(option) + " " + std::string(payload));
  }
  void WindowSize(int cols, int rows) override { Say("size " + std::to_string(cols) + "x" + std::to_string(rows)); }
};

// One listener removes another and adds a third while text is shown, and
// writes a line whose event is told inside that one: the removed one hears
// nothing more, the added one from the next event on, and the event being
// told still reaches everyone after the first. Only those added for lines
// hear lines; the size is told when it changes.
TEST(TermListeners, AddedAndRemovedWhileTellingHearFromTheNextEventOn) {
  TermFixture f({.cols = 80});
  Lines heard;
  Recorder a("a", heard), b("b", heard), c("c", heard), d("d", heard);
  TermListeners& listeners = f.term.Listeners();
  listeners.Add(a, true);
  listeners.Add(b);
  listeners.Add(c);
  bool once = true;
  a.onShown = [&] {
    if (!std::exchange(once, false)) return;
    listeners.Remove(b);
    listeners.Add(d);
    f.term.WriteText("two\r\n", false);
  };
  f.term.WriteText("one\r\n", true);
  f.term.WriteText("three", true);
  f.term.SetWindowSize(80, 24);
  f.term.SetWindowSize(100, 30);
  listeners.Remove(a);
  f.term.WriteText("four\r\n", true);
  EXPECT_EQ(heard, (Lines{"a line 0 received one", "a shown", "a line 1 local two", "a shown", "c shown",
                            "d shown", "c shown", "a shown", "c shown", "d shown", "a size 100x30", "c size 100x30",
                            "d size 100x30", "c shown", "d shown"}));
}

// The user's disconnect is told as theirs, so a screen reader or a script
// can tell it from the server's; the next connection starts afresh.
TEST(TermListeners, ADisconnectSaysWhetherTheUserAskedForIt) {
  TermFixture f;
  Lines heard;
  Recorder r("r", heard);
  f.term.Listeners().Add(r);
  f.term.clientsocketConnecting();
  f.term.clientsocketConnect();
  f.term.Disconnect();
  f.term.clientsocketDisconnect();  // as the socket reports the close
  f.term.clientsocketLookup();
  f.term.clientsocketDisconnect();  // the server's
  f.term.reconnecting = 1;
  f.term.clientsocketDisconnect();  // connecting elsewhere closes this one
  EXPECT_EQ(f.socket.closes, 1);
  std::erase_if(heard, [](const std::string& h) { return !h.starts_with("r state"); });
  EXPECT_EQ(heard, (Lines{"r state 1", "r state 2", "r state 3 by user", "r state 0", "r state 3",
                            "r state 3 by user"}));
}

// Game data plugged into the session: a GMCP message of more than the
// default bound, a value byte 255 in it, reaches the listeners whole however
// the reads cut it, after the option has answered the offer.
TEST(TermListeners, AnAddedOptionsDataIsToldWholeHoweverReadsCutIt) {
  const std::string payload = "Big.Data \"" + std::string(5000, 'x') + "\xff" + std::string(100, 'y') + "\"";
  const std::string stream = B({IAC, WILL, 201}) + "a" + SubnegotiationBytes(201, payload) + "b\r\n";
  auto run = [&](const std::vector<std::string>& reads) {
    TermFixture f({.telnet = true});
    GameData data;
    GmcpOption gmcp(data);
    f.term.AddTelnetOption(gmcp);
    Lines heard;
    Recorder r("r", heard);
    f.term.Listeners().Add(r);
    f.term.clientsocketConnect();
    for (const std::string& read : reads) f.term.clientsocketRead(read);
    std::string sent;
    for (const std::string& w : f.socket.writes) sent += w;
    std::erase_if(heard, [](const std::string& h) { return !h.starts_with("r option"); });
    return std::make_tuple(heard, sent, std::string(f.term.Store().Line(1).text));
  };
  const auto whole = run({stream});
  EXPECT_EQ(std::get<0>(whole), Lines{"r option 201 GMCP " + payload});
  EXPECT_NE(std::get<1>(whole).find(B({IAC, DO, 201})), std::string::npos);
  EXPECT_EQ(std::get<2>(whole), "ab");
  for (size_t cut = 1; cut < stream.size(); ++cut)
    ASSERT_EQ(run({stream.substr(0, cut), stream.substr(cut)}), whole) << "cut at " << cut;
  std::vector<std::string> bytes;
  for (char c : stream) bytes.emplace_back(1, c);
  EXPECT_EQ(run(bytes), whole);
}

}  // namespace
}  // namespace ombrel
