#include "coach/ask.h"

#include <algorithm>

#include "engine/twins.h"
#include "match/game.h"
#include "players/levels.h"
#include "players/think.h"
#include "util/host.h"

namespace dalu {

namespace {

// The host of a player asked for advice: no events are pumped (the question may be asked
// off the window's thread, where pumping the window's events would be wrong), no clock
// moves, nothing is shown.
class SilentHost final : public Host {
 public:
  uint32_t TickMs() override { return 0; }
  void ProcessEvents() override {}
  void WaitForEvents(int) override {}
  void ShowError(const std::string&) override {}
  void ShowInfo(const std::string&) override {}
};

}  // namespace

Advice AskPlayer(const Engine& position, int side, int level, const TwinMove& current,
                 const AskNoise& noise) {
  Advice a;
  if (side < 1 || side > 2 || level < 1 || level >= kLevelCount) return a;
  if (position.Boards[side].ChainCount > 0 || current.Colour1 < 1 || current.Colour2 < 1) {
    return a;
  }
  // The copy and the scratch are large; they live on the heap, never on a worker's stack.
  auto e = std::make_unique<Engine>(position);
  auto think = std::make_unique<ThinkState>();
  SilentHost host;
  e->PlayerLevel[side] = level;
  if (noise.Fixed >= 0) {
    think->FixedNoise = std::min<int32_t>(noise.Fixed, 9);
  } else {
    e->rng.Seed(noise.Seed);
  }
  const std::optional<TwinMove> chosen = ThinkMove(ThinkContext(*e, *think, host), side, current);
  if (!chosen) return a;
  a.Move = *chosen;

  // The table in the players' order, then best first; blocked placements score lowest.
  const int scored = think->ScoredCount;
  a.Emergency = scored == 0;
  if (!a.Emergency) {
    EnumeratePlacements(*e, 0, current.Colour1, current.Colour2);
    const int32_t* score = think->CandidateScore;
    std::vector<int> order;
    for (int i = 1; i <= scored; ++i) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [score](int x, int y) { return score[x] > score[y]; });
    for (int i : order) {
      const TwinMove& m = e->Placements[i];
      a.Table.push_back({m.Column, m.Rotation, score[i], score[i] == kNotScored});
    }
  }

  GhostCells(position, side, a.Move, a.LandColumn, a.LandRow);
  return a;
}

void GhostCells(const Engine& position, int side, const TwinMove& move, int32_t column[2],
                int32_t row[2]) {
  column[0] = column[1] = row[0] = row[1] = 0;
  if (side < 1 || side > 2 || move.Rotation < 0 || move.Rotation > 3) return;
  const int32_t second = move.Column + DX[move.Rotation];
  const int32_t W = position.FieldWidth;
  if (move.Column < 1 || move.Column > W || second < 1 || second > W) return;
  // LandingRows reads the work board; a copy of the side's board is all it needs.
  auto e = std::make_unique<Engine>();
  e->FieldWidth = position.FieldWidth;
  e->FieldHeight = position.FieldHeight;
  e->WorkBoard = position.Boards[side];
  LandingRows(*e, move);
  column[0] = move.Column;
  column[1] = second;
  row[0] = e->LandRow[1];
  row[1] = e->LandRow[2];
}

HintRequest TakeHintRequest(const Game& g, int side, int level) {
  HintRequest r;
  if (side < 1 || side > 2 || !g.ctl.MovesOpen) return r;
  if (g.eng.Boards[side].ChainCount > 0) return r;
  r.Position = std::make_shared<const Engine>(g.eng);
  r.Side = side;
  r.Level = level;
  r.Current = g.ctl.ShownTwin[side];
  r.Turn = g.eng.TurnNumber;
  return r;
}

Advice AnswerHint(const HintRequest& request) {
  if (!request.Valid()) return {};
  return AskPlayer(*request.Position, request.Side, request.Level, request.Current, {0, 1});
}

}  // namespace dalu
