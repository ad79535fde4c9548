// Stand-ins for the platform around a terminal core, and what the terminal
// tests share.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "term/term_core.h"
#include "term/term_view.h"

namespace ombrel::testing {

using Lines = std::vector<std::string>;

// A fixed-pitch font: "W" 8 pixels wide, "gW" 16 high.
struct FixedMeasure : TextMeasure {
  int TextWidth(const std::string& text) const override { return 8 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) const override { return 16; }
};

class RecordingSocket : public IClientSocket {
 public:
  std::vector<std::string> writes;
  bool active = true;
  std::string address, host = "mud.example.org";
  int port = 4000;
  int closes = 0;

  void SendText(const std::string& bytes) override {
    if (active) writes.push_back(bytes);
  }
  bool Active() const override { return active; }
  void Close() override { ++closes; active = false; }
  std::string Address() const override { return address; }
  std::string Host() const override { return host; }
  int Port() const override { return port; }
};

struct FakePlayer : ISoundPlayer {
  std::vector<std::string> played;
  bool fail = false;
  void Play(const std::string& file) override { fail ? throw std::runtime_error(file) : played.push_back(file); }
};

// How a test terminal starts: by default wide enough not to wrap.
struct TermSetup {
  bool ansi = false;
  std::string margin;
  int cols = 200;
  int rows = 24;
};

// One read of a table's case: received (escape tails wait, triggers run)
// or local text.
struct Read {
  std::string text;
  bool received = true;
  Read(const char* t, bool r = true) : text(t), received(r) {}
  Read(std::string t, bool r = true) : text(std::move(t)), received(r) {}
};

// A terminal with a recording socket, a fake player and its error boxes kept.
struct TermFixture {
  TOptions options;
  RecordingSocket socket;
  FakePlayer player;
  TermCore term{&options};
  std::vector<std::pair<std::string, std::string>> errors;

  explicit TermFixture(const TermSetup& setup = {}) {
    options.ansi = setup.ansi;
    options.margin = setup.margin;
    term.ClearTerminal();
    term.cols = setup.cols;
    term.rows = setup.rows;
    term.SetSocket(&socket);
    term.SetSoundPlayer(&player);
    term.Events().errorBox = [this](TermCore&, const std::string& text, const std::string& cap) {
      errors.emplace_back(text, cap);
    };
  }

  // Texts of lines 0..curline, and without the current one.
  Lines All() const {
    Lines out;
    for (int i = 0; i <= term.curline(); ++i) out.push_back(term.Store().Line(i).text);
    return out;
  }
  Lines Completed() const {
    Lines all = All();
    all.pop_back();
    return all;
  }
  std::string Current() const { return term.Store().Current().text; }
};

// One line per stored line: start colour, bold flag and the text with ESC
// shown as "^[" so a dump stays readable.
inline std::string DumpStore(const LineStore& store) {
  std::string out;
  for (int i = 0; i <= store.curline; ++i) {
    const tbufrec& r = store.Line(i);
    out += std::to_string(r.startcolor) + " " + std::to_string(r.startbold) + " |";
    for (char c : r.text) out += (c == 27) ? std::string("^[") : std::string(1, c);
    out += "|\n";
  }
  return out;
}

inline std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder of its own for one test, removed with everything in it.
struct TempDir {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("ombrel-term-" + std::to_string(::getpid()) + "-" +
                                std::to_string(reinterpret_cast<uintptr_t>(this)));
  TempDir() { std::filesystem::create_directories(path); }
  ~TempDir() { std::filesystem::remove_all(path); }
};

}  // namespace ombrel::testing
