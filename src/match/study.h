// Studying a loaded record: going to the position after any of its turns, stepping back
// and forward, the keys that do it while a replay waits.
//
// A position is rebuilt: the record is replayed by the real turn code on a separate game
// with a virtual clock, no drawing and no sound, from its start or from the latest position
// saved on the way by an earlier rebuild (one every 64 turns, study_checkpoints.h), and
// stopped at the end of the turn asked for; the game then takes that position over (its
// fields, counters, queues, twin indices, the memo as the replay left it) and it is drawn
// whole at once (DrawPosition). So a jump shows exactly what a straight replay would, and
// the replay, or a Continue live after "x", goes on from it exactly as it would have.
//
// How a jump meets the match loop. All of it runs on the window thread, nested inside the
// loop's waits like every other handler, and talks to the loop through two flags,
// its jump request (Requests.Jump and Requests.JumpTarget):
//  - while the loop waits for a replay step (turn t+1 handed out), the request ends the
//    wait; the loop drops that turn and rebuilds the position asked for, then deals the
//    next turn from there and waits again;
//  - while the loop plays a turn (a fast replay, an animation, a turn finishing after
//    Stop), the request is acted on at the next step wait, or when the loop returns;
//  - while no loop runs (the replay ended by "x", at its recorded end or in a burial, or
//    was stopped), the position is rebuilt and the replay state entered again: ReplayMode,
//    the caption's "  :replay", the running state; the loop then runs as for a loaded
//    record and the call returns when the replay stops again, as Continue does.
// A position whose turn buried a side ends the replay there, as the burial did; a jump
// saves nothing, so that burial does not write Re_AutoSv.DBD again. The record is replayed
// under the rules it was loaded with, even if the configuration changed them since.
//
// The record can be studied from its load until a live turn is played (a Continue after
// the replay ended, or a new start): live play writes its moves and twins over the
// record's. Comments written meanwhile are kept; they are part of the record.
#pragma once

#include <cstdint>
#include <string>

namespace dalu {

struct Engine;
struct Game;
struct RecordRules;

// ---- Where the study stands ----

// The game holds the loaded record unchanged, so its positions can be rebuilt.
bool CanStudy(const Game& g);
// The last turn of the record (its saved turns, at most 1000).
int32_t LastTurn(const Game& g);
// The turn whose result is on the screen: while the loop waits for (or plays) turn t+1, t;
// between turns and after the replay ended, TurnNumber.
int32_t ShownTurn(const Game& g);
// ShownTurn, or the turn a pending jump goes to: steps taken faster than the loop acts add
// up instead of being lost.
int32_t StudyTurn(const Game& g);

// ---- Jumps ----

// Goes to the position after turn t of the record, clamped to 0..LastTurn. Returns false
// (and does nothing) when the record cannot be studied. See the header comment for when
// the position appears; called while no loop runs, this returns when the replay stops.
bool GoToTurn(Game& g, int32_t t);
void StepBack(Game& g);   // the turn before the one shown
void GoToFirst(Game& g);  // the start, before turn 1
void GoToLast(Game& g);   // the record's last turn
// While the loop waits for a step: ">" (the turn is played and animated). Otherwise a jump
// to the turn after the one shown; nothing at the last turn once the replay has ended.
void StepForward(Game& g);

// ---- The record's rules ----

// Keeps the engine's rules as the record's (the loader has just set them).
void KeepRecordRules(Game& g);
// Puts the record's rules into an engine.
void ApplyRecordRules(const RecordRules& rules, Engine& e);
// The rules the engine plays under now, as a record keeps them.
RecordRules RulesOf(const Engine& e);

// ---- The rebuild, used by the loop (and by tests) ----

// Replays the game's record silently to the end of turn t (clamped) and puts that
// position into the game: engine state under the record's rules (the random generator
// and PlayerLevel stay the game's), the handed twins and moves, the replay flags, the
// memo; then draws it whole, on a new background when the field size had changed.
// Waits, step flags and the keyboard are reset. Returns true when the replay goes on from
// there, false when it ended there (a burial in turn t, or a damaged record's end).
// Touches neither MatchRunning nor the window's running state.
bool RebuildPosition(Game& g, int32_t t);

// Acts on the jump request: rebuilds the position and sets the window state for it (replay
// going on: ReplayMode, caption, replay buttons, running; ended: stopped). Called by Main.
void ApplyRequestedJump(Game& g);

// ---- Replay keys ----

// What a replay key does.
enum class StudyAction { kStepBack, kStepForward, kFirst, kLast };

// A key of the replay, its menu caption (accelerator letter in parentheses) in both
// languages and the key's name as the menu shows it.
struct ReplayKey {
  int virtualKey;
  StudyAction action;
  const char* english;
  const char* japaneseUtf8;  // converted to CP932 by ReplayKeyCaption
  const char* keyName;       // as a menu shortcut: "Left", "Right", "Home", "End"
};

inline constexpr int kReplayKeyCount = 4;
const ReplayKey* ReplayKeys();  // kReplayKeyCount entries, in menu order

// The caption of entry i in the language asked for (CP932).
std::string ReplayKeyCaption(int i, bool english);

// Runs the action.
void RunStudyAction(Game& g, StudyAction action);

// The key handler's first stop: a replay key acts while the record can be studied and no
// live match runs (steering keys mean nothing in a replay). Returns true when the key was
// taken; the steering handlers get it otherwise.
bool ReplayKeyDown(Game& g, int virtualKey);

}  // namespace dalu
