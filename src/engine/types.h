// The small types every part of the program speaks in: the field grid and its cell codes,
// the twin move record, a bead in flight, and the rotation table.
//
// Arrays that the rules index from 1 (sides, twins, beads, chain steps, turns, placements)
// are declared one longer and index 0 is left unused, so code reads like the rules do.
#pragma once

#include <cstdint>
#include <type_traits>

namespace dalu {

// ---- Grid geometry -----------------------------------------------------------------------

inline constexpr int kMaxWidth = 9;    // widest playable field (columns 1..9)
inline constexpr int kMaxHeight = 14;  // tallest playable field (rows 1..14)
inline constexpr int kGridCols = 11;   // columns 0..10: walls at 0 and W+1
inline constexpr int kGridRows = 19;   // rows 0..18: floor at 0, ceiling at H+4

inline constexpr int kCellSize = 20;     // pixels per cell
inline constexpr int kFieldLeft = 60;    // pixel x of column 0 of side 1's field
inline constexpr int kFieldTop = 90;     // pixel y of row H+3
inline constexpr int kFieldPitch = 360;  // pixel distance from side 1's field to side 2's

// ---- Cell codes --------------------------------------------------------------------------

inline constexpr int32_t kEmpty = 0;
inline constexpr int32_t kObstruct = 10;  // obstruct bead; never joins a group
inline constexpr int32_t kWall = -1;      // wall and floor
inline constexpr int32_t kCeiling = -2;   // row H+4 of columns 1..W
inline constexpr int32_t kBorder = -3;    // rows H+1..H+4 of the wall columns
// A bead of colour c marked during a group search holds -c; marks exist only inside a search.

inline constexpr int kMaxColours = 5;  // five bead picture groups exist

inline constexpr bool IsColour(int32_t cell) {
  return cell >= 1 && cell <= 9;
}

// ---- Rotation ----------------------------------------------------------------------------

// Rotation r puts the second bead at (Column + DX[r], row + DY[r]) of the pivot:
// 0 above, 1 left, 2 below, 3 right. The same table is the neighbour order of every group
// search: up, left, down, right.
inline constexpr int DX[4] = {0, -1, 0, 1};
inline constexpr int DY[4] = {1, 0, -1, 0};

// ---- Records -----------------------------------------------------------------------------

// One side's field. Plain integers in a fixed order; the live boards, the work board and
// every scratch board of the computer players share this layout and are copied whole.
struct Board {
  int32_t Owner;                        // side 1 or 2
  int32_t Cells[kGridCols][kGridRows];  // [column x][row y], row 1 at the bottom
  int32_t ChainCount;                   // steps of the running stepwise chain; 0 when idle
  int32_t PendingShown;                 // incoming obstruct points shown on the notice row
  int32_t ObstructColumn;               // column of the next obstruct bead; starts at W
  int32_t ResultObstruct;               // points of the last instant resolution
  int32_t ResultChains;                 // steps of the last instant resolution
};
static_assert(std::is_trivially_copyable_v<Board>);
static_assert(sizeof(Board) == (1 + kGridCols * kGridRows + 5) * sizeof(int32_t));

// A twin handed to a side, and equally a chosen placement.
struct TwinMove {
  int32_t Colour1;   // pivot bead
  int32_t Colour2;   // second bead
  int32_t Column;    // column of the pivot
  int32_t Rotation;  // 0..3, see DX/DY
  int32_t Extra;     // carried along unchanged
  friend bool operator==(const TwinMove&, const TwinMove&) = default;
};
static_assert(std::is_trivially_copyable_v<TwinMove>);

// A bead moving this turn (twin drop, gravity or obstruct fall).
struct FallingBead {
  int32_t Owner;
  int32_t Column;
  double Position;    // current height in rows, decreasing while it falls
  int32_t TargetRow;  // row where it lands
  double Speed;       // rows per animation frame
  int32_t Colour;
  int32_t BounceState;  // < 0: joined to the partner at index -BounceState; 0: free;
                        // >= 1: frames since landing
};

}  // namespace dalu
