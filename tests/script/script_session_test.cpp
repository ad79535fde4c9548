// Scripts in a terminal session: what the server gets and what the
// terminal shows when a set's script runs, and that with the switch off
// the terminal is as it was.
#include <gtest/gtest.h>

#include <map>

#include "file_fixture.h"
#include "script/script_session.h"
#include "term/term_fakes.h"

namespace ombrel {
namespace {

using namespace std::chrono_literals;

struct NoView : ScrollTarget, ParamPrompt {
  void ScrollBy(int) override {}
  int Rows() const override { return 24; }
  int CurLine() const override { return 0; }
  std::string Ask(const std::string&) override { return {}; }
};

struct ManualClock : ScriptClock {
  std::map<int, std::chrono::milliseconds> waiting;
  void Start(int id, std::chrono::milliseconds delay) override { waiting[id] = delay; }
  void Stop(int id) override { waiting.erase(id); }
};

// A terminal with set "Main" (telnet off, so bytes are as sent) and a
// script folder holding `script` as Main.lua.
struct ScriptedTerminal {
  test::TempDir dir;
  TOptions options;
  NoView view;
  ManualClock clock;
  std::unique_ptr<TermSession> session;
  testing::RecordingSocket* socket = nullptr;
  std::unique_ptr<ScriptSession> scripts;

