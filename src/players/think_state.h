// Scratch state of the computer players: boards and counts that live between the routines
// of one decision. Nothing here survives from one turn to the next in a way the match relies on.
#pragma once

#include <cstdint>

#include "engine/types.h"

namespace dalu {

struct ThinkState {
  Board GroupBoard = {};
  Board ReadBoard = {};
  int32_t NextTwinCount = 0;
  int32_t ThirdTwinCount = 0;
  int32_t PSCount[4] = {};
  // When 0..9, the random addition of the shape scores is this value instead of a draw
  // (tests and position analysis); -1 draws it.
  int32_t FixedNoise = -1;
};

}  // namespace dalu
