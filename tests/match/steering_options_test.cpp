#include <gtest/gtest.h>

#include <memory>

#include "engine/board_helpers.h"
#include "engine/field_draw.h"
#include "match/controls.h"
#include "match/game.h"
#include "match/steering.h"
#include "util/host.h"
#include "util/sound.h"

namespace dalu {
namespace {

using testing::FreshBoards;
using testing::SetRows;

// Side 1 (the keyboard) steers twin (1, 2) from column 4 against a computer side 2; every
// drawing call is recorded.
struct SteeringOptionsTest : ::testing::Test {
  SteeringOptionsTest() : g(std::make_unique<Game>(host, canvas, sound)) {
    Engine& e = g->eng;
    FreshBoards(e);
    for (int c = 1; c <= 5; ++c) e.ColourImage[c] = c;
    e.PlayerLevel[2] = 5;
    e.TwinIndex[1] = e.TwinIndex[2] = 2;
    g->ctl.MatchRunning = g->ctl.MovesOpen = true;
    g->ctl.ShownTwin[1] = g->ctl.InputTwin = {1, 2, 4, 0, 0};
    g->ctl.InputSide = 1;
    host.Advance(1000);
  }
  void Press(int key, bool up = false) {
    host.Advance(kKeyGateMs);
    up ? KeyUp(*g, key) : KeyDown(*g, key);
  }
  // Whether cell (x, y) of side 1 shows an outline now, and in which image's colour.
  int OutlineAt(int x, int y) const {
    const Pixel px = CellPixel(g->eng, 1, x, y);
    int image = -1;
    for (const RecordingCanvas::Op& op : canvas.ops) {
      if (op.x != px.x || op.y != px.y) continue;
      if (op.kind == RecordingCanvas::Kind::kOutline) image = op.value;
      if (op.kind == RecordingCanvas::Kind::kRestore) image = -1;
    }
    return image;
  }

  VirtualHost host;
  RecordingCanvas canvas;
  RecordingSound sound;
  std::unique_ptr<Game> g;
};

TEST_F(SteeringOptionsTest, PressOnlyMovesOncePerPressAndTheDropKeyDropsOnPress) {
  MatchControl& ctl = g->ctl;
  // By default press and release each move, and Space means nothing.
  Press(vk::kLeft);
  Press(vk::kLeft, true);
  EXPECT_EQ(ctl.InputTwin.Column, 2);
  Press(vk::kSpace);
  EXPECT_EQ(ctl.InputSide, 1);

  ctl.Steering.MovePressOnly = true;
  ctl.Steering.DropKey = vk::kSpace;
  Press(vk::kRight);
  Press(vk::kRight, true);
  EXPECT_EQ(ctl.InputTwin.Column, 3);
  // The ignored release does not hold back a key right after it.
  host.Advance(kKeyGateMs);
  KeyUp(*g, vk::kRight);
  host.Advance(1);
  KeyDown(*g, vk::kSpace);
  EXPECT_EQ(ctl.InputSide, 2);
  EXPECT_EQ(ctl.TurnMove[1].Column, 3);
  EXPECT_EQ(ctl.TurnMove[1].Colour2, 2);
}

TEST_F(SteeringOptionsTest, TheOptionsFileCannotNameAKeyThatIsNotOffered) {
  EXPECT_EQ(CheckedSteeringOptions({true, vk::kLeft, true}).DropKey, 0);
  EXPECT_EQ(CheckedSteeringOptions({true, vk::kUp, true}).DropKey, vk::kUp);
  EXPECT_EQ(DropKeyChoices()[0].virtualKey, 0);  // "none" comes first: the default
}

TEST_F(SteeringOptionsTest, TheLandingOutlineFollowsTheTwinAndGoesWithTheDrop) {
  SetRows(g->eng, 1, {"...3...", "..43..."});  // column 3 holds one bead, column 4 two
  MatchControl& ctl = g->ctl;
  const int pivot = BeadImage(g->eng, 1, 0);
  const int second = BeadImage(g->eng, 2, 0);

  ShowLanding(*g);  // off by default: nothing drawn
  EXPECT_TRUE(canvas.ops.empty());

  ctl.Steering.ShowLanding = true;
  ShowLanding(*g);  // as the loop shows it when the keyboard's turn begins
  // Column 4 holds two beads: the upright twin comes to rest on them.
  EXPECT_EQ(OutlineAt(4, 3), pivot);
  EXPECT_EQ(OutlineAt(4, 4), second);

  Press(vk::kLeft);  // column 3 holds one bead
  EXPECT_EQ(OutlineAt(4, 3), -1);
  EXPECT_EQ(OutlineAt(4, 4), -1);
  EXPECT_EQ(OutlineAt(3, 2), pivot);
  EXPECT_EQ(OutlineAt(3, 3), second);

  Press(vk::kX);  // clockwise: the second bead to the right, each falls in its own column
  EXPECT_EQ(OutlineAt(3, 2), pivot);
  EXPECT_EQ(OutlineAt(4, 3), second);
  EXPECT_EQ(OutlineAt(3, 3), -1);

  Press(vk::kNumpad2);  // the drop takes the outline away
  EXPECT_EQ(ctl.InputSide, 2);
  EXPECT_EQ(OutlineAt(3, 2), -1);
  EXPECT_EQ(OutlineAt(4, 3), -1);
  EXPECT_EQ(ctl.LandingSide, 0);

  // Never for a replay.
  ctl.InputSide = 1;
  ctl.ReplayMode = true;
  ShowLanding(*g);
  EXPECT_EQ(OutlineAt(3, 2), -1);
}

}  // namespace
}  // namespace dalu
