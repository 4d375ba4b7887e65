#include "players/emergency.h"

#include <gtest/gtest.h>

#include "players/player_fixture.h"
#include "players/reference_players.h"
#include "players/think.h"

namespace dalu::testing {
namespace {

class EmergencyTest : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    e().TurnNumber = 10;
    SetTwin(1, 1, 1, 2);
    SetTwin(1, 2, 1, 2);
    SetTwin(1, 3, 1, 2);
    e().TwinIndex[1] = 2;  // twin 1 is being placed
  }

  // Column x of side 1 filled with obstruct beads up to row h.
  void Obstructs(int x, int h) {
    for (int y = 1; y <= h; ++y) e().Boards[1].Cells[x][y] = kObstruct;
  }
  void Heights(std::initializer_list<int> h) {
    int x = 1;
    for (int v : h) Obstructs(x++, v);
  }

  // Runs both searches and checks the result and the candidate list against the plain
  // search on a copy of the game.
  TwinMove Run() {
    GameBox other;
    other.g->eng = e();
    ref::GetAllPSsSet(*other.g, 1);
    TwinMove want{9, 9, 9, 9, 9};
    std::vector<ref::Candidate> wantList;
    ref::Emergency(*other.g, 1, want, &wantList);

    GetAllPSsSet(g(), 1);
    for (int i = 101; i <= 400; ++i) e().Placements[i].Extra = i;  // travels with the copy
    TwinMove got{9, 9, 9, 9, 9};
    Emergency(g(), 1, got);
    if (want.Column > 0) want.Extra = got.Extra;
    EXPECT_EQ(got, want);
    const ThinkState& t = g().think;
    EXPECT_EQ(t.CandidateCount, static_cast<int>(wantList.size()));
    for (int k = 0; k < t.CandidateCount && k < static_cast<int>(wantList.size()); ++k) {
      EXPECT_EQ(t.Candidates[k].Attack, wantList[k].attack) << k;
      EXPECT_EQ(t.Candidates[k].Time, wantList[k].time) << k;
      EXPECT_EQ(t.Candidates[k].First, wantList[k].first) << k;
    }
    return got;
  }
};

TEST_F(EmergencyTest, ExactlyEightyPercentIsNoDanger) {
  Heights({9, 9, 9, 9, 9, 9, 8});  // 62 of 77 rows: 80 %
  const TwinMove r = Run();
  EXPECT_EQ(r.Column, 0);
  EXPECT_EQ(r.Colour1, 9);  // only the column is touched
  EXPECT_EQ(g().think.EmergencyThreat, 0);
  EXPECT_EQ(g().think.CandidateCount, 0);
}

TEST_F(EmergencyTest, SmallQueuesAreNotSearched) {
  Queue(1, 3, 11);
  Queue(1, 1, 12);
  const TwinMove r = Run();
  EXPECT_EQ(r.Column, 0);
  EXPECT_EQ(g().think.EmergencyThreat, 4);
  EXPECT_EQ(g().think.CandidateCount, 0);
}

TEST_F(EmergencyTest, AFullFieldSearchesEverySequenceButWaitsForEnoughPoints) {
  Heights({9, 9, 9, 9, 9, 9, 9});  // 63 rows: 81 %
  const TwinMove r = Run();
  EXPECT_EQ(g().think.EmergencyThreat, 70);
  EXPECT_EQ(g().think.EmergencyDeadline, 6);
  // Every sequence is on time (at most 3 placements, none of them producing points).
  EXPECT_GT(g().think.CandidateCount, 26 * 26 * 20);
  for (int k = 0; k < g().think.CandidateCount; ++k) {
    ASSERT_LE(g().think.Candidates[k].Time, 3);
    ASSERT_EQ(g().think.Candidates[k].Attack, 0);
  }
  EXPECT_EQ(r.Column, 0);  // nothing can vanish: the best net is -5
}

TEST_F(EmergencyTest, AFullFieldPlaysAnAttackThatReachesTheThreat) {
  // Three 1s on top of column 1; the twin (1, 1) upright makes five: ChainRate[1] points.
  Heights({6, 9, 9, 9, 9, 9, 9});
  for (int y = 7; y <= 9; ++y) e().Boards[1].Cells[1][y] = 1;
  SetTwin(1, 1, 1, 1);
  SetTwin(1, 2, 3, 4);  // the later twins add nothing
  SetTwin(1, 3, 3, 4);
  e().ChainRate[1] = 74;  // net 74 - 5 = 69: short of the threat of 70
  EXPECT_EQ(Run().Column, 0);
  e().ChainRate[1] = 75;  // net 70
  const TwinMove r = Run();
  EXPECT_EQ(r.Column, 1);
  EXPECT_EQ(r.Rotation, 0);
  EXPECT_EQ(r.Extra, 101);  // a full copy of entry 101

  // The general player of level 6 plays it at once and scores nothing.
  e().PlayerLevel[1] = 6;
  ThinkMove(g(), 1, TwinMove{1, 1, 4, 0, 0});
  EXPECT_EQ(g().ctl.TurnMove[1].Column, 1);
  EXPECT_EQ(g().ctl.TurnMove[1].Rotation, 0);
  EXPECT_EQ(g().think.ScoredCount, 0);
}

