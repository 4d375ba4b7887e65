#include "match/study.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/field_draw.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "match/shadow_replay.h"
#include "match/status_line.h"
#include "match/steering.h"
#include "util/text.h"

namespace dalu {

bool CanStudy(const Game& g) {
  return g.ctl.Record != RecordState::kLive && g.ctl.MatchReady && !g.ctl.Requests.Quit;
}

int32_t LastTurn(const Game& g) {
  // A live match's record ends with the turns played so far.
  const int32_t t = g.ctl.Record == RecordState::kLive ? ShownTurn(g) : g.rec.RecTurns;
  return std::clamp<int32_t>(t, 0, kMaxTurns);
}

int32_t ShownTurn(const Game& g) {
  const int32_t t = g.eng.TurnNumber;
  return g.ctl.InTurn() ? t - 1 : t;
}

int32_t StudyTurn(const Game& g) {
  return g.ctl.Requests.Jump ? g.ctl.Requests.JumpTarget : ShownTurn(g);
}

bool GoToTurn(Game& g, int32_t t) {
  MatchControl& ctl = g.ctl;
  if (!CanStudy(g)) return false;
  ctl.Requests.JumpTarget = std::clamp<int32_t>(t, 0, LastTurn(g));
  ctl.Requests.Jump = true;
  if (ctl.InLoop()) {
    // The loop acts at its next step wait (at once if it waits now), or when it returns.
    ctl.FastReplay = false;
    ctl.WaitForStep = false;
    return true;
  }
  Main(g);  // takes the jump first, then replays on from there
  return true;
}

void StepBack(Game& g) {
  if (CanStudy(g)) GoToTurn(g, StudyTurn(g) - 1);
}

void GoToFirst(Game& g) {
  GoToTurn(g, 0);
}

void GoToLast(Game& g) {
  GoToTurn(g, LastTurn(g));
}

void StepForward(Game& g) {
  const MatchControl& ctl = g.ctl;
  if (!CanStudy(g)) return;
  if (ctl.Phase == LoopPhase::kStepWait && !ctl.Requests.Jump) {
    NextStepClick(g);
    return;
  }
  // After the end nothing follows; going there again would only redraw it.
  if (!ctl.InLoop() && !ctl.ReplayMode && StudyTurn(g) >= LastTurn(g)) return;
  GoToTurn(g, StudyTurn(g) + 1);
}

namespace {

// A running fingerprint of 32-bit values and texts. Each step is a bijection of the state,
// so a single changed value always changes the result.
class InputPrint {
 public:
  void Add(int64_t v) {
    h_ = (h_ ^ static_cast<uint64_t>(v)) * 0x9E3779B97F4A7C15ull;
    h_ ^= h_ >> 29;
  }
  void Add(const std::string& text) {
    Add(static_cast<int64_t>(text.size()));
    for (const char c : text) Add(static_cast<unsigned char>(c));
  }
  template <size_t N>
  void Add(const int32_t (&values)[N]) {
    for (const int32_t v : values) Add(v);
  }
  uint64_t value() const { return h_; }

