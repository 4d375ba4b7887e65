#include "engine/chain.h"

#include <gtest/gtest.h>

#include "engine/board_helpers.h"
#include "engine/twins.h"

namespace dalu {
namespace {

using testing::Rows;
using testing::SetRows;
using Lines = std::vector<std::string>;

class ChainTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::FreshBoards(e); }

  // Places move on a copy of side 1's board and resolves it.
  void Resolve(const TwinMove& move, int mode = 2) {
    e.WorkBoard = e.Boards[1];
    ResolveChains(e, move, mode);
  }
  // The lowest n rows of the work board, top first.
  Lines Bottom(int n) {
    const Lines all = Rows(e, e.WorkBoard);
    return Lines(all.end() - n, all.end());
  }
  int Chains() const { return e.WorkBoard.ResultChains; }
  int Points() const { return e.WorkBoard.ResultObstruct; }

  Engine e;
};

TEST_F(ChainTest, PointsFollowTheTables) {
  EXPECT_EQ(ChainPoints(e, 1, 4), 0);
  EXPECT_EQ(ChainPoints(e, 1, 5), 1);
  EXPECT_EQ(ChainPoints(e, 2, 4), 6);
  EXPECT_EQ(ChainPoints(e, 3, 6), 18);
  EXPECT_EQ(ChainPoints(e, 1, 8), 4);
  // Beyond the tables a step scores like step 30.
  EXPECT_EQ(ChainPoints(e, 31, 5), ChainPoints(e, 30, 5));
  EXPECT_EQ(ChainPoints(e, 40, 4), 6 * 29);
  e.VanishCount = 3;
  EXPECT_EQ(ChainPoints(e, 1, 5), 2);
}

TEST_F(ChainTest, NothingVanishesAndBothBeadsStay) {
  SetRows(e, 1, {"3......"});
  Resolve({1, 2, 4, 0, 0});
  EXPECT_EQ(Chains(), 0);
  EXPECT_EQ(Points(), 0);
  EXPECT_EQ(e.FallCount, 0);
  EXPECT_EQ(Bottom(2), (Lines{"...2...", "3..1..."}));
}

TEST_F(ChainTest, LShapeOfFourVanishesAndItsNeighboursFall) {
  SetRows(e, 1, {"1......", "1......", "1......"});
  Resolve({1, 2, 2, 0, 0});  // pivot 1 at (2,1) completes an L of four
  EXPECT_EQ(Chains(), 1);
  EXPECT_EQ(Points(), 0);
  EXPECT_EQ(Bottom(3), (Lines{".......", ".......", ".2....."}));
}

TEST_F(ChainTest, GroupOfThreeStaysWithItsColoursRestored) {
  SetRows(e, 1, {"1......", "1......"});
  Resolve({1, 3, 2, 0, 0});
  EXPECT_EQ(Chains(), 0);
  EXPECT_EQ(Bottom(2), (Lines{"13.....", "11....."}));
  for (int x = 1; x <= 7; ++x)
    for (int y = 1; y <= 11; ++y) EXPECT_GE(e.WorkBoard.Cells[x][y], 0);
}

TEST_F(ChainTest, AdjacentObstructBeadsGoWithAVanishingGroup) {
  SetRows(e, 1, {"X......", "222X..."});
  Resolve({2, 3, 2, 0, 0});  // the 2 lands on (2,2) and makes four
  EXPECT_EQ(Chains(), 1);
  EXPECT_EQ(Points(), 0);  // obstruct beads taken along do not count
  EXPECT_EQ(Bottom(3), (Lines{".......", ".......", ".3....."}));
}

TEST_F(ChainTest, ObstructBeadNextToAGroupOfThreeStays) {
  SetRows(e, 1, {"22X...."});
  Resolve({2, 3, 1, 0, 0});
  EXPECT_EQ(Chains(), 0);
  EXPECT_EQ(Bottom(3), (Lines{"3......", "2......", "22X...."}));
}

TEST_F(ChainTest, TwoGroupsInOnePassAreOneStep) {
  SetRows(e, 1, {"......2", "111..22"});
  Resolve({1, 2, 4, 3, 0});  // 1 at column 4, 2 at column 5
  EXPECT_EQ(Chains(), 1);
  EXPECT_EQ(Points(), 4);  // points(1, 8)
  EXPECT_EQ(testing::CountBeads(e, e.WorkBoard), 0);
}

