// Resolutions kept step by step, so that the same resolution on a board with a few more beads
// on top of some columns is known without running it again.
//
// A bead written on top of its column (a "rider") changes nothing in a resolution as long as
// no group search compares its cell with its colour, and, once a fall has brought it down,
// its group stays below the vanish count: every step then finds the same groups, and the
// rider only rides down on top of its column. The deep readings ask the same trigger or the
// same twin on many boards that differ by a twin written on top, and most of the time its
// beads just ride.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "players/bit_field.h"

namespace dalu::players {

// One step of a kept resolution: the board and seeds at its start, the score so far, and the
// cells its group searches compared with each colour.
struct StepRecord {
  Bits seenAny;      // cells compared with any colour
  uint32_t lowered;  // bit x: column x changed since the step before
  int32_t chains;
  int32_t points;
  Bits occupied;         // every cell of the masks
  Bits seen[kObstruct];  // [k]: cells compared with colour k (1..9)
  Bits seeds;
  Bits vanish;                // the cells the step vanished (none in the last step)
  Bits mask[kOtherCode + 1];  // BitField's masks and colours; its field is the caller's
  uint32_t colours;
};

// The steps of several resolutions, each under an entry 0..kEntries-1. An entry whose steps
// did not fit has none (count 0): its resolution must be run again whenever it is asked.
struct StepRecords {
  static constexpr int kCapacity = 160;
  static constexpr int kEntries = 64;
  StepRecord step[kCapacity];  // left uninitialised: only the used ones are read
  int used = 0;
  int first[kEntries] = {};
  int count[kEntries] = {};
  // A step's seen[0..seenEnd-1] are kept: a reader that never asks higher colours (those of
  // no bead or twin in its reading) spares clearing them.
  int seenEnd = kObstruct;
  void Clear() {
    used = 0;
    for (int& c : count) c = 0;
  }
};

// A watch for ResolveSeeds that keeps the steps of one resolution under an entry; with no
// records it keeps nothing.
struct StepRecorder {
  StepRecords* records = nullptr;
  StepRecord* current = nullptr;  // the step being searched
  bool full = false;              // a step found no room

  void Begin(int k) {
    current = nullptr;
    full = false;
    if (records != nullptr) records->first[k] = records->used;
  }
  void End(int k) {
    if (records != nullptr) records->count[k] = full ? 0 : records->used - records->first[k];
    current = nullptr;
  }
  void Step(const BitField& f, Bits seeds, int32_t chains, int32_t points);
  // A search before the first step (the test whether a trigger has a group at all) is
  // repeated by that step, so it is not kept.
  void Searched(const Group& g, int32_t k) {
    if (current != nullptr) {
      current->seen[k] |= g.around;
      current->seenAny |= g.around;
    }
  }
  void Vanished(Bits v) {
    if (current != nullptr) current->vanish = v;
  }
  void Fell(int) {}
};

// A bead on top of its column: column x, row 1..H, colour 1..9.
struct Rider {
  int x;
  int row;
  int32_t colour;
};

// The result of the resolution kept under entry k, on its board with riders (at most two)
// written on top of their columns, none of them in a column a seed of the first step lies in.
// still beads (at most two) lie on that board too, in columns no step lets fall and on cells
// no search compared with their colours, so they are only added to the masks. field: the
// board's field cells. Entry k must have steps.
//
// When the riders only ride, this is the kept result; otherwise the resolution is taken up
// again from the start of the first step they change.
BitResult RidingResult(const Engine& e, const StepRecords& records, int k, const Rider* riders,
                       int riderCount, const Rider* still, int stillCount, Bits field);

// Every placement of one twin written on a settled board and resolved once, its steps kept
// under its index, for the boards that have another twin's beads on top of other columns.
struct PlacementsOnBoard {
  StepRecords records;
  uint64_t kept = 0;   // bit j: placement j was read (quiet, or its steps are kept)
  uint64_t quiet = 0;  // bit j: it vanishes nothing (no steps kept)
  uint32_t columns[StepRecords::kEntries];  // bit x: a bead of placement j lies in column x
  // A quiet placement: the cells its two group tests compared with its first and its second
  // colour. A rider of that colour on none of them leaves it quiet.
  Bits seen[StepRecords::kEntries][2];
};

// Reads placements[0..count-1] (at most kEntries of them) on the board f stands for, each
// landing on top of its columns. One with a bead above row H is not kept.
void ReadPlacementsOn(const Engine& e, const BitField& f, const TwinMove* placements, int count,
                      PlacementsOnBoard& out);

// Whether beads b1 of colour k1 and b2 of colour k2 (0: none) written on top of other columns
// could change quiet placement j of out, which is m.
inline bool TouchesQuiet(const PlacementsOnBoard& out, int j, const TwinMove& m, Bits b1,
                         int32_t k1, Bits b2, int32_t k2) {
  const Bits first = (k1 == m.Colour1 ? b1 : 0) | (k2 == m.Colour1 ? b2 : 0);
  const Bits second = (k1 == m.Colour2 ? b1 : 0) | (k2 == m.Colour2 ? b2 : 0);
  return ((out.seen[j][0] & first) | (out.seen[j][1] & second)) != 0;
}

}  // namespace dalu::players
