// Small helpers shared by the computer players' searches: the random addition of shape
// scores, twin colours from the sequence, landing rows and group counts on any scratch board,
// the quick test that a placement vanishes nothing, and the resolution of settled boards.
//
// Everything works on boards the caller owns and allocates nothing.
#pragma once

#include <cstdint>

#include "engine/chain.h"
#include "engine/engine.h"
#include "engine/types.h"
#include "players/think_context.h"

namespace dalu::players {

// The random addition 0..9 of a shape score, or the fixed value tests and analysis set.
inline int32_t ShapeNoise(const ThinkContext& ctx) {
  const int32_t fixed = ctx.think.FixedNoise;
  if (fixed >= 0 && fixed <= 9) [[unlikely]]
    return fixed;
  return ctx.eng.rng.Below(10);
}

// Colours of twin n of side p. A twin outside the sequence reads as colours 0, which land
// and resolve like empty cells, so a malformed index never reads outside the array.
inline void TwinColours(const Engine& e, int p, int n, int32_t& c1, int32_t& c2) {
  if (n < 1 || 2 * n > kSequenceBeads) {
    c1 = c2 = 0;
    return;
  }
  c1 = e.TwinSequence[p][2 * n - 1];
  c2 = e.TwinSequence[p][2 * n];
}

// Cell (x, y) of board b, or a wall for a position outside the grid (the look under a bead
// can walk down to the floor and ask for the row below it).
inline int32_t CellAt(const Board& b, int x, int y) {
  if (static_cast<unsigned>(x) >= static_cast<unsigned>(kGridCols) ||
      static_cast<unsigned>(y) >= static_cast<unsigned>(kGridRows))
    return kWall;
  return b.Cells[x][y];
}

// Percent of the W x H cells that a count of filled cells makes, integer division.
inline int32_t FillPercent(const Engine& e, int32_t filled) {
  const int32_t area = e.FieldWidth * e.FieldHeight;
  return area > 0 ? filled * 100 / area : 0;
}

// The landing rows the engine's LandingRows gives for move, but on board b.
inline void LandingRowsOn(const Engine& e, const Board& b, const TwinMove& move, int& r1, int& r2) {
  const int H = e.FieldHeight;
  const int x2 = move.Column + DX[move.Rotation];
  int a = 1;
  while (a <= H && b.Cells[move.Column][a] != kEmpty) ++a;
  int c = 1;
  while (c <= H && b.Cells[x2][c] != kEmpty) ++c;
  if (move.Rotation == 2) ++a;
  if (move.Rotation == 0) ++c;
  r1 = a < H + 1 ? a : H + 1;
  r2 = c < H + 1 ? c : H + 1;
}

// Observers of a search or a resolution. NoWatch observes nothing.
struct NoWatch {
  void Compared(int, int, int32_t) {}
  void Fell(int) {}
};

// Watches the reading of one trigger on a settled board for the cells one and two rows above
// a column's top, where a later twin's beads land. A bead of colour k written at such a cell
// can change the trigger's result only if the reading compared that cell with k (any other
// value compares as the empty cell did) or let beads of that column fall (the bead would
// fall with them); every other cell the reading looks at is the same with or without it.
struct SlotWatch {
  const int* top;                // [x]: highest occupied row of column x; far above the grid
                                 // for the walls and the columns beyond W
  uint64_t bit;                  // the trigger being read
  uint64_t (*compared)[2][10];   // [x][level][k]: triggers that compared cell top+1+level with k
  uint64_t* fell;                // [x]: triggers whose reading let column x fall
  void Compared(int x, int y, int32_t k) {
    const unsigned level = static_cast<unsigned>(y - top[x] - 1);
    if (level < 2) compared[x][level][k] |= bit;
  }
  void Fell(int x) { fell[x] |= bit; }
};

// Searches the cells of value c connected to (x, y) on board b, in the order of the group
// searches of the game: the start cell, then pass by pass the neighbours of the cells found
// in the previous pass, each in the order up, left, down, right. The start cell counts
// whatever it holds; every other member holds c. Found cells are listed in list (room for
// kGroupCapacity, every cell of the grid) when list is not null. The search stops once limit
// cells are found; the count is exact below the limit. b is unchanged on return: members are
// marked with a value no cell ever holds while the search runs and restored afterwards.
int CountGroup(Board& b, int x, int y, int32_t c, int limit, CellPos* list);
// The same, telling watch every cell it compares with c (NoWatch or SlotWatch).
template <class Watch>
int CountGroupWatched(Board& b, int x, int y, int32_t c, int limit, CellPos* list, Watch& watch);

// True when ResolveChains(move, 2) on a copy of b would vanish nothing (so it would report
// 0 chains and 0 points). It looks at exactly what the first pass of the resolution looks
// at: both beads written, a bead above row H included, and the groups at the two landing
// cells. b is unchanged on return.
bool ResolvesNothing(const Engine& e, Board& b, const TwinMove& move);

// True when no cell of columns 1..W, rows 1..H of b holds a search mark (a negative value)
// and no bead there floats above an empty cell. Live boards are like that, and so is every
// board a resolution leaves; writing a twin at its landing rows keeps a board like that.
bool IsSettled(const Engine& e, const Board& b);

// ResolveChains(move, mode) on board b in place instead of the work board: the same
// ResultChains and ResultObstruct and the same final board, for a board that IsSettled and
// beads that land on top of their columns (a twin at its landing rows; a single bead one
// above its column's highest bead). It saves the work those conditions make idle: marks
// are restored only where a pass made them, and gravity runs only in columns where beads
// vanished. It does not touch e's fall list or landing rows.
void ResolveSettled(const Engine& e, Board& b, const TwinMove& move, int mode);
// The same, telling watch every cell a group search compares and every column that falls.
template <class Watch>
void ResolveSettledWatched(const Engine& e, Board& b, const TwinMove& move, int mode,
                           Watch& watch);

// Copies b into e.WorkBoard and resolves move there: the quick way when the caller knows b
// is settled (see ResolveSettled), else with the engine's resolution.
inline void ResolveOnWorkBoard(Engine& e, const Board& b, const TwinMove& move, int mode,
                               bool settled) {
  e.WorkBoard = b;
  if (settled) {
    ResolveSettled(e, e.WorkBoard, move, mode);
  } else {
    ResolveChains(e, move, mode);
  }
}

// Keeps candidate i of block 1 when its score s beats the best so far (strictly, so the
// first of equal scores wins), and notes the score for analysis.
inline void KeepBest(ThinkState& t, int i, int32_t s, int32_t& best, int& chosen) {
  if (i <= t.ScoredCount) t.CandidateScore[i] = s;
  if (s > best) {
    best = s;
    chosen = i;
  }
}

// The placement a player returns. With every placement blocked the field is buried by now:
// the first placement is as good as any and keeps the current twin's colours.
inline TwinMove ChosenPlacement(const Engine& e, int chosen) {
  return e.Placements[chosen > 0 ? chosen : 1];
}

// Value of the resolution last run on e.WorkBoard: chain steps dominate, points break ties.
inline int32_t ResolutionValue(const Engine& e) {
  return e.WorkBoard.ResultChains * 10000 + e.WorkBoard.ResultObstruct;
}

}  // namespace dalu::players
