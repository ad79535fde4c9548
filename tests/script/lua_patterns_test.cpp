// Lua's string patterns in scripts: the same answers as the standard
// library gives, and a pathological pattern ends within the call's budget
// instead of holding the window.
#include <gtest/gtest.h>

#include "fake_terminal.h"

namespace ombrel {
namespace {

using namespace std::chrono_literals;

// Each expression is echoed through tostring of its results joined by ",".
std::string Eval(const std::string& expression) {
  test::FakeTerminal term;
  ScriptHost host(term);
  term.Errors(host.Run("t.lua", "local r = table.pack(" + expression +
                                    ") for i = 1, r.n do r[i] = tostring(r[i]) end echo(table.concat(r, ',', 1, r.n))"));
  if (term.log.size() != 1) return "log: " + (term.log.empty() ? std::string() : term.log.back());
  return term.log[0].substr(5);
}

TEST(LuaPatterns, AnswersAsTheStandardLibrary) {
  const std::pair<const char*, const char*> cases[] = {
      // find: positions, captures, init, plain
      {"string.find('hello world', 'o w')", "5,7"},
      {"string.find('hello world', 'l+')", "3,4"},
      {"string.find('hello', 'l', -2)", "4,4"},
      {"string.find('hello', 'xyz')", "nil"},
      {"string.find('a.b', '.', 1, true)", "2,2"},
      {"string.find('abc', '', 10)", "nil"},
      {"string.find('abc', '', 4)", "4,3"},
      {"string.find('key = val', '(%w+) = (%w+)')", "1,9,key,val"},
      {"('x'):find('^x$')", "1,1"},
      // match: classes, sets, quantifiers, anchors, captures
      {"string.match('  trim me  ', '^%s*(.-)%s*$')", "trim me"},
      {"string.match('HP: 120/300', '(%d+)/(%d+)')", "120,300"},
      {"string.match('abc123', '[%a]+')", "abc"},
      {"string.match('abc123', '[^%a]+')", "123"},
      {"string.match('x-y', '[a-z]%-[a-z]')", "x-y"},
      {"string.match('aaa', 'a-b')", "nil"},
      {"string.match('color', 'colou?r')", "color"},
      {"string.match('hello', '()ll()')", "3,5"},
      {"string.match('f(a(b)c)d', '%b()')", "(a(b)c)"},
      {"string.match('THE (quick) fox', '%f[%a]%a+%f[%A]', 5)", "quick"},
      {"string.match('abab', '(ab)%1')", "ab"},
      {"string.match('end$', 'd%$$')", "d$"},
      {"string.match('a$b', 'a$b')", "a$b"},
      // gmatch: all matches, empty matches once each, init
      {"(function() local t = {} for k, v in string.gmatch('a=1, b=2', '(%w+)=(%w+)') do t[#t+1] = k .. v end "
       "return table.concat(t, ' ') end)()",
       "a1 b2"},
      {"(function() local n = 0 for _ in ('abc'):gmatch('x*') do n = n + 1 end return n end)()", "4"},
      {"(function() local t = {} for w in ('one two three'):gmatch('%a+', 5) do t[#t+1] = w end "
       "return table.concat(t, '|') end)()",
       "two|three"},
      // gsub: strings with %0-%9 and %%, tables, functions, counts, anchors
      {"string.gsub('hello world', 'o', '0')", "hell0 w0rld,2"},
      {"string.gsub('hello world', '(%w+)', '<%1>')", "<hello> <world>,2"},
      {"string.gsub('abc', '%w', '%0%0')", "aabbcc,3"},
      {"string.gsub('50', '%d+', '%0%%')", "50%,1"},
      {"string.gsub('$name is $age', '%$(%w+)', {name = 'Bob', age = 42})", "Bob is 42,2"},
      {"string.gsub('$x $y', '%$(%w+)', {x = 'X'})", "X $y,2"},
      {"string.gsub('abc', '%w', function(c) return c:upper() .. '.' end)", "A.B.C.,3"},
      {"string.gsub('abc', '%w', function() return false end)", "abc,3"},
      {"string.gsub('aaa', 'a', 'b', 2)", "bba,2"},
      {"string.gsub('aaa', '^a', 'b')", "baa,1"},
      {"string.gsub('abc', '', '-')", "-a-b-c-,4"},
      {"string.gsub('hello', '()', '%1')", "1h2e3l4l5o6,6"},
  };
  for (const auto& [expression, expected] : cases) EXPECT_EQ(Eval(expression), expected) << expression;
}

TEST(LuaPatterns, MalformedPatternsAreErrorsAtTheScriptLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"string.find('a', '%')", "malformed pattern (ends with '%')"},
      {"string.find('a', '[a')", "malformed pattern (missing ']')"},
      {"string.find('a', '%b')", "missing arguments to '%b'"},
      {"string.find('a', '%f')", "missing '[' after '%f' in pattern"},
      {"string.find('a', '(a')", "unfinished capture"},
      {"string.match('a', 'a)')", "invalid pattern capture"},
      {"string.find('a', '%1')", "invalid capture index %1"},
      {"string.gsub('a', 'a', '%2')", "invalid capture index %2"},
      {"string.gsub('a', 'a', '%x')", "invalid use of '%' in replacement string"},
      {"string.gsub('a', 'a', {a = {}})", "invalid replacement value (a table)"},
      {"string.find('a', string.rep('(', 40))", "too many captures"},
      {"string.match(string.rep('a', 300), string.rep('a?', 300))", "pattern too complex"},
  };
  for (const auto& [expression, message] : cases) {
    test::FakeTerminal term;
    ScriptHost host(term);
    const ScriptHost::Errors errors = host.Run("p.lua", std::string("\n") + expression);
    ASSERT_EQ(errors.size(), 1u) << expression;
    EXPECT_EQ(errors[0].rfind("p.lua:2: ", 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find(message), std::string::npos) << expression << ": " << errors[0];
  }
}

// A pattern that backtracks for hours in the standard library ends with the
// budget's error, which pcall cannot catch, whichever function runs it.
TEST(LuaPatterns, PathologicalPatternsEndWithinTheBudget) {
  const char* calls[] = {
      "string.find(s, '.-.-.-.-.-.-b')",
      "pcall(string.match, s, '.-.-.-.-.-.-b')",
      "for _ in s:gmatch('a*a*a*a*a*a*b') do end",
      "s:gsub('.-.-.-.-.-.-b', 'x')",
  };
  for (const char* call : calls) {
    test::FakeTerminal term;
    ScriptHost host(term, {.budget = 30ms});
    const auto start = std::chrono::steady_clock::now();
    const ScriptHost::Errors errors = host.Run("p.lua", std::string("local s = string.rep('a', 1e5)\n") + call +
                                                            "\necho('went on')");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, 200ms) << call;
    ASSERT_EQ(errors.size(), 1u) << call;
    EXPECT_EQ(errors[0], "p.lua:2: the script ran longer than 30 ms") << call;
    EXPECT_TRUE(term.log.empty()) << call;
    // The state goes on: the next call has a budget of its own.
    term.Errors(host.Run("q.lua", "echo(('abc'):match('b.'))"));
    EXPECT_EQ(term.log, std::vector<std::string>{"echo bc"}) << call;
  }
}

}  // namespace
}  // namespace ombrel
