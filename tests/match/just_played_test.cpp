// The match just played: its status line and result, studying it without a load, taking
// moves back, and the history that keeps every match.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_setup.h"
#include "match/replay.h"
#include "match/status_line.h"
#include "match/study.h"
#include "util/host.h"
#include "util/sound.h"
#include "util/text.h"

namespace dalu {
namespace {

namespace fs = std::filesystem;

struct Played {
  explicit Played(const std::string& name)
      : dir(fs::temp_directory_path() / ("dalu_jp_" + name + "_" + std::to_string(::getpid()))) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    g->cfg.AppDir = dir.string() + "/";
  }
  ~Played() { fs::remove_all(dir); }
  fs::path dir;
  VirtualHost host;
  NullCanvas canvas;
  RecordingSound sound;
  RecordingView view;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound, view);
};

TEST(JustPlayed, TheStatusLineFollowsTheMatchAndNamesTheWinnerAfterABurial) {
  Played p("status");
  Game& g = *p.g;
  g.cfg.EnglishUI = true;
  std::vector<std::string> lines;
  p.host.onEvents = [&] { lines.push_back(p.view.status); };
  g.eng.rng.Seed(21);
  ASSERT_TRUE(StartMatch(g, 3, 6));
  ASSERT_EQ(g.ctl.EndReason, "Buried");
  const int32_t turns = g.eng.TurnNumber;
  const int loser = IsBuried(g.eng, 1) ? 1 : 2;
  ASSERT_FALSE(IsBuried(g.eng, 3 - loser));
  EXPECT_EQ(p.view.status,
            IntToText(3 - loser) + "P wins after " + IntToText(turns) +
                " turns.    Longest chains: " + IntToText(g.ctl.Tally.LongestChain[1]) + " / " +
                IntToText(g.ctl.Tally.LongestChain[2]));
  EXPECT_GT(g.ctl.Tally.Score[1] + g.ctl.Tally.Score[2], 0);
  EXPECT_NE(
      std::find(lines.begin(), lines.end(),
                "Turn 2    1P: score " + IntToText(0) + ", 0 waiting    2P: score 0, 0 waiting"),
      lines.end());

  // Its record, loaded again, ends with the same result; a step back shows "turn t / N".
  Played r("status_replay");
  Game& rg = *r.g;
  rg.cfg.EnglishUI = true;
  r.host.onEvents = [&rg] {
    if (rg.ctl.StepWaitActive) TailClick(rg);
  };
  ASSERT_EQ(LoadFile(rg, (p.dir / "GameData" / "AutoSave.DBD").string()), LoadOutcome::kReplay);
  EXPECT_EQ(r.view.status, p.view.status);
  r.host.onEvents = [&rg] {
    if (rg.ctl.StepWaitActive) EndReplayClick(rg);
  };
  StepBack(rg);
  EXPECT_EQ(r.view.status.substr(0, 12), "Turn " + IntToText(turns - 1) + " / " + IntToText(turns));
  g.cfg.EnglishUI = false;
  EXPECT_NE(StatusLine(g).find(Utf8ToCp932("の勝ち")), std::string::npos);
}

}  // namespace
}  // namespace dalu
