// The three-twin look-ahead player on hand-built fields, with the random addition fixed at 0.
#include <gtest/gtest.h>

#include <vector>

#include "players/player_fixture.h"
#include "players/reference_players.h"
#include "players/think.h"

namespace dalu::testing {
namespace {

class LookAheadTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    e().ColourCount = 5;
    SetTwin(1, 1, 1, 2);
    SetTwin(1, 2, 3, 4);  // the look-ahead twins: nothing for them to vanish below
    SetTwin(1, 3, 3, 4);
  }
  int32_t Score(int column, int rotation) {
    const int i = Entry(0, g().think.ScoredCount, column, rotation);
    EXPECT_GT(i, 0);
    return g().think.CandidateScore[i];
  }
  // LookAhead for side 1 on its board as a candidate with `chains` and `points` left it.
  int32_t Look(int32_t crowd, int32_t shape, int32_t chains = 0, int32_t points = 0) {
    g().think.LookAheadPlayer = 1;
    e().TwinIndex[1] = 2;
    e().WorkBoard = e().Boards[1];
    e().WorkBoard.ResultChains = chains;
    e().WorkBoard.ResultObstruct = points;
    return LookAhead(g(), crowd, shape, 36);
  }
};

TEST_F(LookAheadTest, QuietShapesKeepTheirScore) {
  const TwinMove m = Thinking2p(g(), 1, Hand(1, 1), 24);
  const int H = e().FieldHeight;
  EXPECT_EQ(Score(1, 0), 2 * H - 1 - 2);
  EXPECT_EQ(Score(1, 3), 2 * H - 1 - 1);
  EXPECT_EQ(m, (TwinMove{1, 2, 1, 3, m.Extra}));  // the first of the lying placements
}

TEST_F(LookAheadTest, OwnColoursAroundTheRunUnderABead) {
  // (1, 0) of (1, 4): the 1 lands at (1,4) on the 3; the run of 3s ends at row 2, whose
  // right neighbour is a 1 (+15) and whose cell below holds a 4 (-17). The 4 lands at (1,5)
  // on its own 1; below that is the 3 at row 3, with a 2 under it (-17).
  Rows(1, {"3.", "21", "43"});
  SetTwin(1, 1, 1, 4);
  SetTwin(1, 2, 2, 2);
  SetTwin(1, 3, 5, 5);
  Thinking2p(g(), 1, Hand(1, 1), 24);
  EXPECT_EQ(Score(1, 0), 2 * e().FieldHeight - 4 - 5 + 15 - 17 - 17);
}

TEST_F(LookAheadTest, ABeadAboveTheFieldCostsForty) {
  const int H = e().FieldHeight;
  for (int y = 1; y < H; ++y) e().Boards[1].Cells[1][y] = 3 + y % 2;
  SetTwin(1, 2, 5, 5);
  SetTwin(1, 3, 2, 2);
  Thinking2p(g(), 1, Hand(1, 1), 24);
  // The 1 lands at row H on a 3; the run stops at once at the 4 below it, which sits on
  // another 3 (-17). The 2 lands above the field.
  EXPECT_EQ(Score(1, 0), 2 * H - H - (H + 1) - 40 - 17);
}

TEST_F(LookAheadTest, BigSequencesAtCrowdZeroAreWorthAHundredPerPoint) {
  // The next twin (1, 1) completes five 1s. With 100 points for that the three twins pass
  // (130 - 0) x 36 / 60 = 78 points: (4 p3 + p1 + 2 p2) x 100.
  Rows(1, {"1..", "1..", "1.."});
  SetTwin(1, 2, 1, 1);
  e().ChainRate[1] = 100;
  EXPECT_EQ(Look(0, 7), 20000);
  // With the usual 1 point they do not: 50 per point of the later twins.
  e().ChainRate[1] = 1;
  EXPECT_EQ(Look(0, 7), 50);
}

TEST_F(LookAheadTest, ACrowdedFieldValuesAnyChain) {
  Rows(1, {"1..", "1..", "1.."});
  SetTwin(1, 2, 1, 1);
  EXPECT_EQ(Look(71, 7), (0 + 4 * 0 + 2 * 1) * 100 + 100);
  // A candidate that fires 1 point itself: at least 500 when crowded, 1 when not.
  InitBoards(e(), box_.canvas);
  SetTwin(1, 2, 3, 4);
  EXPECT_EQ(Look(71, 7, 1, 1), 500);
  EXPECT_EQ(Look(0, 7, 1, 1), 1);
}

