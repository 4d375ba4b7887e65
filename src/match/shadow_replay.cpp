#include "match/shadow_replay.h"

#include "match/game.h"
#include "match/match_loop.h"
#include "match/study.h"

namespace dalu {

void ShadowReplay::MemoView::TurnEnded(const Game& g) {
  if (g.eng.TurnNumber >= stopAfter && quit) *quit = true;
}

ShadowReplay::ShadowReplay(const Game& g)
    : game_(std::make_unique<Game>(host_, canvas_, sound_, view_)) {
  Game& s = *game_;
  s.eng = g.eng;
  s.rec = g.rec;
  if (g.ctl.Record == RecordState::kLive) {
    // A match in play: its turns so far, to be replayed without an end message.
    s.rec.RecTurns = LastTurn(g);
    s.rec.RecEndReason = "Halt";
  }
  s.cfg = g.cfg;
  ApplyRecordRules(g.ctl.StudyRules, s.eng);
  // The start of a replay, as StartReplay sets it up.
  InitBoards(s.eng, canvas_);
  s.eng.SequenceSplit = false;
  s.eng.FixedTwins[1] = s.eng.FixedTwins[2] = 0;
  s.eng.TurnNumber = 0;
  s.ctl.AutoSave = false;  // a rebuilt burial is not saved again
  s.ctl.ReplayMode = true;
  s.ctl.MatchReady = true;
  s.ctl.Record = RecordState::kLoaded;
  view_.quit = &s.ctl.Requests.Quit;
}

ShadowReplay::~ShadowReplay() = default;

void ShadowReplay::RunTo(int32_t t, const std::function<void(Game&)>& onStep) {
  Game& s = *game_;
  if (t <= s.eng.TurnNumber || !s.ctl.ReplayMode) return;
  view_.stopAfter = t;
  host_.onEvents = [&s, &onStep] {
    if (s.ctl.Phase != LoopPhase::kStepWait || !s.ctl.WaitForStep) return;
    if (onStep) onStep(s);
    s.ctl.WaitForStep = false;
  };
  s.ctl.Requests.Quit = false;
  s.ctl.MatchRunning = true;
  Main(s);
  host_.onEvents = nullptr;
  // The stop asked for is not the window closing.
  s.ctl.Requests.Quit = false;
}

void ShadowReplay::Resume(const StudyCheckpoint& from) {
  Game& s = *game_;
  s.eng = from.eng;
  s.ctl = from.ctl;
  view_.memo = from.memo;
}

void ShadowReplay::Save(StudyCheckpoint& to) const {
  const Game& s = *game_;
  to.turn = s.eng.TurnNumber;
  to.eng = s.eng;
  to.ctl = s.ctl;
  to.memo = view_.memo;
}

}  // namespace dalu
