// The turn of the match loop, on hand-made positions: chaining sides, the obstruct fall,
// the recorded end of a replay, the replay controls, Stop and Continue, and the limits.
#include "match/match_loop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "match/match_commands.h"
#include "match_harness.h"
#include "util/text.h"

namespace dalu {
namespace {

using testing::RunReplay;
using testing::ScriptedKeyboards;
using testing::SetRows;
using testing::TestGame;

int CountChar(const std::vector<std::string>& rows, char c) {
  int n = 0;
  for (const std::string& r : rows) n += static_cast<int>(std::count(r.begin(), r.end(), c));
  return n;
}

// Twins that never make anything vanish when dropped in columns 1..7 in turn.
void Harmless(ScriptedKeyboards& k, int side, int count) {
  for (int i = 0; i < count; ++i) {
    k.script[side].push_back(i % 2 == 0 ? ScriptedKeyboards::Step{1, 2, 1 + i % 7, 0}
                                        : ScriptedKeyboards::Step{3, 4, 1 + i % 7, 0});
  }
}

// Side 1's twin (1 over 2) dropped into column 2 fires a two-step chain worth 6 points.
const std::vector<std::string> kTwoStepChain = {"21.....", "21.....", "21....."};

TEST(MatchLoop, AChainingSideGetsNoTwinIsNotAskedAndReceivesNoObstruct) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  SetRows(g.eng, 1, kTwoStepChain);
  ScriptedKeyboards keys;
  keys.script[1] = {{1, 2, 2, 0}, {3, 4, 7, 0}};
  Harmless(keys, 2, 6);
  keys.Attach(t);
  QueueObstruct(g.eng, 1, 7, 2);  // side 2 attacked before: 7 points due at turn 2
  t.StopAfter(4);
  MMnotEnable(g);
  Main(g);

  ASSERT_EQ(t.view.turns.size(), 4u);
  const auto& s = t.view.turns;
  EXPECT_EQ(s[0].chainCount[1], 1);
  EXPECT_EQ(s[1].chainCount[1], 2);
  EXPECT_EQ(s[2].chainCount[1], 0);  // the step of turn 3 vanished nothing
  EXPECT_EQ(s[0].twinIndex[1], 2);
  EXPECT_EQ(s[1].twinIndex[1], 2);  // no twin while chaining
  EXPECT_EQ(s[2].twinIndex[1], 2);
  EXPECT_EQ(s[3].twinIndex[1], 3);
  EXPECT_EQ(s[3].twinIndex[2], 5);
  EXPECT_TRUE(keys.Asked(1, 1));
  EXPECT_FALSE(keys.Asked(2, 1));
  EXPECT_FALSE(keys.Asked(3, 1));
  EXPECT_TRUE(keys.Asked(4, 1));
  for (int turn = 1; turn <= 4; ++turn) EXPECT_TRUE(keys.Asked(turn, 2)) << turn;
  // The chain's 6 points cancelled 6 of the 7 queued; the last point waits for the chain.
  EXPECT_EQ(CountChar(s[1].rows[1], 'X'), 0);
  EXPECT_EQ(s[1].queueLen[1], 1);
  EXPECT_EQ(CountChar(s[2].rows[1], 'X'), 1);
  EXPECT_EQ(s[2].queueLen[1], 0);
  // A chaining side's turn entry holds the empty move.
  EXPECT_EQ(g.rec.TurnRecord[2][1].Column, 0);
  EXPECT_EQ(g.rec.TurnRecord[2][1].Rotation, 0);
  EXPECT_EQ(g.rec.TurnRecord[4][1].Column, 7);
}

TEST(MatchLoop, BothSidesChainingMeansNoKeyboardWaitAndEqualAttacksCancel) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  SetRows(g.eng, 1, kTwoStepChain);
  SetRows(g.eng, 2, kTwoStepChain);
  ScriptedKeyboards keys;
  for (int p = 1; p <= 2; ++p) keys.script[p] = {{1, 2, 2, 0}, {3, 4, 7, 0}};
  keys.Attach(t);
  t.StopAfter(3);
  MMnotEnable(g);
  const uint32_t before = t.host.TickMs();
  Main(g);
  (void)before;
  EXPECT_TRUE(keys.Asked(1, 1));
  EXPECT_TRUE(keys.Asked(1, 2));
  EXPECT_FALSE(keys.Asked(2, 1));
  EXPECT_FALSE(keys.Asked(2, 2));
  // Both sent 6 points due at turn 4: the offset of turn 1 cancels them completely.
  EXPECT_EQ(t.view.turns[0].queueLen[1], 0);
  EXPECT_EQ(t.view.turns[0].queueLen[2], 0);
  EXPECT_EQ(g.eng.Boards[1].PendingShown, 0);
  EXPECT_EQ(g.eng.Boards[2].PendingShown, 0);
}

