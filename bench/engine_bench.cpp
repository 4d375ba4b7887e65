// Chain resolution and gravity on representative boards. Every iteration copies the board
// into the work board first, as the computer players do for each trial.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/chain.h"
#include "engine/field_canvas.h"
#include "engine/twins.h"

namespace dalu {
namespace {

void SetRows(Engine& e, const std::vector<std::string>& rows) {
  Board& b = e.Boards[1];
  const int n = static_cast<int>(rows.size());
  for (int i = 0; i < n; ++i)
    for (int x = 1; x <= static_cast<int>(rows[i].size()); ++x) {
      const char ch = rows[i][x - 1];
      b.Cells[x][n - i] = ch == '.' ? kEmpty : ch == 'X' ? kObstruct : ch - '0';
    }
}

Engine& Fresh() {
  static Engine e;
  NullCanvas cv;
  e.ConstSet();
  InitBoards(e, cv);
  return e;
}

// Bottom rows of a board halfway through a match.
const std::vector<std::string> kMidGame = {
    "3......", "21..3..", "142.41.", "3313213", "2441412", "1231324",
};

// A position in which twin 4-3 below, pivot in column 6, fires five chain steps.
const std::vector<std::string> kFiveChain = {
    "..3.2..", "..2.4.2", "..213.2", "..212.4", "2.123.1",
    "3313313", "3441412", "2221324", "1314441",
};

void BM_ResolveQuietOnNearlyEmpty(benchmark::State& state) {
  Engine& e = Fresh();
  SetRows(e, {"12....."});
  const TwinMove m{3, 4, 4, 0, 0};
  for (auto _ : state) {
    e.WorkBoard = e.Boards[1];
    ResolveChains(e, m, 2);
    benchmark::DoNotOptimize(e.WorkBoard.ResultObstruct);
  }
}
BENCHMARK(BM_ResolveQuietOnNearlyEmpty);

void BM_ResolveEveryPlacementMidGame(benchmark::State& state) {
  Engine& e = Fresh();
  SetRows(e, kMidGame);
  EnumeratePlacements(e, 0, 1, 2);
  int i = 0;
  for (auto _ : state) {
    e.WorkBoard = e.Boards[1];
    ResolveChains(e, e.Placements[1 + i], 2);
    benchmark::DoNotOptimize(e.WorkBoard.ResultObstruct);
    i = (i + 1) % e.PlacementCount;
  }
  state.SetLabel("per placement, 26 placements in turn");
}
BENCHMARK(BM_ResolveEveryPlacementMidGame);

void BM_ResolveFiveStepChain(benchmark::State& state) {
  Engine& e = Fresh();
  SetRows(e, kFiveChain);
  const TwinMove m{4, 3, 6, 2, 0};
  for (auto _ : state) {
    e.WorkBoard = e.Boards[1];
    ResolveChains(e, m, 2);
    benchmark::DoNotOptimize(e.WorkBoard.ResultObstruct);
  }
  if (e.WorkBoard.ResultChains != 5) state.SkipWithError("the position no longer fires 5 steps");
}
BENCHMARK(BM_ResolveFiveStepChain);

void BM_ApplyGravity(benchmark::State& state) {
  Engine& e = Fresh();
  SetRows(e, {"1212121", "3434343", ".......", "2121212", ".......", "4343434"});
  for (auto _ : state) {
    e.WorkBoard = e.Boards[1];
    e.FallCount = 0;
    ApplyGravity(e);
    benchmark::DoNotOptimize(e.FallCount);
  }
  state.SetLabel("21 beads fall, copy included");
}
BENCHMARK(BM_ApplyGravity);

void BM_EnumerateLandAndBlock(benchmark::State& state) {
  Engine& e = Fresh();
  SetRows(e, kMidGame);
  e.WorkBoard = e.Boards[1];
  for (auto _ : state) {
    EnumeratePlacements(e, 0, 1, 2);
    int open = 0;
    for (int i = 1; i <= e.PlacementCount; ++i) {
      if (IsBlocked(e, e.Boards[1], e.Placements[i])) continue;
      LandingRows(e, e.Placements[i]);
      open += e.LandRow[1];
    }
    benchmark::DoNotOptimize(open);
  }
  state.SetLabel("26 placements listed, checked and landed");
}
BENCHMARK(BM_EnumerateLandAndBlock);

}  // namespace
}  // namespace dalu

BENCHMARK_MAIN();
