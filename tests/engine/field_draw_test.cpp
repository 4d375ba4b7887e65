#include "engine/field_draw.h"

#include <gtest/gtest.h>

#include "engine/board_helpers.h"

namespace dalu {
namespace {

using Kind = RecordingCanvas::Kind;

class FieldDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FreshBoards(e);
    for (int c = 1; c <= 4; ++c) e.ColourImage[c] = c;
  }
  // Images drawn on the notice row of side 1, in drawing order, with their x offsets from
  // the row's first slot.
  std::vector<std::pair<int, int>> NoticeImages() {
    std::vector<std::pair<int, int>> out;
    const Pixel slot0 = CellPixel(e, 1, 0, e.FieldHeight + 6);
    for (const auto& op : cv.ops)
      if (op.kind == Kind::kImage && op.y == slot0.y) out.push_back({op.value, op.x - slot0.x});
    return out;
  }

  Engine e;
  RecordingCanvas cv;
  Config cfg;
  VirtualHost host;
};

TEST_F(FieldDrawTest, CellGeometry) {
  EXPECT_EQ(CellPixel(e, 1, 1, 1).y, 350);
  EXPECT_EQ(CellPixel(e, 1, 0, 1).x, 60);
  const Pixel pivot = CellPixel(e, 2, 3, e.FieldHeight + 2);
  EXPECT_EQ(pivot.x, 420 + 20 * 3);
  EXPECT_EQ(pivot.y, 110);
  EXPECT_EQ(CellPixel(e, 1, 1, e.FieldHeight + 3).y, 90);
}

TEST_F(FieldDrawTest, NoticeIconsForTheExamples) {
  using V = std::vector<std::pair<int, int>>;
  const auto show = [&](int n) {
    cv.ops.clear();
    e.Boards[1].PendingShown = n;
    DrawNotice(e, cv, 1);
    return NoticeImages();
  };
  EXPECT_EQ(show(0), V{});
  EXPECT_EQ(show(7), (V{{kImgNoticeRow, 0}}));
  EXPECT_EQ(show(6), (V{{kImgNotice1, 0},
                        {kImgNotice1, 10},
                        {kImgNotice1, 20},
                        {kImgNotice1, 30},
                        {kImgNotice1, 40},
                        {kImgNotice1, 50}}));
  EXPECT_EQ(show(243), (V{{kImgNotice100, 0},
                          {kImgNotice100, 20},
                          {kImgNotice5Rows, 40},
                          {kImgNoticeRow, 60},
                          {kImgNotice1, 80}}));
  V full;
  for (int s = 0; s < 9; ++s) full.push_back({kImgNotice100, 20 * s});
  EXPECT_EQ(show(1200), full);
  // Every slot taken by bigger icons but the last: singles squeeze into what is left.
  const V tight = show(7 * 100 + 35 + 6);  // 7 big, 1 five-row, 6 singles for 1 slot
  ASSERT_EQ(tight.size(), 9u);
  EXPECT_EQ(tight[8], (std::pair<int, int>{kImgNotice1, 160}));
  // The row is cleared first, all W + 2 slots.
  int restores = 0;
  for (const auto& op : cv.ops) restores += op.kind == Kind::kRestore;
  EXPECT_EQ(restores, 9);
}

TEST_F(FieldDrawTest, SettledBeadsJoinTheirNeighbours) {
  testing::SetRows(e, 1, {"11.....", "13....."});
  DrawSettled(e, cv, 1, 1, 1);
  const Pixel p = CellPixel(e, 1, 1, 1);
  EXPECT_EQ(cv.ImageAt(p.x, p.y), 8);  // joined above only
  DrawSettled(e, cv, 1, 1, 2);
  const Pixel q = CellPixel(e, 1, 1, 2);
  EXPECT_EQ(cv.ImageAt(q.x, q.y), 1 + 2);  // right and below
  e.ColourImage[3] = 5;
  DrawSettled(e, cv, 1, 2, 1);
  const Pixel r = CellPixel(e, 1, 2, 1);
  EXPECT_EQ(cv.ImageAt(r.x, r.y), 4 * 24);
  cv.ops.clear();
  DrawSettled(e, cv, 1, 3, 1);   // empty
  DrawSettled(e, cv, 1, 0, 1);   // wall
  DrawSettled(e, cv, 1, 1, 12);  // above the field
  EXPECT_TRUE(cv.ops.empty());
}

