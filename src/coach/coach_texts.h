// Every text of the coach (hint, review, try again) in English and Japanese, in one table.
// A text with blanks to fill holds %1, %2, ... and is filled by CoachFormat, so a language
// can put the values in the order its sentences need; code never assembles a sentence from
// pieces.
#pragma once

#include <string>
#include <vector>

namespace dalu {

enum class CoachText : int {
  // Menu items (the accelerator letter in parentheses, as every caption).
  kMenuHint,         // "Hint(I)"
  kMenuHintLevel,    // "Hint level": submenu of the levels
  kMenuReview,       // "Review(R)"
  kMenuNextMistake,  // "Next mistake(N)"
  kMenuTryAgain,     // "Try again(Y)"
  // The hint.
  kHintTitle,      // title of the candidate table: %1 the level's name
  kHintThinking,   // while the hint is computed
  kHintEmergency,  // the level answers a threat and scores no placements
  kColumnHeader,   // candidate table headers
  kRotationHeader,
  kScoreHeader,
  kBlocked,  // score cell of a blocked placement
  // The review.
  kReviewTitle,      // title of the review window
  kReviewProgress,   // progress text: %1 done, %2 total
  kReviewCancel,     // the cancel button
  kReviewCancelled,  // the review was cancelled
  kReviewNothing,    // there is no record to review
  kReviewBusy,       // a match is running: the review waits until it stops
  kGraphTitle,       // the graph of side 1's chance
  kChanceHeader,     // move list column: a side's chance after the turn
  kMarkHeader,       // move list column: the mark of a side's move
  kBestHeader,       // move list column: the review level's choice
  kLossHeader,       // move list column: the chance the move lost
  kNoMoreMistakes,   // Next mistake found none after the turn shown: %1 side
  // Try again.
  kTryAgainPrompt,   // place the twin of side %1 in turn %2
  kTryAgainResult,   // %1 your move, %2 its chance, %3 recorded move, %4 its chance,
                     // %5 the review level's move, %6 its chance
  kTryAgainBetter,   // the new move is at least as good as the review level's
  kTryAgainWorse,    // the new move is still worse than the review level's
  kTryAgainAnother,  // button: another try
  kTryAgainNext,     // button: the next mistake
  kTryAgainBack,     // button: back to the review
  kCount
};
inline constexpr int kCoachTextCount = static_cast<int>(CoachText::kCount);

struct CoachTextEntry {
  CoachText id;
  const char* English;
  const char* JapaneseUtf8;  // converted to CP932 by CoachString
};

// The text in the language asked for, as CP932 bytes.
std::string CoachString(CoachText id, bool english);

// The text with %1.. replaced by args[0].. (CP932 bytes in, CP932 bytes out).
std::string CoachFormat(CoachText id, bool english, const std::vector<std::string>& args);

// A move as the review prints it: "3,1" (column, rotation); "-" for no move.
std::string MoveField(bool placed, int column, int rotation);

// A chance as a percentage for the window: "63%".
std::string PercentText(double chance);

}  // namespace dalu
