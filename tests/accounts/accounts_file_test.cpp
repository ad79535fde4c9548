#include <gtest/gtest.h>

#include <chrono>

#include "accounts/accounts_file.h"
#include "file_fixture.h"

namespace ombrel {
namespace {

using test::TempDir;

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

TEST(Account, TextAndLineListConversion) {
  EXPECT_EQ(TextToLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(TextToLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(TextToLines("a\n\r\n"), (Lines{"a", ""}));
  EXPECT_TRUE(TextToLines("").empty());
  EXPECT_EQ(LinesToText({"a", ""}), "a\r\n\r\n");
  // A comment ending with a line break keeps the same number of lines.
  EXPECT_EQ(TextToLines(LinesToText({"x", "y"})), (Lines{"x", "y"}));

  auto a = NewAccount("Mud");
  EXPECT_EQ(std::tie(a->name, a->server, a->port, a->optionset), std::make_tuple("Mud", "Host Server Name", "23", "Default"));
  EXPECT_EQ(a->comments, Lines{"No Comments"});
  EXPECT_EQ(TAccount().optionset, "Default");
}

TEST(Account, ListIsSortedIgnoringCaseAndKeepsEqualNamesInOrder) {
  TAccountList list;
  for (const char* n : {"beta", "Alpha", "gamma", "ALPHA", "alpha"}) {
    auto a = NewAccount(n);
    a->port = n;  // tells equal names apart
    list.Insert(std::move(a));
  }
  std::vector<std::string> ports;
  for (int i = 0; i < list.Count(); ++i) ports.push_back(list.At(i).port);
  EXPECT_EQ(ports, (std::vector<std::string>{"Alpha", "ALPHA", "alpha", "beta", "gamma"}));
  EXPECT_EQ(list.IndexOfNoCase("GAMMA"), 4);
  EXPECT_FALSE(list.IndexOfNoCase("delta"));
  list.At(0).name = "zulu";  // keeps its place until the next load
  EXPECT_EQ(list.NameAt(0), "zulu");
  EXPECT_EQ(list.Insert(NewAccount("b")), 3);
}

TEST(AccountsFile, HomeAndTestAreTheSixteenLines) {
  const std::string golden = test::Golden("accounts/home_test.dat");
  TAccountList list;
  auto home = std::make_unique<TAccount>();
  *home = {"Home", "127.0.0.1", "4000", "Default", {"No Comments"}, {"look", "who"}};
  list.Insert(NewAccount("Test"));
  list.Insert(std::move(home));
  EXPECT_EQ(FormatAccounts(list), golden);

  TempDir dir;
  test::WriteBytes(dir / "accounts.dat", golden);
  TAccountList back;
  ReadResult r = LoadAccounts(dir / "accounts.dat", back, Sets({"default"}));
  ASSERT_TRUE(r.ok && r.existed);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.At(0).autoSend, (Lines{"look", "who"}));
  EXPECT_EQ(back.At(1).server, "Host Server Name");
  ASSERT_TRUE(SaveAccounts(dir / "again.dat", back).ok);
  EXPECT_EQ(test::ReadBytes(dir / "again.dat"), golden);
}

TEST(AccountsFile, ReadingRules) {
  TAccountList list;
  // File order does not matter; unknown sets become "Default", known ones
  // keep their letter case as written; lone LF line ends are accepted.
  std::string file = Crlf({"zed", "h", "1", "gone", "0", "0", "Zed", "h", "2", "MUD", "1", "say hi", "0"}) +
                     "amy\nh\n3\nmud\n-4\n0\n";
  ASSERT_TRUE(ParseAccounts(file, list, Sets({"Mud"})).ok);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(std::tie(list.At(0).name, list.At(0).optionset), std::make_tuple("amy", "mud"));
  EXPECT_EQ(std::tie(list.At(1).port, list.At(1).optionset), std::make_tuple("1", "Default"));
  EXPECT_TRUE(list.At(1).autoSend.empty() && list.At(1).comments.empty());
  EXPECT_EQ(list.At(2).autoSend, Lines{"say hi"});
  const std::string out = FormatAccounts(list);
  EXPECT_EQ(out.find("amy\r\nh\r\n3\r\nmud\r\n0\r\n0\r\n"), 0u);
  int crlf = 0;
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i] == '\n') crlf += i > 0 && out[i - 1] == '\r' ? 1 : -100;
  EXPECT_EQ(crlf, 19);

