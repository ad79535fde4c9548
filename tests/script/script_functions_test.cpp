// The functions scripts call, one case a row: a script, what happens to
// the terminal (lines received, commands typed, time passing, connection
// and game data), and everything the terminal is asked, in order.
#include <gtest/gtest.h>

#include "fake_terminal.h"
#include "file_fixture.h"

namespace ombrel {
namespace {

using namespace std::chrono_literals;

struct Case {
  const char* what;
  const char* script;
  std::vector<std::string> steps;  // "line ...", "type ...", "wait <ms>", "connect", "disconnect", "gmcp <msg> <hp>"
  std::vector<std::string> log;
};

const Case kCases[] = {
    {"each way out, and print as the interpreter prints",
     R"(send("n") sendRaw("\255x") echo("\27[31mred") sound("bell.wav") print("hp", 10, nil, true))",
     {},
     {"send n", "raw \xffx", "echo \x1b[31mred", "sound bell.wav", "echo hp\t10\tnil\ttrue"}},
    {"a trigger gets the line and its captures, and acts after the line is shown",
     R"(trigger("(\\w+) attacks (you|me)( now)?", function(line, who, whom, now)
          send("kill " .. who) echo(line .. "|" .. whom .. "|" .. tostring(now)) end))",
     {"line The rat attacks you!", "line nothing here"},
     {"shown The rat attacks you!", "send kill rat", "echo The rat attacks you!|you|nil", "shown nothing here"}},
    {"line handlers first, then triggers in the order made",
     R"(trigger("x", function() echo("T1") end)
        trigger("x", function() echo("T2") end)
        on("line", function(l) echo("L " .. l) end))",
     {"line x"},
     {"shown x", "echo L x", "echo T1", "echo T2"}},
    {"gag and highlight as options, gag() from a handler",
     R"(trigger("secret", nil, {gag = true})
        trigger("gold", nil, {highlight = "#FFd700"})
        on("line", function(l) if l:find("spam") then gag() end end))",
     {"line a secret", "line 10 gold coins", "line spam", "line plain"},
     {"gagged a secret", "shown 10 gold coins [3+4 ffd700]", "gagged spam", "shown plain"}},
    {"once fires one time",
     R"(trigger("x", function() echo("once") end, {once = true}))",
     {"line x", "line x"},
     {"shown x", "echo once", "shown x"}},
    {"groups and ids switch triggers off and on",
     R"(local id = trigger("x", function() echo("A") end, {group = "combat"})
        trigger("x", function() echo("B") end, {group = "combat"})
        alias("^off$", function() echo(disable("combat")) end)
        alias("^on1$", function() enable(id) end))",
     {"type off", "line x", "type on1", "line x"},
     {"echo 2", "shown x", "shown x", "echo A"}},
    {"a trigger killed or enabled earlier on the same line",
     R"(local late
        trigger("x", function() kill(late) echo("first") end)
        late = trigger("x", function() echo("killed") end)
        local off = trigger("y", function() echo("enabled") end)
        disable(off)
        on("line", function(l) if l == "y" then enable(off) end end))",
     {"line x", "line y"},
     {"shown x", "echo first", "shown y", "echo enabled"}},
    {"an alias turns a typed line into two commands; others go to the server",
     R"(alias("^cc (\\w+)$", function(line, who) send("cast cure " .. who) send("look") end))",
     {"type cc bob", "type look"},
     {"send cast cure bob", "send look", "typed look"}},
    {"one-shot and repeating timers on the terminal's clock",
     R"(timer(1, function() echo("once") end)
        local n = 0
        local id
        id = timer(0.5, function() n = n + 1 echo("beat " .. n) if n == 3 then kill(id) end end, true)
        local never = timer(0.2, function() echo("never") end)
        kill(never))",
     {"wait 999", "wait 1", "wait 5000"},
     {"echo beat 1", "echo once", "echo beat 2", "echo beat 3"}},
    {"connection events",
     R"(on("connect", function() send("look") end) on("disconnect", function() echo("bye") end))",
     {"connect", "disconnect"},
     {"send look", "echo bye"}},
    {"game data: handlers by name without regard to case, the gmcp table kept",
     R"(on("gmcp.Char.Vitals", function(v, name) echo(name .. " " .. v.hp .. " " .. gmcp.char.vitals.hp) end)
        on("gmcp.char.status", function(v) echo(gmcp.char.Status.hp) end))",
     {"gmcp char.vitals 41", "gmcp Char.Status 1", "gmcp Room.Info 2"},
     {"echo char.vitals 41 41", "echo 1"}},
    {"sendGMCP as JSON",
     R"(sendGMCP("Core.Supports.Set", {"Char 1", "Room 1"})
        sendGMCP("Core.Hello", {client = {1.5, true, {}}})
        sendGMCP("Core.Ping")
        sendGMCP("X", "caf\xe9 \"q\"\n"))",
     {},
     {"gmcp Core.Supports.Set [\"Char 1\",\"Room 1\"]", "gmcp Core.Hello {\"client\":[1.5,true,{}]}", "gmcp Core.Ping ", "gmcp X \"caf\xc3\xa9 \\\"q\\\"\\u000a\""}},
    {"a failing function is reported at its line and the next one runs",
     "trigger('x', function() local t\n t.f = 1 end)\ntrigger('x', function() echo('next') end)",
     {"line x"},
     {"shown x", "echo next", "error t.lua:2: attempt to index a nil value (local 't')"}},
};

