#include "players/group_query.h"

#include "players/search_util.h"

namespace dalu {

GroupInfo P2GetGroup(const ThinkContext& ctx, int column, int row) {
  Board& b = ctx.think.GroupBoard;
  GroupInfo info;
  info.GroupColour = b.Cells[column][row];
  // Only the first four cells are reported, and they come first in discovery order whether
  // or not the search goes on, so it stops there; any group size gives the same answer.
  CellPos found[kGroupCapacity];
  const int n = players::CountGroup(b, column, row, info.GroupColour, 4, found);
  info.MemberCount = n;
  for (int i = 0; i < n; ++i) info.Members[i + 1] = {found[i].x, found[i].y};
  return info;
}

}  // namespace dalu
