// A plain, slow second implementation of the computer players, written step by step in the
// most direct way, with nothing but the engine's own calls: every resolution on the work
// board with ResolveChains, every group search with an explicit list, no shortcuts. The tests
// run it beside the real players on many positions; any difference in a value or a chosen
// move is a fault of one of the shortcuts the real players take.
#pragma once

#include <algorithm>
#include <climits>
#include <vector>

#include "engine/chain.h"
#include "engine/engine.h"
#include "engine/twins.h"
#include "match/game.h"
#include "players/levels.h"
#include "util/host.h"

namespace dalu::testing::ref {

struct Cell {
  int x, y;
};

inline int32_t Noise(Game& g) {
  const int32_t f = g.think.FixedNoise;
  return (f >= 0 && f <= 9) ? f : g.eng.rng.Below(10);
}

inline void Colours(const Engine& e, int p, int n, int32_t& c1, int32_t& c2) {
  if (n < 1 || 2 * n > kSequenceBeads) {
    c1 = c2 = 0;
    return;
  }
  c1 = e.TwinSequence[p][2 * n - 1];
  c2 = e.TwinSequence[p][2 * n];
}

inline int32_t At(const Board& b, int x, int y) {
  if (x < 0 || x >= kGridCols || y < 0 || y >= kGridRows) return kWall;
  return b.Cells[x][y];
}

// Pass by pass: the entries added since the last pass, in list order, each looking up,
// left, down, right; a neighbour joins when it holds c and is not yet listed. The start cell
// is listed whatever it holds.
inline std::vector<Cell> Group(const Board& b, int x, int y, int32_t c) {
  std::vector<Cell> list{{x, y}};
  size_t d = 0;
  for (;;) {
    const size_t n = list.size();
    for (size_t i = d; i < n; ++i) {
      for (int k = 0; k < 4; ++k) {
        const int nx = list[i].x + DX[k];
        const int ny = list[i].y + DY[k];
        if (At(b, nx, ny) != c) continue;
        bool listed = false;
        for (const Cell& m : list) listed |= (m.x == nx && m.y == ny);
        if (!listed) list.push_back({nx, ny});
      }
    }
    d = n;
    if (list.size() == n) break;
  }
  return list;
}

inline int32_t CountFilled(const Engine& e) {
  int32_t n = 0;
  for (int x = 1; x <= e.FieldWidth; ++x)
    for (int y = 1; y <= e.FieldHeight; ++y) n += e.WorkBoard.Cells[x][y] > 0;
  return n;
}

inline int32_t Value(const Engine& e) {
  return e.WorkBoard.ResultChains * 10000 + e.WorkBoard.ResultObstruct;
}

// ---- Reading ----

inline int GroupSizeAt(Engine& e, int x, int y) {
  if (y > e.FieldHeight) return 1;
  return static_cast<int>(Group(e.WorkBoard, x, y, e.WorkBoard.Cells[x][y]).size());
}

inline bool IsQuietDrop(Engine& e, const TwinMove& m) {
  LandingRows(e, m);
  const int H = e.FieldHeight;
  const int x1 = m.Column, y1 = e.LandRow[1];
  const int x2 = m.Column + DX[m.Rotation], y2 = e.LandRow[2];
  if (y1 <= H) e.WorkBoard.Cells[x1][y1] = m.Colour1;
  if (y2 <= H) e.WorkBoard.Cells[x2][y2] = m.Colour2;
  return ref::GroupSizeAt(e, x1, y1) < e.VanishCount && ref::GroupSizeAt(e, x2, y2) < e.VanishCount;
}

inline int32_t ReadAhead(Game& g, int32_t score, int depth) {
  Engine& e = g.eng;
  g.host.ProcessEvents();
  if (e.WorkBoard.ResultChains > 0) return score - 1111;
  const Board B = e.WorkBoard;
  int32_t R = score;
  const int W = e.FieldWidth, H = e.FieldHeight, V = e.VanishCount;
  for (int i = 101; i <= 100 + g.think.NextTwinCount; ++i) {
    const TwinMove mi = e.Placements[i];
    if (IsBlocked(e, B, mi)) continue;
    if (depth == 1) {
      e.WorkBoard = B;
      ResolveChains(e, mi, 2);
      R = std::max(R, Value(e));
    }
    e.WorkBoard = B;
    if (!ref::IsQuietDrop(e, mi)) continue;
    const Board B2 = e.WorkBoard;
    for (int j = 201; j <= 200 + g.think.ThirdTwinCount; ++j) {
      const TwinMove mj = e.Placements[j];
      if (IsBlocked(e, B2, mj)) continue;
      if (depth == 1) {
        e.WorkBoard = B2;
        ResolveChains(e, mj, 2);
        R = std::max(R, Value(e));
      }
      if (depth == 2) {
        e.WorkBoard = B2;
        if (!ref::IsQuietDrop(e, mj)) continue;
        g.think.ReadBoard = e.WorkBoard;
        for (int x = 1; x <= W; ++x) {
          int top = H;
          while (g.think.ReadBoard.Cells[x][top] == kEmpty) --top;
          const int y = top + 1;
          if (y > H) continue;
          for (int32_t c = 1; c <= 4; ++c) {
            if (static_cast<int>(Group(g.think.ReadBoard, x, y, c).size()) < V) continue;
            e.WorkBoard = g.think.ReadBoard;
            ResolveChains(e, TwinMove{c, 0, x, y, 0}, 1);
            R = std::max(R, Value(e));
          }
        }
      }
    }
  }
  return R;
}

// ---- Look-ahead player ----

inline int32_t LookAhead(Game& g, int32_t crowd, int32_t shape, int32_t threshold) {
  Engine& e = g.eng;
  const int p = g.think.LookAheadPlayer;
  const Board B1 = e.WorkBoard;
  const int32_t c1 = B1.ResultChains, p1 = B1.ResultObstruct;
  int32_t a, b;
  Colours(e, p, e.TwinIndex[p], a, b);
  EnumeratePlacements(e, 100, a, b);
  const int n2 = e.PlacementCount;
  int32_t best = -100;
  for (int j = 101; j <= 100 + n2; ++j) {
    if (IsBlocked(e, B1, e.Placements[j])) continue;
    e.WorkBoard = B1;
    ResolveChains(e, e.Placements[j], 2);
    const Board B2 = e.WorkBoard;
    const int32_t c2 = B2.ResultChains, p2 = B2.ResultObstruct;
    Colours(e, p, e.TwinIndex[p] + 1, a, b);
    EnumeratePlacements(e, 200, a, b);
    const int n3 = e.PlacementCount;
    for (int m = 201; m <= 200 + n3; ++m) {
      if (IsBlocked(e, B2, e.Placements[m])) continue;
      e.WorkBoard = B2;
      ResolveChains(e, e.Placements[m], 2);
      const int32_t c3 = e.WorkBoard.ResultChains, p3 = e.WorkBoard.ResultObstruct;
      int32_t v;
      if (crowd > 70 && c1 + c2 + c3 > 0) {
        v = (p3 + 4 * p1 + 2 * p2) * 100 + 100;
      } else {
        if (c1 > 0)
          v = 1;
        else if (c2 + c3 > 0)
          v = (p2 + p3) * 50;
        else
          v = shape;
        if ((130 - crowd) * threshold / 60 < p1 + p2 + p3) v = (4 * p3 + p1 + 2 * p2) * 100;
      }
      best = std::max(best, v);
    }
  }
  return best;
}

inline TwinMove Thinking2p(Game& g, int player, const TwinMove& current, int depth,
                           std::vector<int32_t>* scores = nullptr) {
  Engine& e = g.eng;
  const Board& live = e.Boards[player];
  const int W = e.FieldWidth, H = e.FieldHeight;
  g.think.LookAheadPlayer = player;
  EnumeratePlacements(e, 0, current.Colour1, current.Colour2);
  const int count = e.PlacementCount;
  int32_t best = -10000;
  int chosen = 0;
  e.WorkBoard = live;
  const int32_t crowd = ref::CountFilled(e) * 100 / (W * H) + live.PendingShown;
  if (scores) scores->assign(count + 1, kNotScored);
  for (int i = 1; i <= count; ++i) {
    const TwinMove m = e.Placements[i];
    if (IsBlocked(e, live, m)) continue;
    g.host.ProcessEvents();
    e.WorkBoard = live;
    LandingRows(e, m);
    int32_t s = Noise(g) + 2 * H - e.LandRow[1] - e.LandRow[2];
    for (int k = 1; k <= 2; ++k) {
      const int x = k == 1 ? m.Column : m.Column + DX[m.Rotation];
      const int y = e.LandRow[k];
      const int32_t ck = k == 1 ? m.Colour1 : m.Colour2;
      if (y == H + 1) {
        s -= 40;
        continue;
      }
      for (int d = 0; d < 4; ++d) s += At(live, x + DX[d], y + DY[d]) == ck ? 20 : 0;
      int32_t u = At(live, x, y - 1);
      if (k == 1 && m.Rotation == 2) u = m.Colour2;
      if (k == 2 && m.Rotation == 0) u = m.Colour1;
      if (k == 2 && m.Rotation == 0 && m.Colour1 == m.Colour2) u = -1;
      if (u >= 1 && u <= 9) {
        int r = y - 2;
        while (At(live, x, r) == u) --r;
        for (int d = 0; d < 4; ++d) s += At(live, x + DX[d], r + DY[d]) == ck ? 15 : 0;
        const int32_t under = At(live, x, r - 1);
        if (under >= 1 && under <= 9 && under != ck) s -= 17;
      }
    }
    ResolveChains(e, m, 2);
    s = ref::LookAhead(g, crowd, s, depth * 3 / 2);
    if (scores) (*scores)[i] = s;
    if (s > best) {
      best = s;
      chosen = i;
    }
  }
  return e.Placements[chosen > 0 ? chosen : 1];
}

// ---- Emergency ----

struct Candidate {
  int32_t attack, time, first;
};

inline void GetAllPSsSet(Game& g, int p) {
  Engine& e = g.eng;
  for (int k = 1; k <= 3; ++k) {
    int32_t a, b;
    Colours(e, p, e.TwinIndex[p] - 2 + k, a, b);
    EnumeratePlacements(e, 100 * k, a, b);
    g.think.PSCount[k] = e.PlacementCount;
  }
}

inline void Emergency(Game& g, int p, TwinMove& result, std::vector<Candidate>* out = nullptr) {
  Engine& e = g.eng;
  const int W = e.FieldWidth, H = e.FieldHeight;
  int S = 0;
  for (int x = 1; x <= W; ++x) {
    int h = 0;
    for (int y = 1; y <= H; ++y)
      if (e.Boards[p].Cells[x][y] > 0) h = y;
    S += h;
  }
  const int fill = S * 100 / (W * H);
  int threat = 0, deadline = 0;
  if (fill > 80) {
    threat = 70;
    deadline = 6;
  }
  if (e.ObstructQueueLen[p] > 0) {
    for (int k = 1; k <= e.ObstructQueueLen[p]; ++k) threat += e.ObstructQueueAmount[p][k];
    deadline = e.ObstructQueueTurn[p][1] - e.TurnNumber + 1;
  }
  if (threat <= 4) {
    result.Column = 0;
    return;
  }
  std::vector<Candidate> list;
  const Board B0 = e.Boards[p];
  for (int i = 101; i <= 100 + g.think.PSCount[1]; ++i) {
    if (IsBlocked(e, B0, e.Placements[i])) continue;
    e.WorkBoard = B0;
    ResolveChains(e, e.Placements[i], 2);
    const int a1 = e.WorkBoard.ResultObstruct;
    list.push_back({a1, 1, i});
    const Board B1 = e.WorkBoard;
    for (int j = 201; j <= 200 + g.think.PSCount[2]; ++j) {
      if (IsBlocked(e, B1, e.Placements[j])) continue;
      e.WorkBoard = B1;
      ResolveChains(e, e.Placements[j], 2);
      const int a2 = e.WorkBoard.ResultObstruct;
      list.push_back({a1 + a2, 2 + (a1 > 0), i});
      const Board B2 = e.WorkBoard;
      for (int l = 301; l <= 300 + g.think.PSCount[3]; ++l) {
        if (IsBlocked(e, B2, e.Placements[l])) continue;
        e.WorkBoard = B2;
        ResolveChains(e, e.Placements[l], 2);
        const int a3 = e.WorkBoard.ResultObstruct;
        list.push_back({a1 + a2 + a3, 3 + (a1 > 0) + (a2 > 0), i});
      }
    }
  }
  for (Candidate& c : list)
    if (c.time + 1 > deadline) c.attack = 0;
  int best = -100, chosen = 0;
  for (const Candidate& c : list) {
    if (c.attack - 5 * c.time > best) {
      best = c.attack - 5 * c.time;
      chosen = c.first;
    }
  }
  if (out) *out = list;
  if (!list.empty() && (best >= threat || deadline <= 3)) {
    result = e.Placements[chosen];
  } else {
    result.Column = 0;
  }
}

// ---- General gutcha player ----

inline TwinMove GeneralGutya(Game& g, int player, const TwinMove& current, int CrowdLimit,
                             int MaxSurplus, int MinPoints, int MaxChains, int MinChains, int Mode,
                             std::vector<int32_t>* scores = nullptr) {
  Engine& e = g.eng;
  ThinkState& t = g.think;
  const Board& live = e.Boards[player];
  const int W = e.FieldWidth, H = e.FieldHeight;
  if (scores) scores->clear();
  if (Mode >= 5) {
    ref::GetAllPSsSet(g, player);
    TwinMove r = current;
    ref::Emergency(g, player, r);
    if (r.Column > 0) return r;
  }
  EnumeratePlacements(e, 0, current.Colour1, current.Colour2);
  const int count = e.PlacementCount;
  int32_t a, b;
  Colours(e, player, e.TwinIndex[player], a, b);
  EnumeratePlacements(e, 100, a, b);
  t.NextTwinCount = e.PlacementCount;
  Colours(e, player, e.TwinIndex[player] + 1, a, b);
  EnumeratePlacements(e, 200, a, b);
  t.ThirdTwinCount = e.PlacementCount;
  e.WorkBoard = live;
  int incoming = 0;
  for (int k = 1; k <= e.ObstructQueueLen[player]; ++k)
    incoming += e.ObstructQueueAmount[player][k];
  const int crowd = ref::CountFilled(e) * 100 / (W * H) + 2 * incoming;
  int32_t best = -10000;
  int chosen = 0;
  if (scores) scores->assign(count + 1, kNotScored);
  for (int i = 1; i <= count; ++i) {
    const TwinMove m = e.Placements[i];
    if (IsBlocked(e, live, m)) continue;
    e.WorkBoard = live;
    LandingRows(e, m);
    int32_t s = Noise(g) + 3 * (2 * H - e.LandRow[1]) - 3 * e.LandRow[2];
    t.GroupBoard = e.WorkBoard;
    const int xs[3] = {0, m.Column, m.Column + DX[m.Rotation]};
    const int32_t cs[3] = {0, m.Colour1, m.Colour2};
    for (int k = 1; k <= 2; ++k)
      if (e.LandRow[k] <= H) t.GroupBoard.Cells[xs[k]][e.LandRow[k]] = cs[k];
    const Board& gb = t.GroupBoard;
    for (int k = 1; k <= 2; ++k) {
      const int x = xs[k], y = e.LandRow[k];
      const int32_t ck = cs[k];
      if (y == H + 1) {
        s -= 40;
        continue;
      }
      for (int d = 0; d < 4; ++d) s += At(live, x + DX[d], y + DY[d]) == ck ? 20 : 0;
      int r = y - 1;
      int32_t u = At(gb, x, r);
      if (u == kObstruct) {
        r = y - 2;
        u = At(gb, x, r);
      }
      if (r > 0 && u != ck && u < 10 && Mode >= 2) {
        const int size = static_cast<int>(Group(gb, x, r, u).size());
        const int d = size == 1 ? 2 : 1;
        int row = r - 1;
        while (At(gb, x, row) == u) --row;
        const int base = At(gb, x, row) == kObstruct ? row : row + 1;
        if (At(gb, x + 1, base) == ck) s += 17 / d;
        if (At(gb, x - 1, base) == ck) s += 17 / d;
        if (At(gb, x, base + 1) == ck) s += 5 / d;
        if (At(gb, x, base - 1) == ck) s += 11 / d;
      }
    }
    ResolveChains(e, m, 2);
    if (!(Mode >= 6 && e.TurnNumber >= 4)) {
      const int ch = e.WorkBoard.ResultChains, pts = e.WorkBoard.ResultObstruct;
      if (ch >= 1) {
        if (ch < MinChains || ch > MaxChains) s -= 1000;
        if (pts < MinPoints || pts - incoming > MaxSurplus) s -= 1000;
        if (s > -500) {
          s += 100 * pts + 100000;
        } else if (crowd > CrowdLimit) {
          if (pts < MinPoints) s = 100000 - 100 * (MinPoints - pts);
          if (pts > MaxSurplus) s = 100000 - 100 * (pts - MaxSurplus);
        }
      } else {
        const Board B = e.WorkBoard;
        int follow = 0;
        for (int j = 101; j <= 100 + t.NextTwinCount; ++j) {
          if (IsBlocked(e, B, e.Placements[j])) continue;
          e.WorkBoard = B;
          ResolveChains(e, e.Placements[j], 2);
          const int rc = e.WorkBoard.ResultChains, ro = e.WorkBoard.ResultObstruct;
          if (MinChains <= rc && rc <= MaxChains && ro >= MinPoints &&
              ro - incoming <= MaxSurplus && 20 * ro + 10000 > follow)
            follow = 20 * ro + 10000;
        }
        s += follow;
      }
    }
    if (Mode == 7 && e.TurnNumber > 3) s = ref::ReadAhead(g, s, 1);
    if (Mode == 8 && e.TurnNumber > 3) s = ref::ReadAhead(g, s, 2);
    if (scores) (*scores)[i] = s;
    if (s > best) {
      best = s;
      chosen = i;
    }
  }
  return e.Placements[chosen > 0 ? chosen : 1];
}

// ---- Dispatch ----

inline void ThinkMove(Game& g, int player, const TwinMove& current,
                      std::vector<int32_t>* scores = nullptr) {
  const int level = g.eng.PlayerLevel[player];
  if (level < 1 || level > 9) return;
  const LevelEntry& L = kLevels[level];
  g.ctl.TurnMove[player] =
      L.Routine == LevelRoutine::kLookAhead
          ? ref::Thinking2p(g, player, current, L.Depth, scores)
          : ref::GeneralGutya(g, player, current, L.CrowdLimit, L.MaxSurplus, L.MinPoints,
                              L.MaxChains, L.MinChains, L.Mode, scores);
}

}  // namespace dalu::testing::ref
