// The engine's inner routines run millions of times per computer decision: none of them may
// touch the heap.
#include <gtest/gtest.h>

#include "engine/board_helpers.h"
#include "engine/chain.h"
#include "engine/twins.h"
#include "util/alloc_counter.h"

namespace dalu {
namespace {

TEST(EngineAllocations, PlacementAndResolutionAllocateNothing) {
  auto e = std::make_unique<Engine>();
  testing::FreshBoards(*e);
  testing::SetRows(*e, 1,
                   {"..3.2..", "..2.4.2", "..213.2", "..212.4", "2.123.1", "3313313", "3441412",
                    "2221324", "1314441"});
  const uint64_t n = testing::AllocationsDuring([&] {
    for (int rep = 0; rep < 3; ++rep) {
      EnumeratePlacements(*e, 0, 4, 3);
      EnumeratePlacements(*e, 100, 2, 2);
      for (int i = 1; i <= 26; ++i) {
        if (IsBlocked(*e, e->Boards[1], e->Placements[i])) continue;
        e->WorkBoard = e->Boards[1];
        LandingRows(*e, e->Placements[i]);
        ResolveChains(*e, e->Placements[i], 2);
      }
      e->WorkBoard = e->Boards[1];
      e->FallCount = 0;
      ApplyGravity(*e);
      GenerateTwin(*e, 1, rep + 1);
    }
  });
  EXPECT_EQ(n, 0u);
  // The position really chains, so the measured path includes gravity and rescans.
  e->WorkBoard = e->Boards[1];
  ResolveChains(*e, {4, 3, 6, 2, 0}, 2);
  EXPECT_EQ(e->WorkBoard.ResultChains, 5);
  EXPECT_EQ(e->WorkBoard.ResultObstruct, 63);
}

}  // namespace
}  // namespace dalu