TEST_F(FieldDrawTest, TwinDrawnAtTheWaitingRow) {
  DrawTwin(e, cv, 1, {2, 3, 4, 1, 0});
  const Pixel pivot = CellPixel(e, 1, 4, 13);
  const Pixel second = CellPixel(e, 1, 3, 13);
  EXPECT_EQ(cv.ImageAt(pivot.x, pivot.y), 24);
  EXPECT_EQ(cv.ImageAt(second.x, second.y), 48);
  EraseTwin(e, cv, 1, {2, 3, 4, 1, 0});
  EXPECT_EQ(cv.ImageAt(pivot.x, pivot.y), -1);
  EXPECT_EQ(cv.ImageAt(second.x, second.y), -1);
}

// A twin dropped on an empty column, as the match sets it up.
void DropTwin(Engine& e, const Config& cfg) {
  e.FallCount = 2;
  e.FallList[1] = {1, 2, 13.0, 1, cfg.Cfg[kDropHitSpeed] / 100.0, 1, -2};
  e.FallList[2] = {1, 2, 14.0, 2, cfg.Cfg[kDropHitSpeed] / 100.0, 2, -1};
  e.Boards[1].Cells[2][1] = 1;
  e.Boards[1].Cells[2][2] = 2;
}

TEST_F(FieldDrawTest, FallLandsBouncesAndJoins) {
  DropTwin(e, cfg);
  AnimateFalls(e, cv, host, cfg);
  EXPECT_GE(e.FallList[1].BounceState, cfg.Cfg[kBoundingCount]);
  EXPECT_GE(e.FallList[2].BounceState, cfg.Cfg[kBoundingCount]);
  EXPECT_EQ(e.FallList[1].Position, 1.0);
  // Squashed images were shown while bouncing, and each bead ends joined to nothing.
  EXPECT_GT(cv.CountImages(0 + kVariantSquash1), 0);
  const Pixel p1 = CellPixel(e, 1, 2, 1);
  const Pixel p2 = CellPixel(e, 1, 2, 2);
  EXPECT_EQ(cv.ImageAt(p1.x, p1.y), 0);
  EXPECT_EQ(cv.ImageAt(p2.x, p2.y), 24);
  // Every frame is paced: 40 units are 20 ms.
  EXPECT_EQ(host.TickMs() % 20, 0u);
  EXPECT_GT(host.TickMs(), 20u * 10);
}

TEST_F(FieldDrawTest, BoundingCountOneNeverSquashes) {
  cfg.Cfg[kBoundingCount] = 1;
  DropTwin(e, cfg);
  AnimateFalls(e, cv, host, cfg);
  for (int v : {16, 17, 24 + 16, 24 + 17}) EXPECT_EQ(cv.CountImages(v), 0) << v;
  const Pixel p1 = CellPixel(e, 1, 2, 1);
  EXPECT_EQ(cv.ImageAt(p1.x, p1.y), 0);
}

TEST_F(FieldDrawTest, SeparatedBeadKeepsFallingAfterItsPartnerLands) {
  // Horizontal twin: pivot lands on row 1 of column 2, partner has to fall to row 1 of
  // column 3 from higher up because column 3 is empty too — give column 2 a stack.
  for (int y = 1; y <= 5; ++y) e.Boards[1].Cells[2][y] = 3;
  e.FallCount = 2;
  e.FallList[1] = {1, 2, 13.0, 6, 1.5, 1, -2};
  e.FallList[2] = {1, 3, 13.0, 1, 1.5, 2, -1};
  AnimateFalls(e, cv, host, cfg);
  EXPECT_EQ(e.FallList[1].Position, 6.0);
  EXPECT_EQ(e.FallList[2].Position, 1.0);
}