TEST_F(EmergencyTest, AnOverdueConsignmentForcesTheFirstPlayablePlacement) {
  Obstructs(1, e().FieldHeight);  // column 1 is full: placement (1, 0) is blocked
  Queue(1, 10, 9);                // due last turn: deadline 0
  Queue(1, 5, 20);                // later consignments add to the threat only
  const TwinMove r = Run();
  EXPECT_EQ(g().think.EmergencyThreat, 15);
  EXPECT_EQ(g().think.EmergencyDeadline, 0);
  for (int k = 0; k < g().think.CandidateCount; ++k) ASSERT_EQ(g().think.Candidates[k].Attack, 0);
  EXPECT_EQ(r.Column, 2);  // entry 102, the first that is not blocked
  EXPECT_EQ(r.Rotation, 0);
  EXPECT_EQ(r.Extra, 102);
}

TEST_F(EmergencyTest, DeadlineTwoKeepsOnlySinglePlacements) {
  Rows(1, {"1..", "1..", "1.."});
  SetTwin(1, 1, 1, 1);
  SetTwin(1, 2, 1, 1);
  e().ChainRate[1] = 10;  // five 1s: 10 points
  Queue(1, 8, 11);        // deadline 2
  const TwinMove r = Run();
  int kept = 0;
  for (int k = 0; k < g().think.CandidateCount; ++k) {
    const EmergencyCandidate& c = g().think.Candidates[k];
    if (c.Time >= 2) {
      ASSERT_EQ(c.Attack, 0) << k;
    }
    kept += c.Attack > 0;
  }
  EXPECT_GT(kept, 0);
  // Net 10 - 5 = 5 does not reach 8, but the deadline forces the first best one.
  EXPECT_EQ(r.Column, 1);
  EXPECT_EQ(r.Rotation, 0);
}

TEST_F(EmergencyTest, DeadlineThreeKeepsPairsWhoseFirstPlacementWasQuiet) {
  Rows(1, {"1..", "1..", "1.."});
  SetTwin(1, 1, 2, 3);
  SetTwin(1, 2, 1, 1);
  e().ChainRate[1] = 10;
  Queue(1, 30, 12);  // deadline 3
  Run();
  int pairs = 0;
  for (int k = 0; k < g().think.CandidateCount; ++k) {
    const EmergencyCandidate& c = g().think.Candidates[k];
    if (c.Time >= 3) {
      ASSERT_EQ(c.Attack, 0) << k;
    }
    pairs += c.Time == 2 && c.Attack > 0;
  }
  EXPECT_GT(pairs, 0);
}

TEST_F(EmergencyTest, WithEveryFirstPlacementBlockedThereIsNoMove) {
  for (int x = 1; x <= e().FieldWidth; ++x) Obstructs(x, e().FieldHeight);
  Queue(1, 30, 10);  // deadline 1
  const TwinMove r = Run();
  EXPECT_EQ(r.Column, 0);
  EXPECT_EQ(g().think.CandidateCount, 0);
}

TEST_F(EmergencyTest, PlacementSetsFollowTheSequence) {
  SetTwin(1, 4, 3, 3);
  SetTwin(1, 5, 2, 4);
  SetTwin(1, 6, 1, 1);
  e().TwinIndex[1] = 5;  // twin 4 is being placed
  GetAllPSsSet(g(), 1);
  EXPECT_EQ(g().think.PSCount[1], 13);  // one colour: 2W - 1
  EXPECT_EQ(g().think.PSCount[2], 26);  // two colours: 4W - 2
  EXPECT_EQ(g().think.PSCount[3], 13);
  EXPECT_EQ(e().Placements[101].Colour1, 3);
  EXPECT_EQ(e().Placements[226].Colour2, 4);
  EXPECT_EQ(e().Placements[313].Column, 6);
  EXPECT_EQ(e().Placements[313].Rotation, 3);
}

TEST_F(EmergencyTest, LongSearchesAgreeWithThePlainOneOnRandomFields) {
  for (uint64_t s = 0; s < 6; ++s) {
    TwinMove current[3];
    RandomPosition(g(), 500 + s, current);
    Heights({5, 4, 0, 3, 0, 6, 2});  // add height so the fill passes 80 % often
    Queue(1, 6 + static_cast<int>(s), e().TurnNumber + static_cast<int>(s % 4));
    Run();
  }
}

}  // namespace
}  // namespace dalu::testing
