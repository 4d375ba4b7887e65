// What the window's coach relies on from the core: the menu's captions are the coach's own
// texts, and a tried twin steers as a live one does.
#include <gtest/gtest.h>

#include "coach/coach_texts.h"
#include "coach/try_steering.h"
#include "engine/field_canvas.h"
#include "match/menu_table.h"

namespace dalu {
namespace {

TEST(CoachWindowTexts, TheMenuShowsTheCoachsCaptionsInBothLanguages) {
  const std::pair<MenuId, CoachText> items[] = {{MenuId::kHint, CoachText::kMenuHint},
                                                {MenuId::kHintLevel, CoachText::kMenuHintLevel},
                                                {MenuId::kReview, CoachText::kMenuReview},
                                                {MenuId::kNextMistake, CoachText::kMenuNextMistake},
                                                {MenuId::kTryAgain, CoachText::kMenuTryAgain}};
  for (const auto& [menu, text] : items) {
    for (bool english : {true, false})
      EXPECT_EQ(MenuCaption(menu, english), CoachString(text, english));
  }
}

TEST(CoachWindowTexts, ATriedTwinIsKickedOffTheWallsAndCannotDropOntoFullColumns) {
  Engine e;
  NullCanvas canvas;
  InitBoards(e, canvas);
  TwinMove t{1, 2, 1, 0, 0};
  EXPECT_EQ(SteerTryTwin(e, 1, t, 'z'), TryStep::kMoved);  // turned left at the wall
  EXPECT_EQ(t.Column, 2);
  EXPECT_EQ(SteerTryTwin(e, 1, t, '4'), TryStep::kMoved);  // and no further left
  EXPECT_EQ(t.Column, 2);
  EXPECT_EQ(SteerTryTwin(e, 1, t, 'q'), TryStep::kIgnored);
  EXPECT_EQ(SteerTryTwin(e, 1, t, '2'), TryStep::kDropped);
  for (int x : {1, 2}) e.Boards[1].Cells[x][e.FieldHeight] = kObstruct;
  EXPECT_EQ(SteerTryTwin(e, 1, t, '2'), TryStep::kRefused);
}

}  // namespace
}  // namespace dalu
