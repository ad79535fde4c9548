#include <gtest/gtest.h>

#include "telnet/gmcp_option.h"
#include "telnet/msdp_option.h"
#include "telnet/telnet_parser.h"

namespace ombrel {
namespace {

using namespace telnet;
std::string B(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }
std::string Sb(int option, const std::string& value) { return SubnegotiationBytes(static_cast<unsigned char>(option), value); }
// MSDP's and MSSP's markers, apart from the text: "\x01E" would read as one byte.
std::string Var(const std::string& name) { return '\x01' + name; }
std::string Val(const std::string& value = "") { return '\x02' + value; }
const std::string kTable = "\x03", kEndTable = "\x04", kArray = "\x05", kEndArray = "\x06";

// A parser with the three options on one tree, as a terminal binds them.
struct GameParser {
  GameData data;
  GmcpOption gmcp{data};
  MsdpOption msdp{data, {"HEALTH", "ROOM"}};
  MsspOption mssp{data};
  TTelnetParser parser;
  std::vector<std::string> log;
  std::string text, answers;
  GameParser() {
    parser.SetLogHandler([this](TTelnetParser&, const std::string& t) { log.push_back(t); });
    for (TelnetOption* o : std::initializer_list<TelnetOption*>{&gmcp, &msdp, &mssp}) parser.AddOption(o);
  }
  // As the receive path hands reads over: a sequence cut off by the end of
  // one is put in front of the next.
  GameParser& Feed(const std::vector<std::string>& reads) {
    std::string tail, piece;
    for (const std::string& read : reads) {
      const std::string block = std::exchange(tail, {}) + read;
      for (size_t pos = 0; pos < block.size();) {
        const int kind = parser.ParseAt(block, pos, piece);
        if (kind == ParseIncomplete) tail = parser.Incomplete();
        else (kind == ParseText ? text : answers) += piece;
      }
    }
    return *this;
  }
};

TEST(GameDataOptions, AcceptedOffersAreAnsweredWithWhatTheClientWants) {
  const std::string hello = Sb(201, R"(Core.Hello {"client":"Ombrel","version":"1.0"})") +
                            Sb(201, R"(Core.Supports.Set ["Char 1","Char.Vitals 1","Room 1","Comm.Channel 1"])");
  const std::string list = Sb(69, Var("LIST") + Val("REPORTABLE_VARIABLES")),
                    report = Sb(69, Var("REPORT") + Val("HEALTH") + Val("ROOM"));
  const std::pair<std::string, std::string> rows[] = {
      {B({IAC, WILL, 201}), B({IAC, DO, 201}) + hello},
      {B({IAC, WILL, 69}), B({IAC, DO, 69}) + list + report},
      {B({IAC, WILL, 70}), B({IAC, DO, 70})},
      {B({IAC, DO, 201, IAC, DO, 69, IAC, DO, 70}), B({IAC, WONT, 201, IAC, WONT, 69, IAC, WONT, 70})},  // ours: never
  };
  for (const auto& [offer, answer] : rows) {
    GameParser g;
    EXPECT_EQ(g.Feed({offer}).answers, answer);
  }
  EXPECT_EQ(GmcpMessageBytes("Core.Ping"), Sb(201, "Core.Ping"));
  EXPECT_EQ(GmcpMessageBytes("Char.Login", {{"name", "x\xff"}}), Sb(201, "Char.Login {\"name\":\"x\xef\xbf\xbd\"}"));
  EXPECT_EQ(GmcpMessageBytes("two words", 1) + GmcpMessageBytes(""), "");
}

// Every message of the three options between text, cut at every byte: the
// tree, the text and the log are those of the whole stream.
TEST(GameDataOptions, AStreamCutAnywhereGivesTheSameTree) {
  const std::string stream =
      B({IAC, WILL, 201, IAC, WILL, 69, IAC, WILL, 70}) + "a" +
      Sb(201, R"(Char.Vitals {"hp":"4500","maxhp":"4800"})") + "b" + Sb(201, R"(char.vitals {"hp":4400})") +
      Sb(201, "Core.Goodbye") + Sb(201, "  Room.Info\t{\"name\":\"Caf\xc3\xa9\",\"exits\":{\"n\":1}}") +
      Sb(69, Var("HEALTH") + Val("50") + Var("ROOM") + Val(kTable + Var("NAME") + Val("Hall") + Var("EXITS") +
                                                       Val(kTable + Var("n") + Val("1") + kEndTable) + kEndTable) +
                 Var("LIST") + Val(kArray + Val("x") + Val("y") + kEndArray) + Var("PAIR") + Val("p") + Val("q")) +
      "c" + Sb(70, Var("NAME") + Val("Caf\xe9 \xff") + Var("PORT") + Val("23") + Val("4000")) + "d";
  const std::string tree =
      R"({"Char":{"Vitals":{"hp":4400,"maxhp":"4800"}},"Core":{"Goodbye":null},"Room":{"Info":{"name":"Café","exits":{"n":1}}},)"
      R"("MSDP":{"HEALTH":"50","ROOM":{"NAME":"Hall","EXITS":{"n":"1"}},"LIST":["x","y"],"PAIR":["p","q"]},)"
      R"("MSSP":{"NAME":"Café ÿ","PORT":["23","4000"]}})";
  GameParser whole;
  ASSERT_EQ(whole.Feed({stream}).text, "abcd");
  ASSERT_EQ(JsonText(whole.data.Root()), tree);
  EXPECT_EQ(std::vector<std::string>(whole.log.begin() + 10, whole.log.end()),
            (std::vector<std::string>{"SB GMCP Char.Vitals Received (40 bytes)", "SB GMCP char.vitals Received (23 bytes)",
                                      "SB GMCP Core.Goodbye Received (12 bytes)", "SB GMCP Room.Info Received (44 bytes)",
                                      "SB MSDP HEALTH ROOM LIST PAIR Received (62 bytes)", "SB MSSP Received (25 bytes)",
                                      "MSSP NAME: Café ÿ", R"(MSSP PORT: ["23","4000"])"}));
  for (size_t cut = 1; cut < stream.size(); ++cut) {
    GameParser split;
    split.Feed({stream.substr(0, cut), stream.substr(cut)});
    ASSERT_EQ(std::tie(split.text, split.log), std::tie("abcd", whole.log)) << cut;
    ASSERT_EQ(JsonText(split.data.Root()), tree) << cut;
  }
}

// A message of 1 MiB waits across reads; one longer, or one longer than 4
// KiB of an option not on, is dropped at its bound and the rest read again.
TEST(GameDataOptions, BadInputKeepsWhatCameBefore) {
  const std::string big = "Big.Data \"" + std::string(kMaxGmcpMessage - 11, 'x') + "\"";  // 1 MiB whole
  std::string deep = Var("DEEP");
  for (int i = 0; i <= kMaxJsonDepth; ++i) deep += Val(kTable + Var("x"));
  const std::string stream = Sb(201, "Early " + std::string(5000, 'z')) + B({IAC, WILL, 201, IAC, WILL, 69}) +
                             Sb(201, R"(Char.Vitals {"hp":1})") + Sb(201, R"(Char.Vitals {"hp":})") +
                             Sb(201, R"(char.vitals [1,)") + Sb(201, "Room.Info {") + Sb(201, big) +
                             Sb(201, "Big.Over \"" + std::string(kMaxGmcpMessage, 'y') + "\"") + "shown" +
                             Sb(69, deep) + Sb(69, Var("HEALTH") + Val("5"));
  std::vector<std::string> pieces;
  for (size_t at = 0; at < stream.size(); at += 64 * 1024) pieces.push_back(stream.substr(at, 64 * 1024));
  GameParser g;
  g.Feed(pieces);
  EXPECT_EQ(JsonText(*g.data.Find("Char")), R"({"Vitals":{"hp":1}})");
  const Json* kept = g.data.Find("Big.Data");
  EXPECT_TRUE(kept && kept->is_string() && kept->get_ref<const std::string&>().size() == kMaxGmcpMessage - 11);
  EXPECT_EQ(g.data.Find("Big.Over"), nullptr);
  EXPECT_EQ(g.data.Find("Early"), nullptr);
  EXPECT_EQ(JsonText(*g.data.Find("MSDP")), R"({"HEALTH":"5"})");
  EXPECT_TRUE(g.text == std::string(5006 - 4093, 'z') + std::string(8, 'y') + "\"shown") << g.text.size();
  std::vector<std::string> said;
  for (const std::string& line : g.log)
    if (line.find("Received") == std::string::npos && line.find("Sent") == std::string::npos) said.push_back(line);
  EXPECT_EQ(said, (std::vector<std::string>{"SB (option=201) dropped unfinished",
                                            "SB GMCP Char.Vitals is not JSON: the value before is kept",
                                            "SB GMCP Room.Info is not JSON: the value before is kept",
                                            "SB GMCP dropped unfinished (over 1048581 bytes)"}));
}

}  // namespace
}  // namespace ombrel
