#include "players/emergency.h"

#include <algorithm>
#include <iterator>

#include "engine/chain.h"
#include "engine/twins.h"
#include "players/bit_field.h"
#include "players/riding.h"
#include "players/search_util.h"

namespace dalu {

void GetAllPSsSet(const ThinkContext& ctx, int player) {
  Engine& e = ctx.eng;
  // TwinIndex already names the twin after the one being placed.
  for (int k = 1; k <= 3; ++k) {
    int32_t c1, c2;
    players::TwinColours(e, player, e.TwinIndex[player] - 2 + k, c1, c2);
    EnumeratePlacements(e, 100 * k, c1, c2);
    ctx.think.PSCount[k] = e.PlacementCount;
  }
}

void Emergency(const ThinkContext& ctx, int player, TwinMove& result) {
  Engine& e = ctx.eng;
  ThinkState& t = ctx.think;
  const Board& live = e.Boards[player];
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;

  // 1. Column heights: the highest bead or obstruct bead in rows 1..H, 0 for none.
  int32_t heights = 0;
  for (int x = 1; x <= W; ++x) {
    for (int y = H; y >= 1; --y) {
      if (live.Cells[x][y] > 0) {
        heights += y;
        break;
      }
    }
  }
  const int32_t fill = players::FillPercent(e, heights);

  // 2-3. Threat and the number of turns left to answer it.
  int32_t threat = 0;
  int32_t deadline = 6;
  if (fill > 80) threat = 70;
  const int queued = std::min<int32_t>(e.ObstructQueueLen[player], kQueueCapacity);
  if (queued > 0) {
    for (int k = 1; k <= queued; ++k) threat += e.ObstructQueueAmount[player][k];
    deadline = e.ObstructQueueTurn[player][1] - e.TurnNumber + 1;
  }
  t.EmergencyThreat = threat;
  t.EmergencyDeadline = deadline;
  t.CandidateCount = 0;

  // 4. No danger worth a search.
  if (threat <= 4) {
    result.Column = 0;
    return;
  }

  // 5. Every sequence, depth first, in entry order.
  EmergencyCandidate* list = t.Candidates.data();
  const int capacity = static_cast<int>(t.Candidates.size());
  int n = 0;
  auto append = [&](int32_t attack, int32_t time, int32_t first) {
    if (n < capacity) list[n++] = {attack, time, first};  // room for the widest field
  };
  const int end1 = 100 + std::clamp(t.PSCount[1], 0, 100);
  const int end2 = 200 + std::clamp(t.PSCount[2], 0, 100);
  const int end3 = 300 + std::clamp(t.PSCount[3], 0, 100);
  Board after1, after2;
  // Resolutions keep a settled board settled, so this look covers every board below.
  const bool settled = players::IsSettled(e, live);
  // On boards the masks can hold, every third placement is resolved once on the board after
  // the first; behind a second placement in other columns that vanishes nothing, it lands
  // on the same cells and the second one's beads mostly ride.
  const bool twinColours = end2 > 200 && end3 > 300 && IsColour(e.Placements[201].Colour1) &&
                           IsColour(e.Placements[201].Colour2) &&
                           IsColour(e.Placements[301].Colour1) &&
                           IsColour(e.Placements[301].Colour2);
  players::PlacementsOnBoard& thirds = t.Records->Thirds;
  players::BitField bits1, bits2;
  for (int i = 101; i <= end1; ++i) {
    const TwinMove& m1 = e.Placements[i];
    if (IsBlocked(e, live, m1)) continue;
    e.WorkBoard = live;
    ResolveChains(e, m1, 2);
    const int32_t a1 = e.WorkBoard.ResultObstruct;
    append(a1, 1, i);
    after1 = e.WorkBoard;
    const bool bits = settled && twinColours && players::FitsBits(e, after1);
    int top1[kGridCols];
    if (bits) {
      players::ToBits(e, after1, bits1);
      players::BitTops(e, bits1, top1);
      players::ReadPlacementsOn(e, bits1, &e.Placements[301], end3 - 300, thirds);
    }
    for (int j = 201; j <= end2; ++j) {
      const TwinMove& m2 = e.Placements[j];
      if (IsBlocked(e, after1, m2)) continue;
      const int x2 = m2.Column + DX[m2.Rotation];
      // On the masks, a second placement inside the field that vanishes nothing is known by
      // its two groups: it scores 0 and leaves after1 with its beads written (riding: its
      // beads ride the third placements' kept steps). after2 is then written only when a
      // third placement needs the cells.
      bool riding = false;
      int r1 = 0, r2 = 0;
      if (bits) {
        players::LandingRowsOnTops(top1, m2, r1, r2);
        if (r1 <= H && r2 <= H) {
          bits2 = bits1;
          riding = players::AddQuietTwin(bits2, players::CellBit(m2.Column, r1), m2.Colour1,
                                         players::CellBit(x2, r2), m2.Colour2, e.VanishCount);
        }
      }
      int32_t a2 = 0;
      bool after2Written = false;
      if (!riding) {
        e.WorkBoard = after1;
        ResolveChains(e, m2, 2);
        a2 = e.WorkBoard.ResultObstruct;
        after2 = e.WorkBoard;
        after2Written = true;
      }
      // A placement that produced points delays the next one by a turn.
      append(a1 + a2, 2 + (a1 > 0), i);
      const players::Rider riders[2] = {{m2.Column, r1, m2.Colour1}, {x2, r2, m2.Colour2}};
      const uint32_t columns2 = 1u << m2.Column | 1u << x2;
      // The board after the second placement as masks, for the third placements that share
      // a column with it.
      int top2[kGridCols];
      if (riding) {
        std::copy(std::begin(top1), std::end(top1), std::begin(top2));
        ++top2[m2.Column];
        ++top2[x2];
      }
      for (int l = 301; l <= end3; ++l) {
        const TwinMove& m3 = e.Placements[l];
        const int x3 = m3.Column + DX[m3.Rotation];
        if (riding ? top2[m3.Column] == H && top2[x3] == H : IsBlocked(e, after2, m3)) continue;
        const int q = l - 301;
        if (riding && q < players::StepRecords::kEntries && (thirds.kept >> q & 1) != 0 &&
            (thirds.columns[q] & columns2) == 0) {
          // A quiet one stays quiet unless a rider lies on a cell its group tests compared.
          bool known = true;
          int32_t a3 = 0;
          if ((thirds.quiet >> q & 1) == 0) {
            a3 = players::RidingResult(e, thirds.records, q, riders, 2, nullptr, 0, bits1.field)
                     .points;
          } else {
            known = !players::TouchesQuiet(
                thirds, q, m3, players::CellBit(riders[0].x, riders[0].row), m2.Colour1,
                players::CellBit(riders[1].x, riders[1].row), m2.Colour2);
          }
          if (known) {
            append(a1 + a2 + a3, 3 + (a1 > 0) + (a2 > 0), i);
            continue;
          }
        }
        if (riding) {
          int y1, y2;
          players::LandingRowsOnTops(top2, m3, y1, y2);
          if (y1 <= H && y2 <= H) {
            // Inside the field the twin lands on empty cells.
            const int32_t a3 = players::TwinResultBits(e, bits2, m3, y1, y2).points;
            append(a1 + a2 + a3, 3 + (a1 > 0) + (a2 > 0), i);
            continue;
          }
        }
        if (!after2Written) {
          after2 = after1;
          after2.Cells[m2.Column][r1] = m2.Colour1;
          after2.Cells[x2][r2] = m2.Colour2;
          after2Written = true;
        }
        // The last placement's board is not needed: one that vanishes nothing scores 0
        // without a resolution.
        int32_t a3 = 0;
        if (!players::ResolvesNothing(e, after2, m3)) {
          players::ResolveOnWorkBoard(e, after2, m3, 2, settled);
          a3 = e.WorkBoard.ResultObstruct;
        }
        append(a1 + a2 + a3, 3 + (a1 > 0) + (a2 > 0), i);
      }
    }
  }
  t.CandidateCount = n;

  // 6. A candidate that cannot land in time keeps no attack.
  for (int k = 0; k < n; ++k) {
    if (list[k].Time + 1 > deadline) list[k].Attack = 0;
  }

  // 7. The first of the best net attacks wins.
  int32_t best = -100;
  int32_t chosen = 0;
  for (int k = 0; k < n; ++k) {
    const int32_t net = list[k].Attack - 5 * list[k].Time;
    if (net > best) {
      best = net;
      chosen = list[k].First;
    }
  }

  // 8. Play it when it answers the threat, or when time is nearly out.
  if (n > 0 && chosen > 0 && (best >= threat || deadline <= 3)) {
    result = e.Placements[chosen];
  } else {
    result.Column = 0;
  }
}

}  // namespace dalu
