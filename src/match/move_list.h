// The move list of a loaded record, as data: for every turn both sides' moves in words a
// player reads, the chain each move started, and the comments. The move list window shows
// it; the texts are CP932 in the language asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/types.h"

namespace dalu {

struct Game;

struct MoveListRow {
  int32_t turn = 0;       // 0: the start, before the first turn
  bool placed[3] = {};    // the side dropped a twin in this turn (it was not chaining)
  TwinMove move[3] = {};  // the twin as handed (colours) and where the record put it
  int32_t chain[3] = {};  // steps of the chain this move started; 0 when it started none
  std::vector<std::string> comments;  // written after this turn (shown on its position)
};

// The list can be shown: a record that can be studied (CanStudy), or a live match, whose
// rows are its turns so far.
bool CanListMoves(const Game& g);

// Rows 0..LastTurn of the game's record, found by replaying it silently from its start.
// A damaged record's turns past the point where its replay ends keep their recorded
// columns, with no chains. Empty when the moves cannot be listed (CanListMoves).
std::vector<MoveListRow> BuildMoveList(const Game& g);

// A move in words: the pivot's column and where the second bead lies from it,
// "col 3 up" / "3列 上" (CP932).
std::string MoveText(const TwinMove& m, bool english);

// One side's cell of a row: the move, with the chain it started ("col 3 up, 5 chain" /
// "3列 上、5連鎖"); "-" for a side that was chaining; "" for the start row.
std::string SideCellText(const MoveListRow& row, int side, bool english);

// The comments of a row on one line, separated by " / ".
std::string CommentCellText(const MoveListRow& row);

// The column headers: turn, side 1, side 2, comments; and the window title.
std::string MoveListHeader(int column, bool english);
std::string MoveListTitle(bool english);
// The text of the turn column: the number, or "Start" / "開始" for row 0.
std::string TurnCellText(int32_t turn, bool english);

}  // namespace dalu
