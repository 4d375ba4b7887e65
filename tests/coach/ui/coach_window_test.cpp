// The coach in the real window: the hint while the user steers, and the review of a loaded
// record with its graph, marks, Next mistake and a try of a marked move, driven by menu
// items and keys while the match or the replay runs.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <chrono>
#include <thread>

#include "coach/coach_texts.h"
#include "coach/ui/chance_graph.h"
#include "coach/ui/coach_controller.h"
#include "coach/ui/ghost_overlay.h"
#include "coach/ui/hint_window.h"
#include "coach/ui/review_window.h"
#include "engine/field_draw.h"
#include "match/study.h"
#include "match/ui/move_list_window.h"
#include "match/ui/window_harness.h"
#include "util/ui/program_settings.h"
#include "util/ui/qt_text.h"

namespace dalu::testing {
namespace {

// The work runs on threads of its own: a wait for it need not spin the event loop flat out.
void Breathe() {
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(CoachWindow, TheHintShowsTheLevelsChoiceWhileTheUserSteersAndGoesAtTheDrop) {
  WindowRig r;
  Game& g = r.g();
  MainWindow& w = r.w();
  CoachController& coach = *w.Coach();
  w.LevelSelector(1)->setCurrentIndex(0);  // the user against "No Attack"
  w.LevelSelector(2)->setCurrentIndex(1);
  w.Action(MenuId::kHintLevel)->menu()->actions()[2]->trigger();  // level 3
  QTest::keyClick(w.Catcher(), Qt::Key_I, Qt::ControlModifier);
  ASSERT_TRUE(coach.HintOn());

  int turnsChecked = 0;
  bool hiddenAfterDrop = false;
  r.host.onEvents = [&] {
    const MatchControl& ctl = g.ctl;
    if (turnsChecked > 0 && !coach.Ghost()->isVisible()) hiddenAfterDrop = true;
    if (!ctl.MovesOpen || ctl.InputSide != 1) return;
    if (!coach.Ghost()->isVisible()) return Breathe();
    // What the level answers for this very position, asked again here.
    const Advice expected = AnswerHint(TakeHintRequest(g, 1, 3));
    const std::vector<GhostOverlay::Bead>& beads = coach.Ghost()->Beads();
    ASSERT_EQ(beads.size(), 2u);
    for (int b = 0; b < 2; ++b) {
      const Pixel px = CellPixel(g.eng, 1, expected.LandColumn[b], expected.LandRow[b]);
      EXPECT_EQ(beads[b].x, px.x);
      EXPECT_EQ(beads[b].y, px.y);
    }
    QTableWidget* table = coach.Hints()->Table();
    ASSERT_EQ(table->rowCount(), static_cast<int>(expected.Table.size()));
    EXPECT_EQ(table->item(0, 0)->text().toInt(), expected.Table[0].Column);
    EXPECT_EQ(table->item(0, 1)->text().toInt(), expected.Table[0].Rotation);
    EXPECT_TRUE(coach.Hints()->isVisible());
    if (++turnsChecked == 2) {
      r.Trigger(MenuId::kStopContinue);
    } else {
      r.Drop();
    }
  };
  r.Trigger(MenuId::kStart);
  r.host.onEvents = nullptr;
  EXPECT_EQ(turnsChecked, 2);
  EXPECT_TRUE(hiddenAfterDrop);
  // The level and the switch are kept beside DaluCfg.txt for the next start.
  const auto settings = OpenProgramSettings(g.cfg.AppDir);
  EXPECT_EQ(settings->value(QStringLiteral("Coach/hintLevel")).toInt(), 3);
  EXPECT_TRUE(settings->value(QStringLiteral("Coach/hint")).toBool());
}

TEST(CoachWindow, ReviewMarksTheMovesAndATryOfAMistakeIsComparedOnTheReviewsDice) {
  WindowRig r;
  Game& g = r.g();
  MainWindow& w = r.w();
  CoachController& coach = *w.Coach();
  // A weak side against a strong one: the weak side's moves get marks.
  w.LevelSelector(1)->setCurrentIndex(1);
  w.LevelSelector(2)->setCurrentIndex(6);
  r.host.onEvents = [&] {
    if (g.ctl.MatchRunning && g.eng.TurnNumber >= 16) r.Trigger(MenuId::kStopContinue);
  };
  r.Trigger(MenuId::kStart);
  r.saveAnswer = r.GameDataPath(QStringLiteral("coach.DBD"));
  r.Trigger(MenuId::kSaveAs);
  r.openAnswer = r.saveAnswer;
  r.host.onEvents = [&] {
    if (g.ctl.StepWaitActive) QTest::mouseClick(w.EndReplayButton(), Qt::LeftButton);
  };
  r.Trigger(MenuId::kLoad);
  r.host.onEvents = nullptr;
  const int32_t last = LastTurn(g);
  ReviewParams params;
  params.Playouts = 4;  // fewer and weaker than the program's, for a quick test
  params.Level = 6;
  params.PlayoutLevel = 3;
  coach.SetReviewParams(params);

  // The review runs aside with a progress bar; Cancel stops it and nothing is shown.
  ReviewWindow& panel = *coach.ReviewPanel();
  QTest::keyClick(w.Catcher(), Qt::Key_R, Qt::ControlModifier);
  EXPECT_TRUE(panel.Progress()->isVisible());
  EXPECT_FALSE(w.Action(MenuId::kReview)->isEnabled());
  QTest::mouseClick(panel.CancelButton(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !coach.Busy(); }, 60000));
  EXPECT_FALSE(coach.Reviewed());
  EXPECT_EQ(panel.Status()->text(),
            FromCp932(CoachString(CoachText::kReviewCancelled, g.cfg.EnglishUI)));

  QTest::keyClick(w.Catcher(), Qt::Key_R, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return coach.Reviewed(); }, 120000));
  const ReviewResult& review = *coach.Result();
  ASSERT_EQ(review.Turns.size(), static_cast<size_t>(last));
  EXPECT_EQ(panel.Graph()->Points().size(), static_cast<size_t>(last));
  EXPECT_FALSE(panel.Progress()->isVisible());