TEST_F(ChainTest, SecondStepScoresItsBonus) {
  SetRows(e, 1, {".2.....", "21.....", "21.....", "21....."});
  Resolve({1, 3, 3, 0, 0});  // the 1 at (3,1) fires the 1s; the 2 falls onto the 2s
  EXPECT_EQ(Chains(), 2);
  EXPECT_EQ(Points(), 0 + 6);
  EXPECT_EQ(Bottom(2), (Lines{".......", "..3...."}));
  EXPECT_EQ(e.FallCount, 0);
}

TEST_F(ChainTest, SingleBeadModeUsesTheRowGiven) {
  SetRows(e, 1, {"444...."});
  Resolve({4, 0, 4, 1, 0}, 1);  // colour 4 at column 4, row 1
  EXPECT_EQ(Chains(), 1);
  EXPECT_EQ(testing::CountBeads(e, e.WorkBoard), 0);
}

TEST_F(ChainTest, VerticalTwinOnAFullColumnKeepsTheSecondColour) {
  for (int y = 1; y <= 11; ++y) e.Boards[1].Cells[1][y] = 1 + (y % 2);
  Resolve({3, 4, 1, 0, 0});
  EXPECT_EQ(e.LandRow[1], 12);
  EXPECT_EQ(e.LandRow[2], 12);
  // The second colour remains; searched and not vanished above row H, it keeps its mark.
  EXPECT_EQ(e.WorkBoard.Cells[1][12], -4);
  EXPECT_EQ(Chains(), 0);
}

TEST_F(ChainTest, BeadAboveTheFieldJoinsAGroupWithRowH) {
  // Columns 1 and 2 full, no groups; (1,10), (1,11), (2,11) form a group of three 1s.
  for (int y = 1; y <= 11; ++y) {
    e.Boards[1].Cells[1][y] = 2 + (y % 2);
    e.Boards[1].Cells[2][y] = 3 - (y % 2) + 1;
  }
  e.Boards[1].Cells[1][10] = 1;
  e.Boards[1].Cells[1][11] = 1;
  e.Boards[1].Cells[2][11] = 1;
  e.Boards[1].Cells[2][10] = 4;
  Resolve({1, 3, 1, 3, 0});  // 1 lands at (1,12), 3 at (2,12)
  EXPECT_EQ(Chains(), 1);
  EXPECT_EQ(e.WorkBoard.Cells[1][12], kEmpty);
  EXPECT_EQ(e.WorkBoard.Cells[1][11], kEmpty);
  EXPECT_EQ(e.WorkBoard.Cells[2][11], kEmpty);
  // Rows above H are not scanned by gravity: the 3 stays where it landed, still marked
  // from its own search.
  EXPECT_EQ(e.WorkBoard.Cells[2][12], -3);
}

TEST_F(ChainTest, MarksAboveTheFieldStay) {
  for (int y = 1; y <= 11; ++y) e.Boards[1].Cells[1][y] = 2 + (y % 2);
  e.Boards[1].Cells[1][11] = 1;
  Resolve({1, 1, 1, 3, 0});  // 1 at (1,12) joins (1,11); the other 1 lands at (2,1)
  EXPECT_EQ(Chains(), 0);
  EXPECT_EQ(e.WorkBoard.Cells[1][11], 1);   // restored
  EXPECT_EQ(e.WorkBoard.Cells[1][12], -1);  // outside rows 1..H the mark stays
}

// A plain reference of the rules: every step searches the whole field for groups.
struct Reference {
  int chains = 0, points = 0, vanished = 0;
};

Reference ReferenceResolve(const Engine& e, Board& b) {
  Reference r;
  const int W = e.FieldWidth, H = e.FieldHeight;
  for (;;) {
    bool seen[kGridCols][kGridRows] = {};
    bool gone[kGridCols][kGridRows] = {};
    int n = 0;
    for (int x = 1; x <= W; ++x) {
      for (int y = 1; y <= H; ++y) {
        const int c = b.Cells[x][y];
        if (c < 1 || c > 9 || seen[x][y]) continue;
        std::vector<std::pair<int, int>> group{{x, y}};
        seen[x][y] = true;
        for (size_t i = 0; i < group.size(); ++i) {
          for (int d = 0; d < 4; ++d) {
            const int nx = group[i].first + DX[d], ny = group[i].second + DY[d];
            if (nx >= 1 && nx <= W && ny >= 1 && ny <= H && !seen[nx][ny] && b.Cells[nx][ny] == c) {
              seen[nx][ny] = true;
              group.push_back({nx, ny});
            }
          }
        }
        if (static_cast<int>(group.size()) >= e.VanishCount) {
          n += static_cast<int>(group.size());
          for (auto [gx, gy] : group) {
            gone[gx][gy] = true;
            for (int d = 0; d < 4; ++d) {
              const int nx = gx + DX[d], ny = gy + DY[d];
              if (b.Cells[nx][ny] == kObstruct) gone[nx][ny] = true;
            }
          }
        }
      }
    }
    if (n == 0) return r;
    for (int x = 1; x <= W; ++x)
      for (int y = 1; y <= H; ++y)
        if (gone[x][y]) b.Cells[x][y] = kEmpty;
    r.vanished += n;
    ++r.chains;
    r.points += ChainPoints(e, r.chains, n);
    for (int x = 1; x <= W; ++x) {
      int to = 1;
      for (int y = 1; y <= H; ++y) {
        if (b.Cells[x][y] != kEmpty) {
          const int c = b.Cells[x][y];
          b.Cells[x][y] = kEmpty;
          b.Cells[x][to++] = c;
        }
      }
    }
  }
}