TEST_F(LookAheadTest, NoPlayableContinuationIsWorthMinusHundred) {
  for (int x = 1; x <= e().FieldWidth; ++x) e().Boards[1].Cells[x][e().FieldHeight] = kObstruct;
  EXPECT_EQ(Look(0, 7), -100);
}

TEST_F(LookAheadTest, PendingPointsCrowdTheFieldIntoFiring) {
  Rows(1, {"1......", "1......", "1......"});
  SetTwin(1, 1, 1, 1);
  TwinMove m = Thinking2p(g(), 1, Hand(1, 1), 24);
  EXPECT_EQ(Score(1, 0), 1);  // firing a small chain at once is worth 1
  EXPECT_NE(m.Column * 10 + m.Rotation, 10);

  e().Boards[1].PendingShown = 71;
  m = Thinking2p(g(), 1, Hand(1, 1), 24);
  EXPECT_EQ(Score(1, 0), (4 * 1) * 100 + 100);
  EXPECT_EQ(m, (TwinMove{1, 1, 1, 0, m.Extra}));
}

TEST_F(LookAheadTest, TheWindowRunsOncePerPlayableCandidate) {
  uint64_t before = host().eventPasses;
  Thinking2p(g(), 1, Hand(1, 1), 24);
  EXPECT_EQ(host().eventPasses, before + 26);

  for (int y = 1; y <= e().FieldHeight; ++y) e().Boards[1].Cells[1][y] = kObstruct;
  before = host().eventPasses;
  Thinking2p(g(), 1, Hand(1, 1), 24);
  EXPECT_EQ(host().eventPasses, before + 24);  // (1, 0) and (1, 2) are blocked
  EXPECT_EQ(g().think.CandidateScore[1], kNotScored);
}

TEST_F(LookAheadTest, EveryPlacementBlockedGivesTheFirstPlacement) {
  for (int x = 1; x <= e().FieldWidth; ++x)
    for (int y = 1; y <= e().FieldHeight; ++y) e().Boards[1].Cells[x][y] = kObstruct;
  const TwinMove m = Thinking2p(g(), 1, Hand(1, 1), 24);
  EXPECT_EQ(m, (TwinMove{1, 2, 1, 0, m.Extra}));
}

// The look-ahead answers most sequences from sets read once per candidate or once per
// decision, and stops early when no sequence can pass bigAttack. On fields of every size the
// bit masks hold, filled up to the top, with vanish counts of 2 to 5 and chain tables that
// make big sequences reachable or not, every candidate's score is still the plain player's.
TEST_F(LookAheadTest, EveryScoreAgreesWithThePlainPlayerOnFieldsOfEveryShape) {
  struct Shape {
    int w, h, v;
  };
  for (const Shape shape : {Shape{8, 15, 4}, Shape{8, 14, 2}, Shape{3, 6, 3}, Shape{7, 11, 5}}) {
    for (uint64_t seed = 1; seed <= 24; ++seed) {
      Rng r(seed * 131 + static_cast<uint64_t>(shape.w));
      e().FieldWidth = shape.w;
      e().FieldHeight = shape.h;
      e().VanishCount = shape.v;
      e().ColourCount = 3 + r.Below(3);
      for (int i = 1; i <= kChainTableSize; ++i) {
        e().ChainBonus[i] = e().ChainBonus[i - 1] + (seed % 2 == 0 ? r.Below(30) : 3 * i);
        e().ChainRate[i] = r.Below(4) - 1;
      }
      InitBoards(e(), box_.canvas);
      RandomBoard(e(), 1, r, 5 + r.Below(80));
      for (int i = 1; i <= 20; ++i) e().TwinSequence[1][i] = 1 + r.Below(e().ColourCount);
      e().Boards[1].PendingShown = r.Below(3) * 40;
      const TwinMove current = Hand(1, 1);
      GameBox other;
      other.g->eng = e();
      other.g->think.FixedNoise = 0;
      Thinking2p(g(), 1, current, 24);
      std::vector<int32_t> scores;
      ref::Thinking2p(*other.g, 1, current, 24, &scores);
      ASSERT_EQ(g().think.ScoredCount + 1, static_cast<int>(scores.size()));
      for (int i = 1; i <= g().think.ScoredCount; ++i)
        ASSERT_EQ(g().think.CandidateScore[i], scores[i])
            << shape.w << "x" << shape.h << " " << seed;
    }
  }
}

}  // namespace
}  // namespace dalu::testing
