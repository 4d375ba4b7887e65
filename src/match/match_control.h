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

struct MatchControl {
  bool MatchRunning = false;   // the loop goes on while set
  bool ReplayMode = false;     // the loop plays a loaded record's moves
  bool WaitForStep = false;    // in replay, wait before the turn while set
  bool FastReplay = false;     // in replay, do not wait between turns
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
  bool MatchReady = false;          // a match has been started or a record loaded for replay
  bool LoopActive = false;          // Main is running (it may be finishing a turn after Stop)
  bool TurnInProgress = false;      // a turn has been counted and its beads have not all fallen
  bool MovesOpen = false;           // this turn's moves are still being chosen (not yet logged)
  bool StepWaitActive = false;      // the loop is waiting for a replay step
  bool EndReplayRequested = false;  // "x" was pressed during that wait
  bool QuitRequested = false;       // the window is closing: the loop returns at its next wait

  // ---- Studying a loaded record (study.h) ----
  bool RecordIntact = false;   // the game's record is the loaded one: no live turn since the load
  bool JumpRequested = false;  // go to the position after JumpTarget at the loop's next step
  int32_t JumpTarget = 0;      // wait, or when the loop returns
  RecordRules StudyRules;      // the loaded record's rules

  // ---- The user's steering options, and the landing outline they drew (steering.h) ----
  SteeringOptions Steering;
  int32_t LandingSide = 0;          // side whose landing cells are outlined; 0 = none
  int32_t LandingCells[2][2] = {};  // column and row of each outlined cell; row 0: none

  // ---- Headless settings ----
  bool AutoSave = true;   // save the record when a match ends by itself
  std::string EndReason;  // "Buried" or "Halt" once the loop has ended the match
};

}  // namespace dalu
