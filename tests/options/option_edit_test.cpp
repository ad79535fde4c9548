#include "options/option_edit.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ombrel {
namespace {

struct FakeTerminal : EditorTerminal {
  TOptions* set = nullptr;
  int layouts = 0;
  explicit FakeTerminal(TOptions* s = nullptr) : set(s) {}
  TOptions* Options() const override { return set; }
  void AssignOptions(TOptions* s) override { set = s; }
  void LayoutTerminal() override { ++layouts; }
};

std::string Said(const Message& m) {
  const char* icons[] = {"warning", "question", "error"};
  return m.caption + "|" + m.text + "|" + icons[static_cast<int>(m.icon)] + (m.yesNo ? "|yes/no" : "");
}

struct EditFixture : ::testing::Test {
  TOptionSetList list;
  bool answer = true;
  std::vector<std::string> asked;
  AskFn ask = [this](const Message& m) { return asked.push_back(Said(m)), answer; };
  void Sets(std::initializer_list<const char*> names) {
    for (const char* n : names) list.AddNew(n);
  }
};

TEST(OptionSetList, LookupsAndReferencesThatSurviveChanges) {
  TOptionSetList list;
  TOptions& mud = list.AddNew("Mud");
  list.AddNew("default"), list.AddNew("Default");
  EXPECT_TRUE(list.IndexOfNoCase("DEFAULT") == 1 && list.IndexOfExact("Default") == 2);
  for (int i = 0; i < 100; ++i) list.AddNew("x");
  list.RemoveAt(1);
  EXPECT_TRUE(list.IndexOf(&list.At(1)) == 1 && &list.At(0) == &mud);
}

TEST(OptionEditMemo, LinesAndMemoConvertBothWays) {
  EXPECT_EQ(LinesToMemo({"a", "", "b"}) + LinesToMemo({}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(MemoToLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(MemoToLines("a\n\n"), (Lines{"a", ""}));  // a break at the end adds no line
  EXPECT_EQ(MemoToLines(""), Lines{});
}

TEST(OptionEditMargin, FieldKeepsDigitsAndStoresThatManyBlanksUnlessTheLengthStays) {
  // The default is for an empty field; letters alone leave it empty.
  EXPECT_EQ(SizeFieldExit("1a2") + "|" + SizeFieldExit("") + "|" + SizeFieldExit("abc"), "12|0|");
  const std::string longMargin(kMaxMarginSize + 5, '.');
  struct {
    std::string margin, field, after;
  } rows[] = {
      {"", "12", std::string(12, ' ')},  {"   ", "0", ""},
      {"> ", "2", "> "},                  // unchanged length keeps other characters
      {"> ", "02", "> "},                 // same length, written differently
      {"> ", "3", "   "},
      {longMargin, "1005", longMargin},  // a long margin from the file is not cut
      {"> ", "99999999999999999999", std::string(kMaxMarginSize, ' ')},  // clamped
  };
  for (auto& r : rows) {
    std::string margin = r.margin;
    StoreMarginSize(r.field, margin);
    EXPECT_EQ(margin, r.after) << '"' << r.margin << "\" + " << r.field;
  }
  EXPECT_EQ(MarginSizeText(longMargin), "1005");
}

TEST(OptionEditFields, EveryFieldIsShownAndStoredOnOneLine) {
  TOptions set;
  set.bgcolor = 0x123456, set.textbrightcolor = 7;
  set.font = {"Courier", 12, fsBold | fsItalic, 0xABCDEF};
  set.ansimap[9] = 0x010203;
  set.margin = "   ";
  set.ansi = set.scrollbar = set.localecho = true;
  set.telnet = set.telnetinit = set.telopnaws = set.teloplinemode = true;
  set.historysize = 70;
  set.pipechar = ";", set.pathchar = "#", set.paramstart = "{", set.paramend = "}";
  set.stdpasteprefix = "a", set.stdpastesuffix = "b";
  set.altpasteprefix = "c", set.altpastesuffix = "d";
  TOptions fresh;
  StoreFields(FieldsFromSet(set), fresh);
  EXPECT_TRUE(fresh == set);
  // Longer one-character values and other margins from the file survive.
  set.pathchar = "##", set.margin = "::";
  fresh = set;
  StoreFields(FieldsFromSet(set), fresh);
  EXPECT_TRUE(fresh == set);
  // What is typed or pasted is stored on one line, sizes by their digits.
  set = {};
  SetFields f = FieldsFromSet(set);
  f.stdpasteprefix = "say\tit\r\n", f.pathchar = "#x", f.historySize = "1a00";
  StoreFields(f, set);
  EXPECT_EQ(set.stdpasteprefix + set.pathchar + std::to_string(set.historysize), "say it  #100");
  f.historySize = "99999999999";
  StoreFields(f, set);
  EXPECT_EQ(set.historysize, kMaxHistorySize);
}

TEST(OptionEditTriggers, FieldsOfNoTriggerAreEmptyAndStoreConverts) {
  TriggerFields none = FieldsFromTrigger(nullptr);
  EXPECT_TRUE(none.string.empty() && none.text.empty() && !none.textenabled && !none.soundenabled);
  TTrigger t;
  StoreTriggerFields({"You are\thungry", true, false, "eat bread\r\ndrink\r\n", "c:\\bell.wav"}, t);
  EXPECT_TRUE((t == TTrigger{"", "You are hungry", true, false, {"eat bread", "drink"}, "c:\\bell.wav"}));
  EXPECT_EQ(FieldsFromTrigger(&t).text, "eat bread\r\ndrink\r\n");
}

TEST(OptionEditLists, ReselectKeepsPositionOrFallsBackToFirst) {
  const int rows[][3] = {{1, 3, 1}, {3, 3, 0}, {-1, 2, 0}, {0, 0, -1}};  // remembered, count, chosen
  for (auto& r : rows) EXPECT_EQ(ReselectIndex(r[0], r[1]), r[2]) << r[0] << " of " << r[1];
}

TEST(OptionEditNames, NewSetNameRules) {
  struct {
    std::string typed, kept, refusal;  // empty when accepted
  } rows[] = {
      {"  Custom Set \t", "Custom Set", ""},
      {"   ", "", "Missing Input|Please enter a name for the new option set.|warning"},
      {" Default ", "Default", "Illegal Name|Please choose a different name.|warning"},
      {"default", "default", ""},  // only the exact name is taken
      {"Fight\tClub\r\nx", "Fight Club  x", ""},  // pasted: it must stay one line in the file
  };
  for (auto& r : rows) {
    std::string name = r.typed;
    auto refused = CheckNewSetName(name);
    EXPECT_EQ(name, r.kept);
    EXPECT_EQ(refused ? Said(*refused) : "", r.refusal) << r.typed;
  }
}

TEST(OptionEditApply, TheCurrentTerminalTakesTheSetAndEveryUserIsLaidOut) {
  TOptions a, b;
  FakeTerminal t1(&b), other(&a), current(&a), t2(&b);
  ApplyToTerminals(&b, {&t1, &other, &current, &t2}, &current);
  EXPECT_TRUE(current.set == &b && other.set == &a);
  // Leaving a set lays out its terminals again without reassigning them.
  LayoutTerminalsOn(&a, {&t1, &other, &current, &t2});
  EXPECT_EQ(std::vector({t1.layouts, other.layouts, current.layouts, t2.layouts}),
            std::vector({1, 1, 1, 1}));
}

TEST_F(EditFixture, TheEditorShowsTheTerminalsSetOrElseTheFirst) {
  TOptions stray;
  EXPECT_EQ(ShownSetIndex(list, &stray), -1);  // an empty list shows nothing
  Sets({"Default", "Fight"});
  const struct {
    const TOptions* terminalSet;
    int shown;
  } cases[] = {{nullptr, 0}, {&list.At(1), 1}, {&list.At(0), 0}, {&stray, 0}};
  for (const auto& c : cases) EXPECT_EQ(ShownSetIndex(list, c.terminalSet), c.shown);
}

TEST_F(EditFixture, AFailedWriteIsReportedWithItsReason) {
  EXPECT_TRUE(SaveReportingFailure([] { return true; }, ask));
  EXPECT_FALSE(SaveReportingFailure([] { return false; }, ask));
  EXPECT_FALSE(SaveReportingFailure([]() -> bool { throw std::runtime_error("disk full"); }, ask));
  EXPECT_EQ(asked, (std::vector<std::string>{
                       "Ombrel Error|The option sets could not be written to options.dat.|error",
                       "Ombrel Error|disk full|error"}));
  // Without a message box the failure is only returned.
  EXPECT_FALSE(SaveReportingFailure([] { return false; }, AskFn{}));
}

TEST_F(EditFixture, DeletingASetAsksAndMovesItsTerminalsToTheDefaultSet) {
  // "default" in other case is not its own fallback.
  Sets({"Default", "Fight", "default", "DEFAULT"});
  FakeTerminal user(&list.At(1)), lower(&list.At(2)), bystander(&list.At(0));
  EXPECT_EQ(DeleteSet(list, 0, {}, ask), DeleteResult::Refused);
  answer = false;
  EXPECT_EQ(DeleteSet(list, 1, {&user}, ask), DeleteResult::Declined);
  answer = true;
  EXPECT_EQ(DeleteSet(list, 1, {&user, &bystander}, ask), DeleteResult::Deleted);
  EXPECT_TRUE(user.set == &list.At(0) && user.layouts + bystander.layouts == 1);
  // With the exact name gone, a set of that name in other case takes them.
  list.RemoveAt(0);
  EXPECT_EQ(DeleteSet(list, 0, {&lower}, ask), DeleteResult::Deleted);
  EXPECT_EQ(lower.set, &list.At(0));
  // The only set of that name in any case: nothing is deleted.
  list.AddNew("Other");
  EXPECT_EQ(DeleteSet(list, 0, {&lower}, ask), DeleteResult::Refused);
  EXPECT_EQ(list.Count(), 2);
  const std::string question = "Delete Option Set?|Do you really want to delete option set ";
  EXPECT_EQ(asked, (std::vector<std::string>{
                       "Warning|You cannot delete the default option set.|warning",
                       question + "\"Fight\"|question|yes/no", question + "\"Fight\"|question|yes/no",
                       question + "\"default\"|question|yes/no", question + "\"DEFAULT\"|question|yes/no",
                       "Error|Default set not found!|error"}));
}

TEST_F(EditFixture, TriggersAndAliasesAreDeletedByNameAfterAsking) {
  TOptions set;
  EXPECT_EQ(AddTrigger(set, "hunger\tpang") + AddAlias(set, "Look"), 0);
  EXPECT_EQ(AliasName("N\xC4rd-X"), "n\xC4rd-x");  // only A to Z change
  EXPECT_EQ(DeleteTrigger(set, 1, ask), DeleteResult::Refused);  // only an existing one
  EXPECT_EQ(DeleteAlias(set, -1, ask), DeleteResult::Refused);
  answer = false;
  EXPECT_EQ(DeleteTrigger(set, 0, ask), DeleteResult::Declined);
  answer = true;
  EXPECT_EQ(DeleteAlias(set, 0, ask), DeleteResult::Deleted);
  EXPECT_EQ(set.triggers.size() + set.aliases.size(), 1u);
  EXPECT_EQ(asked, (std::vector<std::string>{
                       "Delete Trigger?|Do you really want to delete trigger \"hunger pang\"?|question|yes/no",
                       "Delete Alias?|Do you really want to delete alias \"look\"?|question|yes/no"}));
}

}  // namespace
}  // namespace ombrel