 private:
  uint64_t h_ = 0x6A09E667F3BCC908ull;
};

void AddTwin(InputPrint& print, const Engine& e, int32_t n) {
  for (int p = 1; p <= 2; ++p) {
    for (int32_t bead = 2 * n - 1; bead <= 2 * n; ++bead) {
      print.Add(bead >= 1 && bead <= kSequenceBeads ? e.TwinSequence[p][bead] : 0);
    }
  }
}

// What the silent replay of the record reads up to each checkpoint turn: entry k - 1 for
// turn k * kCheckpointTurns, k = 1..count. Turn t reads its moves, the comments written
// after turn t - 1 and twins up to t + 2 of each side; the rules, the players' names, the
// record's length and end, and the configuration (the memo's language, the beads' speeds
// on the engine's fall list) count for every turn.
std::vector<uint64_t> CheckpointInputs(const Game& g, int32_t count) {
  const RecordRules& r = g.ctl.StudyRules;
  const BattleRecord& rec = g.rec;
  InputPrint print;
  print.Add(r.FieldWidth);
  print.Add(r.FieldHeight);
  print.Add(r.ColourCount);
  print.Add(r.VanishCount);
  print.Add(r.ObstructRate);
  print.Add(r.ChainBonus);
  print.Add(r.ChainRate);
  print.Add(r.ColourImage);
  print.Add(rec.RecPlayerName[1]);
  print.Add(rec.RecPlayerName[2]);
  print.Add(rec.RecTurns);
  print.Add(rec.RecEndReason);
  print.Add(g.cfg.Cfg);
  print.Add(g.cfg.EnglishUI ? 1 : 0);
  for (int32_t n = 1; n <= 3; ++n) AddTwin(print, g.eng, n);

  std::vector<uint64_t> inputs;
  const int32_t last = count * kCheckpointTurns;
  for (int32_t t = 1; t <= last; ++t) {
    for (int p = 1; p <= 2; ++p) {
      print.Add(rec.TurnRecord[t][p].Column);
      print.Add(rec.TurnRecord[t][p].Rotation);
    }
    const int32_t comments = rec.CommentCount[t - 1];
    print.Add(comments);
    for (int j = 1; j <= std::min<int32_t>(comments, kCommentsPerIndex); ++j) {
      print.Add(rec.CommentText[t - 1][j]);
    }
    AddTwin(print, g.eng, t + 3);
    if (t % kCheckpointTurns == 0) inputs.push_back(print.value());
  }
  return inputs;
}

// Replays to the end of turn target, from the latest saved position before it that the
// record still matches, saving the positions it passes.
void ReplayTo(Game& g, ShadowReplay& shadow, int32_t target) {
  const int32_t count = target / kCheckpointTurns;
  if (count > 0) {
    const std::vector<uint64_t> inputs = CheckpointInputs(g, count);
    std::vector<std::unique_ptr<StudyCheckpoint>>& saved = g.checkpoints.saved;
    if (saved.size() < static_cast<size_t>(count)) saved.resize(static_cast<size_t>(count));
    auto usable = [&](int32_t k) {
      const StudyCheckpoint* c = saved[static_cast<size_t>(k - 1)].get();
      return c && c->inputs == inputs[static_cast<size_t>(k - 1)];
    };
    int32_t k = count;
    while (k > 0 && !usable(k)) --k;
    if (k > 0) shadow.Resume(*saved[static_cast<size_t>(k - 1)]);
    for (++k; k <= count; ++k) {
      const int32_t turn = k * kCheckpointTurns;
      shadow.RunTo(turn);
      const Game& s = shadow.game();
      // A replay that ended (a burial, a damaged record) has nothing after it to save.
      if (s.eng.TurnNumber != turn || !s.ctl.ReplayMode || !s.ctl.MatchRunning) return;
      std::unique_ptr<StudyCheckpoint>& slot = saved[static_cast<size_t>(k - 1)];
      if (!slot) slot = std::make_unique<StudyCheckpoint>();
      shadow.Save(*slot);
      slot->inputs = inputs[static_cast<size_t>(k - 1)];
    }
  }
  shadow.RunTo(target);
}

}  // namespace

void KeepRecordRules(Game& g) {
  // A new record: the positions saved from the last one go.
  g.checkpoints.saved.clear();
  g.ctl.StudyRules = RulesOf(g.eng);
}

RecordRules RulesOf(const Engine& e) {
  RecordRules r;
  r.FieldWidth = e.FieldWidth;
  r.FieldHeight = e.FieldHeight;
  r.ColourCount = e.ColourCount;
  r.VanishCount = e.VanishCount;
  std::copy(std::begin(e.ObstructRate), std::end(e.ObstructRate), r.ObstructRate);
  std::copy(std::begin(e.ChainBonus), std::end(e.ChainBonus), r.ChainBonus);
  std::copy(std::begin(e.ChainRate), std::end(e.ChainRate), r.ChainRate);
  std::copy(std::begin(e.ColourImage), std::end(e.ColourImage), r.ColourImage);
  return r;
}

void ApplyRecordRules(const RecordRules& r, Engine& e) {
  e.FieldWidth = r.FieldWidth;
  e.FieldHeight = r.FieldHeight;
  e.ColourCount = r.ColourCount;
  e.VanishCount = r.VanishCount;
  std::copy(std::begin(r.ObstructRate), std::end(r.ObstructRate), e.ObstructRate);
  std::copy(std::begin(r.ChainBonus), std::end(r.ChainBonus), e.ChainBonus);
  std::copy(std::begin(r.ChainRate), std::end(r.ChainRate), e.ChainRate);
  std::copy(std::begin(r.ColourImage), std::end(r.ColourImage), e.ColourImage);
}

bool RebuildPosition(Game& g, int32_t t) {
  Engine& e = g.eng;
  MatchControl& ctl = g.ctl;
  const int32_t target = std::clamp<int32_t>(t, 0, LastTurn(g));

  ShadowReplay shadow(g);
  ReplayTo(g, shadow, target);
  const Game& s = shadow.game();

  // The position. The random generator is the game's own: a replay draws nothing from it,
  // so it stands where a straight replay would have left it. The levels are the selectors'.
  const bool sizeChanged = e.FieldWidth != s.eng.FieldWidth || e.FieldHeight != s.eng.FieldHeight;
  const Rng rng = e.rng;
  int32_t levels[3];
  std::copy(std::begin(e.PlayerLevel), std::end(e.PlayerLevel), levels);
  e = s.eng;
  e.rng = rng;
  std::copy(std::begin(levels), std::end(levels), e.PlayerLevel);

  for (int p = 1; p <= 2; ++p) {
    ctl.ShownTwin[p] = s.ctl.ShownTwin[p];
    ctl.TurnMove[p] = s.ctl.TurnMove[p];
  }
  ctl.ReplayMode = s.ctl.ReplayMode;
  ctl.Tally = s.ctl.Tally;
  ctl.EndReason = s.ctl.EndReason;
  ctl.WaitForStep = false;
  ctl.Requests.EndReplay = false;
  if (ctl.InLoop()) ctl.Phase = LoopPhase::kBetweenTurns;
  ctl.InputSide = 3;
  ctl.PendingKey = 0;
  ctl.MatchReady = true;

  g.view.ClearMemo();
  for (const std::string& line : shadow.memo()) g.view.AddMemoLine(line);
  if (sizeChanged) g.view.RebuildBackground();
  DrawPosition(e, g.canvas);
  g.canvas.Present();
  return ctl.ReplayMode;
}

void ApplyRequestedJump(Game& g) {
  MatchControl& ctl = g.ctl;
  ctl.Requests.Jump = false;
  if (!CanStudy(g)) return;
  const bool goesOn = RebuildPosition(g, ctl.Requests.JumpTarget);
  g.view.EnableReplayButtons(true);
  FormTitle(g);
  if (goesOn) {
    MMnotEnable(g);
  } else {
    MMEnable(g);
  }
  ShowStatus(g);
  g.view.PositionRebuilt(g);
}

// ---- Replay keys ----

namespace {

// Arrows and Home/End, as in any list or player: a player guesses them without the menu.
constexpr ReplayKey kKeys[kReplayKeyCount] = {
    {vk::kLeft, StudyAction::kStepBack, "Step back(B)", "一手戻る(B)", "Left"},
    {vk::kRight, StudyAction::kStepForward, "Step forward(F)", "一手進む(F)", "Right"},
    {vk::kHome, StudyAction::kFirst, "First turn(T)", "最初へ(T)", "Home"},
    {vk::kEnd, StudyAction::kLast, "Last turn(E)", "最後へ(E)", "End"},
};

}  // namespace

const ReplayKey* ReplayKeys() {
  return kKeys;
}

std::string ReplayKeyCaption(int i, bool english) {
  if (i < 0 || i >= kReplayKeyCount) return {};
  return english ? std::string(kKeys[i].english) : Utf8ToCp932(kKeys[i].japaneseUtf8);
}

void RunStudyAction(Game& g, StudyAction action) {
  switch (action) {
    case StudyAction::kStepBack:
      StepBack(g);
      break;
    case StudyAction::kStepForward:
      StepForward(g);
      break;
    case StudyAction::kFirst:
      GoToFirst(g);
      break;
    case StudyAction::kLast:
      GoToLast(g);
      break;
  }
}

bool ReplayKeyDown(Game& g, int virtualKey) {
  const MatchControl& ctl = g.ctl;
  if (!CanStudy(g) || (ctl.MatchRunning && !ctl.ReplayMode)) return false;
  for (const ReplayKey& k : kKeys) {
    if (k.virtualKey != virtualKey) continue;
    RunStudyAction(g, k.action);
    return true;
  }
  return false;
}

}  // namespace dalu