TEST(MatchLoop, AtMostAFieldAndOneRowOfObstructBeadsFallInOneTurn) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  ScriptedKeyboards keys;
  Harmless(keys, 1, 2);
  Harmless(keys, 2, 2);
  keys.Attach(t);
  QueueObstruct(g.eng, 1, 500, 1);
  t.StopAfter(1);
  MMnotEnable(g);
  Main(g);
  EXPECT_EQ(g.eng.FallCount, 7 * 12);  // 84 beads: eleven rows and one more above
  // Column 1 held the twin: two beads there, so that column's top beads are lost.
  EXPECT_EQ(CountChar(t.view.turns.empty() ? testing::Rows(g.eng, g.eng.Boards[1])
                                           : t.view.turns[0].rows[1],
                      'X'),
            77 - 2);
  EXPECT_TRUE(IsBuried(g.eng, 1));
  EXPECT_EQ(g.ctl.EndReason, "Buried");
  // The cursor walked 84 columns leftward from 7: it stands on 7 again.
  EXPECT_EQ(g.eng.Boards[1].ObstructColumn, 7);
}

TEST(MatchLoop, ARateOfZeroDropsNothingButTheNoticeStillGoesDown) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  ScriptedKeyboards keys;
  Harmless(keys, 1, 2);
  Harmless(keys, 2, 2);
  keys.Attach(t);
  g.eng.ObstructRate[1] = 0;
  g.eng.Boards[1].PendingShown = 40;
  QueueObstruct(g.eng, 1, 30, 1);
  t.StopAfter(1);
  MMnotEnable(g);
  Main(g);
  EXPECT_EQ(CountChar(t.view.turns[0].rows[1], 'X'), 0);
  EXPECT_EQ(g.eng.Boards[1].PendingShown, 10);
  EXPECT_EQ(g.eng.ObstructQueueLen[1], 0);
  EXPECT_EQ(g.eng.Boards[1].ObstructColumn, 7);
}

// A hand-made record: both sides drop harmless twins for `turns` turns.
void HarmlessRecord(TestGame& t, int turns) {
  Game& g = t.game();
  t.FreshMatch();
  for (int n = 1; n <= turns + 2; ++n) {
    for (int p = 1; p <= 2; ++p) t.SetTwin(p, n, n % 2 ? 1 : 3, n % 2 ? 2 : 4);
  }
  for (int n = 1; n <= turns; ++n) {
    for (int p = 1; p <= 2; ++p) g.rec.TurnRecord[n][p] = {0, 0, 1 + (n - 1) % 7, 0, 0};
  }
}

TEST(Replay, AHaltRecordStopsAfterItsLastTurnWithTheTwinsSetBack) {
  TestGame t;
  Game& g = t.game();
  HarmlessRecord(t, 5);
  g.rec.CommentCount[5] = 1;
  g.rec.CommentText[5][1] = "the end";
  RunReplay(t, 5, "Halt");
  EXPECT_EQ(g.eng.TurnNumber, 5);
  EXPECT_EQ(g.eng.TwinIndex[1], 6);
  EXPECT_EQ(g.eng.TwinIndex[2], 6);
  EXPECT_FALSE(g.ctl.ReplayMode);
  EXPECT_FALSE(g.ctl.MatchRunning);
  EXPECT_FALSE(g.ctl.LoopActive);
  EXPECT_EQ(t.view.turns.size(), 5u);
  ASSERT_FALSE(t.view.log.empty());
  EXPECT_EQ(t.view.log.back().line, "the end");  // shown at the end, nothing after it
  EXPECT_EQ(t.view.caption.find(":replay"), std::string::npos);
}

TEST(Replay, ABuriedRecordWithoutItsBurialEndsLikeAHaltRecord) {
  TestGame t;
  Game& g = t.game();
  HarmlessRecord(t, 4);
  RunReplay(t, 4, "Buried");
  EXPECT_EQ(g.eng.TurnNumber, 4);
  EXPECT_EQ(g.eng.TwinIndex[1], 5);
  EXPECT_FALSE(g.ctl.ReplayMode);
  ASSERT_FALSE(t.view.log.empty());
  EXPECT_EQ(t.view.log.back().line, "The record ends after turn 4 without a burial.");
}

