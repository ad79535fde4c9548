// Stand-ins for the platform around a terminal core, and what the terminal
// tests share.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "term/term_core.h"

namespace ombrel::testing {

using Lines = std::vector<std::string>;

class RecordingSocket : public IClientSocket {
 public:
  std::vector<std::string> writes;
  bool active = true;
  bool established = true;  // false: still looking up or connecting
  int closes = 0;

  void SendText(const std::string& bytes) override {
    if (active) writes.push_back(bytes);
  }
  bool Active() const override { return active; }
  bool Established() const override { return active && established; }
  void Close() override { ++closes; active = false; }
  std::string Address() const override { return {}; }
  std::string Host() const override { return "mud.example.org"; }
  int Port() const override { return 4000; }
};

struct FakePlayer : ISoundPlayer {
  std::vector<std::string> played;
  bool fail = false;
  void Play(const std::string& file) override { fail ? throw std::runtime_error(file) : played.push_back(file); }
};

// A listener a test sets event by event.
struct Hooks : TermListener {
  std::function<void()> textShown, cleared, logLoaded, unseen;
  std::function<void(ConnectionState, bool)> connection;
  std::function<void(const std::string&)> caption;
  std::function<void(std::string_view)> telnetLog;
  void TextShown() override { if (textShown) textShown(); }
  void Cleared() override { if (cleared) cleared(); }
  void LogLoaded() override { if (logLoaded) logLoaded(); }
  void UnseenChanged(bool) override { if (unseen) unseen(); }
  void ConnectionChanged(ConnectionState s, bool byUser) override { if (connection) connection(s, byUser); }
  void CaptionChanged(const std::string& c) override { if (caption) caption(c); }
  void TelnetLog(std::string_view text) override { if (telnetLog) telnetLog(text); }
};

// How a test terminal starts: by default wide enough not to wrap.
struct TermSetup {
  bool ansi = false;
  std::string margin;
  int cols = 200;
  int rows = 24;
  bool telnet = false, localecho = false;
  bool utf8 = false;
  bool extended = false;  // 256 colours and true colour: string sequences read whole
};

// One read of a table's case: received (escape tails wait, triggers run)
// or local text.
struct Read {
  std::string text;
  bool received = true;
  Read(const char* t, bool r = true) : text(t), received(r) {}
  Read(std::string t, bool r = true) : text(std::move(t)), received(r) {}
};

struct TermFixture : TermHost {
  TOptions options;
  RecordingSocket socket;
  FakePlayer player;
  Hooks hooks;
  TermCore term{&options};
  std::vector<std::pair<std::string, std::string>> errors;
  bool active = true;

  explicit TermFixture(const TermSetup& setup = {}) {
    options.ansi = setup.ansi;
    options.margin = setup.margin;
    options.telnet = setup.telnet;
    options.localecho = setup.localecho;
    options.features.utf8 = setup.utf8;
    options.features.extendedcolours = setup.extended;
    term.ClearTerminal();
    term.cols = setup.cols;
    term.rows = setup.rows;
    term.SetSocket(&socket);
    term.SetSoundPlayer(&player);
    term.SetHost(this);
    term.Listeners().Add(hooks);
  }
  bool IsActive() const override { return active; }
  void ErrorBox(const std::string& text, const std::string& cap) override { errors.emplace_back(text, cap); }

  Lines All() const {
    Lines out;
    for (int i = 0; i <= term.curline(); ++i) out.emplace_back(term.Store().Line(i).text);
    return out;
  }
};

// One line per stored line: start colour, bold flag and the text with ESC
// shown as "^[" so a dump stays readable.
inline std::string DumpStore(const LineStore& store) {
  std::string out;
  for (int i = 0; i <= store.CurLine(); ++i) {
    const StoredLine r = store.Line(i);
    out += std::to_string(r.start.color) + " " + std::to_string(r.start.bold) + " |";
    for (char c : r.text) out += (c == 27) ? std::string("^[") : std::string(1, c);
    out += "|\n";
  }
  return out;
}

}  // namespace ombrel::testing
