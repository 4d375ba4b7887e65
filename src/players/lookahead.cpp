// The three-twin look-ahead player.
#include <algorithm>
#include <bit>
#include <iterator>

#include "engine/chain.h"
#include "engine/twins.h"
#include "players/bit_field.h"
#include "players/riding.h"
#include "players/search_util.h"
#include "players/think.h"

namespace dalu {

using players::CellAt;

int32_t CountFilled(const ThinkContext& ctx) {
  const Engine& e = ctx.eng;
  int32_t n = 0;
  for (int x = 1; x <= e.FieldWidth; ++x) {
    for (int y = 1; y <= e.FieldHeight; ++y) n += e.WorkBoard.Cells[x][y] > 0;
  }
  return n;
}

namespace {

// The groups single beads would have, written one at a time on top of the columns of a
// settled board: entry (x, height above the column's top 1..4, which of the third twin's two
// colours). Each is searched when first asked; `known` marks those found.
struct LandingGroups {
  players::Group group[players::kBitColumns * 4 * 2];
  uint64_t known = 0;

  const players::Group& At(int x, int height, bool second, const players::BitField& f, int row,
                           int32_t c) {
    const int i = ((x - 1) * 4 + height - 1) * 2 + second;
    if ((known >> i & 1) == 0) {
      group[i] = players::FloodGroup<true>(players::CellBit(x, row), f.mask[c]);
      known |= uint64_t{1} << i;
    }
    return group[i];
  }

  // The group of bead colour c at (x, row) on f with the beads of a twin that vanished
  // nothing written on top of their columns (next[k], whose cell and neighbours are
  // near[k]): a bead of the colour next to the group joins it with its own group, which may
  // bring the other one. top: the column tops of f; second: c is not the third twin's first
  // colour.
  [[gnu::always_inline]] players::Group Joined(const players::BitField& f, const int* top, int x,
                                               int row, int32_t c, bool second,
                                               const players::Rider* next,
                                               const players::Bits* near) {
    const players::Group& g = At(x, row - top[x], second, f, row, c);
    bool join0 = next[0].colour == c, join1 = next[1].colour == c;
    if (!join0 && !join1) return g;
    players::Bits cells = g.cells;
    for (int pass = 0; pass < 2; ++pass) {
      if (join0 && (cells & near[0]) != 0) {
        cells |= At(next[0].x, next[0].row - top[next[0].x], second, f, next[0].row, c).cells;
        join0 = false;
      }
      if (join1 && (cells & near[1]) != 0) {
        cells |= At(next[1].x, next[1].row - top[next[1].x], second, f, next[1].row, c).cells;
        join1 = false;
      }
    }
    return cells == g.cells
               ? g
               : players::Group{cells, players::BitCount(cells), players::Spread(cells)};
  }
};

// Whether a twin of colours c1 and c2 whose beads have groups g1 and g2 on their own (each
// without the other bead) vanishes nothing: the two are one group when they are of one colour
// and the beads are neighbours (`touching`) or share a group.
inline bool QuietTwin(const players::Group& g1, const players::Group& g2, int32_t c1, int32_t c2,
                      bool touching, int V) {
  if (c1 == c2 && (touching || (g1.cells & g2.cells) != 0)) {
    return players::BitCount(g1.cells | g2.cells) < V;
  }
  return g1.size < V && g2.size < V;
}

// The third twin's placements read on the candidate's board (bit q: placement 201 + q), in
// sets that answer at once which of them a next twin in other columns leaves as they were.
struct ThirdsOnBoard {
  const players::PlacementsOnBoard& thirds;
  uint64_t all = 0;
  uint64_t quiet = 0;                 // quiet, with the cells their group tests compared
  uint64_t loud = 0;                  // vanish something, their steps kept
  uint64_t inColumn[kGridCols] = {};  // [x]: those with a bead in column x
  // [2 (x - 1) + height above the top - 1][colour]: the quiet ones a bead of that colour on
  // that cell (one or two above the column's top) touches.
  uint64_t touches[2 * players::kBitColumns][kObstruct] = {};
  // Of a loud one: the columns a step after the first lowered, and the cells any step
  // compared with the next twin's first ([0]) and second colour, the colours of the riders.
  uint32_t lowered[players::StepRecords::kEntries];
  players::Bits seen[players::StepRecords::kEntries][2];
  int32_t nextColour = 0;

