#include "players/reading.h"

#include <gtest/gtest.h>

#include "players/player_fixture.h"
#include "players/reference_players.h"

namespace dalu::testing {
namespace {

class Reading : public PlayerTest {
 protected:
  // The work board holds side 1's board as a quiet candidate left it; the next twin and the
  // one after are listed in blocks 101 and 201.
  void Prepare(int32_t n1, int32_t n2, int32_t t1, int32_t t2) {
    candidate_ = e().Boards[1];
    candidate_.ResultChains = 0;
    candidate_.ResultObstruct = 0;
    e().WorkBoard = candidate_;
    EnumeratePlacements(e(), 100, n1, n2);
    g().think.NextTwinCount = e().PlacementCount;
    EnumeratePlacements(e(), 200, t1, t2);
    g().think.ThirdTwinCount = e().PlacementCount;
  }

  // ReadAhead, checked against the plain reading on a copy of the game.
  int32_t Read(int32_t score, int depth) {
    e().WorkBoard = candidate_;  // the reading leaves its own scratch there
    GameBox other;
    other.g->eng = e();
    other.g->think.NextTwinCount = g().think.NextTwinCount;
    other.g->think.ThirdTwinCount = g().think.ThirdTwinCount;
    const int32_t want = ref::ReadAhead(*other.g, score, depth);
    const int32_t got = ReadAhead(g(), score, depth);
    EXPECT_EQ(got, want);
    return got;
  }

  // Column 1 of side 1 filled from row 1 to row `height` with isolated 3s and 4s, the top
  // three of them 1s.
  void TallColumn(int height) {
    Board& b = e().Boards[1];
    for (int y = 1; y <= height; ++y) b.Cells[1][y] = y > height - 3 ? 1 : 3 + (y % 2);
  }