int CountAll(const Engine& e, const Board& b, bool obstruct) {
  int n = 0;
  for (int x = 1; x <= e.FieldWidth; ++x)
    for (int y = 1; y <= e.FieldHeight; ++y)
      n += obstruct ? b.Cells[x][y] == kObstruct : IsColour(b.Cells[x][y]);
  return n;
}

// Many random placements, each checked against the reference: the same settled field, the
// same steps and points, and every bead accounted for (placed = left on the board + vanished).
TEST(ChainProperty, AgreesWithAPlainReferenceAndConservesBeads) {
  for (int size = 0; size < 3; ++size) {
    Engine e;
    e.FieldWidth = 4 + size * 2 + (size == 2);  // 4, 6, 9
    e.FieldHeight = 7 + size * 3;               // 7, 10, 13
    e.ColourCount = 3 + size;                   // 3, 4, 5
    e.rng.Seed(1234 + size);
    testing::FreshBoards(e);
    e.SequenceSplit = true;
    int placed = 0, deepest = 0, resets = 0;
    for (int turn = 1; turn <= 6000; ++turn) {
      Board& live = e.Boards[1];
      const int twin = (turn - 1) % 900 + 1;
      GenerateTwin(e, 1, twin);
      const int32_t c1 = e.TwinSequence[1][2 * twin - 1], c2 = e.TwinSequence[1][2 * twin];
      EnumeratePlacements(e, 0, c1, c2);
      // Occasionally an obstruct bead drops somewhere.
      if (e.rng.Below(5) == 0) {
        const int x = 1 + e.rng.Below(e.FieldWidth);
        int y = 1;
        while (y <= e.FieldHeight && live.Cells[x][y] != kEmpty) ++y;
        if (y <= e.FieldHeight) live.Cells[x][y] = kObstruct;
      }
      const TwinMove m = e.Placements[1 + e.rng.Below(e.PlacementCount)];
      e.WorkBoard = live;
      LandingRows(e, m);
      if (e.LandRow[1] > e.FieldHeight || e.LandRow[2] > e.FieldHeight) {
        testing::FreshBoards(e);  // the field is full: start over
        ++resets;
        continue;
      }
      Board ref = live;
      ref.Cells[m.Column][e.LandRow[1]] = m.Colour1;
      ref.Cells[m.Column + DX[m.Rotation]][e.LandRow[2]] = m.Colour2;
      const int beadsBefore = CountAll(e, live, false) + 2;
      const Reference expect = ReferenceResolve(e, ref);

      e.WorkBoard = live;
      ResolveChains(e, m, 2);
      ++placed;
      ASSERT_EQ(e.WorkBoard.ResultChains, expect.chains) << "turn " << turn;
      ASSERT_EQ(e.WorkBoard.ResultObstruct, expect.points) << "turn " << turn;
      for (int x = 0; x < kGridCols; ++x)
        for (int y = 0; y < kGridRows; ++y)
          ASSERT_EQ(e.WorkBoard.Cells[x][y], ref.Cells[x][y])
              << "turn " << turn << " " << x << "," << y;
      ASSERT_EQ(beadsBefore, CountAll(e, e.WorkBoard, false) + expect.vanished);
      ASSERT_EQ(e.FallCount, 0);
      deepest = std::max(deepest, expect.chains);
      live = e.WorkBoard;
    }
    EXPECT_GT(placed, 5000);
    EXPECT_GT(resets, 0);
    EXPECT_GE(deepest, 2) << "the random play should reach a few real chains";
  }
}

}  // namespace
}  // namespace dalu
