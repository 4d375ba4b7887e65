#include "players/group_query.h"

#include <gtest/gtest.h>

#include <cstring>

#include "players/player_fixture.h"

namespace dalu::testing {
namespace {

class GroupQuery : public PlayerTest {
 protected:
  // The group board from rows given top to bottom, as side 1's board would be.
  void Group(const std::vector<std::string>& rows) {
    Rows(1, rows);
    g().think.GroupBoard = e().Boards[1];
  }
  static void ExpectCell(const GroupCell& c, int x, int y) {
    EXPECT_EQ(c.Column, x);
    EXPECT_EQ(c.Row, y);
  }
};

TEST_F(GroupQuery, ALoneBeadIsAGroupOfOne) {
  Group({"2..", "13."});
  const GroupInfo info = P2GetGroup(g(), 2, 1);
  EXPECT_EQ(info.GroupColour, 3);
  EXPECT_EQ(info.MemberCount, 1);
  ExpectCell(info.Members[1], 2, 1);
}

TEST_F(GroupQuery, UpIsSearchedFirst) {
  Group({"1.", "1."});
  const GroupInfo info = P2GetGroup(g(), 1, 1);
  EXPECT_EQ(info.MemberCount, 2);
  ExpectCell(info.Members[1], 1, 1);
  ExpectCell(info.Members[2], 1, 2);
}

TEST_F(GroupQuery, LargeGroupsReportTheFirstFourInDiscoveryOrder) {
  // Queried at (2,2): its neighbours up (2,3), left (1,2), down (2,1), right (3,2) come
  // first, so the fourth member is the one below it, not a neighbour of the one above.
  Group({
      "11..",
      "111.",
      ".1..",
  });
  const GroupInfo info = P2GetGroup(g(), 2, 2);
  EXPECT_EQ(info.GroupColour, 1);
  EXPECT_EQ(info.MemberCount, 4);
  ExpectCell(info.Members[1], 2, 2);
  ExpectCell(info.Members[2], 2, 3);
  ExpectCell(info.Members[3], 1, 2);
  ExpectCell(info.Members[4], 2, 1);
}

TEST_F(GroupQuery, ASecondPassFindsTheNeighboursOfTheFirst) {
  // From (1,1): pass 1 finds (1,2) only; pass 2 finds (1,3) and (2,2); pass 3 (2,3).
  Group({
      "11",
      "11",
      "12",
  });
  const GroupInfo info = P2GetGroup(g(), 1, 1);
  EXPECT_EQ(info.MemberCount, 4);
  ExpectCell(info.Members[2], 1, 2);
  ExpectCell(info.Members[3], 1, 3);
  ExpectCell(info.Members[4], 2, 2);
}

TEST_F(GroupQuery, CellsOnTwoPathsAreListedOnce) {
  // (2,2) is reached from (1,2) and from (2,1); listed twice it would take the fourth place
  // from (1,3).
  Group({
      "1..",
      "11.",
      "11.",
  });
  const GroupInfo info = P2GetGroup(g(), 1, 1);
  EXPECT_EQ(info.MemberCount, 4);
  ExpectCell(info.Members[2], 1, 2);
  ExpectCell(info.Members[3], 2, 1);
  ExpectCell(info.Members[4], 1, 3);
}

TEST_F(GroupQuery, TheBoardIsUnchangedAndObstructBeadsGroupLikeColours) {
  Group({"XX", "X1"});
  const Board before = g().think.GroupBoard;
  const GroupInfo info = P2GetGroup(g(), 1, 1);
  EXPECT_EQ(info.GroupColour, kObstruct);
  EXPECT_EQ(info.MemberCount, 3);
  EXPECT_EQ(std::memcmp(&before, &g().think.GroupBoard, sizeof before), 0);
}

}  // namespace
}  // namespace dalu::testing
