// GMCP, MSDP and MSSP values of any bytes: the stream cut anywhere gives the
// tree and text it gives whole, what follows a message is shown as it came,
// and the tree is always valid JSON (every text UTF-8), as a script or a
// pane will take it.
#include "fuzz_support.h"
#include "gmcp/game_views.h"
#include "telnet/gmcp_option.h"
#include "telnet/msdp_option.h"
#include "telnet/telnet_parser.h"

using namespace ombrel;

namespace {

struct Outcome {
  std::string tree, text;
  bool operator==(const Outcome&) const = default;
};

Outcome Parse(const std::string& stream, size_t cut) {
  GameData data;
  GmcpOption gmcp(data);
  MsdpOption msdp(data);
  MsspOption mssp(data);
  TTelnetParser parser;
  for (TelnetOption* o : std::initializer_list<TelnetOption*>{&gmcp, &msdp, &mssp}) parser.AddOption(o);
  Outcome out;
  std::string tail, piece;
  for (const std::string& read : {stream.substr(0, cut), stream.substr(cut)}) {
    const std::string block = std::exchange(tail, {}) + read;
    for (size_t pos = 0; pos < block.size();) {
      const int kind = parser.ParseAt(block, pos, piece);
      if (kind == ParseIncomplete) tail = parser.Incomplete();
      else if (kind == ParseText) out.text += piece;
    }
  }
  // What the panes read must not trip over any of it either.
  ReadGauges(data, DefaultGauges());
  ReadRoom(data);
  out.tree = JsonText(data.Root());
  const Json back = Json::parse(out.tree, nullptr, false);
  FUZZ_CHECK(!back.is_discarded() && back == data.Root(), "the tree does not read back as the same JSON");
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const unsigned char option = (const unsigned char[]){telnet::OPT_GMCP, telnet::OPT_MSDP, telnet::OPT_MSSP}[in.Byte() % 3];
  const uint8_t cutByte = in.Byte();
  const std::string value = in.Rest();
  const std::string stream = std::string{'\xff', '\xfb', static_cast<char>(option)} +
                             SubnegotiationBytes(option, value) + "after";
  const Outcome whole = Parse(stream, stream.size());
  FUZZ_CHECK(Parse(stream, cutByte * stream.size() / 256) == whole, "a cut stream gave another tree or text");
  FUZZ_CHECK(whole.text == "after", "what follows a message is not shown as it came");
  return 0;
}
