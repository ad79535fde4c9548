#include "util/ready_blocks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace ombrel {
namespace {

// Whether ready or made on the spot, every block is its own, of the size
// asked for and writable end to end; blocks left ready are given back when
// the maker stops.
TEST(ReadyBlocks, EveryBlockIsWholeAndItsOwn) {
  constexpr size_t kSize = 64 << 10;
  ReadyBlocks blocks(kSize, 2);
  std::vector<BlockPtr> taken;
  std::set<char*> seen;
  for (int i = 0; i < 12; ++i) {
    taken.push_back(blocks.Take());
    char* p = taken.back().get();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(seen.insert(p).second);
    p[0] = 'a';
    p[kSize - 1] = 'z';
    // Now and then the maker has time to get ahead.
    if (i % 4 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  for (const BlockPtr& b : taken) EXPECT_EQ(b.get()[0] + b.get()[kSize - 1], 'a' + 'z');
}

TEST(ReadyBlocks, StopsWithBlocksStillReady) {
  auto blocks = std::make_unique<ReadyBlocks>(4096, 3);
  BlockPtr first = blocks->Take();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  blocks.reset();  // joins the maker and frees the blocks still ready
  first.get()[4095] = 1;
  EXPECT_EQ(first.get()[4095], 1);
}

}  // namespace
}  // namespace ombrel
