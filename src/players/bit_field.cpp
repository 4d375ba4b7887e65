#include "players/bit_field.h"

namespace dalu::players {

Bits FieldCells(int w, int h) {
  const uint32_t rows = (uint32_t{1} << (h + 1)) - 2;
  Bits cells = 0;
  for (int x = 1; x <= w; ++x) cells |= Bits{rows} << (kBitStride * (x - 1));
  return cells;
}

bool FitsBits(const Engine& e, const Board& b) {
  const int W = e.FieldWidth;
  if (W < 1 || W > kBitColumns || e.FieldHeight < 1 || e.FieldHeight >= kBitRows) return false;
  // A search or a resolution only ever reads or changes cells next to a bead; a bead or an
  // obstruct bead where the masks have no bit would be missed.
  auto outside = [](int32_t v) { return v >= 1 && v <= kObstruct; };
  for (int y = 0; y < kGridRows; ++y) {
    if (outside(b.Cells[0][y]) || outside(b.Cells[W + 1][y])) return false;
  }
  for (int x = 1; x <= W; ++x) {
    if (outside(b.Cells[x][0])) return false;
    for (int y = kBitRows; y < kGridRows; ++y) {
      if (outside(b.Cells[x][y])) return false;
    }
  }
  return true;
}

void ToBits(const Engine& e, const Board& b, BitField& f) {
  f = BitField{};
  f.field = FieldCells(e.FieldWidth, e.FieldHeight);
  for (int x = 1; x <= e.FieldWidth; ++x) {
    for (int y = 1; y < kBitRows; ++y) {
      const int32_t v = b.Cells[x][y];
      if (v <= 0) continue;  // empty, or a mark or border code that nothing ever matches
      const Bits bit = CellBit(x, y);
      if (v <= 9) {
        f.mask[v] |= bit;
        f.colours |= 1u << v;
      } else if (v == kObstruct) {
        f.mask[kObstruct] |= bit;
      } else {
        f.mask[kOtherCode] |= bit;
      }
    }
  }
}

void BitTops(const Engine& e, const BitField& f, int* top) {
  const uint32_t rowsH = (uint32_t{1} << (e.FieldHeight + 1)) - 2;
  Bits occupied = f.mask[kObstruct] | f.mask[kOtherCode];
  for (uint32_t ks = f.colours; ks != 0; ks &= ks - 1) occupied |= f.mask[std::countr_zero(ks)];
  for (int x = 1; x <= e.FieldWidth; ++x) {
    const uint32_t column = Slice(occupied, x) & rowsH;
    top[x] = column != 0 ? 31 - std::countl_zero(column) : 0;
  }
}

}  // namespace dalu::players
