#include "options/option_edit.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ombrel {
namespace {

struct FakeTerminal : EditorTerminal {
  TOptions* set = nullptr;
  int layouts = 0;
  TOptions* Options() const override { return set; }
  void AssignOptions(TOptions* s) override { set = s; }
  void LayoutTerminal() override { ++layouts; }
};

// A set list and a message box that answers `answer` and keeps what it was asked.
struct EditFixture : ::testing::Test {
  TOptionSetList list;
  bool answer = true;
  std::vector<Message> asked;
  AskFn ask = [this](const Message& m) {
    asked.push_back(m);
    return answer;
  };
  void Sets(std::initializer_list<const char*> names) {
    for (const char* n : names) list.AddNew(n);
  }
};

// The fallback and the connect rule's lookups are tested with their users.
TEST(OptionSetList, LookupsAndReferencesThatSurviveChanges) {
  TOptionSetList list;
  TOptions& mud = list.AddNew("Mud");
  list.AddNew("default"), list.AddNew("Default");
  EXPECT_EQ(list.IndexOfNoCase("DEFAULT"), 1);
  EXPECT_EQ(list.IndexOfExact("Default"), 2);
  for (int i = 0; i < 100; ++i) list.AddNew("x");
  list.RemoveAt(1);
  EXPECT_EQ(list.IndexOf(&list.At(1)), 1);
  EXPECT_EQ(&list.At(0), &mud);
}

TEST(OptionEditMemo, LinesAndMemoConvertBothWays) {
  EXPECT_EQ(LinesToMemo({"a", "", "b"}) + LinesToMemo({}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(MemoToLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(MemoToLines("a\r\n"), (Lines{"a"}));  // a break at the end adds no line
  EXPECT_EQ(MemoToLines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(MemoToLines(""), Lines{});
}

TEST(OptionEditMargin, FieldKeepsDigitsAndStoresThatManyBlanksUnlessTheLengthStays) {
  EXPECT_EQ(SizeFieldExit("1a2") + SizeFieldExit("") + SizeFieldExit("abc"), "1200");
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

TEST(OptionEditFields, EveryFieldIsShownAndStored) {
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
  TOptions copy = set;
  StoreFields(FieldsFromSet(set), copy);
  EXPECT_TRUE(copy == set);
}

TEST(OptionEditFields, StoredTextsStayOnOneLine) {
  TOptions set;
  SetFields f = FieldsFromSet(set);
  f.stdpasteprefix = "say\tit\r\n";
  f.pathchar = "#x";
  f.historySize = "1a00";
  StoreFields(f, set);
  EXPECT_EQ(set.stdpasteprefix, "say it  ");
  EXPECT_EQ(set.pathchar, "#");
  EXPECT_EQ(set.historysize, 100);
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
    std::string typed, kept, refusal;  // refusal: the caption, empty when accepted
  } rows[] = {
      {"  Custom Set \t", "Custom Set", ""},
      {"   ", "", "Missing Input"},
      {" Default ", "Default", "Illegal Name"},
      {"default", "default", ""},  // only the exact name is taken
      {"Fight\tClub\r\nx", "Fight Club  x", ""},  // pasted: it must stay one line in the file
  };
  for (auto& r : rows) {
    std::string name = r.typed;
    auto refused = CheckNewSetName(name);
    EXPECT_EQ(name, r.kept);
    EXPECT_EQ(refused ? refused->caption : "", r.refusal) << r.typed;
  }
  std::string name = "Default";
  EXPECT_EQ(CheckNewSetName(name)->text, "Please choose a different name.");
}

TEST(OptionEditNames, AliasesAreStoredInLowerCase) {
  TOptions set;
  EXPECT_EQ(AddAlias(set, "Look"), 0);
  EXPECT_EQ(set.aliases[0].name, "look");
  EXPECT_EQ(AliasName("N\xC4rd-X"), "n\xC4rd-x");  // only A to Z change
}

TEST_F(EditFixture, ApplyGivesTheCurrentTerminalTheSetAndLaysOutEveryUser) {
  Sets({"Default", "Fight"});
  TOptions *a = &list.At(0), *b = &list.At(1);
  FakeTerminal t1, t2, other, current;
  t1.set = t2.set = b;
  other.set = current.set = a;
  ApplyToTerminals(b, {&t1, &other, &current, &t2}, &current);
  EXPECT_EQ(current.set, b);
  EXPECT_EQ(other.set, a);
  for (FakeTerminal* t : {&t1, &t2, &current}) EXPECT_EQ(t->layouts, 1);
  EXPECT_EQ(other.layouts, 0);
}

TEST(OptionEditApply, OnlyTheTerminalsOfTheSetLeftAreLaidOut) {
  TOptions left, other;
  FakeTerminal a, b, c;
  a.set = c.set = &left;
  b.set = &other;
  LayoutTerminalsOn(&left, {&a, &b, &c});
  EXPECT_EQ(a.layouts + b.layouts * 10 + c.layouts * 100, 101);
  EXPECT_EQ(a.set, &left);  // laid out, not reassigned
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
  const struct {
    std::function<bool()> save;
    bool saved;
    const char* reported;  // nothing: no message
  } cases[] = {
      {[] { return true; }, true, nullptr},
      {[] { return false; }, false, "The option sets could not be written to options.dat."},
      {[]() -> bool { throw std::runtime_error("disk full"); }, false, "disk full"},
  };
  for (const auto& c : cases) {
    asked.clear();
    EXPECT_EQ(SaveReportingFailure(c.save, ask), c.saved);
    ASSERT_EQ(asked.size(), c.reported ? 1u : 0u);
    if (!c.reported) continue;
    EXPECT_EQ(asked[0].text, c.reported);
    EXPECT_EQ(asked[0].caption, "Ombrel Error");
    EXPECT_EQ(asked[0].icon, MsgIcon::Error);
  }
  // Without a message box the failure is only returned.
  EXPECT_FALSE(SaveReportingFailure([] { return false; }, AskFn{}));
}

TEST_F(EditFixture, DeletingTheDefaultSetIsRefusedAndTheQuestionCanBeDeclined) {
  Sets({"Default", "Fight"});
  EXPECT_EQ(DeleteSet(list, 0, {}, ask), DeleteResult::Refused);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, "You cannot delete the default option set.");
  EXPECT_EQ(asked[0].caption, "Warning");
  answer = false;
  EXPECT_EQ(DeleteSet(list, 1, {}, ask), DeleteResult::Declined);
  EXPECT_EQ(asked.back().text, "Do you really want to delete option set \"Fight\"");
  EXPECT_EQ(asked.back().caption, "Delete Option Set?");
  EXPECT_TRUE(asked.back().yesNo);
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(EditFixture, TerminalsOfADeletedSetMoveToTheDefaultSet) {
  // "default" in other case is not its own fallback.
  Sets({"Fight", "default", "DEFAULT"});
  FakeTerminal user, bystander, lower;
  user.set = &list.At(0);
  lower.set = &list.At(1);
  bystander.set = &list.At(2);
  EXPECT_EQ(DeleteSet(list, 0, {&user, &bystander}, ask), DeleteResult::Deleted);
  EXPECT_EQ(user.set, &list.At(0));
  EXPECT_EQ(user.layouts, 1);
  EXPECT_EQ(bystander.layouts, 0);
  EXPECT_EQ(DeleteSet(list, 0, {&lower}, ask), DeleteResult::Deleted);
  EXPECT_EQ(lower.set, bystander.set);
  ASSERT_EQ(list.Count(), 1);

  // The only set of that name in any case: nothing is deleted.
  list.AddNew("Other");
  EXPECT_EQ(DeleteSet(list, 0, {&lower}, ask), DeleteResult::Refused);
  EXPECT_EQ(asked.back().text, "Default set not found!");
  EXPECT_EQ(asked.back().icon, MsgIcon::Error);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(lower.set, &list.At(0));
}

TEST_F(EditFixture, TriggersAndAliasesAreDeletedByNameAfterAsking) {
  TOptions set;
  AddTrigger(set, "hunger\tpang");
  AddAlias(set, "Look");
  EXPECT_EQ(DeleteTrigger(set, 1, ask), DeleteResult::Refused);  // only an existing one
  EXPECT_EQ(DeleteAlias(set, -1, ask), DeleteResult::Refused);
  EXPECT_TRUE(asked.empty());
  answer = false;
  EXPECT_EQ(DeleteTrigger(set, 0, ask), DeleteResult::Declined);
  EXPECT_EQ(asked.back().text, "Do you really want to delete trigger \"hunger pang\"?");
  EXPECT_EQ(asked.back().caption, "Delete Trigger?");
  answer = true;
  EXPECT_EQ(DeleteAlias(set, 0, ask), DeleteResult::Deleted);
  EXPECT_EQ(asked.back().text, "Do you really want to delete alias \"look\"?");
  EXPECT_EQ(set.triggers.size() + set.aliases.size(), 1u);
}

}  // namespace
}  // namespace ombrel
