// The emergency move search of the stronger general-player levels: when the own field is
// nearly full or obstruct beads are on their way, look up to three twins ahead for chains
// that offset the danger in time, and play the first placement of the best sequence.
#pragma once

#include "engine/types.h"
#include "players/think_context.h"

namespace dalu {

// Lists every placement of the twin being placed (Placements 101..), the next twin (201..)
// and the one after (301..), with their counts in ctx.think.PSCount[1..3]. Must run right
// before Emergency; nothing may overwrite those entries in between.
void GetAllPSsSet(const ThinkContext& ctx, int player);

// Sets result to a full copy of the chosen placement, or only result.Column to 0 when there
// is no emergency move (its other fields then stay as they were).
//  1. Fill = (sum of the column heights) x 100 / (W x H). Threat 70 and deadline 6 when
//     Fill > 80; queued obstruct points add to Threat and the first consignment's turn sets
//     the deadline. Threat <= 4: no move, nothing simulated.
//  2. Every sequence of one, two and three placements is resolved (no pruning) and listed in
//     ctx.think.Candidates; a candidate too late for the deadline keeps no attack.
//  3. The first candidate of the best attack - 5 x time is chosen; it is played when it
//     reaches the threat, or when the deadline is 3 turns or less away.
void Emergency(const ThinkContext& ctx, int player, TwinMove& result);

}  // namespace dalu
