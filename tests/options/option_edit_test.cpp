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

// Answers every question with `answer` and keeps what was asked.
struct Asker {
  bool answer = true;
  std::vector<Message> asked;
  AskFn fn() {
    return [this](const Message& m) {
      asked.push_back(m);
      return answer;
    };
  }
};

TEST(OptionEditMemo, LinesAndMemoConvertBothWays) {
  EXPECT_EQ(LinesToMemo({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(LinesToMemo({}), "");
  EXPECT_EQ(MemoToLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(MemoToLines("a\r\n"), (Lines{"a"}));
  EXPECT_EQ(MemoToLines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(MemoToLines(""), Lines{});
  const Lines kept{"say hi", "", "wave"};
  EXPECT_EQ(MemoToLines(LinesToMemo(kept)), kept);
}

TEST(OptionEditMargin, FieldKeepsDigitsAndStoresThatManyBlanks) {
  EXPECT_EQ(SizeFieldExit("1a2"), "12");
  EXPECT_EQ(SizeFieldExit(""), "0");
  EXPECT_EQ(SizeFieldExit("abc"), "0");
  std::string margin;
  StoreMarginSize("12", margin);
  EXPECT_EQ(margin, std::string(12, ' '));
  StoreMarginSize("0", margin);
  EXPECT_EQ(margin, "");
}

TEST(OptionEditMargin, UnchangedLengthKeepsOtherCharacters) {
  std::string margin = "> ";
  StoreMarginSize(MarginSizeText(margin), margin);
  EXPECT_EQ(margin, "> ");
  StoreMarginSize("02", margin);  // same length, written differently
  EXPECT_EQ(margin, "> ");
  StoreMarginSize("3", margin);
  EXPECT_EQ(margin, "   ");
  std::string longMargin(kMaxMarginSize + 5, '.');
  StoreMarginSize(MarginSizeText(longMargin), longMargin);
  EXPECT_EQ(longMargin.size(), size_t(kMaxMarginSize + 5));
  StoreMarginSize("99999999999999999999", margin);
  EXPECT_EQ(margin.size(), size_t(kMaxMarginSize));
}

TEST(OptionEditFields, SetSurvivesShowAndStore) {
  TOptions set;
  set.bgcolor = 0x123456;
  set.font = {"Courier", 12, fsBold | fsItalic, 0xABCDEF};
  set.ansimap[9] = 0x010203;
  set.margin = "::";
  set.telopnaws = true;
  set.pipechar = ";";
  set.pathchar = "##";  // longer than the field takes
  set.paramend = "}";
  set.historysize = 50;
  TOptions copy = set;
  StoreFields(FieldsFromSet(set), copy);
  EXPECT_EQ(copy.font.name, "Courier");
  EXPECT_EQ(copy.font.style, fsBold | fsItalic);
  EXPECT_EQ(copy.font.color, 0xABCDEFu);
  EXPECT_EQ(copy.ansimap, set.ansimap);
  EXPECT_EQ(copy.margin, "::");
  EXPECT_TRUE(copy.telopnaws);
  EXPECT_EQ(copy.pipechar, ";");
  EXPECT_EQ(copy.pathchar, "##");
  EXPECT_EQ(copy.paramend, "}");
  EXPECT_EQ(copy.historysize, 50);
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
}

TEST(OptionEditTriggers, FieldsOfNoTriggerAreEmptyAndStoreConverts) {
  TriggerFields none = FieldsFromTrigger(nullptr);
  EXPECT_TRUE(none.string.empty() && none.text.empty() && !none.textenabled && !none.soundenabled);
  TTrigger t;
  StoreTriggerFields({"You are hungry", true, false, "eat bread\r\ndrink\r\n", "c:\\bell.wav"}, t);
  EXPECT_EQ(t.text, (Lines{"eat bread", "drink"}));
  EXPECT_TRUE(t.textenabled);
  EXPECT_EQ(FieldsFromTrigger(&t).text, "eat bread\r\ndrink\r\n");
}

TEST(OptionEditLists, ReselectKeepsPositionOrFallsBackToFirst) {
  EXPECT_EQ(ReselectIndex(1, 3), 1);
  EXPECT_EQ(ReselectIndex(3, 3), 0);
  EXPECT_EQ(ReselectIndex(-1, 2), 0);
  EXPECT_EQ(ReselectIndex(0, 0), -1);
}

TEST(OptionEditNames, NewSetNameRules) {
  std::string name = "  Custom Set \t";
  EXPECT_FALSE(CheckNewSetName(name));
  EXPECT_EQ(name, "Custom Set");
  name = "   ";
  auto empty = CheckNewSetName(name);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->caption, "Missing Input");
  name = " Default ";
  auto illegal = CheckNewSetName(name);
  ASSERT_TRUE(illegal);
  EXPECT_EQ(illegal->text, "Please choose a different name.");
  EXPECT_EQ(illegal->caption, "Illegal Name");
  name = "default";
  EXPECT_FALSE(CheckNewSetName(name));
  name = "Fight\tClub\r\nx";  // pasted: it must stay one line in the file
  EXPECT_FALSE(CheckNewSetName(name));
  EXPECT_EQ(name, "Fight Club  x");
}

TEST(OptionEditNames, AliasesAreStoredInLowerCase) {
  TOptions set;
  EXPECT_EQ(AddAlias(set, "Look"), 0);
  EXPECT_EQ(set.aliases[0].name, "look");
  EXPECT_EQ(AliasName("N\xC4rd-X"), "n\xC4rd-x");  // only A to Z change
}

TEST(OptionEditApply, CurrentTerminalTakesTheSetAndEveryUserIsLaidOut) {
  TOptionSetList list;
  TOptions& a = list.AddNew("Default");
  TOptions& b = list.AddNew("Fight");
  FakeTerminal t1, t2, t3, other, current;
  t1.set = t2.set = t3.set = &b;
  other.set = &a;
  current.set = &a;
  std::vector<EditorTerminal*> terms{&t1, &other, &t2, &current, &t3};
  ApplyToTerminals(&b, terms, &current);
  EXPECT_EQ(current.set, &b);
  EXPECT_EQ(other.set, &a);
  for (FakeTerminal* t : {&t1, &t2, &t3, &current}) EXPECT_EQ(t->layouts, 1);
  EXPECT_EQ(other.layouts, 0);
}

TEST(OptionEditApply, OnlyTheTerminalsOfTheSetLeftAreLaidOut) {
  TOptions left, other;
  FakeTerminal a, b, c;
  a.set = c.set = &left;
  b.set = &other;
  LayoutTerminalsOn(&left, {&a, &b, &c});
  EXPECT_EQ(a.layouts, 1);
  EXPECT_EQ(b.layouts, 0);
  EXPECT_EQ(c.layouts, 1);
  EXPECT_EQ(a.set, &left);  // laid out, not reassigned
}

TEST(OptionEditShow, TheTerminalsSetOrElseTheFirst) {
  TOptionSetList list;
  TOptions stray;
  EXPECT_EQ(ShownSetIndex(list, nullptr), -1);
  EXPECT_EQ(ShownSetIndex(list, &stray), -1);
  list.AddNew("Default");
  TOptions& fight = list.AddNew("Fight");
  const struct {
    const TOptions* terminalSet;
    int shown;
  } cases[] = {{nullptr, 0}, {&fight, 1}, {&list.At(0), 0}, {&stray, 0}};
  for (const auto& c : cases) EXPECT_EQ(ShownSetIndex(list, c.terminalSet), c.shown);
}

TEST(OptionEditClose, AFailedWriteIsReportedWithItsReason) {
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
    Asker ask;
    EXPECT_EQ(SaveReportingFailure(c.save, ask.fn()), c.saved);
    if (!c.reported) {
      EXPECT_TRUE(ask.asked.empty());
      continue;
    }
    ASSERT_EQ(ask.asked.size(), 1u);
    EXPECT_EQ(ask.asked[0].text, c.reported);
    EXPECT_EQ(ask.asked[0].caption, "Ombrel Error");
    EXPECT_EQ(ask.asked[0].icon, MsgIcon::Error);
    EXPECT_FALSE(ask.asked[0].yesNo);
  }
  // Without a message box the failure is only returned.
  EXPECT_FALSE(SaveReportingFailure([] { return false; }, AskFn{}));
}

TEST(OptionEditDelete, DefaultSetIsKeptAndTheQuestionCanBeDeclined) {
  TOptionSetList list;
  list.AddNew("Default");
  list.AddNew("Fight");
  Asker ask;
  EXPECT_EQ(DeleteSet(list, 0, {}, ask.fn()), DeleteResult::Refused);
  ASSERT_EQ(ask.asked.size(), 1u);
  EXPECT_EQ(ask.asked[0].text, "You cannot delete the default option set.");
  EXPECT_EQ(ask.asked[0].caption, "Warning");
  ask.answer = false;
  EXPECT_EQ(DeleteSet(list, 1, {}, ask.fn()), DeleteResult::Declined);
  EXPECT_EQ(ask.asked.back().text, "Do you really want to delete option set \"Fight\"");
  EXPECT_EQ(ask.asked.back().caption, "Delete Option Set?");
  EXPECT_TRUE(ask.asked.back().yesNo);
  EXPECT_EQ(list.Count(), 2);
}

TEST(OptionEditDelete, TerminalsMoveToTheDefaultSet) {
  TOptionSetList list;
  list.AddNew("Fight");
  TOptions& def = list.AddNew("DEFAULT");
  FakeTerminal user, bystander;
  user.set = &list.At(0);
  bystander.set = &def;
  Asker ask;
  EXPECT_EQ(DeleteSet(list, 0, {&user, &bystander}, ask.fn()), DeleteResult::Deleted);
  EXPECT_EQ(user.set, &def);
  EXPECT_EQ(user.layouts, 1);
  EXPECT_EQ(bystander.layouts, 0);
  EXPECT_EQ(list.Count(), 1);
}

TEST(OptionEditDelete, ASetNamedDefaultInOtherCaseIsNotItsOwnFallback) {
  TOptionSetList list;
  list.AddNew("default");
  TOptions& real = list.AddNew("Default");
  FakeTerminal user;
  user.set = &list.At(0);
  Asker ask;
  EXPECT_EQ(DeleteSet(list, 0, {&user}, ask.fn()), DeleteResult::Deleted);
  EXPECT_EQ(user.set, &real);

  // The only set of that name in any case: nothing is deleted.
  TOptionSetList alone;
  alone.AddNew("DeFault");
  alone.AddNew("Other");
  FakeTerminal t;
  t.set = &alone.At(0);
  EXPECT_EQ(DeleteSet(alone, 0, {&t}, ask.fn()), DeleteResult::Refused);
  EXPECT_EQ(ask.asked.back().text, "Default set not found!");
  EXPECT_EQ(ask.asked.back().icon, MsgIcon::Error);
  EXPECT_EQ(alone.Count(), 2);
  EXPECT_EQ(t.set, &alone.At(0));
}

TEST(OptionEditDelete, OnlyAnExistingTriggerOrAliasIsOffered) {
  TOptions set;
  AddTrigger(set, "hunger");
  Asker ask;
  EXPECT_EQ(DeleteTrigger(set, 1, ask.fn()), DeleteResult::Refused);
  EXPECT_EQ(DeleteAlias(set, 0, ask.fn()), DeleteResult::Refused);
  EXPECT_TRUE(ask.asked.empty());
  EXPECT_EQ(set.triggers.size(), 1u);
}

}  // namespace
}  // namespace ombrel
