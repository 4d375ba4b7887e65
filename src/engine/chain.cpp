#include "engine/chain.h"

#include "engine/twins.h"

namespace dalu {

namespace {
struct NoWatch {
  void Compared(int, int, int32_t) {}
};
}  // namespace

int SearchGroup(Board& b, int x, int y, int32_t k, CellPos* list) {
  NoWatch none;
  return SearchGroupWatched(b, x, y, k, list, none);
}

int32_t ChainPoints(const Engine& e, int32_t c, int32_t n) {
  // Steps beyond the tables score like the last step they hold.
  const int32_t s = c > kChainTableSize ? kChainTableSize : c;
  return e.ChainBonus[s] - e.ChainBonus[s - 1] + e.ChainRate[s] * (n - e.VanishCount);
}

void ResolveChains(Engine& e, const TwinMove& move, int mode) {
  Board& wb = e.WorkBoard;
  const int H = e.FieldHeight;

  // 1-2. Place the twin (or the single bead) and seed the fall list with it.
  if (mode == 2) {
    LandingRows(e, move);
    e.FallCount = 2;
    FallingBead& f1 = e.FallList[1];
    f1.Column = move.Column;
    f1.TargetRow = e.LandRow[1];
    f1.Colour = move.Colour1;
    FallingBead& f2 = e.FallList[2];
    f2.Column = move.Column + DX[move.Rotation];
    f2.TargetRow = e.LandRow[2];
    f2.Colour = move.Colour2;
    // A landing row of H+1 is written too; the live match discards such a bead.
    wb.Cells[f1.Column][f1.TargetRow] = f1.Colour;
    wb.Cells[f2.Column][f2.TargetRow] = f2.Colour;
  } else {
    e.FallCount = 1;
    FallingBead& f1 = e.FallList[1];
    f1.Column = move.Column;
    f1.TargetRow = move.Rotation;
    f1.Colour = move.Colour1;
    wb.Cells[f1.Column][f1.TargetRow] = f1.Colour;
  }

  // 3-4. Chain steps until a step vanishes nothing.
  wb.ResultObstruct = 0;
  int32_t c = 0;
  CellPos list[kGroupCapacity];
  // Members of groups that stayed, to get their colours back after the pass. Each cell is
  // searched at most once per pass, so the list cannot overflow.
  CellPos stayed[kGroupCapacity];
  do {
    int32_t n = 0;
    int nStayed = 0;
    for (int i = 1; i <= e.FallCount; ++i) {
      const int x = e.FallList[i].Column;
      const int y = e.FallList[i].TargetRow;
      const int32_t k = wb.Cells[x][y];
      if (!IsColour(k)) continue;  // already searched this pass, emptied, or not a bead
      const int members = SearchGroup(wb, x, y, k, list);
      if (members >= e.VanishCount) {
        // A group of any size vanishes whole and quietly: the list holds every cell, and a
        // message box here would stop a computer player in the middle of its search.
        n += members;
        for (int m = 0; m < members; ++m) {
          const int mx = list[m].x;
          const int my = list[m].y;
          wb.Cells[mx][my] = kEmpty;
          for (int d = 0; d < 4; ++d) {
            int32_t& nb = wb.Cells[mx + DX[d]][my + DY[d]];
            if (nb == kObstruct) nb = kEmpty;
          }
        }
      } else {
        for (int m = 0; m < members; ++m) {
          if (list[m].y >= 1 && list[m].y <= H) stayed[nStayed++] = list[m];
        }
      }
    }
    // Groups that stayed get their colours back; marks outside the playing area stay.
    for (int i = 0; i < nStayed; ++i) {
      int32_t& cell = wb.Cells[stayed[i].x][stayed[i].y];
      if (cell < 0) cell = -cell;
    }
    e.FallCount = 0;
    if (n > 0) {
      ++c;
      wb.ResultObstruct += ChainPoints(e, c, n);
      ApplyGravity(e);
    }
  } while (e.FallCount > 0);
  wb.ResultChains = c;
}

void ApplyGravity(Engine& e) {
  Board& wb = e.WorkBoard;
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  const int first = e.FallCount + 1;
  for (int x = 1; x <= W; ++x) {
    int gap = 0;
    for (int y = 1; y <= H; ++y) {
      const int32_t cell = wb.Cells[x][y];
      if (cell <= 0) {
        ++gap;
      } else if (gap > 0) {
        if (e.FallCount >= kFallCapacity) continue;  // cannot happen: the list holds two fields
        FallingBead& f = e.FallList[++e.FallCount];
        f.Owner = wb.Owner;
        f.Column = x;
        f.Position = y;
        f.TargetRow = y - gap;
        f.Speed = 0;
        f.BounceState = 0;
        f.Colour = cell;
        wb.Cells[x][y] = kEmpty;
      }
    }
  }
  for (int i = first; i <= e.FallCount; ++i) {
    const FallingBead& f = e.FallList[i];
    wb.Cells[f.Column][f.TargetRow] = f.Colour;
  }
}

}  // namespace dalu
