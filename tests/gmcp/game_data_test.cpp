#include <gtest/gtest.h>

#include "gmcp/game_data.h"
#include "gmcp/game_views.h"

namespace ombrel {
namespace {

using Messages = std::vector<std::pair<std::string, std::string>>;  // name, JSON text ("" for none)

GameData& MergeAll(GameData& data, const Messages& messages) {
  for (const auto& [name, text] : messages) {
    Json value;
    EXPECT_TRUE(text.empty() || ParseJson(text, value)) << text;
    data.Merge(name, value);
  }
  return data;
}

TEST(GameData, MergesEachMessageAtItsPackagePath) {
  const std::tuple<const char*, Messages, std::string> rows[] = {
      {"names match without regard to case, spelled as first sent; keys not sent are kept",
       {{"Char.Vitals", R"({"hp":"4500","maxhp":"4800"})"}, {"char.VITALS", R"({"hp":"4400"})"}},
       R"({"Char":{"Vitals":{"hp":"4400","maxhp":"4800"}}})"},
      {"a key's value is replaced whole: no exit of the room before stays",
       {{"Room.Info", R"({"name":"A","exits":{"n":1,"s":2}})"}, {"Room.Info", R"({"exits":{"e":3}})"}},
       R"({"Room":{"Info":{"name":"A","exits":{"e":3}}}})"},
      {"a value that is no object replaces the node, and is replaced by one",
       {{"Char", "5"}, {"Char.Vitals", R"({"hp":1})"}, {"Char.Status", R"("x")"}, {"Char.Status", "[1]"}},
       R"({"Char":{"Vitals":{"hp":1},"Status":[1]}})"},
      {"no value: a null node where none was, the value before kept; empty parts of a name count for nothing",
       {{"Core.Goodbye", ""}, {"Core.Ping", "7"}, {"core.ping", ""}, {".Foo..Bar.", "[1]"}, {"", "3"}},
       R"({"Core":{"Goodbye":null,"Ping":7},"Foo":{"Bar":[1]}})"}};
  for (const auto& [why, messages, tree] : rows) {
    GameData data;
    EXPECT_EQ(JsonText(MergeAll(data, messages).Root()), tree) << why;
  }
}

TEST(GameData, FindPrefersTheExactSpellingAndListenersHearEachMessage) {
  GameData data;
  std::vector<std::string> heard;
  int second = 0;
  const int first = data.Listen([&](const GameData& d, std::string_view name, const Json& value) {
    heard.push_back(std::string(name) + " " + JsonText(value) + " " + JsonText(*d.Find("char.vitals")));
    // One added while a message is told hears the next; it may unlisten itself.
    if (!second) second = data.Listen([&](const GameData&, std::string_view, const Json&) {
      heard.push_back("second");
      data.Unlisten(second);
    });
  });
  MergeAll(data, {{"Char.Vitals", R"({"hp":1,"HP":2})"}, {"CHAR.vitals", R"({"mp":3})"}, {"Room", "1"}});
  data.Unlisten(first);
  MergeAll(data, {{"Room", "2"}});
  EXPECT_EQ(heard, (std::vector<std::string>{R"(Char.Vitals {"hp":1,"HP":2} {"hp":1,"HP":2})",
                                             R"(CHAR.vitals {"mp":3} {"hp":1,"HP":2,"mp":3})", "second",
                                             R"(Room 1 {"hp":1,"HP":2,"mp":3})"}));
  EXPECT_EQ(JsonText(*data.Find("CHAR.Vitals.HP")) + JsonText(*data.Find("char.vitals.Hp")), "21");
  EXPECT_EQ(data.Find("Char.Vitals.hp.x"), data.Find("Char.Maxstats"));  // none
}

TEST(GameData, JsonTextsAndNumbers) {
  const std::string deep = std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']');
  const std::pair<std::string, bool> texts[] = {{R"({"a":1,})", false}, {"\"\xff\"", false},  // no UTF-8
                                                {deep, true}, {"[" + deep + "]", false}, {R"(["[[[[\"[[["])", true}};
  for (const auto& [text, ok] : texts) {
    Json value = "before";
    EXPECT_EQ(ParseJson(text, value) ? "parsed" : JsonText(value), ok ? "parsed" : "\"before\"") << text;
  }
  const std::pair<Json, double> numbers[] = {{" 12.5\t", 12.5}, {"-3", -3}, {"12abc", -1}, {"nan", -1}, {true, -1}};
  for (const auto& [value, expected] : numbers) {
    double n = -1;
    EXPECT_EQ(NumberOf(value, n) ? n : -1, expected) << value;
  }
}

TEST(GameViews, GaugesReadTheShapesGamesSend) {
  const std::tuple<const char*, Messages, std::vector<std::string>> rows[] = {  // health, mana, moves
      {"IRE: strings, mana as mp",
       {{"Char.Vitals", R"({"hp":"4500","maxhp":"4800","mp":"3000","maxmp":"3200","ep":"9","maxep":"9"})"}},
       {"Health 4500 of 4800", "Mana 3000 of 3200", ""}},
      {"Aardwolf: numbers, maxima apart",
       {{"char.vitals", R"({"hp":71,"mana":90,"moves":110})"}, {"char.maxstats", R"({"maxhp":100,"maxmana":120,"maxmoves":130})"}},
       {"Health 71 of 100", "Mana 90 of 120", "Moves 110 of 130"}},
      {"MUME: mana and mp, the moves",
       {{"Char.Vitals", R"({"hp":71.5,"maxhp":100,"mana":90,"maxmana":100,"mp":121,"maxmp":121})"}},
       {"Health 71.5 of 100", "Mana 90 of 100", "Moves 121 of 121"}},
      {"MSDP", {{"MSDP", R"({"HEALTH":"5","HEALTH_MAX":"9","MOVEMENT":"1","MOVEMENT_MAX":"2"})"}}, {"Health 5 of 9", "", "Moves 1 of 2"}},
      {"no number, or no maximum yet", {{"Char.Vitals", R"({"hp":"lots","maxhp":"100","mana":[1],"maxmana":2,"moves":3})"}}, {"", "", ""}}};
  for (const auto& [game, messages, expected] : rows) {
    GameData data;
    std::vector<std::string> shown;
    for (const auto& g : ReadGauges(MergeAll(data, messages), DefaultGauges())) shown.push_back(g ? g->Text() : "");
    EXPECT_EQ(shown, expected) << game;
  }
  // A player's own mapping, as typed.
  const std::vector<GaugeSource> sources = ParseSources(" Char.Status.gp/Char.Status.maxgp, bad /x y/ Char.x/y");
  EXPECT_EQ(SourcesText(sources), "Char.Status.gp/Char.Status.maxgp Char.x/y");
  GameData data;
  EXPECT_EQ(ReadGauges(MergeAll(data, {{"Char.Status", R"({"gp":"3","maxgp":4})"}}), {{"Guild", sources}})[0],
            (GaugeReading{"Guild", 3, 4}));
}

TEST(GameViews, RoomAndChannelMessages) {
  const std::pair<Messages, std::optional<RoomInfo>> rooms[] = {
      {{{"Room.Info", R"({"name":"\u001b[1mOn a hill\u001b[0m","exits":{"s":2,"n":3,"se":4}})"}}, RoomInfo{"On a hill", {"s", "n", "se"}}},
      {{{"MSDP", R"({"ROOM":{"NAME":"Clearing","EXITS":{"e":"6007"}}})"}}, RoomInfo{"Clearing", {"e"}}},
      {{{"MSDP", R"({"ROOM_NAME":"Hall","ROOM_EXITS":["up"]})"}}, RoomInfo{"Hall", {"up"}}},
      {{{"Room.Info", R"({"num":1,"exits":{"n":2}})"}}, std::nullopt}};
  for (const auto& [messages, room] : rooms) {
    GameData data;
    EXPECT_EQ(ReadRoom(MergeAll(data, messages)), room) << messages[0].second;
  }
  const std::tuple<std::string, Json, std::optional<ChannelMessage>> said[] = {
      {"comm.CHANNEL.text", {{"channel", "newbie"}, {"talker", "Tecton"}, {"text", "\x1b[33mHi.\x1b[0m\r\n"}},
       ChannelMessage{"newbie", "Tecton", "Hi."}},
      {"comm.channel", {{"chan", "gossip"}, {"msg", "x"}, {"player", "Lasher"}}, ChannelMessage{"gossip", "Lasher", "x"}},
      {"Comm.Channel.Text", {{"channel", 7}, {"text", "t"}}, ChannelMessage{"", "", "t"}},
      {"Comm.Channel.Text", {{"channel", "x"}}, std::nullopt},
      {"Comm.Channel.List", {{"text", "t"}}, std::nullopt}};
  for (const auto& [name, value, message] : said) EXPECT_EQ(ReadChannelMessage(name, value), message) << value;
}

struct RecordingView : GamePanesView {
  std::vector<std::string> calls;
  void ShowGauges(const std::vector<std::optional<GaugeReading>>& gauges) override {
    calls.push_back("gauges");
    for (const auto& g : gauges) calls.back() += "|" + (g ? g->Text() : "");
  }
  void ShowRoom(const std::optional<RoomInfo>& room) override { calls.push_back("room " + (room ? room->name : "")); }
  void AddChannelMessage(const ChannelMessage& m) override { calls.push_back("said " + m.talker + ": " + m.text); }
};

TEST(GameViews, PanesAreToldOnlyWhatChanged) {
  GameData data;
  MergeAll(data, {{"Room.Info", R"({"name":"Hall"})"}});
  RecordingView view;
  auto panes = std::make_unique<GamePanes>(data, view);
  MergeAll(data, {{"Char.Vitals", R"({"hp":1,"maxhp":2})"}, {"Char.Vitals", R"({"hp":1,"xp":5})"},
                  {"Comm.Channel.Text", R"({"talker":"Bob","text":"hi"})"}, {"Char.Vitals", R"({"hp":"1.5"})"}});
  panes->SetGauges({{"Life", ParseSources("Char.Vitals.hp/Char.Vitals.maxhp")}});
  panes.reset();
  MergeAll(data, {{"Room.Info", R"({"name":"Yard"})"}});
  EXPECT_EQ(view.calls, (std::vector<std::string>{"gauges|||", "room Hall", "gauges|Health 1 of 2||", "said Bob: hi",
                                                  "gauges|Health 1.5 of 2||", "gauges|Life 1.5 of 2"}));
}

}  // namespace
}  // namespace ombrel
