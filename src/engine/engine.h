// The engine's state: the rule constants and everything a match moves turn by turn
// (the two live fields, the scratch board, the beads in flight, the twin sequences, the
// counters and the obstruct queues). One Engine lives inside each game object; nothing of it
// is global, so any number of games can run side by side.
#pragma once

#include <cstdint>

#include "engine/types.h"
#include "util/random.h"

namespace dalu {

class FieldCanvas;

// ---- Capacities --------------------------------------------------------------------------

inline constexpr int kChainTableSize = 30;  // chain steps with their own scoring entries
// Beads in flight in one turn. A gravity pass moves at most every bead of a field
// (9 x 14 = 126), two of them plus both twins fit easily; an obstruct fall drops at most
// W x (H+1) = 135 beads on its own list.
inline constexpr int kFallCapacity = 512;
inline constexpr int kPlacementCapacity = 500;  // four blocks of 100 (1, 101, 201, 301) + spare
inline constexpr int kSequenceBeads = 2048;     // 32 rows of 64 beads per side, as records store
inline constexpr int kMaxDealtBeads = 2000;     // 1000 twins are dealt at most
inline constexpr int kQueueCapacity = 10;       // obstruct consignments per side

struct Engine {
  // ---- Constants (ConstSet gives the defaults; dialog and records may change them) ----
  int32_t FieldWidth = 7;                        // W
  int32_t FieldHeight = 11;                      // H
  int32_t ColourCount = 4;                       // C
  int32_t VanishCount = 4;                       // V
  int32_t ObstructRate[3] = {0, 100, 100};       // percent, per receiving side 1..2
  int32_t ChainBonus[kChainTableSize + 1] = {};  // cumulative bonus, [0] = 0
  int32_t ChainRate[kChainTableSize + 1] = {};   // surplus multiplier, [0] unused

  // ---- Match state ----
  Board Boards[3] = {};  // live fields 1..2
  Board WorkBoard = {};  // scratch for instant resolution and computer trials
  FallingBead FallList[kFallCapacity + 1] = {};  // entries 1..FallCount
  int32_t FallCount = 0;
  int32_t LandRow[3] = {};  // [1] pivot, [2] second bead, from LandingRows
  TwinMove Placements[kPlacementCapacity + 1] = {};
  int32_t PlacementCount = 0;
  int32_t TwinSequence[3][kSequenceBeads + 1] = {};  // bead i of side p; twin n = 2n-1, 2n
  int32_t TwinIndex[3] = {0, 1, 1};                  // next twin handed to side p
  bool SequenceSplit = false;                        // set by the first vanish of a match
  int32_t FixedTwins[3] = {};  // twins 1..FixedTwins[p] were dealt from a record: never generated
  int32_t ColourImage[11] = {};                      // picture group of colours 1..C; [10] = 6
  int32_t VanishTally[3][kChainTableSize + 2] = {};  // beads per side per chain step
  int32_t LongChainReport[3] = {};                   // length of a >4-step chain just ended
  int32_t ObstructQueueLen[3] = {};
  int32_t ObstructQueueAmount[3][kQueueCapacity + 1] = {};
  int32_t ObstructQueueTurn[3][kQueueCapacity + 1] = {};
  int32_t TurnNumber = 0;
  int32_t PlayerLevel[3] = {};  // 0 the user, 1..9 a computer level

  Rng rng;

  Engine() { ConstSet(); }

  // Sets every constant to its default: 7 x 11, four colours, groups of four, rates 100 %,
  // ChainBonus[i] = 3i(i-1), ChainRate[i] = i.
  void ConstSet();
  // Restores only the chain tables to their defaults (the Edit menu's "Default").
  void DefaultChainTables();
};

// Resets both live boards for a new match, resets ColourImage[10] and both TwinIndex entries,
// empties the obstruct queues and draws the empty fields.
void InitBoards(Engine& e, FieldCanvas& canvas);
// Whether both boards were built by InitBoards for the current FieldWidth and FieldHeight:
// their walls, borders and ceiling stand where this size puts them. After the size was
// changed they no longer do, and play on them would run outside the field.
bool BoardsFitFieldSize(const Engine& e);

// Obstruct points of chain step c with n vanished colour beads. Steps beyond the tables
// score with the entries of the last step, so nothing is read outside them.
int32_t ChainPoints(const Engine& e, int32_t c, int32_t n);

// A side is buried when rows H and H-1 are full.
bool IsBuried(const Engine& e, int side);

}  // namespace dalu
