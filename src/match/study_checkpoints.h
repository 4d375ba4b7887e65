// Saved positions of a studied record, one every kCheckpointTurns turns, so that going to a
// turn replays at most kCheckpointTurns - 1 turns instead of the whole record before it.
//
// A position is saved when a rebuild's silent replay passes its turn, and used by a later
// rebuild while the record still reads the same up to that turn: each saved position keeps
// a fingerprint of everything its replay read (the record's rules, moves, twins, comments
// and player names, the configuration), and one that no longer matches the record is
// replayed again and saved anew. So a comment written at turn 500 costs the positions after
// it, and nothing before it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "match/match_control.h"

namespace dalu {

inline constexpr int32_t kCheckpointTurns = 64;

struct StudyCheckpoint {
  int32_t turn = 0;     // the position after this turn
  uint64_t inputs = 0;  // what the replay to it read (StudyInputs)
  Engine eng;           // the replaying game as it stood there
  MatchControl ctl;
  std::vector<std::string> memo;
};

struct StudyCheckpoints {
  // Slot k - 1 holds the position after turn k * kCheckpointTurns; null until saved.
  std::vector<std::unique_ptr<StudyCheckpoint>> saved;
};

}  // namespace dalu
