// The command processor: typed lines with aliases, parameters and speedwalk
// paths never crash, every write is one or more commands ended by CR LF,
// 255 goes out doubled under telnet, and no write grows beyond its bound.
#include "command/command_processor.h"
#include "fuzz_support.h"

using namespace ombrel;

namespace {

struct Target : CommandTarget, ParamPrompt {
  TOptions options;
  std::vector<std::string> sends;
  std::string echoed, answer;
  const TOptions* Options() const override { return &options; }
  bool Connected() const override { return true; }
  void Send(const std::string& bytes) override { sends.push_back(bytes); }
  void WriteText(const std::string& text, bool) override { echoed += text; }
  std::string CurrentLineText() const override { return echoed.substr(echoed.rfind('\n') + 1); }
  std::string Ask(const std::string&) override { return answer; }
};

// Lines of the input, cut at LF.
std::vector<std::string> SplitAtLf(const std::string& s) {
  std::vector<std::string> out;
  for (size_t from = 0; from <= s.size();) {
    const size_t lf = std::min(s.find('\n', from), s.size());
    out.push_back(s.substr(from, lf - from));
    from = lf + 1;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in{data, size};
  const uint8_t flags = in.Byte();
  Target t;
  t.options.telnet = flags & 1, t.options.localecho = flags & 2;
  if (flags & 4) t.options.pipechar = std::string(1, static_cast<char>(in.Byte()));
  if (flags & 8) t.options.pathchar = std::string(1, static_cast<char>(in.Byte()));
  const std::vector<std::string> lines = SplitAtLf(in.Rest());
  // The first lines are aliases: the name, a tab, translation lines cut at CR.
  const size_t aliases = std::min<size_t>(flags >> 4, lines.size());
  for (size_t k = 0; k < aliases; ++k) {
    const size_t tab = std::min(lines[k].find('\t'), lines[k].size());
    std::vector<std::string> translation;
    for (size_t from = tab + 1; from <= lines[k].size();) {
      const size_t cr = std::min(lines[k].find('\r', from), lines[k].size());
      translation.push_back(lines[k].substr(from, cr - from));
      from = cr + 1;
    }
    t.options.aliases.push_back({lines[k].substr(0, tab), translation});
  }
  t.answer = lines.back();
  CommandProcessor processor(t, t);
  for (size_t k = aliases; k < lines.size(); ++k) processor.SendCommand(lines[k], true);

  const size_t bound = std::max<size_t>((size_t{1} << 20) + 8, 4 * (size + 2) * (size + 2));
  for (const std::string& s : t.sends) {
    FUZZ_CHECK(s.size() >= 2 && s.size() <= bound, "a write is empty or beyond its bound");
    FUZZ_CHECK(s.compare(s.size() - 2, 2, "\r\n") == 0, "a write does not end with CR LF");
    if (!t.options.telnet) continue;
    for (size_t i = 0; i < s.size();) {
      const size_t end = std::min(s.find_first_not_of('\xff', i), s.size());
      FUZZ_CHECK((end - i) % 2 == 0, "a byte 255 went out undoubled under telnet");
      i = end + (end < s.size());
    }
  }
  return 0;
}
