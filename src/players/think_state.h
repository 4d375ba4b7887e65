// Scratch state of the computer players: boards and counts that live between the routines
// of one decision. Nothing here survives from one turn to the next in a way the match relies on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/types.h"
#include "players/riding.h"

namespace dalu {

// One candidate sequence of the emergency search: up to three placements, the twin being
// placed first.
struct EmergencyCandidate {
  int32_t Attack;  // obstruct points of its placements together (0 once it is too late)
  int32_t Time;    // placements, plus one for each earlier placement that produced points
  int32_t First;   // Placements entry (101 upward) of its first placement
};

// CandidateScore of a placement that was not scored (blocked, or never reached).
inline constexpr int32_t kNotScored = INT32_MIN;

// The widest field (9 columns) gives at most 34 + 34^2 + 34^3 = 40,494 candidates.
inline constexpr int kEmergencyCapacity = 50000;

// The kept steps of the deep readings: the triggers of the candidate's board and of that
// board with the next twin, and the third twins on the candidate's board.
struct ReadingRecords {
  players::StepRecords Base;
  players::StepRecords Next;
  players::PlacementsOnBoard Thirds;
  // The triggers of the candidate's board with each third twin (the widest field has 34
  // placements). Left uninitialised but for their counts: only the steps used are touched.
  static constexpr int kThirdTables = 34;
  std::unique_ptr<players::StepRecords[]> ThirdTables =
      std::make_unique_for_overwrite<players::StepRecords[]>(kThirdTables);
};

struct ThinkState {
  // The candidate list is reserved here, once per game, so a search never allocates.
  ThinkState() : Candidates(kEmergencyCapacity), Records(std::make_unique<ReadingRecords>()) {}

  Board GroupBoard = {};       // the candidate's beads written on the work board, for group queries
  Board ReadBoard = {};        // position after the next two twins during deep reading
  int32_t NextTwinCount = 0;   // placements of the next twin, Placements 101..
  int32_t ThirdTwinCount = 0;  // placements of the twin after it, Placements 201..
  int32_t PSCount[4] = {};     // [1..3]: placements listed for the emergency search
  // When 0..9, the random addition of the shape scores is this value instead of a draw
  // (tests and position analysis); -1 draws it.
  int32_t FixedNoise = -1;
  int32_t LookAheadPlayer = 1;  // side the three-twin look-ahead is thinking for

  // ---- Last decision (read by tests and analysis) ----
  // [1..ScoredCount]: the final score of each placement of the current twin (Placements
  // entry 1 upward), kNotScored for a blocked one. ScoredCount is 0 after an emergency move.
  int32_t CandidateScore[101] = {};
  int32_t ScoredCount = 0;

  // ---- Last emergency search (read by tests and analysis) ----
  std::vector<EmergencyCandidate> Candidates;  // entries 0..CandidateCount-1, in list order
  int32_t CandidateCount = 0;
  int32_t EmergencyThreat = 0;
  int32_t EmergencyDeadline = 0;  // meaningful only when EmergencyThreat > 4

  // Too large for the stack of a search; allocated with the state.
  std::unique_ptr<ReadingRecords> Records;
};

}  // namespace dalu
