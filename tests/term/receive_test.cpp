#include <gtest/gtest.h>

#include "file_fixture.h"
#include "term_fakes.h"

namespace ombrel {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using test::ReadBytes, test::TempDir, test::WriteBytes;

TEST(ConnectionNotices, StatusAndErrorLinesInTheirOrderAndAQuietReconnect) {
  TermFixture f;
  int disconnectUpdates = 0, captions = 0;
  f.hooks.connection = [&](ConnectionState, bool) { ++disconnectUpdates; };
  f.hooks.caption = [&](const std::string&) { ++captions; };
  f.term.clientsocketLookup();
  f.term.clientsocketConnecting();
  f.term.clientsocketConnect();
  f.term.caption = "Home";
  f.term.clientsocketDisconnect();
  f.term.reconnecting = 1;  // a reconnect does not report the disconnect
  f.term.clientsocketDisconnect();
  EXPECT_EQ(f.term.caption, "Not Connected");
  EXPECT_EQ(std::make_pair(disconnectUpdates, captions), std::make_pair(5, 2));
  for (auto kind : {SocketErrorKind::General, SocketErrorKind::Send, SocketErrorKind::Receive,
                    SocketErrorKind::Connect, SocketErrorKind::Lookup, SocketErrorKind::Disconnect})
    f.term.clientsocketError(kind);
  EXPECT_EQ(f.All(), (Lines{"Looking up host...", "Connecting to mud.example.org:4000...", "Connection established...",
                            "Disconnected.", "General Socket Error.", "Socket Send Error.", "Socket Read Error.",
                            "Failed to connect.", "Error while disconnecting.", ""}));
  EXPECT_EQ(f.socket.closes, 1);  // only after the disconnect error
}

TEST(ReceivePath, ASequenceCutOffWhenAConnectionDroppedDoesNotSwallowTheNextOnesText) {
  TermFixture f({.ansi = true});
  f.term.WriteText("a\x1b[1;3", true);
  f.term.clientsocketDisconnect();
  f.term.clientsocketConnect();
  f.term.WriteText("Hi", true);
  EXPECT_EQ(f.All().back(), "Hi");
}

TEST(ReceivePath, NothingHappensWithoutAnOptionSet) {
  TermCore term(nullptr);
  int repaints = 0;
  Hooks hooks;
  hooks.textShown = [&] { ++repaints; };
  term.Listeners().Add(hooks);
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
    output = data.substr(0, data.find('#'));
    data.erase(0, output.size());
    return ParseText;
  }
};

TEST(ReceivePath, TelnetAnswersGoOutInOneWriteBeforeTheText) {
  TermFixture f({.telnet = true});
  HashFilter filter;
  f.term.SetTelnet(&filter);
  Lines events;
  f.hooks.textShown = [&] { events.push_back("repaint:" + f.term.Store().CurrentText()); };
  f.term.WriteText("a#b#c", true);
  f.term.WriteText("##", true);  // only commands: answered, still repainted
  EXPECT_EQ(f.socket.writes, (Lines{"!!", "!!"}));
  EXPECT_EQ(events, (Lines{"repaint:abc", "repaint:abc"}));
  f.options.telnet = false;
  f.term.WriteText("#", true);
  EXPECT_EQ(f.All().back(), "abc#");
}

