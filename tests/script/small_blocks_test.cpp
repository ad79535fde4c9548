#include "script/small_blocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace ombrel {
namespace {

// Any mix of takes and gives: each block is aligned for any type, holds
// what was written to it until given back, and never overlaps another
// block still held; given blocks are used again rather than new memory.
TEST(SmallBlocks, BlocksAreAlignedDisjointAndReused) {
  struct Held {
    std::byte* at;
    size_t size;
    unsigned char fill;
  };
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    SmallBlocks blocks;
    std::vector<Held> held;
    for (int step = 0; step < 5000; ++step) {
      if (held.empty() || rng() % 3 != 0) {
        const size_t size = 1 + rng() % SmallBlocks::kLargest;
        auto* at = static_cast<std::byte*>(blocks.Take(size));
        ASSERT_NE(at, nullptr);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(at) % alignof(std::max_align_t), 0u);
        const auto fill = static_cast<unsigned char>(rng());
        std::memset(at, fill, size);
        held.push_back({at, size, fill});
      } else {
        const size_t i = rng() % held.size();
        for (size_t b = 0; b < held[i].size; ++b)
          ASSERT_EQ(static_cast<unsigned char>(held[i].at[b]), held[i].fill) << "seed " << seed << " step " << step;
        blocks.Give(held[i].at, held[i].size);
        held.erase(held.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
    for (const Held& h : held)
      for (size_t b = 0; b < h.size; ++b) ASSERT_EQ(static_cast<unsigned char>(h.at[b]), h.fill) << "seed " << seed;
    // About 3,300 blocks held at most, 136 bytes on average: the chunks
    // hold them with little beside.
    EXPECT_LT(blocks.Held(), 700u << 10) << "seed " << seed;
  }
}

// The arena is all the lists ever hold: once it is handed out, Take says
// so (the caller goes to malloc), and a block given back serves again.
TEST(SmallBlocks, TheArenaBoundsWhatIsKept) {
  SmallBlocks blocks;
  int local = 0;
  EXPECT_FALSE(blocks.Owns(&local));
  void* last = nullptr;
  size_t taken = 0;
  while (void* block = blocks.Take(100)) {
    EXPECT_TRUE(blocks.Owns(block));
    last = block;
    ++taken;
  }
  EXPECT_EQ(taken, SmallBlocks::kArena / 112);
  EXPECT_LE(blocks.Held(), SmallBlocks::kArena);
  EXPECT_EQ(blocks.Take(200), nullptr);
  blocks.Give(last, 100);
  EXPECT_EQ(blocks.Take(97), last);
  EXPECT_FALSE(blocks.Owns(&local));
}

TEST(SmallBlocks, WhatFitsTheSameBlock) {
  const struct {
    size_t a, b;
    bool fits;
  } cases[] = {
      {1, 16, true},  {16, 17, false}, {17, 32, true},   {40, 33, true},
      {256, 241, true}, {256, 257, false}, {300, 300, false}, {0, 1, false},
  };
  for (const auto& c : cases) EXPECT_EQ(SmallBlocks::Fits(c.a, c.b), c.fits) << c.a << " " << c.b;
}

}  // namespace
}  // namespace ombrel