  ThirdsOnBoard(const Engine& e, const int* top, const players::PlacementsOnBoard& read, int count)
      : thirds(read), nextColour(e.Placements[101].Colour1) {
    using players::Bits;
    const int W = e.FieldWidth;
    all = count >= 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
    quiet = read.kept & read.quiet & all;
    loud = read.kept & ~read.quiet & all;
    // The cells one and two above each column's top, where a next bead can land.
    Bits landing = 0;
    for (int x = 1; x <= W; ++x) {
      for (int h = 1; h <= 2 && top[x] + h <= e.FieldHeight; ++h) {
        landing |= players::CellBit(x, top[x] + h);
      }
    }
    for (int q = 0; q < count; ++q) {
      const uint64_t bit = uint64_t{1} << q;
      for (uint32_t xs = read.columns[q]; xs != 0; xs &= xs - 1)
        inColumn[std::countr_zero(xs)] |= bit;
      if ((quiet & bit) != 0) {
        const TwinMove& m = e.Placements[201 + q];
        for (int k = 0; k < 2; ++k) {
          const int32_t c = k == 0 ? m.Colour1 : m.Colour2;
          for (Bits cells = read.seen[q][k] & landing; cells != 0; cells &= cells - 1) {
            const int i = players::LowestBit(cells);
            const int x = i / players::kBitStride + 1;
            touches[2 * (x - 1) + i % players::kBitStride - top[x] - 1][c] |= bit;
          }
        }
      } else if ((loud & bit) != 0) {
        const int first = read.records.first[q];
        const int steps = read.records.count[q];
        lowered[q] = 0;
        seen[q][0] = seen[q][1] = 0;
        for (int s = 0; s < steps; ++s) {
          const players::StepRecord& r = read.records.step[first + s];
          if (s > 0) lowered[q] |= r.lowered;
          seen[q][0] |= r.seen[nextColour];
          seen[q][1] |= r.seen[e.Placements[101].Colour2];
        }
      }
    }
  }

  // The quiet ones bead b on top of its column touches (b.row one or two above top[b.x]).
  uint64_t Touched(const players::Rider& b, const int* top) const {
    return touches[2 * (b.x - 1) + b.row - top[b.x] - 1][b.colour];
  }

