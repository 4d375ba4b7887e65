#include "players/search_util.h"

#include <climits>

namespace dalu::players {

namespace {

// Marks the members of a search in progress; no cell code is ever this value.
constexpr int32_t kSearchMark = INT32_MIN;

template <bool kChecked, class Watch>
int Flood(Board& b, int x, int y, int32_t c, int limit, CellPos* found, Watch& watch) {
  const int32_t startValue = b.Cells[x][y];
  b.Cells[x][y] = kSearchMark;
  found[0] = {static_cast<int8_t>(x), static_cast<int8_t>(y)};
  int n = 1;
  // A plain queue visits the cells in the same order as pass-by-pass waves do.
  for (int i = 0; i < n && n < limit; ++i) {
    for (int d = 0; d < 4; ++d) {
      const int nx = found[i].x + DX[d];
      const int ny = found[i].y + DY[d];
      if constexpr (kChecked) {
        if (static_cast<unsigned>(nx) >= static_cast<unsigned>(kGridCols) ||
            static_cast<unsigned>(ny) >= static_cast<unsigned>(kGridRows))
          continue;
      }
      int32_t& cell = b.Cells[nx][ny];
      watch.Compared(nx, ny, c);
      if (cell == c) {
        cell = kSearchMark;
        found[n++] = {static_cast<int8_t>(nx), static_cast<int8_t>(ny)};
        if (n >= limit) break;
      }
    }
  }
  b.Cells[x][y] = startValue;
  for (int i = 1; i < n; ++i) b.Cells[found[i].x][found[i].y] = c;
  return n;
}

}  // namespace

template <class Watch>
int CountGroupWatched(Board& b, int x, int y, int32_t c, int limit, CellPos* list, Watch& watch) {
  CellPos local[kGroupCapacity];
  CellPos* found = list != nullptr ? list : local;
  // Bead colours never lie in the outermost rows and columns of the grid (walls, floor,
  // ceiling and the unused space around them), so a search for a colour from an inner cell
  // never steps outside it. Any other search (an empty region, say) tests every step.
  const bool inner = x >= 1 && x <= kGridCols - 2 && y >= 1 && y <= kGridRows - 2;
  if (inner && IsColour(c)) return Flood<false>(b, x, y, c, limit, found, watch);
  return Flood<true>(b, x, y, c, limit, found, watch);
}

int CountGroup(Board& b, int x, int y, int32_t c, int limit, CellPos* list) {
  NoWatch none;
  return CountGroupWatched(b, x, y, c, limit, list, none);
}

bool ResolvesNothing(const Engine& e, Board& b, const TwinMove& move) {
  int r1, r2;
  LandingRowsOn(e, b, move, r1, r2);
  const int x1 = move.Column;
  const int x2 = move.Column + DX[move.Rotation];
  int32_t& cell1 = b.Cells[x1][r1];
  const int32_t old1 = cell1;
  cell1 = move.Colour1;
  int32_t& cell2 = b.Cells[x2][r2];
  const int32_t old2 = cell2;
  cell2 = move.Colour2;  // a vertical twin on a full column: both on one cell, this one stays

  const int V = e.VanishCount;
  bool quiet = true;
  // The second seed's group cannot be changed by the first one's when that one stays: a
  // group that stays only holds marks of its own colour, which belong to the same group.
  const int32_t k1 = b.Cells[x1][r1];
  if (IsColour(k1) && CountGroup(b, x1, r1, k1, V, nullptr) >= V) quiet = false;
  if (quiet) {
    const int32_t k2 = b.Cells[x2][r2];
    if (IsColour(k2) && CountGroup(b, x2, r2, k2, V, nullptr) >= V) quiet = false;
  }
  // Restored in reverse order, which is right also when both beads share a cell.
  cell2 = old2;
  cell1 = old1;
  return quiet;
}

bool IsSettled(const Engine& e, const Board& b) {
  for (int x = 1; x <= e.FieldWidth; ++x) {
    bool gap = false;
    for (int y = 1; y <= e.FieldHeight; ++y) {
      const int32_t cell = b.Cells[x][y];
      if (cell < 0) return false;
      if (cell == kEmpty) {
        gap = true;
      } else if (gap) {
        return false;
      }
    }
  }
  return true;
}

template <class Watch>
void ResolveSettledWatched(const Engine& e, Board& b, const TwinMove& move, int mode,
                           Watch& watch) {
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  CellPos seeds[kGroupCapacity];
  int seedCount;
  if (mode == 2) {
    int r1, r2;
    LandingRowsOn(e, b, move, r1, r2);
    const int x2 = move.Column + DX[move.Rotation];
    b.Cells[move.Column][r1] = move.Colour1;
    b.Cells[x2][r2] = move.Colour2;
    seeds[0] = {static_cast<int8_t>(move.Column), static_cast<int8_t>(r1)};
    seeds[1] = {static_cast<int8_t>(x2), static_cast<int8_t>(r2)};
    seedCount = 2;
  } else {
    b.Cells[move.Column][move.Rotation] = move.Colour1;
    seeds[0] = {static_cast<int8_t>(move.Column), static_cast<int8_t>(move.Rotation)};
    seedCount = 1;
  }

  CellPos group[kGroupCapacity];
  CellPos kept[kGroupCapacity];  // members of groups that stay; each cell once per pass
  int32_t chains = 0;
  int32_t points = 0;
  b.ResultObstruct = 0;
  for (;;) {
    // One chain step: every group that holds a seed and reaches V vanishes. Which groups
    // vanish does not depend on the order of the seeds, so neither does the step's score.
    int32_t n = 0;
    int keptCount = 0;
    unsigned touched = 0;  // bit x: a cell of column x was emptied
    int low[kGridCols];    // lowest and highest emptied row of each touched column
    int high[kGridCols];
    auto emptied = [&](int x, int y) {
      if (touched & (1u << x)) {
        low[x] = y < low[x] ? y : low[x];
        high[x] = y > high[x] ? y : high[x];
      } else {
        touched |= 1u << x;
        low[x] = high[x] = y;
      }
    };
    for (int i = 0; i < seedCount; ++i) {
      const int32_t k = b.Cells[seeds[i].x][seeds[i].y];
      if (!IsColour(k)) continue;
      const int members = SearchGroupWatched(b, seeds[i].x, seeds[i].y, k, group, watch);
      if (members >= V) {
        n += members;
        for (int m = 0; m < members; ++m) {
          const int mx = group[m].x;
          const int my = group[m].y;
          b.Cells[mx][my] = kEmpty;
          emptied(mx, my);
          for (int d = 0; d < 4; ++d) {
            int32_t& nb = b.Cells[mx + DX[d]][my + DY[d]];
            if (nb == kObstruct) {
              nb = kEmpty;
              emptied(mx + DX[d], my + DY[d]);
            }
          }
        }
      } else {
        for (int m = 0; m < members; ++m) {
          kept[keptCount].x = group[m].x;
          kept[keptCount].y = group[m].y;
          ++keptCount;
        }
      }
    }
    // Groups that stay get their colours back inside the field; marks above it stay, as
    // the full resolution leaves them.
    for (int m = 0; m < keptCount; ++m) {
      int32_t& cell = b.Cells[kept[m].x][kept[m].y];
      if (kept[m].y >= 1 && kept[m].y <= H && kept[m].x >= 1 && kept[m].x <= W) cell = -cell;
    }
    if (n == 0) break;
    ++chains;
    points += ChainPoints(e, chains, n);

    // Gravity, only where cells were emptied: every other column is still settled, and so
    // is a touched column below its lowest emptied cell and above its highest one, up to its
    // first empty cell there. The moved beads seed the next step.
    seedCount = 0;
    for (int x = 1; x <= W; ++x) {
      if (!(touched & (1u << x))) continue;
      watch.Fell(x);
      int gap = 0;
      for (int y = low[x]; y <= H; ++y) {
        const int32_t cell = b.Cells[x][y];
        if (cell <= 0) {
          if (y > high[x]) break;  // the column's old top is passed
          ++gap;
        } else if (gap > 0) {
          b.Cells[x][y - gap] = cell;
          b.Cells[x][y] = kEmpty;
          seeds[seedCount++] = {static_cast<int8_t>(x), static_cast<int8_t>(y - gap)};
        }
      }
    }
    if (seedCount == 0) break;
  }
  b.ResultObstruct = points;
  b.ResultChains = chains;
}

void ResolveSettled(const Engine& e, Board& b, const TwinMove& move, int mode) {
  NoWatch none;
  ResolveSettledWatched(e, b, move, mode, none);
}

template int CountGroupWatched(Board&, int, int, int32_t, int, CellPos*, NoWatch&);
template int CountGroupWatched(Board&, int, int, int32_t, int, CellPos*, SlotWatch&);
template void ResolveSettledWatched(const Engine&, Board&, const TwinMove&, int, NoWatch&);
template void ResolveSettledWatched(const Engine&, Board&, const TwinMove&, int, SlotWatch&);

}  // namespace dalu::players