// Cut anywhere, or byte by byte, a stream stores what it stores whole:
// escapes, wraps and backspaces, and UTF-8 characters cut in two.
TEST(ReceivePath, SplitAnywhereGivesTheSameStoreAsWhole) {
  const std::pair<std::string, TermSetup> cases[] = {
      {"\x1b[1;31mRed\x1b[0m plain, \x1b[32mgreen\x1b[0m\r\n"
       "A long line that wraps \x1b[33mat the\x1b[0m edge of the view.\r\n"
       "\x1b(Bcharset \x1b[Kerase\x1b[1m\r\nbold carried\x1b[0m ab\b\bx\r\n"
       "prompt> ",
       {.ansi = true, .margin = " ", .cols = 20}},
      {"\x1b[1;31m東京\x1b[0m café, nai\xcc\x88ve \xf0\x9f\x99\x82 \xe6\x9d \xc3\r\n"
       "A long line of 漢字 and \xff invalid \xed\xa0\x80 bytes that wraps.\r\nab東\b\bx prompt> \xe4\xba",
       {.ansi = true, .margin = " ", .cols = 11, .utf8 = true}},
      // Backspaces after line ends, wraps and sequences; strings read whole.
      {"ab\n\bc\r\n\x1b[1m\bbold \x1b]8;;https://x.y/z\aa link\x1b]8;;\x1b\\ that wraps\b\b\b here\r\n"
       " 中中中中 \b中\xe4\b\xb8\r\x1bP1$r\x1b\x1b\\\b\r\n",
       {.ansi = true, .cols = 9, .utf8 = true, .extended = true}},
  };
  for (const auto& [stream, setup] : cases) {
    TermFixture whole(setup);
    whole.term.WriteText(stream, true);
    const std::string expected = DumpStore(whole.term.Store());
    for (size_t cut = 1; cut < stream.size(); ++cut) {
      TermFixture f(setup);
      f.term.WriteText(stream.substr(0, cut), true);
      f.term.WriteText(stream.substr(cut), true);
      ASSERT_EQ(DumpStore(f.term.Store()), expected) << "cut at " << cut;
    }
    TermFixture bytes(setup);
    for (char c : stream) bytes.term.WriteText(std::string(1, c), true);
    EXPECT_EQ(DumpStore(bytes.term.Store()), expected);
  }
}

TEST(ReceivePath, RecordedSessionMatchesTheGoldenDump) {
  const std::string session = ReadBytes(OMBREL_TEST_DATA "/term/mud_session.bin");
  const std::string golden = ReadBytes(OMBREL_TEST_DATA "/term/mud_session.golden");
  for (size_t chunk : {session.size(), size_t{1}, size_t{7}, size_t{64}}) {
    TermFixture f({.ansi = true, .cols = 40, .rows = 3});
    for (size_t i = 0; i < session.size(); i += chunk) f.term.WriteText(session.substr(i, chunk), true);
    EXPECT_EQ(DumpStore(f.term.Store()), golden) << "reads of " << chunk;
    EXPECT_EQ(f.socket.writes.size(), 1u);  // the status report's answer
  }
}

// A log named as a web page, with the switch on: the head once, each line as
// the terminal paints it the moment it is stored; a later session goes on
// in the page's own charset; off, or under another name, the log is plain.
TEST(Logging, HtmlPagesWhenSwitchedOn) {
  TempDir dir;
  const std::string page = dir / "game.HTML", plain = dir / "game.log", off = dir / "off.html";
  TermFixture f({.ansi = true});
  f.options.features.htmllog = true;
  f.term.caption = "Zork";
  const std::string text = "\x1b[31mred\x1b[0m & <b>\r\n";
  for (const std::string& name : {page, plain}) f.term.SetLogFile(name), f.term.WriteText(text, true);
  const std::string head = HtmlLogHead(f.options, PageCharset::Latin1, "Zork");
  const std::string line = "<span style=\"color:#7f0000\">red</span> &amp; &lt;b&gt;\r\n";
  EXPECT_EQ(ReadBytes(page), head + line);
  EXPECT_EQ(ReadBytes(plain), text);
  f.options.features.utf8 = true;  // the page was begun in Latin-1, and goes on so
  f.term.SetLogFile(page), f.term.WriteText("caf\xc3\xa9\r\n", true);
  EXPECT_EQ(ReadBytes(page), head + line + "caf\xe9\r\n");
  f.options.features.htmllog = false;
  f.term.SetLogFile(off), f.term.WriteText(text, true);
  EXPECT_EQ(ReadBytes(off), text);
}

