#include "engine/engine.h"

#include "engine/field_draw.h"

namespace dalu {

void Engine::DefaultChainTables() {
  ChainBonus[0] = 0;
  for (int i = 1; i <= kChainTableSize; ++i) {
    ChainBonus[i] = 3 * i * (i - 1);
    ChainRate[i] = i;
  }
}

void Engine::ConstSet() {
  FieldWidth = 7;
  FieldHeight = 11;
  ColourCount = 4;
  VanishCount = 4;
  ObstructRate[1] = 100;
  ObstructRate[2] = 100;
  DefaultChainTables();
}

void InitBoards(Engine& e, FieldCanvas& canvas) {
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  for (int p = 1; p <= 2; ++p) {
    Board& b = e.Boards[p];
    // The whole grid first, so no cell keeps a value from an earlier, larger field.
    for (auto& column : b.Cells) {
      for (int32_t& cell : column) cell = kWall;
    }
    for (int x = 1; x <= W; ++x) {
      for (int y = 1; y <= H + 3; ++y) b.Cells[x][y] = kEmpty;
      b.Cells[x][H + 4] = kCeiling;
    }
    for (int y = H + 1; y <= H + 4; ++y) {
      b.Cells[0][y] = kBorder;
      b.Cells[W + 1][y] = kBorder;
    }
    b.ChainCount = 0;
    b.PendingShown = 0;
    b.ObstructColumn = W;
    b.Owner = p;
    b.ResultObstruct = 0;
    b.ResultChains = 0;
    e.ObstructQueueLen[p] = 0;
  }
  e.ColourImage[10] = 6;
  e.TwinIndex[1] = 1;
  e.TwinIndex[2] = 1;

  for (int p = 1; p <= 2; ++p) {
    DrawWalls(e, canvas, p);
    DrawMarkers(e, canvas, p);
    ClearNotice(e, canvas, p);
  }
}

bool BoardsFitFieldSize(const Engine& e) {
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  if (W < 1 || W + 1 >= kGridCols || H < 1 || H + 4 >= kGridRows) return false;
  for (int p = 1; p <= 2; ++p) {
    const Board& b = e.Boards[p];
    // A narrower field has its right border inside these columns, a wider one its own
    // beyond them; the same for the ceiling in a lower or higher field.
    if (b.Cells[W + 1][H + 1] != kBorder || b.Cells[W][H + 4] != kCeiling ||
        b.Cells[1][H + 4] != kCeiling) {
      return false;
    }
  }
  return true;
}

bool IsBuried(const Engine& e, int side) {
  const Board& b = e.Boards[side];
  const int H = e.FieldHeight;
  for (int x = 1; x <= e.FieldWidth; ++x) {
    if (b.Cells[x][H] == kEmpty || b.Cells[x][H - 1] == kEmpty) return false;
  }
  return true;
}

}  // namespace dalu
