#include <gtest/gtest.h>

#include "accounts/address.h"

namespace ombrel {
namespace {

TEST(WholeNumber, DecimalHexAndSigns) {
  EXPECT_EQ(ParseWholeNumber("4000"), 4000);
  EXPECT_EQ(ParseWholeNumber("-12"), -12);
  EXPECT_EQ(ParseWholeNumber("+7"), 7);
  EXPECT_EQ(ParseWholeNumber("007"), 7);
  EXPECT_EQ(ParseWholeNumber("$1F"), 31);
  EXPECT_EQ(ParseWholeNumber("$ff"), 255);
  EXPECT_EQ(ParseWholeNumber("-$10"), -16);
  // All 32 bits of a hexadecimal value are taken, as the signed number.
  EXPECT_EQ(ParseWholeNumber("$FFFFFFFF"), -1);
}

TEST(WholeNumber, RefusesWhatIsNotOneNumber) {
  for (const char* text : {"", "-", "+", "$", "-$", "1a", "a1", " 1", "1 ", "1.5", "0x10", "$1g",
                           "--1", "$-1", "2147483648", "-2147483649", "$100000000",
                           "99999999999999999999999"}) {
    EXPECT_FALSE(ParseWholeNumber(text).has_value()) << '"' << text << '"';
  }
  EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647);
  EXPECT_EQ(ParseWholeNumber("-2147483648"), -2147483648LL);
}

TEST(NumericAddress, DottedAndBareNumbers) {
  for (const char* text : {"10.0.0.1", "127.0.0.1", "192.168.0.10", "4000", "10.1", "1.2.3",
                           "$7f.0.0.$1", "-1.2.3.4", "300.300.300.300"}) {
    EXPECT_TRUE(IsNumericAddress(text)) << text;
  }
}

TEST(NumericAddress, NamesAndMalformedAddresses) {
  for (const char* text : {"localhost", "mud.example.org", "10.0.0.1a", "1.2.3.4.5", "", ".",
                           "1..2", "1.2.3.", ".1.2.3", "10.0.0.1 ", "a.b.c.d", "10,0,0,1",
                           "1.2.3.4.5.6"}) {
    EXPECT_FALSE(IsNumericAddress(text)) << '"' << text << '"';
  }
}

TEST(NumericAddress, ValueOfFullAndShortForms) {
  EXPECT_EQ(NumericAddressValue("127.0.0.1"), 0x7F000001u);
  EXPECT_EQ(NumericAddressValue("192.168.0.10"), 0xC0A8000Au);
  EXPECT_EQ(NumericAddressValue("10.1"), 0x0A000001u);
  EXPECT_EQ(NumericAddressValue("10.1.300"), 0x0A01012Cu);
  EXPECT_EQ(NumericAddressValue("2130706433"), 0x7F000001u);
  EXPECT_EQ(NumericAddressValue("$7f.0.0.$1"), 0x7F000001u);
  EXPECT_EQ(NumericAddressValue("$FFFFFFFF"), std::nullopt);  // -1 as a signed number
  EXPECT_EQ(NumericAddressValue("255.255.255.255"), 0xFFFFFFFFu);
}

TEST(NumericAddress, NoValueForPartsOutOfPlace) {
  for (const char* text : {"256.0.0.1", "1.2.3.256", "-1.2.3.4", "1.2.65536", "1.16777216",
                           "-4000", "localhost", "1.2.3.4.5"}) {
    EXPECT_EQ(NumericAddressValue(text), std::nullopt) << text;
  }
  EXPECT_EQ(NumericAddressValue("1.2.65535"), 0x0102FFFFu);
  EXPECT_EQ(NumericAddressValue("1.16777215"), 0x01FFFFFFu);
}

}  // namespace
}  // namespace ombrel
