#include "players/reading.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <iterator>

#include "engine/chain.h"
#include "engine/twins.h"
#include "players/bit_field.h"
#include "players/riding.h"
#include "players/search_util.h"

namespace dalu {

namespace {

using players::CountGroup;

// Group size at (x, y) of board b as the quiet test needs it: exact below limit.
int SizeAt(const Engine& e, Board& b, int x, int y, int limit) {
  if (y > e.FieldHeight) return 1;
  return CountGroup(b, x, y, b.Cells[x][y], limit, nullptr);
}

// The quiet-drop test on any board, with the landing rows already known.
bool QuietDropAt(const Engine& e, Board& b, const TwinMove& move, int r1, int r2) {
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  const int x1 = move.Column;
  const int x2 = move.Column + DX[move.Rotation];
  if (r1 <= H) b.Cells[x1][r1] = move.Colour1;
  if (r2 <= H) b.Cells[x2][r2] = move.Colour2;
  // Both beads are written before either group is measured, so a twin of one colour is
  // measured together; the second is only measured when the first is below V.
  return SizeAt(e, b, x1, r1, V) < V && SizeAt(e, b, x2, r2, V) < V;
}

bool QuietDropOn(const Engine& e, Board& b, const TwinMove& move) {
  int r1, r2;
  players::LandingRowsOn(e, b, move, r1, r2);
  return QuietDropAt(e, b, move, r1, r2);
}

// Value of resolving move on a copy of b; a placement that vanishes nothing is worth 0 and is
// recognised without copying the board.
int32_t PlacementValue(Engine& e, Board& b, const TwinMove& move, bool settled) {
  if (players::ResolvesNothing(e, b, move)) return 0;
  players::ResolveOnWorkBoard(e, b, move, 2, settled);
  return players::ResolutionValue(e);
}

// Best value of the single-bead triggers on ctx.think.ReadBoard; INT32_MIN when there is none.
int32_t BestTrigger(const ThinkContext& ctx, bool settled) {
  Engine& e = ctx.eng;
  Board& rb = ctx.think.ReadBoard;
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  int32_t best = INT32_MIN;
  for (int x = 1; x <= W; ++x) {
    // One above the highest non-empty cell of rows 0..H; the floor row is never empty.
    int top = H;
    while (top > 0 && rb.Cells[x][top] == kEmpty) --top;
    const int y = top + 1;
    if (y > H) continue;
    const int32_t up = rb.Cells[x][y + 1];
    const int32_t left = rb.Cells[x - 1][y];
    const int32_t down = rb.Cells[x][y - 1];
    const int32_t right = rb.Cells[x + 1][y];
    // Always these four colours, whatever the number of colours in play.
    for (int32_t c = 1; c <= 4; ++c) {
      // With no neighbour of colour c the drop cell is a group of one.
      const bool touches = up == c || left == c || down == c || right == c;
      const int size = touches ? CountGroup(rb, x, y, c, V, nullptr) : 1;
      if (size < V) continue;
      players::ResolveOnWorkBoard(e, rb, TwinMove{c, 0, x, y, 0}, 1, settled);
      best = std::max(best, players::ResolutionValue(e));
    }
  }
  return best;
}

// The value of the trigger "one bead of colour c dropped at (x, y)" on board b, or INT32_MIN
// when the bead completes no group of V: what BestTrigger does for one column and colour.
// b is unchanged; the resolution runs on the work board. b must be settled.
template <class Watch>
int32_t TriggerOn(Engine& e, Board& b, int x, int y, int32_t c, Watch& watch) {
  watch.Compared(x, y + 1, c);
  watch.Compared(x - 1, y, c);
  watch.Compared(x, y - 1, c);
  watch.Compared(x + 1, y, c);
  const bool touches = b.Cells[x][y + 1] == c || b.Cells[x - 1][y] == c || b.Cells[x][y - 1] == c ||
                       b.Cells[x + 1][y] == c;
  const int V = e.VanishCount;
  const int size = touches ? players::CountGroupWatched(b, x, y, c, V, nullptr, watch) : 1;
  if (size < V) return INT32_MIN;
  e.WorkBoard = b;
  players::ResolveSettledWatched(e, e.WorkBoard, TwinMove{c, 0, x, y, 0}, 1, watch);
  return players::ResolutionValue(e);
}

// Every trigger of one board after the next twin, and which of them a third twin could
// change. Trigger (x, c) has index 4 (x - 1) + c - 1.
// Levels: how many cells above each column's top are watched (two for the cells a twin's
// beads land on, four on a board from which the tables of boards with one more twin are
// derived).
template <int Levels>
struct TriggerTableOf {
  int top[kGridCols];  // highest occupied row 0..H of columns 1..W; kFar elsewhere
  int32_t value[4 * kMaxWidth];
  uint64_t any;                              // triggers with a value
  uint64_t fresh;                            // triggers read on this board (not kept)
  int32_t best;                              // the highest value (DeriveTable only)
  uint64_t compared[kGridCols][Levels][10];  // see SlotWatch
  uint64_t fell[kGridCols];                  // see SlotWatch; also every trigger of column x
};
using TriggerTable = TriggerTableOf<2>;

constexpr int kFar = 1000;

void FillTriggers(Engine& e, Board& rb, TriggerTable& t) {
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  std::fill(std::begin(t.top), std::end(t.top), kFar);
  std::memset(t.compared, 0, sizeof t.compared);
  std::memset(t.fell, 0, sizeof t.fell);
  t.any = 0;
  for (int x = 1; x <= W; ++x) {
    int top = H;
    while (top > 0 && rb.Cells[x][top] == kEmpty) --top;
    t.top[x] = top;
  }
  players::SlotWatch watch{t.top, 0, t.compared, t.fell};
  for (int x = 1; x <= W; ++x) {
    const int y = t.top[x] + 1;
    if (y > H) continue;
    // A bead on this column moves the drop cell itself.
    t.fell[x] |= uint64_t{0xF} << (4 * (x - 1));
    for (int32_t c = 1; c <= 4; ++c) {
      const int k = 4 * (x - 1) + c - 1;
      watch.bit = uint64_t{1} << k;
      t.value[k] = TriggerOn(e, rb, x, y, c, watch);
      if (t.value[k] != INT32_MIN) t.any |= watch.bit;
    }
  }
}

// Best trigger value on rb = the board of t with the third twin's beads written at (x1, r1)
// and (x2, r2) (a row above H: not written); INT32_MIN when there is none. Only the
// triggers the beads could change are read again.
int32_t BestTriggerAfter(Engine& e, Board& rb, const TriggerTable& t, const TwinMove& third, int r1,
                         int r2) {
  const int H = e.FieldHeight;
  const int x1 = third.Column;
  const int x2 = third.Column + DX[third.Rotation];
  uint64_t changed = t.fell[x1] | t.fell[x2];
  int top1 = t.top[x1], top2 = t.top[x2];
  if (r1 <= H) {
    changed |= t.compared[x1][r1 - t.top[x1] - 1][third.Colour1];
    top1 = std::max(top1, r1);
  }
  if (r2 <= H) {
    changed |= t.compared[x2][r2 - t.top[x2] - 1][third.Colour2];
    top2 = std::max(top2, r2);
  }
  if (x1 == x2) top1 = top2 = std::max(top1, top2);
  int32_t best = INT32_MIN;
  for (uint64_t rest = t.any & ~changed; rest != 0; rest &= rest - 1) {
    best = std::max(best, t.value[std::countr_zero(rest)]);
  }
  players::NoWatch none;
  for (uint64_t redo = changed; redo != 0; redo &= redo - 1) {
    const int k = std::countr_zero(redo);
    const int x = k / 4 + 1;
    const int32_t c = k % 4 + 1;
    const int y = (x == x1 ? top1 : x == x2 ? top2 : t.top[x]) + 1;
    if (y > H) continue;
    best = std::max(best, TriggerOn(e, rb, x, y, c, none));
  }
  return best;
}

// ---- The same reading on bit masks ----

using players::BitField;
using players::Bits;

// Like SlotWatch, for the groups the mask resolution searches. With records, it also keeps
// every step of the trigger being read.
template <int Levels>
struct BitSlotWatch {
  TriggerTableOf<Levels>& t;
  Bits slots;  // the watched cells above each column's top, up to row H
  uint64_t bit;
  players::StepRecorder recorder = {};
  void Step(const BitField& f, Bits seeds, int32_t chains, int32_t points) {
    recorder.Step(f, seeds, chains, points);
  }
  void Searched(const players::Group& g, int32_t k) {
    recorder.Searched(g, k);
    const Bits hits = g.around & slots;
    if (hits == 0) return;
    for (int half = 0; half < 2; ++half) {
      for (uint64_t h = static_cast<uint64_t>(hits >> (64 * half)); h != 0; h &= h - 1) {
        const int b = 64 * half + std::countr_zero(h);
        const int x = b / players::kBitStride + 1;
        t.compared[x][b % players::kBitStride - t.top[x] - 1][k] |= bit;
      }
    }
  }
  void Vanished(Bits v) { recorder.Vanished(v); }
  void Fell(int x) { t.fell[x] |= bit; }
};

// TriggerOn on the board f stands for.
template <class Watch>
int32_t TriggerBits(const Engine& e, const BitField& f, int x, int y, int32_t c, Watch& watch) {
  const players::Group g = players::FloodGroup<true>(players::CellBit(x, y), f.mask[c]);
  watch.Searched(g, c);
  if (g.size < e.VanishCount) return INT32_MIN;
  return players::ResolveBits(e, f, x, y, c, watch);
}

// FillTriggers on the board f stands for; with records, keeps the steps of every trigger.
template <int Levels>
void FillTriggersBits(const Engine& e, const BitField& f, TriggerTableOf<Levels>& t,
                      players::StepRecords* records) {
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  const uint32_t rowsH = (uint32_t{1} << (H + 1)) - 2;
  std::fill(std::begin(t.top), std::end(t.top), kFar);
  std::memset(t.compared, 0, sizeof t.compared);
  std::memset(t.fell, 0, sizeof t.fell);
  t.any = 0;
  t.fresh = ~uint64_t{0};
  if (records != nullptr) records->Clear();
  Bits occupied = f.mask[kObstruct] | f.mask[players::kOtherCode];
  for (uint32_t ks = f.colours; ks != 0; ks &= ks - 1) occupied |= f.mask[std::countr_zero(ks)];
  Bits slots = 0;
  for (int x = 1; x <= W; ++x) {
    const uint32_t column = players::Slice(occupied, x) & rowsH;
    t.top[x] = column != 0 ? 31 - std::countl_zero(column) : 0;
    const uint32_t above = (((uint32_t{1} << Levels) - 1) << (t.top[x] + 1)) & rowsH;
    players::SetSlice(slots, x, above);
  }
  BitSlotWatch<Levels> watch{t, 0, 0, {records}};
  for (int x = 1; x <= W; ++x) {
    const int y = t.top[x] + 1;
    if (y > H) continue;
    // A bead on this column's own cells above its top moves the drop cell: every trigger of
    // the column is read again then (fell below), so its own cells need no watching.
    watch.slots = slots;
    players::SetSlice(watch.slots, x, 0);
    t.fell[x] |= uint64_t{0xF} << (4 * (x - 1));
    for (int32_t c = 1; c <= 4; ++c) {
      const int k = 4 * (x - 1) + c - 1;
      watch.bit = uint64_t{1} << k;
      watch.recorder.Begin(k);
      t.value[k] = TriggerBits(e, f, x, y, c, watch);
      watch.recorder.End(k);
      if (t.value[k] != INT32_MIN) t.any |= watch.bit;
    }
  }
}

// Where a twin's beads were written on a board: row above H means not written.
struct TwinCells {
  int x[2];
  int row[2];
  int32_t colour[2];
};

// The triggers of table t that the beads of twin w, written on t's board, could change.
uint64_t ChangedBy(const TriggerTable& t, const TwinCells& w, int H) {
  uint64_t changed = t.fell[w.x[0]] | t.fell[w.x[1]];
  for (int k = 0; k < 2; ++k) {
    if (w.row[k] <= H) changed |= t.compared[w.x[k]][w.row[k] - t.top[w.x[k]] - 1][w.colour[k]];
  }
  return changed;
}

// The table of the board f stands for, which is the board of base with twin w written on
// it: a trigger that w's beads could not change reads on f exactly as on base, so it keeps
// base's value and watched cells (in w's columns the cells above the top are the ones base
// watched one or two rows higher); only the others are read again (t.fresh), with their
// steps kept in records when it is given.
//
// colourEnd: one more than the highest colour any twin or group of the reading can have;
// the watched cells of higher colours are left as they were, as nothing reads them.
void DeriveTable(const Engine& e, const BitField& f, const TriggerTableOf<4>& base,
                 const TwinCells& w, TriggerTable& t, players::StepRecords* records,
                 int colourEnd) {
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  uint64_t changed = base.fell[w.x[0]] | base.fell[w.x[1]];
  int raised[kGridCols] = {};  // beads of w written in each column
  for (int k = 0; k < 2; ++k) {
    if (w.row[k] > H) continue;
    changed |= base.compared[w.x[k]][w.row[k] - base.top[w.x[k]] - 1][w.colour[k]];
    ++raised[w.x[k]];
  }
  std::fill(std::begin(t.top), std::end(t.top), kFar);
  std::memset(t.fell, 0, sizeof t.fell);
  const uint64_t keep = ~changed;
  // Every watched cell of columns 1..W is written, all colours below colourEnd in a row
  // (the watch only ever notes cells of those columns); a colour never compared is 0 in base
  // too.
  for (int x = 1; x <= W; ++x) {
    t.top[x] = base.top[x] + raised[x];
    for (int level = 0; level < 2; ++level) {
      const uint64_t* from = base.compared[x][level + raised[x]];
      uint64_t* to = t.compared[x][level];
      for (int k = 0; k < colourEnd; ++k) to[k] = from[k] & keep;
    }
    t.fell[x] = base.fell[x] & keep;
  }
  t.any = base.any & keep;
  t.fresh = changed;
  if (records != nullptr) records->Clear();
  for (uint64_t rest = t.any; rest != 0; rest &= rest - 1) {
    const int k = std::countr_zero(rest);
    t.value[k] = base.value[k];
  }
  // The triggers w could change, read on f as FillTriggersBits reads them.
  Bits slots = 0;
  for (int x = 1; x <= W; ++x) {
    const uint32_t rowsH = (uint32_t{1} << (H + 1)) - 2;
    players::SetSlice(slots, x, (uint32_t{3} << (t.top[x] + 1)) & rowsH);
  }
  BitSlotWatch<2> watch{t, 0, 0, {records}};
  for (uint64_t redo = changed; redo != 0; redo &= redo - 1) {
    const int k = std::countr_zero(redo);
    const int x = k / 4 + 1;
    const int32_t c = k % 4 + 1;
    const int y = t.top[x] + 1;
    if (x > W || y > H) continue;
    watch.slots = slots;
    players::SetSlice(watch.slots, x, 0);
    t.fell[x] |= uint64_t{0xF} << (4 * (x - 1));
    watch.bit = uint64_t{1} << k;
    watch.recorder.Begin(k);
    t.value[k] = TriggerBits(e, f, x, y, c, watch);
    watch.recorder.End(k);
    if (t.value[k] != INT32_MIN) t.any |= watch.bit;
  }
  t.best = INT32_MIN;
  for (uint64_t all = t.any; all != 0; all &= all - 1) {
    t.best = std::max(t.best, t.value[std::countr_zero(all)]);
  }
}

// The quiet test of the third twin and, when it is quiet, BestTriggerAfter, both on the
// board f stands for (the board of t) with the twin's beads added; f is left as it was.
// INT32_MIN when the twin is not quiet or leaves no trigger.
//
// t is the table of the board after the next twin. When the third twin also has a table of
// its own board without the next twin (third, not null: the two twins share no column, so
// the third lands on the same cells either way), a trigger the third twin changes but the
// next twin does not, there, keeps that table's value: only triggers both twins could change
// are read again.
//
// A trigger read again that has steps kept (in records, read on the board of t, or in
// baseRecords, read on the board without the next twin) is taken through RidingResult;
// still: the next twin's beads inside the field, which lie still on baseRecords' boards.
// quiet: the quiet test is known to pass. floor: a value the caller already has; kept
// values no higher are not looked at (the result is then below the true one but never
// above floor, where the caller's maximum is the same).
int32_t ThirdTwinBits(const Engine& e, BitField& f, const TriggerTable& t, const TwinMove& third,
                      const TriggerTable* thirdTable, const players::StepRecords* thirdRecords,
                      const TwinCells& next, const players::Rider* still, int stillCount,
                      const players::StepRecords& records,
                      const players::StepRecords& baseRecords, bool quiet, int32_t floor) {
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  const int x1 = third.Column;
  const int x2 = third.Column + DX[third.Rotation];
  int r1, r2;
  players::LandingRowsOnTops(t.top, third, r1, r2);
  r1 = std::min(r1, H + 1);
  r2 = std::min(r2, H + 1);
  const int32_t c1 = third.Colour1;
  const int32_t c2 = third.Colour2;
  const Bits b1 = r1 <= H ? players::CellBit(x1, r1) : 0;
  const Bits b2 = r2 <= H ? players::CellBit(x2, r2) : 0;
  const uint32_t colours = f.colours;
  // The beads go into the masks only for the searches on them: most pairs need none.
  bool written = false;
  auto write = [&] {
    if (written) return;
    players::AddTwin(f, b1, c1, b2, c2);
    written = true;
  };
  int32_t best = INT32_MIN;
  if (!quiet) {
    written = true;
    quiet = players::AddQuietTwin(f, b1, c1, b2, c2, V);
  }
  if (quiet) {
    uint64_t changed = t.fell[x1] | t.fell[x2];
    int top1 = t.top[x1], top2 = t.top[x2];
    if (b1 != 0) {
      changed |= t.compared[x1][r1 - t.top[x1] - 1][c1];
      top1 = std::max(top1, r1);
    }
    if (b2 != 0) {
      changed |= t.compared[x2][r2 - t.top[x2] - 1][c2];
      top2 = std::max(top2, r2);
    }
    if (x1 == x2) top1 = top2 = std::max(top1, top2);
    if (t.best > floor) {
      for (uint64_t rest = t.any & ~changed; rest != 0; rest &= rest - 1) {
        best = std::max(best, t.value[std::countr_zero(rest)]);
      }
    }
    uint64_t redo = changed;
    if (thirdTable != nullptr) {
      const uint64_t byNext = ChangedBy(*thirdTable, next, H);
      if (thirdTable->best > floor) {
        for (uint64_t keep = changed & ~byNext & thirdTable->any; keep != 0; keep &= keep - 1) {
          best = std::max(best, thirdTable->value[std::countr_zero(keep)]);
        }
      }
      redo = changed & byNext;
    }
    players::NoBitWatch none;
    players::Rider riders[2];
    int riderCount = 0;
    if (b1 != 0) riders[riderCount++] = {x1, r1, c1};
    if (b2 != 0) riders[riderCount++] = {x2, r2, c2};
    for (; redo != 0; redo &= redo - 1) {
      const int k = std::countr_zero(redo);
      const int x = k / 4 + 1;
      const int32_t c = k % 4 + 1;
      const int y = (x == x1 ? top1 : x == x2 ? top2 : t.top[x]) + 1;
      if (y > H) continue;
      if (x != x1 && x != x2 && (t.any >> k & 1) != 0) {
        const bool fresh = (t.fresh >> k & 1) != 0;
        const players::StepRecords& r = fresh ? records : baseRecords;
        if (r.count[k] > 0) {
          best = std::max(best, players::RidingResult(e, r, k, riders, riderCount, still,
                                                      fresh ? 0 : stillCount, f.field)
                                    .Value());
          continue;
        }
      } else if ((x == x1 || x == x2) && thirdTable != nullptr && (thirdTable->any >> k & 1) != 0 &&
                 thirdRecords->count[k] > 0) {
        // On top of the third twin, kept on its own board: the next twin's beads, in other
        // columns, ride there.
        best = std::max(
            best, players::RidingResult(e, *thirdRecords, k, still, stillCount, nullptr, 0, f.field)
                      .Value());
        continue;
      }
      write();
      best = std::max(best, TriggerBits(e, f, x, y, c, none));
    }
  }
  if (written) {
    f.mask[c1] &= ~(b1 | b2);
    f.mask[c2] &= ~(b1 | b2);
    f.colours = colours;
  }
  return best;
}

}  // namespace

int32_t ReadAhead(const ThinkContext& ctx, int32_t score, int depth) {
  Engine& e = ctx.eng;
  ThinkState& t = ctx.think;

  // 1. The reading is long: let the window handle what is pending first.
  ctx.ProcessEvents();

  // 2. A candidate that fires a chain itself is marked down and not read.
  if (e.WorkBoard.ResultChains > 0) return score - 1111;

  // 3-4. Read the next twin, and behind each quiet next-twin placement the twin after it.
  Board base = e.WorkBoard;  // the quick tests write on it and undo their writes
  // Every board read below is base with twins written at their landing rows, so one look
  // tells whether the quick resolution applies to all of them.
  const bool settled = players::IsSettled(e, base);
  Board afterNext;
  TriggerTable table;
  int32_t best = score;
  const int nextEnd = 100 + std::clamp(t.NextTwinCount, 0, 100);
  const int thirdEnd = 200 + std::clamp(t.ThirdTwinCount, 0, 100);
  // The trigger table keeps one bit per column and colour, and the watch notes colours 1..9.
  const bool twinColours = e.FieldWidth <= kMaxWidth && thirdEnd > 200 &&
                           IsColour(e.Placements[201].Colour1) &&
                           IsColour(e.Placements[201].Colour2);
  // On a settled board that fits the masks, the twins after the next one are read on them
  // instead of the cells.
  const bool bits = settled && twinColours && nextEnd > 100 &&
                    IsColour(e.Placements[101].Colour1) && IsColour(e.Placements[101].Colour2) &&
                    players::FitsBits(e, base);
  const int H = e.FieldHeight;
  BitField baseBits, nextBits;
  if (bits) players::ToBits(e, base, baseBits);
  // Depth 2: the triggers of base with each quiet third twin alone, read once.
  constexpr int kThirdTables = ReadingRecords::kThirdTables;
  TriggerTable thirdTables[kThirdTables];
  TwinCells thirdCells[kThirdTables];
  bool thirdRead[kThirdTables] = {};
  // The triggers of base itself, from which the tables of base with one twin more are
  // derived.
  TriggerTableOf<4> baseTable;
  // The steps of the triggers of base and of base with the next twin, which the riding
  // test of a third twin follows.
  players::StepRecords& baseRecords = t.Records->Base;
  players::StepRecords& nextRecords = t.Records->Next;
  // The colours a table of this reading can have watched cells of: the base board's, the
  // triggers' and the twins'.
  int colourEnd = 0;
  if (bits && depth == 2) {
    uint32_t inPlay = baseBits.colours | 0x1Eu;
    for (int i = 101; i <= nextEnd; ++i) {
      inPlay |= 1u << e.Placements[i].Colour1 | 1u << e.Placements[i].Colour2;
    }
    for (int j = 201; j <= thirdEnd; ++j) {
      inPlay |= 1u << e.Placements[j].Colour1 | 1u << e.Placements[j].Colour2;
    }
    colourEnd = std::min(32 - std::countl_zero(inPlay),
                         static_cast<int>(std::size(baseTable.compared[0][0])));
    baseRecords.seenEnd = nextRecords.seenEnd = colourEnd;
    for (int k = 0; k < kThirdTables; ++k) t.Records->ThirdTables[k].seenEnd = colourEnd;
    FillTriggersBits(e, baseBits, baseTable, &baseRecords);
  }
  if (bits && depth == 2 && thirdEnd - 200 <= kThirdTables) {
    int top[kGridCols];
    players::BitTops(e, baseBits, top);
    for (int j = 201; j <= thirdEnd; ++j) {
      const TwinMove& third = e.Placements[j];
      const int x2 = third.Column + DX[third.Rotation];
      if (top[third.Column] == H && top[x2] == H) continue;  // blocked
      int r1, r2;
      players::LandingRowsOnTops(top, third, r1, r2);
      TwinCells& w = thirdCells[j - 201];
      w = {{third.Column, x2},
           {std::min(r1, H + 1), std::min(r2, H + 1)},
           {third.Colour1, third.Colour2}};
      nextBits = baseBits;
      // A third twin that is not quiet on base is not quiet after any next twin either.
      if (!players::AddQuietTwin(nextBits, w.row[0] <= H ? players::CellBit(w.x[0], w.row[0]) : 0,
                                 w.colour[0],
                                 w.row[1] <= H ? players::CellBit(w.x[1], w.row[1]) : 0,
                                 w.colour[1], e.VanishCount)) {
        continue;
      }
      DeriveTable(e, nextBits, baseTable, w, thirdTables[j - 201], &t.Records->ThirdTables[j - 201],
                  colourEnd);
      thirdRead[j - 201] = true;
    }
  }
  // Every third twin resolved on base once, its steps kept. Behind a next twin in other
  // columns it lands on the same cells, and the next twin's beads mostly ride (depth 1) or
  // leave it quiet (depth 2).
  players::PlacementsOnBoard& thirds = t.Records->Thirds;
  if (bits) {
    players::ReadPlacementsOn(e, baseBits, &e.Placements[201], thirdEnd - 200, thirds);
  }
  for (int i = 101; i <= nextEnd; ++i) {
    const TwinMove& next = e.Placements[i];
    if (IsBlocked(e, base, next)) continue;
    if (bits) {
      // The next twin's beads added to the masks, and the quiet test there.
      int r1, r2;
      players::LandingRowsOn(e, base, next, r1, r2);
      if (depth == 1) {
        best = std::max(best, r1 <= H && r2 <= H
                                  ? players::TwinResultBits(e, baseBits, next, r1, r2).Value()
                                  : PlacementValue(e, base, next, settled));
      }
      const Bits b1 = r1 <= H ? players::CellBit(next.Column, r1) : 0;
      const Bits b2 = r2 <= H ? players::CellBit(next.Column + DX[next.Rotation], r2) : 0;
      nextBits = baseBits;
      if (!players::AddQuietTwin(nextBits, b1, next.Colour1, b2, next.Colour2, e.VanishCount)) {
        continue;
      }
      const TwinCells nextCells = {
          {next.Column, next.Column + DX[next.Rotation]}, {r1, r2}, {next.Colour1, next.Colour2}};
      if (depth == 2) {
        DeriveTable(e, nextBits, baseTable, nextCells, table, &nextRecords, colourEnd);
        const uint32_t nextColumns = 1u << nextCells.x[0] | 1u << nextCells.x[1];
        // The next twin's beads, which ride as still beads on the base board's steps.
        players::Rider still[2];
        int stillCount = 0;
        for (int q = 0; q < 2; ++q) {
          if (nextCells.row[q] <= H) {
            still[stillCount++] = {nextCells.x[q], nextCells.row[q], nextCells.colour[q]};
          }
        }
        for (int j = 201; j <= thirdEnd; ++j) {
          const TwinMove& third = e.Placements[j];
          const int x2 = third.Column + DX[third.Rotation];
          if (table.top[third.Column] == H && table.top[x2] == H) continue;  // blocked
          const int k = j - 201;
          const bool apart =
              k < kThirdTables && thirdRead[k] && thirdCells[k].x[0] != nextCells.x[0] &&
              thirdCells[k].x[0] != nextCells.x[1] && thirdCells[k].x[1] != nextCells.x[0] &&
              thirdCells[k].x[1] != nextCells.x[1];
          // A third twin in other columns lands on the cells it takes on base: not quiet
          // there, it is not quiet here either; quiet there, it stays quiet unless a next
          // bead lies on a cell its group tests compared with that bead's colour.
          bool quiet = false;
          if (k < players::StepRecords::kEntries && (thirds.kept >> k & 1) != 0 &&
              (thirds.columns[k] & nextColumns) == 0) {
            if ((thirds.quiet >> k & 1) == 0) continue;
            quiet = !players::TouchesQuiet(thirds, k, third, b1, next.Colour1, b2, next.Colour2);
          }
          best = std::max(
              best, ThirdTwinBits(e, nextBits, table, third, apart ? &thirdTables[k] : nullptr,
                                  apart ? &t.Records->ThirdTables[k] : nullptr, nextCells,
                                  still, stillCount, nextRecords, baseRecords, quiet, best));
        }
      } else {
        bool afterNextWritten = false;  // afterNext, for the rare twin that lands above row H
        int top[kGridCols];
        players::BitTops(e, nextBits, top);
        players::Rider riders[2];
        int riderCount = 0;
        if (b1 != 0) riders[riderCount++] = {next.Column, r1, next.Colour1};
        if (b2 != 0) riders[riderCount++] = {nextCells.x[1], r2, next.Colour2};
        const uint32_t nextColumns = 1u << nextCells.x[0] | 1u << nextCells.x[1];
        for (int j = 201; j <= thirdEnd; ++j) {
          const TwinMove& third = e.Placements[j];
          const int x1 = third.Column;
          const int x2 = third.Column + DX[third.Rotation];
          if (top[x1] == H && top[x2] == H) continue;  // blocked
          const int q = j - 201;
          if (q < players::StepRecords::kEntries && (thirds.kept >> q & 1) != 0 &&
              (thirds.columns[q] & nextColumns) == 0) {
            if ((thirds.quiet >> q & 1) != 0) {
              if (!players::TouchesQuiet(thirds, q, third, b1, next.Colour1, b2, next.Colour2)) {
                best = std::max(best, 0);
                continue;
              }
            } else {
              best = std::max(best, players::RidingResult(e, thirds.records, q, riders, riderCount,
                                                          nullptr, 0, baseBits.field)
                                        .Value());
              continue;
            }
          }
          int t1, t2;
          players::LandingRowsOnTops(top, third, t1, t2);
          if (t1 <= H && t2 <= H) {
            best = std::max(best, players::TwinResultBits(e, nextBits, third, t1, t2).Value());
            continue;
          }
          if (!afterNextWritten) {
            afterNext = base;
            QuietDropAt(e, afterNext, next, r1, r2);
            afterNextWritten = true;
          }
          best = std::max(best, PlacementValue(e, afterNext, third, settled));
        }
      }
      continue;
    }
    if (depth == 1) best = std::max(best, PlacementValue(e, base, next, settled));
    afterNext = base;
    if (!QuietDropOn(e, afterNext, next)) continue;
    // Depth 2 reads the boards afterNext + a third twin on the read board: the twin is
    // written there and taken out again after its reading, which spares a copy per twin.
    // On a settled board the triggers of afterNext are read once, and for each third twin
    // only those its beads could change are read again.
    const bool cached = depth == 2 && settled && twinColours;
    if (depth == 2) t.ReadBoard = afterNext;
    if (cached) FillTriggers(e, t.ReadBoard, table);
    for (int j = 201; j <= thirdEnd; ++j) {
      const TwinMove& third = e.Placements[j];
      if (IsBlocked(e, afterNext, third)) continue;
      if (depth == 1) best = std::max(best, PlacementValue(e, afterNext, third, settled));
      if (depth == 2) {
        Board& rb = t.ReadBoard;
        int r1, r2;
        players::LandingRowsOn(e, rb, third, r1, r2);
        const int x1 = third.Column;
        const int x2 = third.Column + DX[third.Rotation];
        const int32_t old1 = rb.Cells[x1][r1];
        const int32_t old2 = rb.Cells[x2][r2];
        if (QuietDropAt(e, rb, third, r1, r2)) {
          best = std::max(best, cached ? BestTriggerAfter(e, rb, table, third, r1, r2)
                                       : BestTrigger(ctx, settled));
        }
        rb.Cells[x2][r2] = old2;  // reverse order: right also when both share a cell
        rb.Cells[x1][r1] = old1;
      }
    }
  }
  return best;
}

bool IsQuietDrop(const ThinkContext& ctx, const TwinMove& move) {
  Engine& e = ctx.eng;
  LandingRows(e, move);
  return QuietDropAt(e, e.WorkBoard, move, e.LandRow[1], e.LandRow[2]);
}

int32_t GroupSizeAt(const ThinkContext& ctx, int x, int y) {
  return SizeAt(ctx.eng, ctx.eng.WorkBoard, x, y, kGroupCapacity);
}

int32_t GroupSizeWith(const ThinkContext& ctx, int x, int y, int32_t colour) {
  return players::CountGroup(ctx.think.ReadBoard, x, y, colour, kGroupCapacity, nullptr);
}

}  // namespace dalu