TEST(Replay, CommentsReplaceTheMemoBeforeTheirTurn) {
  TestGame t;
  Game& g = t.game();
  HarmlessRecord(t, 6);
  g.rec.CommentCount[0] = 1;
  g.rec.CommentText[0][1] = "before the first turn";
  g.rec.CommentCount[3] = 2;
  g.rec.CommentText[3][1] = "after turn 3";
  g.rec.CommentText[3][2] = "second line";
  RunReplay(t, 6, "Halt");
  ASSERT_GE(t.view.log.size(), 3u);
  EXPECT_EQ(t.view.log[0].turn, 1);
  EXPECT_EQ(t.view.log[0].line, "before the first turn");
  EXPECT_EQ(t.view.log[1].turn, 4);
  EXPECT_EQ(t.view.log[1].line, "after turn 3");
  EXPECT_EQ(t.view.memo, (std::vector<std::string>{"after turn 3", "second line"}));
}

TEST(Replay, CrossWhileWaitingTakesTheTurnBackAndContinueDealsTheSameTwins) {
  TestGame t;
  Game& g = t.game();
  HarmlessRecord(t, 8);
  TwinMove waiting[3] = {};
  t.host.onEvents = [&] {
    if (!g.ctl.StepWaitActive) return;
    if (g.eng.TurnNumber < 5) {
      NextStepClick(g);
    } else {
      waiting[1] = g.ctl.ShownTwin[1];
      waiting[2] = g.ctl.ShownTwin[2];
      EndReplayClick(g);
      EndReplayClick(g);  // a second click changes nothing
    }
  };
  RunReplay(t, 8, "Halt");
  EXPECT_EQ(g.eng.TurnNumber, 4);
  EXPECT_EQ(g.eng.TwinIndex[1], 5);
  EXPECT_FALSE(g.ctl.ReplayMode);
  EXPECT_EQ(t.view.turns.size(), 4u);  // turn 5 was not played

  ScriptedKeyboards keys;  // the user plays on from there
  Harmless(keys, 1, 0);
  t.host.onEvents = nullptr;
  g.eng.PlayerLevel[1] = 0;
  g.eng.PlayerLevel[2] = 0;
  t.host.onEvents = [&] {
    if (g.ctl.MovesOpen && (g.ctl.InputSide == 1 || g.ctl.InputSide == 2)) {
      g.ctl.TurnMove[g.ctl.InputSide] = g.ctl.ShownTwin[g.ctl.InputSide];
      g.ctl.InputSide += 1;
    }
  };
  t.StopAfter(5);
  StopContinueClick(g);
  EXPECT_EQ(g.eng.TurnNumber, 5);
  for (int p = 1; p <= 2; ++p) {
    EXPECT_EQ(g.rec.TurnRecord[5][p].Colour1, waiting[p].Colour1);
    EXPECT_EQ(g.rec.TurnRecord[5][p].Colour2, waiting[p].Colour2);
  }
}

TEST(Replay, PauseDuringATailRunMakesTheNextTurnWaitAgain) {
  TestGame t;
  Game& g = t.game();
  HarmlessRecord(t, 8);
  std::vector<int32_t> waited;  // the turns that waited for a step
  bool paused = false;
  t.host.onEvents = [&] {
    if (g.ctl.StepWaitActive && g.ctl.WaitForStep) {
      waited.push_back(g.eng.TurnNumber);
      if (waited.size() == 1) {
        TailClick(g);  // ">>" at the first turn
      } else {
        NextStepClick(g);
      }
    } else if (g.eng.TurnNumber == 4 && !paused) {
      paused = true;
      PauseReplayClick(g);  // "<>" while turn 4 runs without waiting
    }
  };
  RunReplay(t, 8, "Halt");
  EXPECT_EQ(waited, (std::vector<int32_t>{1, 5, 6, 7, 8}));
  EXPECT_EQ(g.eng.TurnNumber, 8);
}

