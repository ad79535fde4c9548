// `vars` kept between sessions: the file format read back exactly, a
// damaged file reported and never written over, values with no data form
// refused with the path to them; and the file names of a set's scripts.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fake_terminal.h"
#include "file_fixture.h"

namespace ombrel {
namespace {

ScriptValue RandomValue(std::mt19937& rng, int depth) {
  switch (rng() % (depth < 3 ? 6 : 5)) {
    case 0: return ScriptValue::Bool(rng() % 2);
    case 1: {
      const int64_t edges[] = {0, -1, INT64_MIN, INT64_MAX, static_cast<int64_t>(rng())};
      return ScriptValue::Int(edges[rng() % 5]);
    }
    case 2: {
      const double edges[] = {0.5, -0.0, 1e300, 3.0, INFINITY, -INFINITY, std::ldexp(static_cast<double>(rng()), -40)};
      return ScriptValue::Num(edges[rng() % 7]);
    }
    case 3:
    case 4: return ScriptValue::Str(test::RandomText(rng, 12, true) + (rng() % 3 ? "" : "\r\n\"\\\0\xff"));
    default: {
      ScriptValue t = ScriptValue::Table();
      for (int i = rng() % 5; i > 0; --i) {
        ScriptValue key = RandomValue(rng, 9);  // no table keys
        if (key.kind == ScriptValue::Kind::number) key = ScriptValue::Int(static_cast<int64_t>(rng() % 50));
        if (std::find(t.keys.begin(), t.keys.end(), key) == t.keys.end()) t.Set(key, RandomValue(rng, depth + 1));
      }
      return t;
    }
  }
}

// Equal values, a table's entries in any order.
bool Same(const ScriptValue& a, const ScriptValue& b) {
  if (a.kind != ScriptValue::Kind::table || b.kind != ScriptValue::Kind::table) return a == b;
  if (a.keys.size() != b.keys.size()) return false;
  for (size_t i = 0; i < a.keys.size(); ++i) {
    const auto at = std::find(b.keys.begin(), b.keys.end(), a.keys[i]);
    if (at == b.keys.end() || !Same(a.values[i], b.values[at - b.keys.begin()])) return false;
  }
  return true;
}

// Any table of data is written and read back to the same bytes; floats
// stay floats and integers integers.
TEST(ScriptVars, FormatReadsBackExactly) {
  std::mt19937 rng(28);
  for (int i = 0; i < 500; ++i) {
    ScriptValue t = ScriptValue::Table();
    t.Set(ScriptValue::Str("v"), RandomValue(rng, 0));
    const std::string text = FormatVars(t);
    ScriptValue back;
    std::string error;
    ASSERT_TRUE(ParseVars(text, back, error)) << error << "\n" << text;
    EXPECT_TRUE(Same(back, t)) << text;
    EXPECT_EQ(FormatVars(back), text);
  }
  ScriptValue back;
  std::string error;
  ASSERT_TRUE(ParseVars("-- edited\nreturn { 'a', x = -0x10, [\"y\"] = { 1.5e1; 'q\\x41\\65\\n' }, nil, z = nil }", back,
                        error))
      << error;
  EXPECT_EQ(back, ScriptValue::Table()
                      .Set(ScriptValue::Int(1), ScriptValue::Str("a"))
                      .Set(ScriptValue::Str("x"), ScriptValue::Int(-16))
                      .Set(ScriptValue::Str("y"), ScriptValue::Table()
                                                      .Set(ScriptValue::Int(1), ScriptValue::Num(15))
                                                      .Set(ScriptValue::Int(2), ScriptValue::Str("qAA\n"))));
}

TEST(ScriptVars, DamagedTextIsRefusedAtItsLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "line 1: a value is expected"},
      {"{\n x = 1\n y = 2 }", "line 3: ',' or '}' is expected"},
      {"{ x = print }", "line 1: a value is expected"},
      {"{ x = os.exit() }", "line 1: a value is expected"},
      {"{ x = \"open\n}", "line 1: a string is not closed"},
      {"{ [nil] = 1 }", "line 1: a key cannot be nil or NaN"},
      {"{ x = 1 } { }", "line 1: unexpected text after the table"},
      {"'text'", "line 1: a table is expected"},
      {"{ x = 0x }", "line 1: a malformed number"},
      {"{ x = '\\400' }", "line 1: bad escape in a string"},
      {"{ x = 1", "line 1: ',' or '}' is expected"},
  };
  for (const auto& [text, message] : cases) {
    ScriptValue v;
    std::string error;
    EXPECT_FALSE(ParseVars(text, v, error)) << text;
    EXPECT_EQ(error, message) << text;
  }
  // Nesting is bounded: a file of brackets costs no stack.
  ScriptValue v;
  std::string error;
  EXPECT_FALSE(ParseVars(std::string(100000, '{'), v, error));
  EXPECT_EQ(error, "line 1: tables are nested too deeply");
}

