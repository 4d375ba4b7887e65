#include "match/steering.h"

#include <gtest/gtest.h>

#include "engine/field_draw.h"
#include "match_harness.h"

namespace dalu {
namespace {

using testing::SetRows;
using testing::TestGame;

TEST(TranslateKey, FollowsTheKeyTable) {
  struct Case {
    int key;
    char down, up;
  };
  const Case cases[] = {
      {vk::kNumpad4, '4', ' '},  {vk::kLeft, '4', '4'},  {vk::kI, '4', ' '},
      {vk::kNumpad6, '6', ' '},  {vk::kRight, '6', '6'}, {vk::kP, '6', ' '},
      {vk::kNumpad2, '2', ' '},  {vk::kL, '2', ' '},     {vk::kDown, ' ', '2'},
      {vk::kNumpad5, '5', ' '},  {vk::kO, '5', ' '},     {vk::kX, 'x', ' '},
      {vk::kZ, 'z', ' '},        {vk::kQ, 'q', ' '},     {vk::kW, 'w', ' '},
      {vk::kE, 'e', ' '},        {vk::kR, 'r', ' '},     {0x41 /* A */, ' ', ' '},
      {0x26 /* up */, ' ', ' '},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslateKey(c.key, false), c.down) << c.key;
    EXPECT_EQ(TranslateKey(c.key, true), c.up) << c.key;
  }
}

// A live turn waiting for side 1's keyboard move, as the loop leaves it at its wait.
struct SteerFixture : ::testing::Test {
  SteerFixture() {
    t.FreshMatch();
    Game& g = t.game();
    g.eng.PlayerLevel[1] = 0;
    g.eng.PlayerLevel[2] = 5;
    t.SetTwin(1, 1, 1, 2);
    t.SetTwin(2, 1, 3, 4);
    g.eng.TwinIndex[1] = 2;
    g.eng.TwinIndex[2] = 2;
    g.eng.TurnNumber = 1;
    g.ctl.MatchRunning = true;
    g.ctl.MovesOpen = true;
    g.ctl.ShownTwin[1] = {1, 2, 4, 0, 0};
    g.ctl.ShownTwin[2] = {3, 4, 4, 0, 0};
    g.ctl.TurnMove[2] = {3, 4, 6, 1, 0};  // side 2's computer has chosen
    g.ctl.InputSide = 1;
    g.ctl.InputTwin = g.ctl.ShownTwin[1];
    t.host.Advance(1000);
  }
  // A key pressed 100 ms after the previous one.
  void Press(int key, bool up = false) {
    t.host.Advance(kKeyGateMs);
    up ? KeyUp(t.game(), key) : KeyDown(t.game(), key);
  }
  MatchControl& ctl() { return t.game().ctl; }

