// The obstruct queues: consignments, the offset of both sides' totals and the arrivals.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "match/match_loop.h"

namespace dalu {
namespace {

struct QueueFixture : ::testing::Test {
  void Queue(int q, std::initializer_list<std::pair<int32_t, int32_t>> items) {
    e.ObstructQueueLen[q] = 0;
    for (const auto& [amount, turn] : items) QueueObstruct(e, q, amount, turn);
  }
  std::vector<std::pair<int32_t, int32_t>> Items(int q) const {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (int i = 1; i <= e.ObstructQueueLen[q]; ++i)
      out.push_back({e.ObstructQueueAmount[q][i], e.ObstructQueueTurn[q][i]});
    return out;
  }
  using Items_t = std::vector<std::pair<int32_t, int32_t>>;
  Engine e;
};

TEST_F(QueueFixture, EqualTotalsCancelCompletely) {
  e.TurnNumber = 9;
  Queue(1, {{6, 5}});
  Queue(2, {{2, 3}, {4, 4}});
  const OffsetResult r = OffsetQueues(e);
  EXPECT_EQ(r.side, 1);
  EXPECT_EQ(r.fall, 0);
  EXPECT_TRUE(Items(1).empty());
  EXPECT_TRUE(Items(2).empty());
}

TEST_F(QueueFixture, AnEqualAmountGoesAndALargerOneShrinksAndStays) {
  e.TurnNumber = 1;
  Queue(1, {{4, 5}, {9, 6}});
  Queue(2, {{6, 7}});
  const OffsetResult r = OffsetQueues(e);
  EXPECT_EQ(r.side, 1);
  EXPECT_EQ(Items(1), (Items_t{{7, 6}}));
  EXPECT_TRUE(Items(2).empty());

  Queue(1, {{5, 9}});
  Queue(2, {{5, 9}, {3, 9}});  // side 2's total is larger: side 1's amount is used up
  EXPECT_EQ(OffsetQueues(e).side, 2);
  EXPECT_EQ(Items(2), (Items_t{{3, 9}}));
}

// A consignment cancelled by the offset and due in the same turn is removed once, not
// twice: the old counting would have made the queue length negative here.
TEST_F(QueueFixture, ACancelledConsignmentThatIsDueIsRemovedOnce) {
  e.TurnNumber = 3;
  Queue(1, {{5, 2}, {10, 3}});
  Queue(2, {{5, 9}});
  const OffsetResult r = OffsetQueues(e);
  EXPECT_EQ(r.side, 1);
  EXPECT_EQ(r.fall, 10);
  EXPECT_TRUE(Items(1).empty());
}

// The old compaction moved entries down by the number removed, which dropped a consignment
// still holding points when the removed ones were not all at the front.
TEST_F(QueueFixture, OnlyEmptiedConsignmentsGoAndTheRestKeepTheirOrder) {
  e.TurnNumber = 4;
  Queue(1, {{5, 4}, {3, 9}, {4, 10}});
  Queue(2, {{5, 20}});
  const OffsetResult r = OffsetQueues(e);
  EXPECT_EQ(r.fall, 0);  // the due one was cancelled
  EXPECT_EQ(Items(1), (Items_t{{3, 9}, {4, 10}}));

  e.TurnNumber = 9;
  Queue(1, {{2, 12}, {3, 9}, {4, 10}});
  Queue(2, {});
  EXPECT_EQ(OffsetQueues(e).fall, 3);
  EXPECT_EQ(Items(1), (Items_t{{2, 12}, {4, 10}}));
}

TEST_F(QueueFixture, AChainingSideKeepsItsDueConsignments) {
  e.TurnNumber = 8;
  e.Boards[1].ChainCount = 2;
  Queue(1, {{7, 3}, {2, 8}});
  Queue(2, {});
  const OffsetResult r = OffsetQueues(e);
  EXPECT_EQ(r.fall, 0);
  EXPECT_EQ(Items(1), (Items_t{{7, 3}, {2, 8}}));
  e.Boards[1].ChainCount = 0;
  EXPECT_EQ(OffsetQueues(e).fall, 9);
  EXPECT_TRUE(Items(1).empty());
}

TEST_F(QueueFixture, AFullQueueAddsToItsLastConsignment) {
  for (int i = 1; i <= kQueueCapacity; ++i) QueueObstruct(e, 2, i, 100 + i);
  QueueObstruct(e, 2, 50, 500);
  EXPECT_EQ(e.ObstructQueueLen[2], kQueueCapacity);
  EXPECT_EQ(e.ObstructQueueAmount[2][kQueueCapacity], kQueueCapacity + 50);
  EXPECT_EQ(e.ObstructQueueTurn[2][kQueueCapacity], 100 + kQueueCapacity);
}

}  // namespace
}  // namespace dalu
