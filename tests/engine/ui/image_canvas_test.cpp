#include "engine/ui/image_canvas.h"

#include <gtest/gtest.h>

#include <QDir>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/board_helpers.h"
#include "engine/field_draw.h"
#include "match/game.h"
#include "records/ui/bitmaps.h"
#include "util/host.h"
#include "util/sound.h"
#include "util/ui/qt_test_app.h"

namespace dalu {
namespace {

// A background where every pixel says where it is, so a restored cell can be checked exactly.
QImage PatternBackground() {
  QImage img(kImageWidth, kImageHeight, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 7));
  return img;
}

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureQtApp();
    pictures.Im_Back = PatternBackground();
    // Image 5: left half red, right half transparent.
    QImage cell(20, 20, QImage::Format_ARGB32_Premultiplied);
    cell.fill(Qt::transparent);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 10; ++x) cell.setPixel(x, y, qRgb(255, 0, 0));
    pictures.IL_ch[5] = cell;
    pictures.imagesReady = true;
  }
  QRgb At(int x, int y) const { return canvas->image().pixel(x, y); }
  QRgb Back(int x, int y) const { return pictures.Im_Back.pixel(x, y); }

  FieldPictures pictures;
  std::unique_ptr<ImageCanvas> canvas = std::make_unique<ImageCanvas>(pictures);
};

TEST_F(CanvasTest, DrawsImagesWithTheirMaskAndRestoresCellsExactly) {
  EXPECT_EQ(canvas->image().size(), QSize(kImageWidth, kImageHeight));
  canvas->RestoreAll();
  EXPECT_EQ(At(300, 300), Back(300, 300));
  canvas->DrawImage(5, 40, 60);
  canvas->DrawImage(5, 60, 60);
  EXPECT_EQ(At(40, 60), qRgb(255, 0, 0));
  EXPECT_EQ(At(49, 79), qRgb(255, 0, 0));
  EXPECT_EQ(At(50, 60), Back(50, 60));  // the transparent half shows the background
  EXPECT_EQ(At(59, 79), Back(59, 79));

  canvas->RestoreCell(40, 60);
  for (int y = 60; y < 80; ++y)
    for (int x = 40; x < 60; ++x) ASSERT_EQ(At(x, y), Back(x, y)) << x << "," << y;
  EXPECT_EQ(At(60, 60), qRgb(255, 0, 0));  // the next cell is untouched
}

TEST_F(CanvasTest, IgnoresImagesThatDoNotExist) {
  canvas->RestoreAll();
  const QImage before = canvas->image();
  canvas->DrawImage(-1, 40, 40);
  canvas->DrawImage(kSheetImages, 40, 40);
  canvas->DrawImage(6, 40, 40);  // an empty slot of the list
  EXPECT_EQ(canvas->image(), before);
  pictures.imagesReady = false;
  canvas->DrawImage(5, 40, 40);
  EXPECT_EQ(canvas->image(), before);
}

TEST_F(CanvasTest, WithoutABackgroundCellsAreClearedToBlack) {
  pictures.Im_Back = QImage();
  canvas->DrawImage(5, 40, 40);
  canvas->RestoreCell(40, 40);
  EXPECT_EQ(At(45, 45), qRgb(0, 0, 0));
}

TEST_F(CanvasTest, ChainNumbersAreWhiteAndStayInTheirCell) {
  pictures.Im_Back.fill(Qt::black);
  canvas->RestoreAll();
  canvas->DrawChainNumber(105, 100, 7, 11);  // a one-digit chain: cell at x 100, written at +5
  canvas->DrawChainNumber(201, 100, 12, 9);  // two digits in the smaller size, at +1
  auto whiteIn = [&](int x0, int x1) {
    int white = 0, outside = 0;
    for (int y = 80; y < 140; ++y)
      for (int x = x0 - 20; x < x1 + 20; ++x) {
        const bool lit = qRed(At(x, y)) > 200 && qGreen(At(x, y)) > 200 && qBlue(At(x, y)) > 200;
        const bool inside = x >= x0 && x < x1 && y >= 100 && y < 120;
        (inside ? white : outside) += lit;
      }
    return std::pair{white, outside};
  };
  const auto [w7, out7] = whiteIn(100, 120);
  EXPECT_GT(w7, 10);
  EXPECT_EQ(out7, 0);
  const auto [w12, out12] = whiteIn(200, 220);
  EXPECT_GT(w12, 10);
  EXPECT_EQ(out12, 0);
}

TEST_F(CanvasTest, PresentSignalsTheWindow) {
  int presented = 0;
  QObject::connect(canvas.get(), &ImageCanvas::presented, [&] { ++presented; });
  canvas->Present();
  canvas->Present();
  EXPECT_EQ(presented, 2);
}

// A field in the middle of a match, drawn by the engine's own drawing functions on the real
// pictures and saved for looking at.
const std::vector<std::string> kSide1 = {".......", ".......", ".......", ".......",
                                         ".......", "......5", "1...245", "1253245",
                                         "2233151", "3X44151", "3345522"};
