// Single steps of the turn on hand-made positions, with known answers: the drop list of the
// two twins, the obstruct fall's column cursor and layers, and the burial.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/field_draw.h"
#include "match/match_loop.h"
#include "match_harness.h"
#include "records/record_file.h"

namespace dalu {
namespace {

using testing::ScriptedKeyboards;
using testing::SetRows;
using testing::TestGame;

TEST(TurnSteps, TheDropListPutsTheLowerBeadFirstAndLinksEachPair) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  ScriptedKeyboards keys;
  keys.script[1] = {{1, 2, 3, 2}};  // bead 2 below bead 1
  keys.script[2] = {{3, 4, 5, 1}};  // bead 2 left of bead 1
  keys.Attach(t);
  // The drop list as the fall animation first sees it.
  FallingBead seen[5] = {};
  bool captured = false;
  auto keyboard = t.host.onEvents;
  t.host.onEvents = [&] {
    keyboard();
    if (!captured && g.eng.TurnNumber == 1 && !g.ctl.MovesOpen && g.eng.FallCount == 4) {
      for (int i = 1; i <= 4; ++i) seen[i] = g.eng.FallList[i];
      captured = true;
    }
  };
  t.StopAfter(1);
  MMnotEnable(g);
  Main(g);
  ASSERT_TRUE(captured);
  const int H = g.eng.FieldHeight;
  const double speed = g.cfg.Cfg[kDropHitSpeed] / 100.0;
  // Side 1: the second bead (below) comes first and lands on the floor.
  EXPECT_EQ(seen[1].Owner, 1);
  EXPECT_EQ(seen[1].Column, 3);
  EXPECT_EQ(seen[1].Colour, 2);
  EXPECT_EQ(seen[1].TargetRow, 1);
  EXPECT_EQ(seen[1].BounceState, -2);
  EXPECT_EQ(seen[2].Column, 3);
  EXPECT_EQ(seen[2].Colour, 1);
  EXPECT_EQ(seen[2].TargetRow, 2);
  EXPECT_EQ(seen[2].BounceState, -1);
  // One frame has passed: each bead has moved down by the drop speed.
  EXPECT_DOUBLE_EQ(seen[1].Position, H + 1 - speed);
  EXPECT_DOUBLE_EQ(seen[2].Position, H + 2 - speed);
  // Side 2: the pivot first, then the bead to its left; linked after side 1's pair.
  EXPECT_EQ(seen[3].Owner, 2);
  EXPECT_EQ(seen[3].Column, 5);
  EXPECT_EQ(seen[3].Colour, 3);
  EXPECT_EQ(seen[3].BounceState, -4);
  EXPECT_EQ(seen[4].Column, 4);
  EXPECT_EQ(seen[4].Colour, 4);
  EXPECT_EQ(seen[4].BounceState, -3);
  EXPECT_DOUBLE_EQ(seen[4].Position, H + 2 - speed);
  // The boards held the result before the animation showed it.
  EXPECT_EQ(g.eng.Boards[1].Cells[3][1], 2);
  EXPECT_EQ(g.eng.Boards[1].Cells[3][2], 1);
  EXPECT_EQ(g.eng.Boards[2].Cells[5][1], 3);
  EXPECT_EQ(g.eng.Boards[2].Cells[4][1], 4);
}

TEST(TurnSteps, ObstructBeadsWalkLeftwardFromTheCursorAndStackInLayers) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  SetRows(g.eng, 1, {"..1....", "..2...."});  // column 3 holds two beads
  g.eng.Boards[1].ObstructColumn = 3;
  ScriptedKeyboards keys;
  keys.script[1] = {{3, 4, 7, 0}};  // column 7 gets two beads from the twin
  keys.script[2] = {{1, 2, 1, 0}};
  keys.Attach(t);
  g.eng.ObstructRate[1] = 150;
  g.eng.Boards[1].PendingShown = 6;
  QueueObstruct(g.eng, 1, 6, 1);  // 6 points, 9 beads at a rate of 150
  t.StopAfter(1);
  MMnotEnable(g);
  Main(g);
  ASSERT_EQ(g.eng.FallCount, 9);
  const int columns[10] = {0, 3, 2, 1, 7, 6, 5, 4, 3, 2};
  const int targets[10] = {0, 3, 1, 1, 3, 1, 1, 1, 4, 2};
  for (int k = 1; k <= 9; ++k) {
    const FallingBead& f = g.eng.FallList[k];
    EXPECT_EQ(f.Owner, 1) << k;
    EXPECT_EQ(f.Colour, kObstruct) << k;
    EXPECT_EQ(f.Column, columns[k]) << k;
    EXPECT_EQ(f.TargetRow, targets[k]) << k;
    EXPECT_EQ(g.eng.Boards[1].Cells[columns[k]][targets[k]], kObstruct) << k;
  }
  EXPECT_EQ(g.eng.Boards[1].ObstructColumn, 1);
  EXPECT_EQ(g.eng.Boards[1].PendingShown, 0);  // down by the points, not by the beads
}