void Play(const Case& c, test::FakeTerminal& term, ScriptHost& host) {
  term.Errors(host.Run("t.lua", c.script));
  for (const std::string& step : c.steps) {
    const auto space = step.find(' ');
    const std::string verb = step.substr(0, space), arg = space == std::string::npos ? "" : step.substr(space + 1);
    if (verb == "line") term.Line(host, arg);
    if (verb == "type") term.Type(host, arg);
    if (verb == "wait") term.Advance(host, std::chrono::milliseconds(std::stoi(arg)));
    if (verb == "connect") term.Errors(host.Connected());
    if (verb == "disconnect") term.Errors(host.Disconnected());
    if (verb == "gmcp") {
      const auto at = arg.find(' ');
      ScriptValue v = ScriptValue::Table().Set(ScriptValue::Str("hp"), ScriptValue::Int(std::stoi(arg.substr(at + 1))));
      term.Errors(host.GmcpReceived(arg.substr(0, at), v, v));
    }
  }
}

TEST(ScriptFunctions, Cases) {
  for (const Case& c : kCases) {
    test::FakeTerminal term;
    ScriptHost host(term);
    Play(c, term, host);
    EXPECT_EQ(term.log, c.log) << c.what;
  }
}

// A wrong call is reported at the script's line, whether Lua or the
// function called found the mistake.
TEST(ScriptFunctions, MistakesAreReportedAtTheirLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"trigger('(', print)", "trigger: bad pattern \"(\": missing closing parenthesis at 2"},
      {"gag()", "gag: there is no line to gag here"},
      {"on('tick', print)", "on: unknown event \"tick\""},
      {"sendGMCP('X', {f = print})", "sendGMCP: a function has no JSON form"},
      {"timer(-1, print)", "timer: seconds must be from 0 to 2000000"},
      {"trigger('x', nil, {colour = 1})", "trigger: unknown option \"colour\""},
      {"trigger('x', nil, {highlight = 'red'})", "trigger: highlight must be a colour"},
      {"send({})", "bad argument #1 to 'send' (string expected, got table)"},
      {"error('plain', 0)", "plain"},
      {"error(setmetatable({}, {__tostring = function() return 'object' end}))", "object"},
      {"error({})", "(error object is a table value)"},
      {"x = = 1", "unexpected symbol near '='"},
  };
  for (const auto& [line, message] : cases) {
    test::FakeTerminal term;
    ScriptHost host(term);
    const ScriptHost::Errors errors = host.Run("t.lua", std::string("local a = 1\n") + line);
    ASSERT_EQ(errors.size(), 1u) << line;
    EXPECT_EQ(errors[0].rfind(std::string("t.lua:2: ") + message, 0), 0u) << errors[0];
  }
}

// Commands a script sends pass the classic aliases but never the script's
// own: an alias that sends what it matches does not call itself forever.
TEST(ScriptFunctions, SentCommandsSkipScriptAliases) {
  test::FakeTerminal term;
  ScriptHost host(term);
  term.aliases = &host;
  term.Errors(host.Run("t.lua", R"(alias("^k$", function() send("k") send("k2") end))"));
  term.Type(host, "k");
  EXPECT_EQ(term.log, (std::vector<std::string>{"send k", "typed k", "send k2", "typed k2"}));
}

}  // namespace
}  // namespace ombrel

namespace ombrel {
namespace {

// The example of the scripting guide does what the guide says.
TEST(ScriptFunctions, TheGuidesExampleWorks) {
  const std::string guide = test::ReadBytes(std::string(OMBREL_TEST_DATA) + "/../../docs/scripting.md");
  const size_t start = guide.find("```lua\n") + 7;
  test::TempDir dir;
  test::WriteBytes(dir / "Main.lua", guide.substr(start, guide.find("```", start) - start));
  test::WriteBytes(dir / "Main.vars", "{ kills = 4 }");
  test::FakeTerminal term;
  ScriptHost host(term);
  term.Errors(host.Load(dir.path.string(), "Main", false));
  term.Errors(host.Connected());
  term.Line(host, "The goblin hits you hard! [12]");
  term.Line(host, "The troll hits you brutally! [45]");
  term.Line(host, "You killed the goblin.");
  term.Type(host, "cc bob");
  term.Advance(host, std::chrono::seconds(300));
  EXPECT_EQ(term.log, (std::vector<std::string>{"echo Counting from 4 kills.",
                                                "shown The goblin hits you hard! [12] [0+30 ff4040]",
                                                "shown The troll hits you brutally! [45] [0+33 ff4040]",
                                                "send quaff healing", "shown You killed the goblin.",
                                                "echo \x1b[1;32mthe goblin is kill number 5\x1b[0m",
                                                "send get all from corpse", "send cast 'cure light' bob",
                                                "send look bob", "echo Damage taken: 57, kills: 5"}));
  EXPECT_EQ(host.SaveVars(), "");
  EXPECT_EQ(test::ReadBytes(dir / "Main.vars"),
            "-- Saved script variables. Read as data only: code here is never run.\n{\n  damage = 57,\n  kills = 5,\n}\n");
}

}  // namespace
}  // namespace ombrel
