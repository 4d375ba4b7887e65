// The group query of the general player: how large is the group of one cell of the group
// board? The caller fills ctx.think.GroupBoard (the work board with the candidate's beads
// written at their landing cells) before asking.
#pragma once

#include <cstdint>

#include "players/think_context.h"

namespace dalu {

struct GroupCell {
  int32_t Column;
  int32_t Row;
};

struct GroupInfo {
  int32_t GroupColour = 0;    // value of the queried cell
  GroupCell Members[5] = {};  // [1..MemberCount]: the first cells found; [1] is the queried cell
  int32_t MemberCount = 0;    // cells of the group, capped at 4 (4 means four or more)
};

// Searches the group of the cell (column, row) of ctx.think.GroupBoard: the cell, then pass by
// pass the neighbours of the cells found in the previous pass, in the order up, left, down,
// right, each cell listed once. Members lists the first four cells in that order. The board
// is unchanged on return.
GroupInfo P2GetGroup(const ThinkContext& ctx, int column, int row);

}  // namespace dalu