TEST_F(FieldDrawTest, FallAlwaysEndsWhateverTheConfiguration) {
  cfg.Cfg[kGravityPower] = -11111;
  cfg.Cfg[kSeparatedSpeed] = -11111;
  cfg.Cfg[kBoundingCount] = -11111;
  cfg.Cfg[kAnimationWait] = -11111;
  e.FallCount = 1;
  e.FallList[1] = {1, 2, 10.0, 1, 0.0, 1, 0};  // free fall that would rise forever
  e.Boards[1].Cells[2][1] = 1;
  AnimateFalls(e, cv, host, cfg);
  EXPECT_EQ(e.FallList[1].Position, 1.0);
  const Pixel p = CellPixel(e, 1, 2, 1);
  EXPECT_EQ(cv.ImageAt(p.x, p.y), 0);
}

TEST_F(FieldDrawTest, ObstructBeadsAboveTheFieldAreNotDrawnWhenTheyLand) {
  e.FallCount = 1;
  e.FallList[1] = {1, 2, 13.0, 12, 0.0, kObstruct, 0};
  AnimateFalls(e, cv, host, cfg);
  const Pixel p = CellPixel(e, 1, 2, 12);
  EXPECT_EQ(cv.ImageAt(p.x, p.y), -1);
}

TEST_F(FieldDrawTest, NeighboursOfABeadThatFellAwayLoseTheirJoin) {
  // Column 1 holds a colour-3 support and on it a colour-1 bead, drawn joined to the
  // colour-1 bead at its right. That one falls from row 2 to the floor.
  e.Boards[1].Cells[1][1] = 3;
  e.Boards[1].Cells[1][2] = 1;
  e.Boards[1].Cells[2][1] = 1;
  DrawBead(e, cv, 1, 1, 2, 1, 1);
  e.FallCount = 1;
  e.FallList[1] = {1, 2, 2.0, 1, 0.0, 1, 0};
  AnimateFalls(e, cv, host, cfg);
  const Pixel left = CellPixel(e, 1, 1, 2);
  EXPECT_EQ(cv.ImageAt(left.x, left.y), 0);
  const Pixel landed = CellPixel(e, 1, 2, 1);
  EXPECT_EQ(cv.ImageAt(landed.x, landed.y), 0);
}

// The drawing operations of AnimateFalls, frame by frame, for positions worked out by hand.
// Each op is (kind, column, row, pixels shifted up, image); kPresent ends a frame.
class FallFramesTest : public FieldDrawTest {
 protected:
  struct Step {
    Kind kind;
    int column = 0, row = 0, up = 0, image = 0;
  };
  static Step R(int column, int row, int up = 0) { return {Kind::kRestore, column, row, up, 0}; }
  static Step I(int image, int column, int row, int up = 0) {
    return {Kind::kImage, column, row, up, image};
  }
  static Step P() { return {Kind::kPresent}; }

  void ExpectOps(const std::vector<Step>& steps) {
    ASSERT_EQ(cv.ops.size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
      const Step& s = steps[i];
      const RecordingCanvas::Op& op = cv.ops[i];
      EXPECT_EQ(op.kind, s.kind) << "op " << i;
      if (s.kind == Kind::kPresent) continue;
      const Pixel px = CellPixel(e, 1, s.column, s.row);
      EXPECT_EQ(op.x, px.x) << "op " << i;
      EXPECT_EQ(op.y, px.y - s.up) << "op " << i;
      if (s.kind == Kind::kImage) {
        EXPECT_EQ(op.value, s.image) << "op " << i;
      }
    }
  }
};

