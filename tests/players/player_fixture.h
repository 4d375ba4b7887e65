// A game with empty 7 x 11 fields for the computer-player tests, and helpers that set up
// boards, twins and queues by hand or at random.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/board_helpers.h"
#include "engine/chain.h"
#include "engine/engine.h"
#include "engine/field_canvas.h"
#include "engine/twins.h"
#include "match/game.h"
#include "match/match_loop.h"
#include "util/host.h"
#include "util/random.h"
#include "util/sound.h"

namespace dalu::testing {

struct GameBox {
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> g = std::make_unique<Game>(host, canvas, sound);
};

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitBoards(e(), box_.canvas);
    g().think.FixedNoise = 0;
  }

  Game& g() { return *box_.g; }
  Engine& e() { return box_.g->eng; }
  VirtualHost& host() { return box_.host; }

  // Side p's board from rows given top to bottom ('.' empty, digits colours, 'X' obstruct).
  void Rows(int p, const std::vector<std::string>& rows) { SetRows(e(), p, rows); }

  // Twin n of side p.
  void SetTwin(int p, int n, int32_t c1, int32_t c2) {
    e().TwinSequence[p][2 * n - 1] = c1;
    e().TwinSequence[p][2 * n] = c2;
  }

  // The side is handed twin n this turn: twin n is current, n+1 and n+2 follow.
  TwinMove Hand(int p, int n) {
    e().TwinIndex[p] = n + 1;
    return TwinMove{e().TwinSequence[p][2 * n - 1], e().TwinSequence[p][2 * n], 4, 0, 0};
  }

  void Queue(int p, int32_t amount, int32_t turn) {
    const int k = ++e().ObstructQueueLen[p];
    e().ObstructQueueAmount[p][k] = amount;
    e().ObstructQueueTurn[p][k] = turn;
  }

  // Index of the placement (column, rotation) in block `offset`, 0 when not listed.
  int Entry(int offset, int count, int column, int rotation) {
    for (int i = offset + 1; i <= offset + count; ++i) {
      if (e().Placements[i].Column == column && e().Placements[i].Rotation == rotation) return i;
    }
    return 0;
  }

  GameBox box_;
};

// Side 1's empty board after `moves` random twins dropped through the engine's resolution
// alone, so beads that stayed above row H keep their marks; with obstructOneIn > 0, about one
// move in that many drops an obstruct bead instead.
inline Board ResolvedBoard(Engine& e, Rng& r, int moves, int obstructOneIn) {
  Board b = e.Boards[1];
  for (int k = 0; k < moves; ++k) {
    if (obstructOneIn > 0 && r.Below(obstructOneIn) == 0) {
      const int x = 1 + r.Below(e.FieldWidth);
      int y = 1;
      while (y <= e.FieldHeight && b.Cells[x][y] != kEmpty) ++y;
      if (y <= e.FieldHeight) b.Cells[x][y] = kObstruct;
      continue;
    }
    EnumeratePlacements(e, 400, 1 + r.Below(e.ColourCount), 1 + r.Below(e.ColourCount));
    const TwinMove m = e.Placements[401 + r.Below(e.PlacementCount)];
    if (IsBlocked(e, b, m)) continue;
    e.WorkBoard = b;
    ResolveChains(e, m, 2);
    b = e.WorkBoard;
  }
  return b;
}

// Drops `moves` random twins on side p's board through the engine's resolution, with now
// and then an obstruct bead, keeping nothing above row H: a board a match could reach.
inline void RandomBoard(Engine& e, int p, Rng& r, int moves) {
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  for (int k = 0; k < moves; ++k) {
    if (r.Below(6) == 0) {
      const int x = 1 + r.Below(W);
      int y = 1;
      while (y <= H && e.Boards[p].Cells[x][y] != kEmpty) ++y;
      if (y <= H) e.Boards[p].Cells[x][y] = kObstruct;
      continue;
    }
    const int32_t c1 = 1 + r.Below(e.ColourCount);
    const int32_t c2 = 1 + r.Below(e.ColourCount);
    EnumeratePlacements(e, 400, c1, c2);
    const int count = e.PlacementCount;
    const TwinMove m = e.Placements[401 + r.Below(count)];
    if (IsBlocked(e, e.Boards[p], m)) break;
    e.WorkBoard = e.Boards[p];
    ResolveChains(e, m, 2);
    Board& b = e.Boards[p];
    const int32_t pending = b.PendingShown;
    b = e.WorkBoard;
    b.PendingShown = pending;
    for (int x = 1; x <= W; ++x)
      for (int y = H + 1; y <= H + 3; ++y) b.Cells[x][y] = kEmpty;
  }
}

// A random mid-match position for both sides: boards, twin sequences, the twin each side is
// handed (returned), queues and turn number. `floating` leaves a few beads in the air, a
// board no match makes, so the searches' general paths run too.
inline void RandomPosition(Game& g, uint64_t seed, TwinMove current[3], bool floating = false) {
  Engine& e = g.eng;
  Rng r(seed);
  e.ConstSet();
  e.ColourCount = r.Below(5) == 0 ? 5 : 4;
  NullCanvas canvas;
  InitBoards(e, canvas);
  for (int p = 1; p <= 2; ++p) {
    RandomBoard(e, p, r, 4 + r.Below(30));
    if (floating) {
      for (int k = 0; k < 3; ++k) {
        const int x = 1 + r.Below(e.FieldWidth);
        e.Boards[p].Cells[x][2 + r.Below(e.FieldHeight - 2)] = 1 + r.Below(e.ColourCount);
      }
    }
    for (int i = 1; i <= 60; ++i) e.TwinSequence[p][i] = 1 + r.Below(e.ColourCount);
    const int n = 1 + r.Below(20);
    e.TwinIndex[p] = n + 1;
    current[p] = {e.TwinSequence[p][2 * n - 1], e.TwinSequence[p][2 * n], 4, 0, 0};
    e.Boards[p].PendingShown = r.Below(4) == 0 ? r.Below(30) : 0;
    e.ObstructQueueLen[p] = 0;
  }
  e.TurnNumber = 1 + r.Below(8);
  for (int p = 1; p <= 2; ++p) {
    const int len = r.Below(3);
    for (int k = 1; k <= len; ++k) {
      e.ObstructQueueAmount[p][k] = r.Below(40);
      e.ObstructQueueTurn[p][k] = e.TurnNumber - 1 + r.Below(6);
    }
    e.ObstructQueueLen[p] = len;
  }
  e.rng.Seed(seed * 7 + 1);
}

}  // namespace dalu::testing