TEST(TurnSteps, AReplayedMoveStandsTurnedThenInPlaceBeforeItDrops) {
  TestGame t;
  Game& g = t.game();
  t.FreshMatch();
  for (int n = 1; n <= 4; ++n) {
    for (int p = 1; p <= 2; ++p) t.SetTwin(p, n, 1 + n % 2, 3 + n % 2);
  }
  for (int n = 1; n <= 2; ++n) {
    g.rec.TurnRecord[n][1] = {0, 0, 2 * n, 3, 0};
    g.rec.TurnRecord[n][2] = {0, 0, 2 * n + 1, 1, 0};
  }
  // Turn 2 runs without a step wait: its first pass of events is the mark of step 3.
  int64_t start = -1, drop = -1;
  bool cleared = false;
  t.host.onEvents = [&] {
    if (g.ctl.StepWaitActive) TailClick(g);
    if (g.eng.TurnNumber != 2) return;
    const int64_t now = t.host.TickMs();
    if (start < 0) start = now;
    if (g.eng.FallCount == 0) cleared = true;
    if (cleared && drop < 0 && g.eng.FallCount == 4) drop = now;
  };
  testing::RunReplay(t, 2, "Halt");
  ASSERT_GE(start, 0);
  // 75 ms from the mark to the forecast, 75 ms turned, 100 ms in place.
  EXPECT_EQ(drop - start, 250);
}

