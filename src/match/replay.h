// Loading a battle record and replaying it. The loader reads the file into the game; a
// current-format record is then replayed by the match loop turn by turn, waiting for the
// replay buttons; an old-format record is converted and not replayed.
#pragma once

#include <string>

#include "records/record_loader.h"

namespace dalu {

struct Game;

// Loads the record at path and, when it is a current-format record, replays it; returns
// when the replay stops (or at once for a converted or failed file). Refused while a match
// loop is active (returns kFailed without touching anything).
LoadOutcome LoadFile(Game& g, const std::string& path);

// The start of a replay of the record now in the game: the background is rebuilt when the
// field size differs from the one before loading, the fields are emptied, the replay
// buttons enabled and the loop runs.
void StartReplay(Game& g, bool fieldSizeChanged);

}  // namespace dalu
