// The battle record of the current match, in memory: header values, every turn's moves and
// the comments between turns. Text fields are CP932 bytes.
//
// Comment index i belongs to the gap after turn i: index 0 holds the comments before the
// first turn, index t those written after turn t. A 1000-turn record can therefore carry
// comments at index 1000, after its last turn.
#pragma once

#include <cstdint>
#include <string>

#include "engine/types.h"

namespace dalu {

inline constexpr int kMaxTurns = 1000;         // TurnRecord holds turns 1..1000
inline constexpr int kMaxCommentIndex = 1000;  // comment indices 0..1000
inline constexpr int kCommentsPerIndex = 3;
inline constexpr int kHeaderLines = 20;
// The twin sequence is stored in rows of 64 beads per side; 32 rows fill the 2048 beads
// the engine holds, which covers the twins of a 1000-turn match and two more.
inline constexpr int kBeadsPerRow = 64;
inline constexpr int kMaxSequenceRows = 32;

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
  int32_t RecTurns = 0;                             // turns of the record last loaded
  TwinMove TurnRecord[kMaxTurns + 1][3] = {};       // [turn][side]; files keep Column, Rotation
  int32_t CommentCount[kMaxCommentIndex + 1] = {};  // 0..3 lines per index
  std::string CommentText[kMaxCommentIndex + 1][kCommentsPerIndex + 1];  // [index][1..3]
};

}  // namespace dalu
