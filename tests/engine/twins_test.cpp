#include "engine/twins.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/board_helpers.h"

namespace dalu {
namespace {

// Fills beads 1..n of side p with the given colours.
void History(Engine& e, int p, const std::vector<int>& beads) {
  for (size_t i = 0; i < beads.size(); ++i) e.TwinSequence[p][i + 1] = beads[i];
}

TEST(GenerateTwin, FirstBeadsDrawEveryColourEvenly) {
  int seen[5] = {};
  for (uint64_t seed = 1; seed <= 4000; ++seed) {
    Engine e;
    e.rng.Seed(seed);
    GenerateTwin(e, 1, 1);
    GenerateTwin(e, 1, 2);
    for (int i = 1; i <= 3; ++i) ++seen[e.TwinSequence[1][i]];
  }
  EXPECT_EQ(seen[0], 0);
  for (int c = 1; c <= 4; ++c) EXPECT_NEAR(seen[c], 3000, 250) << c;
}

TEST(GenerateTwin, AColourSeenThreeTimesInTheLastFiveIsNeverDrawn) {
  for (uint64_t seed = 1; seed <= 300; ++seed) {
    Engine e;
    e.rng.Seed(seed);
    History(e, 1, {1, 2, 3, 2, 4, 2});  // beads 2..6 hold colour 2 three times
    GenerateTwin(e, 1, 4);              // beads 7 and 8
    ASSERT_NE(e.TwinSequence[1][7], 2) << seed;
  }
}

TEST(GenerateTwin, TheOnlyColourMissingFromTheLastEightIsForced) {
  for (uint64_t seed = 1; seed <= 100; ++seed) {
    Engine e;
    e.rng.Seed(seed);
    History(e, 1, {1, 2, 4, 1, 2, 4, 1, 2, 4, 1});  // colour 3 absent from beads 3..10
    GenerateTwin(e, 1, 6);                          // beads 11, 12
    ASSERT_EQ(e.TwinSequence[1][11], 3) << seed;
  }
  for (uint64_t seed = 1; seed <= 100; ++seed) {
    Engine e;
    e.rng.Seed(seed);
    History(e, 1, {2, 3, 2, 3, 2, 3, 2, 3, 2, 3});  // colours 1 and 4 absent: the higher wins
    GenerateTwin(e, 1, 6);
    ASSERT_EQ(e.TwinSequence[1][11], 4) << seed;
  }
}

TEST(GenerateTwin, RareColoursOfTheLastTwelveAreFavoured) {
  // Beads 1..12 hold colour 4 once: from bead 13 on it gets weight 3 against 1, 1, 1 — unless
  // another colour is absent from the last eight, which this history avoids.
  int fours = 0, draws = 0;
  for (uint64_t seed = 1; seed <= 3000; ++seed) {
    Engine e;
    e.rng.Seed(seed);
    History(e, 1, {1, 2, 3, 1, 2, 3, 4, 1, 2, 3, 1, 2});
    // Colour 3 was seen three times in 12 (no bonus) but colour 3 is within the last eight.
    GenerateTwin(e, 1, 7);  // beads 13, 14
    fours += e.TwinSequence[1][13] == 4;
    ++draws;
  }
  // Weights: 1 -> 1 (seen 4x), 2 -> 1, 3 -> 1, 4 -> 3: colour 4 comes half of the time.
  EXPECT_NEAR(static_cast<double>(fours) / draws, 0.5, 0.04);
}

TEST(GenerateTwin, SideTwoCopiesSideOneUntilTheFirstVanish) {
  Engine e;
  e.rng.Seed(7);
  for (int n = 1; n <= 20; ++n) {
    GenerateTwin(e, 1, n);
    GenerateTwin(e, 2, n);
    EXPECT_EQ(e.TwinSequence[2][2 * n - 1], e.TwinSequence[1][2 * n - 1]);
    EXPECT_EQ(e.TwinSequence[2][2 * n], e.TwinSequence[1][2 * n]);
  }
  e.SequenceSplit = true;
  int differ = 0;
  for (int n = 21; n <= 80; ++n) {
    GenerateTwin(e, 1, n);
    GenerateTwin(e, 2, n);
    differ += e.TwinSequence[2][2 * n - 1] != e.TwinSequence[1][2 * n - 1];
  }
  EXPECT_GT(differ, 10);
}

TEST(GenerateTwin, OneColourAndTheEndOfTheSequence) {
  Engine e;
  e.ColourCount = 1;
  for (int n = 1; n <= 30; ++n) GenerateTwin(e, 1, n);
  for (int i = 1; i <= 60; ++i) EXPECT_EQ(e.TwinSequence[1][i], 1);

  Engine f;
  f.ColourCount = 5;
  GenerateTwin(f, 1, 1000);
  EXPECT_NE(f.TwinSequence[1][2000], 0);
  GenerateTwin(f, 1, 1001);  // would be beads 2001, 2002: never written
  GenerateTwin(f, 1, 1024);
  for (int i = 2001; i <= kSequenceBeads; ++i) EXPECT_EQ(f.TwinSequence[1][i], 0);
}

TEST(GenerateTwin, EveryBeadIsAColourInPlay) {
  for (int C = 2; C <= 5; ++C) {
    Engine e;
    e.ColourCount = C;
    e.SequenceSplit = true;
    e.rng.Seed(C);
    std::set<int> seen;
    for (int n = 1; n <= 1000; ++n) {
      GenerateTwin(e, 2, n);
      for (int i : {2 * n - 1, 2 * n}) {
        ASSERT_GE(e.TwinSequence[2][i], 1);
        ASSERT_LE(e.TwinSequence[2][i], C);
        seen.insert(e.TwinSequence[2][i]);
      }
    }
    EXPECT_EQ(static_cast<int>(seen.size()), C);
  }
}

TEST(EnumeratePlacements, OrderAndCounts) {
  Engine e;
  EnumeratePlacements(e, 0, 1, 2);
  ASSERT_EQ(e.PlacementCount, 26);
  EXPECT_EQ(e.Placements[1], (TwinMove{1, 2, 1, 0, 0}));
  EXPECT_EQ(e.Placements[7], (TwinMove{1, 2, 7, 0, 0}));
  EXPECT_EQ(e.Placements[8], (TwinMove{1, 2, 1, 2, 0}));
  EXPECT_EQ(e.Placements[15], (TwinMove{1, 2, 1, 3, 0}));
  EXPECT_EQ(e.Placements[21], (TwinMove{1, 2, 2, 1, 0}));
  EXPECT_EQ(e.Placements[26], (TwinMove{1, 2, 7, 1, 0}));

  e.Placements[113].Extra = 99;  // Extra is not written
  EnumeratePlacements(e, 100, 3, 3);
  ASSERT_EQ(e.PlacementCount, 13);
  EXPECT_EQ(e.Placements[101], (TwinMove{3, 3, 1, 0, 0}));
  EXPECT_EQ(e.Placements[113], (TwinMove{3, 3, 6, 3, 99}));
  EXPECT_EQ(e.Placements[1], (TwinMove{1, 2, 1, 0, 0}));  // other blocks untouched

  e.FieldWidth = 9;
  EnumeratePlacements(e, 300, 4, 5);
  EXPECT_EQ(e.PlacementCount, 34);
  EXPECT_EQ(e.Placements[334], (TwinMove{4, 5, 9, 1, 0}));
}

TEST(LandingRows, EmptyAndStackedColumns) {
  Engine e;
  testing::FreshBoards(e);
  e.WorkBoard = e.Boards[1];
  LandingRows(e, {1, 2, 3, 0, 0});
  EXPECT_EQ(e.LandRow[1], 1);
  EXPECT_EQ(e.LandRow[2], 2);
  LandingRows(e, {1, 2, 3, 2, 0});
  EXPECT_EQ(e.LandRow[1], 2);
  EXPECT_EQ(e.LandRow[2], 1);

  testing::SetRows(e, 1, {"1......", "1......", "12....."});
  e.WorkBoard = e.Boards[1];
  LandingRows(e, {3, 4, 1, 3, 0});  // horizontal over columns 1 and 2
  EXPECT_EQ(e.LandRow[1], 4);
  EXPECT_EQ(e.LandRow[2], 2);
  LandingRows(e, {3, 4, 2, 1, 0});  // pivot in column 2, second bead left in column 1
  EXPECT_EQ(e.LandRow[1], 2);
  EXPECT_EQ(e.LandRow[2], 4);

  for (int y = 1; y <= 11; ++y) e.Boards[1].Cells[5][y] = 1;
  e.WorkBoard = e.Boards[1];
  LandingRows(e, {3, 4, 5, 0, 0});
  EXPECT_EQ(e.LandRow[1], 12);
  EXPECT_EQ(e.LandRow[2], 12);  // never above H+1
  LandingRows(e, {3, 4, 5, 2, 0});
  EXPECT_EQ(e.LandRow[1], 12);
  EXPECT_EQ(e.LandRow[2], 12);
  LandingRows(e, {3, 4, 5, 3, 0});
  EXPECT_EQ(e.LandRow[1], 12);
  EXPECT_EQ(e.LandRow[2], 1);
}

TEST(IsBlocked, LooksOnlyAtRowH) {
  Engine e;
  testing::FreshBoards(e);
  Board& b = e.Boards[1];
  for (int y = 1; y <= 10; ++y) b.Cells[3][y] = 1;
  EXPECT_FALSE(IsBlocked(e, b, {1, 2, 3, 0, 0}));  // row H still open
  b.Cells[3][11] = 2;
  EXPECT_TRUE(IsBlocked(e, b, {1, 2, 3, 0, 0}));
  EXPECT_TRUE(IsBlocked(e, b, {1, 2, 3, 2, 0}));
  EXPECT_FALSE(IsBlocked(e, b, {1, 2, 3, 3, 0}));  // one column open is playable
  b.Cells[4][11] = kObstruct;
  EXPECT_TRUE(IsBlocked(e, b, {1, 2, 3, 3, 0}));
  EXPECT_TRUE(IsBlocked(e, b, {1, 2, 4, 1, 0}));
  EXPECT_FALSE(IsBlocked(e, b, {1, 2, 2, 3, 0}));
}

}  // namespace
}  // namespace dalu