  // The kept result of loud one q with the riders on top of other columns, when no step
  // lowers their columns or compares their cells with their colours; chains -1 otherwise.
  players::BitResult Kept(int q, const players::Rider* riders) const {
    for (int k = 0; k < 2; ++k) {
      if ((lowered[q] >> riders[k].x & 1) != 0 ||
          (seen[q][riders[k].colour != nextColour] &
           players::CellBit(riders[k].x, riders[k].row)) != 0) {
        return {-1, 0};
      }
    }
    const players::StepRecord& last =
        thirds.records.step[thirds.records.first[q] + thirds.records.count[q] - 1];
    return {last.chains, last.points};
  }
};

constexpr int kMostPlacements = 4 * players::kBitColumns - 2;

// A resolution as beads on top of other columns see it: the columns where a step emptied
// cells, and the cells its group searches compared with two colours. A bead on top of a
// column none of its steps emptied, on a cell none compared with its colour, leaves every
// step as it was.
struct RiderWatch {
  RiderWatch() = default;
  RiderWatch(int32_t a, int32_t b) : colours{a, b} {}
  int32_t colours[2] = {};
  players::Bits seen[2] = {};
  uint32_t fell = 0;
  void Step(const players::BitField&, players::Bits, int32_t, int32_t) {}
  void Searched(const players::Group& g, int32_t k) {
    if (k == colours[0]) seen[0] |= g.around;
    if (k == colours[1]) seen[1] |= g.around;
  }
  void Vanished(players::Bits) {}
  void Fell(int x) { fell |= 1u << x; }
};

// The next and third twins that share a column, and every third twin behind a next twin that
// vanishes something, read once on the live board for every candidate in other columns that
// vanishes nothing: its beads lie on top of their columns there, and change a pair only when
// they touch it.
struct LivePairs {
  bool valid = false;
  int top[kGridCols];  // the live board's column tops
  int32_t colours[2];  // the current twin's colours
  // [j]: behind next twin 101 + j, bit q: third twin 201 + q lands in the field and is quiet
  // or vanishes something; behind a next twin that vanishes nothing, only those that share a
  // column with it.
  uint64_t quiet[kMostPlacements] = {};
  uint64_t loud[kMostPlacements] = {};
  // [j][2 (x - 1) + height above the top - 1][colour of the current twin]: the quiet pairs a
  // bead of that colour on that cell touches.
  uint64_t touches[kMostPlacements][2 * players::kBitColumns][2] = {};
  struct Loud {
    RiderWatch watch;
    players::BitResult result;
  };
  static constexpr int kLoudCapacity = 128;
  Loud louds[kLoudCapacity];
  int loudCount = 0;
  uint8_t loudAt[kMostPlacements][kMostPlacements];  // [j][q]: its entry in louds
  // Next twins that vanish something (bit j), their resolutions and the boards after them.
  uint32_t fired = 0;
  struct Fired {
    RiderWatch watch;
    players::BitResult result;
    players::BitField board;
    int top[kGridCols];
  };
  Fired after[kMostPlacements];
};

// Lists every placement of side p's next twin (Placements 101..) and of the one after it
// (201..), and how many each has.
void ListFollowingTwins(Engine& e, int p, int& count2, int& count3) {
  int32_t a, b;
  players::TwinColours(e, p, e.TwinIndex[p], a, b);
  EnumeratePlacements(e, 100, a, b);
  count2 = e.PlacementCount;
  players::TwinColours(e, p, e.TwinIndex[p] + 1, a, b);
  EnumeratePlacements(e, 200, a, b);
  count3 = e.PlacementCount;
}

// Reads the pairs of the next twin and the one after it, side p, on the settled board live
// (current: the colours of the twin being placed). Leaves pairs.valid false where the bit
// masks cannot read them.
void ReadLivePairs(Engine& e, int p, const Board& live, const TwinMove& current, LivePairs& pairs) {
  using players::Bits;
  pairs.valid = false;
  int count2, count3;
  ListFollowingTwins(e, p, count2, count3);
  if (count2 < 1 || count3 < 1 || !IsColour(e.Placements[101].Colour1) ||
      !IsColour(e.Placements[101].Colour2) || !IsColour(e.Placements[201].Colour1) ||
      !IsColour(e.Placements[201].Colour2) || !IsColour(current.Colour1) ||
      !IsColour(current.Colour2) || e.FieldHeight + 1 >= players::kBitRows ||
      !players::IsSettled(e, live) || !players::FitsBits(e, live)) {
    return;
  }
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  pairs.valid = true;
  pairs.colours[0] = current.Colour1;
  pairs.colours[1] = current.Colour2;
  players::BitField base, second, third;
  players::ToBits(e, live, base);
  players::BitTops(e, base, pairs.top);
  uint32_t landing[kGridCols] = {};  // rows one and two above each top, in the field
  for (int x = 1; x <= W; ++x) landing[x] = (3u << (pairs.top[x] + 1)) & ((2u << H) - 1);
  const int32_t thirdColour = e.Placements[201].Colour1;
  LandingGroups groups, resolved;
  int top2[kGridCols];
  for (int j = 0; j < count2; ++j) {
    const TwinMove& m2 = e.Placements[101 + j];
    const int nx2 = m2.Column + DX[m2.Rotation];
    int row1, row2;
    players::LandingRowsOnTops(pairs.top, m2, row1, row2);
    const players::Rider next[2] = {{m2.Column, row1, m2.Colour1}, {nx2, row2, m2.Colour2}};
    if (next[0].row > H || next[1].row > H) continue;
    const Bits n1 = players::CellBit(next[0].x, next[0].row);
    const Bits n2 = players::CellBit(next[1].x, next[1].row);
    second = base;
    const bool quietNext = players::AddQuietTwin(second, n1, m2.Colour1, n2, m2.Colour2, V);
    LivePairs::Fired& f = pairs.after[j];
    if (quietNext) {
      std::copy(std::begin(pairs.top), std::end(pairs.top), std::begin(top2));
      ++top2[m2.Column];
      ++top2[nx2];
    } else {
      pairs.fired |= 1u << j;
      f.board = second;
      f.watch = RiderWatch(pairs.colours[0], pairs.colours[1]);
      f.result = players::ResolveSeeds(e, f.board, n1 | n2, f.watch);
      players::BitTops(e, f.board, f.top);
      std::copy(std::begin(f.top), std::end(f.top), std::begin(top2));
      resolved.known = 0;
    }
    const uint32_t nextColumns = quietNext ? 1u << m2.Column | 1u << nx2 : ~0u;
    const Bits near[2] = {players::Spread(n1), players::Spread(n2)};
    for (int q = 0; q < count3; ++q) {
      const TwinMove& m3 = e.Placements[201 + q];
      const int x1 = m3.Column, x2 = m3.Column + DX[m3.Rotation];
      if (((1u << x1 | 1u << x2) & nextColumns) == 0) continue;
      int row1, row2;
      players::LandingRowsOnTops(top2, m3, row1, row2);
      if (row1 > H || row2 > H) continue;
      const uint64_t bit = uint64_t{1} << q;
      const players::Group g1 = quietNext
                                    ? groups.Joined(base, pairs.top, x1, row1, m3.Colour1,
                                                    m3.Colour1 != thirdColour, next, near)
                                    : resolved.At(x1, row1 - top2[x1], m3.Colour1 != thirdColour,
                                                  f.board, row1, m3.Colour1);
      const players::Group g2 = quietNext
                                    ? groups.Joined(base, pairs.top, x2, row2, m3.Colour2,
                                                    m3.Colour2 != thirdColour, next, near)
                                    : resolved.At(x2, row2 - top2[x2], m3.Colour2 != thirdColour,
                                                  f.board, row2, m3.Colour2);
      if (QuietTwin(g1, g2, m3.Colour1, m3.Colour2, x1 == x2 || row1 == row2, V)) {
        pairs.quiet[j] |= bit;
        const bool one = m3.Colour1 == m3.Colour2;
        const Bits seen1 = g1.around | (one ? g2.around : 0);
        const Bits seen2 = g2.around | (one ? seen1 : 0);
        for (int k = 0; k < 2; ++k) {
          const Bits cells = (m3.Colour1 == pairs.colours[k] ? seen1 : 0) |
                             (m3.Colour2 == pairs.colours[k] ? seen2 : 0);
          if (cells == 0) continue;
          for (int x = 1; x <= W; ++x) {
            const uint32_t near2 = players::Slice(cells, x) & landing[x];
            if ((near2 >> (pairs.top[x] + 1) & 1) != 0) pairs.touches[j][2 * (x - 1)][k] |= bit;
            if ((near2 >> (pairs.top[x] + 2) & 1) != 0) {
              pairs.touches[j][2 * (x - 1) + 1][k] |= bit;
            }
          }
        }
        continue;
      }
      if (pairs.loudCount == LivePairs::kLoudCapacity) continue;
      LivePairs::Loud& l = pairs.louds[pairs.loudCount];
      third = quietNext ? second : f.board;
      const Bits b1 = players::CellBit(x1, row1), b2 = players::CellBit(x2, row2);
      players::AddTwin(third, b1, m3.Colour1, b2, m3.Colour2);
      l.watch = RiderWatch(pairs.colours[0], pairs.colours[1]);
      l.result = players::ResolveSeeds(e, third, b1 | b2, l.watch);
      pairs.loud[j] |= bit;
      pairs.loudAt[j][q] = static_cast<uint8_t>(pairs.loudCount++);
    }
  }
}

// The most points two resolutions in turn can make together on the board f stands for, with
// the four beads of two twins of colours twins[0..3] added: every step vanishes at least V
// beads of one colour and scores its bonus and its rate for each bead beyond V.
int32_t MostPointsOfTwoTwins(const Engine& e, const players::BitField& f, const int32_t* twins) {
  const int V = e.VanishCount;
  int beads = 0, steps = 0;
  for (int32_t c = 1; c < kObstruct; ++c) {
    int n = players::BitCount(f.mask[c]);
    for (int k = 0; k < 4; ++k) n += twins[k] == c;
    beads += n;
    steps += n / V;
  }
  // bonus[k]: the bonuses of steps 1..k; rate[k]: the highest rate (at least 0) among them.
  constexpr int kMostSteps = players::kBitColumns * players::kBitRows + 4;  // V = 1
  int32_t bonus[kMostSteps + 1];
  int32_t rate[kMostSteps + 1];
  bonus[0] = 0;
  rate[0] = 0;
  for (int k = 1; k <= steps; ++k) {
    const int s = std::min(k, kChainTableSize);
    bonus[k] = bonus[k - 1] + e.ChainBonus[s] - e.ChainBonus[s - 1];
    rate[k] = std::max(rate[k - 1], e.ChainRate[s]);
  }
  int32_t most = 0;
  for (int k2 = 0; k2 <= steps; ++k2) {
    for (int k3 = 0; k2 + k3 <= steps; ++k3) {
      const int32_t points =
          bonus[k2] + bonus[k3] + rate[std::max(k2, k3)] * (beads - (k2 + k3) * V);
      most = std::max(most, points);
    }
  }
  return most;
}

// LookAhead, with the pairs read on the live board when there are any, and the candidate's
// beads (where it landed on the live board).
int32_t LookAheadOn(const ThinkContext& ctx, int32_t crowd, int32_t shapeScore, int32_t threshold,
                    const LivePairs* pairs, const players::Rider* candidate) {
  Engine& e = ctx.eng;
  const int p = ctx.think.LookAheadPlayer;

  // 1. The position after the candidate.
  Board after1 = e.WorkBoard;
  const int32_t c1 = after1.ResultChains;
  const int32_t p1 = after1.ResultObstruct;
  // Resolutions keep a settled board settled, so this look covers every board below.
  const bool settled = players::IsSettled(e, after1);

  // 2-3. Every placement of the next twin, and behind each every placement of the one
  // after. The second block holds the same placements for every first one, so it is
  // listed once.
  int count2, count3;
  ListFollowingTwins(e, p, count2, count3);

  // Sequences whose points exceed this are worth a hundred per point.
  const int32_t bigAttack = (130 - crowd) * threshold / 60;
  int32_t best = -100;
  auto consider = [&](int32_t c2, int32_t p2, int32_t c3, int32_t p3) {
    int32_t v;
    if (crowd > 70 && c1 + c2 + c3 > 0) {
      v = (p3 + 4 * p1 + 2 * p2) * 100 + 100;
    } else {
      if (c1 > 0) {
        v = 1;
      } else if (c2 + c3 > 0) {
        v = (p2 + p3) * 50;
      } else {
        v = shapeScore;
      }
      if (bigAttack < p1 + p2 + p3) v = (4 * p3 + p1 + 2 * p2) * 100;
    }
    if (v > best) best = v;
  };

  // On a settled board that fits the bit masks, both twins are placed and resolved there. The
  // row above the field needs bits of its own too: a bead lands there on a full column.
  const bool bits = settled && count2 > 0 && count3 > 0 && IsColour(e.Placements[101].Colour1) &&
                    IsColour(e.Placements[101].Colour2) && IsColour(e.Placements[201].Colour1) &&
                    IsColour(e.Placements[201].Colour2) && e.FieldHeight + 1 < players::kBitRows &&
                    players::FitsBits(e, after1);
  if (bits) {
    using players::BitField;
    using players::Bits;
    const int H = e.FieldHeight;
    const int V = e.VanishCount;
    players::NoBitWatch none;
    BitField first, second, third;
    players::ToBits(e, after1, first);
    int top1[kGridCols], top2[kGridCols];
    players::BitTops(e, first, top1);
    // Landing cells on a settled board: one above the column's top (the row above H when
    // it is full), the upper bead of a vertical twin one more.
    auto land = [&](const int* top, const TwinMove& m, Bits& b1, Bits& b2) {
      int r1, r2;
      players::LandingRowsOnTops(top, m, r1, r2);
      b1 = players::CellBit(m.Column, std::min(r1, H + 1));
      b2 = players::CellBit(m.Column + DX[m.Rotation], std::min(r2, H + 1));
    };
    // A candidate that vanished something, in a field not crowded, makes every sequence
    // worth 1 unless its points pass bigAttack. When even the most points the two twins
    // could make with every bead of the field cannot, the first sequence that can be played
    // gives the value.
    const int32_t twinColours[4] = {e.Placements[101].Colour1, e.Placements[101].Colour2,
                                    e.Placements[201].Colour1, e.Placements[201].Colour2};
    const bool anySequence = crowd <= 70 && c1 > 0 && V >= 1 &&
                             p1 + MostPointsOfTwoTwins(e, first, twinColours) <= bigAttack;
    // Every placement of the third twin resolved on the candidate's board once: behind a
    // quiet next twin in other columns it lands on the same cells, and the next twin's beads
    // mostly ride. A field of at most 8 columns has at most 30 placements, so each has a bit
    // in the sets below.
    players::PlacementsOnBoard& thirds = ctx.think.Records->Thirds;
    if (!anySequence) players::ReadPlacementsOn(e, first, &e.Placements[201], count3, thirds);
    const ThirdsOnBoard on(e, top1, thirds, anySequence ? 0 : count3);
    const int32_t thirdColour = e.Placements[201].Colour1;
    // The pairs read on the live board serve a candidate that vanished nothing in the field.
    const bool usePairs = pairs != nullptr && pairs->valid && c1 == 0 && candidate[0].row <= H &&
                          candidate[1].row <= H;
    uint32_t candidateColumns = 0;
    uint64_t away = 0;  // third twins in other columns than the candidate
    int cell[2] = {}, slot[2] = {};
    Bits candidateBit[2] = {};
    if (usePairs) {
      candidateColumns = 1u << candidate[0].x | 1u << candidate[1].x;
      away = ~(on.inColumn[candidate[0].x] | on.inColumn[candidate[1].x]);
      for (int k = 0; k < 2; ++k) {
        const int x = candidate[k].x;
        cell[k] = 2 * (x - 1) + candidate[k].row - pairs->top[x] - 1;
        slot[k] = candidate[k].colour == pairs->colours[0] ? 0 : 1;
        candidateBit[k] = players::CellBit(x, candidate[k].row);
      }
    }
    LandingGroups before, after;
    const int tableTop = std::min(H + 1, players::kBitRows - 1);
    for (int j = 101; j <= 100 + count2; ++j) {
      const TwinMove& m2 = e.Placements[j];
      if (top1[m2.Column] == H && top1[m2.Column + DX[m2.Rotation]] == H) continue;  // blocked
      Bits b1, b2;
      land(top1, m2, b1, b2);
      const Bits n1 = b1, n2 = b2;
      const int jj = j - 101;
      // The live reading serves this next twin when it lies away from the candidate; one that
      // vanished something there leaves the same board with the candidate's beads on top,
      // unless they change a step.
      const bool pairsHere = usePairs && ((1u << m2.Column | 1u << (m2.Column + DX[m2.Rotation])) &
                                          candidateColumns) == 0;
      bool firedHere = false;
      if (pairsHere && (pairs->fired >> jj & 1) != 0) {
        const RiderWatch& w = pairs->after[jj].watch;
        firedHere = (w.fell & candidateColumns) == 0 && (w.seen[slot[0]] & candidateBit[0]) == 0 &&
                    (w.seen[slot[1]] & candidateBit[1]) == 0;
      }
      players::BitResult r2;
      if (firedHere) {
        const LivePairs::Fired& f = pairs->after[jj];
        second = f.board;
        std::copy(std::begin(f.top), std::end(f.top), std::begin(top2));
        for (int k = 0; k < 2; ++k) {
          second.mask[candidate[k].colour] |= candidateBit[k];
          second.colours |= 1u << candidate[k].colour;
          ++top2[candidate[k].x];
        }
        r2 = f.result;
      } else {
        second = first;
        if (((b1 | b2) & first.field) == (b1 | b2)) {
          // Inside the field the twin lands on empty cells; most next twins vanish nothing,
          // which their two groups tell, and leave the board as written.
          if (!players::AddQuietTwin(second, b1, m2.Colour1, b2, m2.Colour2, V)) {
            r2 = players::ResolveSeeds(e, second, b1 | b2, none);
            players::BitTops(e, second, top2);
          } else {
            std::copy(std::begin(top1), std::end(top1), std::begin(top2));
            ++top2[m2.Column];
            ++top2[m2.Column + DX[m2.Rotation]];
          }
        } else {
          players::PlaceBead(second, b1, m2.Colour1);
          players::PlaceBead(second, b2, m2.Colour2);
          r2 = players::ResolveSeeds(e, second, b1 | b2, none);
          players::BitTops(e, second, top2);
        }
      }
      // The next twin's beads as riders, when it vanished nothing and both lie in the field.
      const int nx2 = m2.Column + DX[m2.Rotation];
      const bool riding = r2.chains == 0 && ((n1 | n2) & first.field) == (n1 | n2);
      int row1, row2;
      players::LandingRowsOnTops(top1, m2, row1, row2);
      const players::Rider riders[2] = {{m2.Column, row1, m2.Colour1}, {nx2, row2, m2.Colour2}};
      if (anySequence) {
        for (int m = 201; m <= 200 + count3; ++m) {
          const TwinMove& m3 = e.Placements[m];
          if (top2[m3.Column] < H || top2[m3.Column + DX[m3.Rotation]] < H) {
            consider(r2.chains, r2.points, 0, 0);
            return best;
          }
        }
        continue;
      }
      // The third twins left to test one by one.
      uint64_t rest = on.all;
      if (riding) {
        // Third twins in other columns land on the cells they landed on before. A quiet one
        // the next twin's beads do not touch stays quiet; one that vanished something gives
        // its kept result unless a bead changes a step.
        const uint64_t other = ~(on.inColumn[m2.Column] | on.inColumn[nx2]);
        const uint64_t touched = on.Touched(riders[0], top1) | on.Touched(riders[1], top1);
        const uint64_t quiet = on.quiet & other & ~touched;
        if (quiet != 0) consider(0, 0, 0, 0);
        for (uint64_t rides = on.loud & other; rides != 0; rides &= rides - 1) {
          const int q = std::countr_zero(rides);
          players::BitResult r3 = on.Kept(q, riders);
          if (r3.chains < 0) {
            r3 = players::RidingResult(e, thirds.records, q, riders, 2, nullptr, 0, first.field);
          }
          consider(0, 0, r3.chains, r3.points);
        }
        rest &= ~quiet & ~(on.loud & other);
      }
      if (pairsHere && (riding || firedHere)) {
        // The pairs of this next twin away from the candidate, read on the live board: a
        // quiet one the candidate's beads do not touch stays quiet, a loud one keeps its
        // result unless they change a step.
        const uint64_t mine = rest & away;
        const uint64_t quietPairs =
            pairs->quiet[jj] & mine &
            ~(pairs->touches[jj][cell[0]][slot[0]] | pairs->touches[jj][cell[1]][slot[1]]);
        if (quietPairs != 0) consider(r2.chains, r2.points, 0, 0);
        rest &= ~quietPairs;
        for (uint64_t louds = pairs->loud[jj] & mine; louds != 0; louds &= louds - 1) {
          const int q = std::countr_zero(louds);
          const LivePairs::Loud& l = pairs->louds[pairs->loudAt[jj][q]];
          if ((l.watch.fell & candidateColumns) != 0 ||
              (l.watch.seen[slot[0]] & candidateBit[0]) != 0 ||
              (l.watch.seen[slot[1]] & candidateBit[1]) != 0) {
            continue;
          }
          consider(r2.chains, r2.points, l.result.chains, l.result.points);
          rest &= ~(uint64_t{1} << q);
        }
      }
      // Quiet tests of the other third twins from single-bead groups: on the candidate's
      // board, with the next twin's beads joining them, when the next twin rides; on the
      // board after it otherwise.
      after.known = 0;
      const Bits near[2] = {players::Spread(n1), players::Spread(n2)};
      auto groupOn = [&](int x, int row, int32_t c) __attribute__((always_inline))->players::Group {
        if (!riding) return after.At(x, row - top2[x], c != thirdColour, second, row, c);
        return before.Joined(first, top1, x, row, c, c != thirdColour, riders, near);
      };
      for (; rest != 0; rest &= rest - 1) {
        const TwinMove& m3 = e.Placements[201 + std::countr_zero(rest)];
        const int x1 = m3.Column, x2 = m3.Column + DX[m3.Rotation];
        if (top2[x1] == H && top2[x2] == H) continue;
        int row1, row2;
        players::LandingRowsOnTops(top2, m3, row1, row2);
        if (row1 <= tableTop && row2 <= tableTop) {
          // Both beads land in the field: the twin is quiet when neither group reaches the
          // vanish count, the two groups counted as one when they are of one colour and meet.
          const players::Group g1 = groupOn(x1, row1, m3.Colour1);
          const players::Group g2 = groupOn(x2, row2, m3.Colour2);
          if (QuietTwin(g1, g2, m3.Colour1, m3.Colour2, x1 == x2 || row1 == row2, V)) {
            consider(r2.chains, r2.points, 0, 0);
            continue;
          }
        }
        land(top2, m3, b1, b2);
        // The last board is not needed: a placement that vanishes nothing is known to give
        // 0 steps and 0 points by its two groups alone. Inside the field the twin lands on
        // empty cells, so it is written into the masks and taken out again.
        const bool inField = ((b1 | b2) & second.field) == (b1 | b2);
        BitField& board = inField ? second : (third = second);
        const uint32_t colours = board.colours;
        if (inField) {
          players::AddTwin(board, b1, m3.Colour1, b2, m3.Colour2);
        } else {
          players::PlaceBead(board, b1, m3.Colour1);
          players::PlaceBead(board, b2, m3.Colour2);
        }
        const int32_t k1 = b1 == b2 ? m3.Colour2 : m3.Colour1;  // both on one cell: the second
        players::BitResult r3;
        if (players::CellReaches(b1, board.mask[k1], V) ||
            players::CellReaches(b2, board.mask[m3.Colour2], V)) {
          if (inField) third = board;
          r3 = players::ResolveSeeds(e, third, b1 | b2, none);
        }
        if (inField) {
          board.mask[m3.Colour1] &= ~(b1 | b2);
          board.mask[m3.Colour2] &= ~(b1 | b2);
          board.colours = colours;
        }
        consider(r2.chains, r2.points, r3.chains, r3.points);
      }
    }
    return best;
  }

  Board after2;
  for (int j = 101; j <= 100 + count2; ++j) {
    const TwinMove& m2 = e.Placements[j];
    if (IsBlocked(e, after1, m2)) continue;
    e.WorkBoard = after1;
    ResolveChains(e, m2, 2);
    after2 = e.WorkBoard;
    const int32_t c2 = after2.ResultChains;
    const int32_t p2 = after2.ResultObstruct;
    for (int m = 201; m <= 200 + count3; ++m) {
      const TwinMove& m3 = e.Placements[m];
      if (IsBlocked(e, after2, m3)) continue;
      // The last board is not needed: a placement that vanishes nothing is known to give
      // 0 steps and 0 points without resolving it.
      int32_t c3 = 0, p3 = 0;
      if (!players::ResolvesNothing(e, after2, m3)) {
        players::ResolveOnWorkBoard(e, after2, m3, 2, settled);
        c3 = e.WorkBoard.ResultChains;
        p3 = e.WorkBoard.ResultObstruct;
      }
      consider(c2, p2, c3, p3);
    }
  }
  return best;
}

}  // namespace

int32_t LookAhead(const ThinkContext& ctx, int32_t crowd, int32_t shapeScore, int32_t threshold) {
  return LookAheadOn(ctx, crowd, shapeScore, threshold, nullptr, nullptr);
}

TwinMove Thinking2p(const ThinkContext& ctx, int player, const TwinMove& current, int Depth) {
  Engine& e = ctx.eng;
  const Board& live = e.Boards[player];
  const int H = e.FieldHeight;
  ThinkState& t = ctx.think;
  t.LookAheadPlayer = player;
  t.ScoredCount = 0;

  // 1.
  EnumeratePlacements(e, 0, current.Colour1, current.Colour2);
  const int count = e.PlacementCount;
  if (count < 1) return current;  // no column to play in at all
  t.ScoredCount = count < 100 ? count : 100;
  for (int i = 1; i <= t.ScoredCount; ++i) t.CandidateScore[i] = kNotScored;
  int32_t best = -10000;
  int chosen = 0;

  // 2. Crowding: filled cells in percent plus the incoming points shown.
  e.WorkBoard = live;
  const int32_t crowd = players::FillPercent(e, CountFilled(ctx)) + live.PendingShown;
  const int32_t threshold = Depth * 3 / 2;

  // The next and third twins that share a column, read on the live board before the first
  // look-ahead.
  LivePairs pairs;
  bool pairsRead = false;

  // 3.
  for (int i = 1; i <= count; ++i) {
    const TwinMove& move = e.Placements[i];
    if (IsBlocked(e, live, move)) continue;
    ctx.ProcessEvents();
    e.WorkBoard = live;
    LandingRows(e, move);

    // 3.1 Low placements score higher.
    const int land[3] = {0, e.LandRow[1], e.LandRow[2]};
    int32_t s = players::ShapeNoise(ctx) + 2 * H - land[1] - land[2];

    // 3.2 Own colours around each bead and around the bottom of the run it rests on.
    const int xs[3] = {0, move.Column, move.Column + DX[move.Rotation]};
    const int32_t cs[3] = {0, move.Colour1, move.Colour2};
    for (int k = 1; k <= 2; ++k) {
      const int x = xs[k];
      const int y = land[k];
      const int32_t ck = cs[k];
      if (y == H + 1) {
        s -= 40;
        continue;
      }
      for (int d = 0; d < 4; ++d) s += 20 * (live.Cells[x + DX[d]][y + DY[d]] == ck);
      // What the bead rests on: the live cell below, or its own partner when the partner
      // lies below it.
      int32_t u = live.Cells[x][y - 1];
      if (k == 1 && move.Rotation == 2) u = move.Colour2;
      if (k == 2 && move.Rotation == 0) u = move.Colour1 == move.Colour2 ? -1 : move.Colour1;
      if (IsColour(u)) {
        int r = y - 2;
        while (r >= 0 && live.Cells[x][r] == u) --r;
        // r can reach the floor row; the row below it holds no bead.
        for (int d = 0; d < 4; ++d) s += 15 * (CellAt(live, x + DX[d], r + DY[d]) == ck);
        const int32_t under = CellAt(live, x, r - 1);
        if (IsColour(under) && under != ck) s -= 17;
      }
    }

    // 3.3-3.5
    ResolveChains(e, move, 2);
    if (!pairsRead) {
      ReadLivePairs(e, player, live, current, pairs);
      pairsRead = true;
    }
    const players::Rider beads[2] = {{xs[1], land[1], cs[1]}, {xs[2], land[2], cs[2]}};
    s = LookAheadOn(ctx, crowd, s, threshold, &pairs, beads);
    players::KeepBest(t, i, s, best, chosen);
  }

  // 4.
  return players::ChosenPlacement(e, chosen);
}

}  // namespace dalu