TEST_F(FallFramesTest, JoinedTwinLandsReleasesItsPartnerAndBothBounce) {
  cfg.Cfg[kGravityPower] = 50;    // 0.5 rows per frame per frame
  cfg.Cfg[kSeparatedSpeed] = 25;  // 0.25 rows per frame
  cfg.Cfg[kBoundingCount] = 4;
  cfg.Cfg[kAnimationWait] = 10;
  e.ColourImage[3] = 3;
  // A horizontal twin: the pivot (colour 1) lands on a stack of two in column 2, the second
  // bead (colour 2) on the floor of column 3. The board already holds where they end.
  e.Boards[1].Cells[2][1] = 3;
  e.Boards[1].Cells[2][2] = 3;
  e.Boards[1].Cells[2][3] = 1;
  e.Boards[1].Cells[3][1] = 2;
  e.FallCount = 2;
  e.FallList[1] = {1, 2, 5.0, 3, 1.0, 1, -2};
  e.FallList[2] = {1, 3, 5.0, 1, 1.0, 2, -1};
  AnimateFalls(e, cv, host, cfg);
  ExpectOps({
      // 1: both joined beads fall one row.
      R(2, 5),
      R(3, 5),
      I(0, 2, 4),
      I(24, 3, 4),
      P(),
      // 2: the pivot reaches its row exactly (>= lands it) and releases its partner, which
      //    moves by the separated speed this very frame and then accelerates to 0.75.
      R(2, 4),
      R(3, 4),
      I(0, 2, 3),
      I(24, 3, 3, 15),
      P(),
      // 3: bounce 2 is squashed; the partner is at 3.0, speed 1.25.
      R(2, 3),
      R(3, 3, 15),
      I(16, 2, 3),
      I(24, 3, 3),
      P(),
      // 4: bounce 3 still squashed; the partner at 1.75.
      R(2, 3),
      R(3, 3),
      I(16, 2, 3),
      I(24, 3, 1, 15),
      P(),
      // 5: bounce 4 ends the pivot's bounce: it and its neighbours are drawn joined (the stack
      //    bead below it joins the one under it); the partner lands.
      R(2, 3),
      R(3, 1, 15),
      R(2, 3),
      I(0, 2, 3),
      R(2, 2),
      I(48 + 2, 2, 2),
      I(24, 3, 1),
      P(),
      // 6, 7: only the partner is restored and drawn, squashed.
      R(3, 1),
      I(24 + 16, 3, 1),
      P(),
      R(3, 1),
      I(24 + 16, 3, 1),
      P(),
      // 8: the partner's bounce ends; the stack bead to its left is redrawn joined above.
      R(3, 1),
      R(3, 1),
      I(24, 3, 1),
      R(2, 1),
      I(48 + 8, 2, 1),
      P(),
  });
  EXPECT_EQ(e.FallList[1].BounceState, 7);
  EXPECT_EQ(e.FallList[2].BounceState, 4);
  EXPECT_EQ(host.TickMs(), 8u * 5);
}

TEST_F(FallFramesTest, ObstructBeadFreeFallFromAboveTheDrawnRows) {
  cfg.Cfg[kGravityPower] = 100;
  cfg.Cfg[kBoundingCount] = 4;
  e.FallCount = 1;
  // Starts at row H+4, above the rows that are drawn; lands on row 5.
  e.FallList[1] = {1, 5, 15.0, 5, 0.0, kObstruct, 0};
  AnimateFalls(e, cv, host, cfg);
  ExpectOps({
      P(),                 // 1: at 15, not drawn; speed 1
      I(120, 5, 14), P(),  // 2: at 14, speed 2
      R(5, 14),      I(120, 5, 12),
      P(),  // 3: at 12, speed 3
      R(5, 12),      I(120, 5, 9),
      P(),  // 4: at 9, speed 4
      R(5, 9),       I(120, 5, 5),
      P(),  // 5: at 5 = its row, which does not land it yet
      R(5, 5),       I(120, 5, 5),
      P(),  // 6: past its row: lands
      R(5, 5),       I(120 + 16, 5, 5),
      P(),  // 7: bounce 2
      R(5, 5),       I(120 + 16, 5, 5),
      P(),  // 8: bounce 3
      R(5, 5),       I(120, 5, 5),
      P(),  // 9: bounce over, drawn as the plain bead
  });
}

