// A field as bit masks, one per kind of cell, for the deep reading of the strongest level: a
// group search is a few shifts and ands over all cells at once, and a fall moves the beads of
// a column together, where the cell-by-cell search of a settled board spends its time on
// unpredictable branches.
//
// Bit 16 (x - 1) + y of a mask stands for cell (x, y): columns 1..8, rows 0..15, one 16-bit
// slice per column. Row 0 (the floor) never holds a bead, so shifting a group up out of a
// column's slice, or down below row 1, or sideways past column 1 or 8, leaves no false member.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/engine.h"
#include "engine/types.h"

namespace dalu::players {

using Bits = unsigned __int128;

inline constexpr int kBitStride = 16;
inline constexpr int kBitColumns = 8;
inline constexpr int kBitRows = 16;  // rows 0..15

inline constexpr int kOtherCode = kObstruct + 1;

struct BitField {
  // [k]: the cells holding bead colour k (1..9); [kObstruct]: obstruct beads; [kOtherCode]:
  // any other positive code, which falls like a bead and never joins a group.
  Bits mask[kOtherCode + 1] = {};
  uint32_t colours = 0;  // bit k: mask[k] has a cell, for the colours 1..9
  Bits field = 0;        // every cell of rows 1..H in columns 1..W
};

// The 16-bit slice of column x (1..8), read and written in memory: a shift of a 128-bit value
// by a variable count costs several instructions and branches.
static_assert(std::endian::native == std::endian::little, "slices are read in memory order");
inline uint32_t Slice(const Bits& b, int x) {
  uint16_t v;
  std::memcpy(&v, reinterpret_cast<const unsigned char*>(&b) + 2 * (x - 1), sizeof v);
  return v;
}
inline void SetSlice(Bits& b, int x, uint32_t value) {
  const uint16_t v = static_cast<uint16_t>(value);
  std::memcpy(reinterpret_cast<unsigned char*>(&b) + 2 * (x - 1), &v, sizeof v);
}

// Built from its two halves: a 128-bit shift by a variable count costs branches.
inline Bits CellBit(int x, int y) {
  const unsigned i = static_cast<unsigned>(kBitStride * (x - 1) + y);
  const uint64_t bit = uint64_t{1} << (i & 63);
  return (Bits{i >= 64 ? bit : 0} << 64) | (i < 64 ? bit : 0);
}

// Counted in the register: a build for the baseline processor would call a library routine
// for std::popcount.
inline int BitCount64(uint64_t v) {
  v = v - ((v >> 1) & 0x5555555555555555ull);
  v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
  v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<int>((v * 0x0101010101010101ull) >> 56);
}

inline int BitCount(Bits b) {
  return BitCount64(static_cast<uint64_t>(b)) + BitCount64(static_cast<uint64_t>(b >> 64));
}

inline int LowestBit(Bits b) {
  const uint64_t lo = static_cast<uint64_t>(b);
  return lo != 0 ? std::countr_zero(lo) : 64 + std::countr_zero(static_cast<uint64_t>(b >> 64));
}

// Bit x for every column x (1..8) of which b has a cell.
inline uint32_t ColumnsOf(Bits b) {
#if defined(__SSE2__)
  // One 16-bit lane a column: the lanes that are not zero, packed to one bit each.
  const __m128i lanes = _mm_set_epi64x(static_cast<int64_t>(b >> 64), static_cast<int64_t>(b));
  const __m128i zero = _mm_cmpeq_epi16(lanes, _mm_setzero_si128());
  const uint32_t empty =
      static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(zero, _mm_setzero_si128())));
  return (~empty & 0xFFu) << 1;
#else
  uint32_t columns = 0;
  for (int x = 1; x <= kBitColumns; ++x) {
    if (Slice(b, x) != 0) columns |= 1u << x;
  }
  return columns;
#endif
}

// The cells and their four neighbours.
inline Bits Spread(Bits g) {
  return g | g << 1 | g >> 1 | g << kBitStride | g >> kBitStride;
}