  ReadResult r = ParseAccounts(Crlf({"ok", "h", "1", "Default", "0", "0", "cut", "h", "23"}), list, Sets({}));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "'' is not a valid integer value");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.NameAt(0), "ok");

  r = ParseAccounts(Crlf({"a", "h", "1", "Default", "0", "0", "b", "h", "1", "Default", "two"}), list, Sets({}));
  EXPECT_EQ(r.error, "'two' is not a valid integer value");
  EXPECT_EQ(list.Count(), 1);

  EXPECT_TRUE(ParseAccounts("", list, Sets({})).ok);
  EXPECT_TRUE(list.Empty());
}

TEST(AccountsFile, HugeCountsEndAtTheEndOfTheFile) {
  TAccountList list;
  auto start = std::chrono::steady_clock::now();
  // Comments running past the end: the account keeps the lines there are.
  ASSERT_TRUE(ParseAccounts(Crlf({"a", "h", "1", "x", "0", "2000000000", "only"}), list, Sets({})).ok);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.At(0).comments, Lines{"only"});
  // Auto-send running past the end leaves the comment count missing.
  ReadResult r = ParseAccounts(Crlf({"a", "h", "1", "x", "0", "0", "b", "h", "1", "x", "2000000000", "l1"}), list,
                               Sets({}));
  EXPECT_EQ(r.error, "'' is not a valid integer value");
  EXPECT_EQ(list.Count(), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(AccountsFile, FileFailures) {
  TempDir dir;
  TAccountList list;
  list.Insert(NewAccount("kept"));
  ReadResult r = LoadAccounts(dir / "none.dat", list, Sets({}));
  EXPECT_TRUE(r.ok);
  EXPECT_FALSE(r.existed);
  EXPECT_TRUE(list.Empty());

  const std::string path = dir / "new/data/accounts.dat";
  list.Insert(NewAccount("first"));
  ASSERT_TRUE(SaveAccounts(path, list).ok);
  const std::string before = test::ReadBytes(path);
  for (int i = 0; i < 20; ++i) list.Insert(NewAccount("more"));
  {
    test::FileSizeLimit limit(100);
    EXPECT_FALSE(SaveAccounts(path, list).ok);
  }
  EXPECT_EQ(test::ReadBytes(path), before);
}

TEST(AccountsFile, RandomAccountsRoundTrip) {
  std::mt19937 rng(777);
  const TOptionSetList sets = Sets({"Default", "Mud", "Other"});
  const char* setNames[] = {"Default", "mud", "OTHER", "deleted"};
  for (int round = 0; round < 50; ++round) {
    TAccountList list, back;
    for (int i = rng() % 6; i > 0; --i) {
      auto a = std::make_unique<TAccount>();
      a->name = test::RandomText(rng, 3, true);
      a->server = test::RandomText(rng, 10, true);
      a->port = test::RandomText(rng, 5, true);
      a->optionset = setNames[rng() % 4];
      for (Lines* l : {&a->autoSend, &a->comments})
        for (int n = rng() % 4; n > 0; --n) l->push_back(test::RandomText(rng, 10, true));
      list.Insert(std::move(a));
    }
    ASSERT_TRUE(ParseAccounts(FormatAccounts(list), back, sets).ok);
    ASSERT_EQ(back.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) {
      const TAccount &x = list.At(i), &y = back.At(i);
      EXPECT_EQ(std::tie(x.name, x.server, x.port, x.autoSend, x.comments),
                std::tie(y.name, y.server, y.port, y.autoSend, y.comments));
      EXPECT_EQ(y.optionset, x.optionset == "deleted" ? "Default" : x.optionset);
    }
  }
}

TEST(AccountsFile, RandomAndTruncatedFilesNeverBreakTheReader) {
  std::mt19937 rng(5);
  const std::string golden = test::Golden("accounts/home_test.dat");
  const char* pieces[] = {"0", "1", "3", "-1", "99999999999", "2147483647", "x", ""};
  TAccountList list;
  for (int round = 0; round < 400; ++round) {
    std::string input = golden.substr(0, rng() % (golden.size() + 1));
    for (int i = rng() % 20; i > 0; --i) {
      input += rng() % 2 ? std::string(pieces[rng() % std::size(pieces)]) : test::RandomText(rng, 6, true);
      input += rng() % 3 ? "\r\n" : (rng() % 2 ? "\n" : "\r");
    }
    ReadResult r = ParseAccounts(input, list, Sets({"Default"}));
    EXPECT_TRUE(r.ok || r.error.find("is not a valid integer value") != std::string::npos) << r.error;
  }
}

}  // namespace
}  // namespace ombrel
