#include <gtest/gtest.h>

#include "app/main_window_logic.h"
#include "app/window_arrangement.h"

namespace ombrel {
namespace {

TEST(Arrangement, CountsIn800x600) {
  using Rects = std::vector<Rect>;
  const struct {
    decltype(&ArrangeColumns) arrange;
    int count, toolbar;
    Rects want;
  } rows[] = {
      {ArrangeColumns, 3, 29, {{0, 0, 261, 566}, {261, 0, 261, 566}, {522, 0, 261, 566}}},
      {ArrangeRows, 3, 29, {{0, 0, 795, 185}, {0, 185, 795, 185}, {0, 370, 795, 185}}},
      {ArrangeMatrix, 3, 29, {{0, 0, 397, 283}, {397, 0, 397, 283}, {0, 283, 397, 283}}},
      {ArrangeMatrix, 5, 29,  // the odd one out fills the third row's left cell
       {{0, 0, 397, 188}, {397, 0, 397, 188}, {0, 188, 397, 188}, {397, 188, 397, 188}, {0, 376, 397, 188}}},
      {ArrangeColumns, 0, 29, {}}, {ArrangeMatrix, 0, 29, {}},
      {ArrangeColumns, 1, 0, {{0, 0, 795, 595}}},
      {ArrangeMatrix, 1, 29, {{0, 0, 795, 566}}},
  };
  for (const auto& r : rows) EXPECT_EQ(r.arrange(r.count, 800, 600, r.toolbar), r.want) << r.count;
}

TEST(MainWindowRules, RegistryTabsScreenPullBackAndDigitsOnly) {
  int a, b, c;
  TerminalRegistry<int> reg;
  EXPECT_EQ(reg.lastIndex(), -1);
  for (int* t : {&a, &b, &c}) reg.Add(t);
  reg.SetCurrent(&c), reg.Remove(&b);  // keeps the order, leaves none current
  EXPECT_EQ(reg.terminals(), (std::vector<int*>{&a, &c}));
  EXPECT_TRUE(reg.current() == nullptr && reg.IndexOf(&c) == 1 && reg.IndexOf(&b) == -1);
  // The unseen mark and the current tab: the main window test.
  EXPECT_EQ(BuildTabRow({{"A", false, false}}).selected, -1);
  auto pulled = [](Placement p) { return p = PullOntoScreen(p, 1024, 768), std::pair(p.left, p.top); };
  EXPECT_EQ(pulled({5000, 100}), std::pair(341, 100));
  EXPECT_EQ(pulled({-50, 900}), std::pair(-50, 256));
  for (auto [typed, fallback, want] : {std::tuple{"4a0-0b0", "23", "4000"}, {"", "23", "23"}, {"abc", "23", ""}})
    EXPECT_EQ(DigitsOnly(typed, fallback), want) << typed;
}

}  // namespace
}  // namespace ombrel