// The group of the cells of mask m connected to seed, the seed included, and how many cells
// it has.
struct Group {
  Bits cells;
  int size;
  Bits around;  // the cells and their four neighbours
};

// OneCell: seed is a single cell, so a seed that touches none of m is a group of one,
// answered without counting.
template <bool OneCell = false>
inline Group FloodGroup(Bits seed, Bits m) {
#if defined(__SSE2__)
  // One column is one 16-bit lane: a step up or down shifts within the lanes (the floor row
  // and row 15 hold no member, so nothing is lost), a step sideways moves whole lanes.
  // Moved over in halves: through memory, two stores and a wide load stall.
  const Bits allowed = m | seed;
  __m128i g = _mm_set_epi64x(static_cast<int64_t>(seed >> 64), static_cast<int64_t>(seed));
  const __m128i within =
      _mm_set_epi64x(static_cast<int64_t>(allowed >> 64), static_cast<int64_t>(allowed));
  // Once the group is whole, its spread is the cells around it too.
  auto toBits = [](__m128i v) {
    const uint64_t lo = static_cast<uint64_t>(_mm_cvtsi128_si64(v));
    const uint64_t hi = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(v, v)));
    return Bits{hi} << 64 | lo;
  };
  __m128i around;
  for (bool first = true;; first = false) {
    const __m128i spread =
        _mm_or_si128(_mm_or_si128(_mm_or_si128(g, _mm_slli_epi16(g, 1)), _mm_srli_epi16(g, 1)),
                     _mm_or_si128(_mm_slli_si128(g, 2), _mm_srli_si128(g, 2)));
    const __m128i n = _mm_and_si128(spread, within);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(n, g)) == 0xFFFF) {
      if (OneCell && first) return {seed, 1, toBits(spread)};
      around = spread;
      break;
    }
    g = n;
  }
  // The cells counted in the register too: bits per byte, then the bytes summed.
  __m128i c = _mm_sub_epi8(g, _mm_and_si128(_mm_srli_epi64(g, 1), _mm_set1_epi8(0x55)));
  c = _mm_add_epi8(_mm_and_si128(c, _mm_set1_epi8(0x33)),
                   _mm_and_si128(_mm_srli_epi64(c, 2), _mm_set1_epi8(0x33)));
  c = _mm_and_si128(_mm_add_epi8(c, _mm_srli_epi64(c, 4)), _mm_set1_epi8(0x0F));
  c = _mm_sad_epu8(c, _mm_setzero_si128());
  const int size = _mm_cvtsi128_si32(c) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(c, c));
  return {toBits(g), size, toBits(around)};
#else
  Bits g = seed;
  for (;;) {
    const Bits spread = Spread(g);
    const Bits n = spread & (m | seed);
    if (n == g) return {g, BitCount(g), spread};
    g = n;
  }
#endif
}

// Whether the group of one cell in mask m has at least n cells.
inline bool CellReaches(Bits cell, Bits m, int n) {
  return FloodGroup<true>(cell, m).size >= n;
}

// Writes a twin's beads, b1 of colour c1 and b2 of colour c2, on empty cells of the board f
// stands for (a zero cell: that bead lies above the field and is not written).
inline void AddTwin(BitField& f, Bits b1, int32_t c1, Bits b2, int32_t c2) {
  f.mask[c1] |= b1;
  f.mask[c2] |= b2;
  f.colours |= (b1 != 0 ? 1u << c1 : 0) | (b2 != 0 ? 1u << c2 : 0);
}

// AddTwin on a settled board, telling whether neither bead's group reaches v cells: whether
// the twin vanishes nothing. Both are written before either group is measured, so a twin of
// one colour is measured together; a bead above the field counts as a group of one.
inline bool AddQuietTwin(BitField& f, Bits b1, int32_t c1, Bits b2, int32_t c2, int v) {
  AddTwin(f, b1, c1, b2, c2);
  auto below = [&](Bits b, int32_t c) { return b == 0 ? 1 < v : !CellReaches(b, f.mask[c], v); };
  return below(b1, c1) && below(b2, c2);
}

