#include "match/replay.h"

#include "engine/field_draw.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "match/study.h"
#include "util/text.h"

namespace dalu {

LoadOutcome LoadFile(Game& g, const std::string& path) {
  if (g.ctl.MatchRunning || g.ctl.InLoop()) return LoadOutcome::kFailed;
  const int32_t width = g.eng.FieldWidth;
  const int32_t height = g.eng.FieldHeight;
  const LoadOutcome outcome = LoadRecord(g, path);
  if (outcome == LoadOutcome::kReplay) {
    StartReplay(g, g.eng.FieldWidth != width || g.eng.FieldHeight != height);
  } else if (outcome == LoadOutcome::kConverted) {
    // The game's record is now the converted one, which is not on the screen.
    g.ctl.Record = RecordState::kLive;
    g.eng.FixedTwins[1] = g.eng.FixedTwins[2] = 0;
  }
  return outcome;
}

void StartReplay(Game& g, bool fieldSizeChanged) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  // 8-9.
  if (fieldSizeChanged) g.view.RebuildBackground();
  g.canvas.RestoreAll();
  InitBoards(e, g.canvas);
  g.canvas.Present();
  // The replay starts the match again; its first vanish splits the sequences as it did
  // then, so that a Continue before it deals side 2's twins the way the match would have.
  e.SequenceSplit = false;
  // A replay deals only the record's twins; a Continue generates after them.
  e.FixedTwins[1] = e.FixedTwins[2] = 0;
  // 10.
  ctl.ReplayMode = true;
  ctl.Requests.EndReplay = false;
  g.view.EnableReplayButtons(true);
  FormTitle(g);
  // 11.
  e.TurnNumber = 0;
  ctl.Tally = {};
  g.view.ClearMemo();
  g.view.EnableStopContinue();
  ctl.MatchReady = true;
  ctl.Record = RecordState::kLoaded;
  KeepRecordRules(g);
  ctl.Requests.Jump = false;
  g.view.RecordLoaded(g);
  MMnotEnable(g);
  // 12.
  Main(g);
}

std::string ReplaySpeedCaption(ReplaySpeed speed, bool english) {
  const ReplaySpeedEntry& e = kReplaySpeeds[static_cast<int>(speed) % kReplaySpeedCount];
  return english ? std::string(e.English) : Utf8ToCp932(e.JapaneseUtf8);
}

ReplaySpeed ReplaySpeedFromKey(const std::string& key) {
  for (const ReplaySpeedEntry& e : kReplaySpeeds) {
    if (key == e.key) return e.speed;
  }
  return ReplaySpeed::kSpecified;
}

const char* ReplaySpeedKey(ReplaySpeed speed) {
  return kReplaySpeeds[static_cast<int>(speed) % kReplaySpeedCount].key;
}

uint32_t ReplayPaceDivisor(const Game& g) {
  if (!g.ctl.ReplayMode || !g.ctl.FastReplay) return 1;
  return kReplaySpeeds[static_cast<int>(g.ctl.FastReplaySpeed) % kReplaySpeedCount].divisor;
}

}  // namespace dalu
