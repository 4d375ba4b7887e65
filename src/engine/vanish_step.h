// The stepwise chain of a live match: every turn each chaining side advances by exactly one
// chain step, shown as an animation. VanishStep runs that step for both sides together on
// the live boards, with the same group search and scoring as the instant resolution.
#pragma once

#include "config/config.h"
#include "engine/engine.h"
#include "engine/field_canvas.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {

// One vanishing cell of a step: owner, cell and colour (kObstruct for an obstruct bead).
struct VanishCell {
  int8_t owner, x, y, colour;
};

// Every cell of both playing areas can vanish in one step, each at most once.
inline constexpr int kVanishCapacity = 2 * kMaxWidth * kMaxHeight;

// One chain step for both sides. Seeds the group searches with the FallList entries (the
// beads that fell this turn); for each side updates ChainCount, VanishTally, the opponent's
// PendingShown and LongChainReport; clears the vanished cells of the live boards; sets
// SequenceSplit when anything vanished; plays the chain sound of the longer chain and
// animates the vanish (six frames, the chain numbers, the erase). A step in which nothing
// vanishes waits 25 ms and draws nothing.
void VanishStep(Engine& e, FieldCanvas& cv, Host& host, SoundPlayer& sound, const Config& cfg);

}  // namespace dalu
