// Decision time of every computer level on fixed positions from seeded computer matches.
//
// The positions come from a small self-play driver below (twins from GenerateTwin with fixed
// seeds, moves from ThinkMove, resolved at once on copies of the boards, a plain obstruct
// exchange), so every run measures the same positions. For each level 1..9 every position
// is decided in three passes over all positions, each time from the same state; the fastest
// of the three is that position's time (CPU time of the thread, so time spent descheduled
// on a shared machine does not count). The table gives the median and the maximum per level
// and the number of heap allocations made inside all the timed decisions, counted by the
// operator new below.
//
// Before each level's passes, and once at the end, the engine's own cost is measured the same
// way: one placement resolved on a board halfway through a match (every placement of a twin in
// turn, board copy included, as engine_bench's BM_ResolveEveryPlacementMidGame does); the
// lowest of these measurements counts. The median and the maximum are also given as multiples
// of it, which this machine's changing load and clock move less than the times themselves.
// After the table the usual Google Benchmark runs follow (one benchmark per level, each
// iteration one decision, cycling through the positions).
//
//   build/bench/players_bench                     table, then the benchmarks
//   build/bench/players_bench --table-only        table only
//   build/bench/players_bench --table-only --level=9   one level of the table
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "engine/chain.h"
#include "engine/engine.h"
#include "engine/field_canvas.h"
#include "engine/twins.h"
#include "match/game.h"
#include "match/match_loop.h"
#include "players/levels.h"
#include "players/think.h"
#include "util/host.h"
#include "util/sound.h"

// ---- Heap allocation counter -------------------------------------------------------------

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
}  // namespace

// The replacements pair malloc with free; GCC cannot see that through the names.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

using namespace dalu;

// ---- Self-play driver --------------------------------------------------------------------

struct Position {
  Engine eng;  // the whole engine state at the moment the side is asked
  int side;
  TwinMove current;
};

struct World {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
};

// Queues points against side p, offsetting them first against what p itself has queued.
void SendObstruct(Engine& e, int from, int points, int chains) {
  const int to = 3 - from;
  // Offset against the sender's own queue, oldest first.
  while (points > 0 && e.ObstructQueueLen[from] > 0) {
    int32_t& first = e.ObstructQueueAmount[from][1];
    const int used = std::min<int>(first, points);
    first -= used;
    points -= used;
    if (first == 0) {
      for (int k = 1; k < e.ObstructQueueLen[from]; ++k) {
        e.ObstructQueueAmount[from][k] = e.ObstructQueueAmount[from][k + 1];
        e.ObstructQueueTurn[from][k] = e.ObstructQueueTurn[from][k + 1];
      }
      --e.ObstructQueueLen[from];
    }
  }
  if (points > 0 && e.ObstructQueueLen[to] < kQueueCapacity) {
    const int k = ++e.ObstructQueueLen[to];
    e.ObstructQueueAmount[to][k] = points;
    e.ObstructQueueTurn[to][k] = e.TurnNumber + chains + 1;
  }
}

// Drops the consignments due this turn onto side p, one bead per column round robin.
void DropDue(Engine& e, int p) {
  Board& b = e.Boards[p];
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  while (e.ObstructQueueLen[p] > 0 && e.ObstructQueueTurn[p][1] <= e.TurnNumber) {
    int beads = std::min<int>(e.ObstructQueueAmount[p][1], W * 3);
    for (int tries = 0; beads > 0 && tries < W * H; ++tries) {
      const int x = b.ObstructColumn;
      b.ObstructColumn = x > 1 ? x - 1 : W;
      int y = 1;
      while (y <= H && b.Cells[x][y] != kEmpty) ++y;
      if (y > H) continue;
      b.Cells[x][y] = kObstruct;
      --beads;
    }
    for (int k = 1; k < e.ObstructQueueLen[p]; ++k) {
      e.ObstructQueueAmount[p][k] = e.ObstructQueueAmount[p][k + 1];
      e.ObstructQueueTurn[p][k] = e.ObstructQueueTurn[p][k + 1];
    }
    --e.ObstructQueueLen[p];
  }
  int32_t pending = 0;
  for (int k = 1; k <= e.ObstructQueueLen[p]; ++k) pending += e.ObstructQueueAmount[p][k];
  b.PendingShown = pending;
}

bool Buried(const Engine& e, int p) {
  const Board& b = e.Boards[p];
  for (int x = 1; x <= e.FieldWidth; ++x) {
    if (b.Cells[x][e.FieldHeight - 1] == kEmpty) return false;
  }
  return true;
}

