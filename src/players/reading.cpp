#include "players/reading.h"

#include <algorithm>
#include <climits>

#include "engine/chain.h"
#include "engine/twins.h"
#include "players/search_util.h"

namespace dalu {

namespace {

using players::CountGroup;

// Group size at (x, y) of board b as the quiet test needs it: exact below limit.
int SizeAt(const Engine& e, Board& b, int x, int y, int limit) {
  if (y > e.FieldHeight) return 1;
  return CountGroup(b, x, y, b.Cells[x][y], limit, nullptr);
}

// The quiet-drop test on any board, with the landing rows already known.
bool QuietDropAt(const Engine& e, Board& b, const TwinMove& move, int r1, int r2) {
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  const int x1 = move.Column;
  const int x2 = move.Column + DX[move.Rotation];
  if (r1 <= H) b.Cells[x1][r1] = move.Colour1;
  if (r2 <= H) b.Cells[x2][r2] = move.Colour2;
  // Both beads are written before either group is measured, so a twin of one colour is
  // measured together; the second is only measured when the first is below V.
  return SizeAt(e, b, x1, r1, V) < V && SizeAt(e, b, x2, r2, V) < V;
}

bool QuietDropOn(const Engine& e, Board& b, const TwinMove& move) {
  int r1, r2;
  players::LandingRowsOn(e, b, move, r1, r2);
  return QuietDropAt(e, b, move, r1, r2);
}

// Value of resolving move on a copy of b; a placement that vanishes nothing is worth 0 and is
// recognised without copying the board.
int32_t PlacementValue(Engine& e, Board& b, const TwinMove& move, bool settled) {
  if (players::ResolvesNothing(e, b, move)) return 0;
  players::ResolveOnWorkBoard(e, b, move, 2, settled);
  return players::ResolutionValue(e);
}

// Best value of the single-bead triggers on ctx.think.ReadBoard; INT32_MIN when there is none.
int32_t BestTrigger(const ThinkContext& ctx, bool settled) {
  Engine& e = ctx.eng;
  Board& rb = ctx.think.ReadBoard;
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;
  const int V = e.VanishCount;
  int32_t best = INT32_MIN;
  for (int x = 1; x <= W; ++x) {
    // One above the highest non-empty cell of rows 0..H; the floor row is never empty.
    int top = H;
    while (top > 0 && rb.Cells[x][top] == kEmpty) --top;
    const int y = top + 1;
    if (y > H) continue;
    const int32_t up = rb.Cells[x][y + 1];
    const int32_t left = rb.Cells[x - 1][y];
    const int32_t down = rb.Cells[x][y - 1];
    const int32_t right = rb.Cells[x + 1][y];
    // Always these four colours, whatever the number of colours in play.
    for (int32_t c = 1; c <= 4; ++c) {
      // With no neighbour of colour c the drop cell is a group of one.
      const bool touches = up == c || left == c || down == c || right == c;
      const int size = touches ? CountGroup(rb, x, y, c, V, nullptr) : 1;
      if (size < V) continue;
      players::ResolveOnWorkBoard(e, rb, TwinMove{c, 0, x, y, 0}, 1, settled);
      best = std::max(best, players::ResolutionValue(e));
    }
  }
  return best;
}

}  // namespace

int32_t ReadAhead(const ThinkContext& ctx, int32_t score, int depth) {
  Engine& e = ctx.eng;
  ThinkState& t = ctx.think;

  // 1. The reading is long: let the window handle what is pending first.
  ctx.ProcessEvents();

  // 2. A candidate that fires a chain itself is marked down and not read.
  if (e.WorkBoard.ResultChains > 0) return score - 1111;

  // 3-4. Read the next twin, and behind each quiet next-twin placement the twin after it.
  Board base = e.WorkBoard;  // the quick tests write on it and undo their writes
  // Every board read below is base with twins written at their landing rows, so one look
  // tells whether the quick resolution applies to all of them.
  const bool settled = players::IsSettled(e, base);
  Board afterNext;
  int32_t best = score;
  const int nextEnd = 100 + std::clamp(t.NextTwinCount, 0, 100);
  const int thirdEnd = 200 + std::clamp(t.ThirdTwinCount, 0, 100);
  for (int i = 101; i <= nextEnd; ++i) {
    const TwinMove& next = e.Placements[i];
    if (IsBlocked(e, base, next)) continue;
    if (depth == 1) best = std::max(best, PlacementValue(e, base, next, settled));
    afterNext = base;
    if (!QuietDropOn(e, afterNext, next)) continue;
    // Depth 2 reads the boards afterNext + a third twin on the read board: the twin is
    // written there and taken out again after its reading, which spares a copy per twin.
    if (depth == 2) t.ReadBoard = afterNext;
    for (int j = 201; j <= thirdEnd; ++j) {
      const TwinMove& third = e.Placements[j];
      if (IsBlocked(e, afterNext, third)) continue;
      if (depth == 1) best = std::max(best, PlacementValue(e, afterNext, third, settled));
      if (depth == 2) {
        Board& rb = t.ReadBoard;
        int r1, r2;
        players::LandingRowsOn(e, rb, third, r1, r2);
        const int x1 = third.Column;
        const int x2 = third.Column + DX[third.Rotation];
        const int32_t old1 = rb.Cells[x1][r1];
        const int32_t old2 = rb.Cells[x2][r2];
        if (QuietDropAt(e, rb, third, r1, r2)) best = std::max(best, BestTrigger(ctx, settled));
        rb.Cells[x2][r2] = old2;  // reverse order: right also when both share a cell
        rb.Cells[x1][r1] = old1;
      }
    }
  }
  return best;
}

bool IsQuietDrop(const ThinkContext& ctx, const TwinMove& move) {
  Engine& e = ctx.eng;
  LandingRows(e, move);
  return QuietDropAt(e, e.WorkBoard, move, e.LandRow[1], e.LandRow[2]);
}

int32_t GroupSizeAt(const ThinkContext& ctx, int x, int y) {
  return SizeAt(ctx.eng, ctx.eng.WorkBoard, x, y, kGroupCapacity);
}

int32_t GroupSizeWith(const ThinkContext& ctx, int x, int y, int32_t colour) {
  return players::CountGroup(ctx.think.ReadBoard, x, y, colour, kGroupCapacity, nullptr);
}

}  // namespace dalu
