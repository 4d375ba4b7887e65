// The move list: a tool window beside the main window listing every turn of the loaded
// record, both sides' moves with the chains they started, and the comments. The turn on
// the screen is marked and follows the replay; a click on a turn asks to go there.
//
// The window only shows the core's move list (match/move_list.h) and passes clicks on; the
// main window decides what a click does (GoToTurn) and tells the list where the replay
// stands (Follow) after every turn and every jump.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "match/move_list.h"

class QTableWidget;

namespace dalu {

struct Game;

class MoveListWindow : public QWidget {
  Q_OBJECT

 public:
  // A tool window of `parent` (the main window): it stays beside it and closes with it.
  explicit MoveListWindow(QWidget* parent = nullptr);

  // Takes the move list of the game's record (BuildMoveList) in the game's language and
  // marks the turn shown. A game whose record cannot be studied gives an empty list.
  void ShowRecord(const Game& g);
  // The rows themselves, with the captions of one language.
  void SetRows(std::vector<MoveListRow> rows, bool english);
  // Columns another part of the window adds (the review's chances and marks), each after
  // the list column it names (0 the turn, 1 side 1, 2 side 2), and per row (turn 0 first)
  // one cell for each with its tool tip. They stay until set again; none: no columns.
  struct ExtraColumn {
    QString header;
    int after = 2;
  };
  struct ExtraCell {
    QString text;
    QString tip;
  };
  void SetExtraColumns(std::vector<ExtraColumn> columns, std::vector<std::vector<ExtraCell>> rows);

  // Marks the turn on the screen (ShownTurn) and scrolls to it; once live play has begun
  // (the record can no longer be studied) nothing is marked and clicks ask for nothing.
  void Follow(const Game& g);
  // Marks row `turn` (-1: none).
  void MarkTurn(int32_t turn);
  int32_t MarkedTurn() const { return marked_; }

  QTableWidget* Table() const { return table_; }

  // Runs when the user clicks a turn, with that turn (0 the start).
  std::function<void(int32_t turn)> onTurnClicked;

 signals:
  void turnRequested(int turn);

 private:
  void CellClicked(int row);

  QTableWidget* table_;
  std::vector<MoveListRow> rows_;
  bool english_ = true;
  std::vector<ExtraColumn> extraColumns_;
  std::vector<std::vector<ExtraCell>> extraRows_;
  int32_t marked_ = -1;
  bool clickable_ = true;
};

}  // namespace dalu