// Plays one seeded match between two levels and keeps the position before every decision.
void PlayMatch(World& w, uint64_t seed, int level1, int level2, int maxTurns,
               std::vector<Position>& out) {
  Game& g = *w.g;
  Engine& e = g.eng;
  e.ConstSet();
  e.rng.Seed(seed);
  InitBoards(e, w.canvas);
  std::memset(e.TwinSequence, 0, sizeof e.TwinSequence);
  e.SequenceSplit = false;
  e.TurnNumber = 0;
  e.PlayerLevel[1] = level1;
  e.PlayerLevel[2] = level2;
  for (int p = 1; p <= 2; ++p) {
    GenerateTwin(e, p, 1);
    GenerateTwin(e, p, 2);
  }
  for (int turn = 1; turn <= maxTurns; ++turn) {
    e.TurnNumber = turn;
    TwinMove current[3] = {};
    for (int p = 1; p <= 2; ++p) {
      const int n = e.TwinIndex[p]++;
      current[p] = {e.TwinSequence[p][2 * n - 1], e.TwinSequence[p][2 * n], 4, 0, 0};
      GenerateTwin(e, p, n + 2);
    }
    for (int p = 2; p >= 1; --p) {
      out.push_back({e, p, current[p]});
      ThinkMove(g, p, current[p]);
    }
    for (int p = 1; p <= 2; ++p) {
      e.WorkBoard = e.Boards[p];
      ResolveChains(e, g.ctl.TurnMove[p], 2);
      Board& b = e.Boards[p];
      const int32_t pending = b.PendingShown;
      const int32_t column = b.ObstructColumn;
      b = e.WorkBoard;
      b.PendingShown = pending;
      b.ObstructColumn = column;
      // Beads above the field are not kept.
      for (int x = 1; x <= e.FieldWidth; ++x) {
        for (int y = e.FieldHeight + 1; y <= e.FieldHeight + 3; ++y) b.Cells[x][y] = kEmpty;
      }
      if (b.ResultChains > 0) {
        e.SequenceSplit = true;
        SendObstruct(e, p, b.ResultObstruct, b.ResultChains);
      }
    }
    for (int p = 1; p <= 2; ++p) DropDue(e, p);
    if (Buried(e, 1) || Buried(e, 2)) break;
  }
}

// The fixed set: positions from four seeded matches of different levels, every third
// decision from turn 2 on, 64 in all.
std::vector<Position> MakePositions(World& w) {
  struct MatchSpec {
    uint64_t seed;
    int level1, level2;
  };
  const MatchSpec matches[] = {{101, 9, 7}, {202, 8, 6}, {303, 5, 9}, {404, 7, 4}};
  std::vector<Position> all;
  all.reserve(4096);
  std::vector<Position> picked;
  for (const MatchSpec& m : matches) {
    all.clear();
    PlayMatch(w, m.seed, m.level1, m.level2, 60, all);
    int taken = 0;
    for (size_t k = 2; k < all.size() && taken < 16; k += 3, ++taken) picked.push_back(all[k]);
  }
  return picked;
}

// One decision of `level` on position `pos`, from a fresh copy of its state.
// CPU time of this thread in milliseconds: time the thread spends descheduled (the machine
// is shared) does not count.
double ThreadCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Signature of the moves chosen in the table, so a run that changes play shows it.
uint64_t gSignature = 1469598103934665603ull;

double TimeDecision(World& w, const Position& pos, int level) {
  Game& g = *w.g;
  g.eng = pos.eng;
  g.eng.PlayerLevel[pos.side] = level;
  gCounting = true;
  const double t0 = ThreadCpuMs();
  ThinkMove(g, pos.side, pos.current);
  const double t1 = ThreadCpuMs();
  gCounting = false;
  const TwinMove& m = g.ctl.TurnMove[pos.side];
  for (int32_t v : {m.Colour1, m.Colour2, m.Column, m.Rotation}) {
    gSignature = (gSignature ^ static_cast<uint32_t>(v)) * 1099511628211ull;
  }
  return t1 - t0;
}

