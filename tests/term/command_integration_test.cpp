#include <gtest/gtest.h>

#include "command/command_line.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

using namespace testing;

// The terminal core as the command processor's target: what is typed and
// what the auto-login sends go out as the terminal's writes and echoes.
struct Wired : TermFixture, ScrollTarget, ParamPrompt {
  void ScrollBy(int) override {}
  int Rows() const override { return 24; }
  int CurLine() const override { return 0; }
  std::string Ask(const std::string&) override { return "x"; }
  CommandLine line{term, *this, *this};
  Wired() {
    term.sendAutologin = [this](TermCore&, const std::string& text) {
      line.Processor().SendCommand(text, false);
    };
  }
};

TEST(TerminalCommands, AutologinIsSplitButNotAliasedAfterNegotiation) {
  Wired f;
  f.options.telnet = f.options.telnetinit = f.options.telopnaws = true;
  f.options.aliases.push_back({"me", {"never"}});
  f.term.autologin = "me|secret";
  f.term.clientsocketConnect();
  EXPECT_EQ(f.socket.writes, (Lines{"\xff\xfb\x1f", "me\r\n", "secret\r\n"}));
  f.line.ReturnPressed("me");  // typed: the alias applies, ending with an empty command
  EXPECT_EQ(Lines(f.socket.writes.end() - 2, f.socket.writes.end()), (Lines{"never\r\n", "\r\n"}));
}

TEST(TerminalCommands, TypedLinesAreEchoedAndDiscardedWhenDown) {
  Wired f;
  f.options.localecho = true;
  f.line.ReturnPressed("look");
  EXPECT_EQ(f.socket.writes, Lines{"look\r\n"});
  EXPECT_EQ(f.Completed().back(), "look");
  f.socket.active = false;
  f.line.ReturnPressed("lost");
  EXPECT_EQ(f.socket.writes.size(), 1u);
  EXPECT_EQ(f.line.HistoryPrev(), "look");
}

}  // namespace
}  // namespace ombrel
