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

}  // namespace
}  // namespace ombrel