TEST(Logging, CompletedLinesReachTheFileAtOnceAndAppend) {
  TempDir dir;
  const std::string log = dir / "session.log", second = dir / "second.log";
  WriteBytes(log, "old\r\n");
  TermFixture f;
  f.term.SetLogFile(log);
  const std::string expected = "old\r\nline 1\r\nline 2\r\n";
  f.term.WriteText("line 1\r\nline 2\r\nunterminated", true);
  EXPECT_EQ(ReadBytes(log), expected);  // read while open: nothing waits in a buffer

  f.term.SetLogFile(second);
  f.term.WriteText("\r\n", true);
  EXPECT_EQ(ReadBytes(log), expected);
  EXPECT_EQ(ReadBytes(second), "unterminated\r\n");
  EXPECT_EQ(f.term.logname(), second);
  f.term.SaveBuffer(second), WriteBytes(log, "loaded\n");  // a new file: logging goes on in it
  f.term.WriteText("after\r\n", true), f.term.LoadLog(log);  // loaded lines are logged at once
  EXPECT_EQ(ReadBytes(second), "line 1\r\nline 2\r\nunterminated\r\n\r\nafter\r\nloaded\r\n");

  f.term.SetLogFile(dir / "missing/dir/x.log");
  EXPECT_EQ(f.term.logname(), "");  // logging is off
  // A failed load keeps the buffer and is the caller's to say.
  const ReadResult gone = f.term.LoadLog(dir / "gone.txt"), isDir = f.term.LoadLog(dir.path);
  EXPECT_EQ(f.All(), (Lines{"loaded", ""}));
  EXPECT_EQ(f.errors, (std::vector<std::pair<std::string, std::string>>{
                          {"Failed to open logfile for output.", "File Error"}}));
  EXPECT_EQ((std::vector<std::pair<bool, std::string>>{{gone.ok, gone.error}, {isDir.ok, isDir.error}}),
            (std::vector<std::pair<bool, std::string>>{
                {false, "cannot open " + dir / "gone.txt" + ": No such file or directory"},
                {false, "cannot read " + dir.path.string() + ": Is a directory"}}));
}

TEST(SavedBuffer, LoadsBackAsTheSameLinesLoadingAcceptsBareLineEndsWithoutTriggersAndAFailedSaveReports) {
  TempDir dir;
  const std::string file = dir / "buffer.txt", mixed = dir / "mixed.txt";
  TermFixture f({.ansi = true, .margin = "  "});
  f.term.WriteText("\x1b[31mred\r\nplain\r\n", true);
  f.term.SaveBuffer(file);
  EXPECT_EQ(ReadBytes(file), "  \x1b[31mred\r\n  plain\r\n  \r\n");

  TermFixture g({.margin = "  "});
  int tops = 0;
  g.hooks.logLoaded = [&] { ++tops; };
  g.term.LoadLog(file);
  EXPECT_EQ(g.All(), (Lines{"  \x1b[31mred", "  plain", "  ", "  "}));
  EXPECT_EQ(g.term.Store().Line(2).start.color, 31);
  EXPECT_EQ(tops, 1);

  WriteBytes(mixed, "a\nb\rc\r\nd");
  g.options.triggers.push_back({"t", "b", true, false, {"x"}, ""});
  g.term.LoadLog(mixed);
  EXPECT_EQ(g.All(), (Lines{"a", "b", "c", "d", "  "}));  // lines as read, then a fresh current line
  EXPECT_TRUE(g.socket.writes.empty());

  // A target that cannot be replaced: a directory.
  fs::create_directories(dir.path / "adir" / "inner");
  const WriteResult failed = f.term.SaveBuffer(dir / "adir");
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.error.find(dir / "adir"), std::string::npos) << failed.error;
  EXPECT_TRUE(fs::exists(dir.path / "adir" / "inner"));
  for (const auto& e : fs::directory_iterator(dir.path))
    EXPECT_NE(e.path().filename().string().rfind(".adir", 0), 0u) << "temporary file left";
}

}  // namespace
}  // namespace ombrel