// Every cell of rows 1..h in columns 1..w.
Bits FieldCells(int w, int h);

// True when board b can be read as a BitField without changing what a group search or a
// resolution of the engine finds on it: at most 8 columns, and no bead or obstruct bead on
// the walls, the floor or above row 15, where the masks have no bits.
bool FitsBits(const Engine& e, const Board& b);

// The masks of board b (columns 1..W, rows 1..15).
void ToBits(const Engine& e, const Board& b, BitField& f);

// The highest occupied row 0..H of each column 1..W (top[x]) of the settled board f stands
// for.
void BitTops(const Engine& e, const BitField& f, int* top);

// The rows twin m's beads land on over columns whose highest occupied rows are top[x] (a
// settled board): one above the top, and one more for the upper bead of a vertical twin.
// Not limited to the field: a row above H means the bead stays above it.
inline void LandingRowsOnTops(const int* top, const TwinMove& m, int& r1, int& r2) {
  r1 = top[m.Column] + 1 + (m.Rotation == 2);
  r2 = top[m.Column + DX[m.Rotation]] + 1 + (m.Rotation == 0);
}

// Observers of ResolveSeeds. NoBitWatch observes nothing.
struct NoBitWatch {
  void Step(const BitField&, Bits, int32_t, int32_t) {}
  void Searched(const Group&, int32_t) {}
  void Vanished(Bits) {}
  void Fell(int) {}
};

// ResolveChains on the board f stands for, which must be settled, once the placed beads are
// in f on top of their columns (or above a full column): seeds are their cells. Returns
// ResultChains and ResultObstruct, and leaves f as the resolution leaves the board (a kept
// bead above row H, which stays marked there, is gone from every mask). watch.Step(f, seeds,
// chains, points) hears of the board, the seeds and the score so far at the start of every
// step, and once more when a fall leaves no seed; watch.Searched(g, k) of every group g of
// colour k searched, watch.Vanished(v) of the cells v a step vanishes, watch.Fell(x) of every
// column whose beads may fall.
//
// start: the steps and points already made, when a resolution is taken up again from the
// start of one of its steps (f and seeds as watch.Step heard them then).
struct BitResult {
  int32_t chains = 0;
  int32_t points = 0;
  int32_t Value() const { return chains * 10000 + points; }
};

