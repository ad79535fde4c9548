#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "term_fakes.h"

namespace ombrel {
namespace {

namespace fs = std::filesystem;
using testing::DumpStore;
using testing::TermFixture;
using Lines = std::vector<std::string>;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() / ("ombrel-term-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
};

TEST(ConnectionNotices, StatusLinesInTheirOrder) {
  TermFixture f;
  int disconnectUpdates = 0, captions = 0, connects = 0;
  f.term.Events().disconnectChanged = [&](TermCore&) { ++disconnectUpdates; };
  f.term.Events().captionChanged = [&](TermCore&) { ++captions; };
  f.term.autologin = "me";
  f.term.sendAutologin = [&](TermCore&, const std::string& t) { connects += t == "me"; };
  f.term.clientsocketLookup();
  f.term.clientsocketConnecting();
  f.term.clientsocketConnect();
  f.term.caption = "Home";
  f.term.clientsocketDisconnect();
  EXPECT_EQ(f.Completed(), (Lines{"Looking up host...", "Connecting to mud.example.org:4000...",
                                  "Connection established...", "Disconnected."}));
  EXPECT_EQ(f.term.caption, "Not Connected");
  EXPECT_EQ(disconnectUpdates, 4);
  EXPECT_EQ(captions, 1);
  EXPECT_EQ(connects, 1);
}

TEST(ConnectionNotices, NumericAddressShownAndReconnectIsQuiet) {
  TermFixture f;
  f.socket.address = "127.0.0.1";
  f.term.clientsocketConnecting();
  f.term.reconnecting = 1;
  f.term.clientsocketDisconnect();
  EXPECT_EQ(f.Completed(), Lines{"Connecting to 127.0.0.1:4000..."});
}

TEST(ConnectionNotices, ErrorKinds) {
  TermFixture f;
  f.term.clientsocketError(SocketErrorKind::General);
  f.term.clientsocketError(SocketErrorKind::Send);
  f.term.clientsocketError(SocketErrorKind::Receive);
  f.term.clientsocketError(SocketErrorKind::Connect);
  f.term.clientsocketError(SocketErrorKind::Lookup);
  f.term.clientsocketError(SocketErrorKind::Disconnect);
  EXPECT_EQ(f.Completed(), (Lines{"General Socket Error.", "Socket Send Error.",
                                  "Socket Read Error.", "Failed to connect.",
                                  "Error while disconnecting."}));
  EXPECT_EQ(f.socket.closes, 1);
}

TEST(ReceivePath, NothingHappensWithoutAnOptionSet) {
  TermCore term(nullptr);
  int repaints = 0;
  term.Events().repaint = [&](TermCore&) { ++repaints; };
  term.WriteText("text\r\n", true);
  EXPECT_EQ(term.curline(), 0);
  EXPECT_EQ(repaints, 0);
}

// A filter that treats '#' as a one-byte command answered with "!".
class HashFilter : public TelnetFilter {
 public:
  int Parse(std::string& data, std::string& output) override {
    if (data[0] == '#') {
      data.erase(0, 1);
      output = "!";
      return 35;
    }
    size_t hash = data.find('#');
    output = data.substr(0, hash);
    data.erase(0, output.size());
    return ParseText;
  }
};

TEST(ReceivePath, TelnetAnswersGoOutInOneWriteBeforeTheText) {
  TermFixture f;
  HashFilter filter;
  f.term.SetTelnet(&filter);
  f.options.telnet = true;
  std::vector<std::string> events;
  f.term.Events().repaint = [&](TermCore& t) {
    events.push_back("repaint:" + t.Store().Current().text);
  };
  f.term.WriteText("a#b#c", true);
  EXPECT_EQ(f.socket.writes, Lines{"!!"});
  EXPECT_EQ(f.Current(), "abc");
  f.term.WriteText("##", true);  // only commands: answered, still repainted
  EXPECT_EQ(f.socket.writes, (Lines{"!!", "!!"}));
  EXPECT_EQ(events, (Lines{"repaint:abc", "repaint:abc"}));

  f.options.telnet = false;
  f.term.WriteText("#", true);
  EXPECT_EQ(f.Current(), "abc#");
}

// The same stream, whole and cut at every byte, must leave the same store.
TEST(ReceivePath, SplitAnywhereGivesTheSameStoreAsWhole) {
  const std::string stream =
      "\x1b[1;31mRed\x1b[0m plain, \x1b[32mgreen\x1b[0m\r\n"
      "A long line that wraps \x1b[33mat the\x1b[0m edge of the view.\r\n"
      "\x1b(Bcharset \x1b[Kerase\x1b[1m\r\nbold carried\x1b[0m ab\b\bx\r\n"
      "prompt> ";
  auto fill = [&](TermFixture& f) {
    f.options.ansi = true;
    f.options.margin = " ";
    f.term.ClearTerminal();
    f.term.cols = 20;
  };
  TermFixture whole;
  fill(whole);
  whole.term.WriteText(stream, true);
  const std::string expected = DumpStore(whole.term.Store());

  for (size_t cut = 1; cut < stream.size(); ++cut) {
    TermFixture f;
    fill(f);
    f.term.WriteText(stream.substr(0, cut), true);
    f.term.WriteText(stream.substr(cut), true);
    ASSERT_EQ(DumpStore(f.term.Store()), expected) << "cut at " << cut;
  }
  // Every byte a read of its own.
  TermFixture bytes;
  fill(bytes);
  for (char c : stream) bytes.term.WriteText(std::string(1, c), true);
  EXPECT_EQ(DumpStore(bytes.term.Store()), expected);
}

TEST(ReceivePath, AnOverlongUnterminatedSequenceIsDropped) {
  TermFixture f;
  f.options.ansi = true;
  f.term.WriteText("a\x1b[" + std::string(2000, '1'), true);
  f.term.WriteText("xyz", true);
  EXPECT_EQ(f.Current(), "axyz");
  // Status lines do not pick up a kept tail of received data.
  TermFixture g;
  g.options.ansi = true;
  g.term.WriteText("a\x1b[1;3", true);
  g.term.WriteText("local\r\n", false);
  g.term.WriteText("2mHi", true);
  EXPECT_EQ(g.Lines(), (Lines{"alocal", "\x1b[1;32mHi"}));
}

TEST(Logging, CompletedLinesReachTheFileAtOnce) {
  TempDir dir;
  TermFixture f;
  const fs::path log = dir.path / "session.log";
  f.term.SetLogFile(log.string());
  for (int i = 1; i <= 9; ++i) f.term.WriteText("line " + std::to_string(i) + "\r\n", true);
  f.term.WriteText("unterminated", true);
  // Read while the log is still open: nothing waits in a buffer.
  std::string expected;
  for (int i = 1; i <= 9; ++i) expected += "line " + std::to_string(i) + "\r\n";
  EXPECT_EQ(ReadFile(log), expected);

  const fs::path second = dir.path / "second.log";
  f.term.SetLogFile(second.string());
  f.term.WriteText("\r\n", true);
  EXPECT_EQ(ReadFile(log), expected);
  EXPECT_EQ(ReadFile(second), "unterminated\r\n");
  EXPECT_EQ(f.term.logname(), second.string());
}

TEST(Logging, ExistingLogIsAppendedAndAnUnopenableOneTurnsLoggingOff) {
  TempDir dir;
  const fs::path log = dir.path / "a.log";
  std::ofstream(log, std::ios::binary) << "old\r\n";
  TermFixture f;
  f.term.SetLogFile(log.string());
  f.term.WriteText("new\r\n", true);
  EXPECT_EQ(ReadFile(log), "old\r\nnew\r\n");

  f.term.SetLogFile((dir.path / "missing" / "dir" / "x.log").string());
  EXPECT_EQ(f.term.logname(), "");
  ASSERT_EQ(f.errors.size(), 1u);
  EXPECT_EQ(f.errors[0], std::make_pair(std::string("Failed to open logfile for output."),
                                        std::string("File Error")));
}

TEST(SavedBuffer, LoadsBackAsTheSameLines) {
  TempDir dir;
  const fs::path file = dir.path / "buffer.txt";
  TermFixture f;
  f.options.ansi = true;
  f.options.margin = "  ";
  f.term.ClearTerminal();
  f.term.WriteText("\x1b[31mred\r\nplain\r\n", true);
  f.term.SaveBuffer(file.string());
  EXPECT_EQ(ReadFile(file), "  \x1b[31mred\r\n  plain\r\n  \r\n");

  TermFixture g;
  g.options.margin = "  ";
  int tops = 0;
  g.term.Events().showTop = [&](TermCore&) { ++tops; };
  g.term.LoadLog(file.string());
  EXPECT_EQ(g.Lines(), (Lines{"  \x1b[31mred", "  plain", "  ", "  "}));
  EXPECT_EQ(g.term.Store().Line(2).startcolor, 31);
  EXPECT_EQ(tops, 1);
}

TEST(SavedBuffer, LoadingAcceptsBareLineEndsAndSkipsTriggers) {
  TempDir dir;
  const fs::path file = dir.path / "mixed.txt";
  std::ofstream(file, std::ios::binary) << "a\nb\rc\r\nd";
  TermFixture f;
  f.options.triggers.push_back({"t", "b", true, false, {"x"}, ""});
  f.term.LoadLog(file.string());
  EXPECT_EQ(f.Lines(), (Lines{"a", "b", "c", "d", ""}));
  EXPECT_TRUE(f.socket.writes.empty());
}

TEST(SavedBuffer, AFailedSaveKeepsTheOldFileAndReports) {
  TempDir dir;
  const fs::path file = dir.path / "keep.txt";
  std::ofstream(file, std::ios::binary) << "precious\r\n";
  TermFixture f;
  f.term.WriteText("new\r\n", true);
  fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
  bool writable = ::access(dir.path.c_str(), W_OK) == 0;  // root writes anyway
  if (!writable) {
    EXPECT_THROW(f.term.SaveBuffer(file.string()), FileError);
    EXPECT_EQ(ReadFile(file), "precious\r\n");
  }
  fs::permissions(dir.path, fs::perms::owner_all);
  // A target that cannot be replaced (a directory) fails on every account.
  fs::create_directories(dir.path / "adir" / "inner");
  EXPECT_THROW(f.term.SaveBuffer((dir.path / "adir").string()), FileError);
  EXPECT_TRUE(fs::exists(dir.path / "adir" / "inner"));
  for (const auto& e : fs::directory_iterator(dir.path))
    EXPECT_NE(e.path().filename().string().rfind(".adir", 0), 0u) << "temporary file left";
}

}  // namespace
}  // namespace ombrel