TEST(Replay, CrossIsIgnoredWhenNoStepIsWaiting) {
  TestGame t;
  Game& g = t.game();
  HarmlessRecord(t, 6);
  int tries = 0;
  t.host.onEvents = [&] {
    if (g.ctl.StepWaitActive) TailClick(g);
    if (g.eng.TurnNumber == 3 && !g.ctl.StepWaitActive) {
      ++tries;
      EndReplayClick(g);  // during a fast replay's animation
    }
  };
  RunReplay(t, 6, "Halt");
  EXPECT_GT(tries, 0);
  EXPECT_EQ(g.eng.TurnNumber, 6);  // played to its end
  EndReplayClick(g);               // after the end
  EXPECT_EQ(g.eng.TurnNumber, 6);
  EXPECT_EQ(g.eng.TwinIndex[1], 7);
}

TEST(Replay, StopPlaysTheTurnWithItsRecordedMovesAndContinueReplaysOn) {
  TestGame t;
  Game& g = t.game();
  HarmlessRecord(t, 7);
  t.host.onEvents = [&] {
    if (!g.ctl.StepWaitActive) return;
    if (g.eng.TurnNumber == 3 && g.ctl.MatchRunning) {
      StopContinueClick(g);  // Stop
    } else {
      NextStepClick(g);
    }
  };
  RunReplay(t, 7, "Halt");
  EXPECT_EQ(g.eng.TurnNumber, 3);
  EXPECT_TRUE(g.ctl.ReplayMode);
  EXPECT_EQ(g.rec.TurnRecord[3][1].Column, 3);  // the recorded move, not the start column
  EXPECT_EQ(g.rec.TurnRecord[3][2].Column, 3);
  StopContinueClick(g);  // Continue: the replay goes on
  EXPECT_EQ(g.eng.TurnNumber, 7);
  EXPECT_FALSE(g.ctl.ReplayMode);
}

TEST(Replay, ABurialEndsTheReplaySoContinuePlaysLive) {
  TestGame t;
  Game& g = t.game();
  HarmlessRecord(t, 3);
  // Side 2's field is full but for the top two rows of column 1, which turn 2 fills.
  std::vector<std::string> rows(11, "1234123");
  rows[0] = ".234123";
  rows[1] = ".412341";
  SetRows(g.eng, 2, rows);
  for (int n = 1; n <= 3; ++n) g.rec.TurnRecord[n][2] = {0, 0, n == 2 ? 1 : 5, 0, 0};
  g.rec.CommentCount[2] = 1;
  g.rec.CommentText[2][1] = "buried";
  g.cfg.AppDir = (std::filesystem::temp_directory_path() / "dalu_match_burial/").string();
  g.ctl.AutoSave = false;
  RunReplay(t, 3, "Buried");
  EXPECT_EQ(g.eng.TurnNumber, 2);
  EXPECT_TRUE(IsBuried(g.eng, 2));
  EXPECT_FALSE(g.ctl.ReplayMode);
  EXPECT_FALSE(g.ctl.MatchRunning);
  EXPECT_EQ(g.ctl.EndReason, "Buried");
  ASSERT_FALSE(t.view.log.empty());
  EXPECT_EQ(t.view.log.back().line, "buried");
  EXPECT_EQ(t.view.log.back().turn, 2);
}

TEST(MatchLoop, StopReplacesTheMovesStillBeingChosenAndContinueNeverRunsTwoLoops) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  ScriptedKeyboards keys;
  Harmless(keys, 1, 10);
  Harmless(keys, 2, 10);
  keys.Attach(t);
  bool stopped = false;
  t.host.onEvents = [&] {
    if (!stopped && g.eng.TurnNumber == 3 && g.ctl.MovesOpen && g.ctl.InputSide == 2) {
      stopped = true;
      StopContinueClick(g);  // Stop while side 2 steers
      EXPECT_FALSE(g.ctl.MatchRunning);
      StopContinueClick(g);  // Continue at once, while the loop still finishes turn 3
      EXPECT_TRUE(g.ctl.MatchRunning);
      return;
    }
    keys.OnEvents(g);
  };
  t.StopAfter(5);
  MMnotEnable(g);
  Main(g);
  // Side 1 had confirmed column 3; Stop put both sides back to the start column.
  EXPECT_EQ(g.rec.TurnRecord[3][1].Column, 4);
  EXPECT_EQ(g.rec.TurnRecord[3][2].Column, 4);
  EXPECT_EQ(g.rec.TurnRecord[4][1].Column, 4);  // the script again
  ASSERT_EQ(t.view.turns.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(t.view.turns[i].turn, i + 1);
  EXPECT_FALSE(g.ctl.LoopActive);
}

