#include "accounts/accounts_file.h"

#include <gtest/gtest.h>

#include "file_fixture.h"

namespace ombrel {
namespace {

std::string Crlf(std::initializer_list<const char*> lines) {
  std::string s;
  for (const char* l : lines) s += std::string(l) + "\r\n";
  return s;
}

TOptionSetList Sets(std::initializer_list<const char*> names) {
  TOptionSetList sets;
  for (const char* n : names) sets.AddNew(n);
  return sets;
}

TEST(Account, TextToLinesAndBack) {
  EXPECT_EQ(TextToLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(TextToLines("a\n\r\n"), (Lines{"a", ""}));
  EXPECT_TRUE(TextToLines("").empty());
  // A comment ending with a line break keeps the same number of lines.
  EXPECT_EQ(TextToLines("x\r\ny\r\n"), TextToLines("x\r\ny"));
  EXPECT_EQ(LinesToText({"a", ""}), "a\r\n\r\n");
}

TEST(Account, ListIsSortedIgnoringCaseAndKeepsEqualNamesInOrder) {
  TAccountList list;
  for (const char* n : {"beta", "Alpha", "gamma", "ALPHA", "alpha"}) list.Insert(NewAccount(n));
  std::string order;
  for (int i = 0; i < list.Count(); ++i) order += list.NameAt(i) + " ";
  EXPECT_EQ(order, "Alpha ALPHA alpha beta gamma ");
  EXPECT_TRUE(list.IndexOfNoCase("GAMMA") == 4 && !list.IndexOfNoCase("delta"));
  list.At(0).name = "zulu";  // keeps its place until the next load
  EXPECT_EQ(list.Insert(NewAccount("b")), 3);
}

// A new account as Add makes it, and one edited: the sixteen lines of the file.
TEST(AccountsFile, HomeAndTestAreTheSixteenLines) {
  const std::string golden = test::Golden("accounts/home_test.dat");
  TAccountList list;
  list.Insert(NewAccount("Test"));
  list.Insert(std::make_unique<TAccount>(
      TAccount{"Home", "127.0.0.1", "4000", "Default", {"No Comments"}, {"look", "who"}}));
  EXPECT_EQ(FormatAccounts(list), golden);

  test::TempDir dir;
  test::WriteBytes(dir / "accounts.dat", golden);
  ReadResult r = LoadAccounts(dir / "accounts.dat", list, Sets({"default"}));
  ASSERT_TRUE(r.ok && r.existed);
  EXPECT_EQ(FormatAccounts(list), golden);
}

TEST(AccountsFile, ReadingRulesAndHugeCounts) {
  TAccountList list;
  // Any file order reads sorted; unknown sets become "Default", known ones
  // keep their letter case; lone LF line ends are accepted, CR LF written.
  std::string file =
      Crlf({"zed", "h", "1", "gone", "0", "0", "Zed", "h", "2", "MUD", "1", "say hi", "0"}) +
      "amy\nh\n3\nmud\n-4\n0\n";
  ASSERT_TRUE(ParseAccounts(file, list, Sets({"Mud"})).ok);
  EXPECT_EQ(FormatAccounts(list),
            Crlf({"amy", "h", "3", "mud", "0", "0", "zed", "h", "1", "Default", "0", "0", "Zed",
                  "h", "2", "MUD", "1", "say hi", "0"}));

  ReadResult r = ParseAccounts(Crlf({"a", "h", "1", "Default", "0", "0", "b", "h", "1", "Default", "two"}),
                    list, Sets({}));
  EXPECT_EQ(r.error, "'two' is not a valid integer value");
  EXPECT_EQ(list.Count(), 1);

  // Comments running past the end: the account keeps the lines there are.
  ASSERT_TRUE(
      ParseAccounts(Crlf({"a", "h", "1", "x", "0", "2000000000", "only"}), list, Sets({})).ok);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.At(0).comments, Lines{"only"});
  // Auto-send running past the end leaves the comment count missing; the
  // whole accounts before it stay.
  r = ParseAccounts(Crlf({"ok", "h", "1", "x", "0", "0", "b", "h", "1", "x", "2000000000", "l1"}),
                    list, Sets({}));
  EXPECT_TRUE(!r.ok && list.Count() == 1);
  EXPECT_EQ(r.error + list.NameAt(0), "'' is not a valid integer valueok");
}

TEST(AccountsFile, FileFailures) {
  test::TempDir dir;
  TAccountList list, more;
  list.Insert(NewAccount("dropped"));
  ReadResult r = LoadAccounts(dir / "none.dat", list, Sets({}));
  EXPECT_TRUE(r.ok && !r.existed && list.Empty());

  list.Insert(NewAccount("first"));
  for (int i = 0; i < 5; ++i) more.Insert(NewAccount("more"));
  const std::string path = dir / "new/data/accounts.dat";
  test::ExpectFailedSaveKeepsFile(
      path, [&] { return SaveAccounts(path, list); }, [&] { return SaveAccounts(path, more); });
}

// Random accounts read back equal; damaged files read or fail with their message.
TEST(AccountsFile, RandomAccountsRoundTripAndDamagedFilesAreSafe) {
  std::mt19937 rng(777);
  const TOptionSetList sets = Sets({"Default", "Mud", "Other"});
  const char* setNames[] = {"Default", "mud", "OTHER", "deleted"};
  for (int round = 0; round < 100; ++round) {
    TAccountList list, back;
    for (int i = rng() % 6; i > 0; --i) {
      auto a = std::make_unique<TAccount>();
      for (std::string* s : {&a->name, &a->server, &a->port}) *s = test::RandomText(rng, 5, true);
      a->optionset = setNames[rng() % 4];
      for (Lines* l : {&a->autoSend, &a->comments})
        for (int n = rng() % 4; n > 0; --n) l->push_back(test::RandomText(rng, 10, true));
      list.Insert(std::move(a));
    }
    ASSERT_TRUE(ParseAccounts(FormatAccounts(list), back, sets).ok);
    ASSERT_EQ(back.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) {
      if (list.At(i).optionset == "deleted") list.At(i).optionset = "Default";
      EXPECT_TRUE(back.At(i) == list.At(i)) << "round " << round << " entry " << i;
    }
  }
  const std::string golden = test::Golden("accounts/home_test.dat");
  TAccountList damaged;
  for (int round = 0; round < 500; ++round) {
    ReadResult r = ParseAccounts(
        test::Damaged(rng, golden, {"0", "3", "-1", "99999999999", "2147483647", "x", ""}), damaged,
        sets);
    EXPECT_TRUE(r.ok || r.error.find("is not a valid integer value") != std::string::npos)
        << r.error;
  }
}

}  // namespace
}  // namespace ombrel
