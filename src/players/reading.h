// The reading evaluation of the two strongest levels: from the fourth turn on, every
// candidate of the general player is judged by the chains the following twins could fire.
#pragma once

#include <cstdint>

#include "engine/types.h"
#include "players/think_context.h"

namespace dalu {

// Replaces a candidate's score by what it leads to. Expects ctx.eng.WorkBoard to hold the
// candidate resolved on the player's board, and Placements 101.. / 201.. to hold the
// placements of the next twin and the one after (ctx.think.NextTwinCount / ThirdTwinCount).
//  - A candidate that fires a chain itself: score - 1111, nothing read.
//  - depth 1: the best value (chains x 10000 + points) of every next-twin placement and,
//    behind each next-twin placement that vanishes nothing, of every placement after it.
//  - depth 2: behind two quiet twins, the best chain that one bead of colour 1..4 dropped on
//    a column sets off.
// Apart from the first case the result is never below score. Lets the host run pending
// events once, first, in every case.
// May overwrite ctx.eng.WorkBoard and ctx.think.ReadBoard (the reading on bit masks leaves
// them alone).
int32_t ReadAhead(const ThinkContext& ctx, int32_t score, int depth);

// Writes the twin's beads on ctx.eng.WorkBoard at their landing rows (a bead landing above row
// H is not written), without resolving, and tells whether neither bead's group reaches the
// vanish count. Sets ctx.eng.LandRow. The twin stays written.
bool IsQuietDrop(const ThinkContext& ctx, const TwinMove& move);

// Size of the group of the cell (x, y) of ctx.eng.WorkBoard; 1 when y is above row H.
int32_t GroupSizeAt(const ThinkContext& ctx, int x, int y);

// 1 + the sizes of the distinct groups of colour c on ctx.think.ReadBoard that touch (x, y),
// whatever (x, y) itself holds.
int32_t GroupSizeWith(const ThinkContext& ctx, int x, int y, int32_t colour);

}  // namespace dalu
