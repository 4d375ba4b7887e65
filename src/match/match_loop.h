// The match loop: plays a match turn by turn until it stops. Start, Continue and a loaded
// record's replay all end in a call of Main. The loop talks to the outside only through
// the game's Host (clock, events, message boxes), FieldCanvas, SoundPlayer and MatchView,
// so the window and the headless tools run this very code.
//
// Every wait lets pending events run; key, button and menu handlers run nested inside
// those waits and reach the loop only through the match-control flags (match_commands.h,
// steering.h). Waits for a person (the keyboard, a replay step) block in WaitForPerson.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "util/host.h"

namespace dalu {

struct Game;

// The time one wait for a person counts on a host without real events (a real one sleeps
// until an event arrives, Host::WaitForPerson).
inline constexpr int kPersonWaitMs = kPersonWaitStepMs;

// Plays turns while MatchRunning is set. Returns when the flag is cleared at the end of a
// turn (Stop, a burial, the turn limit), at once when a replay reaches its recorded end or
// is ended by "x", and at the next wait when the window closes. Never runs twice at once:
// a call while a loop is active returns at once.
void Main(Game& g);

// The dispatch as a turn runs it: asks the side's computer player for its move and stores
// the move in g.ctl.TurnMove[player]. Leaves TurnMove as it was for the user's side, a side
// without a level or a side other than 1..2.
void ThinkMove(Game& g, int player, const TwinMove& current);

// The name shown in a chain report: RecPlayerName without its four-digit length prefix;
// "No Info" (and any name without a readable prefix) unchanged.
std::string PlayerLabel(const std::string& recPlayerName);

// "Name(p) : n Chain", or " 連鎖" in Japanese.
std::string ChainReportLine(const Game& g, int side, int32_t chain);

// ---- Pieces of a turn, exposed for tests ----

// Appends a consignment of obstruct points to side q's queue. A full queue adds the points
// to its last consignment (which keeps its turn), so no points are lost.
void QueueObstruct(Engine& e, int q, int32_t amount, int32_t turn);

struct OffsetResult {
  int side;      // the side whose queue survives the offset
  int32_t fall;  // points due to fall on it this turn
};
// Offsets both queues against each other and takes out what is due on the surviving side
// when it is not chaining. Afterwards exactly the consignments that hold no points any
// more are gone; the rest keep their order.
OffsetResult OffsetQueues(Engine& e);

}  // namespace dalu
