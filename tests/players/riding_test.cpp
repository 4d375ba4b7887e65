// Kept resolutions followed with beads riding on top must give what resolving the board with
// those beads gives, whether the beads only ride or the resolution is taken up again.
#include "players/riding.h"

#include <gtest/gtest.h>

#include <memory>

#include "players/bit_field.h"
#include "players/player_fixture.h"

namespace dalu::testing {
namespace {

using players::BitField;
using players::Bits;
using players::Rider;

class Riding : public PlayerTest {
 protected:
  // Up to n beads of random colours on top of random columns outside `avoid` (bit x), one
  // above the other where they share a column, written into f too.
  int AddRiders(Rng& r, BitField& f, uint32_t avoid, int n, Rider* out) {
    int top[kGridCols];
    players::BitTops(e(), f, top);
    int count = 0;
    for (int k = 0; k < n; ++k) {
      const int x = 1 + r.Below(e().FieldWidth);
      if ((avoid >> x & 1) != 0 || top[x] >= e().FieldHeight) continue;
      out[count] = {x, ++top[x], 1 + r.Below(e().ColourCount)};
      f.mask[out[count].colour] |= players::CellBit(x, out[count].row);
      f.colours |= 1u << out[count].colour;
      ++count;
    }
    return count;
  }
};

TEST_F(Riding, RidersGiveTheResolutionOfTheBoardWithThem) {
  auto records = std::make_unique<players::StepRecords>();
  auto twins = std::make_unique<players::PlacementsOnBoard>();
  players::NoBitWatch none;
  int rode = 0, changed = 0, quiet = 0;
  for (uint64_t s = 0; s < 1500; ++s) {
    Rng r(s + 777);
    e().ConstSet();
    e().FieldWidth = 3 + r.Below(6);
    e().FieldHeight = 4 + r.Below(11);
    e().VanishCount = 2 + r.Below(4);
    e().ColourCount = 2 + r.Below(4);
    InitBoards(e(), box_.canvas);
    const Board b = ResolvedBoard(e(), r, 5 + r.Below(60), 0);
    if (!players::FitsBits(e(), b)) continue;
    BitField f;
    players::ToBits(e(), b, f);
    int top[kGridCols];
    players::BitTops(e(), f, top);
    // Triggers: one bead dropped on a column.
    for (int x = 1; x <= e().FieldWidth; ++x) {
      if (top[x] >= e().FieldHeight) continue;
      for (int32_t c = 1; c <= e().ColourCount; ++c) {
        records->Clear();
        players::StepRecorder recorder{records.get()};
        recorder.Begin(0);
        const int32_t kept = players::ResolveBits(e(), f, x, top[x] + 1, c, recorder);
        recorder.End(0);
        ASSERT_GT(records->count[0], 0);
        for (int attempt = 0; attempt < 4; ++attempt) {
          BitField with = f;
          Rider riders[2];
          const int n = AddRiders(r, with, 1u << x, 1 + r.Below(2), riders);
          const int32_t want = players::ResolveBits(e(), with, x, top[x] + 1, c, none);
          ASSERT_EQ(players::RidingResult(e(), *records, 0, riders, n, nullptr, 0, f.field).Value(),
                    want)
              << s << " column " << x << " colour " << c;
          (want == kept ? rode : changed)++;
        }
      }
    }
    // Twins: every placement read once, then asked with beads on other columns.
    EnumeratePlacements(e(), 0, 1 + r.Below(e().ColourCount), 1 + r.Below(e().ColourCount));
    players::ReadPlacementsOn(e(), f, &e().Placements[1], e().PlacementCount, *twins);
    for (int j = 0; j < e().PlacementCount && j < players::StepRecords::kEntries; ++j) {
      if ((twins->kept >> j & 1) == 0) continue;
      const TwinMove& m = e().Placements[1 + j];
      BitField with = f;
      Rider riders[2];
      const int n = AddRiders(r, with, twins->columns[j], 2, riders);
      const int x2 = m.Column + DX[m.Rotation];
      BitField direct = with;
      const Bits b1 = players::CellBit(m.Column, top[m.Column] + 1 + (m.Rotation == 2));
      const Bits b2 = players::CellBit(x2, top[x2] + 1 + (m.Rotation == 0));
      players::PlaceBead(direct, b1, m.Colour1);
      players::PlaceBead(direct, b2, m.Colour2);
      const int32_t want = players::ResolveSeeds(e(), direct, b1 | b2, none).Value();
      if ((twins->quiet >> j & 1) != 0) {
        const Bits r1 = n > 0 ? players::CellBit(riders[0].x, riders[0].row) : 0;
        const Bits r2 = n > 1 ? players::CellBit(riders[1].x, riders[1].row) : 0;
        if (players::TouchesQuiet(*twins, j, m, r1, n > 0 ? riders[0].colour : 0, r2,
                                  n > 1 ? riders[1].colour : 0))
          continue;
        ASSERT_EQ(want, 0) << s << " placement " << j;
        ++quiet;
      } else {
        ASSERT_EQ(
            players::RidingResult(e(), twins->records, j, riders, n, nullptr, 0, f.field).Value(),
            want)
            << s << " placement " << j;
      }
    }
  }
  EXPECT_GT(rode, 50000);
  EXPECT_GT(changed, 2000);
  EXPECT_GT(quiet, 5000);
}

}  // namespace
}  // namespace dalu::testing
