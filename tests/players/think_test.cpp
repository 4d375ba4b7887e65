// The level table, the dispatch, and the players as a whole on random mid-match positions,
// checked against the plain second implementation in reference_players.h.
#include "players/think.h"

#include <gtest/gtest.h>

#include <cstring>

#include "players/levels.h"
#include "players/player_fixture.h"
#include "players/reading.h"
#include "players/reference_players.h"

namespace dalu::testing {
namespace {

TEST(LevelTable, NamesInBothLanguages) {
  const char* english[kLevelCount] = {"User",
                                      "No Attack",
                                      "Weakest Attack",
                                      "Weak Attack",
                                      "2 Chain Only",
                                      "Weaker Gutcha",
                                      "Gutcha",
                                      "Older Reading Gutcha",
                                      "Reading Gutcha(Counter)",
                                      "Far more Reading Gutcha"};
  // CP932 bytes of the Japanese names.
  const char* japanese[kLevelCount] = {
      "\x83\x86\x81\x5b\x83\x55\x81\x5b",                 // User
      "\x8d\x55\x8c\x82\x82\xb5\x82\xc8\x82\xa2",         // No Attack
      "\x94\xf7\x8d\x55\x8c\x82\x82\xcc\x82\xdd",         // Weakest Attack
      "\x8e\xe3\x8d\x55\x8c\x82\x82\xcc\x82\xdd",         // Weak Attack
      "\x82\x51\x98\x41\x8d\xbd\x82\xcc\x82\xdd",         // 2 Chain Only (full-width 2)
      "\x8e\xe3\x82\xa2\x82\xae\x82\xbf\x82\xe1",         // Weaker Gutcha
      "\x82\xae\x82\xbf\x82\xe1",                         // Gutcha
      "\x8b\x8c\x93\xc7\x82\xde\x82\xae\x82\xbf\x82\xe1"  // Older Reading Gutcha
      "\x81\x69\x90\xe6\x8d\x55\x8c\x5e\x81\x6a",
      "\x93\xc7\x82\xde\x82\xae\x82\xbf\x82\xe1"  // Reading Gutcha(Counter)
      "\x81\x69\x94\xbd\x8c\x82\x8c\x5e\x81\x6a",
      "\x82\xb3\x82\xe7\x82\xc9\x93\xc7\x82\xde\x82\xae\x82\xbf\x82\xe1",  // Far more ...
  };
  for (int level = 0; level < kLevelCount; ++level) {
    EXPECT_EQ(LevelName(level, true), english[level]) << level;
    EXPECT_EQ(LevelName(level, false), japanese[level]) << level;
  }
  EXPECT_EQ(LevelName(-1, true), "");
  EXPECT_EQ(LevelName(kLevelCount, false), "");
}

TEST(LevelTable, RoutinesAndParameters) {
  struct Want {
    int crowd, surplus, minPoints, maxChains, minChains, mode;
  };
  const Want general[kLevelCount] = {{},
                                     {85, 0, 0, 3, 1, 1},
                                     {90, 3, 1, 3, 1, 1},
                                     {80, 12, 2, 2, 1, 2},
                                     {70, 25, 4, 2, 2, 3},
                                     {70, 60, 15, 5, 2, 4},
                                     {80, 300, 21, 15, 2, 5},
                                     {},
                                     {80, 999, 21, 20, 2, 7},
                                     {80, 999, 21, 20, 2, 8}};
  EXPECT_EQ(kLevels[0].Routine, LevelRoutine::kKeyboard);
  EXPECT_EQ(kLevels[7].Routine, LevelRoutine::kLookAhead);
  EXPECT_EQ(kLevels[7].Depth, 24);
  for (int level : {1, 2, 3, 4, 5, 6, 8, 9}) {
    const LevelEntry& L = kLevels[level];
    EXPECT_EQ(L.Routine, LevelRoutine::kGeneral) << level;
    EXPECT_EQ(L.CrowdLimit, general[level].crowd) << level;
    EXPECT_EQ(L.MaxSurplus, general[level].surplus) << level;
    EXPECT_EQ(L.MinPoints, general[level].minPoints) << level;
    EXPECT_EQ(L.MaxChains, general[level].maxChains) << level;
    EXPECT_EQ(L.MinChains, general[level].minChains) << level;
    EXPECT_EQ(L.Mode, general[level].mode) << level;
  }
}

class Players : public PlayerTest {
 protected:
  // Everything of the game the players must leave alone.
  struct Snapshot {
    Board boards[3];
    int32_t sequence[3][kSequenceBeads + 1];
    int32_t index[3];
    int32_t queueLen[3], queueAmount[3][kQueueCapacity + 1], queueTurn[3][kQueueCapacity + 1];
    int32_t turn;
    int32_t levels[3];
    TwinMove shown[3], other;
  };
  Snapshot Take(int player) {
    Snapshot s;
    std::memset(&s, 0, sizeof s);
    std::memcpy(s.boards, e().Boards, sizeof s.boards);
    std::memcpy(s.sequence, e().TwinSequence, sizeof s.sequence);
    std::memcpy(s.index, e().TwinIndex, sizeof s.index);
    std::memcpy(s.queueLen, e().ObstructQueueLen, sizeof s.queueLen);
    std::memcpy(s.queueAmount, e().ObstructQueueAmount, sizeof s.queueAmount);
    std::memcpy(s.queueTurn, e().ObstructQueueTurn, sizeof s.queueTurn);
    s.turn = e().TurnNumber;
    std::memcpy(s.levels, e().PlayerLevel, sizeof s.levels);
    std::memcpy(s.shown, g().ctl.ShownTwin, sizeof s.shown);
    s.other = g().ctl.TurnMove[3 - player];
    return s;
  }
};

TEST_F(Players, TheUserAndUnknownLevelsAreNotDispatched) {
  const TwinMove untouched{7, 7, 7, 7, 7};
  for (int level : {0, -1, 10, 99}) {
    e().PlayerLevel[1] = level;
    g().ctl.TurnMove[1] = untouched;
    const uint64_t passes = host().eventPasses;
    ThinkMove(g(), 1, TwinMove{1, 2, 4, 0, 0});
    EXPECT_EQ(g().ctl.TurnMove[1], untouched) << level;
    EXPECT_EQ(host().eventPasses, passes);
  }
  ThinkMove(g(), 0, TwinMove{1, 2, 4, 0, 0});  // no such side: nothing happens
  ThinkMove(g(), 3, TwinMove{1, 2, 4, 0, 0});
}

TEST_F(Players, EveryLevelAgreesWithThePlainPlayers) {
  int emergencies = 0;
  for (uint64_t seed = 1; seed <= 40; ++seed) {
    TwinMove current[3];
    RandomPosition(g(), seed, current, /*floating=*/seed % 5 == 0);
    const int side = 1 + static_cast<int>(seed % 2);
    for (int level = 1; level <= 9; ++level) {
      GameBox other;
      other.g->eng = e();
      e().PlayerLevel[side] = level;
      other.g->eng.PlayerLevel[side] = level;
      g().think.FixedNoise = -1;  // both draw their noise from equal generators
      other.g->think.FixedNoise = -1;
      const Snapshot before = Take(side);
      const uint64_t passes = host().eventPasses;
      ThinkMove(g(), side, current[side]);
      std::vector<int32_t> scores;
      ref::ThinkMove(*other.g, side, current[side], &scores);
      const Snapshot after = Take(side);
      ASSERT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "seed " << seed;
      ASSERT_EQ(g().ctl.TurnMove[side], other.g->ctl.TurnMove[side])
          << "seed " << seed << " level " << level;
      if (scores.empty()) {
        ++emergencies;
        EXPECT_EQ(g().think.ScoredCount, 0);
      } else {
        ASSERT_EQ(g().think.ScoredCount + 1, static_cast<int>(scores.size()));
        for (int i = 1; i <= g().think.ScoredCount; ++i)
          ASSERT_EQ(g().think.CandidateScore[i], scores[i]) << seed << " " << level << " " << i;
      }
      ASSERT_EQ(e().rng.Below(1000000), other.g->eng.rng.Below(1000000));  // same draws
      ASSERT_EQ(host().eventPasses - passes, other.host.eventPasses);
    }
  }
  EXPECT_GT(emergencies, 0);
}

TEST_F(Players, ReadingValuesAgreeWithThePlainReading) {
  for (uint64_t seed = 30; seed < 42; ++seed) {
    TwinMove current[3];
    RandomPosition(g(), seed, current, seed % 6 == 5);
    e().TurnNumber = 5;
    // The candidates of side 1 as the general player prepares them.
    EnumeratePlacements(e(), 0, current[1].Colour1, current[1].Colour2);
    const int count = e().PlacementCount;
    int32_t a, b;
    ref::Colours(e(), 1, e().TwinIndex[1], a, b);
    EnumeratePlacements(e(), 100, a, b);
    g().think.NextTwinCount = e().PlacementCount;
    ref::Colours(e(), 1, e().TwinIndex[1] + 1, a, b);
    EnumeratePlacements(e(), 200, a, b);
    g().think.ThirdTwinCount = e().PlacementCount;
    for (int i = 1; i <= count; ++i) {
      if (IsBlocked(e(), e().Boards[1], e().Placements[i])) continue;
      for (int depth = 1; depth <= 2; ++depth) {
        e().WorkBoard = e().Boards[1];
        ResolveChains(e(), e().Placements[i], 2);
        GameBox other;
        other.g->eng = e();
        other.g->think.NextTwinCount = g().think.NextTwinCount;
        other.g->think.ThirdTwinCount = g().think.ThirdTwinCount;
        const int32_t want = ref::ReadAhead(*other.g, 40, depth);
        ASSERT_EQ(ReadAhead(g(), 40, depth), want) << seed << " " << i << " " << depth;
      }
      for (int32_t crowd : {0, 40, 71, 95}) {
        e().WorkBoard = e().Boards[1];
        ResolveChains(e(), e().Placements[i], 2);
        g().think.LookAheadPlayer = 1;
        GameBox other;
        other.g->eng = e();
        other.g->think.LookAheadPlayer = 1;
        const int32_t want = ref::LookAhead(*other.g, crowd, 30, 36);
        ASSERT_EQ(LookAhead(g(), crowd, 30, 36), want) << seed << " " << i << " " << crowd;
      }
    }
  }
}

TEST_F(Players, TheWindowRunsOncePerCandidateOfTheReadingPlayers) {
  for (uint64_t seed = 40; seed < 44; ++seed) {
    TwinMove current[3];
    RandomPosition(g(), seed, current);
    e().ObstructQueueLen[1] = 0;  // no emergency: every level reaches its candidates
    EnumeratePlacements(e(), 0, current[1].Colour1, current[1].Colour2);
    int playable = 0;
    for (int i = 1; i <= e().PlacementCount; ++i)
      playable += !IsBlocked(e(), e().Boards[1], e().Placements[i]);
    for (int turn : {2, 5}) {
      e().TurnNumber = turn;
      for (int level = 1; level <= 9; ++level) {
        e().PlayerLevel[1] = level;
        const uint64_t before = host().eventPasses;
        ThinkMove(g(), 1, current[1]);
        const bool emergency = level >= 6 && level != 7 && g().think.ScoredCount == 0;
        const bool pumps = level == 7 || (level >= 8 && turn > 3 && !emergency);
        EXPECT_EQ(host().eventPasses - before, pumps ? static_cast<uint64_t>(playable) : 0u)
            << seed << " level " << level << " turn " << turn;
      }
    }
  }
}

TEST_F(Players, LevelsEightAndNineAgreeInTheFirstThreeTurns) {
  for (uint64_t seed = 50; seed < 62; ++seed) {
    TwinMove current[3];
    RandomPosition(g(), seed, current);
    e().TurnNumber = 1 + static_cast<int>(seed % 3);
    g().think.FixedNoise = static_cast<int32_t>(seed % 10);
    e().PlayerLevel[1] = 8;
    ThinkMove(g(), 1, current[1]);
    const TwinMove eight = g().ctl.TurnMove[1];
    e().PlayerLevel[1] = 9;
    ThinkMove(g(), 1, current[1]);
    EXPECT_EQ(g().ctl.TurnMove[1], eight) << seed;
  }
}

TEST_F(Players, TheMoveIsAlwaysAPlacementOfTheCurrentTwin) {
  for (uint64_t seed = 70; seed < 80; ++seed) {
    TwinMove current[3];
    RandomPosition(g(), seed, current);
    for (int level = 1; level <= 9; ++level) {
      e().PlayerLevel[2] = level;
      ThinkMove(g(), 2, current[2]);
      const TwinMove m = g().ctl.TurnMove[2];
      EXPECT_EQ(m.Colour1, current[2].Colour1);
      EXPECT_EQ(m.Colour2, current[2].Colour2);
      EXPECT_GE(m.Column, 1);
      EXPECT_LE(m.Column, e().FieldWidth);
      EXPECT_GE(m.Column + DX[m.Rotation], 1);
      EXPECT_LE(m.Column + DX[m.Rotation], e().FieldWidth);
    }
  }
}

// Fields no match makes (odd sizes and vanish counts, cells holding marks, border codes or
// beads in mid-air, beads above the field) must neither lead a search outside the grid nor
// change what the players choose compared with the plain players.
TEST_F(Players, OddFieldsAgreeWithThePlainPlayers) {
  struct Shape {
    int w, h, v;
  };
  const Shape shapes[] = {{1, 3, 2}, {2, 5, 4}, {9, 14, 4}, {3, 4, 6}, {9, 3, 3}};
  const int32_t values[] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 10, -2, -3, -4};
  for (const Shape& shape : shapes) {
    for (uint64_t seed = 0; seed < 3; ++seed) {
      Rng r(seed * 31 + static_cast<uint64_t>(shape.w));
      e().ConstSet();
      e().FieldWidth = shape.w;
      e().FieldHeight = shape.h;
      e().VanishCount = shape.v;
      e().ColourCount = 5;
      InitBoards(e(), box_.canvas);
      for (int x = 1; x <= shape.w; ++x)
        for (int y = 1; y <= shape.h + 2; ++y)
          e().Boards[1].Cells[x][y] = values[r.Below(sizeof values / sizeof values[0])];
      for (int i = 1; i <= 20; ++i) e().TwinSequence[1][i] = 1 + r.Below(5);
      e().TwinIndex[1] = 3;
      e().TurnNumber = 5;
      e().Boards[1].PendingShown = r.Below(80);
      Queue(1, r.Below(20), 5 + r.Below(3));
      const TwinMove current{e().TwinSequence[1][3], e().TwinSequence[1][4], 4, 0, 0};
      for (int level = 1; level <= 9; ++level) {
        GameBox other;
        other.g->eng = e();
        e().PlayerLevel[1] = level;
        other.g->eng.PlayerLevel[1] = level;
        other.g->think.FixedNoise = 0;
        ThinkMove(g(), 1, current);
        ref::ThinkMove(*other.g, 1, current);
        ASSERT_EQ(g().ctl.TurnMove[1], other.g->ctl.TurnMove[1])
            << shape.w << "x" << shape.h << " seed " << seed << " level " << level;
      }
    }
  }
}

}  // namespace
}  // namespace dalu::testing
