#include <gtest/gtest.h>

#include "options/options.h"

namespace ombrel {
namespace {

TEST(OptionSet, NewSetHasEveryDefault) {
  TOptions o;
  EXPECT_EQ(o.name, "");
  EXPECT_EQ(o.bgcolor, 0u);
  EXPECT_EQ(o.textbrightcolor, 14737632u);
  EXPECT_EQ(o.font.name, "fixedsys");
  EXPECT_EQ(o.font.size, 9);
  EXPECT_EQ(o.font.style, 0);
  EXPECT_EQ(o.textcolor(), 8421504u);
  EXPECT_FALSE(o.ansi || o.scrollbar || o.localecho);
  EXPECT_FALSE(o.telnet || o.telnetinit || o.telopnaws || o.teloplinemode);
  EXPECT_EQ(o.margin, "");
  EXPECT_TRUE(o.triggers.empty());
  EXPECT_TRUE(o.aliases.empty());
  EXPECT_EQ(o.macros.size(), 9u);
  for (const auto& m : o.macros) EXPECT_TRUE(m.text.empty());
  EXPECT_EQ(o.historysize, 50);
  EXPECT_EQ(o.pipechar, "|");
  EXPECT_EQ(o.pathchar, "/");
  EXPECT_EQ(o.paramstart, "[");
  EXPECT_EQ(o.paramend, "]");
  EXPECT_TRUE(o.stdpasteprefix.empty() && o.stdpastesuffix.empty());
  EXPECT_TRUE(o.altpasteprefix.empty() && o.altpastesuffix.empty());
}

TEST(OptionSet, AnsiMapIsTheStandardColours) {
  const uint32_t expected[16] = {0,       127,     32512,    32639,    8323072,  8323199,
                                 8355584, 8355711, 5263440,  255,      65280,    65535,
                                 16711680, 16711935, 16776960, 16777215};
  TOptions o;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(o.ansimap[i], expected[i]) << "entry " << i;
}

TEST(OptionSetList, NameComparisons) {
  TOptionSetList list;
  list.AddNew("Mud");
  TOptions& d1 = list.AddNew("default");
  TOptions& d2 = list.AddNew("Default");
  list.AddNew("Default");

  EXPECT_EQ(list.IndexOfNoCase("DEFAULT"), 1);
  EXPECT_EQ(list.IndexOfExact("Default"), 2);
  EXPECT_EQ(list.LastIndexOfExact("Default"), 3);
  EXPECT_FALSE(list.LastIndexOfExact("mud").has_value());
  EXPECT_EQ(list.IndexOf(&d2), 2);

  EXPECT_EQ(list.DefaultFallback(), &d1);
  // Deleting "default" must not leave its terminals on the deleted set.
  EXPECT_EQ(list.DefaultFallback(&d1), &d2);
}

TEST(OptionSetList, ReferencesSurviveChangesToTheList) {
  TOptionSetList list;
  TOptions& first = list.AddNew("A");
  for (int i = 0; i < 100; ++i) list.AddNew("x" + std::to_string(i));
  list.RemoveAt(1);
  EXPECT_EQ(&list.At(0), &first);
  EXPECT_EQ(first.name, "A");
}

}  // namespace
}  // namespace ombrel
