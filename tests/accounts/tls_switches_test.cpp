#include "accounts/tls_switches.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "accounts/accounts_file.h"

namespace ombrel {
namespace {

// What a file holds for each account, in list order, and what is written
// back unchanged: a file of the versions before, byte for byte.
TEST(TlsSwitches, EachAccountReadsItsOwnSwitch) {
  const std::tuple<const char*, std::vector<const char*>, const char*, const char*> rows[] = {
      {"Mud\t1\r\n# note\r\nInn\t1\r\n", {"Inn", "Keep", "Mud", "mud"}, "1011", nullptr},  // all of a name
      {"Mud\t010\r\n", {"Mud", "mud", "MUD", "Inn"}, "0010", nullptr},  // one character each
      {"Mud\t0\r\n", {"Mud", "Mud"}, "01", "Mud\t01\r\n"},             // beyond the value: on
      {"Mud\tx\r\n", {"Mud"}, "1", "Mud\t1\r\n"},                      // a value not known: on
  };
  for (const auto& [file, names, expected, written] : rows) {
    TAccountList list;
    for (const char* n : names) list.Insert(NewAccount(n));
    TlsSwitches tls;
    tls.File().Parse(file);
    tls.Apply(list);
    std::string switches;
    for (int i = 0; i < list.Count(); ++i) switches += list.At(i).tls ? '1' : '0';
    EXPECT_EQ(switches, expected) << file;
    tls.Update(list);
    EXPECT_EQ(tls.File().Format(), written ? written : file);
  }
}

// Whatever the manager does to accounts of one name or of others (add,
// rename, delete, switch on or off), a save and a load give every account
// back its own switch, and a name no account bears any more leaves no line
// behind.
TEST(TlsSwitches, NoEditTurnsAnotherAccountsSwitch) {
  std::mt19937 rng(25);
  const char* names[] = {"Mud", "mud", "MUD", "Inn", "a\tb"};
  for (int run = 0; run < 300; ++run) {
    TAccountList list;
    TlsSwitches tls;
    for (int step = 0, made = 0; step < 40; ++step) {
      const int n = list.Count(), at = n ? static_cast<int>(rng() % n) : 0, op = n ? rng() % 5 : 0;
      // The server tells the accounts apart.
      if (op == 0) list.At(list.Insert(NewAccount(names[rng() % 5]))).server = std::to_string(made++);
      if (op == 1) list.At(at).name = names[rng() % 5];
      if (op == 2) list.RemoveAt(at);
      if (op == 3) list.At(at).tls = !list.At(at).tls;
      if (op != 4) continue;
      std::map<std::string, bool> before;
      for (int i = 0; i < n; ++i) before[list.At(i).server] = list.At(i).tls;
      tls.Update(list);
      for (const std::string& line : SplitFileLines(tls.File().Format()))
        ASSERT_TRUE(list.IndexOfNoCase(line.substr(0, line.rfind('\t')))) << line;  // nothing left behind
      ASSERT_TRUE(ParseAccounts(FormatAccounts(list), list, TOptionSetList()).ok);
      tls.File().Parse(tls.File().Format());
      tls.Apply(list);
      for (int i = 0; i < n; ++i) ASSERT_EQ(list.At(i).tls, before[list.At(i).server]) << "run " << run;
    }
  }
}

}  // namespace
}  // namespace ombrel
