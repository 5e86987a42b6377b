#include "wrappers/controls/TreeItemCache.h"
#include <gtest/gtest.h>

using wrappers::TreeItemCache;

namespace {

HWND Tree(int n) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1000 + n)); }
HTREEITEM Item(LONG_PTR value) { return reinterpret_cast<HTREEITEM>(value); }
LONG Number(HTREEITEM item) { return static_cast<LONG>(reinterpret_cast<LONG_PTR>(item)); }

class TreeItemCacheTest : public ::testing::Test {
protected:
    LONG deletions_ = 0;
    TreeItemCache cache_{[this] { return deletions_; }};
};

} // namespace

TEST_F(TreeItemCacheTest, KnowsOnlyTheItemsItWasToldOfInTheirOwnTree) {
    const LONG seenAt = cache_.now();
    cache_.remember(Tree(1), Item(0x2000), seenAt);
    cache_.remember(Tree(1), Item(0x3000), seenAt);
    cache_.remember(Tree(1), nullptr, seenAt);
    EXPECT_EQ(cache_.find(Tree(1), 0x2000), Item(0x2000));
    EXPECT_EQ(cache_.find(Tree(1), 0x3000), Item(0x3000));
    EXPECT_EQ(cache_.find(Tree(1), 0x2004), nullptr);
    EXPECT_EQ(cache_.find(Tree(1), 0), nullptr);
    // Another tree's items are other items: moving to it forgets the first tree's.
    EXPECT_EQ(cache_.find(Tree(2), 0x2000), nullptr);
    EXPECT_EQ(cache_.find(Tree(1), 0x2000), nullptr);
}

TEST_F(TreeItemCacheTest, AnyDeletionForgetsEverything) {
    cache_.remember(Tree(1), Item(0x2000), cache_.now());
    ++deletions_;
    EXPECT_EQ(cache_.find(Tree(1), 0x2000), nullptr);
    // Items seen after the deletion count again.
    cache_.remember(Tree(1), Item(0x3000), cache_.now());
    EXPECT_EQ(cache_.find(Tree(1), 0x3000), Item(0x3000));
    cache_.forget();
    EXPECT_EQ(cache_.find(Tree(1), 0x3000), nullptr);
}

TEST_F(TreeItemCacheTest, AHandleReadBeforeADeletionIsNotKept) {
    // The walk read the handle, then the application deleted an item (perhaps that one)
    // before the walk handed it over.
    const LONG seenAt = cache_.now();
    ++deletions_;
    cache_.remember(Tree(1), Item(0x2000), seenAt);
    EXPECT_EQ(cache_.find(Tree(1), 0x2000), nullptr);
}

TEST_F(TreeItemCacheTest, NumbersAreTheLow32BitsOfTheHandle) {
    const HTREEITEM wide = Item(static_cast<LONG_PTR>(sizeof(void*) == 8 ? 0x0000000712345678LL : 0x12345678L));
    cache_.remember(Tree(1), wide, cache_.now());
    EXPECT_EQ(cache_.find(Tree(1), Number(wide)), wide);
}
