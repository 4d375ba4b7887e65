// Steering the twin of a try: the user places a marked move's twin again on the position
// before that turn, with the keys of live play, while the game itself waits untouched (its
// replay holds at that turn). The twin moves and turns as in live play, kicked off the
// walls the same way, and a drop onto two full columns is refused.
#pragma once

#include "engine/engine.h"
#include "engine/types.h"

namespace dalu {

enum class TryStep {
  kIgnored,  // the key means nothing to a try
  kMoved,    // moved or turned: draw the twin again
  kRefused,  // a drop onto a placement that is blocked
  kDropped,  // the move is confirmed
};

// Applies an action code of TranslateKey (steering.h) to side's twin on the position.
TryStep SteerTryTwin(const Engine& position, int side, TwinMove& twin, char action);

}  // namespace dalu
