#include "match/just_played.h"

#include <algorithm>

#include "match/game.h"
#include "match/match_commands.h"
#include "match/status_line.h"
#include "match/study.h"
#include "records/record_file.h"

namespace dalu {

int32_t PlayedTurns(const Game& g) {
  return std::clamp<int32_t>(ShownTurn(g), 0, kMaxTurns);
}

std::string CurrentRecordText(const Game& g) {
  if (!g.ctl.MatchReady) return {};
  // Studied, the match just played is its whole record whichever turn is shown: a step
  // back is no new match, and a match studied back to its start still has turns to keep.
  if (g.ctl.Record == RecordState::kPlayed) {
    const int32_t turns = std::clamp<int32_t>(g.rec.RecTurns, 0, kMaxTurns);
    return RecordText(g.rec, g.eng, turns, g.rec.RecEndReason, turns);
  }
  const std::string reason = g.ctl.EndReason == "Buried" ? "Buried" : "Halt";
  return RecordText(g.rec, g.eng, PlayedTurns(g), reason, g.eng.TurnNumber);
}

void KeepPlayedMatch(Game& g) {
  MatchControl& ctl = g.ctl;
  if (ctl.Record != RecordState::kLive || ctl.Requests.Quit || ctl.ReplayMode || ctl.MatchRunning ||
      !ctl.MatchReady || g.eng.TurnNumber <= 0) {
    return;
  }
  ctl.Record = RecordState::kPlayed;
  g.rec.RecTurns = PlayedTurns(g);
  // Studied to its end, a stopped match ends quietly, as a cut-off record does.
  g.rec.RecEndReason = ctl.EndReason == "Buried" ? "Buried" : "Halt";
}

int32_t TakeBackTarget(const Game& g) {
  const Engine& e = g.eng;
  for (int32_t t = std::min<int32_t>(PlayedTurns(g), kMaxTurns); t >= 1; --t) {
    for (int p = 1; p <= 2; ++p) {
      if (e.PlayerLevel[p] == 0 && g.rec.TurnRecord[t][p].Column != 0) return t - 1;
    }
  }
  return -1;
}

bool CanTakeBack(const Game& g) {
  const MatchControl& ctl = g.ctl;
  if (!ctl.MatchReady || ctl.ReplayMode || ctl.Requests.Quit || ctl.Requests.Jump) return false;
  if (ctl.Record == RecordState::kLoaded) return false;  // a replay ended by "x": nothing live
  if (g.eng.PlayerLevel[1] != 0 && g.eng.PlayerLevel[2] != 0) return false;
  // A running match takes back at its moves' wait; a stopped one at once, once its loop
  // has finished the turn it was playing.
  if (ctl.MatchRunning != ctl.InLoop()) return false;
  return TakeBackTarget(g) >= 0;
}

bool TakeBack(Game& g) {
  MatchControl& ctl = g.ctl;
  if (!CanTakeBack(g)) return false;
  if (ctl.InLoop()) {
    ctl.Requests.TakeBack = true;
    return true;
  }
  ctl.Requests.TakeBack = true;
  ApplyTakeBack(g);
  return true;
}

bool TakeBackKeyDown(Game& g, int virtualKey) {
  if (virtualKey != kBackspaceKey) return false;
  TakeBack(g);
  return true;
}

void ApplyTakeBack(Game& g) {
  MatchControl& ctl = g.ctl;
  Engine& e = g.eng;
  ctl.Requests.TakeBack = false;
  const int32_t target = TakeBackTarget(g);
  if (target < 0) return;
  // Every twin dealt or shown so far comes again: none is generated anew.
  int32_t keep[3] = {};
  for (int p = 1; p <= 2; ++p) keep[p] = std::max(e.FixedTwins[p], e.TwinIndex[p] + 1);
  const RecordState record = ctl.Record;
  // The rebuild replays the turns played so far.
  ctl.Record = RecordState::kPlayed;
  g.rec.RecTurns = PlayedTurns(g);
  g.rec.RecEndReason = "Halt";
  RebuildPosition(g, target);
  for (int p = 1; p <= 2; ++p) e.FixedTwins[p] = keep[p];
  // The record holds the turns behind the position, and the comments written on them.
  g.rec.RecTurns = target;
  for (int32_t t = target + 1; t <= kMaxCommentIndex; ++t) g.rec.CommentCount[t] = 0;
  ctl.Record = record == RecordState::kPlayed ? RecordState::kPlayed : RecordState::kLive;
  ctl.ReplayMode = false;
  ctl.EndReason.clear();
  g.view.EnableReplayButtons(false);
  FormTitle(g);
  ShowStatus(g);
  g.view.PositionRebuilt(g);
}

}  // namespace dalu
