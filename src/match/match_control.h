// The flags through which window handlers, running nested inside the match loop's waits,
// talk to the loop.
#pragma once

#include <cstdint>

#include "engine/types.h"

namespace dalu {

struct MatchControl {
  bool MatchRunning = false;  // the loop goes on while set
  bool ReplayMode = false;    // the loop plays a loaded record's moves
  bool WaitForStep = false;   // in replay, wait before the turn while set
  bool FastReplay = false;    // in replay, do not wait between turns
  TwinMove ShownTwin[3] = {};  // the twin handed to each side this turn, at its start
  TwinMove TurnMove[3] = {};   // the moves played this turn
  int32_t InputSide = 3;       // side whose keyboard move is awaited; 3 = none
  TwinMove InputTwin = {};     // the twin being steered from the keyboard
  char PendingKey = 0;         // action code of the last key; 0 = consumed
  uint32_t LastKeyTime = 0;    // tick of the last accepted key, ms
  int32_t EditSlot = 0;        // which bead the next colour key sets
  bool EditMode = false;       // "EditMode" carries its check mark
  bool AutoTwin = false;       // "AutoTwin" carries its check mark
};

}  // namespace dalu