  explicit ScriptedTerminal(const std::string& script, bool on = true, std::chrono::milliseconds budget = 30ms) {
    options.name = "Main";
    options.ansi = true;
    options.features.scripts = on;
    options.triggers.push_back(TTrigger{.name = "t", .string = "dragon", .textenabled = true, .text = {"classic"}});
    test::WriteBytes(dir / "Main.lua", script);
    session = std::make_unique<TermSession>(&options, view, view);
    auto owned = std::make_unique<testing::RecordingSocket>();
    socket = owned.get();
    session->SetSocket(std::move(owned));
    session->Core().ClearTerminal();
    scripts = std::make_unique<ScriptSession>(*session, clock, dir.path.string(), ScriptLimits{.budget = budget});
  }
  void Connect() {
    session->Core().clientsocketLookup();
    session->Core().clientsocketConnect();
  }
  void Receive(const std::string& text) { session->Core().clientsocketRead(text); }
  std::vector<std::string> Sent() const { return socket->writes; }
  // The stored lines, from the first that holds `from`.
  std::vector<std::string> Shown() const {
    std::vector<std::string> out;
    const TermCore& core = session->Core();
    for (int i = 0; i < core.curline(); ++i) out.emplace_back(core.Store().Line(i).text);
    return out;
  }
  bool ShowsLineWith(const std::string& text) const {
    for (const std::string& line : Shown())
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
};

constexpr const char* kScript = R"lua(
vars.seen = (vars.seen or 0)
on("connect", function() sendRaw("hello") end)
trigger("^(\\w+) arrives from the (\\w+)", function(line, who, where)
  vars.seen = vars.seen + 1
  send("greet " .. who .. "|look " .. where)
end)
trigger("dragon", function() send("flee") end)
alias("^cc (\\w+)$", function(line, who) send("cast cure " .. who) send("look " .. who) end)
timer(2, function() send("save") end, true)
)lua";

TEST(ScriptSession, ScriptActsOnLinesAliasesAndTimers) {
  ScriptedTerminal t(kScript);
  t.Connect();
  EXPECT_EQ(t.Sent(), std::vector<std::string>{"hello\r\n"});  // its "connect" handler saw it come up

  // A colour sequence does not hide the line's start from the pattern;
  // the captures fill the reply, which goes through the separator.
  t.Receive("\x1b[1;33mBob\x1b[0m arrives from the north.\r\n");
  EXPECT_EQ(t.Sent(), (std::vector<std::string>{"hello\r\n", "greet Bob\r\n", "look north\r\n"}));

  // The set's own trigger answers first, the script's after it.
  t.socket->writes.clear();
  t.Receive("A dragon lands.\r\n");
  EXPECT_EQ(t.Sent(), (std::vector<std::string>{"classic\r\n\r\n", "flee\r\n"}));

  // A typed alias becomes two commands; a line it does not match is sent.
  t.socket->writes.clear();
  t.session->Type("cc Ann");
  t.session->Type("cc");
  EXPECT_EQ(t.Sent(), (std::vector<std::string>{"cast cure Ann\r\n", "look Ann\r\n", "cc\r\n"}));

  // The repeating timer waits on the clock and sends when it falls due.
  ASSERT_EQ(t.clock.waiting.size(), 1u);
  EXPECT_EQ(t.clock.waiting.begin()->second, 2000ms);
  t.socket->writes.clear();
  t.scripts->RunTimer(t.clock.waiting.begin()->first);
  EXPECT_EQ(t.Sent(), std::vector<std::string>{"save\r\n"});
  EXPECT_EQ(t.clock.waiting.size(), 1u);

  // Disconnecting saves vars, which the next connection starts from.
  t.session->Core().clientsocketDisconnect();
  EXPECT_NE(test::ReadBytes(t.dir / "Main.vars").find("seen = 1"), std::string::npos);
  t.socket->active = true;
  t.Connect();
  t.Receive("Cy arrives from the east.\r\n");
  t.session->Core().clientsocketDisconnect();
  EXPECT_NE(test::ReadBytes(t.dir / "Main.vars").find("seen = 2"), std::string::npos);
}

// Lines no enabled trigger can match are ruled out before the script hears
// them; whatever a call changes (a trigger made, switched, killed, a "line"
// handler) counts from the next line on.
TEST(ScriptSession, LinesAreHeardAsTriggersChange) {
  ScriptedTerminal t(R"lua(
    local wyrm = trigger("wyrm (\\w+)", function(line, colour) send("saw " .. colour) end)
    trigger("^pen$", function() trigger("zebra", function() send("stripes") end) end)
    trigger("^calm$", function() disable(wyrm) end)
    trigger("^wild$", function() enable(wyrm) end)
    trigger("^once$", function() trigger("kobold", function() send("hoot") end, {once = true}) end)
    timer(1, function() on("line", function(line) send("heard " .. line) end) end)
  )lua");
  t.Connect();
  const std::pair<const char*, std::vector<std::string>> steps[] = {
      {"zebra", {}},
      {"pen", {}},
      {"a zebra", {"stripes"}},
      {"wyrm red", {"saw red"}},
      {"calm", {}},
      {"wyrm blue", {}},
      {"wild", {}},
      {"\x1b[31mwyrm\x1b[0m green", {"saw green"}},
      {"once", {}},
      {"kobold", {"hoot"}},
      {"kobold", {}},
  };
  for (const auto& [line, sent] : steps) {
    t.socket->writes.clear();
    t.Receive(std::string(line) + "\r\n");
    std::vector<std::string> expected;
    for (const std::string& s : sent) expected.push_back(s + "\r\n");
    EXPECT_EQ(t.Sent(), expected) << line;
  }
  // A "line" handler hears every line.
  t.scripts->RunTimer(t.clock.waiting.begin()->first);
  t.socket->writes.clear();
  t.Receive("quiet\r\n");
  EXPECT_EQ(t.Sent(), std::vector<std::string>{"heard quiet\r\n"});
}

TEST(ScriptSession, SwitchedOffNothingChanges) {
  ScriptedTerminal t(kScript, false);
  EXPECT_FALSE(t.session->Core().Listeners().HearLines());
  t.Connect();
  t.Receive("Bob arrives from the north.\r\nA dragon lands.\r\n");
  t.session->Type("cc Ann");
  t.scripts->Reload();
  EXPECT_EQ(t.Sent(), (std::vector<std::string>{"classic\r\n\r\n", "cc Ann\r\n"}));
  EXPECT_TRUE(t.clock.waiting.empty());
  EXPECT_EQ(t.scripts->Host(), nullptr);
  EXPECT_TRUE(t.ShowsLineWith("Scripts are off for this option set"));
  t.session->Core().clientsocketDisconnect();
  EXPECT_FALSE(std::filesystem::exists(t.dir / "Main.vars"));

  // Switched off while running: the scripts stop at the next line.
  ScriptedTerminal u(kScript);
  u.Connect();
  u.options.features.scripts = false;
  u.Receive("Bob arrives from the north.\r\n");
  EXPECT_EQ(u.Sent(), std::vector<std::string>{"hello\r\n"});
  EXPECT_TRUE(u.clock.waiting.empty());
  EXPECT_FALSE(u.session->Core().Listeners().HearLines());
}

// Errors are status lines with the file and the line; the terminal and the
// script's other triggers go on.
TEST(ScriptSession, ErrorsAreStatusLinesAndTheTerminalGoesOn) {
  const struct {
    const char* script;
    const char* message;
    std::chrono::milliseconds budget = 30ms;
  } cases[] = {
      {"trigger('x', function() \n  local a = nil + 1 end)\ntrigger('y', function() send('yes') end)",
       "Main.lua:2: attempt to perform arithmetic on a nil value"},
      {"trigger('x', function()\n while true do end end)\ntrigger('y', function() send('yes') end)",
       "Main.lua:2: the script ran longer than 30 ms"},
      // Filling 64 MiB takes a loaded machine longer than 30 ms.
      {"trigger('x', function()\n local s, t = ('x'):rep(1 << 20), {} for i = 1, 100 do t[i] = s .. i end end)\n"
       "trigger('y', function() send('yes') end)",
       "not enough memory (a script may hold 64 MiB)", 5s},
  };
  for (const auto& [script, message, budget] : cases) {
    ScriptedTerminal t(script, true, budget);
    t.Connect();
    const auto start = std::chrono::steady_clock::now();
    t.Receive("x\r\ny\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << script;
    EXPECT_TRUE(t.ShowsLineWith(message)) << script << "\n" << ::testing::PrintToString(t.Shown());
    EXPECT_EQ(t.Sent(), std::vector<std::string>{"yes\r\n"}) << script;
    t.Receive("after\r\n");
    EXPECT_TRUE(t.ShowsLineWith("after"));
  }
  // A syntax error when loading: said, and the terminal connects as ever.
  ScriptedTerminal bad("trigger('x', function()\nend end");
  bad.Connect();
  EXPECT_TRUE(bad.ShowsLineWith("Main.lua:2: ')' expected (to close '(' at line 1) near 'end'")) << ::testing::PrintToString(bad.Shown());
  EXPECT_TRUE(bad.ShowsLineWith("Connection established"));
}

TEST(ScriptSession, EchoAndLoadingPoints) {
  ScriptedTerminal t("echo('loaded ' .. (vars.n or 0)) vars.n = (vars.n or 0) + 1");
  // Not connected: applying the set loads nothing.
  t.socket->active = false;
  t.scripts->SetApplied();
  EXPECT_FALSE(t.ShowsLineWith("loaded"));
  t.socket->active = true;
  t.Connect();  // lookup, then connecting: loaded once
  t.session->Core().clientsocketConnecting();
  EXPECT_EQ(t.Shown().size(), 4u);  // looking up, loaded 0, connecting, established
  EXPECT_EQ(t.Shown()[1], "loaded 0");
  // Applied to the live terminal and reloaded: each saves vars first.
  t.scripts->SetApplied();
  t.scripts->Reload();
  EXPECT_TRUE(t.ShowsLineWith("loaded 1"));
  EXPECT_TRUE(t.ShowsLineWith("loaded 2"));
  EXPECT_TRUE(t.ShowsLineWith("Scripts loaded from Main.lua."));
  // An echo after a prompt gets a line of its own.
  t.Receive("Password: ");
  t.scripts->Reload();
  EXPECT_TRUE(t.ShowsLineWith("loaded 3"));
  EXPECT_EQ(t.Shown()[t.Shown().size() - 3], "Password: ");
}

// Gagged lines are taken out of the terminal; the lines around them stay,
// and what the gagging trigger sends still goes.
TEST(ScriptSession, GaggedLinesAreNotShown) {
  ScriptedTerminal t(R"lua(
trigger("secret", function() send("hush") end, {gag = true})
on("line", function(line) if line:find("spam") then gag() end end)
)lua");
  t.Connect();
  t.Receive("one\r\nthe secret word\r\n\x1b[31mtwo\x1b[0m\r\nspam spam\r\nthree\r\n");
  const std::vector<std::string> shown = t.Shown();
  EXPECT_EQ(std::vector<std::string>(shown.end() - 3, shown.end()),
            (std::vector<std::string>{"one", "\x1b[31mtwo\x1b[0m", "three"}));
  EXPECT_EQ(t.Sent(), std::vector<std::string>{"hush\r\n"});
}

// A trigger's highlight is painted on the matched characters of the stored
// line, past colour sequences and the margin, whether the set's triggers
// are classic or pattern triggers; a gagged line leaves none behind for the
// line that takes its place.
TEST(ScriptSession, HighlightsArePaintedOnTheMatchedText) {
  for (const bool patterns : {false, true}) {
    for (const std::string margin : {"", ">>"}) {
      ScriptedTerminal t(R"lua(
trigger("orcs?", nil, {highlight = "#ff4040"})
trigger("secret", nil, {gag = true})
)lua");
      t.options.features.patterns = patterns;
      t.options.margin = margin;
      t.Connect();
      t.Receive("an \x1b[31morc\x1b[0m and orcs\r\nsecret orc\r\nplain\r\n");
      const TermCore& core = t.session->Core();
      const int32_t first = core.curline() - 2;
      const auto m = static_cast<uint32_t>(margin.size());
      const std::vector<RawHighlight> expected = {{m + 8, m + 11, 0x4040FF, {}}, {m + 20, m + 24, 0x4040FF, {}}};
      const auto got = core.HighlightsOf(first);
      EXPECT_EQ(std::vector<RawHighlight>(got.begin(), got.end()), expected) << patterns << margin;
      EXPECT_EQ(core.Store().Line(first + 1).text, margin + "plain");
      EXPECT_TRUE(core.HighlightsOf(first + 1).empty()) << patterns << margin;
    }
  }
}

// enable and disable with a group's name switch the set's pattern
// triggers of that group too, from the next line on.
TEST(ScriptSession, GroupsOfTheSetsTriggersAreSwitchedByScripts) {
  ScriptedTerminal t(R"lua(
alias("^loot (\\w+)$", function(line, how) echo((how == "on" and enable or disable)("loot")) end)
)lua");
  t.options.features.patterns = true;
  TTrigger loot{.name = "loot", .string = "^You see (\\w+)\\.$", .textenabled = true, .text = {"get %1"}};
  loot.pattern.kind = TriggerKind::regex;
  loot.pattern.group = "loot";
  t.options.triggers = {loot};
  t.options.patterns.groupsoff = {"loot"};
  t.Connect();
  t.Receive("You see gold.\r\n");
  EXPECT_TRUE(t.Sent().empty());
  t.session->Type("loot on");
  EXPECT_TRUE(t.ShowsLineWith("1"));  // the one trigger in the group
  t.Receive("You see gems.\r\n");
  EXPECT_EQ(t.Sent(), std::vector<std::string>{"get gems\r\n\r\n"});
  t.session->Type("loot off");
  t.Receive("You see rubies.\r\n");
  EXPECT_EQ(t.Sent().size(), 1u);
}

// A damaged vars file is said, and left as it was after the session.
TEST(ScriptSession, DamagedVarsAreSaidAndKept) {
  ScriptedTerminal t("vars.n = 1");
  const std::string damaged = "{ n = 1,\n  broken = \"never closed }\n";
  test::WriteBytes(t.dir / "Main.vars", damaged);
  t.Connect();
  EXPECT_TRUE(t.ShowsLineWith("Main.vars:2: ")) << ::testing::PrintToString(t.Shown());
  t.session->Core().clientsocketDisconnect();
  EXPECT_TRUE(t.ShowsLineWith("could not be read when the script was loaded"));
  EXPECT_EQ(test::ReadBytes(t.dir / "Main.vars"), damaged);
}

}  // namespace
}  // namespace ombrel
