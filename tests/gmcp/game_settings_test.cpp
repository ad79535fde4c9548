// The Features tab's texts for the game data, and what a terminal offers
// the server with the switch on and off.
#include <gtest/gtest.h>

#include "gmcp/game_session.h"
#include "gmcp/game_settings.h"
#include "telnet/telnet_parser.h"
#include "term/term_fakes.h"

namespace ombrel {
namespace {

using namespace telnet;
using testing::Lines;

TEST(GameSettings, TextsParseLeniently) {
  EXPECT_EQ(ParseModules(" Char 1,,Room 1 ;\nIRE.Rift 1 "), (std::vector<std::string>{"Char 1", "Room 1", "IRE.Rift 1"}));
  EXPECT_EQ(ParseVariableNames("HEALTH, HEALTH_MAX\tROOM\n"), (std::vector<std::string>{"HEALTH", "HEALTH_MAX", "ROOM"}));
  const std::vector<GaugeMapping> gauges = ParseGauges(
      "Health = a.hp/a.maxhp b.hp/b.max\r\n no label here\n= x/y\nEmpty =\nEndurance=c.ep/c.maxep; Will = w/mw");
  EXPECT_EQ(gauges, (std::vector<GaugeMapping>{{"Health", {{"a.hp", "a.maxhp"}, {"b.hp", "b.max"}}},
                                               {"Endurance", {{"c.ep", "c.maxep"}}},
                                               {"Will", {{"w", "mw"}}}}));
  EXPECT_EQ(ParseGauges(GaugesText(gauges, "\n")), gauges);
  EXPECT_EQ(ParseGauges(GaugesText(DefaultGauges(), "; ")), DefaultGauges());
}

// A set the player never changed stores nothing: the defaults shown come
// back as none; a change, even to nothing, is kept in one line.
TEST(GameSettings, TheDefaultsStoreNothing) {
  TSetGameData data;
  GameDataTexts texts = TextsOf(data);
  EXPECT_EQ(texts.modules, "Char 1, Char.Vitals 1, Room 1, Comm.Channel 1");
  texts.modules = "Char 1,Char.Vitals 1,\n Room 1, Comm.Channel 1";  // the same list, written otherwise
  StoreTexts(texts, data);
  EXPECT_EQ(data, TSetGameData());
  texts.gauges = "";
  texts.msdpVariables = "HEALTH\nHEALTH_MAX";
  StoreTexts(texts, data);
  EXPECT_EQ(data, (TSetGameData{.gauges = "", .msdpvariables = "HEALTH HEALTH_MAX"}));
  EXPECT_TRUE(SettingsOf(data).gauges.empty());
  EXPECT_EQ(SettingsOf(data).modules, DefaultGmcpModules());
  // Shown and stored untouched, a field keeps its bytes as the file had them.
  data.modules = "Char 1,Room 1";
  const TSetGameData before = data;
  StoreTexts(TextsOf(data), data);
  EXPECT_EQ(data, before);
}

struct NoView : ScrollTarget, ParamPrompt {
  void ScrollBy(int) override {}
  int Rows() const override { return 24; }
  int CurLine() const override { return 0; }
  std::string Ask(const std::string&) override { return {}; }
};

// A terminal on the recording socket, connecting as the socket reports.
struct GameTerm {
  TOptions options{.telnet = true};
  NoView none;
  TermSession session{&options, none, none};
  testing::RecordingSocket* socket = new testing::RecordingSocket;
  GameSession game{session};
  GameTerm() { session.SetSocket(std::unique_ptr<IClientSocket>(socket)); }
  void Connect() {
    socket->writes.clear();
    session.Core().clientsocketConnecting();
    session.Core().clientsocketConnect();
  }
  std::string Receive(const std::string& bytes) {
    socket->writes.clear();
    session.Core().WriteText(bytes, true);
    std::string sent;
    for (const std::string& w : socket->writes) sent += w;
    return sent;
  }
};

std::string B(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

// Off, the three options are refused as ever; on, each is taken with what
// the set asks, from the next connection, which starts an empty tree.
TEST(GameSession, TheSwitchDecidesAtEachConnect) {
  GameTerm t;
  const std::string offers = B({IAC, WILL, OPT_GMCP, IAC, WILL, OPT_MSDP, IAC, WILL, OPT_MSSP});
  t.Connect();
  EXPECT_EQ(t.Receive(offers), B({IAC, DONT, OPT_GMCP, IAC, DONT, OPT_MSDP, IAC, DONT, OPT_MSSP}));
  EXPECT_FALSE(t.game.On());

  t.options.features.gmcp = true;
  t.options.gamedata.modules = "Char 1";
  t.options.gamedata.msdpvariables = "";
  EXPECT_EQ(t.Receive(offers).substr(0, 3), B({IAC, DONT, OPT_GMCP}));  // the connection under way is as it began
  t.Connect();
  EXPECT_EQ(t.Receive(offers), B({IAC, DO, OPT_GMCP}) +
                                   SubnegotiationBytes(OPT_GMCP, R"(Core.Hello {"client":"Ombrel","version":"1.0"})") +
                                   SubnegotiationBytes(OPT_GMCP, R"(Core.Supports.Set ["Char 1"])") +
                                   B({IAC, DO, OPT_MSDP}) +
                                   SubnegotiationBytes(OPT_MSDP, "\x01LIST\x02REPORTABLE_VARIABLES") +
                                   B({IAC, DO, OPT_MSSP}));
  t.Receive(SubnegotiationBytes(OPT_GMCP, R"(Char.Vitals {"hp":"10"})") + "text\r\n");
  ASSERT_NE(t.game.Data().Find("char.vitals.hp"), nullptr);
  t.Connect();
  EXPECT_EQ(t.game.Data().Find("Char"), nullptr);

  t.options.features.gmcp = false;
  t.Connect();
  EXPECT_EQ(t.Receive(offers), B({IAC, DONT, OPT_GMCP, IAC, DONT, OPT_MSDP, IAC, DONT, OPT_MSSP}));
}

}  // namespace
}  // namespace ombrel
