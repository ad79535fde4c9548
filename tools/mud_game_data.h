// What the test server sends beside its text, shaped as the games' public
// documentation shows it: GMCP messages of Iron Realms (every value a
// string), Aardwolf (numbers, maxima in a message of their own, lower-case
// names) and MUME, MSDP variables, and MSSP's description of the server.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace mud_game_data {

constexpr char kVar = 1, kVal = 2, kTableOpen = 3, kTableClose = 4, kArrayOpen = 5, kArrayClose = 6;

using Message = std::pair<std::string, std::string>;  // name, JSON ("" for none)

inline std::vector<Message> Gmcp(const std::string& game) {
  if (game == "aard")
    return {
        {"char.base", R"({"name":"Lasher","class":"Warrior","subclass":"Soldier","race":"Elf","clan":"wolf","pretitle":"","perlevel":1000})"},
        {"char.vitals", R"({"hp":100000,"mana":90000,"moves":41599})"},
        {"char.maxstats", R"({"maxhp":100099,"maxmana":90129,"maxmoves":41629,"maxstr":51,"maxint":134,"maxwis":50})"},
        {"room.info", R"({"num":32418,"name":"The Grand City of Aylor","zone":"aylor","terrain":"city","details":"",)"
                      R"("exits":{"n":32419,"s":32417,"e":32421},"coord":{"id":0,"x":30,"y":19,"cont":0}})"},
        {"comm.channel", R"({"chan":"gossip","msg":"Lasher gossips 'Anyone for a quest?'","player":"Lasher"})"},
    };
  if (game == "mume")
    return {
        {"Char.Name", R"({"name":"Gandalf","fullname":"Gandalf the Grey"})"},
        {"Char.Vitals", R"({"hp":71,"maxhp":100,"mana":90,"maxmana":100,"mp":121,"maxmp":121,"position":"standing"})"},
        {"Comm.Channel.Text", R"({"channel":"tells","talker":"Gandalf","talker-type":"ally","text":"Gandalf tells you 'Fly, you fools!'"})"},
    };
  // Iron Realms.
  return {
      {"Char.Name", R"({"name":"Tecton","fullname":"Tecton, the Terraformer"})"},
      {"Char.Vitals", R"({"hp":"4500","maxhp":"4800","mp":"3000","maxmp":"3200","ep":"15000","maxep":"15000",)"
                      R"("wp":"12000","maxwp":"12000","nl":"31","string":"H:4500/4800 M:3000/3200 E:15000/15000 W:12000/12000 NL:31/100 "})"},
      {"Room.Info", R"({"num":12345,"name":"On a hill","area":"Barony of Ashtan","environment":"Hills",)"
                    R"("coords":"45,5,4,3","map":"www.example.com/map.php?45,5,4,3","exits":{"n":12344,"se":12336},"details":["shop","bank"]})"},
      {"Comm.Channel.Text", R"({"channel":"newbie","talker":"Tecton",)"
                            R"("text":"\u001b[0;1;33m(Newbie): Tecton says, \"Hello, newbies.\"\u001b[0;37m"})"},
  };
}

// Char.Vitals of Iron Realms with a health that falls as `i` grows.
inline Message Vitals(long i) {
  const std::string hp = std::to_string(4800 - i % 4800);
  return {"Char.Vitals", R"({"hp":")" + hp + R"(","maxhp":"4800","mp":"3000","maxmp":"3200","ep":"15000","maxep":"15000"})"};
}

inline std::string Var(const std::string& name, const std::string& value) {
  return kVar + name + kVal + value;
}

// MSDP's answer to LIST REPORTABLE_VARIABLES and the values reported: a
// string each, the room a table with a table of exits.
inline std::string MsdpList() {
  std::string list = std::string(1, kVar) + "REPORTABLE_VARIABLES" + kVal + kArrayOpen;
  for (const char* v : {"CHARACTER_NAME", "HEALTH", "HEALTH_MAX", "MANA", "MANA_MAX", "MOVEMENT", "MOVEMENT_MAX", "ROOM"})
    list += kVal + std::string(v);
  return list + kArrayClose;
}

inline std::string MsdpValues() {
  return Var("CHARACTER_NAME", "Bubba") + Var("HEALTH", "850") + Var("HEALTH_MAX", "1000") + Var("MANA", "40") +
         Var("MANA_MAX", "120") + Var("MOVEMENT", "95") + Var("MOVEMENT_MAX", "100") + kVar + "ROOM" + kVal +
         kTableOpen + Var("VNUM", "6008") + Var("NAME", "The forest clearing") + Var("AREA", "Haon Dor") + kVar +
         "EXITS" + kVal + kTableOpen + Var("n", "6011") + Var("e", "6007") + kTableClose + kTableClose;
}

inline std::string Mssp() {
  return Var("NAME", "Ombrel Test MUD") + Var("PLAYERS", "3") + Var("UPTIME", "1700000000") +
         Var("CODEBASE", "mud_test_server") + Var("PORT", "23") + kVal + "4000" + Var("CRAWL DELAY", "-1");
}

}  // namespace mud_game_data
