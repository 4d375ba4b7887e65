// The match just played: its status line and result, studying it without a load, taking
// moves back, and the history that keeps every match.
#include "match/just_played.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "match/history.h"
#include "match/match_commands.h"
#include "match/match_setup.h"
#include "match/replay.h"
#include "match/status_line.h"
#include "match/study.h"
#include "records/record_file.h"
#include "util/file_io.h"
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
  const uint32_t specified = r.host.TickMs();

  // ">>" at 8x passes far less time; the burial it reaches is kept too (Re_AutoSv.DBD).
  Played f("status_fast");
  Game& fg = *f.g;
  fg.ctl.FastReplaySpeed = ReplaySpeed::kEightfold;
  f.host.onEvents = [&fg] {
    if (fg.ctl.StepWaitActive) TailClick(fg);
  };
  ASSERT_EQ(LoadFile(fg, (p.dir / "GameData" / "AutoSave.DBD").string()), LoadOutcome::kReplay);
  EXPECT_LT(f.host.TickMs(), specified / 4);
  EXPECT_EQ(FieldRows(fg, 1), FieldRows(g, 1));
  EXPECT_EQ(RecentHistory(fg).size(), 1u);
  EXPECT_EQ(ReplayPaceDivisor(g), 1u);  // live play keeps the specified pacing
  r.host.onEvents = [&rg] {
    if (rg.ctl.StepWaitActive) EndReplayClick(rg);
  };
  StepBack(rg);
  EXPECT_EQ(r.view.status.substr(0, 12), "Turn " + IntToText(turns - 1) + " / " + IntToText(turns));
  g.cfg.EnglishUI = false;
  EXPECT_NE(StatusLine(g).find(Utf8ToCp932("の勝ち")), std::string::npos);
}

TEST(JustPlayed, TakeBackReturnsBeforeTheLastKeyboardDropAndTheStopKeepsTheTurnsBehindIt) {
  Played p("take_back");
  Game& g = *p.g;
  int drops = 0;
  bool tookBack = false;
  TwinMove before[3][3] = {};
  p.host.onEvents = [&] {
    MatchControl& ctl = g.ctl;
    if (ctl.Phase != LoopPhase::kMovesOpen || ctl.InputSide != 1) return;
    if (!tookBack && g.eng.TurnNumber == 4) {
      for (int t = 1; t <= 2; ++t) {
        for (int s = 1; s <= 2; ++s) before[t][s] = g.rec.TurnRecord[t][s];
      }
      tookBack = TakeBackKeyDown(g, kBackspaceKey);
      return;
    }
    if (tookBack) {
      EXPECT_EQ(g.eng.TurnNumber, 3);  // the third turn is dealt again
      StopContinueClick(g);
      return;
    }
    ++drops;
    ctl.TurnMove[1] = ctl.ShownTwin[1];
    ctl.TurnMove[1].Column = 1 + drops;
    ctl.InputSide = 2;
  };
  g.eng.rng.Seed(5);
  ASSERT_TRUE(StartMatch(g, 0, 3));
  ASSERT_TRUE(tookBack);
  EXPECT_EQ(g.eng.TurnNumber, 3);
  EXPECT_EQ(g.ctl.Record, RecordState::kPlayed);
  for (int t = 1; t <= 2; ++t) {
    for (int s = 1; s <= 2; ++s) EXPECT_EQ(g.rec.TurnRecord[t][s].Column, before[t][s].Column);
  }
  EXPECT_EQ(g.rec.TurnRecord[3][1].Column, 4);  // the stop's turn: the twin where it starts
  // Closing keeps the stopped match in History, once.
  ASSERT_TRUE(KeepUnkeptMatch(g, 1000));
  EXPECT_FALSE(KeepUnkeptMatch(g, 1000));
  ASSERT_EQ(RecentHistory(g).size(), 1u);
  EXPECT_EQ(ReadWholeFile(RecentHistory(g)[0].path, 1 << 20).bytes, CurrentRecordText(g));
  // Saved, the record loads again and replays to the same fields.
  ASSERT_TRUE(TF_File_SaveAs(g, "taken.DBD", false));
  Played r("take_back_load");
  Game& rg = *r.g;
  r.host.onEvents = [&rg] {
    if (rg.ctl.StepWaitActive) TailClick(rg);
  };
  ASSERT_EQ(LoadFile(rg, (p.dir / "GameData" / "taken.DBD").string()), LoadOutcome::kReplay);
  EXPECT_EQ(rg.eng.TurnNumber, 3);
  EXPECT_EQ(FieldRows(rg, 1), FieldRows(g, 1));
  EXPECT_EQ(FieldRows(rg, 2), FieldRows(g, 2));
  // The match just played is studied without a load.
  p.host.onEvents = [&g] {
    if (g.ctl.StepWaitActive) EndReplayClick(g);
  };
  StepBack(g);
  EXPECT_EQ(ShownTurn(g), 2);
  // Studying it is no new match: History keeps it whole, once.
  EXPECT_FALSE(KeepUnkeptMatch(g, 1000));
  EXPECT_EQ(ReadWholeFile(RecentHistory(g)[0].path, 1 << 20).bytes, CurrentRecordText(g));
}

TEST(History, EveryAutosaveIsKeptAndNothingIsOverwritten) {
  Played p("history");
  Game& g = *p.g;
  g.eng.rng.Seed(21);
  ASSERT_TRUE(StartMatch(g, 3, 6));
  ASSERT_EQ(g.ctl.EndReason, "Buried");
  const std::string autosaved =
      ReadWholeFile((p.dir / "GameData" / "AutoSave.DBD").string(), 1 << 20).bytes;
  std::vector<HistoryEntry> recent = RecentHistory(g);
  ASSERT_EQ(recent.size(), 1u);
  EXPECT_EQ(ReadWholeFile(recent[0].path, 1 << 20).bytes, autosaved);
  EXPECT_EQ(recent[0].reason + IntToText(recent[0].turns), "Buried" + IntToText(g.eng.TurnNumber));
  EXPECT_EQ(recent[0].side[2], g.rec.RecPlayerName[2].substr(4));
  EXPECT_EQ(recent[0].winner, IsBuried(g.eng, 1) ? 2 : 1);
  EXPECT_FALSE(KeepUnkeptMatch(g, 0));  // already kept as it stands

  // Two keeps in one second under sides no file name can hold as they are.
  g.rec.RecPlayerName[1] = "0007a/b c:d";
  const std::string first = KeepInHistory(g, "first", 0);
  const std::string second = KeepInHistory(g, "second", 0);
  EXPECT_NE(first.find("-a_b_c_d-"), std::string::npos) << first;
  EXPECT_EQ(second.substr(0, second.size() - 6) + ".DBD", first);  // "-2" before ".DBD"
  EXPECT_EQ(ReadWholeFile(HistoryDir(g) + first, 100).bytes, "first");
  recent = RecentHistory(g, 2);
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_EQ(recent[0].turns, g.eng.TurnNumber);  // the match, kept now, is the newest
  EXPECT_EQ(recent[1].path, HistoryDir(g) + second);
  EXPECT_EQ(recent[1].turns, -1);  // no header: listed without a result
}

}  // namespace
}  // namespace dalu
