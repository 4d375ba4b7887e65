// Chain resolution: the group search, instant resolution of a placement on the work board,
// and gravity. The stepwise chain of a live match uses the same search and scoring.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "engine/types.h"

namespace dalu {

struct CellPos {
  int8_t x, y;
};

// Room for every cell of the grid, so no group can overflow a list.
inline constexpr int kGroupCapacity = kGridCols * kGridRows;

// Searches the group of colour k (1..9) that contains the seed (x, y) on board b, marking
// every member -k and listing them in the order found: the seed, then wave by wave the
// neighbours of the previous wave in list order, each in the order up, left, down, right.
// The seed must hold k. Returns the member count.
int SearchGroup(Board& b, int x, int y, int32_t k, CellPos* list);

// SearchGroup, telling watch.Compared(x, y, k) of every cell it compares with k (the
// players note which cells a resolution looked at). SearchGroup is this with no watch.
template <class Watch>
int SearchGroupWatched(Board& b, int x, int y, int32_t k, CellPos* list, Watch& watch) {
  b.Cells[x][y] = -k;
  list[0] = {static_cast<int8_t>(x), static_cast<int8_t>(y)};
  int n = 1;
  int waveStart = 0;
  while (waveStart < n) {
    const int waveEnd = n;
    for (int i = waveStart; i < waveEnd; ++i) {
      for (int d = 0; d < 4; ++d) {
        const int nx = list[i].x + DX[d];
        const int ny = list[i].y + DY[d];
        // The border codes keep every step inside the grid: a colour never sits in the
        // outermost rows or columns, so its neighbours always exist.
        watch.Compared(nx, ny, k);
        if (b.Cells[nx][ny] == k) {
          b.Cells[nx][ny] = -k;
          list[n++] = {static_cast<int8_t>(nx), static_cast<int8_t>(ny)};
        }
      }
    }
    waveStart = waveEnd;
  }
  return n;
}

// Instant resolution on e.WorkBoard. Mode 2 places a twin (move gives both colours, the
// column and the rotation); mode 1 places one bead (Colour1 at Column, row in Rotation).
// Runs every chain step to the end. Leaves the settled board, ResultObstruct and
// ResultChains on it, FallCount 0, and in mode 2 LandRow.
void ResolveChains(Engine& e, const TwinMove& move, int mode);

// Lets the beads of e.WorkBoard fall into the gaps below them, appending one FallingBead per
// moved bead to e.FallList. Rows above H are not scanned.
void ApplyGravity(Engine& e);

}  // namespace dalu
