// The flags through which window handlers, running nested inside the match loop's waits,
// talk to the loop.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/types.h"
#include "match/controls.h"

namespace dalu {

// The rules a loaded record was played under, kept at its load: going to one of its turns
// replays it under them, even after the configuration dialog changed the engine's.
struct RecordRules {
  int32_t FieldWidth = 7;
  int32_t FieldHeight = 11;
  int32_t ColourCount = 4;
  int32_t VanishCount = 4;
  int32_t ObstructRate[3] = {0, 100, 100};
  int32_t ChainBonus[kChainTableSize + 1] = {};
  int32_t ChainRate[kChainTableSize + 1] = {};
  int32_t ColourImage[11] = {};
};

// Where the match loop stands. One value instead of a flag per question, so every handler
// that runs nested inside the loop's waits (the enabling rules, study, Stop, closing) reads
// the same answer, and no combination the loop never makes can be written.
enum class LoopPhase : uint8_t {
  kIdle,          // Main is not running
  kBetweenTurns,  // Main runs outside a turn: before dealing, in the burial, after a rebuild
  kTurn,          // a turn is counted and its beads have not all fallen
  kMovesOpen,     // in a turn: its live moves are still being chosen (not yet logged)
  kStepWait,      // in a turn: the replay waits for its step
};

// The pace of ">>" (replay.h holds each one's divisor and captions).
enum class ReplaySpeed : uint8_t { kSpecified, kDouble, kFourfold, kEightfold, kAtOnce };

// What the game's record holds, as far as studying it goes.
enum class RecordState : uint8_t {
  kLive,    // written by live play, or nothing yet
  kLoaded,  // the loaded record with no live turn since its load: its positions can be rebuilt
  kPlayed,  // the match just played, stopped or ended: studied like a loaded record
};

// What handlers ask of the loop. Each is acted on at the loop's next wait (or when it
// returns) and then cleared, except Quit, which lasts: the window is going away.
struct LoopRequests {
  bool Quit = false;       // the window is closing: the loop returns at its next wait
  bool EndReplay = false;  // "x" was pressed during a step wait
  bool Jump = false;       // go to the position after JumpTarget (study.h)
  bool TakeBack = false;   // take the last keyboard turn back (just_played.h)
  int32_t JumpTarget = 0;
};

// A yes/no view of the phase under one of the loop's questions. Reading asks the phase;
// writing moves it to the nearest phase with that answer (tests set a moment up this way).
class PhaseFlag {
 public:
  enum class Question : uint8_t { kLoopActive, kTurnInProgress, kMovesOpen, kStepWaitActive };
  PhaseFlag(LoopPhase& phase, Question q) : phase_(phase), q_(q) {}
  PhaseFlag(const PhaseFlag&) = delete;
  operator bool() const;
  PhaseFlag& operator=(bool on);

 private:
  LoopPhase& phase_;
  Question q_;
};

// What the match has done so far, kept by the loop for the status line and the result.
// A rebuilt position carries the tally of the replay that reached it.
struct MatchTally {
  int32_t Score[3] = {};         // obstruct points each side's drops have produced
  int32_t LongestChain[3] = {};  // the longest chain each side's drops have started
};

// The control block's values. Kept apart from MatchControl's views below, so that copying
// the values (a saved position, a fresh block for a playout) never copies a view that
// would still refer to the object it came from.
struct MatchControlValues {
  bool MatchRunning = false;  // the loop goes on while set
  bool ReplayMode = false;    // the loop plays a loaded record's moves
  bool WaitForStep = false;   // in replay, wait before the turn while set
  bool FastReplay = false;    // in replay, do not wait between turns
  ReplaySpeed FastReplaySpeed = ReplaySpeed::kSpecified;  // how fast ">>" replays
  TwinMove ShownTwin[3] = {};  // the twin handed to each side this turn, at its start
  TwinMove TurnMove[3] = {};   // the moves played this turn
  int32_t InputSide = 3;       // side whose keyboard move is awaited; 3 = none
  TwinMove InputTwin = {};     // the twin being steered from the keyboard
  char PendingKey = 0;         // action code of the last key; 0 = consumed
  uint32_t LastKeyTime = 0;    // tick of the last accepted key, ms
  int32_t EditSlot = 0;        // which bead the next colour key sets
  bool EditMode = false;       // "EditMode" carries its check mark
  bool AutoTwin = false;       // "AutoTwin" carries its check mark

  // ---- Kept by the loop itself, so that handlers can tell what it is doing ----
  bool MatchReady = false;  // a match has been started or a record loaded for replay
  LoopPhase Phase = LoopPhase::kIdle;
  LoopRequests Requests;

  // Main is running (it may be finishing a turn after Stop).
  bool InLoop() const { return Phase != LoopPhase::kIdle; }
  // A turn has been counted and its beads have not all fallen.
  bool InTurn() const {
    return Phase == LoopPhase::kTurn || Phase == LoopPhase::kMovesOpen ||
           Phase == LoopPhase::kStepWait;
  }

  // ---- Studying a loaded record (study.h) ----
  MatchTally Tally;  // for the status line (status_line.h)

  RecordState Record = RecordState::kLive;
  RecordRules StudyRules;  // the loaded record's rules

  // ---- Headless settings ----
  bool AutoSave = true;   // save the record when a match ends by itself
  std::string EndReason;  // "Buried" or "Halt" once the loop has ended the match

  // ---- The user's steering options, and the landing outline they drew (steering.h) ----
  SteeringOptions Steering;
  int32_t LandingSide = 0;          // side whose landing cells are outlined; 0 = none
  int32_t LandingCells[2][2] = {};  // column and row of each outlined cell; row 0: none
};

struct MatchControl : MatchControlValues {
  MatchControl() = default;
  // A copy takes the values; its views refer to its own phase.
  MatchControl(const MatchControl& o) : MatchControlValues(o) {}
  MatchControl& operator=(const MatchControl& o) {
    MatchControlValues::operator=(o);
    return *this;
  }

  // ---- The phase and the jump request under the loop's questions, for the tests that
  // drive the loop through its waits ----
  PhaseFlag LoopActive{Phase, PhaseFlag::Question::kLoopActive};
  PhaseFlag TurnInProgress{Phase, PhaseFlag::Question::kTurnInProgress};
  PhaseFlag MovesOpen{Phase, PhaseFlag::Question::kMovesOpen};
  PhaseFlag StepWaitActive{Phase, PhaseFlag::Question::kStepWaitActive};
  const bool& JumpRequested = Requests.Jump;
};

}  // namespace dalu