const std::vector<std::string> kSide2 = {".......", ".......", ".......", ".......",
                                         "X......", "XX.....", "2XX.43.", "21XX432",
                                         "155X332", "1352541", "3322441"};

void DrawBoard(Engine& e, FieldCanvas& cv, int p) {
  for (int x = 1; x <= e.FieldWidth; ++x) {
    for (int y = 1; y <= e.FieldHeight; ++y) {
      if (e.Boards[p].Cells[x][y] == kObstruct) {
        DrawBead(e, cv, p, x, y, 0, kObstruct);
      } else {
        DrawSettled(e, cv, p, x, y);
      }
    }
  }
}

TEST(SampleField, DrawsAMatchInProgress) {
  testing::EnsureQtApp();
  VirtualHost host;
  NullCanvas nullCanvas;
  NullSound sound;
  auto game = std::make_unique<Game>(host, nullCanvas, sound);
  game->cfg.AppDir = DALU_APP_DIR;
  game->cfg.Cfg[kBrickTone] = 0;
  game->cfg.Cfg[kDrawFieldLines] = 0;
  FieldPictures pictures;
  ASSERT_TRUE(TF_File_BmpLoad(*game, pictures)) << "run the build first: dalu_art";
  ImageCanvas canvas(pictures);
  Engine& e = game->eng;
  for (int c = 1; c <= 5; ++c) e.ColourImage[c] = c;
  e.ColourCount = 5;

  canvas.RestoreAll();
  InitBoards(e, canvas);
  testing::SetRows(e, 1, kSide1);
  testing::SetRows(e, 2, kSide2);
  DrawBoard(e, canvas, 1);
  DrawBoard(e, canvas, 2);
  e.Boards[1].PendingShown = 243;
  e.Boards[2].PendingShown = 6;
  DrawNotice(e, canvas, 1);
  DrawNotice(e, canvas, 2);
  e.Boards[2].ObstructColumn = 3;
  DrawMarkers(e, canvas, 2);
  DrawTwin(e, canvas, 1, TwinMove{3, 2, 4, 1, 0});
  DrawTwin(e, canvas, 2, TwinMove{5, 5, 2, 0, 0});
  // The twins waiting next, in the preview boxes.
  DrawBead(e, canvas, 1, e.FieldWidth + 3, 12, 0, 1);
  DrawBead(e, canvas, 1, e.FieldWidth + 3, 11, 0, 4);
  DrawBead(e, canvas, 2, -3, 12, 0, 2);
  DrawBead(e, canvas, 2, -3, 11, 0, 2);
  // Side 2's group of four bursts (vanish frame 3); side 1 shows a chain number where a bead
  // has gone, and a bead bouncing on landing.
  for (const auto& [x, y] : {std::pair{5, 3}, {6, 3}, {6, 4}, {6, 5}}) {
    EraseCell(e, canvas, 2, x, y);
    const Pixel px = CellPixel(e, 2, x, y);
    canvas.DrawImage(BeadImage(e, 3, 16 + 3), px.x, px.y);
  }
  const Pixel num = CellPixel(e, 1, 4, 5);
  canvas.DrawChainNumber(num.x + 5, num.y, 2, 11);
  DrawBead(e, canvas, 1, 2, 5, kVariantSquash1, 3);

  // The drawing really happened where the engine says: a settled bead is not background.
  const Pixel bead = CellPixel(e, 1, 1, 1);
  EXPECT_NE(canvas.image().pixel(bead.x + 10, bead.y + 10),
            pictures.Im_Back.pixel(bead.x + 10, bead.y + 10));

  QDir().mkpath(QStringLiteral(DALU_TEST_OUTPUT_DIR));
  EXPECT_TRUE(canvas.image().save(QStringLiteral(DALU_TEST_OUTPUT_DIR "sample_field.png")));
  const QImage big = canvas.image().scaled(kImageWidth * 2, kImageHeight * 2);
  EXPECT_TRUE(big.save(QStringLiteral(DALU_TEST_OUTPUT_DIR "sample_field_2x.png")));

  // The same boards on the checkerboard background without lines.
  game->cfg.Cfg[kBrickTone] = 1;
  game->cfg.Cfg[kDrawFieldLines] = 1;
  TF_File_BGPLoad(*game, pictures);
  ImageCanvas checker(pictures);
  checker.RestoreAll();
  InitBoards(e, checker);
  testing::SetRows(e, 1, kSide1);
  testing::SetRows(e, 2, kSide2);
  DrawBoard(e, checker, 1);
  DrawBoard(e, checker, 2);
  EXPECT_TRUE(checker.image()
                  .scaled(kImageWidth * 2, kImageHeight * 2)
                  .save(QStringLiteral(DALU_TEST_OUTPUT_DIR "sample_field_checker_2x.png")));
}

}  // namespace
}  // namespace dalu
