// Where twins come from and where they go: the weighted twin generator, landing rows,
// blocked placements and the list of every placement of a twin.
#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "engine/types.h"

namespace dalu {

// Fills beads 2n-1 and 2n of side p's sequence. Before the first vanish of a match side 2
// copies side 1's twin. Beads past the last dealt bead (2000) are never written, nor the
// twins 1..FixedTwins[p] that a match took from a record.
void GenerateTwin(Engine& e, int p, int n);

// Landing rows of the pivot (LandRow[1]) and the second bead (LandRow[2]) of move on
// e.WorkBoard; H+1 when the column is full.
void LandingRows(Engine& e, const TwinMove& move);

// True when both columns of the move are occupied at row H of board b.
bool IsBlocked(const Engine& e, const Board& b, const TwinMove& move);

// Writes every placement of a twin of colours (c1, c2) to Placements[offset+1 ..] and their
// number to PlacementCount: 4W-2 for two colours, 2W-1 for one.
void EnumeratePlacements(Engine& e, int offset, int32_t c1, int32_t c2);

}  // namespace dalu
