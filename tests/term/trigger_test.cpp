#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "term_fakes.h"

namespace ombrel {
namespace {

namespace fs = std::filesystem;
using testing::TermFixture;
using Lines = std::vector<std::string>;

TTrigger TextTrigger(const std::string& string, Lines text) {
  TTrigger t;
  t.name = string;
  t.string = string;
  t.textenabled = true;
  t.text = std::move(text);
  return t;
}

struct SoundFile {
  fs::path path = fs::temp_directory_path() / ("ombrel-bell-" + std::to_string(::getpid()) + ".wav");
  SoundFile() { std::ofstream(path) << "RIFF"; }
  ~SoundFile() { fs::remove(path); }
};

TEST(Triggers, MatchingTriggersActInListOrder) {
  SoundFile wav;
  TermFixture f;
  f.options.triggers.push_back(TextTrigger("hungry", {"eat bread"}));
  TTrigger sound;
  sound.string = "You are";
  sound.soundenabled = true;
  sound.soundfile = wav.path.string();
  f.options.triggers.push_back(sound);
  f.options.triggers.push_back(TextTrigger("are", {}));

  f.term.WriteText("You are hungry, hungry\r\n", true);
  EXPECT_EQ(f.socket.writes, (Lines{"eat bread\r\n\r\n", "\r\n"}));
  EXPECT_EQ(f.player.played, Lines{wav.path.string()});
}

TEST(Triggers, MatchOnStoredTextExactlyAndOnlyOnCompletedReceivedLines) {
  TermFixture f;
  f.options.ansi = true;
  f.options.triggers.push_back(TextTrigger("hungry", {"a"}));
  f.options.triggers.push_back(TextTrigger("are hungry", {"b"}));
  f.options.triggers.push_back(TextTrigger("Password:", {"c"}));
  f.options.triggers.push_back(TextTrigger("", {"never"}));
  f.term.WriteText("You are \x1b[31mhungry\r\n", true);
  EXPECT_EQ(f.socket.writes, Lines{"a\r\n\r\n"});

  f.term.WriteText("you are Hungry\r\n", true);  // case counts
  f.term.WriteText("are hungry\r\n", false);     // local text never triggers
  f.term.WriteText("Password:", true);           // no line end yet
  EXPECT_EQ(f.socket.writes.size(), 1u);
  f.term.WriteText("\r\n", true);
  EXPECT_EQ(f.socket.writes.back(), "c\r\n\r\n");
}

TEST(Triggers, WrappedPartsAreExaminedSeparately) {
  TermFixture f;
  f.term.cols = 10;
  f.options.triggers.push_back(TextTrigger("danger", {"flee"}));
  f.options.triggers.push_back(TextTrigger("dan ger", {"never"}));
  f.term.WriteText("big dan ger danger\r\n", true);
  EXPECT_EQ(f.socket.writes, Lines{"flee\r\n\r\n"});
}

TEST(Triggers, LocalEchoReentersAndLeavesTheStoreConsistent) {
  TermFixture f;
  f.options.localecho = true;
  f.options.margin = "> ";
  f.term.ClearTerminal();
  f.term.cols = 12;
  f.options.triggers.push_back(TextTrigger("orc", {"kill orc", "loot"}));
  // The trigger fires on a wrapped part in the middle of a read; the echo
  // lands right after that line and the read goes on after it.
  f.term.WriteText("An orc here, attacks you.\r\nnext", true);
  EXPECT_EQ(f.Lines(), (Lines{"> An orc ", "> kill orc", "> loot", "> here, ", "> attacks ",
                              "> you.", "> next"}));
  EXPECT_EQ(f.socket.writes, Lines{"kill orc\r\nloot\r\n\r\n"});
  // The echo itself never fires a trigger.
  f.options.triggers[0].text = {"orc again"};
  f.term.WriteText("\r\norc\r\n", true);
  EXPECT_EQ(f.socket.writes.size(), 2u);
  EXPECT_EQ(f.Lines().back(), "> ");
}

TEST(Triggers, SoundProblemsNeverDisturbTheRead) {
  TermFixture f;
  TTrigger gone;
  gone.string = "bell";
  gone.soundenabled = true;
  gone.textenabled = true;
  gone.text = {"rung"};
  gone.soundfile = "/nonexistent/bell.wav";
  f.options.triggers.push_back(gone);
  f.term.WriteText("bell\r\n", true);
  EXPECT_TRUE(f.player.played.empty());
  EXPECT_TRUE(f.errors.empty());
  EXPECT_EQ(f.socket.writes, Lines{"rung\r\n\r\n"});

  SoundFile wav;
  f.options.triggers[0].soundfile = wav.path.string();
  f.player.fail = true;
  f.term.WriteText("bell\r\nafter one\r\nafter two", true);
  EXPECT_EQ(f.errors.size(), 1u);
  EXPECT_EQ(f.Lines(), (Lines{"bell", "bell", "after one", "after two"}));
}

TEST(Triggers, ByteIACInTheTextIsDoubledOnlyForTelnet) {
  TermFixture f;
  f.options.triggers.push_back(TextTrigger("x", {"\xff"}));
  f.term.WriteText("x\r\n", true);
  f.options.telnet = true;  // no parser bound: the text passes unchanged
  f.term.WriteText("x\r\n", true);
  EXPECT_EQ(f.socket.writes, (Lines{"\xff\r\n\r\n", "\xff\xff\r\n\r\n"}));
}

}  // namespace
}  // namespace ombrel
