#include "engine/twins.h"

#include <algorithm>

namespace dalu {

namespace {

int32_t CountColour(const int32_t* seq, int from, int to, int32_t colour) {
  int32_t n = 0;
  for (int j = from; j <= to; ++j) n += (seq[j] == colour);
  return n;
}

int32_t DrawBead(Engine& e, const int32_t* seq, int i) {
  const int C = e.ColourCount;
  // With a single colour every weight falls to 0 from bead 4 on; the only sound answer is
  // that colour.
  if (C <= 1) return 1;
  int32_t weight[kMaxColours + 1];
  for (int c = 1; c <= C; ++c) weight[c] = 1;
  if (i > 3) {
    for (int c = 1; c <= C; ++c) {
      if (CountColour(seq, std::max(1, i - 5), i - 1, c) >= 3) weight[c] = 0;
    }
  }
  if (i > 12) {
    for (int c = 1; c <= C; ++c) {
      if (CountColour(seq, i - 12, i - 1, c) <= 1) weight[c] = 3;
    }
  }
  if (i > 8) {
    for (int c = 1; c <= C; ++c) {
      if (CountColour(seq, i - 8, i - 1, c) == 0) {
        for (int o = 1; o <= C; ++o) weight[o] = 0;
        weight[c] = 1;
      }
    }
  }
  int32_t sum = 0;
  for (int c = 1; c <= C; ++c) sum += weight[c];
  int32_t r = e.rng.Below(static_cast<uint32_t>(sum));
  for (int c = 1; c <= C; ++c) {
    if (r < weight[c]) return c;
    r -= weight[c];
  }
  return C;  // not reached: some weight is above 0 whenever C >= 2
}

// Lowest empty row of column x in rows 1..H of board b; H+1 when there is none.
int LowestEmpty(const Board& b, int x, int H) {
  for (int y = 1; y <= H; ++y) {
    if (b.Cells[x][y] == kEmpty) return y;
  }
  return H + 1;
}

}  // namespace

void GenerateTwin(Engine& e, int p, int n) {
  const int first = 2 * n - 1;
  if (n < 1 || 2 * n > kMaxDealtBeads || n <= e.FixedTwins[p]) return;
  int32_t* seq = e.TwinSequence[p];
  if (p == 2 && !e.SequenceSplit) {
    seq[first] = e.TwinSequence[1][first];
    seq[first + 1] = e.TwinSequence[1][first + 1];
    return;
  }
  seq[first] = DrawBead(e, seq, first);
  seq[first + 1] = DrawBead(e, seq, first + 1);
}

void LandingRows(Engine& e, const TwinMove& move) {
  const int H = e.FieldHeight;
  const Board& b = e.WorkBoard;
  int r1 = LowestEmpty(b, move.Column, H);
  if (move.Rotation == 2) ++r1;
  int r2 = LowestEmpty(b, move.Column + DX[move.Rotation], H);
  if (move.Rotation == 0) ++r2;
  e.LandRow[1] = std::min(r1, H + 1);
  e.LandRow[2] = std::min(r2, H + 1);
}

bool IsBlocked(const Engine& e, const Board& b, const TwinMove& move) {
  const int H = e.FieldHeight;
  return b.Cells[move.Column][H] != kEmpty && b.Cells[move.Column + DX[move.Rotation]][H] != kEmpty;
}

void EnumeratePlacements(Engine& e, int offset, int32_t c1, int32_t c2) {
  const int W = e.FieldWidth;
  int i = offset;
  auto put = [&](int column, int rotation) {
    TwinMove& m = e.Placements[++i];
    m.Colour1 = c1;
    m.Colour2 = c2;
    m.Column = column;
    m.Rotation = rotation;
  };
  if (c1 != c2) {
    for (int k = 1; k <= W; ++k) put(k, 0);
    for (int k = 1; k <= W; ++k) put(k, 2);
    for (int k = 1; k <= W - 1; ++k) put(k, 3);
    for (int k = 1; k <= W - 1; ++k) put(k + 1, 1);
    e.PlacementCount = 4 * W - 2;
  } else {
    for (int k = 1; k <= W; ++k) put(k, 0);
    for (int k = 1; k <= W - 1; ++k) put(k, 3);
    e.PlacementCount = 2 * W - 1;
  }
}

}  // namespace dalu
