#include <gtest/gtest.h>

#include "command/typed_line.h"
#include "telnet/echo_option.h"
#include "telnet/telnet_parser.h"

namespace ombrel {
namespace {

using namespace telnet;
std::string B(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(ServerEcho, AcceptedHonouredToldAndTheTypedLineHidden) {
  // Received, whether the set's switch is on, the answers, what the lock was told.
  const std::tuple<std::string, bool, std::string, std::vector<bool>> rows[] = {
      {B({IAC, WILL, 1}), true, B({IAC, DO, 1}), {true}},                                   // a password prompt
      {B({IAC, WILL, 1, IAC, WONT, 1}), true, B({IAC, DO, 1, IAC, DONT, 1}), {true, false}},  // and after it
      {B({IAC, DO, 1}), true, B({IAC, WONT, 1}), {}},     // we never echo for the server
      {B({IAC, WILL, 1}), false, B({IAC, DONT, 1}), {}},  // switched off: refused as ever
  };
  for (const auto& [received, added, expected, toldExpected] : rows) {
    std::vector<bool> told;
    EchoOption echo([&](bool on) { told.push_back(on); });
    TTelnetParser parser;
    if (added) parser.AddOption(&echo);
    std::string data = received, out, answers;
    while (!data.empty())
      if (parser.Parse(data, out) != ParseText) answers += out;
    EXPECT_EQ(std::tie(answers, told), std::tie(expected, toldExpected)) << expected.size();
    const bool on = !told.empty() && told.back();
    EXPECT_EQ(FateOfTypedLine(true, echo.ServerEchoes()),
              (on ? TypedLineFate{.send = true} : TypedLineFate{true, true, true, true}));
    // The connection ends: nobody echoes any more, and the lock goes.
    echo.Reset();
    EXPECT_TRUE(!echo.ServerEchoes() && told.size() == toldExpected.size() + on && !(on && told.back()));
  }
  EXPECT_EQ(FateOfTypedLine(false, false), TypedLineFate{}) << "disconnected: dropped, not kept";
}

}  // namespace
}  // namespace ombrel
