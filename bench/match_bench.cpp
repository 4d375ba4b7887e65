// The match loop, headless: whole matches between computer levels per second, and the
// loop's own work per turn apart from the players' thinking (a recorded match replayed,
// with the null canvas and the virtual clock).
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/field_canvas.h"
#include "match/game.h"
#include "match/match_commands.h"
#include "match/match_setup.h"
#include "match/replay.h"
#include "match/study.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

struct Headless {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
};

// One whole match of level L against itself per iteration, cycling through eight seeds.
void BM_Match(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  int64_t turns = 0;
  uint64_t seed = 1;
  for (auto _ : state) {
    Headless h;
    h.g->ctl.AutoSave = false;
    h.g->eng.rng.Seed(seed);
    seed = seed % 8 + 1;
    StartMatch(*h.g, level, level);
    turns += h.g->eng.TurnNumber;
  }
  state.SetItemsProcessed(state.iterations());  // items: matches
  state.counters["turns/match"] =
      benchmark::Counter(static_cast<double>(turns) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Match)->Arg(1)->Arg(5)->Arg(7)->Arg(9)->Unit(benchmark::kMillisecond);

// The loop's own work: a 5-5 match is played once, then replayed from memory without
// waiting, over and over. A replayed turn does everything a live one does except think.
void BM_LoopTurn(benchmark::State& state) {
  Headless h;
  Game& g = *h.g;
  g.ctl.AutoSave = false;
  g.eng.rng.Seed(3);
  StartMatch(g, 5, 5);
  g.rec.RecTurns = g.eng.TurnNumber;
  g.rec.RecEndReason = "Buried";
  h.host.onEvents = [&g] {
    if (g.ctl.StepWaitActive) TailClick(g);
  };
  int64_t turns = 0;
  for (auto _ : state) {
    StartReplay(g, false);
    turns += g.eng.TurnNumber;
  }
  state.SetItemsProcessed(turns);  // items: turns
  // CPU seconds per turn.
  state.counters["per_turn"] = benchmark::Counter(
      static_cast<double>(turns), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoopTurn)->Unit(benchmark::kMicrosecond);

// Going to turn 1000 of a 1000-turn record (two "No Attack" sides run to the turn limit),
// the record loaded and its replay ended at turn 0. Arg 0: every jump the first since the
// load, which replays all 1000 turns and saves a position every 64 of them on the way.
// Arg 1: later jumps, which start from the position saved after turn 960.
void BM_JumpToTurn1000(benchmark::State& state) {
  const bool saved = state.range(0) != 0;
  Headless h;
  Game& g = *h.g;
  g.ctl.AutoSave = false;
  g.eng.rng.Seed(3);
  StartMatch(g, 1, 1);
  g.rec.RecTurns = g.eng.TurnNumber;
  g.rec.RecEndReason = "Halt";
  h.host.onEvents = [&g] {
    if (g.ctl.StepWaitActive) EndReplayClick(g);
  };
  StartReplay(g, false);
  h.host.onEvents = nullptr;
  RebuildPosition(g, 1000);
  for (auto _ : state) {
    if (!saved) {
      state.PauseTiming();
      g.checkpoints.saved.clear();
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(RebuildPosition(g, 1000));
  }
  state.counters["turn"] = benchmark::Counter(g.eng.TurnNumber);
}
BENCHMARK(BM_JumpToTurn1000)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace dalu

BENCHMARK_MAIN();
