// What a script cannot do: reach files or the system, load bytecode, run
// without end, hold memory without bound, or leave its folder by require.
// After each attempt the host still reads lines.
#include <gtest/gtest.h>

#include "fake_terminal.h"
#include "file_fixture.h"

namespace ombrel {
namespace {

using namespace std::chrono_literals;

// The host still works: a trigger made now fires on the next line.
void ExpectStillWorks(test::FakeTerminal& term, ScriptHost& host) {
  term.log.clear();
  term.Errors(host.Run("after.lua", "trigger('ping', function() send('pong') end)"));
  term.Line(host, "ping");
  EXPECT_EQ(term.log, (std::vector<std::string>{"shown ping", "send pong"}));
}

TEST(ScriptSandbox, OnlyTheSafeLibraries) {
  test::FakeTerminal term;
  ScriptHost host(term);
  // Each expression names something a script must not have.
  const char* absent[] = {"io", "debug", "package", "coroutine", "dofile", "loadfile", "warn",
                          "os.execute", "os.getenv", "os.remove", "os.rename", "os.exit", "os.tmpname",
                          "os.setlocale", "string.dump"};
  std::string script = "local found = {}\n";
  for (const char* name : absent) script += std::string("if ") + name + " ~= nil then found[#found+1] = '" + name + "' end\n";
  script += "echo(table.concat(found, ' '))\n";
  // What it keeps.
  script += "echo(type(string.format) .. type(table.sort) .. type(math.floor) .. type(utf8.char) ..\n"
            "  math.type(os.time()) .. math.type(os.clock()) .. type(os.date('%Y-%m-%d %H:%M:%S')))";
  term.Errors(host.Run("t.lua", script));
  EXPECT_EQ(term.log, (std::vector<std::string>{"echo ", "echo functionfunctionfunctionfunctionintegerfloatstring"}));
}

TEST(ScriptSandbox, RefusedUses) {
  const std::pair<const char*, const char*> cases[] = {
      // load of bytecode (a precompiled chunk's signature) and in binary mode
      {"local f, e = load('\\27Lua\\84\\0') assert(f == nil) error(e, 0)", "attempt to load a binary chunk"},
      {"load('return 1', 'x', 'b')", "load: only text chunks can be loaded"},
      // conversions some C libraries abort on
      {"os.date('%Q')", "os.date: \"%Q\" is no conversion"},
      {"os.date('%Ez')", "os.date: \"%z\" is no conversion"},
      {"os.date('%')", "os.date: the format ends inside a conversion"},
      // a collector stopped would keep every garbage until the bound
      {"collectgarbage('stop')", "invalid option 'stop'"},
      {"collectgarbage('generational')", "invalid option 'generational'"},
      // a finalizer runs where no budget reaches: a loop in it never ends
      {"setmetatable({}, {__gc = function() while true do end end}) collectgarbage()",
       "t.lua:1: setmetatable: scripts cannot have finalizers (__gc)"},
  };
  for (const auto& [line, message] : cases) {
    test::FakeTerminal term;
    ScriptHost host(term);
    const ScriptHost::Errors errors = host.Run("t.lua", line);
    ASSERT_EQ(errors.size(), 1u) << line;
    EXPECT_NE(errors[0].find(message), std::string::npos) << line << ": " << errors[0];
  }
  // Text chunks still load, with an environment of their own.
  test::FakeTerminal term;
  ScriptHost host(term);
  term.Errors(host.Run("t.lua", "echo(load('return x', 'c', 't', {x = 7})() .. collectgarbage('count') // 1e9)"));
  // Metatables without finalizers still work, and a field added later
  // makes none (the loop would never end).
  term.Errors(host.Run("t.lua", "local mt = {__index = function() return 5 end}\n"
                                "local a, b = setmetatable({}, mt), setmetatable({}, mt)\n"
                                "mt.__gc = function() while true do end end a = nil collectgarbage() echo(b.x)"));
  EXPECT_EQ(term.log, (std::vector<std::string>{"echo 70.0", "echo 5"}));
}

// Runaway code ends with an error a little after its budget, even when it
// tries to catch that error, and the host goes on.
TEST(ScriptSandbox, RunawayCodeEnds) {
  const char* runaways[] = {
      "while true do end",
      "while true do pcall(function() while true do end end) end",
      "while true do xpcall(function() while true do end end, function() while true do end end) end",
      "local function f() return f() end f()",  // a tail call: no stack grows
      "trigger('x', function() while true do end end)",
  };
  for (const char* script : runaways) {
    test::FakeTerminal term;
    ScriptHost host(term, {.budget = 30ms});
    const auto start = std::chrono::steady_clock::now();
    term.Errors(host.Run("t.lua", script));
    term.Line(host, "x");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(std::count_if(term.log.begin(), term.log.end(),
                            [](const std::string& e) { return e.starts_with("error t.lua:1: the script ran longer than 30 ms"); }),
              1)
        << script;
    // Generous for a loaded machine; without the budget it never ends.
    EXPECT_LT(took, 2s) << script;
    ExpectStillWorks(term, host);
  }
}

// Memory beyond the bound is an error the script cannot catch; what it
// held is collected and the host goes on.
TEST(ScriptSandbox, MemoryIsBounded) {
  const char* bombs[] = {
      "local s = 'x' while true do s = s .. s end",
      "local t = {} for i = 1, 1e9 do t[i] = i end",
      "local s = string.rep('x', 1 << 25)",
      "local t = {} while true do t[#t + 1] = string.rep('y', 1 << 20) .. #t end",
      "while true do pcall(string.rep, 'x', 1 << 30) end",
  };
  for (const char* script : bombs) {
    test::FakeTerminal term;
    ScriptHost host(term, {.budget = 5s, .memory = 16u << 20});
    term.Errors(host.Run("t.lua", script));
    ASSERT_EQ(term.log.size(), 1u) << script;
    EXPECT_NE(term.log[0].find("not enough memory (a script may hold 16 MiB)"), std::string::npos) << term.log[0];
    EXPECT_LE(host.MemoryUsed(), 16u << 20);
    ExpectStillWorks(term, host);
  }
}

TEST(ScriptSandbox, RequireStaysInTheScriptsFolder) {
  test::TempDir dir;
  const std::string scripts = dir / "scripts";
  std::filesystem::create_directories(scripts + "/lib");
  test::WriteBytes(scripts + "/lib/util.lua", "local name = ... return {name = name}");
  test::WriteBytes(scripts + "/loop.lua", "return require('loop')");
  test::WriteBytes(dir / "secret.lua", "return 'secret'");
  std::filesystem::create_symlink(dir / "secret.lua", scripts + "/link.lua");
  std::filesystem::create_symlink(dir.path, scripts + "/up");
  test::WriteBytes(scripts + "/Main.lua",
                   "local u = require('lib.util') assert(require('lib.util') == u) echo(u.name)\n"
                   "for _, m in ipairs({'../secret', '/etc/passwd', 'link', 'up.secret', 'lib..util', 'loop', 'none'}) do\n"
                   "  local ok, e = pcall(require, m) echo(m .. ' ' .. tostring(ok) .. ' ' .. e) end");
  test::FakeTerminal term;
  ScriptHost host(term);
  term.Errors(host.Load(scripts, "Main", false));
  const std::vector<std::string> want = {
      "echo lib.util",
      "echo ../secret false Main.lua:3: require: \"../secret\" names no module of the scripts folder",
      "echo /etc/passwd false Main.lua:3: require: \"/etc/passwd\" names no module",
      "echo link false Main.lua:3: require: link.lua leads out of the scripts folder",
      "echo up.secret false Main.lua:3: require: up/secret.lua leads out of the scripts folder",
      "echo lib..util false Main.lua:3: require: \"lib..util\" names no module",
      "echo loop false loop.lua:1: require: \"loop\" requires itself",
      "echo none false Main.lua:3: require: there is no none.lua in the scripts folder",
  };
  ASSERT_EQ(term.log.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(term.log[i].rfind(want[i], 0), 0u) << term.log[i];
}

}  // namespace
}  // namespace ombrel
