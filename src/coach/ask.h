// Asking a computer player for advice without touching the game.
//
// The match loop asks its players through ThinkMove on the live engine: they read the live
// boards, draw their random additions from the live generator (which also deals the twins),
// work on the live scratch and pump the host's events. Advice must never change a match, so
// it asks through AskPlayer instead: the position is a copy of the engine taken at the
// moment of the question, the player works on that copy with scratch of its own, the random
// addition is fixed or drawn from the copy's own generator, and no event is pumped. The
// live game is never read again after the copy was taken, so the copy may be worked on by
// any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "engine/types.h"

namespace dalu {

struct Game;

// ---- The answer --------------------------------------------------------------------------

// One placement of the twin and the score the level gave it.
struct CandidateRow {
  int32_t Column = 0;
  int32_t Rotation = 0;
  int32_t Score = 0;     // meaningless when Blocked
  bool Blocked = false;  // the placement cannot be played (both columns full at row H)
};

struct Advice {
  TwinMove Move = {};  // the level's choice; Column 0 when the side was not asked
  // The move was the emergency search's answer to a threat: no placement was scored and
  // Table is empty.
  bool Emergency = false;
  // Every placement of the twin, best first; equal scores keep the players' order (the
  // first of equal candidates is the one played), blocked ones last. This is the table
  // `dalumaster-cli analyse` prints.
  std::vector<CandidateRow> Table;
  // Where the chosen move's beads land on the side's field (see GhostCells).
  int32_t LandColumn[2] = {};
  int32_t LandRow[2] = {};
};

// Where the beads of move land on side's field in position: [0] the pivot, [1] the second
// bead, as (column, row); a row above the field (H + 1) means the bead would be lost. What a
// ghost twin shows, for a hint or for a move being tried again. A move outside the field
// gives zeros.
void GhostCells(const Engine& position, int side, const TwinMove& move, int32_t column[2],
                int32_t row[2]);

// ---- The ask-only entry ------------------------------------------------------------------

// How the random addition (0..9) of the shape scores is made.
struct AskNoise {
  // 0..9: every addition is this value (the review's "BEST" and the hint use 0, as
  // `analyse` does). -1: drawn from the position's own generator, seeded with Seed.
  int32_t Fixed = 0;
  uint64_t Seed = 1;
};

// Level 1..9 chooses side's (1..2) move for the twin `current` in `position`, which is
// the engine as the match loop hands it to a player: TurnNumber counts the turn, the
// twins are handed out (TwinIndex already names the twin after the current one) and the
// side is not chaining. position is a copy; nothing else is read or written. A side that
// is chaining, a level or side out of range, or a twin without colours gives an Advice
// whose Move.Column is 0.
Advice AskPlayer(const Engine& position, int side, int level, const TwinMove& current,
                 const AskNoise& noise = {});

// ---- Hints for the live match ------------------------------------------------------------

// A question about the live match, taken on the window's thread and answered anywhere:
// a shared, immutable copy of the engine at the moment it was asked, so copying a request
// costs nothing and the game may go on meanwhile.
struct HintRequest {
  std::shared_ptr<const Engine> Position;
  int Side = 1;
  int Level = 9;
  TwinMove Current = {};  // the twin handed to the side this turn
  int32_t Turn = 0;       // the turn it was asked in, to drop an answer that comes too late
  bool Valid() const { return Position != nullptr && Current.Colour1 > 0; }
};

// The question "where would `level` put side's twin now?". Valid only while the game's
// match waits for that side's move (its twin is handed out and the side is not chaining);
// otherwise the request is not Valid.
HintRequest TakeHintRequest(const Game& g, int side, int level);

// The answer, with the random addition fixed to 0 (the same move `analyse` gives).
// Runs on any thread.
Advice AnswerHint(const HintRequest& request);

}  // namespace dalu
