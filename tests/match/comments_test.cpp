#include "match/comments.h"

#include <gtest/gtest.h>

#include "match_harness.h"

namespace dalu {
namespace {

TEST(Comments, OnlyTheLastThreeLinesOfTheMemoAreStored) {
  testing::TestGame t;
  Game& g = t.game();
  g.eng.TurnNumber = 4;
  StoreComment(g, {"a", "b", "c", "d", "e"});
  EXPECT_EQ(g.rec.CommentCount[4], 3);
  EXPECT_EQ(g.rec.CommentText[4][1], "c");
  EXPECT_EQ(g.rec.CommentText[4][3], "e");

  // Commenting again at the same place replaces; an empty memo erases.
  StoreComment(g, {"only\r\n"});
  EXPECT_EQ(g.rec.CommentCount[4], 1);
  EXPECT_EQ(g.rec.CommentText[4][1], "only");
  StoreComment(g, {});
  EXPECT_EQ(g.rec.CommentCount[4], 0);
}

TEST(Comments, ATurnInProgressCountsAsNotYetPlayed) {
  testing::TestGame t;
  Game& g = t.game();
  g.eng.TurnNumber = 7;
  EXPECT_EQ(CommentIndex(g), 7);  // stopped, or after a burial: after the last turn
  g.ctl.TurnInProgress = true;
  EXPECT_EQ(CommentIndex(g), 6);  // the twins of turn 7 are not dropped yet
  g.eng.TurnNumber = 0;
  g.ctl.TurnInProgress = false;
  EXPECT_EQ(CommentIndex(g), 0);  // before the first turn
  g.eng.TurnNumber = 5000;
  EXPECT_EQ(CommentIndex(g), kMaxCommentIndex);
}

}  // namespace
}  // namespace dalu
