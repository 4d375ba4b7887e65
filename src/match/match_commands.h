// What the main window's menu items and buttons do to a match, without the widgets. Each
// handler runs nested inside one of the match loop's waits (or while no loop runs) and acts
// only through the match-control flags and the view; the loop notices at its next wait.
#pragma once

#include <cstddef>
#include <string>

namespace dalu {

struct Game;

// ---- Window state ----
// The running state: Start, Config and the level selectors disabled, Stop/Continue reads
// "Stop(Z)", MatchRunning set.
void MMnotEnable(Game& g);
// The stopped state: everything enabled again, Stop/Continue reads "Continue(Z)",
// MatchRunning cleared.
void MMEnable(Game& g);
// The caption: RecFileName + " ( " + RecTitle + " )", with "  :replay" during a replay. A
// title longer than kCaptionTitleBytes shows its first characters and "...".
inline constexpr size_t kCaptionTitleBytes = 100;
std::string CaptionText(const Game& g);
void FormTitle(Game& g);

// After the configuration dialog rebuilt the background: a stopped match whose field size
// is unchanged is drawn again over it, since wiping its fields would leave beads the boards
// still hold invisible when the match is continued. After a change of size the boards no
// longer fit the picture, so the empty playfield is shown.
void ShowFieldsOnNewBackground(Game& g, bool sizeChanged);

// ---- Save As ----
// Before the dialog: whether there is a record to save. Before the first start or load
// there is none; the user is told so and no dialog should open.
bool CanSaveAs(Game& g);
// After the dialog: saves the record under the chosen path (a bare name goes to
// GameData/) and shows the saved name in the caption. False when nothing was written.
bool SaveAs(Game& g, const std::string& chosenPath);

// ---- Stop / Continue ----
// While a match runs: stops it after the current turn. In live play the moves still being
// chosen become the handed twins at their start position (a side that is chaining keeps
// its empty move); once a turn's moves are logged they are kept, so the record always holds
// what was played. In a replay the recorded moves are played.
// While no match runs: continues it. If the previous loop is still finishing its turn it
// simply goes on (never a second loop); otherwise Main is entered and returns when the
// match stops again. Does nothing before the first start or load. After the field size was
// changed the boards no longer fit it: Continue is refused with a message until a new
// match or record starts.
void StopContinueClick(Game& g);

// ---- Replay buttons ----
void NextStepClick(Game& g);     // ">": the waiting turn is played
void TailClick(Game& g);         // ">>": the replay runs on without waiting
void PauseReplayClick(Game& g);  // "<>": the next turn waits again
// "x": ends the replay at the position shown, when the loop is waiting for a replay step;
// the loop then returns without playing that turn. Ignored at any other moment.
void EndReplayClick(Game& g);

// ---- Closing ----
// The window is going away: every wait of the loop ends and the loop returns at once,
// without finishing the turn or saving anything.
void CloseRequested(Game& g);

}  // namespace dalu
