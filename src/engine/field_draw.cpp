#include "engine/field_draw.h"

#include <cmath>
#include <vector>

namespace dalu {

Pixel CellPixel(const Engine& e, int p, int column, int row) {
  return {(p - 1) * kFieldPitch + kFieldLeft + column * kCellSize,
          (e.FieldHeight + 3 - row) * kCellSize + kFieldTop};
}

void EraseCell(const Engine& e, FieldCanvas& cv, int p, int column, int row) {
  const Pixel px = CellPixel(e, p, column, row);
  cv.RestoreCell(px.x, px.y);
}

void DrawBead(const Engine& e, FieldCanvas& cv, int p, int column, int row, int variant,
              int colour) {
  EraseCell(e, cv, p, column, row);
  const Pixel px = CellPixel(e, p, column, row);
  cv.DrawImage(BeadImage(e, colour, variant), px.x, px.y);
}

void DrawTwin(const Engine& e, FieldCanvas& cv, int p, const TwinMove& t) {
  const int row = e.FieldHeight + 2;
  DrawBead(e, cv, p, t.Column, row, 0, t.Colour1);
  DrawBead(e, cv, p, t.Column + DX[t.Rotation], row + DY[t.Rotation], 0, t.Colour2);
}

void EraseTwin(const Engine& e, FieldCanvas& cv, int p, const TwinMove& t) {
  const int row = e.FieldHeight + 2;
  EraseCell(e, cv, p, t.Column, row);
  EraseCell(e, cv, p, t.Column + DX[t.Rotation], row + DY[t.Rotation]);
}

void DrawSettled(const Engine& e, FieldCanvas& cv, int p, int column, int row) {
  if (column < 1 || column > e.FieldWidth || row < 1 || row > e.FieldHeight) return;
  const Board& b = e.Boards[p];
  const int32_t c = b.Cells[column][row];
  if (!IsColour(c)) return;
  int variant = 0;
  if (b.Cells[column + 1][row] == c) variant += 1;
  if (b.Cells[column][row - 1] == c) variant += 2;
  if (b.Cells[column - 1][row] == c) variant += 4;
  if (b.Cells[column][row + 1] == c) variant += 8;
  DrawBead(e, cv, p, column, row, variant, c);
}

void DrawMarkers(const Engine& e, FieldCanvas& cv, int p) {
  const int row = e.FieldHeight + 4;
  for (int x = 1; x <= e.FieldWidth; ++x) {
    const Pixel px = CellPixel(e, p, x, row);
    cv.DrawImage(x == e.Boards[p].ObstructColumn ? kImgNextDrop : kImgColumnMarker, px.x, px.y);
  }
}

void ClearNotice(const Engine& e, FieldCanvas& cv, int p) {
  for (int x = 0; x <= e.FieldWidth + 1; ++x) EraseCell(e, cv, p, x, e.FieldHeight + 6);
}

void DrawNotice(const Engine& e, FieldCanvas& cv, int p) {
  ClearNotice(e, cv, p);
  const int32_t n = e.Boards[p].PendingShown;
  if (n <= 0) return;
  const int W = e.FieldWidth;
  const int S = W + 2;
  int big = n / 100;
  const int rest = n % 100;
  int five = rest / (5 * W);
  const int rest2 = rest % (5 * W);
  int rows = rest2 / W;
  int singles = rest2 % W;
  if (big > S) big = S;
  if (five > S - big) five = S - big;
  if (rows > S - big - five) rows = S - big - five;
  if (big + five + rows + (singles + 1) / 2 > S) singles = 2 * (S - big - five - rows) - 1;

  const int row = e.FieldHeight + 6;
  int slot = 0;
  auto put = [&](int image, int dx) {
    const Pixel px = CellPixel(e, p, slot, row);
    cv.DrawImage(image, px.x + dx, px.y);
  };
  for (int i = 0; i < big; ++i, ++slot) put(kImgNotice100, 0);
  for (int i = 0; i < five; ++i, ++slot) put(kImgNotice5Rows, 0);
  for (int i = 0; i < rows; ++i, ++slot) put(kImgNoticeRow, 0);
  const int base = slot;
  for (int k = 0; k < singles; ++k) {
    slot = base + k / 2;
    put(kImgNotice1, (k % 2) ? kCellSize / 2 : 0);
  }
}

void DrawWalls(const Engine& e, FieldCanvas& cv, int p) {
  for (int x = 0; x <= e.FieldWidth + 1; ++x) {
    for (int y = 0; y <= e.FieldHeight + 3; ++y) {
      if (e.Boards[p].Cells[x][y] != kWall) continue;
      const Pixel px = CellPixel(e, p, x, y);
      cv.DrawImage(kImgWall, px.x, px.y);
    }
  }
}

void DrawBurialRow(const Engine& e, FieldCanvas& cv, int p, int row) {
  for (int x = 0; x <= e.FieldWidth + 1; ++x) {
    EraseCell(e, cv, p, x, row);
    const Pixel px = CellPixel(e, p, x, row);
    cv.DrawImage(kImgBurial, px.x, px.y);
  }
}

void DrawPreviews(const Engine& e, FieldCanvas& cv, int p, int32_t n) {
  // Twins past the last one the sequence can hold are not shown.
  if (n < 1 || 2 * (n + 1) > kSequenceBeads) return;
  const int32_t* seq = e.TwinSequence[p];
  auto show = [&](int column, int row, int32_t colour) {
    const bool picture =
        colour >= 1 && colour <= 10 && e.ColourImage[colour] >= 1 && e.ColourImage[colour] <= 6;
    if (picture) DrawBead(e, cv, p, column, row, 0, colour);
  };
  const int x1 = PreviewColumnNext(e, p);
  const int x2 = PreviewColumnAfter(e, p);
  show(x1, kPreviewNextRow, seq[2 * n - 1]);
  show(x1, kPreviewNextRow + 1, seq[2 * n]);
  show(x2, kPreviewAfterRow, seq[2 * n + 1]);
  show(x2, kPreviewAfterRow + 1, seq[2 * n + 2]);
}

void DrawPosition(const Engine& e, FieldCanvas& cv) {
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  cv.RestoreAll();
  for (int p = 1; p <= 2; ++p) {
    const Board& b = e.Boards[p];
    DrawWalls(e, cv, p);
    DrawMarkers(e, cv, p);
    DrawNotice(e, cv, p);
    for (int x = 1; x <= W; ++x) {
      for (int y = 1; y <= H; ++y) {
        if (b.Cells[x][y] == kObstruct) {
          const Pixel px = CellPixel(e, p, x, y);
          cv.DrawImage(BeadImage(e, kObstruct, 0), px.x, px.y);
        } else {
          DrawSettled(e, cv, p, x, y);
        }
      }
    }
    // The previews appear with the first twin handed out.
    if (e.TwinIndex[p] > 1) DrawPreviews(e, cv, p, e.TwinIndex[p]);
    if (!IsBuried(e, p)) continue;
    for (int r = 0; r <= H + 5; ++r) DrawBurialRow(e, cv, p, r);
  }
}

namespace {

// Where a bead in flight is drawn: the cell of the whole part of its position, shifted up
// by the fractional part.
Pixel FlightPixel(const Engine& e, const FallingBead& f) {
  const double whole = std::trunc(f.Position);
  const Pixel px = CellPixel(e, f.Owner, f.Column, static_cast<int>(whole));
  return {px.x, px.y - static_cast<int>(std::lround((f.Position - whole) * kCellSize))};
}

int BounceVariant(int32_t bounce) {
  if (bounce <= 0) return 0;
  const int h = bounce / 2;
  if (h % 2 == 1) return kVariantSquash1;
  if (h % 4 == 2) return kVariantSquash2;
  return 0;
}

// Draws a landed bead in its final, joined form.
void DrawLanded(Engine& e, FieldCanvas& cv, const FallingBead& f) {
  if (f.Colour == kObstruct) {
    if (f.TargetRow <= e.FieldHeight) {
      const Pixel px = CellPixel(e, f.Owner, f.Column, f.TargetRow);
      cv.DrawImage(BeadImage(e, kObstruct, 0), px.x, px.y);
    }
    return;
  }
  for (int d = -1; d < 4; ++d) {
    const int dx = d < 0 ? 0 : DX[d];
    const int dy = d < 0 ? 0 : DY[d];
    DrawSettled(e, cv, f.Owner, f.Column + dx, f.TargetRow + dy);
  }
}

// A bead that gravity moves leaves a settled cell behind. Its same-colour neighbours were
// drawn joined toward it, and nothing else redraws them, so without this they would show a
// join into an empty cell until the field is drawn whole again. They are redrawn from the
// board once every bead has landed, when the board and the picture agree again.
struct Vacated {
  int owner, column, row;
};

std::vector<Vacated> VacatedCells(const Engine& e) {
  std::vector<Vacated> out;
  for (int i = 1; i <= e.FallCount; ++i) {
    const FallingBead& f = e.FallList[i];
    const double row = std::trunc(f.Position);
    // Twins and obstruct beads start above the field; only a bead resting in it vacates a cell.
    if (row != f.Position || row < 1 || row > e.FieldHeight || row == f.TargetRow) continue;
    out.push_back({f.Owner, f.Column, static_cast<int>(row)});
  }
  return out;
}

void RedrawAroundVacated(const Engine& e, FieldCanvas& cv, const std::vector<Vacated>& cells) {
  for (const Vacated& v : cells) {
    for (int d = 0; d < 4; ++d) DrawSettled(e, cv, v.owner, v.column + DX[d], v.row + DY[d]);
  }
}

// Frames after which a fall is cut short. With the configuration limits the longest fall
// takes a few hundred frames; only an out-of-range configuration comes near this.
constexpr int kMaxFallFrames = 20000;

}  // namespace

void AnimateFalls(Engine& e, FieldCanvas& cv, Host& host, const Config& cfg) {
  // A bounce shorter than one frame would never draw the landed bead.
  const int32_t bounding = cfg.Cfg[kBoundingCount] < 1 ? 1 : cfg.Cfg[kBoundingCount];
  const double gravity = cfg.Cfg[kGravityPower] / 100.0;
  const double separated = cfg.Cfg[kSeparatedSpeed] / 100.0;
  const double topRow = e.FieldHeight + 3;
  const std::vector<Vacated> vacated = VacatedCells(e);
  for (int frame = 0;; ++frame) {
    if (frame == kMaxFallFrames) {
      // The configuration never lets these beads settle: put them where they land.
      for (int i = 1; i <= e.FallCount; ++i) {
        FallingBead& f = e.FallList[i];
        if (f.BounceState >= bounding) continue;
        if (f.Position <= topRow) {
          const Pixel px = FlightPixel(e, f);
          cv.RestoreCell(px.x, px.y);
        }
        f.Position = f.TargetRow;
        f.Speed = 0;
        f.BounceState = bounding;
        DrawLanded(e, cv, f);
      }
      RedrawAroundVacated(e, cv, vacated);
      cv.Present();
      return;
    }
    host.MarkTime();
    bool settled = true;
    for (int i = 1; i <= e.FallCount; ++i) {
      const FallingBead& f = e.FallList[i];
      if (f.BounceState < bounding && f.Position <= topRow) {
        const Pixel px = FlightPixel(e, f);
        cv.RestoreCell(px.x, px.y);
      }
    }
    for (int i = 1; i <= e.FallCount; ++i) {
      FallingBead& f = e.FallList[i];
      const bool wasLanded = f.BounceState >= 1;
      f.Position -= f.Speed;
      bool lands = false;
      if (f.BounceState < 0) {
        if (f.TargetRow >= f.Position) {
          lands = true;
          const int pi = -f.BounceState;
          FallingBead& partner = e.FallList[pi <= e.FallCount ? pi : i];
          if (partner.BounceState < 0 && &partner != &f) {
            partner.BounceState = 0;
            partner.Speed = separated;
          }
        }
      } else if (f.BounceState == 0) {
        f.Speed += gravity;
        if (f.TargetRow > f.Position) lands = true;
      }
      if (lands) {
        f.Position = f.TargetRow;
        f.BounceState = 1;
        f.Speed = 0;
      }
      if (wasLanded) ++f.BounceState;
      if (f.BounceState < bounding) {
        settled = false;
        if (f.Position <= topRow) {
          const Pixel px = FlightPixel(e, f);
          cv.DrawImage(BeadImage(e, f.Colour, BounceVariant(f.BounceState)), px.x, px.y);
        }
      }
      if (f.BounceState == bounding) DrawLanded(e, cv, f);
    }
    if (settled) RedrawAroundVacated(e, cv, vacated);
    cv.Present();
    const int32_t wait = cfg.Cfg[kAnimationWait];
    host.WaitFromMark(static_cast<uint32_t>(wait < 0 ? 0 : wait));
    if (settled) return;
  }
}

}  // namespace dalu
