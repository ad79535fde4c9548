#include "accounts/connect_steps.h"

#include <gtest/gtest.h>

namespace ombrel {
namespace {

TEST(ConnectSteps, ServerPortAndOptionSetAsTheTerminalGetsThem) {
  TOptionSetList sets;
  sets.AddNew("Default");
  sets.AddNew("Fight");
  sets.AddNew("fight");
  sets.AddNew("Fight");
  ConnectPlan p = PlanConnect({"Fight", "look\r\n", "Home", "MUD.Example.ORG", " 4000 "}, sets);
  EXPECT_EQ(p.optionSet, 3);  // the later of two exact matches; letter case counts
  EXPECT_EQ(p.target, "mud.example.org");
  EXPECT_FALSE(p.numeric);
  EXPECT_EQ(p.port, 4000);
  EXPECT_EQ(p.autoSend, "look\r\n");
  EXPECT_EQ(p.caption, "Home");

  p = PlanConnect({"FIGHT", "", "Lab", "192.168.0.10", "$17"}, sets);
  EXPECT_FALSE(p.optionSet.has_value());  // no exact match: the terminal keeps its set
  EXPECT_TRUE(p.numeric);
  EXPECT_EQ(p.port, 23);

  for (const char* bad : {"", "4a", "99999999999"}) {
    p = PlanConnect({"Default", "", "X", "host", bad}, sets);
    EXPECT_FALSE(p.port.has_value()) << bad;
    EXPECT_EQ(p.portError, std::string("'") + bad + "' is not a valid integer value");
  }
}

}  // namespace
}  // namespace ombrel
