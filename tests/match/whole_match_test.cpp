// Whole matches between computer levels: reproducible from their seed, and replayed from
// their autosaved record to the very same end.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "match/match_setup.h"
#include "match/replay.h"
#include "records/record_file.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

namespace fs = std::filesystem;

struct Played {
  VirtualHost host;
  RecordingCanvas canvas;
  RecordingSound sound;
  RecordingView view;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound, view);
};

fs::path ScratchDir(const std::string& name) {
  const fs::path dir =
      fs::temp_directory_path() / ("dalu_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void PlaySeeded(Played& p, uint64_t seed, int left, int right, const fs::path& appDir) {
  p.g->cfg.AppDir = appDir.string() + "/";
  p.g->eng.rng.Seed(seed);
  ASSERT_TRUE(StartMatch(*p.g, left, right));
}

TEST(WholeMatch, ASeededMatchIsTheSameBitForBitWhenRunTwice) {
  const fs::path dir = ScratchDir("twice");
  Played a, b;
  PlaySeeded(a, 77, 3, 6, dir);
  PlaySeeded(b, 77, 3, 6, dir);
  Game& ga = *a.g;
  Game& gb = *b.g;
  ASSERT_GT(ga.eng.TurnNumber, 5);
  EXPECT_EQ(ga.eng.TurnNumber, gb.eng.TurnNumber);
  EXPECT_EQ(ga.ctl.EndReason, gb.ctl.EndReason);
  const int32_t t = ga.eng.TurnNumber;
  EXPECT_EQ(RecordText(ga.rec, ga.eng, t, "Buried", t), RecordText(gb.rec, gb.eng, t, "Buried", t));
  EXPECT_EQ(std::memcmp(ga.eng.Boards, gb.eng.Boards, sizeof ga.eng.Boards), 0);
  EXPECT_EQ(a.view.allLines, b.view.allLines);
  EXPECT_EQ(a.sound.played, b.sound.played);
  EXPECT_EQ(a.host.TickMs(), b.host.TickMs());
  ASSERT_EQ(a.canvas.ops.size(), b.canvas.ops.size());
  bool same = true;
  for (size_t i = 0; i < a.canvas.ops.size() && same; ++i) {
    const auto& x = a.canvas.ops[i];
    const auto& y = b.canvas.ops[i];
    same = x.kind == y.kind && x.x == y.x && x.y == y.y && x.value == y.value && x.size == y.size;
  }
  EXPECT_TRUE(same);
  // A different seed plays a different match.
  Played c;
  PlaySeeded(c, 78, 3, 6, dir);
  EXPECT_NE(RecordText(c.g->rec, c.g->eng, t, "Buried", t),
            RecordText(ga.rec, ga.eng, t, "Buried", t));
  fs::remove_all(dir);
}

TEST(WholeMatch, TheAutosavedRecordReplaysToTheSameEnd) {
  const fs::path dir = ScratchDir("agree");
  struct Pair {
    int left, right;
  };
  const Pair pairs[] = {{1, 5}, {2, 4}, {6, 3}, {5, 5}, {7, 2}, {8, 6}};
  uint64_t seed = 11;
  for (const Pair& pair : pairs) {
    for (int k = 0; k < 2; ++k, ++seed) {
      SCOPED_TRACE(::testing::Message() << pair.left << "-" << pair.right << " seed " << seed);
      Played live;
      PlaySeeded(live, seed, pair.left, pair.right, dir);
      Game& lg = *live.g;
      ASSERT_EQ(lg.ctl.EndReason, "Buried");
      ASSERT_TRUE(live.host.errors.empty());
      EXPECT_EQ(lg.rec.RecFileName, "AutoSave.DBD");

      Played replay;
      Game& rg = *replay.g;
      rg.cfg.AppDir = lg.cfg.AppDir;
      replay.host.onEvents = [&rg] {
        if (rg.ctl.StepWaitActive) NextStepClick(rg);
      };
      ASSERT_EQ(LoadFile(rg, (dir / "GameData" / "AutoSave.DBD").string()), LoadOutcome::kReplay);
      EXPECT_EQ(rg.eng.TurnNumber, lg.eng.TurnNumber);
      EXPECT_EQ(rg.ctl.EndReason, "Buried");
      EXPECT_EQ(FieldRows(rg, 1), FieldRows(lg, 1));
      EXPECT_EQ(FieldRows(rg, 2), FieldRows(lg, 2));
      EXPECT_EQ(rg.eng.TwinIndex[1], lg.eng.TwinIndex[1]);
      EXPECT_EQ(rg.eng.TwinIndex[2], lg.eng.TwinIndex[2]);
      EXPECT_EQ(rg.rec.RecFileName, "Re_AutoSv.DBD");
      EXPECT_TRUE(fs::exists(dir / "GameData" / "Re_AutoSv.DBD"));
      EXPECT_EQ(replay.view.allLines, live.view.allLines);  // the same chain reports
      EXPECT_FALSE(rg.ctl.ReplayMode);
    }
  }
  fs::remove_all(dir);
}

TEST(WholeMatch, ARecordOfAnotherFieldSizeAsksForANewBackground) {
  const fs::path dir = ScratchDir("size");
  Played live;
  live.g->eng.FieldWidth = 6;
  live.g->eng.FieldHeight = 12;
  PlaySeeded(live, 5, 2, 3, dir);
  ASSERT_EQ(live.g->ctl.EndReason, "Buried");

  Played replay;
  Game& rg = *replay.g;
  rg.cfg.AppDir = live.g->cfg.AppDir;
  replay.host.onEvents = [&rg] {
    if (rg.ctl.StepWaitActive) TailClick(rg);
  };
  const std::string file = (dir / "GameData" / "AutoSave.DBD").string();
  ASSERT_EQ(LoadFile(rg, file), LoadOutcome::kReplay);
  EXPECT_EQ(replay.view.backgroundRebuilds, 1);
  EXPECT_EQ(rg.eng.FieldWidth, 6);
  EXPECT_EQ(FieldRows(rg, 2), FieldRows(*live.g, 2));
  EXPECT_TRUE(replay.view.replayButtons);
  // The same size again: the background stays.
  ASSERT_EQ(LoadFile(rg, file), LoadOutcome::kReplay);
  EXPECT_EQ(replay.view.backgroundRebuilds, 1);
  fs::remove_all(dir);
}

TEST(WholeMatch, AfterTheFieldSizeChangedContinueIsRefusedUntilANewMatch) {
  Played p;
  Game& g = *p.g;
  int32_t stopAt = 4;
  p.host.onEvents = [&] {
    if (g.ctl.MatchRunning && g.eng.TurnNumber >= stopAt) StopContinueClick(g);
  };
  const fs::path dir = ScratchDir("resize");
  PlaySeeded(p, 9, 3, 4, dir);
  g.eng.FieldWidth = 9;  // the configuration dialog, while the match is stopped
  StopContinueClick(g);
  EXPECT_EQ(g.eng.TurnNumber, 4);
  EXPECT_FALSE(g.ctl.MatchRunning);
  ASSERT_EQ(p.host.errors.size(), 1u);
  EXPECT_NE(p.host.errors[0].find("field size was changed"), std::string::npos);
  // A new match is built on the new size and can be stopped and continued.
  stopAt = 2;
  ASSERT_TRUE(StartMatch(g, 3, 4));
  stopAt = 3;
  StopContinueClick(g);
  EXPECT_EQ(g.eng.TurnNumber, 3);
  EXPECT_EQ(p.host.errors.size(), 1u);
  fs::remove_all(dir);
}

TEST(WholeMatch, ContinueBeforeAnyStartOrLoadDoesNothing) {
  Played p;
  StopContinueClick(*p.g);
  EXPECT_FALSE(p.g->ctl.MatchRunning);
  EXPECT_EQ(p.g->eng.TurnNumber, 0);
  EXPECT_TRUE(p.view.runningCalls.empty());
}

}  // namespace
}  // namespace dalu
