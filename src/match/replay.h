// Loading a battle record and replaying it. The loader reads the file into the game; a
// current-format record is then replayed by the match loop turn by turn, waiting for the
// replay buttons; an old-format record is converted and not replayed.
#pragma once

#include <cstdint>
#include <string>

#include "match/match_control.h"
#include "records/record_loader.h"

namespace dalu {

struct Game;

// Loads the record at path and, when it is a current-format record, replays it; returns
// when the replay stops (or at once for a converted or failed file). Refused while a match
// loop is active (returns kFailed without touching anything).
LoadOutcome LoadFile(Game& g, const std::string& path);

// The start of a replay of the record now in the game: the background is rebuilt when the
// field size differs from the one before loading, the fields are emptied, the replay
// buttons enabled and the loop runs.
void StartReplay(Game& g, bool fieldSizeChanged);

// ---- The pace of ">>" ----

// How fast ">>" replays (ReplaySpeed, match_control.h): every paced wait (falls,
// vanishing, the shown moves) divided, or none at all. Only a fast replay is sped up: a
// step replay and live play keep the specified pacing.
inline constexpr int kReplaySpeedCount = 5;

struct ReplaySpeedEntry {
  ReplaySpeed speed;
  uint32_t divisor;  // 0: no wait at all
  const char* key;   // its name in the program's settings file
  const char* English;
  const char* JapaneseUtf8;
};
inline constexpr ReplaySpeedEntry kReplaySpeeds[kReplaySpeedCount] = {
    {ReplaySpeed::kSpecified, 1, "specified", "Specified waits", "指定の待ち時間"},
    {ReplaySpeed::kDouble, 2, "2x", "2x", "2倍速"},
    {ReplaySpeed::kFourfold, 4, "4x", "4x", "4倍速"},
    {ReplaySpeed::kEightfold, 8, "8x", "8x", "8倍速"},
    {ReplaySpeed::kAtOnce, 0, "at-once", "At once", "待ちなし"},
};

// The menu caption of a speed, CP932.
std::string ReplaySpeedCaption(ReplaySpeed speed, bool english);
// The speed a settings value names; the specified waits for anything unknown.
ReplaySpeed ReplaySpeedFromKey(const std::string& key);
const char* ReplaySpeedKey(ReplaySpeed speed);
// The divisor of the paced waits (Host::SetPaceDivisor) for the turn about to be played.
uint32_t ReplayPaceDivisor(const Game& g);

}  // namespace dalu