  Board candidate_ = {};
};

TEST_F(Reading, ACandidateThatFiresIsMarkedDownWithoutReading) {
  Prepare(1, 2, 3, 4);
  e().WorkBoard.ResultChains = 1;
  const uint64_t passes = host().eventPasses;
  EXPECT_EQ(ReadAhead(g(), 250, 1), 250 - 1111);
  EXPECT_EQ(ReadAhead(g(), 250, 2), 250 - 1111);
  EXPECT_EQ(host().eventPasses, passes + 2);  // the window still gets its turn, once a call
}

TEST_F(Reading, WithNoPlayableNextTwinTheScoreStays) {
  for (int x = 1; x <= e().FieldWidth; ++x) e().Boards[1].Cells[x][e().FieldHeight] = kObstruct;
  for (int x = 1; x <= e().FieldWidth; ++x)
    for (int y = 1; y < e().FieldHeight; ++y) e().Boards[1].Cells[x][y] = 3 + (x + y) % 2;
  Prepare(1, 2, 3, 4);
  EXPECT_EQ(Read(-70, 1), -70);
  EXPECT_EQ(Read(-70, 2), -70);
}

TEST_F(Reading, AQuietResolutionIsWorthZeroAtDepthOne) {
  Prepare(1, 2, 3, 4);  // nothing on the field can vanish
  EXPECT_EQ(Read(-50, 1), 0);
  EXPECT_EQ(Read(30, 1), 30);
}

TEST_F(Reading, DepthOneTakesTheNextTwinsTwoStepChain) {
  // The next twin (1, 2) upright on column 2 puts its 1 at (2,2): the four 1s vanish (step 1,
  // 0 points), the 2s above fall together with the one at (4,1): five 2s (step 2, 8 points).
  Rows(1, {
              "2......",
              "2.2....",
              "1112...",
          });
  Prepare(1, 2, 3, 4);
  e().WorkBoard = e().Boards[1];
  ResolveChains(e(), TwinMove{1, 2, 2, 0, 0}, 2);
  ASSERT_EQ(e().WorkBoard.ResultChains, 2);
  ASSERT_EQ(e().WorkBoard.ResultObstruct, 8);
  Prepare(1, 2, 3, 4);
  EXPECT_EQ(Read(5, 1), 20008);
  EXPECT_EQ(Read(30000, 1), 30000);
}

TEST_F(Reading, DepthTwoNeverTriesAFullColumn) {
  e().ColourCount = 5;
  TallColumn(e().FieldHeight);  // a 1 at row H+1 would complete four 1s
  Prepare(5, 5, 5, 5);          // twins of a colour the triggers never use
  EXPECT_EQ(Read(12, 2), 12);

  // One row lower the same 1 lands at row H and fires.
  InitBoards(e(), box_.canvas);
  TallColumn(e().FieldHeight - 1);
  Prepare(5, 5, 5, 5);
  EXPECT_GE(Read(12, 2), 10000);
}

TEST_F(Reading, DepthTwoTriesAnEmptyColumnAtRowOne) {
  // The three 2s lie under columns of lone 3s and 4s: their only drop cell is row 1 of the
  // empty column 1. A 2 there vanishes four beads in one step, and nothing follows: the
  // twins (5, 1) bring two beads of each colour at most.
  e().ColourCount = 5;
  Rows(1, {
              ".3434..",
              ".4343..",
              ".3434..",
              ".4343..",
              ".3434..",
              ".2223..",
          });
  Prepare(5, 1, 5, 1);
  EXPECT_EQ(Read(12, 2), 10000);
}

TEST_F(Reading, DepthTwoNeverTriesColourFive) {
  e().ColourCount = 5;
  Rows(1, {"5..", "5..", "5.."});
  Prepare(1, 2, 3, 4);
  EXPECT_EQ(Read(12, 2), 12);

  // The same column of 4s is completed by a dropped 4.
  Rows(1, {"4..", "4..", "4.."});
  Prepare(1, 2, 3, 1);
  EXPECT_GE(Read(12, 2), 10000);
}

TEST_F(Reading, DepthTwoReadsNothingWithoutAQuietNextTwin) {
  // Two columns: every placement of the twin (1, 1) completes the 1s.
  e().FieldWidth = 2;
  InitBoards(e(), box_.canvas);
  Rows(1, {"1.", "1.", "1."});
  Prepare(1, 1, 2, 3);
  EXPECT_EQ(Read(12, 2), 12);
  EXPECT_GE(Read(12, 1), 10000);  // depth 1 resolves the next twin itself
}

TEST_F(Reading, IsQuietDropMeasuresBothBeadsTogether) {
  // A twin of one colour upright on two beads of that colour makes four.
  Rows(1, {"1.", "1."});
  e().WorkBoard = e().Boards[1];
  EXPECT_FALSE(IsQuietDrop(g(), TwinMove{1, 1, 1, 0, 0}));
  EXPECT_EQ(e().WorkBoard.Cells[1][3], 1);  // the twin stays written
  EXPECT_EQ(e().WorkBoard.Cells[1][4], 1);

  // Lying between a 1 on each side: the pivot's group includes the second bead.
  InitBoards(e(), box_.canvas);
  Rows(1, {"1..1"});
  e().WorkBoard = e().Boards[1];
  EXPECT_FALSE(IsQuietDrop(g(), TwinMove{1, 1, 2, 3, 0}));

  Rows(1, {"1..2"});
  e().WorkBoard = e().Boards[1];
  EXPECT_TRUE(IsQuietDrop(g(), TwinMove{1, 1, 2, 3, 0}));
}

TEST_F(Reading, IsQuietDropLeavesBeadsAboveTheFieldOut) {
  TallColumn(e().FieldHeight);
  e().WorkBoard = e().Boards[1];
  EXPECT_TRUE(IsQuietDrop(g(), TwinMove{1, 1, 1, 0, 0}));
  EXPECT_EQ(e().LandRow[1], e().FieldHeight + 1);
  EXPECT_EQ(e().WorkBoard.Cells[1][e().FieldHeight + 1], kEmpty);
  EXPECT_EQ(GroupSizeAt(g(), 1, e().FieldHeight + 1), 1);
}

TEST_F(Reading, GroupSizesCountEveryCellOnce) {
  Rows(1, {"11.", "11.", "11."});
  e().WorkBoard = e().Boards[1];
  EXPECT_EQ(GroupSizeAt(g(), 1, 1), 6);

  // A drop cell between a group of 2 and a group of 3 of colour 1.
  InitBoards(e(), box_.canvas);
  Rows(1, {"1.1.", "1311"});
  g().think.ReadBoard = e().Boards[1];
  EXPECT_EQ(GroupSizeWith(g(), 2, 2, 1), 6);
  g().think.ReadBoard.Cells[2][2] = 4;  // the start cell counts whatever it holds
  EXPECT_EQ(GroupSizeWith(g(), 2, 2, 1), 6);
  EXPECT_EQ(GroupSizeWith(g(), 2, 2, 2), 1);
}

}  // namespace
}  // namespace dalu::testing
