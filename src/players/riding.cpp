#include "players/riding.h"

#include <bit>
#include <cstring>

namespace dalu::players {

namespace {

// Highest occupied row 0..H of column x of a kept board.
int TopOf(const StepRecord& r, int x, uint32_t rowsH) {
  const uint32_t column = Slice(r.occupied, x) & rowsH;
  return column != 0 ? 31 - std::countl_zero(column) : 0;
}

}  // namespace

void StepRecorder::Step(const BitField& f, Bits seeds, int32_t chains, int32_t points) {
  if (records == nullptr) return;
  if (full || records->used == StepRecords::kCapacity) {
    full = true;
    current = nullptr;
    return;
  }
  StepRecord& r = records->step[records->used++];
  std::memcpy(r.mask, f.mask, sizeof r.mask);
  r.colours = f.colours;
  r.occupied = f.mask[kObstruct] | f.mask[kOtherCode];
  for (uint32_t ks = f.colours; ks != 0; ks &= ks - 1) r.occupied |= f.mask[std::countr_zero(ks)];
  r.lowered = 0;
  if (current != nullptr) {
    // Columns whose cells changed: only there can a fall have lowered the top.
    const Bits changed = r.occupied ^ current->occupied;
    r.lowered = ColumnsOf(changed);
  }
  r.seenAny = 0;
  r.vanish = 0;
  r.seeds = seeds;
  r.chains = chains;
  r.points = points;
  std::memset(r.seen, 0, sizeof r.seen[0] * records->seenEnd);
  current = &r;
}

BitResult RidingResult(const Engine& e, const StepRecords& records, int k, const Rider* riders,
                       int riderCount, const Rider* still, int stillCount, Bits field) {
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  const uint32_t rowsH = (uint32_t{1} << (H + 1)) - 2;
  const int first = records.first[k];
  const int count = records.count[k];
  int row[2] = {}, lastTop[2] = {-1, -1};  // a column's top, read once it comes down
  Bits bit[2] = {};
  // Bit j of each: rider j. Masks rather than flags, so the step loop keeps them in registers.
  uint32_t gone = 0;  // vanished with a group the kept step vanished anyway
  int32_t extra = 0;  // the points those riders added
  uint32_t columns = 0;
  Bits all = 0;
  for (int j = 0; j < riderCount; ++j) {
    row[j] = riders[j].row;
    bit[j] = CellBit(riders[j].x, row[j]);
    columns |= 1u << riders[j].x;
    all |= bit[j];
  }
  for (int i = 0; i < count; ++i) {
    const StepRecord& r = records.step[first + i];
    uint32_t moved = 0;
    if (i > 0 && (r.lowered & columns) != 0) {
      for (int j = 0; j < riderCount; ++j) {
        if ((gone >> j & 1) != 0 || (r.lowered >> riders[j].x & 1) == 0) continue;
        // When the fall lowered the rider's column, the rider comes down as far and is a
        // seed of this step.
        const int top = TopOf(r, riders[j].x, rowsH);
        if (lastTop[j] < 0) lastTop[j] = TopOf(records.step[first + i - 1], riders[j].x, rowsH);
        if (top >= lastTop[j]) continue;
        moved |= 1u << j;
        row[j] -= lastTop[j] - top;
        lastTop[j] = top;
        bit[j] = CellBit(riders[j].x, row[j]);
      }
      all = 0;
      for (int j = 0; j < riderCount; ++j) all |= (gone >> j & 1) != 0 ? 0 : bit[j];
    }
    uint32_t touched = 0;
    if ((r.seenAny & all) != 0) {
      for (int j = 0; j < riderCount; ++j) {
        if ((r.seen[riders[j].colour] & bit[j]) != 0) touched |= 1u << j;
      }
      touched &= ~gone;
    }
    if ((moved | touched) == 0) continue;
    // A moved rider is searched from, and a touched one joins the group searched next to it:
    // either changes the step only when its group (with the other rider and the still beads
    // of its colour) reaches the vanish count. A smaller group stays as it is, and every
    // group without a rider is found as before. A group that holds nothing but riders and
    // beads the kept step vanished anyway vanishes as then, the riders with it: the step
    // scores more but leaves the same board, as long as no obstruct bead next to a rider is
    // freed and no rider above one of them is left to fall.
    bool changes = false;
    Bits join = 0;
    for (int j = 0; j < riderCount && !changes; ++j) {
      if (((moved | touched) >> j & 1) == 0) continue;
      const int32_t c = riders[j].colour;
      Bits m = r.mask[c];
      for (int q = 0; q < riderCount; ++q) {
        if ((gone >> q & 1) == 0 && riders[q].colour == c) m |= bit[q];
      }
      for (int q = 0; q < stillCount; ++q) {
        if (still[q].colour == c) m |= CellBit(still[q].x, still[q].row);
      }
      const Group g = FloodGroup<true>(bit[j], m);
      if (g.size < V) continue;
      const Bits others = g.cells & ~all;
      if (others != 0 && (others & ~r.vanish) == 0) {
        join |= g.cells & all;
      } else {
        changes = true;
      }
    }
    if (!changes && join != 0) {
      changes =
          r.mask[kObstruct] != 0 && (Spread(join) & r.mask[kObstruct] & ~Spread(r.vanish)) != 0;
      for (int j = 0; j < riderCount && !changes; ++j) {
        for (int q = 0; q < riderCount && !changes; ++q) {
          changes = (join & bit[j]) != 0 && (gone >> q & 1) == 0 && (join & bit[q]) == 0 &&
                    riders[q].x == riders[j].x && row[q] > row[j];
        }
      }
      if (!changes) {
        const int32_t n = BitCount(r.vanish);
        extra += ChainPoints(e, r.chains + 1, n + BitCount(join)) - ChainPoints(e, r.chains + 1, n);
        for (int j = 0; j < riderCount; ++j) {
          if ((join & bit[j]) != 0) gone |= 1u << j;
        }
        all &= ~join;
      }
    }
    if (!changes) continue;
    BitField f;
    std::memcpy(f.mask, r.mask, sizeof f.mask);
    f.colours = r.colours;
    f.field = field;
    Bits seeds = r.seeds;
    for (int q = 0; q < stillCount; ++q) {
      f.mask[still[q].colour] |= CellBit(still[q].x, still[q].row);
      f.colours |= 1u << still[q].colour;
    }
    for (int j = 0; j < riderCount; ++j) {
      if ((gone >> j & 1) != 0) continue;
      f.mask[riders[j].colour] |= bit[j];
      f.colours |= 1u << riders[j].colour;
      if ((moved >> j & 1) != 0) seeds |= bit[j];
    }
    NoBitWatch none;
    return ResolveSeeds(e, f, seeds, none, {r.chains, r.points + extra});
  }
  const StepRecord& last = records.step[first + count - 1];
  return {last.chains, last.points + extra};
}

void ReadPlacementsOn(const Engine& e, const BitField& f, const TwinMove* placements, int count,
                      PlacementsOnBoard& out) {
  const int H = e.FieldHeight;
  out.records.Clear();
  out.kept = 0;
  out.quiet = 0;
  int top[kGridCols];
  BitTops(e, f, top);
  StepRecorder recorder{&out.records};
  for (int j = 0; j < count && j < StepRecords::kEntries; ++j) {
    const TwinMove& m = placements[j];
    const int x2 = m.Column + DX[m.Rotation];
    int r1, r2;
    LandingRowsOnTops(top, m, r1, r2);
    out.columns[j] = 1u << m.Column | 1u << x2;
    if (r1 > H || r2 > H) continue;
    BitField g = f;
    const Bits b1 = CellBit(m.Column, r1);
    const Bits b2 = CellBit(x2, r2);
    AddTwin(g, b1, m.Colour1, b2, m.Colour2);
    // Most placements vanish nothing: their two group tests are all there is to keep.
    const Group g1 = FloodGroup(b1, g.mask[m.Colour1]);
    const Group g2 = FloodGroup(b2, g.mask[m.Colour2]);
    if (g1.size < e.VanishCount && g2.size < e.VanishCount) {
      out.kept |= uint64_t{1} << j;
      out.quiet |= uint64_t{1} << j;
      const Bits both = m.Colour1 == m.Colour2 ? g1.around | g2.around : 0;
      out.seen[j][0] = both != 0 ? both : g1.around;
      out.seen[j][1] = both != 0 ? both : g2.around;
      continue;
    }
    recorder.Begin(j);
    ResolveSeeds(e, g, b1 | b2, recorder);
    recorder.End(j);
    const int n = out.records.count[j];
    if (n == 0) continue;
    out.kept |= uint64_t{1} << j;
  }
}

}  // namespace dalu::players
