#include <gtest/gtest.h>

#include "accounts/address.h"
#include "accounts/connect_steps.h"

namespace ombrel {
namespace {

TEST(WholeNumber, DecimalHexSignsAndLimits) {
  const std::pair<const char*, long long> valid[] = {
      {"4000", 4000}, {"-12", -12}, {"+7", 7},   {"007", 7}, {"$1F", 31}, {"$ff", 255},
      {"-$10", -16},  {"2147483647", 2147483647}, {"-2147483648", -2147483648LL},
      {"$FFFFFFFF", -1},  // all 32 bits of a hexadecimal value, as the signed number
  };
  for (auto [text, value] : valid) EXPECT_EQ(ParseWholeNumber(text), value) << text;
  for (const char* text : {"", "-", "+", "$", "-$", "1a", "a1", " 1", "1 ", "1.5", "0x10", "$1g",
                           "--1", "$-1", "2147483648", "-2147483649", "$100000000",
                           "99999999999999999999999"})
    EXPECT_FALSE(ParseWholeNumber(text).has_value()) << '"' << text << '"';
}

TEST(NumericAddress, DottedAndBareNumbersButNoNames) {
  for (const char* text : {"10.0.0.1", "127.0.0.1", "4000", "10.1", "1.2.3", "$7f.0.0.$1",
                           "-1.2.3.4", "300.300.300.300"})
    EXPECT_TRUE(IsNumericAddress(text)) << text;
  for (const char* text : {"localhost", "mud.example.org", "10.0.0.1a", "1.2.3.4.5", "", ".",
                           "1..2", "1.2.3.", ".1.2.3", "10.0.0.1 ", "a.b.c.d", "10,0,0,1"})
    EXPECT_FALSE(IsNumericAddress(text)) << '"' << text << '"';
}

TEST(NumericAddress, ValueOfFullAndShortForms) {
  const std::pair<const char*, std::optional<uint32_t>> rows[] = {
      {"127.0.0.1", 0x7F000001u},  {"192.168.0.10", 0xC0A8000Au}, {"10.1", 0x0A000001u},
      {"10.1.300", 0x0A01012Cu},   {"2130706433", 0x7F000001u},   {"$7f.0.0.$1", 0x7F000001u},
      {"255.255.255.255", 0xFFFFFFFFu},
      {"1.2.65535", 0x0102FFFFu},  {"1.16777215", 0x01FFFFFFu},  // the last part fills the rest
      // Parts out of place: too large for their bytes, negative, or no address at all.
      {"$FFFFFFFF", {}},  {"256.0.0.1", {}},  {"1.2.3.256", {}},  {"-1.2.3.4", {}},
      {"1.2.65536", {}},  {"1.16777216", {}}, {"-4000", {}},      {"localhost", {}},
  };
  for (auto [text, value] : rows) EXPECT_EQ(NumericAddressValue(text), value) << text;
}

std::string Planned(const ConnectFields& fields, const TOptionSetList& sets) {
  const ConnectPlan p = PlanConnect(fields, sets);
  return (p.optionSet ? std::to_string(*p.optionSet) : "-") + "|" + p.target + (p.numeric ? "|numeric|" : "|name|") +
         (p.port ? std::to_string(*p.port) : p.portError) + "|" + p.autoSend + p.caption;
}

TEST(ConnectSteps, ServerPortAndOptionSetAsTheTerminalGetsThem) {
  TOptionSetList sets;
  for (const char* n : {"Default", "Fight", "fight", "Fight"}) sets.AddNew(n);
  // The later of two exact matches; letter case counts, and no exact match keeps the terminal's set.
  EXPECT_EQ(Planned({"Fight", "look\r\n", "Home", "MUD.Example.ORG", " 4000 "}, sets),
            "3|mud.example.org|name|4000|look\r\nHome");
  EXPECT_EQ(Planned({"FIGHT", "", "Lab", "192.168.0.10", "$17"}, sets), "-|192.168.0.10|numeric|23|Lab");
  for (const std::string bad : {"", "4a", "99999999999"})
    EXPECT_EQ(Planned({"Default", "", "X", "host", bad}, sets), "0|host|name|'" + bad + "' is not a valid integer value|X");
}

}  // namespace
}  // namespace ombrel