template <class Watch>
BitResult ResolveSeeds(const Engine& e, BitField& f, Bits seeds, Watch& watch,
                       BitResult start = {}) {
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  const Bits field = f.field;
  const uint32_t rowsH = (uint32_t{1} << (H + 1)) - 2;  // rows 1..H of one slice
  int32_t chains = start.chains;
  int32_t points = start.points;
  const uint32_t fixedKinds = (f.mask[kObstruct] != 0 ? 1u << kObstruct : 0) |
                              (f.mask[kOtherCode] != 0 ? 1u << kOtherCode : 0);
  for (;;) {
    watch.Step(f, seeds, chains, points);
    // One chain step: every group that holds a seed and reaches V vanishes; the others stay,
    // and those of their members above row H stay marked for the rest of the resolution, so
    // they never join a group again.
    Bits vanish = 0;
    Bits kept = 0;
    int32_t n = 0;
    for (uint32_t ks = f.colours; ks != 0; ks &= ks - 1) {
      const int k = std::countr_zero(ks);
      Bits s = seeds & f.mask[k];
      if (s == 0) continue;
      // All seeds of this colour at once: when their groups together stay below V, so does
      // each of them, and they are only kept. Most steps after the last vanish end here.
      const Group all = FloodGroup(s, f.mask[k]);
      if (all.size < V) {
        watch.Searched(all, k);
        kept |= all.cells;
        continue;
      }
      if ((s & (s - 1)) == 0) {  // one seed: the group found is its own
        watch.Searched(all, k);
        vanish |= all.cells;
        n += all.size;
        continue;
      }
      while (s != 0) {
        const Group g = FloodGroup(s & (0 - s), f.mask[k]);
        watch.Searched(g, k);
        s &= ~g.cells;
        if (g.size >= V) {
          vanish |= g.cells;
          n += g.size;
        } else {
          kept |= g.cells;
        }
      }
    }
    // Kept cells above the field are out of play from now on, the last step's too: the
    // engine leaves them marked, never to join a group again.
    const Bits dead = vanish | (kept & ~field);
    if (dead != 0) {
      for (uint32_t ks = f.colours; ks != 0; ks &= ks - 1) f.mask[std::countr_zero(ks)] &= ~dead;
    }
    if (n == 0) break;
    watch.Vanished(vanish);
    const Bits freed = f.mask[kObstruct] != 0
                           ? f.mask[kObstruct] & (vanish << 1 | vanish >> 1 | vanish << kBitStride |
                                                  vanish >> kBitStride)
                           : 0;
    f.mask[kObstruct] &= ~freed;
    ++chains;
    points += ChainPoints(e, chains, n);

    // Gravity in the columns where cells were emptied; the beads that move seed the next
    // step. Beads above row H never fall.
    const Bits emptied = vanish | freed;
    seeds = 0;
    // The kinds of cells that fall: the colours present, obstruct beads and other codes
    // (those two only when the board has any: a resolution never adds them).
    const uint32_t kinds = f.colours | fixedKinds;
#if defined(__SSE2__)
    // Every column at once, one 16-bit lane each: each round moves every bead with an empty
    // field cell anywhere below it down one row, until none has; a column closes up in as
    // many rounds as it has holes. Only columns with emptied cells can have holes, as the
    // board was settled.
    for (uint32_t cs = ColumnsOf(emptied); cs != 0; cs &= cs - 1) watch.Fell(std::countr_zero(cs));
    {
      const __m128i rows = _mm_set1_epi16(static_cast<int16_t>(rowsH));
      __m128i m[kOtherCode + 1];
      __m128i occupied = _mm_setzero_si128();
      for (uint32_t ks = kinds; ks != 0; ks &= ks - 1) {
        const int k = std::countr_zero(ks);
        m[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&f.mask[k]));
        occupied = _mm_or_si128(occupied, m[k]);
      }
      occupied = _mm_and_si128(occupied, rows);
      __m128i moved = _mm_setzero_si128();
      for (;;) {
        __m128i below = _mm_andnot_si128(occupied, rows);
        below = _mm_or_si128(below, _mm_slli_epi16(below, 1));
        below = _mm_or_si128(below, _mm_slli_epi16(below, 2));
        below = _mm_or_si128(below, _mm_slli_epi16(below, 4));
        below = _mm_or_si128(below, _mm_slli_epi16(below, 8));
        const __m128i falling = _mm_and_si128(occupied, _mm_slli_epi16(below, 1));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(falling, _mm_setzero_si128())) == 0xFFFF) break;
        const __m128i landed = _mm_srli_epi16(falling, 1);
        for (uint32_t ks = kinds; ks != 0; ks &= ks - 1) {
          const int k = std::countr_zero(ks);
          m[k] = _mm_or_si128(_mm_andnot_si128(falling, m[k]),
                              _mm_srli_epi16(_mm_and_si128(m[k], falling), 1));
        }
        occupied = _mm_or_si128(_mm_andnot_si128(falling, occupied), landed);
        moved = _mm_or_si128(_mm_andnot_si128(falling, moved), landed);
      }
      for (uint32_t ks = kinds; ks != 0; ks &= ks - 1) {
        const int k = std::countr_zero(ks);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&f.mask[k]), m[k]);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(&seeds), moved);
    }