TEST_F(FieldDrawTest, DrawPositionDrawsFieldsMarkersNoticesPreviewsAndBurials) {
  const int H = e.FieldHeight;
  // Side 1: a joined pair of colour 1 on the floor, an obstruct bead beside it, a lone
  // colour 2 above; 7 points incoming; the next obstruct bead goes to column 3; twins 3
  // and 4 wait as previews.
  testing::SetRows(e, 1, {"2......", "11X...."});
  e.Boards[1].PendingShown = 7;
  e.Boards[1].ObstructColumn = 3;
  e.TwinIndex[1] = 3;
  const int32_t seq[] = {0, 1, 1, 1, 1, 3, 4, 2, 1};
  std::copy(std::begin(seq), std::end(seq), e.TwinSequence[1]);
  // Side 2: buried (rows H and H-1 full); it has never been handed a twin.
  std::vector<std::string> full(static_cast<size_t>(H), "1212121");
  testing::SetRows(e, 2, full);
  DrawPosition(e, cv);

  ASSERT_FALSE(cv.ops.empty());
  EXPECT_EQ(cv.ops.front().kind, Kind::kRestoreAll);  // drawn whole, from the background
  auto at = [&](int p, int x, int y) {
    const Pixel px = CellPixel(e, p, x, y);
    return cv.ImageAt(px.x, px.y);
  };
  EXPECT_EQ(at(1, 1, 1), BeadImage(e, 1, 1));  // joined to the right
  EXPECT_EQ(at(1, 2, 1), BeadImage(e, 1, 4));  // joined to the left
  EXPECT_EQ(at(1, 3, 1), kImgObstruct);
  EXPECT_EQ(at(1, 1, 2), BeadImage(e, 2, 0));  // a different colour: not joined
  EXPECT_EQ(at(1, 4, 1), -1);
  EXPECT_EQ(at(1, 0, 1), kImgWall);
  EXPECT_EQ(at(1, 8, 0), kImgWall);
  EXPECT_EQ(at(1, 3, H + 4), kImgNextDrop);
  EXPECT_EQ(at(1, 1, H + 4), kImgColumnMarker);
  EXPECT_EQ(at(1, 0, H + 6), kImgNoticeRow);
  // Previews: twin 3 (3, 4) beside the field, twin 4 (2, 1) further out.
  EXPECT_EQ(at(1, e.FieldWidth + 3, 11), BeadImage(e, 3, 0));
  EXPECT_EQ(at(1, e.FieldWidth + 3, 12), BeadImage(e, 4, 0));
  EXPECT_EQ(at(1, e.FieldWidth + 4, 10), BeadImage(e, 2, 0));
  EXPECT_EQ(at(1, e.FieldWidth + 4, 11), BeadImage(e, 1, 0));
  // No twin waits above the field between turns.
  EXPECT_EQ(at(1, 4, H + 2), -1);
  // The buried side: the filler over field, walls and marker row, not the notice row; no
  // previews before its first twin.
  for (int x = 0; x <= e.FieldWidth + 1; ++x) {
    for (int y = 0; y <= H + 5; ++y) ASSERT_EQ(at(2, x, y), kImgBurial) << x << " " << y;
  }
  EXPECT_EQ(at(2, -2, 11), -1);
  EXPECT_EQ(cv.CountImages(kImgNotice1), 0);
}

}  // namespace
}  // namespace dalu
