// The battle record of the current match, in memory: header values, every turn's moves and
// the comments between turns. Text fields are CP932 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "engine/types.h"

namespace dalu {

inline constexpr int kMaxTurns = 1000;        // TurnRecord holds turns 1..1000
inline constexpr int kMaxCommentIndex = 1000; // comment indices 0..1000
inline constexpr int kCommentsPerIndex = 3;
inline constexpr int kHeaderLines = 20;

inline constexpr const char* kRecordMagic = "TrueDalu BattleData  format version 2.00";

struct BattleRecord {
  std::string RecHeader[kHeaderLines + 1];  // lines 1..20 as they will be written
  std::string RecTitle;
  std::string RecFileName;
  std::string RecPlayerName[3];  // sides 1..2: FourDigits(byte length) + level text
  std::string RecTime = "Not used";
  std::string RecInfo = "Test(Train)";
  std::string RecHandi = "Even";
  std::string RecDate;
  std::string RecEndReason;
  int32_t RecTurns = 0;
  TwinMove TurnRecord[kMaxTurns + 1][3] = {};  // [turn][side]
  int32_t CommentCount[kMaxCommentIndex + 1] = {};
  std::string CommentText[kMaxCommentIndex + 1][kCommentsPerIndex + 1];
};

}  // namespace dalu
