// A game's data reaching scripts: the gmcp table, the events, and what
// sendGMCP puts on the wire.
#include <gtest/gtest.h>

#include "fake_terminal.h"
#include "script/script_game_data.h"
#include "telnet/gmcp_option.h"

namespace ombrel {
namespace {

Json Parsed(const char* text) {
  Json value;
  EXPECT_TRUE(ParseJson(text, value)) << text;
  return value;
}

TEST(ScriptGameData, JsonBecomesTablesAndNumbersAsSent) {
  const ScriptValue v = ScriptValueOf(Parsed(R"({"hp":"4500","n":71,"big":18446744073709551615,"f":1.5,)"
                                             R"("ok":true,"none":null,"exits":["n","se"]})"));
  ScriptValue exits = ScriptValue::Table();
  exits.Set(ScriptValue::Int(1), ScriptValue::Str("n")).Set(ScriptValue::Int(2), ScriptValue::Str("se"));
  ScriptValue expected = ScriptValue::Table();
  expected.Set(ScriptValue::Str("hp"), ScriptValue::Str("4500"))  // a string stays one
      .Set(ScriptValue::Str("n"), ScriptValue::Int(71))
      .Set(ScriptValue::Str("big"), ScriptValue::Num(18446744073709551615.0))
      .Set(ScriptValue::Str("f"), ScriptValue::Num(1.5))
      .Set(ScriptValue::Str("ok"), ScriptValue::Bool(true))
      .Set(ScriptValue::Str("none"), ScriptValue())
      .Set(ScriptValue::Str("exits"), exits);
  EXPECT_EQ(v, expected);
}

// Handlers hear each message with what it carried while gmcp holds the
// merged node; a failing handler is said, and the feed gone, nothing more is.
TEST(ScriptGameData, EachMessageSetsTheTableAndRaisesItsEvent) {
  test::FakeTerminal term;
  ScriptHost host(term);
  GameData data;
  auto feed = std::make_unique<ScriptGameFeed>(data, host, [&](const ScriptHost::Errors& e) { term.Errors(e); });
  ASSERT_TRUE(host.Run("t.lua", R"(
    on("gmcp.char.vitals", function(v) echo((v.hp or "-") .. " of " .. gmcp.Char.Vitals.maxhp) end)
    on("gmcp.Room.Info", function(v) error("no map") end)
    on("gmcp.MSSP", function(v) echo(gmcp.MSSP.NAME) end))").empty());
  data.Merge("Char.Vitals", Parsed(R"({"hp":"4500","maxhp":"4800"})"));
  data.Merge("char.VITALS", Parsed(R"({"maxhp":4900})"));
  data.Merge("Room.Info", Parsed(R"({"name":"On a hill"})"));
  data.Merge("MSSP", Parsed(R"({"NAME":"Test MUD"})"));
  feed.reset();
  data.Merge("Char.Vitals", Parsed(R"({"hp":"1"})"));
  ASSERT_EQ(term.log.size(), 4u);
  EXPECT_EQ(term.log[0], "echo 4500 of 4800");
  EXPECT_EQ(term.log[1], "echo - of 4900");
  EXPECT_TRUE(term.log[2].starts_with("error t.lua:") && term.log[2].ends_with("no map")) << term.log[2];
  EXPECT_EQ(term.log[3], "echo Test MUD");
}

TEST(ScriptGameData, SentMessagesAreRefusedWhenNotWellFormed) {
  EXPECT_EQ(ScriptGmcpBytes("Core.Ping", ""), SubnegotiationBytes(telnet::OPT_GMCP, "Core.Ping"));
  EXPECT_EQ(ScriptGmcpBytes("Char.Skills.Get", R"({"group" : "x"})"),
            SubnegotiationBytes(telnet::OPT_GMCP, R"(Char.Skills.Get {"group":"x"})"));
  EXPECT_EQ(ScriptGmcpBytes("Core Ping", ""), "");
  EXPECT_EQ(ScriptGmcpBytes("Core.Ping", "{bad"), "");
}

}  // namespace
}  // namespace ombrel