// Saved when the terminal disconnects, restored at the next load.
TEST(ScriptVars, RoundTripThroughTheHost) {
  test::TempDir dir;
  test::FakeTerminal term;
  ScriptHost host(term);
  test::WriteBytes(dir / "Home.lua", "vars.count = (vars.count or 0) + 1 echo(vars.count .. ' ' .. tostring(vars.t and vars.t.f))");
  term.Errors(host.Load(dir.path.string(), "Home", false));
  EXPECT_FALSE(std::filesystem::exists(dir / "Home.vars"));
  term.Errors(host.Run("x.lua", "vars.t = {f = 1.25, s = 'a\\0b', [3] = true, nested = {{}}}"));
  EXPECT_EQ(host.SaveVars(), "");
  term.Errors(host.Load(dir.path.string(), "Home", false));
  EXPECT_EQ(term.log, (std::vector<std::string>{"echo 1 nil", "echo 2 1.25"}));
  EXPECT_EQ(host.SaveVars(), "");
  EXPECT_EQ(test::ReadBytes(dir / "Home.vars"),
            "-- Saved script variables. Read as data only: code here is never run.\n"
            "{\n  count = 2,\n  t = {\n    [3] = true,\n    f = 1.25,\n    nested = {\n      [1] = {},\n    },\n"
            "    s = \"a\\000b\",\n  },\n}\n");
}

TEST(ScriptVars, WhatCannotBeSavedIsRefusedAndTheFileKept) {
  const std::pair<const char*, const char*> cases[] = {
      {"vars.f = print", "vars.f: a function cannot be saved"},
      {"vars.a = {b = {}} vars.a.b.c = vars.a", "vars.a.b.c: a table that holds itself cannot be saved"},
      {"vars[{}] = 1", "vars[?]: a key of type table cannot be saved"},
      {"vars = 5", "vars: a table is needed, not a number"},
  };
  for (const auto& [script, message] : cases) {
    test::TempDir dir;
    test::WriteBytes(dir / "S.vars", "{ keep = 1 }");
    test::FakeTerminal term;
    ScriptHost host(term);
    term.Errors(host.Load(dir.path.string(), "S", false));
    term.Errors(host.Run("t.lua", script));
    EXPECT_TRUE(term.log.empty()) << script;
    EXPECT_EQ(host.SaveVars().rfind(message, 0), 0u) << script;
    EXPECT_EQ(test::ReadBytes(dir / "S.vars"), "{ keep = 1 }");
  }
}

// A damaged file is said at loading, the script starts with empty vars,
// and what it sets is never written over the file.
TEST(ScriptVars, DamagedFileIsKept) {
  test::TempDir dir;
  const std::string damaged = "{\n hp = 10,\n target = \"rat\n}";
  test::WriteBytes(dir / "S.vars", damaged);
  test::WriteBytes(dir / "S.lua", "echo(tostring(next(vars))) vars.x = 1");
  test::FakeTerminal term;
  ScriptHost host(term);
  term.Errors(host.Load(dir.path.string(), "S", false));
  EXPECT_EQ(term.log, (std::vector<std::string>{"echo nil", "error S.vars:3: a string is not closed; the file is kept as "
                                                "it is, vars start empty and will not be saved until it is mended"}));
  EXPECT_NE(host.SaveVars(), "");
  EXPECT_EQ(test::ReadBytes(dir / "S.vars"), damaged);
}

TEST(ScriptVars, FileNameOfASet) {
  const std::pair<const char*, const char*> cases[] = {
      {"Default", "Default"},
      {"Aardwolf: main", "Aardwolf_ main"},
      {"../../etc/passwd", ".._.._etc_passwd"},
      {"a\\b*c?\"d<e>|f", "a_b_c__d_e__f"},
      {"caf\xc3\xa9 -_.", "caf__ -_."},
      {"tab\there", "tab_here"},
  };
  for (const auto& [set, base] : cases) EXPECT_EQ(ScriptBaseName(set), base) << set;
}

}  // namespace
}  // namespace ombrel
