#include "common/MemoryBlock.h"

#include <gtest/gtest.h>

#include <utility>

namespace vd {
namespace {

TEST(MemoryBlock, ZeroFilledLockedAndOwned) {
    CMemoryBlock block = CMemoryBlock::Allocate(64);
    ASSERT_TRUE(block);
    EXPECT_EQ(block.GetSize(), 64u);
    {
        CMemoryLock lock(block);
        EXPECT_EQ(block.GetLockCount(), 1);
        for (std::size_t i = 0; i < lock.Size(); ++i) ASSERT_EQ(lock.Data()[i], 0);
        lock.Data()[63] = 7;
    }
    EXPECT_EQ(block.GetLockCount(), 0);

    CMemoryBlock moved = std::move(block);
    EXPECT_FALSE(block);  // NOLINT(bugprone-use-after-move): the handle is null after a move
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved.Lock()[63], 7);
    moved.Unlock();
    moved.Free();
    EXPECT_FALSE(moved);
    EXPECT_EQ(moved.GetSize(), 0u);
}

TEST(MemoryBlock, EmptyAndImpossibleSizes) {
    CMemoryBlock empty = CMemoryBlock::Allocate(0);
    EXPECT_TRUE(empty);
    EXPECT_EQ(empty.GetSize(), 0u);
    CMemoryBlock huge = CMemoryBlock::Allocate(static_cast<std::size_t>(-1) / 2);
    EXPECT_FALSE(huge);
    EXPECT_EQ(huge.Lock(), nullptr);
}

}  // namespace
}  // namespace vd
