#include "core/string_block_cache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/abi_memory.h"

namespace pharmex {
namespace {

struct Reuse {
  size_t first;
  size_t second;
  bool same_block;
};

class StringBlockReuseTest : public ::testing::TestWithParam<Reuse> {};

// A block given back is handed out again only within its class of 16 bytes,
// and never a block larger than the cache keeps.
TEST_P(StringBlockReuseTest, ComesBackWithinItsClass) {
  StringBlockCache cache;
  void* block = cache.take(GetParam().first);
  ASSERT_NE(block, nullptr);
  std::memset(block, 0x5A, GetParam().first);
  cache.give(block, GetParam().first);
  void* next = cache.take(GetParam().second);
  ASSERT_NE(next, nullptr);
  std::memset(next, 0xA5, GetParam().second);  // the whole size is writable
  EXPECT_EQ(next == block, GetParam().same_block);
  cache.give(next, GetParam().second);
  cache.clear();
}

INSTANTIATE_TEST_SUITE_P(Sizes, StringBlockReuseTest,
                         ::testing::Values(Reuse{6, 6, true}, Reuse{6, 16, true},
                                           Reuse{16, 17, false}, Reuse{17, 32, true},
                                           Reuse{500, 512, true}, Reuse{512, 513, false}));

TEST(StringBlockCacheTest, KeepsAtMostItsShareOfAClass) {
  StringBlockCache cache;
  std::vector<void*> blocks;
  for (size_t i = 0; i <= StringBlockCache::kKept; ++i)
    blocks.push_back(cache.take(40));
  for (void* block : blocks)
    cache.give(block, 40);  // the last one is freed
  for (size_t i = 0; i < StringBlockCache::kKept; ++i)
    EXPECT_EQ(cache.take(40), blocks[StringBlockCache::kKept - 1 - i]);
  for (size_t i = 0; i < StringBlockCache::kKept; ++i)
    cache.give(blocks[i], 40);
  cache.clear();
}

// Host strings reuse their blocks: each keeps its own length, units and zero
// unit, whichever string the block held before, from any thread.
TEST(StringBlockCacheTest, StringsOfManyThreadsKeepTheirText) {
  auto churn = [](char16_t unit) {
    for (uint32_t round = 0; round < 2000; ++round) {
      const uint32_t length = round % 70;
      const std::u16string text(length, unit);
      PxString made = abi::string_alloc(reinterpret_cast<const PxChar16*>(text.data()), length);
      ASSERT_NE(made, nullptr);
      ASSERT_EQ(abi::string_text(made), text);
      ASSERT_EQ(made[length], 0);
      abi::string_free(made);
    }
  };
  std::vector<std::thread> threads;
  for (char16_t unit : {u'а', u'b', u'я', u'7'})
    threads.emplace_back(churn, unit);
  for (std::thread& thread : threads)
    thread.join();
}

}  // namespace
}  // namespace pharmex