#else
    for (int col = 1; col <= e.FieldWidth; ++col) {
      const uint32_t gone = Slice(emptied, col);
      if (gone == 0) continue;
      watch.Fell(col);
      if ((gone & rowsH) == 0) continue;  // only cells above the field: nothing falls
      uint32_t slice[kOtherCode + 1];
      uint32_t occupied = 0;
      for (uint32_t ks = kinds; ks != 0; ks &= ks - 1) {
        const int k = std::countr_zero(ks);
        slice[k] = Slice(f.mask[k], col);
        occupied |= slice[k];
      }
      occupied &= rowsH;
      if (occupied == 0) continue;
      const int top = 31 - std::countl_zero(occupied);
      uint32_t holes = ~occupied & ((2u << top) - 1) & rowsH;
      if (holes == 0) continue;
      // Every bead above the lowest hole moves; they close up from that row on. Rows above H
      // keep their cells.
      const int lowest = std::countr_zero(holes);
      const int falling = BitCount64(occupied >> lowest);
      SetSlice(seeds, col, ((1u << falling) - 1) << lowest);
      // Close the runs of holes from the highest down: each moves everything above it down
      // by its length. A vanished group mostly leaves one run per column.
      while (holes != 0) {
        const int h = 31 - std::countl_zero(holes);
        const uint32_t filledBelow = ~holes & ((1u << h) - 1);
        const int bottom = filledBelow != 0 ? 32 - std::countl_zero(filledBelow) : 0;
        const uint32_t low = (1u << bottom) - 1;
        holes &= low;
        const int length = h + 1 - bottom;
        for (uint32_t ks = kinds; ks != 0; ks &= ks - 1) {
          const int k = std::countr_zero(ks);
          const uint32_t inField = slice[k] & rowsH;
          slice[k] =
              (slice[k] & ~rowsH) | (((inField & low) | ((inField >> length) & ~low)) & rowsH);
        }
      }
      for (uint32_t ks = kinds; ks != 0; ks &= ks - 1) {
        const int k = std::countr_zero(ks);
        SetSlice(f.mask[k], col, slice[k]);
      }
    }
#endif
    if (seeds == 0) {
      watch.Step(f, seeds, chains, points);
      break;
    }
  }
  return {chains, points};
}

// Writes bead colour c (1..9) into cell b, over whatever the cell held.
inline void PlaceBead(BitField& f, Bits b, int32_t c) {
  for (uint32_t ks = f.colours | 1u << kObstruct | 1u << kOtherCode; ks != 0; ks &= ks - 1)
    f.mask[std::countr_zero(ks)] &= ~b;
  f.mask[c] |= b;
  f.colours |= 1u << c;
}

// ResolveChains in its single-bead mode: bead colour c (1..9) at (x, y), one above the
// highest bead of column x, on the settled board f stands for (a copy).
template <class Watch>
int32_t ResolveBits(const Engine& e, BitField f, int x, int y, int32_t c, Watch& watch) {
  const Bits bead = CellBit(x, y);
  f.mask[c] |= bead;
  f.colours |= 1u << c;
  return ResolveSeeds(e, f, bead, watch).Value();
}

// ResolveChains of twin m on the settled board f stands for, its beads landing at rows r1
// and r2, both in 1..H. Most placements vanish nothing: they are known by their two groups
// alone, without a copy of the masks. f is left as it was.
inline BitResult TwinResultBits(const Engine& e, BitField& f, const TwinMove& m, int r1, int r2) {
  const int V = e.VanishCount;
  const Bits b1 = CellBit(m.Column, r1);
  const Bits b2 = CellBit(m.Column + DX[m.Rotation], r2);
  const uint32_t colours = f.colours;
  BitResult result;
  if (!AddQuietTwin(f, b1, m.Colour1, b2, m.Colour2, V)) {
    BitField g = f;
    NoBitWatch none;
    result = ResolveSeeds(e, g, b1 | b2, none);
  }
  f.mask[m.Colour1] &= ~(b1 | b2);
  f.mask[m.Colour2] &= ~(b1 | b2);
  f.colours = colours;
  return result;
}

}  // namespace dalu::players
