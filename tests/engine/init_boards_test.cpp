#include <gtest/gtest.h>

#include "engine/board_helpers.h"
#include "engine/engine.h"
#include "engine/field_canvas.h"
#include "engine/field_draw.h"

namespace dalu {
namespace {

TEST(ConstSet, DefaultsAndChainTables) {
  Engine e;
  e.FieldWidth = 9;
  e.ChainBonus[3] = 77;
  e.ConstSet();
  EXPECT_EQ(e.FieldWidth, 7);
  EXPECT_EQ(e.FieldHeight, 11);
  EXPECT_EQ(e.ColourCount, 4);
  EXPECT_EQ(e.VanishCount, 4);
  EXPECT_EQ(e.ObstructRate[1], 100);
  EXPECT_EQ(e.ObstructRate[2], 100);
  const int bonus[] = {0, 0, 6, 18, 36, 60};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(e.ChainBonus[i], bonus[i]) << i;
  EXPECT_EQ(e.ChainBonus[30], 3 * 30 * 29);
  EXPECT_EQ(e.ChainRate[1], 1);
  EXPECT_EQ(e.ChainRate[2], 2);
  EXPECT_EQ(e.ChainRate[3], 3);
  EXPECT_EQ(e.ChainRate[30], 30);
}

TEST(InitBoards, DefaultFieldHasItsBorders) {
  Engine e;
  testing::FreshBoards(e);
  for (int p = 1; p <= 2; ++p) {
    const Board& b = e.Boards[p];
    EXPECT_EQ(b.Owner, p);
    EXPECT_EQ(b.ObstructColumn, 7);
    EXPECT_EQ(b.ChainCount, 0);
    EXPECT_EQ(b.PendingShown, 0);
    for (int x = 1; x <= 7; ++x) {
      for (int y = 1; y <= 14; ++y) EXPECT_EQ(b.Cells[x][y], kEmpty) << x << "," << y;
      EXPECT_EQ(b.Cells[x][15], kCeiling);
    }
    for (int x = 0; x <= 8; ++x) EXPECT_EQ(b.Cells[x][0], kWall);
    for (int x : {0, 8}) {
      for (int y = 1; y <= 11; ++y) EXPECT_EQ(b.Cells[x][y], kWall);
      for (int y = 12; y <= 15; ++y) EXPECT_EQ(b.Cells[x][y], kBorder);
    }
  }
  EXPECT_EQ(e.ColourImage[10], 6);
  EXPECT_EQ(e.TwinIndex[1], 1);
  EXPECT_EQ(e.TwinIndex[2], 1);
}

TEST(InitBoards, LargestFieldUsesTheLastColumnAndRow) {
  Engine e;
  e.FieldWidth = 9;
  e.FieldHeight = 14;
  testing::FreshBoards(e);
  const Board& b = e.Boards[2];
  EXPECT_EQ(b.Cells[10][1], kWall);
  EXPECT_EQ(b.Cells[0][14], kWall);
  EXPECT_EQ(b.Cells[10][18], kBorder);
  EXPECT_EQ(b.Cells[9][18], kCeiling);
  EXPECT_EQ(b.Cells[9][17], kEmpty);
}

TEST(InitBoards, ShrinkingTheFieldLeavesNoOldCells) {
  Engine e;
  e.FieldWidth = 9;
  e.FieldHeight = 14;
  testing::FreshBoards(e);
  e.Boards[1].Cells[9][14] = 3;
  e.Boards[1].Cells[8][3] = 2;
  e.FieldWidth = 7;
  e.FieldHeight = 11;
  testing::FreshBoards(e);
  // Column 8 is now the wall, column 9 lies outside the field.
  EXPECT_EQ(e.Boards[1].Cells[8][3], kWall);
  EXPECT_EQ(e.Boards[1].Cells[9][14], kWall);
}

TEST(InitBoards, ResetsQueuesAndDrawsWallsMarkersAndNotices) {
  Engine e;
  e.ObstructQueueLen[1] = 3;
  e.ObstructQueueLen[2] = 1;
  e.TwinIndex[1] = 40;
  RecordingCanvas cv;
  InitBoards(e, cv);
  EXPECT_EQ(e.ObstructQueueLen[1], 0);
  EXPECT_EQ(e.ObstructQueueLen[2], 0);
  EXPECT_EQ(e.TwinIndex[1], 1);
  // Walls and floor: columns 0 and 8 rows 0..11 and the floor of columns 1..7, both sides.
  EXPECT_EQ(cv.CountImages(kImgWall), 2 * (12 + 12 + 7));
  // Markers: the next-drop marker over column W, plain markers elsewhere.
  EXPECT_EQ(cv.CountImages(kImgNextDrop), 2);
  EXPECT_EQ(cv.CountImages(kImgColumnMarker), 2 * 6);
  EXPECT_EQ(cv.ImageAt(60 + 7 * 20, 90 - 20), kImgNextDrop);            // side 1, row H+4
  EXPECT_EQ(cv.ImageAt(360 + 60 + 1 * 20, 90 - 20), kImgColumnMarker);  // side 2
  EXPECT_EQ(cv.ImageAt(60, 350), kImgWall);                             // side 1, column 0, row 1
}

}  // namespace
}  // namespace dalu
