// Stand-ins for the platform around a terminal core.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "term/term_core.h"
#include "term/term_view.h"

namespace ombrel::testing {

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

class FakePlayer : public ISoundPlayer {
 public:
  std::vector<std::string> played;
  bool fail = false;
  void Play(const std::string& fileName) override {
    if (fail) throw std::runtime_error("cannot play " + fileName);
    played.push_back(fileName);
  }
};

// A terminal with a recording socket, wide enough not to wrap by default.
struct TermFixture {
  TOptions options;
  RecordingSocket socket;
  FakePlayer player;
  TermCore term{&options};
  std::vector<std::pair<std::string, std::string>> errors;

  TermFixture() {
    term.SetSocket(&socket);
    term.SetSoundPlayer(&player);
    term.cols = 200;
    term.Events().errorBox = [this](TermCore&, const std::string& text, const std::string& cap) {
      errors.emplace_back(text, cap);
    };
  }

  // Texts of lines 0..curline.
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (int i = 0; i <= term.curline(); ++i) out.push_back(term.Store().Line(i).text);
    return out;
  }
  std::vector<std::string> Completed() const {
    auto all = Lines();
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

}  // namespace ombrel::testing
