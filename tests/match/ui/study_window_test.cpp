// Studying a record in the real window: the replay keys, Go to turn, the move list and
// Play same deal, driven by key events, menu items and clicks, and checked against a
// replay stepped turn by turn on a headless game.
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <map>

#include "engine/field_canvas.h"
#include "match/match_commands.h"
#include "match/replay.h"
#include "match/study.h"
#include "match/ui/move_list_window.h"
#include "match/ui/window_harness.h"
#include "util/host.h"

namespace dalu::testing {
namespace {

struct Shown {
  int32_t turn;
  std::vector<std::string> rows[3];
  bool operator==(const Shown& o) const {
    return turn == o.turn && rows[1] == o.rows[1] && rows[2] == o.rows[2];
  }
};

Shown ShownNow(const Game& g) {
  Shown s{ShownTurn(g), {}};
  for (int p = 1; p <= 2; ++p) s.rows[p] = FieldRows(g, p);
  return s;
}

void PrintTo(const Shown& s, std::ostream* os) {
  *os << "turn " << s.turn;
  for (int p = 1; p <= 2; ++p) {
    for (const std::string& row : s.rows[p]) *os << (row == s.rows[p][0] ? " | " : "/") << row;
  }
}

// A match of two computer levels stopped after 12 turns, saved with Save As.
QString MakeRecord(WindowRig& r) {
  Game& g = r.g();
  r.w().LevelSelector(1)->setCurrentIndex(4);
  r.w().LevelSelector(2)->setCurrentIndex(5);
  r.host.onEvents = [&] {
    if (g.ctl.MatchRunning && g.eng.TurnNumber >= 12) r.Trigger(MenuId::kStopContinue);
  };
  r.Trigger(MenuId::kStart);
  r.host.onEvents = nullptr;
  const QString path = r.GameDataPath(QStringLiteral("study.DBD"));
  r.saveAnswer = path;
  r.Trigger(MenuId::kSaveAs);
  EXPECT_TRUE(QFile::exists(path));
  return path;
}

// The position at every turn of a plain replay that steps with ">" from the start.
std::map<int32_t, Shown> SteppedReplay(const QString& path) {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  RecordingView view;
  Game g(host, canvas, sound, view);
  g.ctl.AutoSave = false;
  std::map<int32_t, Shown> shown;
  host.onEvents = [&] {
    if (!g.ctl.StepWaitActive || !g.ctl.WaitForStep) return;
    shown[ShownTurn(g)] = ShownNow(g);
    NextStepClick(g);
  };
  EXPECT_EQ(LoadFile(g, QFile::encodeName(path).toStdString()), LoadOutcome::kReplay);
  shown[ShownTurn(g)] = ShownNow(g);
  return shown;
}

// The colours of every twin a side placed, in the order it placed them.
std::vector<std::pair<int, int>> PlacedTwins(const Game& g, int p) {
  std::vector<std::pair<int, int>> twins;
  for (int32_t t = 1; t <= g.eng.TurnNumber && t <= kMaxTurns; ++t) {
    const TwinMove& m = g.rec.TurnRecord[t][p];
    if (m.Column != 0) twins.push_back({m.Colour1, m.Colour2});
  }
  return twins;
}

bool Waiting(const Game& g) {
  return g.ctl.StepWaitActive && g.ctl.WaitForStep && !g.ctl.JumpRequested;
}

TEST(StudyWindow, KeysGoToTurnAndTheMoveListShowWhatSteppingShows) {
  WindowRig r;
  Game& g = r.g();
  MainWindow& w = r.w();
  const QString path = MakeRecord(r);
  // Stopped, the match just played can be studied and its deal played again.
  EXPECT_TRUE(w.Action(MenuId::kGoToTurn)->isEnabled());
  EXPECT_TRUE(w.Action(MenuId::kSameDeal)->isEnabled());
  const std::map<int32_t, Shown> stepped = SteppedReplay(path);
  const int32_t last = stepped.rbegin()->first;
  ASSERT_GE(last, 12);
  ASSERT_EQ(stepped.size(), static_cast<size_t>(last) + 1);

  // Loaded: at its first wait the record can be studied; End goes to its last turn, where
  // a record stopped midway ends its replay.
  r.openAnswer = path;
  int waits = 0;
  r.host.onEvents = [&] {
    if (!Waiting(g) || waits++ > 0) return;
    EXPECT_TRUE(w.Action(MenuId::kStepBack)->isEnabled());
    EXPECT_TRUE(w.Action(MenuId::kReplay)->isEnabled());
    // The key stands where a shortcut would; it is none, the arrows steer in live play.
    EXPECT_EQ(w.Action(MenuId::kStepBack)->text(), QStringLiteral("Step back(&B)\tLeft"));
    EXPECT_TRUE(w.Action(MenuId::kStepBack)->shortcut().isEmpty());
    EXPECT_EQ(w.Action(MenuId::kTakeBack)->text(), QStringLiteral("Take back\tBackspace"));
    EXPECT_FALSE(w.Action(MenuId::kSameDeal)->isEnabled());  // a replay runs
    r.Key(Qt::Key_End);
  };
  r.Trigger(MenuId::kLoad);
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(ShownNow(g), stepped.at(last));
  EXPECT_EQ(g.eng.TurnNumber, last);
  EXPECT_TRUE(w.Action(MenuId::kSameDeal)->isEnabled());

  // Home, then Right: the start, then turn 1 played as ">" plays it.
  int phase = 0;
  r.host.onEvents = [&] {
    if (!Waiting(g)) return;
    if (phase == 0) {
      EXPECT_EQ(ShownNow(g), stepped.at(0));
      r.Key(Qt::Key_Right);
    } else if (phase == 1) {
      EXPECT_EQ(ShownNow(g), stepped.at(1));
      QTest::mouseClick(w.EndReplayButton(), Qt::LeftButton);
    }
    ++phase;
  };
  r.Key(Qt::Key_Home);
  EXPECT_EQ(phase, 2);
  EXPECT_EQ(ShownTurn(g), 1);
  EXPECT_FALSE(g.ctl.LoopActive);

  // Ctrl+M opens the move list beside the window; the keys stay with the game.
  QTest::keyClick(w.Catcher(), Qt::Key_M, Qt::ControlModifier);
  MoveListWindow* list = w.MoveList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(list->Table()->rowCount(), last + 1);
  EXPECT_EQ(list->MarkedTurn(), 1);
  EXPECT_TRUE(w.Catcher()->hasFocus());

  // Ctrl+J asks for a turn starting at the one shown and jumps there; a click on a row of
  // the list jumps again, and the list follows a step.
  r.turnAnswer = 5;
  phase = 0;
  r.host.onEvents = [&] {
    if (!Waiting(g)) return;
    QTableWidget* table = list->Table();
    switch (phase++) {
      case 0:
        EXPECT_EQ(ShownNow(g), stepped.at(5));
        EXPECT_EQ(list->MarkedTurn(), 5);
        table->scrollToItem(table->item(3, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualItemRect(table->item(3, 1)).center());
        break;
      case 1:
        EXPECT_EQ(ShownNow(g), stepped.at(3));
        EXPECT_EQ(list->MarkedTurn(), 3);
        EXPECT_TRUE(w.Catcher()->hasFocus());
        r.Key(Qt::Key_Right);
        break;
      case 2:
        EXPECT_EQ(ShownNow(g), stepped.at(4));
        EXPECT_EQ(list->MarkedTurn(), 4);
        r.Key(Qt::Key_Left);
        break;
      default:
        EXPECT_EQ(ShownNow(g), stepped.at(3));
        QTest::mouseClick(w.EndReplayButton(), Qt::LeftButton);
        break;
    }
  };
  QTest::keyClick(w.Catcher(), Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(r.askedTurn, (std::array<int, 3>{1, 0, last}));
  EXPECT_EQ(phase, 4);

  // Cancelled, the dialog changes nothing.
  r.turnAnswer.reset();
  r.host.onEvents = nullptr;
  QTest::keyClick(w.Catcher(), Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(r.askedTurn[0], 3);
  EXPECT_FALSE(g.ctl.LoopActive);
  EXPECT_EQ(ShownNow(g), stepped.at(3));
}

TEST(StudyWindow, PlaySameDealStartsALiveMatchOnTheRecordsTwins) {
  WindowRig r;
  Game& g = r.g();
  MainWindow& w = r.w();
  const QString path = MakeRecord(r);
  r.openAnswer = path;
  r.host.onEvents = [&] {
    if (Waiting(g)) QTest::mouseClick(w.EndReplayButton(), Qt::LeftButton);
  };
  r.Trigger(MenuId::kLoad);
  r.Trigger(MenuId::kMoveList);
  ASSERT_NE(w.MoveList(), nullptr);
  EXPECT_GT(w.MoveList()->Table()->rowCount(), 0);
  std::vector<std::pair<int, int>> recorded[3];
  for (int p = 1; p <= 2; ++p) {
    for (int32_t n = 1; n <= LastTurn(g); ++n) {
      recorded[p].push_back({g.eng.TwinSequence[p][2 * n - 1], g.eng.TwinSequence[p][2 * n]});
    }
  }

  // Other levels than the record's: the deal is the record's all the same.
  w.LevelSelector(1)->setCurrentIndex(2);
  w.LevelSelector(2)->setCurrentIndex(3);
  int liveRowsAhead = -1;  // rows of the open move list beyond the turn on the screen
  r.host.onEvents = [&] {
    if (g.ctl.MatchRunning && g.eng.TurnNumber == 4 && liveRowsAhead < 0) {
      liveRowsAhead = w.MoveList()->Table()->rowCount() - ShownTurn(g);
    }
    if (g.ctl.MatchRunning && g.eng.TurnNumber >= 5) r.Trigger(MenuId::kStopContinue);
  };
  QTest::keyClick(w.Catcher(), Qt::Key_D, Qt::ControlModifier);
  r.host.onEvents = nullptr;
  ASSERT_GE(g.eng.TurnNumber, 5);
  EXPECT_EQ(liveRowsAhead, 1);  // the list followed the live match: the start and each turn
  EXPECT_FALSE(g.ctl.ReplayMode);
  EXPECT_TRUE(w.windowTitle().contains(w.LevelSelector(2)->currentText()))
      << w.windowTitle().toStdString();
  for (int p = 1; p <= 2; ++p) {
    // The twins each side placed, against the record's deal (a side that chains takes no
    // twin that turn).
    const std::vector<std::pair<int, int>> played = PlacedTwins(g, p);
    ASSERT_GE(played.size(), 3u);
    ASSERT_LE(played.size(), recorded[p].size());
    const std::vector<std::pair<int, int>> first(
        recorded[p].begin(), recorded[p].begin() + static_cast<long>(played.size()));
    EXPECT_EQ(played, first) << "side " << p;
  }
  // Stopped, the new match is studied in its turn, and its deal can be played again.
  EXPECT_TRUE(w.Action(MenuId::kGoToTurn)->isEnabled());
  EXPECT_TRUE(w.Action(MenuId::kLastTurn)->isEnabled());
  EXPECT_TRUE(w.Action(MenuId::kSameDeal)->isEnabled());
  EXPECT_EQ(w.MoveList()->Table()->rowCount(), g.eng.TurnNumber + 1);
  EXPECT_EQ(w.MoveList()->MarkedTurn(), g.eng.TurnNumber);
}

}  // namespace
}  // namespace dalu::testing
