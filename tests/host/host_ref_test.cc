#include "host/host_ref.h"

#include <gtest/gtest.h>

#include "memhost/memory_dataset.h"

namespace pharmex::host {
namespace {

using memhost::MemoryDataSet;

class HostRefTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(MemoryDataSet::live_count(), live_before_); }

  // A new dataset with its one reference handed out raw.
  static MemoryDataSet* raw_dataset() { return MemoryDataSet::create({}).detach(); }

  int64_t live_before_ = MemoryDataSet::live_count();
};

TEST_F(HostRefTest, AdoptTakesOverTheReferenceAndReleasesItAtTheEnd) {
  MemoryDataSet* raw = raw_dataset();
  {
    auto ref = HostRef<MemoryDataSet>::adopt(raw);
    EXPECT_EQ(raw->ref_count(), 1u);
    EXPECT_EQ(MemoryDataSet::live_count(), live_before_ + 1);
  }
  EXPECT_EQ(MemoryDataSet::live_count(), live_before_);
}

TEST_F(HostRefTest, RetainAddsAReferenceToABorrowedPointer) {
  auto owner = HostRef<MemoryDataSet>::adopt(raw_dataset());
  {
    auto borrowed = HostRef<IDataSet>::retain(owner.get());
    EXPECT_EQ(owner->ref_count(), 2u);
  }
  EXPECT_EQ(owner->ref_count(), 1u);
  EXPECT_FALSE(HostRef<IDataSet>::retain(nullptr));
}

TEST_F(HostRefTest, CopiesCountMovesTransfer) {
  auto a = HostRef<MemoryDataSet>::adopt(raw_dataset());
  HostRef<MemoryDataSet> b = a;
  EXPECT_EQ(a->ref_count(), 2u);
  HostRef<MemoryDataSet> c = std::move(b);
  EXPECT_FALSE(b);
  EXPECT_EQ(a->ref_count(), 2u);
  HostRef<IDataSet> base = c;  // to the interface: a copy, so one more
  EXPECT_EQ(a->ref_count(), 3u);
  HostRef<IDataSet> moved = std::move(c);
  EXPECT_EQ(a->ref_count(), 3u);
  EXPECT_EQ(moved.get(), static_cast<IDataSet*>(a.get()));
}

TEST_F(HostRefTest, AssignmentReleasesWhatWasHeld) {
  auto a = HostRef<MemoryDataSet>::adopt(raw_dataset());
  auto b = HostRef<MemoryDataSet>::adopt(raw_dataset());
  MemoryDataSet* first = a.get();
  a = b;
  EXPECT_EQ(MemoryDataSet::live_count(), live_before_ + 1) << "the first dataset is gone";
  EXPECT_NE(a.get(), first);
  EXPECT_EQ(b->ref_count(), 2u);
  a = a;  // self-assignment keeps the count
  EXPECT_EQ(b->ref_count(), 2u);
  a = nullptr;
  EXPECT_EQ(b->ref_count(), 1u);
}

TEST_F(HostRefTest, PutReleasesAndExposesTheSlot) {
  auto set = HostRef<MemoryDataSet>::adopt(raw_dataset());
  HostRef<IDataSet> slot = set;
  IDataSet** address = slot.put();
  EXPECT_EQ(*address, nullptr);
  EXPECT_EQ(set->ref_count(), 1u);
  *address = HostRef<IDataSet>(set).detach();
  EXPECT_EQ(slot.get(), static_cast<IDataSet*>(set.get()));
  EXPECT_EQ(set->ref_count(), 2u);
}

TEST_F(HostRefTest, DetachGivesUpWithoutReleasing) {
  auto ref = HostRef<MemoryDataSet>::adopt(raw_dataset());
  MemoryDataSet* raw = ref.detach();
  EXPECT_FALSE(ref);
  EXPECT_EQ(raw->ref_count(), 1u);
  raw->lpVtbl->Release(raw);
}

}  // namespace
}  // namespace pharmex::host
