// The move list window on a record made by a computer match: it lists what the record
// holds in the language of the game, marks the turn shown, and a click on a turn brings
// the replay there.
#include "match/ui/move_list_window.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_setup.h"
#include "match/replay.h"
#include "match/study.h"
#include "records/record_file.h"
#include "util/host.h"
#include "util/sound.h"
#include "util/text.h"

namespace dalu {
namespace {

namespace fs = std::filesystem;

struct Seams {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  RecordingView view;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound, view);
};

// A match of two computer levels, stopped after 14 turns, with a comment after turn 2,
// written as a record file.
std::string MakeRecord() {
  const fs::path path =
      fs::temp_directory_path() / ("dalu_move_list_" + std::to_string(::getpid()) + ".DBD");
  Seams s;
  Game& g = *s.g;
  g.ctl.AutoSave = false;
  g.eng.rng.Seed(9);
  s.host.onEvents = [&g] {
    if (g.eng.TurnNumber >= 14 && g.ctl.MatchRunning) MMEnable(g);
  };
  EXPECT_TRUE(StartMatch(g, 6, 3));
  g.rec.CommentCount[2] = 1;
  g.rec.CommentText[2][1] = Utf8ToCp932("ここで連鎖の準備");
  std::ofstream(path, std::ios::binary)
      << RecordText(g.rec, g.eng, g.eng.TurnNumber, "Halt", g.eng.TurnNumber);
  return path.string();
}

QString Cell(const MoveListWindow& w, int row, int column) {
  return w.Table()->item(row, column)->text();
}

TEST(MoveListWindow, ListsTheRecordMarksTheTurnAndGoesToAClickedTurn) {
  const std::string file = MakeRecord();
  Seams s;
  Game& g = *s.g;
  g.ctl.AutoSave = false;
  g.cfg.EnglishUI = false;
  // The replay is ended with "x" wherever it waits, so every call returns.
  s.host.onEvents = [&g] {
    if (g.ctl.StepWaitActive) EndReplayClick(g);
  };
  ASSERT_EQ(LoadFile(g, file), LoadOutcome::kReplay);
  ASSERT_EQ(LastTurn(g), 14);

  MoveListWindow w;
  w.ShowRecord(g);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTableWidget* table = w.Table();
  ASSERT_EQ(table->rowCount(), 15);
  EXPECT_EQ(w.windowTitle(), QString::fromUtf8("手順一覧"));
  EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QString::fromUtf8("１Ｐ"));
  EXPECT_EQ(Cell(w, 0, 0), QString::fromUtf8("開始"));
  EXPECT_EQ(Cell(w, 2, 3), QString::fromUtf8("ここで連鎖の準備"));
  // Every turn's moves as the core words them from the record.
  const std::vector<MoveListRow> rows = BuildMoveList(g);
  for (int t = 1; t <= 14; ++t) {
    EXPECT_EQ(Cell(w, t, 0), QString::number(t));
    for (int p = 1; p <= 2; ++p) {
      const TwinMove& m = g.rec.TurnRecord[t][p];
      if (!rows[static_cast<size_t>(t)].placed[p]) continue;
      EXPECT_TRUE(Cell(w, t, p).startsWith(QString::number(m.Column) + QString::fromUtf8("列 ")))
          << t << " " << p;
    }
  }
  // The replay ended waiting for turn 1: the start is marked.
  EXPECT_EQ(w.MarkedTurn(), 0);

  // A click on turn 9 asks for it; the main window goes there and lets the list follow.
  QSignalSpy spy(&w, &MoveListWindow::turnRequested);
  w.onTurnClicked = [&](int32_t turn) {
    GoToTurn(g, turn);
    w.Follow(g);
  };
  table->scrollToItem(table->item(9, 0));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualItemRect(table->item(9, 1)).center());
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 9);
  EXPECT_EQ(ShownTurn(g), 9);
  EXPECT_EQ(w.MarkedTurn(), 9);
  EXPECT_TRUE(table->item(9, 2)->isSelected());
  EXPECT_TRUE(table->item(9, 0)->font().bold());

  // The replay steps on: the list follows it.
  GoToTurn(g, 12);
  w.Follow(g);
  EXPECT_EQ(w.MarkedTurn(), 12);
  EXPECT_FALSE(table->item(9, 0)->font().bold());

  // English captions on request.
  g.cfg.EnglishUI = true;
  w.ShowRecord(g);
  EXPECT_EQ(w.windowTitle(), "Move list");
  EXPECT_EQ(Cell(w, 0, 0), "Start");
  EXPECT_TRUE(Cell(w, 1, 1).startsWith("col "));
  EXPECT_EQ(w.MarkedTurn(), 12);

  // Live play from there, then Stop: the list follows the match just played, and a click
  // goes back into it.
  LevelSelectorsChanged(g, 3, 3);
  s.host.onEvents = [&g] {
    if (g.eng.TurnNumber >= 14 && g.ctl.MatchRunning) MMEnable(g);
  };
  StopContinueClick(g);
  w.Follow(g);
  EXPECT_EQ(w.MarkedTurn(), g.eng.TurnNumber);
  s.host.onEvents = [&g] {
    if (g.ctl.StepWaitActive) EndReplayClick(g);
  };
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualItemRect(table->item(3, 1)).center());
  EXPECT_EQ(spy.count(), 2);
  EXPECT_EQ(ShownTurn(g), 3);
  fs::remove(file);
}

}  // namespace
}  // namespace dalu