  TestGame t;
};

TEST_F(SteerFixture, KeysWithinAHundredMillisecondsOfTheLastAreIgnored) {
  Press(vk::kLeft);
  EXPECT_EQ(ctl().InputTwin.Column, 3);
  t.host.Advance(99);
  KeyDown(t.game(), vk::kLeft);
  EXPECT_EQ(ctl().InputTwin.Column, 3);
  // The release of the same arrow, far enough from the press, moves again.
  t.host.Advance(1);
  KeyUp(t.game(), vk::kLeft);
  EXPECT_EQ(ctl().InputTwin.Column, 2);
  // A key that means nothing does not reset the gate.
  t.host.Advance(kKeyGateMs);
  KeyDown(t.game(), 0x41);
  t.host.Advance(1);
  KeyDown(t.game(), vk::kRight);
  EXPECT_EQ(ctl().InputTwin.Column, 3);
}

TEST_F(SteerFixture, TurningAgainstAWallKicksTheTwinInside) {
  for (int i = 0; i < 3; ++i) Press(vk::kLeft);
  EXPECT_EQ(ctl().InputTwin.Column, 1);
  Press(vk::kZ);  // counter-clockwise: bead 2 to the left, into the wall
  EXPECT_EQ(ctl().InputTwin.Rotation, 1);
  EXPECT_EQ(ctl().InputTwin.Column, 2);
  Press(vk::kLeft);  // cannot go further: the second bead would leave the field
  EXPECT_EQ(ctl().InputTwin.Column, 2);

  for (int i = 0; i < 6; ++i) Press(vk::kRight);
  EXPECT_EQ(ctl().InputTwin.Column, 7);
  Press(vk::kX);  // clockwise from left: above
  Press(vk::kX);  // clockwise from above: right, into the wall
  EXPECT_EQ(ctl().InputTwin.Rotation, 3);
  EXPECT_EQ(ctl().InputTwin.Column, 6);
  Press(vk::kNumpad5);
  EXPECT_EQ(ctl().InputTwin.Rotation, 2);
  EXPECT_EQ(ctl().InputTwin.Column, 6);
}

TEST_F(SteerFixture, ADropOntoAFullTopRowIsRefusedAndTheTwinStaysMovable) {
  Game& g = t.game();
  const int H = g.eng.FieldHeight;
  g.eng.Boards[1].Cells[4][H] = 1;
  Press(vk::kNumpad2);
  EXPECT_EQ(ctl().InputSide, 1);  // vertical twin on a full column: both cells at row H taken
  Press(vk::kRight);
  Press(vk::kDown, true);  // the down arrow drops on release
  EXPECT_EQ(ctl().InputSide, 2);
  EXPECT_EQ(ctl().TurnMove[1], (TwinMove{1, 2, 5, 0, 0}));
  // Side 2 is a computer: its choice stands and the keyboard has nothing more to do.
  EXPECT_EQ(ctl().TurnMove[2], (TwinMove{3, 4, 6, 1, 0}));
}

TEST_F(SteerFixture, TwoUsersSteerInTurnAndTheFirstDropIsHidden) {
  Game& g = t.game();
  g.eng.PlayerLevel[2] = 0;
  Press(vk::kLeft);
  Press(vk::kL);
  EXPECT_EQ(ctl().InputSide, 2);
  EXPECT_EQ(ctl().InputTwin, ctl().ShownTwin[2]);
  Press(vk::kRight);
  EXPECT_EQ(ctl().InputTwin.Column, 5);
  EXPECT_EQ(ctl().TurnMove[1].Column, 3);  // side 1's move is kept
  Press(vk::kNumpad2);
  EXPECT_EQ(ctl().InputSide, 3);
  EXPECT_EQ(ctl().TurnMove[2], (TwinMove{3, 4, 5, 0, 0}));
}

TEST(SteerDrawing, TheFirstUsersDropDisappearsFromTheScreen) {
  VirtualHost host;
  RecordingCanvas canvas;
  NullSound sound;
  auto g = std::make_unique<Game>(host, canvas, sound);
  testing::FreshBoards(g->eng);
  for (int c = 1; c <= 5; ++c) g->eng.ColourImage[c] = c;
  g->eng.PlayerLevel[1] = g->eng.PlayerLevel[2] = 0;
  g->eng.TwinIndex[1] = g->eng.TwinIndex[2] = 2;
  g->ctl.MovesOpen = g->ctl.MatchRunning = true;
  g->ctl.ShownTwin[1] = {1, 2, 4, 0, 0};
  g->ctl.ShownTwin[2] = {3, 4, 4, 0, 0};
  g->ctl.InputSide = 1;
  g->ctl.InputTwin = g->ctl.ShownTwin[1];
  host.Advance(500);
  KeyDown(*g, vk::kNumpad2);
  const Pixel pivot = CellPixel(g->eng, 1, 4, g->eng.FieldHeight + 2);
  const Pixel second = CellPixel(g->eng, 1, 4, g->eng.FieldHeight + 3);
  EXPECT_EQ(canvas.ImageAt(pivot.x, pivot.y), -1);
  EXPECT_EQ(canvas.ImageAt(second.x, second.y), -1);
}

TEST_F(SteerFixture, AutoTwinMirrorsSideOnesPlacementWithSideTwosColours) {
  ToggleAutoTwin(t.game());  // only while EditMode is on
  EXPECT_FALSE(ctl().AutoTwin);
  ToggleEditMode(t.game());
  ToggleAutoTwin(t.game());
  EXPECT_TRUE(ctl().AutoTwin);
  Press(vk::kRight);
  Press(vk::kZ);
  Press(vk::kNumpad2);
  EXPECT_EQ(ctl().InputSide, 3);
  EXPECT_EQ(ctl().TurnMove[1], (TwinMove{1, 2, 5, 1, 0}));
  EXPECT_EQ(ctl().TurnMove[2], (TwinMove{3, 4, 5, 1, 0}));  // replaces the computer's choice
}

TEST_F(SteerFixture, EditModeColourKeysFillTheSlotsInTurn) {
  Game& g = t.game();
  const int32_t* s1 = g.eng.TwinSequence[1];
  const int32_t* s2 = g.eng.TwinSequence[2];
  Press(vk::kQ);  // not in edit mode: nothing
  EXPECT_EQ(s1[2], 2);
  ToggleEditMode(g);
  Press(vk::kQ);  // slot 1: side 1's second bead
  EXPECT_EQ(s1[2], 1);
  Press(vk::kR);  // slot 2: side 2's first bead
  EXPECT_EQ(s2[1], 4);
  Press(vk::kW);  // slot 3: side 2's second bead
  EXPECT_EQ(s2[2], 2);
  Press(vk::kE);  // slot 0: side 1's first bead
  EXPECT_EQ(s1[1], 3);
  EXPECT_EQ(ctl().InputTwin.Colour1, 3);
  EXPECT_EQ(ctl().InputTwin.Colour2, 1);
  EXPECT_EQ(ctl().ShownTwin[1].Colour1, 3);
  // Side 2 went back to its start with its new colours, replacing the computer's move.
  EXPECT_EQ(ctl().TurnMove[2], (TwinMove{4, 2, 4, 0, 0}));
  EXPECT_EQ(ctl().ShownTwin[2], ctl().TurnMove[2]);
}

TEST_F(SteerFixture, EditModeWithAutoTwinSetsBothSidesTogether) {
  Game& g = t.game();
  ToggleEditMode(g);
  ToggleAutoTwin(g);
  Press(vk::kE);  // slot 1: both second beads
  EXPECT_EQ(g.eng.TwinSequence[1][2], 3);
  EXPECT_EQ(g.eng.TwinSequence[2][2], 3);
  Press(vk::kW);  // slot 0: both first beads
  EXPECT_EQ(g.eng.TwinSequence[1][1], 2);
  EXPECT_EQ(g.eng.TwinSequence[2][1], 2);
  Press(vk::kQ);  // slot 1 again
  EXPECT_EQ(g.eng.TwinSequence[1][2], 1);
}

TEST_F(SteerFixture, ColourKeysSkipAChainingSideAndColoursNotInPlay) {
  Game& g = t.game();
  ToggleEditMode(g);
  g.eng.ColourCount = 3;
  Press(vk::kR);  // colour 4 is not in play: nothing happens, the slot does not move
  EXPECT_EQ(g.eng.TwinSequence[1][2], 2);
  EXPECT_EQ(ctl().EditSlot, 0);
  g.eng.Boards[2].ChainCount = 1;
  Press(vk::kQ);  // slot 1
  Press(vk::kQ);  // slot 2: side 2 is chaining, its twin stays
  EXPECT_EQ(g.eng.TwinSequence[2][1], 3);
  EXPECT_EQ(ctl().TurnMove[2], (TwinMove{3, 4, 6, 1, 0}));
}

TEST_F(SteerFixture, KeysDoNothingDuringAReplayOrOutsideTheMoveWait) {
  Game& g = t.game();
  ctl().ReplayMode = true;
  ToggleEditMode(g);
  Press(vk::kLeft);
  Press(vk::kQ);
  Press(vk::kNumpad2);
  EXPECT_EQ(ctl().InputTwin.Column, 4);
  EXPECT_EQ(g.eng.TwinSequence[1][2], 2);
  EXPECT_EQ(ctl().InputSide, 1);
  ctl().ReplayMode = false;
  ctl().MovesOpen = false;  // the moves are logged: the animations run
  Press(vk::kNumpad2);
  EXPECT_EQ(ctl().InputSide, 1);
  // A chaining keyboard side steers nothing either.
  ctl().MovesOpen = true;
  g.eng.Boards[1].ChainCount = 2;
  Press(vk::kLeft);
  EXPECT_EQ(ctl().InputTwin.Column, 4);
}

}  // namespace
}  // namespace dalu
