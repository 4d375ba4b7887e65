// The review of a battle record: after every turn, each side's chance to win, estimated by
// playouts, and for every move the chance its side lost against the review level's choice.
//
// How a chance is estimated. From the position after the turn the match is played on to
// its end K times, the playout level on both sides. Each side keeps the record's own twins
// while they last; the twins after them, and the players' random additions, come from a
// generator seeded from (review seed, turn, playout number). A playout won by side 1
// counts 1, one in which both sides are buried in the same turn or that reaches the
// playout horizon counts 1/2. The chance is the mean.
//
// The loss of a move. At the position before turn T the review level chooses its move with
// the random addition fixed to 0 (BEST, what `analyse` prints). The turn is then played
// again with BEST in place of the side's recorded move, the opponent's recorded move kept,
// and played out on the same seeds as the recorded turn (common random numbers), so the
// difference of the two chances is the move's and not the dice's. The loss is that
// difference for the side that moved, never below 0; 0.10 or more marks the move "?",
// 0.25 or more "??".
//
// The numbers depend only on the record, its rules and the parameters: the playouts are
// shared among worker threads, but each is seeded on its own and the sums are taken in a
// fixed order, so any number of threads gives the same review.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/types.h"

namespace dalu {

struct Engine;
struct Game;
struct ReviewData;

// ---- Input -------------------------------------------------------------------------------

// A record to review with the deal and the rules it was played under: a copy, taken on the
// window's thread, shared and never changed, so the review can run on any thread while
// the game goes on.
struct ReviewSource {
  std::shared_ptr<const ReviewData> Data;
  int32_t LastTurn = 0;  // the record's last turn (the burial turn of a buried record)
  bool Valid() const { return Data != nullptr && LastTurn > 0; }
};

// The game's record: a loaded record (while no live turn has changed it; also while its
// replay runs), or the match that was just played or stopped (its turns so far, under the
// engine's rules). Not Valid when the game holds neither, or while a live match runs.
ReviewSource TakeReviewSource(const Game& g);

// Playout defaults, chosen by measurement (docs/performance.md).
inline constexpr int kReviewDefaultLevel = 9;
inline constexpr int kReviewDefaultPlayouts = 32;
inline constexpr int kReviewDefaultPlayoutLevel = 5;
// A playout that has not ended this many turns after the turn it starts from counts 1/2.
inline constexpr int kPlayoutHorizon = 150;

struct ReviewParams {
  int Level = kReviewDefaultLevel;                // L: chooses BEST, 1..9
  int Playouts = kReviewDefaultPlayouts;          // K per turn and move, 1..10000
  int PlayoutLevel = kReviewDefaultPlayoutLevel;  // P: plays both sides of a playout, 1..9
  uint64_t Seed = 1;                              // N
  int Jobs = 0;                                   // J worker threads; 0: one per core
};

// ---- Output ------------------------------------------------------------------------------

// The review's marks, from the loss of a move.
enum class ReviewMark { kOk, kDubious, kMistake };  // "ok", "?", "??"
inline constexpr double kDubiousLoss = 0.10;
inline constexpr double kMistakeLoss = 0.25;

struct ReviewSide {
  bool Placed = false;    // the side placed a twin in this turn (it was not chaining)
  TwinMove Move = {};     // the recorded placement (with the twin's colours)
  TwinMove Best = {};     // the review level's choice at the position before the turn
  double Chance = 0;      // this side's chance to win after the turn as played
  double BestChance = 0;  // ... had it played Best instead (equal to Chance when it did)
  double Loss = 0;        // BestChance - Chance, never below 0; 0 when Move is Best
  ReviewMark Mark = ReviewMark::kOk;
};

struct ReviewTurn {
  int32_t Turn = 0;
  double Chance1 = 0;   // side 1's chance after the turn as played, 0..1
  bool Burial = false;  // a side was buried in this turn: Chance1 is exact
  ReviewSide Side[3];   // [1], [2]
};

struct ReviewResult {
  std::vector<ReviewTurn> Turns;  // turns 1..LastTurn, in order
  bool Cancelled = false;         // stopped early: Turns is incomplete and not to be shown
};

// Called as playouts finish: (done, total) work items. Calls come from the worker
// threads, one at a time; keep the callback short (store the numbers, return).
using ReviewProgress = std::function<void(int64_t done, int64_t total)>;

// Reviews the record. cancel, when given, is polled between playouts: once set, the
// workers stop and the result comes back Cancelled. Blocks until done; run it on a thread
// of its own to keep a window responsive.
ReviewResult Review(const ReviewSource& source, const ReviewParams& params,
                    const ReviewProgress& progress = {}, const std::atomic<bool>* cancel = nullptr);

// ---- Try again ---------------------------------------------------------------------------

// A different move for side at turn: its chance against the recorded move's and BEST's,
// played out on the very seeds the review uses for that turn, so the three are compared
// on the same dice (and Recorded and Best equal the review's numbers for that turn).
struct TryAgainResult {
  bool Valid = false;  // the side placed a twin in that turn and the move fits the field
  TwinMove Best = {};
  double NewChance = 0;  // the side's chance with the new move
  double RecordedChance = 0;
  double BestChance = 0;
  bool Cancelled = false;
};

TryAgainResult TryAgain(const ReviewSource& source, const ReviewParams& params, int32_t turn,
                        int side, const TwinMove& move, const ReviewProgress& progress = {},
                        const std::atomic<bool>* cancel = nullptr);

// The position before a turn, as the window sets it up for another try: the engine with
// the twins of that turn handed out (TurnNumber = turn, TwinIndex past them), the twin
// each side was handed, and whether each side places one. Empty Engine pointer when turn
// is outside the record.
struct TurnPosition {
  std::shared_ptr<const Engine> Position;
  TwinMove Handed[3] = {};
  bool Places[3] = {};
};
TurnPosition PositionBeforeTurn(const ReviewSource& source, int32_t turn);

// ---- Texts -------------------------------------------------------------------------------

// "ok", "?", "??" as the command line and the move list print them.
const char* MarkText(ReviewMark mark);
ReviewMark MarkForLoss(double loss);

// The command line's line for a turn:
// "turn T chance C side1 MOVE BEST LOSS MARK side2 MOVE BEST LOSS MARK".
std::string ReviewLine(const ReviewTurn& t);

// The first turn after `afterTurn` in which side's (1..2) move carries a mark; -1 when
// there is none (the window's "Next mistake").
int32_t NextMarkedTurn(const ReviewResult& r, int side, int32_t afterTurn);

}  // namespace dalu
