// The players' own quick forms of the engine's work (landing rows on any board, the test for
// a placement that vanishes nothing, the resolution on settled boards, group counts) must
// agree with the engine exactly; these tests compare them on many boards.
#include <gtest/gtest.h>

#include <cstring>

#include "players/bit_field.h"
#include "players/player_fixture.h"
#include "players/reference_players.h"
#include "players/search_util.h"

namespace dalu::testing {
namespace {

using players::CountGroup;
using players::IsSettled;
using players::LandingRowsOn;
using players::ResolveSettled;
using players::ResolvesNothing;

bool SameBoard(const Board& a, const Board& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class QuickSearch : public PlayerTest {
 protected:
  // Random settled boards of both sides for seed s; side 1 is also handed back.
  Board& Random(uint64_t s) {
    TwinMove current[3];
    RandomPosition(g(), s, current);
    return e().Boards[1 + static_cast<int>(s % 2)];
  }
};

TEST_F(QuickSearch, LandingRowsOnAnyBoardMatchTheEngine) {
  for (uint64_t s = 0; s < 40; ++s) {
    Board& b = Random(s);
    for (int32_t c2 : {1, 2}) {
      EnumeratePlacements(e(), 0, 1, c2);
      for (int i = 1; i <= e().PlacementCount; ++i) {
        const TwinMove m = e().Placements[i];
        e().WorkBoard = b;
        LandingRows(e(), m);
        int r1, r2;
        LandingRowsOn(e(), b, m, r1, r2);
        ASSERT_EQ(r1, e().LandRow[1]) << s << " " << i;
        ASSERT_EQ(r2, e().LandRow[2]) << s << " " << i;
      }
    }
  }
}

TEST_F(QuickSearch, ResolvesNothingExactlyWhenTheResolutionVanishesNothing) {
  int quiet = 0, firing = 0;
  for (uint64_t s = 0; s < 60; ++s) {
    Board& b = Random(s);
    const Board before = b;
    for (int32_t c1 = 1; c1 <= e().ColourCount; ++c1) {
      for (int32_t c2 = c1; c2 <= e().ColourCount; ++c2) {
        EnumeratePlacements(e(), 0, c1, c2);
        for (int i = 1; i <= e().PlacementCount; ++i) {
          const TwinMove m = e().Placements[i];
          const bool nothing = ResolvesNothing(e(), b, m);
          ASSERT_TRUE(SameBoard(b, before));
          e().WorkBoard = b;
          ResolveChains(e(), m, 2);
          ASSERT_EQ(nothing, e().WorkBoard.ResultChains == 0) << s << " " << i;
          if (nothing) {
            ASSERT_EQ(e().WorkBoard.ResultObstruct, 0);
          }
          (nothing ? quiet : firing)++;
        }
      }
    }
  }
  EXPECT_GT(firing, 100);  // the boards offer plenty of both
  EXPECT_GT(quiet, 100);
}

TEST_F(QuickSearch, SettledResolutionLeavesTheSameBoardAndResults) {
  int chains = 0, longest = 0;
  for (uint64_t s = 0; s < 80; ++s) {
    Board& b = Random(s);
    ASSERT_TRUE(IsSettled(e(), b)) << s;
    // Every twin placement, beads above row H included.
    for (int32_t c1 = 1; c1 <= e().ColourCount; ++c1) {
      for (int32_t c2 = 1; c2 <= e().ColourCount; ++c2) {
        EnumeratePlacements(e(), 0, c1, c2);
        for (int i = 1; i <= e().PlacementCount; ++i) {
          const TwinMove m = e().Placements[i];
          if (IsBlocked(e(), b, m)) continue;
          Board quick = b;
          ResolveSettled(e(), quick, m, 2);
          e().WorkBoard = b;
          ResolveChains(e(), m, 2);
          ASSERT_TRUE(SameBoard(quick, e().WorkBoard)) << s << " " << i;
          ASSERT_TRUE(IsSettled(e(), quick));
          chains += quick.ResultChains > 0;
          longest = std::max(longest, static_cast<int>(quick.ResultChains));
        }
      }
    }
    // Single beads dropped on each column, as the deep reading drops them.
    for (int x = 1; x <= e().FieldWidth; ++x) {
      int top = e().FieldHeight;
      while (top > 0 && b.Cells[x][top] == kEmpty) --top;
      if (top == e().FieldHeight) continue;
      for (int32_t c = 1; c <= 5; ++c) {
        const TwinMove bead{c, 0, x, top + 1, 0};
        Board quick = b;
        ResolveSettled(e(), quick, bead, 1);
        e().WorkBoard = b;
        ResolveChains(e(), bead, 1);
        ASSERT_TRUE(SameBoard(quick, e().WorkBoard)) << s << " column " << x;
        // The mask form: the same value wherever the masks can hold the board (marks above
        // row H, obstruct beads and odd vanish counts included).
        if (!players::FitsBits(e(), b)) continue;
        players::BitField f;
        players::ToBits(e(), b, f);
        players::NoBitWatch none;
        ASSERT_EQ(players::ResolveBits(e(), f, x, top + 1, c, none),
                  e().WorkBoard.ResultChains * 10000 + e().WorkBoard.ResultObstruct)
            << s << " column " << x << " colour " << c;
      }
    }
  }
  EXPECT_GT(chains, 500);
  EXPECT_GE(longest, 3);
}

// The searches hand the quick forms boards that earlier resolutions left: marks above the
// field stay there, and fields, vanish counts and chain tables may come from a record.
TEST_F(QuickSearch, QuickFormsAgreeOnResolvedBoardsOfEveryShape) {
  int compared = 0, longChains = 0, masked = 0, maskedChains = 0;
  for (uint64_t s = 0; s < 400; ++s) {
    Rng r(s + 12345);
    e().ConstSet();
    e().FieldWidth = 3 + r.Below(7);
    e().FieldHeight = 4 + r.Below(11);
    e().VanishCount = 2 + r.Below(4);
    e().ColourCount = 2 + r.Below(4);
    if (r.Below(3) == 0) {
      for (int i = 1; i <= kChainTableSize; ++i) {
        e().ChainBonus[i] = e().ChainBonus[i - 1] + r.Below(50);
        e().ChainRate[i] = r.Below(7);
      }
    }
    InitBoards(e(), box_.canvas);
    Board b = ResolvedBoard(e(), r, 5 + r.Below(60), 5);
    ASSERT_TRUE(IsSettled(e(), b)) << s;
    for (int32_t c1 = 1; c1 <= e().ColourCount; ++c1) {
      for (int32_t c2 = 1; c2 <= e().ColourCount; ++c2) {
        EnumeratePlacements(e(), 0, c1, c2);
        for (int i = 1; i <= e().PlacementCount; ++i) {
          const TwinMove m = e().Placements[i];
          if (IsBlocked(e(), b, m)) continue;
          Board quick = b;
          const bool nothing = ResolvesNothing(e(), quick, m);
          ASSERT_TRUE(SameBoard(quick, b)) << s << " " << i;
          ResolveSettled(e(), quick, m, 2);
          e().WorkBoard = b;
          ResolveChains(e(), m, 2);
          ASSERT_TRUE(SameBoard(quick, e().WorkBoard)) << s << " " << i;
          ASSERT_EQ(nothing, e().WorkBoard.ResultChains == 0) << s << " " << i;
          ++compared;
          longChains += e().WorkBoard.ResultChains > 1;
        }
      }
    }
    for (int x = 1; x <= e().FieldWidth; ++x) {
      int top = e().FieldHeight;
      while (top > 0 && b.Cells[x][top] == kEmpty) --top;
      if (top == e().FieldHeight) continue;
      for (int32_t c = 1; c <= 5; ++c) {
        const TwinMove bead{c, 0, x, top + 1, 0};
        Board quick = b;
        ResolveSettled(e(), quick, bead, 1);
        e().WorkBoard = b;
        ResolveChains(e(), bead, 1);
        ASSERT_TRUE(SameBoard(quick, e().WorkBoard)) << s << " column " << x;
        // The mask form: the same value wherever the masks can hold the board (marks above
        // row H, obstruct beads and odd vanish counts included).
        if (!players::FitsBits(e(), b)) continue;
        players::BitField f;
        players::ToBits(e(), b, f);
        players::NoBitWatch none;
        ASSERT_EQ(players::ResolveBits(e(), f, x, top + 1, c, none),
                  e().WorkBoard.ResultChains * 10000 + e().WorkBoard.ResultObstruct)
            << s << " column " << x << " colour " << c;
        ++masked;
        maskedChains += e().WorkBoard.ResultChains > 1;
      }
    }
  }
  EXPECT_GT(compared, 50000);
  EXPECT_GT(longChains, 2000);
  EXPECT_GT(masked, 5000);
  EXPECT_GT(maskedChains, 100);
}

TEST_F(QuickSearch, SettledMeansNoMarksAndNoFloatingBeads) {
  Rows(1, {"1..", "2.3"});
  EXPECT_TRUE(IsSettled(e(), e().Boards[1]));
  e().Boards[1].Cells[2][3] = 4;  // above an empty cell
  EXPECT_FALSE(IsSettled(e(), e().Boards[1]));
  e().Boards[1].Cells[2][3] = kEmpty;
  e().Boards[1].Cells[3][1] = -3;  // a search mark
  EXPECT_FALSE(IsSettled(e(), e().Boards[1]));
  e().Boards[1].Cells[3][1] = 3;
  e().Boards[1].Cells[3][e().FieldHeight + 1] = -2;  // marks above the field do not count
  EXPECT_TRUE(IsSettled(e(), e().Boards[1]));
}

TEST_F(QuickSearch, CountGroupFindsTheGroupInOrderAndLeavesTheBoard) {
  for (uint64_t s = 0; s < 30; ++s) {
    Board& b = Random(s);
    const Board before = b;
    for (int x = 1; x <= e().FieldWidth; ++x) {
      for (int y = 1; y <= e().FieldHeight; ++y) {
        const int32_t c = b.Cells[x][y];
        if (c == kEmpty) continue;
        CellPos found[kGroupCapacity];
        const int n = CountGroup(b, x, y, c, kGroupCapacity, found);
        const std::vector<ref::Cell> want = ref::Group(b, x, y, c);
        ASSERT_EQ(n, static_cast<int>(want.size()));
        for (int k = 0; k < n; ++k) {
          ASSERT_EQ(found[k].x, want[k].x);
          ASSERT_EQ(found[k].y, want[k].y);
        }
        // Stopping at a limit keeps the first cells and the count up to it.
        const int capped = CountGroup(b, x, y, c, 2, nullptr);
        ASSERT_EQ(capped, std::min(n, 2));
        ASSERT_TRUE(SameBoard(b, before));
      }
    }
  }
}

TEST_F(QuickSearch, CountGroupOfAnEmptyRegionStaysInsideTheGrid) {
  // The empty space of a fresh field: columns 1..W, rows 1..H+3, walled in.
  const int n = CountGroup(e().Boards[1], 1, 1, kEmpty, kGroupCapacity, nullptr);
  EXPECT_EQ(n, e().FieldWidth * (e().FieldHeight + 3));
}

}  // namespace
}  // namespace dalu::testing