TEST(MatchLoop, StopAfterTheMovesAreLoggedKeepsThem) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  ScriptedKeyboards keys;
  Harmless(keys, 1, 4);
  Harmless(keys, 2, 4);
  keys.Attach(t);
  t.host.onEvents = [&] {
    if (g.eng.TurnNumber == 2 && !g.ctl.MovesOpen && g.ctl.MatchRunning && g.ctl.LoopActive) {
      StopContinueClick(g);  // during the animations of turn 2
    }
    keys.OnEvents(g);
  };
  MMnotEnable(g);
  Main(g);
  EXPECT_EQ(g.eng.TurnNumber, 2);
  EXPECT_EQ(g.rec.TurnRecord[2][1].Column, 2);
  EXPECT_EQ(g.eng.Boards[1].Cells[2][1], 3);  // dropped where it was logged
}

TEST(MatchLoop, ClosingTheWindowEndsTheLoopAtItsNextWait) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  g.eng.PlayerLevel[1] = 0;
  g.eng.PlayerLevel[2] = 0;
  t.SetTwin(1, 1, 1, 2);
  t.SetTwin(2, 1, 1, 2);
  int passes = 0;
  t.host.onEvents = [&] {
    if (++passes == 5) CloseRequested(g);  // nobody ever steers
  };
  MMnotEnable(g);
  Main(g);
  EXPECT_FALSE(g.ctl.LoopActive);
  EXPECT_EQ(g.eng.TurnNumber, 1);
  EXPECT_TRUE(t.view.turns.empty());
  StopContinueClick(g);  // a closing window continues nothing
  EXPECT_FALSE(g.ctl.LoopActive);
}

TEST(MatchLoop, TheThousandthTurnIsTheLastAndTheMatchIsSavedAsHalted) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  ScriptedKeyboards keys;
  Harmless(keys, 1, 2);
  Harmless(keys, 2, 2);
  keys.Attach(t);
  g.eng.TurnNumber = 999;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("dalu_match_halt_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  g.cfg.AppDir = dir.string() + "/";
  g.ctl.AutoSave = true;
  MMnotEnable(g);
  Main(g);
  EXPECT_EQ(g.eng.TurnNumber, 1000);
  EXPECT_EQ(g.ctl.EndReason, "Halt");
  EXPECT_FALSE(g.ctl.MatchRunning);
  ASSERT_FALSE(t.view.log.empty());
  EXPECT_NE(t.view.log.back().line.find("1000"), std::string::npos);
  std::ifstream saved(dir / "GameData" / "AutoSave.DBD", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("\r\n1000:SaveTurn\r\nHalt\r\n"), std::string::npos);
  EXPECT_TRUE(t.host.errors.empty()) << (t.host.errors.empty() ? "" : t.host.errors[0]);
  std::filesystem::remove_all(dir);
}

TEST(MatchLoop, ASequenceWithoutAFurtherTwinHaltsTheMatch) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  g.eng.PlayerLevel[1] = g.eng.PlayerLevel[2] = 0;
  g.eng.TwinIndex[1] = 1001;  // past the thousand twins a sequence holds
  MMnotEnable(g);
  Main(g);
  EXPECT_EQ(g.eng.TurnNumber, 0);
  EXPECT_EQ(g.ctl.EndReason, "Halt");
  EXPECT_EQ(t.view.log.back().line, "Halt: side 1 has no further twin in its sequence.");
}

TEST(ChainReport, NamesTheSideAndTheChainInTheCurrentLanguage) {
  TestGame t;
  Game& g = t.game();
  g.rec.RecPlayerName[2] = "0006Gutcha";
  EXPECT_EQ(ChainReportLine(g, 2, 5), "Gutcha(2) : 5 Chain");
  g.cfg.EnglishUI = false;
  g.rec.RecPlayerName[1] = "No Info";
  EXPECT_EQ(ChainReportLine(g, 1, 12), "No Info(1) : 12" + Utf8ToCp932(" 連鎖"));
  const std::string japanese = Utf8ToCp932("ぐちゃ");
  EXPECT_EQ(PlayerLabel("0006" + japanese + "extra"), japanese);
  EXPECT_EQ(PlayerLabel("abc"), "abc");
  EXPECT_EQ(PlayerLabel("x7yzName"), "x7yzName");  // no readable length: kept whole
}

}  // namespace
}  // namespace dalu
