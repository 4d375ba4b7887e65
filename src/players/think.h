// The computer players: the dispatch the match loop calls once per turn for each computer
// side, and the two routines behind the nine levels.
//
// The players read the engine and work on its scratch only (the work board, the placement
// blocks, the fall list, the landing rows and ctx.think). They never change the live boards,
// the twin sequences or the queues; ThinkMove returns the chosen move and the match loop
// stores it.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/types.h"
#include "players/think_context.h"

namespace dalu {

// ---- Dispatch ----------------------------------------------------------------------------

// Looks up ctx.eng.PlayerLevel[player]; for 0 (the user), any value outside 1..9 or a side
// other than 1..2 returns nothing. Otherwise runs the level's routine with its parameters
// and returns the chosen move. current is the twin handed to the side this turn.
std::optional<TwinMove> ThinkMove(const ThinkContext& ctx, int player, const TwinMove& current);

// ---- General gutcha player (levels 1-6, 8, 9) --------------------------------------------

// Scores every placement of the current twin: a shape score (low placements, beads touching
// or resting above their own colour, plus a random 0..9), an attack score for chains inside
// the wanted range of steps and points, and, for a placement that fires nothing, the best
// wanted attack of the next twin. Mode >= 2 adds the look under a bead, >= 5 the emergency
// search first, >= 6 drops attack scoring from turn 4 on, 7 and 8 read ahead with depth 1
// and 2 from turn 4 on. The first of equal scores wins. When every placement is blocked,
// returns the first placement of the current twin.
TwinMove GeneralGutya(const ThinkContext& ctx, int player, const TwinMove& current, int CrowdLimit,
                      int MaxSurplus, int MinPoints, int MaxChains, int MinChains, int Mode);

// ---- Three-twin look-ahead player (level 7) ----------------------------------------------

// Scores the shape every placement of the current twin leaves, then looks over every
// placement of the next two twins for the chains the three together fire (LookAhead with
// threshold Depth x 3 / 2). Lets the host run pending events once per playable candidate.
// The first of equal scores wins. When every placement is blocked, returns the first
// placement of the current twin.
TwinMove Thinking2p(const ThinkContext& ctx, int player, const TwinMove& current, int Depth);

// Value of the position on ctx.eng.WorkBoard right after the candidate was resolved there,
// looking over every placement of the next two twins of side ctx.think.LookAheadPlayer:
//  - crowd > 70 and any chain among the three: (p3 + 4 p1 + 2 p2) x 100 + 100;
//  - otherwise 1 when the candidate fires, (p2 + p3) x 50 when a later twin does, else
//    shapeScore; but (4 p3 + p1 + 2 p2) x 100 when p1 + p2 + p3 exceeds
//    (130 - crowd) x threshold / 60.
// The best continuation counts; -100 when none is playable. Overwrites the placement blocks
// 101 and 201, and may overwrite ctx.eng.WorkBoard.
int32_t LookAhead(const ThinkContext& ctx, int32_t crowd, int32_t shapeScore, int32_t threshold);

// Cells of ctx.eng.WorkBoard in columns 1..W, rows 1..H holding a bead or an obstruct bead.
int32_t CountFilled(const ThinkContext& ctx);

}  // namespace dalu
