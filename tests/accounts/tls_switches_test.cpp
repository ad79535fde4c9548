#include "accounts/tls_switches.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "accounts/accounts_file.h"

namespace ombrel {
namespace {

TAccountList Named(const std::vector<const char*>& names) {
  TAccountList list;
  for (const char* n : names) list.Insert(NewAccount(n));
  return list;
}

std::string Switches(const TAccountList& list) {
  std::string s;
  for (int i = 0; i < list.Count(); ++i) s += list.At(i).tls ? '1' : '0';
  return s;
}

// What a file holds for each account, in list order, and what is written
// back unchanged: a file of the versions before, byte for byte.
TEST(TlsSwitches, EachAccountReadsItsOwnSwitch) {
  const char* const same = nullptr;
  const std::tuple<const char*, std::vector<const char*>, const char*, const char*, const char*> rows[] = {
      {"Mud\t1\r\n# note\r\nInn\t1\r\n", {"Inn", "Keep", "Mud", "mud"}, "1011", same, "a name's line is all of it"},
      {"Mud\t010\r\n", {"Mud", "mud", "MUD", "Inn"}, "0010", same, "one character per account of the name"},
      {"Mud\t0\r\n", {"Mud", "Mud"}, "01", "Mud\t01\r\n", "beyond the value: on"},
      {"Mud\tx\r\n", {"Mud"}, "1", "Mud\t1\r\n", "a value this version does not know: on"},
      {"Tab\tin name\t1\r\n", {"Tab\tin name"}, "1", same, "a tab in the name"},
  };
  for (const auto& [file, names, expected, written, why] : rows) {
    TAccountList list = Named(names);
    TlsSwitches tls;
    tls.File().Parse(file);
    tls.Apply(list);
    EXPECT_EQ(Switches(list), expected) << why;
    tls.Update(list);
    EXPECT_EQ(tls.File().Format(), written ? written : file) << why;
  }
}

// Whatever the manager does to accounts of one name or of others (add,
// rename, delete, switch on or off), a save and a load give every account
// back its own switch, and a name no account bears any more leaves nothing
// behind for the next account of that name.
TEST(TlsSwitches, NoEditTurnsAnotherAccountsSwitch) {
  std::mt19937 rng(25);
  const char* names[] = {"Mud", "mud", "MUD", "Inn", "a\tb"};
  const TOptionSetList sets;
  for (int run = 0; run < 300; ++run) {
    TAccountList list;
    TlsSwitches tls;
    int made = 0;
    for (int step = 0; step < 40; ++step) {
      const int n = list.Count();
      const int at = n ? static_cast<int>(rng() % n) : -1;
      switch (n ? rng() % 5 : 0) {
        case 0: {
          auto a = NewAccount(names[rng() % 5]);
          a->server = std::to_string(made++);  // tells the accounts apart
          list.Insert(std::move(a));
          break;
        }
        case 1: list.At(at).name = names[rng() % 5]; break;
        case 2: list.RemoveAt(at); break;
        case 3: list.At(at).tls = !list.At(at).tls; break;
        default: {
          std::map<std::string, bool> before;
          for (int i = 0; i < n; ++i) before[list.At(i).server] = list.At(i).tls;
          tls.Update(list);
          ASSERT_TRUE(ParseAccounts(FormatAccounts(list), list, sets).ok);
          tls.File().Parse(tls.File().Format());
          tls.Apply(list);
          for (int i = 0; i < n; ++i) ASSERT_EQ(list.At(i).tls, before[list.At(i).server]) << "run " << run;
        }
      }
    }
  }
}

}  // namespace
}  // namespace ombrel