TEST(TurnSteps, ABuriedFieldFillsWithItsWallsFromTheFloorUpAndItsCommentsFollow) {
  TestGame t;
  RecordingCanvas canvas;
  auto owned = std::make_unique<Game>(t.host, canvas, t.sound, t.view);
  Game& g = *owned;
  t.view.game = &g;
  g.ctl.AutoSave = false;
  testing::FreshBoards(g.eng);
  for (int c = 1; c <= 5; ++c) g.eng.ColourImage[c] = c;
  g.ctl.MatchReady = true;
  // Side 1's top two rows are full but for column 7, which its twin fills.
  std::vector<std::string> rows(11, "1234123");
  rows[0] = "341234.";
  rows[1] = "123412.";
  SetRows(g.eng, 1, rows);
  ScriptedKeyboards keys;
  keys.script[1] = {{4, 3, 7, 0}};
  keys.script[2] = {{1, 2, 1, 0}};
  g.eng.PlayerLevel[1] = 0;
  g.eng.PlayerLevel[2] = 0;
  t.host.onEvents = [&] { keys.OnEvents(g); };
  keys.Refresh(g);
  g.rec.CommentCount[1] = 2;
  g.rec.CommentText[1][1] = "first";
  g.rec.CommentText[1][2] = "second";
  MMnotEnable(g);
  Main(g);
  EXPECT_TRUE(IsBuried(g.eng, 1));
  EXPECT_FALSE(IsBuried(g.eng, 2));
  EXPECT_EQ(g.eng.TurnNumber, 1);
  EXPECT_FALSE(g.ctl.MatchRunning);
  EXPECT_EQ(g.ctl.EndReason, "Buried");
  ASSERT_GE(t.view.memo.size(), 2u);
  EXPECT_EQ(t.view.memo[t.view.memo.size() - 2], "first");
  EXPECT_EQ(t.view.memo.back(), "second");

  // The burial images: rows 0..H+5, each over columns 0..W+1 of side 1, from the floor up.
  const int H = g.eng.FieldHeight;
  const int W = g.eng.FieldWidth;
  std::vector<RecordingCanvas::Op> burial;
  for (const auto& op : canvas.ops) {
    if (op.kind == RecordingCanvas::Kind::kImage && op.value == kImgBurial) burial.push_back(op);
  }
  ASSERT_EQ(burial.size(), static_cast<size_t>((H + 6) * (W + 2)));
  for (int r = 0; r <= H + 5; ++r) {
    for (int x = 0; x <= W + 1; ++x) {
      const Pixel px = CellPixel(g.eng, 1, x, r);
      const auto& op = burial[static_cast<size_t>(r * (W + 2) + x)];
      EXPECT_EQ(op.x, px.x);
      EXPECT_EQ(op.y, px.y);
    }
  }
}

TEST(TurnSteps, BothSidesBuriedInOneTurnAreBothFilledAndTheRecordIsSavedOnce) {
  TestGame t;
  RecordingCanvas canvas;
  Game g(t.host, canvas, t.sound, t.view);
  t.view.game = &g;
  const auto dir = std::filesystem::temp_directory_path() / ("dalu_both_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  g.cfg.AppDir = dir.string() + "/";
  testing::FreshBoards(g.eng);
  for (int c = 1; c <= 5; ++c) g.eng.ColourImage[c] = c;
  g.ctl.MatchReady = true;
  // Both fields are full to the top but for column 7, which each side's twin fills.
  std::vector<std::string> rows(11, "1234123");
  rows[0] = "341234.";
  rows[1] = "123412.";
  ScriptedKeyboards keys;
  for (int p = 1; p <= 2; ++p) {
    SetRows(g.eng, p, rows);
    keys.script[p] = {{4, 3, 7, 0}};
    g.eng.PlayerLevel[p] = 0;
  }
  t.host.onEvents = [&] { keys.OnEvents(g); };
  keys.Refresh(g);
  g.rec.RecFileName = "Autosave.DBD";
  TF_File_SetUp(g);  // the header a start builds
  g.rec.CommentCount[1] = 1;
  g.rec.CommentText[1][1] = "both at once";
  MMnotEnable(g);
  Main(g);
  EXPECT_TRUE(IsBuried(g.eng, 1) && IsBuried(g.eng, 2));
  EXPECT_EQ(std::count(t.view.memo.begin(), t.view.memo.end(), "both at once"), 1);
  // Both fields fill with the burial picture; one record of the one turn is saved.
  const auto burial = std::count_if(canvas.ops.begin(), canvas.ops.end(), [](const auto& op) {
    return op.kind == RecordingCanvas::Kind::kImage && op.value == kImgBurial;
  });
  EXPECT_EQ(burial, 2 * (g.eng.FieldHeight + 6) * (g.eng.FieldWidth + 2));
  // Files only: GameData/History/ holds the kept copy, also once.
  for (const auto& sub : {dir / "GameData", dir / "GameData" / "History"}) {
    const auto saved = std::filesystem::directory_iterator(sub);
    EXPECT_EQ(
        std::count_if(begin(saved), end(saved), [](const auto& f) { return f.is_regular_file(); }),
        1);
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "GameData" / "AutoSave.DBD"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace dalu
