// The general gutcha player.
#include "engine/chain.h"
#include "engine/twins.h"
#include "players/emergency.h"
#include "players/group_query.h"
#include "players/reading.h"
#include "players/search_util.h"
#include "players/think.h"

namespace dalu {

namespace {

// Beads of colour ck among the four neighbours of (x, y) on board b.
int32_t NeighboursOf(const Board& b, int x, int y, int32_t ck) {
  int32_t n = 0;
  for (int d = 0; d < 4; ++d) n += b.Cells[x + DX[d]][y + DY[d]] == ck;
  return n;
}

}  // namespace

TwinMove GeneralGutya(const ThinkContext& ctx, int player, const TwinMove& current, int CrowdLimit,
                      int MaxSurplus, int MinPoints, int MaxChains, int MinChains, int Mode) {
  Engine& e = ctx.eng;
  ThinkState& t = ctx.think;
  const Board& live = e.Boards[player];
  const int H = e.FieldHeight;

  t.ScoredCount = 0;

  // 1. The stronger modes answer an emergency first.
  if (Mode >= 5) {
    GetAllPSsSet(ctx, player);
    TwinMove urgent = current;
    Emergency(ctx, player, urgent);
    if (urgent.Column > 0) return urgent;
  }

  // 2. Placements of the current twin (block 1), the next (101) and the one after (201).
  EnumeratePlacements(e, 0, current.Colour1, current.Colour2);
  const int count = e.PlacementCount;
  int32_t c1, c2;
  players::TwinColours(e, player, e.TwinIndex[player], c1, c2);
  EnumeratePlacements(e, 100, c1, c2);
  t.NextTwinCount = e.PlacementCount;
  players::TwinColours(e, player, e.TwinIndex[player] + 1, c1, c2);
  EnumeratePlacements(e, 200, c1, c2);
  t.ThirdTwinCount = e.PlacementCount;
  if (count < 1) return current;  // no column to play in at all
  t.ScoredCount = count < 100 ? count : 100;
  for (int i = 1; i <= t.ScoredCount; ++i) t.CandidateScore[i] = kNotScored;

  // 3. Points queued against the player, and how crowded the field is.
  e.WorkBoard = live;
  int32_t incoming = 0;
  const int queued =
      e.ObstructQueueLen[player] < kQueueCapacity ? e.ObstructQueueLen[player] : kQueueCapacity;
  for (int k = 1; k <= queued; ++k) incoming += e.ObstructQueueAmount[player][k];
  const int32_t crowd = players::FillPercent(e, CountFilled(ctx)) + 2 * incoming;

  // Resolutions keep a settled board settled, so this look covers the next twin's boards.
  const bool settled = players::IsSettled(e, live);
  const bool attackScoring = !(Mode >= 6 && e.TurnNumber >= 4);
  const int readDepth = (Mode == 7 && e.TurnNumber > 3)   ? 1
                        : (Mode == 8 && e.TurnNumber > 3) ? 2
                                                          : 0;
  const int nextEnd = 100 + (t.NextTwinCount < 100 ? t.NextTwinCount : 100);

  int32_t best = -10000;
  int chosen = 0;
  Board after;  // the candidate resolved, for the next twin's attacks
  for (int i = 1; i <= count; ++i) {
    const TwinMove& move = e.Placements[i];
    // 4.1
    if (IsBlocked(e, live, move)) continue;

    // 4.2 Low placements score higher.
    e.WorkBoard = live;
    LandingRows(e, move);
    const int land[3] = {0, e.LandRow[1], e.LandRow[2]};
    int32_t s = players::ShapeNoise(ctx) + 3 * (2 * H - land[1]) - 3 * land[2];

    // 4.3 The group board: the work board with both beads at their landing cells.
    Board& gb = t.GroupBoard;
    gb = e.WorkBoard;
    const int xs[3] = {0, move.Column, move.Column + DX[move.Rotation]};
    const int32_t cs[3] = {0, move.Colour1, move.Colour2};
    for (int k = 1; k <= 2; ++k) {
      if (land[k] <= H) gb.Cells[xs[k]][land[k]] = cs[k];
    }

    // 4.4 Touching beads of the own colour, and what lies under each bead.
    for (int k = 1; k <= 2; ++k) {
      const int x = xs[k];
      const int y = land[k];
      const int32_t ck = cs[k];
      if (y == H + 1) {
        s -= 40;
        continue;
      }
      s += 20 * NeighboursOf(live, x, y, ck);
      int r = y - 1;
      int32_t u = gb.Cells[x][r];
      if (u == kObstruct) {
        r = y - 2;
        u = gb.Cells[x][r];
      }
      if (r > 0 && u != ck && u < kObstruct && Mode >= 2) {
        // A single bead of another colour under ours counts half as much as a larger group.
        const int32_t d = P2GetGroup(ctx, x, r).MemberCount == 1 ? 2 : 1;
        // Down the run of u to its lowest bead (or to an obstruct bead under it). On a
        // settled board the floor ends the walk; CellAt keeps odd boards inside the grid.
        int b = r - 1;
        while (b >= 0 && gb.Cells[x][b] == u) --b;
        const int base = players::CellAt(gb, x, b) == kObstruct ? b : b + 1;
        if (players::CellAt(gb, x + 1, base) == ck) s += 17 / d;
        if (players::CellAt(gb, x - 1, base) == ck) s += 17 / d;
        if (players::CellAt(gb, x, base + 1) == ck) s += 5 / d;
        if (players::CellAt(gb, x, base - 1) == ck) s += 11 / d;
      }
    }

    // 4.5
    ResolveChains(e, move, 2);

    // 4.6 Attack score.
    if (attackScoring) {
      const int32_t ch = e.WorkBoard.ResultChains;
      const int32_t pts = e.WorkBoard.ResultObstruct;
      if (ch >= 1) {
        if (ch < MinChains || ch > MaxChains) s -= 1000;
        if (pts < MinPoints || pts - incoming > MaxSurplus) s -= 1000;
        if (s > -500) {
          s += 100 * pts + 100000;
        } else if (crowd > CrowdLimit) {
          // Crowded: the least-wrong attack is still fired.
          if (pts < MinPoints) s = 100000 - 100 * (MinPoints - pts);
          if (pts > MaxSurplus) s = 100000 - 100 * (pts - MaxSurplus);
        }
      } else {
        // A quiet candidate is worth the best wanted attack of the next twin.
        after = e.WorkBoard;
        int32_t follow = 0;
        for (int j = 101; j <= nextEnd; ++j) {
          const TwinMove& next = e.Placements[j];
          if (IsBlocked(e, after, next)) continue;
          int32_t rc = 0, ro = 0;
          if (!players::ResolvesNothing(e, after, next)) {
            players::ResolveOnWorkBoard(e, after, next, 2, settled);
            rc = e.WorkBoard.ResultChains;
            ro = e.WorkBoard.ResultObstruct;
          }
          if (MinChains <= rc && rc <= MaxChains && ro >= MinPoints &&
              ro - incoming <= MaxSurplus && 20 * ro + 10000 > follow)
            follow = 20 * ro + 10000;
        }
        s += follow;
      }
    }

    // 4.7 Reading replaces the attack score from turn 4 on. It reads the work board that
    // step 4.5 left, which the attack scoring (skipped then) would have overwritten.
    if (readDepth > 0) s = ReadAhead(ctx, s, readDepth);

    // 4.8
    players::KeepBest(t, i, s, best, chosen);
  }

  // 5.
  return players::ChosenPlacement(e, chosen);
}

}  // namespace dalu