// CPU time of one mid-game placement of the engine in nanoseconds: every placement of a
// two-colour twin on a board halfway through a match, in turn, each on a fresh copy of the
// board; the fastest of five rounds.
double EnginePlacementNs() {
  static const char* const kRows[] = {"3......", "21..3..", "142.41.",
                                      "3313213", "2441412", "1231324"};
  static Engine e;
  NullCanvas canvas;
  e.ConstSet();
  InitBoards(e, canvas);
  const int n = static_cast<int>(std::size(kRows));
  for (int i = 0; i < n; ++i) {
    for (int x = 1; x <= 7; ++x) {
      const char ch = kRows[i][x - 1];
      e.Boards[1].Cells[x][n - i] = ch == '.' ? kEmpty : ch - '0';
    }
  }
  EnumeratePlacements(e, 0, 1, 2);
  constexpr int kPlacements = 100000;
  double best = 1e300;
  int64_t sink = 0;
  for (int round = 0; round < 5; ++round) {
    const double t0 = ThreadCpuMs();
    for (int k = 0; k < kPlacements; ++k) {
      e.WorkBoard = e.Boards[1];
      ResolveChains(e, e.Placements[1 + k % e.PlacementCount], 2);
      sink += e.WorkBoard.ResultObstruct;
      benchmark::DoNotOptimize(sink);
    }
    best = std::min(best, (ThreadCpuMs() - t0) * 1e6 / kPlacements);
  }
  return best;
}

void PrintTable(World& w, const std::vector<Position>& positions, int onlyLevel) {
  std::printf(
      "Decision time per level on %zu positions (ms of thread CPU time, fastest of 3 passes)\n",
      positions.size());
  std::printf("%-5s %-26s %8s %8s %8s %11s %9s %8s %8s\n", "level", "name", "median", "max",
              "mean", "allocations", "engine_ns", "median_x", "max_x");
  std::vector<double> times(positions.size());
  struct Row {
    int level;
    double median, max, mean;
    long allocations;
  };
  std::vector<Row> rows;
  // The engine's cost is measured before every level and once more at the end; load on the
  // shared machine only ever adds to it, so the run's lowest measurement is the one used.
  double engineNs = EnginePlacementNs();
  for (int level = 1; level <= 9; ++level) {
    if (onlyLevel != 0 && level != onlyLevel) continue;
    engineNs = std::min(engineNs, EnginePlacementNs());
    gAllocations = 0;
    // Three passes over all positions; a position's time is its fastest pass. Between two
    // decisions on one position come all the others, so no run profits from the last one.
    std::fill(times.begin(), times.end(), 1e300);
    for (int pass = 0; pass < 3; ++pass) {
      for (size_t k = 0; k < positions.size(); ++k) {
        times[k] = std::min(times[k], TimeDecision(w, positions[k], level));
      }
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    double sum = 0;
    for (double t : sorted) sum += t;
    rows.push_back({level, median, sorted.back(), sum / n, gAllocations.load()});
  }
  engineNs = std::min(engineNs, EnginePlacementNs());
  for (const Row& r : rows) {
    std::printf("%-5d %-26s %8.3f %8.3f %8.3f %11ld %9.1f %8.0f %8.0f\n", r.level,
                LevelName(r.level, true).c_str(), r.median, r.max, r.mean, r.allocations,
                engineNs, r.median * 1e6 / engineNs, r.max * 1e6 / engineNs);
  }
  uint64_t boards = 1469598103934665603ull;
  for (const Position& p : positions) {
    for (const auto& column : p.eng.Boards[p.side].Cells) {
      for (int32_t v : column) boards = (boards ^ static_cast<uint32_t>(v)) * 1099511628211ull;
    }
  }
  std::printf("signature: positions %016llx, moves %016llx\n",
              static_cast<unsigned long long>(boards), static_cast<unsigned long long>(gSignature));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  World w;
  bool tableOnly = false;
  int onlyLevel = 0;
  for (int i = 1; i < argc; ++i) {
    tableOnly |= std::strcmp(argv[i], "--table-only") == 0;
    if (std::strncmp(argv[i], "--level=", 8) == 0) onlyLevel = std::atoi(argv[i] + 8);
  }
  const std::vector<Position> positions = MakePositions(w);
  PrintTable(w, positions, onlyLevel);
  if (tableOnly) return 0;

  for (int level = 1; level <= 9; ++level) {
    const std::string name = "ThinkMove/level" + std::to_string(level);
    benchmark::RegisterBenchmark(name.c_str(),
                                 [&w, &positions, level](benchmark::State& st) {
                                   size_t k = 0;
                                   for (auto _ : st) {
                                     st.PauseTiming();
                                     Game& g = *w.g;
                                     g.eng = positions[k].eng;
                                     g.eng.PlayerLevel[positions[k].side] = level;
                                     st.ResumeTiming();
                                     ThinkMove(g, positions[k].side, positions[k].current);
                                     benchmark::DoNotOptimize(g.ctl.TurnMove[positions[k].side]);
                                     k = (k + 1) % positions.size();
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        // Whole passes over the positions, so every position counts alike.
        ->Iterations(static_cast<int64_t>(positions.size()) * (level >= 7 ? 3 : 30));
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