  // The move list gains both sides' chances and marks: side 1's around its moves.
  r.Trigger(MenuId::kMoveList);
  QTableWidget* list = w.MoveList()->Table();
  ASSERT_EQ(list->columnCount(), 8);
  for (int32_t t = 1; t <= last; ++t) {
    const ReviewTurn& turn = review.Turns[static_cast<size_t>(t - 1)];
    EXPECT_EQ(list->item(t, 1)->text().toStdString(), PercentText(turn.Chance1));
    const ReviewSide& side1 = turn.Side[1];
    const std::string mark = !side1.Placed                   ? "-"
                             : side1.Mark == ReviewMark::kOk ? ""
                                                             : MarkText(side1.Mark);
    EXPECT_EQ(list->item(t, 3)->text().toStdString(), mark) << "turn " << t;
  }

  const int32_t mistake = NextMarkedTurn(review, 1, 0);
  ASSERT_GT(mistake, 0) << "the weak side made no marked move";
  const ReviewSide& played = review.Turns[static_cast<size_t>(mistake - 1)].Side[1];
  // Next mistake stands before the marked move with its twins waiting; Try again lets the
  // user place side 1's twin there (one column left of the start, dropped) and compares
  // it on the review's own dice: the recorded move and the review level's keep their
  // chances from the review.
  int phase = 0;
  r.host.onEvents = [&] {
    if (!g.ctl.StepWaitActive || g.ctl.JumpRequested) return;
    switch (phase) {
      case 0:
        EXPECT_EQ(ShownTurn(g), mistake - 1);
        EXPECT_EQ(panel.Graph()->Points().at(static_cast<size_t>(mistake - 1)).mark[1],
                  played.Mark == ReviewMark::kMistake ? 2 : 1);
        ++phase;
        r.Trigger(MenuId::kTryAgain);
        break;
      case 1:
        if (!coach.Trying()) return;
        ++phase;
        r.Key(Qt::Key_Left);
        r.Drop();
        break;
      case 2:
        if (coach.Busy()) return Breathe();
        EXPECT_FALSE(coach.Ghost()->Beads().empty());  // where the review level's move lands
        ++phase;
        QTest::mouseClick(w.EndReplayButton(), Qt::LeftButton);
        break;
      default:
        break;
    }
  };
  r.Trigger(MenuId::kNextMistake);
  r.host.onEvents = nullptr;
  ASSERT_EQ(phase, 3);
  const std::string note = ToCp932(panel.Note()->text());
  EXPECT_NE(note.find(PercentText(played.Chance)), std::string::npos) << note;
  EXPECT_NE(note.find(PercentText(played.BestChance)), std::string::npos) << note;
  EXPECT_NE(note.find("3,0"), std::string::npos) << note;
  EXPECT_EQ(panel.TryAgainButton()->text(),
            FromCp932(CoachString(CoachText::kTryAgainAnother, g.cfg.EnglishUI)));

  // Continued live, the match writes over the record: its review goes with it.
  const int32_t from = g.eng.TurnNumber;
  r.host.onEvents = [&] {
    if (g.ctl.MatchRunning && g.eng.TurnNumber > from + 1) r.Trigger(MenuId::kStopContinue);
  };
  r.Trigger(MenuId::kStopContinue);
  r.host.onEvents = nullptr;
  EXPECT_FALSE(coach.Reviewed());
  EXPECT_TRUE(panel.Graph()->Points().empty());
  EXPECT_FALSE(w.Action(MenuId::kNextMistake)->isEnabled());
}

}  // namespace
}  // namespace dalu::testing
