// The match just played: what it leaves to study, taking its moves back, and its record as
// it stands.
//
// A live match that stops (Stop, a burial, a halt) becomes a record that can be studied
// like a loaded one (RecordState::kPlayed): its positions are rebuilt by replaying its
// turns from the start under the rules it began with (study.h), so the study keys, Go to
// turn, the move list and Play same deal work on it without a load, and a Continue from a
// studied turn plays on live from there, as after a replay.
//
// Take back returns a live match with a keyboard side to the position before the last turn
// in which a keyboard side dropped a twin. The position is rebuilt the same way; the twins
// already dealt stay in the sequence (they are not generated again), so the same twins
// come; the record then holds only the turns behind the position.
#pragma once

#include <cstdint>
#include <string>

namespace dalu {

struct Game;

// ---- The match as it stands ----

// Turns of the current match whose beads have all fallen (the turn in play is left out).
int32_t PlayedTurns(const Game& g);
// The record of the match as it stands, in the file format: its played turns, "Buried"
// after a burial and "Halt" otherwise; while the match just played is studied, all of its
// turns. Empty before the first start or load.
std::string CurrentRecordText(const Game& g);

// Called when the loop returns: a live match that stopped becomes studyable.
void KeepPlayedMatch(Game& g);

// ---- Take back ----

// Virtual-key code of Backspace.
inline constexpr int kBackspaceKey = 0x08;

// The turn whose end take back returns to, or -1 when there is none: the turn before the
// last played turn in which a keyboard side dropped a twin.
int32_t TakeBackTarget(const Game& g);
// A live match (running or stopped) with a keyboard side and a turn to take back.
bool CanTakeBack(const Game& g);
// Takes back. While the loop runs, the loop acts at the moves' wait (at once if it waits
// now); while the match is stopped, the position is rebuilt at once and the match stays
// stopped. Returns false (doing nothing) when CanTakeBack is false.
bool TakeBack(Game& g);
// Backspace in the game's keys: takes back when it can. True when the key was taken.
bool TakeBackKeyDown(Game& g, int virtualKey);

// Acts on the take-back request: used by the loop.
void ApplyTakeBack(Game& g);

}  // namespace dalu
