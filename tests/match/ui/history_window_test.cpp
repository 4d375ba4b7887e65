// The match just played in the real window: take back from the menu, History kept at Start
// and Load and listed under File > Recent, and the pace of ">>" kept in the settings file.
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>

#include "match/history.h"
#include "match/just_played.h"
#include "match/match_commands.h"
#include "match/ui/window_harness.h"
#include "util/ui/program_settings.h"

namespace dalu::testing {
namespace {

TEST(HistoryWindow, TakeBackFromTheMenuThenRecentLoadsTheKeptMatch) {
  WindowRig r;
  Game& g = r.g();
  MainWindow& w = r.w();
  w.LevelSelector(1)->setCurrentIndex(0);  // the keyboard against a computer
  w.LevelSelector(2)->setCurrentIndex(3);
  int32_t dropped = 0;
  bool tookBack = false;
  r.host.onEvents = [&] {
    if (g.ctl.Phase != LoopPhase::kMovesOpen || g.ctl.InputSide != 1) return;
    if (tookBack) {  // the third twin is dealt again: stop here
      EXPECT_EQ(g.eng.TurnNumber, 3);
      r.Trigger(MenuId::kStopContinue);
    } else if (g.eng.TurnNumber == 4) {
      ASSERT_TRUE(w.Action(MenuId::kTakeBack)->isEnabled());
      r.Trigger(MenuId::kTakeBack);
      tookBack = true;
    } else if (dropped < g.eng.TurnNumber) {
      dropped = g.eng.TurnNumber;
      r.Drop();
    }
  };
  r.Trigger(MenuId::kStart);
  ASSERT_TRUE(tookBack);
  // In comment mode Backspace edits the memo and takes nothing back.
  const int32_t turn = g.eng.TurnNumber;
  bool typed = false;
  r.host.onEvents = [&] {
    if (!w.InCommentMode() || typed) return;
    typed = true;
    QTest::keyClicks(w.Memo(), QStringLiteral("ab"));
    QTest::keyClick(w.Memo(), Qt::Key_Backspace);
    EXPECT_TRUE(w.Memo()->toPlainText().endsWith(QStringLiteral("a")));
    r.Trigger(MenuId::kComment);
  };
  r.Trigger(MenuId::kComment);
  EXPECT_TRUE(typed);
  EXPECT_EQ(g.eng.TurnNumber, turn);
  const std::string stopped = CurrentRecordText(g);

  // A new match keeps the stopped one; a record loaded from Recent keeps that one too.
  w.LevelSelector(1)->setCurrentIndex(4);
  r.host.onEvents = [&] {
    if (g.ctl.MatchRunning && g.eng.TurnNumber >= 2) r.Trigger(MenuId::kStopContinue);
  };
  r.Trigger(MenuId::kStart);
  w.FillRecentMenu();
  ASSERT_EQ(w.RecentMenu()->actions().size(), 1);
  EXPECT_TRUE(w.RecentMenu()->actions()[0]->text().contains(QStringLiteral("turns")));
  r.host.onEvents = [&] {
    if (g.ctl.StepWaitActive) EndReplayClick(g);
  };
  w.RecentMenu()->actions()[0]->trigger();
  EXPECT_EQ(CurrentRecordText(g).substr(0, 200), stopped.substr(0, 200));
  EXPECT_EQ(RecentHistory(g).size(), 2u);

  // The pace of ">>" is checked in the menu, used by the loop and kept for the next run.
  w.SpeedAction(ReplaySpeed::kFourfold)->trigger();
  EXPECT_EQ(g.ctl.FastReplaySpeed, ReplaySpeed::kFourfold);
  EXPECT_EQ(OpenProgramSettings(g.cfg.AppDir)->value(QStringLiteral("Replay/speed")).toString(),
            QStringLiteral("4x"));
}

}  // namespace
}  // namespace dalu::testing
