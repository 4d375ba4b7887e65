#include "engine/vanish_step.h"

#include <gtest/gtest.h>

#include "engine/board_helpers.h"
#include "engine/chain.h"
#include "engine/field_draw.h"
#include "engine/twins.h"

namespace dalu {
namespace {

using testing::FreshBoards;
using testing::Rows;
using testing::SetRows;

struct VanishFixture : ::testing::Test {
  VanishFixture() {
    FreshBoards(e);
    for (int c = 1; c <= 5; ++c) e.ColourImage[c] = c;
  }
  // A bead that fell this turn onto (x, y) of side p, written onto the live board.
  void Fell(int p, int x, int y, int colour) {
    FallingBead& f = e.FallList[++e.FallCount];
    f = {};
    f.Owner = p;
    f.Column = x;
    f.TargetRow = y;
    f.Colour = colour;
    e.Boards[p].Cells[x][y] = colour;
  }
  void Step() { VanishStep(e, canvas, host, sound, cfg); }

  Engine e;
  Config cfg;
  VirtualHost host;
  RecordingCanvas canvas;
  RecordingSound sound;
};

TEST_F(VanishFixture, OneSideVanishesItsGroupWithTheObstructBeadsBesideIt) {
  SetRows(e, 1,
          {"X......",    // row 3
           "11.....",    // row 2
           "11X.X.."});  // row 1
  Fell(1, 2, 3, 1);      // five beads of colour 1 now touch
  Step();

  EXPECT_EQ(Rows(e, e.Boards[1]).back(), "....X..");  // the far obstruct bead stays
  EXPECT_EQ(Rows(e, e.Boards[1])[e.FieldHeight - 3], ".......");
  EXPECT_EQ(e.Boards[1].ChainCount, 1);
  EXPECT_EQ(e.VanishTally[1][1], 5);  // obstruct beads never count
  EXPECT_EQ(e.Boards[2].PendingShown, ChainPoints(e, 1, 5));
  EXPECT_EQ(e.Boards[2].PendingShown, 1);
  EXPECT_EQ(e.Boards[1].PendingShown, 0);
  EXPECT_TRUE(e.SequenceSplit);
  EXPECT_EQ(sound.played, std::vector<int>{1});

  // Seven cells (five beads, two obstruct beads) animate six frames each.
  int frames = 0;
  for (const auto& op : canvas.ops) frames += op.kind == RecordingCanvas::Kind::kImage;
  EXPECT_EQ(frames, 7 * 6);
  const Pixel obstruct = CellPixel(e, 1, 1, 3);
  EXPECT_EQ(canvas.CountImages(kImgObstruct + 16 + 6), 2);
  EXPECT_EQ(canvas.ImageAt(obstruct.x, obstruct.y), -1);  // erased at the end
  // Chain 1 is below the default limit of 4: no number is written.
  for (const auto& op : canvas.ops) EXPECT_NE(op.kind, RecordingCanvas::Kind::kNumber);
}

TEST_F(VanishFixture, ChainNumbersStandOverColourBeadsOnly) {
  cfg.Cfg[kChainCountLimit] = 1;
  SetRows(e, 2, {"222.X.."});
  Fell(2, 4, 1, 2);  // completes a row of four with the obstruct bead beside it
  Fell(2, 5, 2, 2);  // a single bead on top of the obstruct bead
  Step();
  std::vector<RecordingCanvas::Op> numbers;
  for (const auto& op : canvas.ops)
    if (op.kind == RecordingCanvas::Kind::kNumber) numbers.push_back(op);
  ASSERT_EQ(numbers.size(), 4u);             // the obstruct bead taken along gets none
  const Pixel seed = CellPixel(e, 2, 4, 1);  // the group is listed from its seed
  EXPECT_EQ(numbers[0].x, seed.x + 5);
  EXPECT_EQ(numbers[0].y, seed.y);
  EXPECT_EQ(numbers[0].value, 1);
  EXPECT_EQ(numbers[0].size, 11);
  EXPECT_EQ(Rows(e, e.Boards[2]).back(), ".......");
  EXPECT_EQ(e.Boards[2].Cells[5][2], 2);  // the single bead stays where it fell
}

TEST_F(VanishFixture, TenStepsShowInTheSmallFontWhateverTheLimit) {
  cfg.Cfg[kChainCountLimit] = 11;
  e.Boards[1].ChainCount = 9;
  SetRows(e, 1, {"333...."});
  Fell(1, 4, 1, 3);
  Step();
  int shown = 0;
  for (const auto& op : canvas.ops) {
    if (op.kind != RecordingCanvas::Kind::kNumber) continue;
    ++shown;
    EXPECT_EQ(op.value, 10);
    EXPECT_EQ(op.size, 9);
  }
  EXPECT_EQ(shown, 4);
  const Pixel px = CellPixel(e, 1, 1, 1);
  bool found = false;
  for (const auto& op : canvas.ops)
    found |= op.kind == RecordingCanvas::Kind::kNumber && op.x == px.x + 1 && op.y == px.y;
  EXPECT_TRUE(found);
  EXPECT_EQ(sound.played, std::vector<int>{10});
}

TEST_F(VanishFixture, AChainThatStopsReportsItsLengthOnlyAboveFour) {
  e.Boards[1].ChainCount = 5;
  e.Boards[2].ChainCount = 4;
  Step();
  EXPECT_EQ(e.LongChainReport[1], 5);
  EXPECT_EQ(e.LongChainReport[2], 0);
  EXPECT_EQ(e.Boards[1].ChainCount, 0);
  EXPECT_EQ(e.Boards[2].ChainCount, 0);
}

TEST_F(VanishFixture, NothingVanishingWaitsItsQuarterTickAndDrawsNothing) {
  SetRows(e, 1, {"111...."});
  Fell(1, 5, 1, 1);  // a group of three and a single
  const uint32_t before = host.TickMs();
  Step();
  EXPECT_EQ(host.TickMs() - before, 25u);
  EXPECT_TRUE(canvas.ops.empty());
  EXPECT_TRUE(sound.played.empty());
  EXPECT_FALSE(e.SequenceSplit);
  EXPECT_EQ(Rows(e, e.Boards[1]).back(), "111.1..");  // the group keeps its colour
}

TEST_F(VanishFixture, BothSidesChainTogetherAndTheLongerChainPicksTheSound) {
  e.Boards[1].ChainCount = 1;
  e.Boards[2].ChainCount = 3;
  SetRows(e, 1, {"1111..."});
  SetRows(e, 2, {"2222..."});
  Fell(1, 1, 1, 1);
  Fell(2, 4, 1, 2);
  Step();
  EXPECT_EQ(e.Boards[1].ChainCount, 2);
  EXPECT_EQ(e.Boards[2].ChainCount, 4);
  EXPECT_EQ(e.Boards[2].PendingShown, ChainPoints(e, 2, 4));
  EXPECT_EQ(e.Boards[1].PendingShown, ChainPoints(e, 4, 4));
  EXPECT_EQ(sound.played, std::vector<int>{4});
  // One animation for both: frame 1 is drawn on all eight cells before any frame 2.
  int frame1 = 0;
  for (const auto& op : canvas.ops) {
    if (op.kind != RecordingCanvas::Kind::kImage) continue;
    const int variant = op.value % 24;
    if (variant == 17) ++frame1;
    if (variant == 18) break;
  }
  EXPECT_EQ(frame1, 8);
}

TEST_F(VanishFixture, ChainsLongerThanTheTablesScoreWithTheLastEntry) {
  e.Boards[1].ChainCount = 34;
  SetRows(e, 1, {"4444..."});
  Fell(1, 1, 1, 4);
  Step();
  EXPECT_EQ(e.Boards[1].ChainCount, 35);
  EXPECT_EQ(e.VanishTally[1][kChainTableSize], 4);
  EXPECT_EQ(e.Boards[2].PendingShown, ChainPoints(e, 30, 4));
}

// Stepwise and instant resolution follow the same rules on the same board, so a whole
// stepwise chain sends exactly the points the instant resolution forecast.
TEST_F(VanishFixture, AStepwiseChainAddsUpToTheInstantForecast) {
  const std::vector<std::vector<std::string>> positions = {
      {"2......", "21.....", "21.....", "21....."},
      {".3.3...", ".1.42..", "34.41.3", "11.42.3", "3332331"},
      {"...4...", "4.33.14", "3.12212", "4213414", "4234224"},
  };
  const TwinMove moves[] = {{1, 2, 2, 0, 0}, {4, 1, 3, 2, 0}, {1, 4, 5, 3, 0}};
  for (size_t i = 0; i < positions.size(); ++i) {
    FreshBoards(e);
    SetRows(e, 1, positions[i]);
    e.WorkBoard = e.Boards[1];
    ResolveChains(e, moves[i], 2);
    const int32_t points = e.WorkBoard.ResultObstruct;
    const int32_t chains = e.WorkBoard.ResultChains;
    const Board settled = e.WorkBoard;

    // The live drop: the two beads at their landing rows, then a step per turn.
    e.WorkBoard = e.Boards[1];
    LandingRows(e, moves[i]);
    e.FallCount = 0;
    Fell(1, moves[i].Column, e.LandRow[1], moves[i].Colour1);
    Fell(1, moves[i].Column + DX[moves[i].Rotation], e.LandRow[2], moves[i].Colour2);
    int steps = 0;
    for (;;) {
      Step();
      if (e.Boards[1].ChainCount == 0) break;
      ++steps;
      e.WorkBoard = e.Boards[1];
      e.FallCount = 0;
      ApplyGravity(e);
      e.Boards[1] = e.WorkBoard;
    }
    EXPECT_EQ(steps, chains) << i;
    EXPECT_EQ(e.Boards[2].PendingShown, points) << i;
    EXPECT_EQ(Rows(e, e.Boards[1]), Rows(e, settled)) << i;
    EXPECT_GE(chains, 1) << i;
  }
}

}  // namespace
}  // namespace dalu
