// The receive path: a stream read in pieces cut at fuzzed points stores the
// same lines and sends the same answers as the stream read whole, and with
// telnet on no stored byte 255 is more than the stream's doubled ones.
#include <algorithm>
#include <vector>

#include "fuzz_support.h"
#include "term/term_core.h"

using namespace ombrel;

namespace {

struct Outcome {
  std::string dump, sent;
};

// Telnet answers go out before the text of their read, and a status
// report's answer while that text is shown, so how the two interleave
// depends on the reads: each is compared in its own order.
std::pair<std::string, std::string> TelnetAndOther(const std::string& sent) {
  std::pair<std::string, std::string> out;
  for (size_t i = 0; i < sent.size();) {
    size_t n = 1;
    if (sent[i] == '\xff') {
      const unsigned char c = i + 1 < sent.size() ? static_cast<unsigned char>(sent[i + 1]) : 0;
      n = (c == 250) ? std::min(sent.find("\xff\xf0", i), sent.size()) + 2 - i : (c > 250) ? 3 : 2;
    }
    (sent[i] == '\xff' ? out.first : out.second) += sent.substr(i, n);
    i += n;
  }
  return out;
}

Outcome Receive(uint8_t flags, int cols, const std::string& stream, const std::vector<size_t>& cuts) {
  TOptions options;
  options.ansi = flags & 1, options.telnet = flags & 2, options.margin = (flags & 4) ? " " : "";
  options.telnetinit = options.telopnaws = flags & 8;
  options.features.mccp = flags & 32;  // a stream that offers it may compress
  options.features.utf8 = flags & 64;
  options.features.extendedcolours = flags & 128;
  fuzz::Socket socket;
  TermCore term(&options);
  term.ClearTerminal();
  term.cols = cols, term.rows = 24;
  term.SetSocket(&socket);
  if (flags & 16) term.clientsocketConnect();
  size_t from = 0;
  for (size_t cut : cuts) term.WriteText(stream.substr(from, cut - from), true), from = cut;
  term.WriteText(stream.substr(from), true);
  return {fuzz::Dump(term.Store()), socket.sent};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const uint8_t flags = in.Byte();
  const int cols = 1 + in.Byte() % 120;
  const uint8_t cutBytes[3] = {in.Byte(), in.Byte(), in.Byte()};
  const std::string stream = in.Rest();
  std::vector<size_t> cuts;
  for (uint8_t b : cutBytes) cuts.push_back(b * stream.size() / 256);
  std::sort(cuts.begin(), cuts.end());

  const Outcome whole = Receive(flags, cols, stream, {});
  const Outcome split = Receive(flags, cols, stream, cuts);
  std::vector<size_t> bytes;
  for (size_t k = 1; k < stream.size() && stream.size() <= 64; ++k) bytes.push_back(k);
  const bool sameStore = split.dump == whole.dump && Receive(flags, cols, stream, bytes).dump == whole.dump;
  const bool sameSends = TelnetAndOther(split.sent) == TelnetAndOther(whole.sent);
  FUZZ_CHECK(sameStore, "a split stream stored other lines than the whole one");
  FUZZ_CHECK(sameSends, "a split stream sent other bytes than the whole one");
  // Inflated text holds bytes 255 that the stream on the wire does not.
  if ((flags & 2) && !(flags & 32)) {
    const auto count = [](const std::string& s) { return std::count(s.begin(), s.end(), '\xff'); };
    FUZZ_CHECK(count(whole.dump) <= count(fuzz::TelnetText(stream)),
                 "a stored byte 255 was part of a telnet command");
  }
  return 0;
}
