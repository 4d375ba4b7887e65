#include "engine/vanish_step.h"

#include <algorithm>

#include "engine/chain.h"
#include "engine/field_draw.h"

namespace dalu {

namespace {

uint32_t WaitUnits(int32_t configured) {
  // A damaged configuration may hold a negative wait; it means no wait, not four billion.
  return static_cast<uint32_t>(configured < 0 ? 0 : configured);
}

// Finds side p's vanishing groups on a scratch copy of its live board, appends their cells
// to the list and scores the step.
void FindVanishing(Engine& e, int p, VanishCell* list, int& count) {
  e.LongChainReport[p] = 0;
  Board s = e.Boards[p];
  Board& live = e.Boards[p];
  const int32_t c = live.ChainCount + 1;
  // The tally has an entry per scored chain step; longer chains share the last one, which
  // is also the entry the scoring uses for them.
  const int32_t slot = std::min<int32_t>(c, kChainTableSize);
  e.VanishTally[p][slot] = 0;

  CellPos group[kGroupCapacity];
  for (int i = 1; i <= e.FallCount; ++i) {
    const FallingBead& f = e.FallList[i];
    if (f.Owner != p) continue;
    const int32_t k = s.Cells[f.Column][f.TargetRow];
    if (!IsColour(k)) continue;
    const int members = SearchGroup(s, f.Column, f.TargetRow, k, group);
    if (members < e.VanishCount) continue;  // stays marked in the scratch copy
    e.VanishTally[p][slot] += members;
    for (int m = 0; m < members; ++m) {
      const int x = group[m].x;
      const int y = group[m].y;
      list[count++] = {static_cast<int8_t>(p), static_cast<int8_t>(x), static_cast<int8_t>(y),
                       static_cast<int8_t>(k)};
      s.Cells[x][y] = kEmpty;
      for (int d = 0; d < 4; ++d) {
        const int nx = x + DX[d];
        const int ny = y + DY[d];
        if (s.Cells[nx][ny] == kObstruct) {
          list[count++] = {static_cast<int8_t>(p), static_cast<int8_t>(nx), static_cast<int8_t>(ny),
                           static_cast<int8_t>(kObstruct)};
          s.Cells[nx][ny] = kEmpty;
        }
      }
    }
  }

  const int32_t n = e.VanishTally[p][slot];
  if (n > 0) {
    e.Boards[3 - p].PendingShown += ChainPoints(e, c, n);
    live.ChainCount += 1;
  } else {
    if (live.ChainCount > 4) e.LongChainReport[p] = live.ChainCount;
    live.ChainCount = 0;
  }
}

void AnimateVanish(Engine& e, FieldCanvas& cv, Host& host, const Config& cfg,
                   const VanishCell* list, int count) {
  // 1. Six vanish frames over every cell.
  for (int f = 1; f <= 6; ++f) {
    host.MarkTime();
    for (int i = 0; i < count; ++i) {
      const VanishCell& v = list[i];
      const Pixel px = CellPixel(e, v.owner, v.x, v.y);
      cv.RestoreCell(px.x, px.y);
      cv.DrawImage(BeadImage(e, v.colour, kVariantSquash1 + f), px.x, px.y);
    }
    // Pushed before the wait, so the frame stands on the screen for the whole wait and
    // pushing it takes none of the time after it.
    cv.Present();
    host.WaitFromMark(WaitUnits(cfg.Cfg[kVanishingWait]));
  }

  // 2. The cells empty, on the screen and on the live boards.
  host.MarkTime();
  for (int i = 0; i < count; ++i) {
    const VanishCell& v = list[i];
    EraseCell(e, cv, v.owner, v.x, v.y);
    e.Boards[v.owner].Cells[v.x][v.y] = kEmpty;
  }
  cv.Present();
  host.WaitFromMark(10);

  // 3. The chain number over every vanished colour bead: from the configured limit up to 9
  // in the larger font, from 10 on always and in the smaller font.
  host.MarkTime();
  const int32_t limit = cfg.Cfg[kChainCountLimit];
  for (int i = 0; i < count; ++i) {
    const VanishCell& v = list[i];
    if (v.colour == kObstruct) continue;
    const int32_t k = e.Boards[v.owner].ChainCount;
    const Pixel px = CellPixel(e, v.owner, v.x, v.y);
    if (k >= 10) {
      cv.DrawChainNumber(px.x + 1, px.y, k, 9);
    } else if (k >= limit) {
      cv.DrawChainNumber(px.x + 5, px.y, k, 11);
    }
  }
  cv.Present();
  host.WaitFromMark(WaitUnits(cfg.Cfg[kChainCountWait]));

  // 4. The numbers go again.
  host.MarkTime();
  for (int i = 0; i < count; ++i) EraseCell(e, cv, list[i].owner, list[i].x, list[i].y);
  cv.Present();
  host.WaitFromMark(10);
}

}  // namespace

void VanishStep(Engine& e, FieldCanvas& cv, Host& host, SoundPlayer& sound, const Config& cfg) {
  host.MarkTime();
  VanishCell list[kVanishCapacity];
  int count = 0;
  for (int p = 1; p <= 2; ++p) FindVanishing(e, p, list, count);
  host.WaitFromMark(50);
  if (count == 0) return;

  e.SequenceSplit = true;
  sound.PlayChainSound(std::max(e.Boards[1].ChainCount, e.Boards[2].ChainCount));
  AnimateVanish(e, cv, host, cfg, list, count);
}

}  // namespace dalu
