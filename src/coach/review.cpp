#include "coach/review.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "coach/ask.h"
#include "coach/coach_texts.h"
#include "engine/field_canvas.h"
#include "engine/twins.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_loop.h"
#include "match/match_setup.h"
#include "match/shadow_replay.h"
#include "match/study.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {

// The frozen game a review works from: the record, the deal and the rules, copied once.
struct ReviewData {
  Engine eng;
  BattleRecord rec;
  Config cfg;
  RecordRules rules;
};

namespace {

// ---- Positions of the record ----

// What changes in the engine from turn to turn; the rules and the deal stay those of the
// record. Taken at the moment a turn's twins are handed out, before anyone moves.
struct TurnState {
  Board Boards[3];
  int32_t TwinIndex[3];
  bool SequenceSplit;
  int32_t ObstructQueueLen[3];
  int32_t ObstructQueueAmount[3][kQueueCapacity + 1];
  int32_t ObstructQueueTurn[3][kQueueCapacity + 1];
  int32_t VanishTally[3][kChainTableSize + 2];
  int32_t TurnNumber;
  TwinMove Handed[3];    // the twin each side was handed (column 4, rotation 0)
  TwinMove Recorded[3];  // the record's moves, with the handed colours
  bool Places[3];        // the side drops a twin (it is not chaining)
};

void CaptureTurn(const Game& s, TurnState& t) {
  const Engine& e = s.eng;
  std::copy(std::begin(e.Boards), std::end(e.Boards), t.Boards);
  std::copy(std::begin(e.TwinIndex), std::end(e.TwinIndex), t.TwinIndex);
  t.SequenceSplit = e.SequenceSplit;
  std::copy(std::begin(e.ObstructQueueLen), std::end(e.ObstructQueueLen), t.ObstructQueueLen);
  std::copy(&e.ObstructQueueAmount[0][0], &e.ObstructQueueAmount[0][0] + 3 * (kQueueCapacity + 1),
            &t.ObstructQueueAmount[0][0]);
  std::copy(&e.ObstructQueueTurn[0][0], &e.ObstructQueueTurn[0][0] + 3 * (kQueueCapacity + 1),
            &t.ObstructQueueTurn[0][0]);
  std::copy(&e.VanishTally[0][0], &e.VanishTally[0][0] + 3 * (kChainTableSize + 2),
            &t.VanishTally[0][0]);
  t.TurnNumber = e.TurnNumber;
  for (int p = 0; p <= 2; ++p) {
    t.Handed[p] = s.ctl.ShownTwin[p];
    t.Recorded[p] = s.ctl.TurnMove[p];
    t.Places[p] = p >= 1 && e.Boards[p].ChainCount == 0;
  }
}

// The engine at the moment turn t's twins are handed out: the record's rules and deal with
// the turn's state on top.
void PutTurn(const TurnState& t, Engine& e) {
  std::copy(std::begin(t.Boards), std::end(t.Boards), e.Boards);
  std::copy(std::begin(t.TwinIndex), std::end(t.TwinIndex), e.TwinIndex);
  e.SequenceSplit = t.SequenceSplit;
  std::copy(std::begin(t.ObstructQueueLen), std::end(t.ObstructQueueLen), e.ObstructQueueLen);
  std::copy(&t.ObstructQueueAmount[0][0], &t.ObstructQueueAmount[0][0] + 3 * (kQueueCapacity + 1),
            &e.ObstructQueueAmount[0][0]);
  std::copy(&t.ObstructQueueTurn[0][0], &t.ObstructQueueTurn[0][0] + 3 * (kQueueCapacity + 1),
            &e.ObstructQueueTurn[0][0]);
  std::copy(&t.VanishTally[0][0], &t.VanishTally[0][0] + 3 * (kChainTableSize + 2),
            &e.VanishTally[0][0]);
  e.TurnNumber = t.TurnNumber;
  e.LongChainReport[1] = e.LongChainReport[2] = 0;
  e.FallCount = 0;
}

// The record replayed once: the state at the start of every turn it plays, and the deal
// (the engine the replay started from, with the record's rules).
struct RecordPositions {
  std::unique_ptr<Engine> deal;
  std::vector<TurnState> turns;  // [i]: turn i + 1
  int32_t recordTwins[3] = {};   // twins of each side the record deals
};

// A game that holds the frozen record as if it had just been loaded.
std::unique_ptr<Game> LoadedCopy(const ReviewData& d, VirtualHost& host, NullCanvas& canvas,
                                 NullSound& sound) {
  auto g = std::make_unique<Game>(host, canvas, sound);
  g->eng = d.eng;
  g->rec = d.rec;
  g->cfg = d.cfg;
  g->ctl.StudyRules = d.rules;
  g->ctl.MatchReady = true;
  g->ctl.Record = RecordState::kLoaded;
  return g;
}

RecordPositions ReplayRecord(const ReviewData& d, int32_t upTo) {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  const std::unique_ptr<Game> loaded = LoadedCopy(d, host, canvas, sound);
  ShadowReplay replay(*loaded);
  RecordPositions r;
  r.deal = std::make_unique<Engine>(replay.game().eng);
  r.turns.reserve(static_cast<size_t>(std::max(upTo, 0)));
  replay.RunTo(upTo, [&r](Game& s) {
    r.turns.emplace_back();
    CaptureTurn(s, r.turns.back());
  });
  for (int p = 1; p <= 2; ++p) r.recordTwins[p] = SameDealTwins(*loaded, p);
  return r;
}

// ---- Seeds ----

uint64_t Mix(uint64_t x) {
  // SplitMix64's finaliser: nearby inputs give unrelated outputs.
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

// A playout's generators come from (seed, turn, playout number); twins and the players'
// random additions draw from two streams, so a variant that draws more additions than
// another still meets the same twins.
uint64_t PlayoutSeed(uint64_t seed, int32_t turn, int k, int stream) {
  return Mix(Mix(Mix(seed) ^ static_cast<uint64_t>(turn)) ^
             (static_cast<uint64_t>(k) << 8 | static_cast<uint64_t>(stream)));
}

// ---- Playouts ----

// One worker's game for playouts, reused from playout to playout: the real match loop on a
// virtual clock, no drawing, no sound, nothing saved.
class PlayoutRunner {
 public:
  PlayoutRunner() : game_(std::make_unique<Game>(host_, canvas_, sound_, view_)) {
    view_.game = game_.get();
  }

  struct Result {
    int halfPoints1;   // side 1's result: 2 a win, 1 a draw or no end, 0 a loss
    bool endedInTurn;  // a side was buried in the turn played with the given moves
  };

  // Plays turn t of the record with `moves` (for the sides that place a twin), then the
  // match on with `level` on both sides until a burial or the horizon.
  Result Play(const RecordPositions& rp, int32_t t, const TwinMove moves[3], int level,
              uint64_t seed, int k) {
    Game& g = *game_;
    Engine& e = g.eng;
    const TurnState& ts = rp.turns[static_cast<size_t>(t - 1)];
    e = *rp.deal;
    PutTurn(ts, e);
    // Back to the end of the turn before: the loop hands out turn t's twins itself.
    e.TurnNumber = t - 1;
    for (int p = 1; p <= 2; ++p) {
      if (ts.Places[p]) e.TwinIndex[p] -= 1;
    }
    // The record's twins, then twins of this playout's own.
    const int32_t lastTwin = std::min<int32_t>(t + kPlayoutHorizon + 3, kMaxDealtBeads / 2);
    e.rng.Seed(PlayoutSeed(seed, t, k, 0));
    for (int p = 1; p <= 2; ++p) e.FixedTwins[p] = rp.recordTwins[p];
    for (int32_t n = 1; n <= lastTwin; ++n) {
      for (int p = 1; p <= 2; ++p) GenerateTwin(e, p, n);
    }
    e.FixedTwins[1] = e.FixedTwins[2] = lastTwin;
    e.rng.Seed(PlayoutSeed(seed, t, k, 1));

    g.ctl = MatchControl{};
    g.ctl.AutoSave = false;
    g.ctl.MatchReady = true;
    g.think.FixedNoise = -1;
    // Turn t's moves come in as a keyboard side's would; the playout level takes over after.
    e.PlayerLevel[1] = e.PlayerLevel[2] = 0;
    view_.firstTurn = t;
    view_.lastTurn = t + kPlayoutHorizon;
    view_.level = level;
    host_.onEvents = [&g, &e, moves, t] {
      MatchControl& c = g.ctl;
      if (!c.MovesOpen || e.TurnNumber != t) return;
      const int p = c.InputSide;
      if (p != 1 && p != 2) return;
      c.TurnMove[p] = c.ShownTwin[p];
      c.TurnMove[p].Column = moves[p].Column;
      c.TurnMove[p].Rotation = moves[p].Rotation;
      c.InputSide = p + 1;
      if (p == 1) c.InputTwin = c.ShownTwin[2];
    };
    MMnotEnable(g);
    Main(g);
    host_.onEvents = nullptr;

    const bool b1 = IsBuried(e, 1);
    const bool b2 = IsBuried(e, 2);
    Result r;
    r.halfPoints1 = b1 == b2 ? 1 : b2 ? 2 : 0;
    r.endedInTurn = (b1 || b2) && e.TurnNumber == t;
    return r;
  }

 private:
  // Hands the sides to the playout level once the given turn is played, and ends the
  // playout at its horizon.
  class PlayoutView final : public QuietView {
   public:
    void TurnEnded(const Game&) override {
      Game& g = *game;
      if (g.eng.TurnNumber >= firstTurn) g.eng.PlayerLevel[1] = g.eng.PlayerLevel[2] = level;
      if (g.eng.TurnNumber >= lastTurn) g.ctl.MatchRunning = false;
    }
    Game* game = nullptr;  // the runner's game, which this view belongs to
    int32_t firstTurn = 0, lastTurn = 0;
    int level = 1;
  };

  VirtualHost host_;
  NullCanvas canvas_;
  NullSound sound_;
  PlayoutView view_;
  std::unique_ptr<Game> game_;
};

// ---- Work shared among threads ----

int JobCount(int jobs) {
  if (jobs > 0) return jobs;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

bool Cancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

// Progress of work done in several phases, reported as one count.
class ProgressCounter {
 public:
  ProgressCounter(const ReviewProgress& cb, int64_t total) : cb_(cb), total_(total) {}
  void Step() {
    const int64_t d = ++done_;
    if (!cb_) return;
    std::lock_guard lock(m_);
    cb_(d, total_);
  }

 private:
  const ReviewProgress& cb_;
  const int64_t total_;
  std::atomic<int64_t> done_{0};
  std::mutex m_;
};

// Runs item(i, runner) for i = 0..n-1 on `jobs` threads, each with a playout game of its
// own; items are taken in order, so the work is shared like the tournament's matches.
// Returns false when cancelled.
template <typename Item>
bool ForEachItem(int64_t n, int jobs, const std::atomic<bool>* cancel, Item item) {
  std::atomic<int64_t> next{0};
  auto worker = [&] {
    std::unique_ptr<PlayoutRunner> runner;
    for (;;) {
      if (Cancelled(cancel)) return;
      const int64_t i = next++;
      if (i >= n) return;
      if (!runner) runner = std::make_unique<PlayoutRunner>();
      item(i, *runner);
    }
  };
  const int threads = static_cast<int>(std::min<int64_t>(JobCount(jobs), std::max<int64_t>(n, 1)));
  if (threads <= 1) {
    worker();
  } else {
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(worker);
    for (std::thread& t : pool) t.join();
  }
  return !Cancelled(cancel);
}

// The review level's choice for side p at the start of turn t.
TwinMove BestMove(const RecordPositions& rp, const TurnState& ts, int p, int level) {
  auto e = std::make_unique<Engine>(*rp.deal);
  PutTurn(ts, *e);
  // A twin the record does not hold yet is dealt as live play would, from a fixed seed.
  e->rng.Seed(Mix(static_cast<uint64_t>(ts.TurnNumber)));
  for (int q = 1; q <= 2; ++q) {
    const int32_t n = e->TwinIndex[q] + 1;
    if (ts.Places[q] && 2 * n <= kMaxDealtBeads && e->TwinSequence[q][2 * n] == 0) {
      GenerateTwin(*e, q, n);
    }
  }
  const Advice a = AskPlayer(*e, p, level, ts.Handed[p], {0, 1});
  TwinMove m = ts.Handed[p];
  m.Column = a.Move.Column;
  m.Rotation = a.Move.Rotation;
  return m;
}

bool SamePlace(const TwinMove& a, const TwinMove& b) {
  return a.Column == b.Column && a.Rotation == b.Rotation;
}

bool FitsField(const Engine& e, const TwinMove& m) {
  if (m.Rotation < 0 || m.Rotation > 3) return false;
  const int second = m.Column + DX[m.Rotation];
  return m.Column >= 1 && m.Column <= e.FieldWidth && second >= 1 && second <= e.FieldWidth;
}

int ClampedPlayouts(int k) {
  return std::clamp(k, 1, 10000);
}

// Side p's share of side-1 half points summed over K playouts, as a chance.
double ChanceOf(int p, int64_t halfPoints1, int k) {
  const double c1 = static_cast<double>(halfPoints1) / (2.0 * k);
  return p == 1 ? c1 : 1.0 - c1;
}

}  // namespace

// ---- Source ----

ReviewSource TakeReviewSource(const Game& g) {
  ReviewSource s;
  auto d = std::make_shared<ReviewData>();
  // A loaded record can be taken while its replay runs: the replay changes neither the
  // record nor the deal.
  if (CanStudy(g)) {
    d->eng = g.eng;
    d->rec = g.rec;
    d->cfg = g.cfg;
    d->rules = g.ctl.StudyRules;
    s.LastTurn = LastTurn(g);
  } else if (g.ctl.MatchReady && !g.ctl.LoopActive && g.eng.TurnNumber > 0 && !g.ctl.ReplayMode) {
    // The match played here: its moves so far, its deal and the engine's rules.
    const Engine& e = g.eng;
    d->eng = e;
    d->rec = g.rec;
    d->cfg = g.cfg;
    const int32_t turns = std::min<int32_t>(e.TurnNumber, kMaxTurns);
    d->rec.RecTurns = turns;
    d->rec.RecEndReason = g.ctl.EndReason.empty() ? "Halt" : g.ctl.EndReason;
    d->rules = RulesOf(e);
    s.LastTurn = turns;
  } else {
    return s;
  }
  // Comments play no part in a review; the copy need not carry them.
  for (int i = 0; i <= kMaxCommentIndex; ++i) {
    d->rec.CommentCount[i] = 0;
    for (std::string& line : d->rec.CommentText[i]) line.clear();
  }
  s.Data = std::move(d);
  return s;
}

// ---- The review ----

ReviewResult Review(const ReviewSource& source, const ReviewParams& params,
                    const ReviewProgress& progress, const std::atomic<bool>* cancel) {
  ReviewResult result;
  if (!source.Valid()) return result;
  const RecordPositions rp = ReplayRecord(*source.Data, source.LastTurn);
  const int32_t turns = static_cast<int32_t>(rp.turns.size());
  const int K = ClampedPlayouts(params.Playouts);

  // 1. The review level's choice for every move (one work item per side and turn).
  std::vector<TwinMove> best(static_cast<size_t>(2 * turns));
  std::vector<int64_t> bestItems;
  for (int32_t i = 0; i < turns; ++i) {
    for (int p = 1; p <= 2; ++p) {
      if (rp.turns[static_cast<size_t>(i)].Places[p]) bestItems.push_back(2 * i + (p - 1));
    }
  }
  ProgressCounter counter(progress,
                          static_cast<int64_t>(bestItems.size()) + static_cast<int64_t>(turns) * K);
  bool going = ForEachItem(static_cast<int64_t>(bestItems.size()), params.Jobs, cancel,
                           [&](int64_t j, PlayoutRunner&) {
                             const int64_t item = bestItems[static_cast<size_t>(j)];
                             const TurnState& ts = rp.turns[static_cast<size_t>(item / 2)];
                             const int p = static_cast<int>(item % 2) + 1;
                             best[static_cast<size_t>(item)] = BestMove(rp, ts, p, params.Level);
                             counter.Step();
                           });

  // 2. The playouts: for turn t and playout k, the turn as played and, for each side whose
  // move differs from BEST, the turn with BEST, all on the same seeds.
  struct Outcome {
    int8_t played = 0, best1 = 0, best2 = 0;
    bool ended = false;
  };
  std::vector<Outcome> outcomes(static_cast<size_t>(turns) * K);
  if (going) {
    going = ForEachItem(
        static_cast<int64_t>(turns) * K, params.Jobs, cancel,
        [&](int64_t j, PlayoutRunner& runner) {
          const int32_t t = static_cast<int32_t>(j / K) + 1;
          const int k = static_cast<int>(j % K);
          const TurnState& ts = rp.turns[static_cast<size_t>(t - 1)];
          Outcome& o = outcomes[static_cast<size_t>(j)];
          const PlayoutRunner::Result played =
              runner.Play(rp, t, ts.Recorded, params.PlayoutLevel, params.Seed, k);
          o.played = static_cast<int8_t>(played.halfPoints1);
          o.ended = played.endedInTurn;
          o.best1 = o.best2 = o.played;
          for (int p = 1; p <= 2; ++p) {
            const TwinMove& b = best[static_cast<size_t>(2 * (t - 1) + p - 1)];
            if (!ts.Places[p] || SamePlace(b, ts.Recorded[p])) continue;
            TwinMove moves[3] = {ts.Recorded[0], ts.Recorded[1], ts.Recorded[2]};
            moves[p] = b;
            const int h =
                runner.Play(rp, t, moves, params.PlayoutLevel, params.Seed, k).halfPoints1;
            (p == 1 ? o.best1 : o.best2) = static_cast<int8_t>(h);
          }
          counter.Step();
        });
  }
  if (!going) {
    result.Cancelled = true;
    return result;
  }

  // 3. The sums, in turn and playout order.
  for (int32_t t = 1; t <= turns; ++t) {
    const TurnState& ts = rp.turns[static_cast<size_t>(t - 1)];
    int64_t played = 0, bestSum[3] = {};
    bool ended = false;
    for (int k = 0; k < K; ++k) {
      const Outcome& o = outcomes[static_cast<size_t>(t - 1) * K + k];
      played += o.played;
      bestSum[1] += o.best1;
      bestSum[2] += o.best2;
      ended = ended || o.ended;
    }
    ReviewTurn rt;
    rt.Turn = t;
    rt.Chance1 = ChanceOf(1, played, K);
    rt.Burial = ended;
    for (int p = 1; p <= 2; ++p) {
      ReviewSide& s = rt.Side[p];
      s.Placed = ts.Places[p];
      s.Chance = ChanceOf(p, played, K);
      s.BestChance = s.Chance;
      if (!s.Placed) continue;
      s.Move = ts.Recorded[p];
      s.Best = best[static_cast<size_t>(2 * (t - 1) + p - 1)];
      if (SamePlace(s.Move, s.Best)) continue;
      s.BestChance = ChanceOf(p, bestSum[p], K);
      // Counted in half points for side p, so a loss is an exact multiple of 1/(2K).
      const int64_t lossHalf = p == 1 ? bestSum[1] - played : played - bestSum[2];
      if (lossHalf <= 0) continue;
      s.Loss = static_cast<double>(lossHalf) / (2.0 * K);
      s.Mark = MarkForLoss(s.Loss);
    }
    result.Turns.push_back(rt);
  }
  return result;
}

// ---- Try again ----

TryAgainResult TryAgain(const ReviewSource& source, const ReviewParams& params, int32_t turn,
                        int side, const TwinMove& move, const ReviewProgress& progress,
                        const std::atomic<bool>* cancel) {
  TryAgainResult r;
  if (!source.Valid() || side < 1 || side > 2 || turn < 1 || turn > source.LastTurn) return r;
  const RecordPositions rp = ReplayRecord(*source.Data, turn);
  if (static_cast<int32_t>(rp.turns.size()) < turn) return r;
  const TurnState& ts = rp.turns[static_cast<size_t>(turn - 1)];
  if (!ts.Places[side] || !FitsField(*rp.deal, move)) return r;
  r.Valid = true;
  r.Best = BestMove(rp, ts, side, params.Level);
  const int K = ClampedPlayouts(params.Playouts);

  TwinMove tried = ts.Handed[side];
  tried.Column = move.Column;
  tried.Rotation = move.Rotation;
  const TwinMove* variants[3] = {&ts.Recorded[side], &r.Best, &tried};
  std::vector<int8_t> half(static_cast<size_t>(3 * K));
  ProgressCounter counter(progress, K);
  const bool going = ForEachItem(K, params.Jobs, cancel, [&](int64_t k, PlayoutRunner& runner) {
    for (int v = 0; v < 3; ++v) {
      TwinMove moves[3] = {ts.Recorded[0], ts.Recorded[1], ts.Recorded[2]};
      moves[side] = *variants[v];
      half[static_cast<size_t>(3 * k + v)] = static_cast<int8_t>(
          runner.Play(rp, turn, moves, params.PlayoutLevel, params.Seed, static_cast<int>(k))
              .halfPoints1);
    }
    counter.Step();
  });
  if (!going) {
    r.Cancelled = true;
    return r;
  }
  int64_t sum[3] = {};
  for (int k = 0; k < K; ++k) {
    for (int v = 0; v < 3; ++v) sum[v] += half[static_cast<size_t>(3 * k + v)];
  }
  r.RecordedChance = ChanceOf(side, sum[0], K);
  r.BestChance =
      SamePlace(r.Best, ts.Recorded[side]) ? r.RecordedChance : ChanceOf(side, sum[1], K);
  r.NewChance = ChanceOf(side, sum[2], K);
  return r;
}

TurnPosition PositionBeforeTurn(const ReviewSource& source, int32_t turn) {
  TurnPosition pos;
  if (!source.Valid() || turn < 1 || turn > source.LastTurn) return pos;
  const RecordPositions rp = ReplayRecord(*source.Data, turn);
  if (static_cast<int32_t>(rp.turns.size()) < turn) return pos;
  const TurnState& ts = rp.turns[static_cast<size_t>(turn - 1)];
  auto e = std::make_shared<Engine>(*rp.deal);
  PutTurn(ts, *e);
  pos.Position = std::move(e);
  for (int p = 1; p <= 2; ++p) {
    pos.Handed[p] = ts.Handed[p];
    pos.Places[p] = ts.Places[p];
  }
  return pos;
}

// ---- Texts ----

const char* MarkText(ReviewMark mark) {
  switch (mark) {
    case ReviewMark::kDubious:
      return "?";
    case ReviewMark::kMistake:
      return "??";
    case ReviewMark::kOk:
      break;
  }
  return "ok";
}

ReviewMark MarkForLoss(double loss) {
  // A loss is a multiple of 1/(2K); the small allowance keeps 0.1 itself a "?".
  if (loss >= kMistakeLoss - 1e-9) return ReviewMark::kMistake;
  if (loss >= kDubiousLoss - 1e-9) return ReviewMark::kDubious;
  return ReviewMark::kOk;
}

std::string ReviewLine(const ReviewTurn& t) {
  char chance[16];
  std::snprintf(chance, sizeof chance, "%.3f", t.Chance1);
  std::string line = "turn " + std::to_string(t.Turn) + " chance " + chance;
  for (int p = 1; p <= 2; ++p) {
    const ReviewSide& s = t.Side[p];
    char loss[16];
    std::snprintf(loss, sizeof loss, "%.3f", s.Loss);
    line += " side" + std::to_string(p) + " " +
            MoveField(s.Placed, s.Move.Column, s.Move.Rotation) + " " +
            MoveField(s.Placed, s.Best.Column, s.Best.Rotation) + " " + loss + " " +
            MarkText(s.Mark);
  }
  return line;
}

int32_t NextMarkedTurn(const ReviewResult& r, int side, int32_t afterTurn) {
  if (side < 1 || side > 2) return -1;
  for (const ReviewTurn& t : r.Turns) {
    if (t.Turn > afterTurn && t.Side[side].Mark != ReviewMark::kOk) return t.Turn;
  }
  return -1;
}

}  // namespace dalu
