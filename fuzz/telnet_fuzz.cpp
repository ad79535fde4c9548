// The telnet parser with NAWS: every step moves on, a stream cut anywhere
// gives the same text, answers, sizes and log as whole, the text is what the
// protocol says it is, and a size the parser sends reads back as that size.
#include "fuzz_support.h"
#include "telnet/telnet_parser.h"

using namespace ombrel;

namespace {

struct Outcome {
  std::string text, answers, log;
  std::vector<std::pair<int, int>> sizes;
  bool operator==(const Outcome&) const = default;
};

void Configure(TTelnetParser& parser, Outcome& out, uint8_t flags, uint16_t w, uint16_t h) {
  parser.SetLogHandler([&out](TTelnetParser&, const std::string& t) { out.log += t + "\n"; });
  parser.ConfigureNAWS(flags & 1, flags & 2, [&out](TTelnetParser&, uint16_t pw, uint16_t ph) {
    out.sizes.emplace_back(pw, ph);
  }, [w, h](TTelnetParser&, uint16_t& pw, uint16_t& ph) { pw = w, ph = h; });
}

// Parses the reads as the receive path does: a cut-off sequence starts the next read.
Outcome Parse(uint8_t flags, uint16_t w, uint16_t h, const std::string& stream, size_t cut) {
  Outcome out;
  TTelnetParser parser;
  Configure(parser, out, flags, w, h);
  if (flags & 4) parser.SetNAWS(true, out.answers);
  std::string tail, piece;
  for (const std::string& read : {stream.substr(0, cut), stream.substr(cut)}) {
    const std::string block = tail + read;
    tail.clear();
    for (size_t pos = 0; pos < block.size();) {
      const size_t before = pos;
      const int kind = parser.ParseAt(block, pos, piece);
      if (kind == ParseIncomplete) {
        FUZZ_CHECK(pos == block.size(), "an incomplete sequence left bytes unread");
        tail = parser.Incomplete();
        break;
      }
      FUZZ_CHECK(pos > before && pos <= block.size(), "a parse step did not move on");
      (kind == ParseText ? out.text : out.answers) += piece;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const uint8_t flags = in.Byte();
  const uint16_t w = in.Byte() << 8 | in.Byte(), h = in.Byte() << 8 | in.Byte();
  const uint8_t cutByte = in.Byte();
  const std::string stream = in.Rest();
  const Outcome whole = Parse(flags, w, h, stream, stream.size());
  FUZZ_CHECK(Parse(flags, w, h, stream, cutByte * stream.size() / 256) == whole,
             "a cut stream parsed differently from the whole one");
  FUZZ_CHECK(whole.text == fuzz::TelnetText(stream), "the text is not the stream without its commands");

  // Every answer is an option command or a NAWS size ended by IAC SE.
  const std::string& a = whole.answers;
  for (size_t i = 0; i < a.size();) {
    FUZZ_CHECK(a.size() - i >= 3 && a[i] == '\xff', "an answer is not a telnet command");
    const unsigned char c = static_cast<unsigned char>(a[i + 1]);
    if (c >= telnet::WILL && c <= telnet::DONT) {
      i += 3;
      continue;
    }
    FUZZ_CHECK(c == telnet::SB && a[i + 2] == '\x1f', "an answer is neither an option nor a size");
    std::string value;  // a byte 255 of the size goes out doubled
    for (i += 3; i + 1 < a.size() && !(a[i] == '\xff' && a[i + 1] == '\xf0'); i += (a[i] == '\xff') ? 2 : 1) {
      FUZZ_CHECK(a[i] != '\xff' || a[i + 1] == '\xff', "a size answer holds a lone IAC");
      value += a[i];
    }
    FUZZ_CHECK(i + 1 < a.size(), "a size answer has no IAC SE");
    FUZZ_CHECK(value == std::string({char(w >> 8), char(w & 255), char(h >> 8), char(h & 255)}),
               "a size answer is not the window size");
    i += 2;
  }

  // The size this side sends is read back as that size by a parser.
  Outcome sender, receiver;
  TTelnetParser us, peer;
  Configure(us, sender, 2, w, h);
  Configure(peer, receiver, 1, 0, 0);
  us.SetNAWS(true, sender.answers);
  us.HandleDoNAWS(sender.answers);
  std::string sent = sender.answers, piece;
  while (!sent.empty() && peer.Parse(sent, piece) != ParseIncomplete) {
  }
  FUZZ_CHECK(receiver.sizes == (std::vector<std::pair<int, int>>{{w, h}}),
               "a sent window size " + std::to_string(w) + "x" + std::to_string(h) + " reads back otherwise");
  return 0;
}
