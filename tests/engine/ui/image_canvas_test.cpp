#include "engine/ui/image_canvas.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
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

// Both fields of a match in progress, with every kind of image the field drawing uses.
void DrawSampleScene(Engine& e, FieldCanvas& canvas) {
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
}

class SampleField : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureQtApp();
    game->cfg.AppDir = DALU_APP_DIR;
    game->cfg.Cfg[kBrickTone] = 0;
    game->cfg.Cfg[kDrawFieldLines] = 0;
  }
  VirtualHost host;
  NullCanvas nullCanvas;
  NullSound sound;
  std::unique_ptr<Game> game = std::make_unique<Game>(host, nullCanvas, sound);
};

TEST_F(SampleField, DrawsAMatchInProgress) {
  FieldPictures pictures;
  ASSERT_TRUE(TF_File_BmpLoad(*game, pictures)) << "run the build first: dalu_art";
  ImageCanvas canvas(pictures);
  Engine& e = game->eng;
  DrawSampleScene(e, canvas);

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

// ---- High-density screens ----------------------------------------------------------------

// Image i drawn at scale 2 is the 40 x 40 cell of the 2x sheet, pixel for pixel, wherever
// the sheet is not transparent.
TEST_F(SampleField, AtScaleTwoBeadsAreThePixelsOfTheTwoTimesSheet) {
  FieldPictures pictures(2);
  ASSERT_TRUE(TF_File_BmpLoad(*game, pictures));
  EXPECT_TRUE(host.errors.empty());
  ImageCanvas canvas(pictures);
  ASSERT_EQ(canvas.image().size(), QSize(2 * kImageWidth, 2 * kImageHeight));
  EXPECT_EQ(canvas.image().devicePixelRatio(), 2.0);
  RecordingCanvas drawn;
  DrawSampleScene(game->eng, drawn);
  DrawSampleScene(game->eng, canvas);

  QImage sheet(QStringLiteral(DALU_APP_DIR "DaluChar@2x.bmp"));
  ASSERT_EQ(sheet.size(), QSize(960, 240));
  sheet = sheet.convertToFormat(QImage::Format_RGB32);
  int checked = 0, detailed = 0;
  for (const RecordingCanvas::Op& op : drawn.ops) {
    if (op.kind != RecordingCanvas::Kind::kImage || drawn.ImageAt(op.x, op.y) != op.value) continue;
    const int sx = 40 * (op.value % 24), sy = 40 * (op.value / 24);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        const QRgb want = sheet.pixel(sx + x, sy + y);
        if (want == qRgb(255, 0, 255)) continue;
        ASSERT_EQ(canvas.image().pixel(2 * op.x + x, 2 * op.y + y), want)
            << "image " << op.value << " at " << op.x << "," << op.y;
      }
    }
    // Drawn at its own resolution, not enlarged: some 2 x 2 blocks hold different pixels.
    for (int y = 0; y < 40; y += 2) {
      for (int x = 0; x < 40; x += 2) {
        const QRgb a = sheet.pixel(sx + x, sy + y);
        detailed += a != sheet.pixel(sx + x + 1, sy + y) || a != sheet.pixel(sx + x, sy + y + 1);
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 100);
  EXPECT_GT(detailed, 20 * checked);

  QDir().mkpath(QStringLiteral(DALU_TEST_OUTPUT_DIR));
  EXPECT_TRUE(canvas.image().save(QStringLiteral(DALU_TEST_OUTPUT_DIR "sample_field_hd.png")));
}

// The 2x picture averaged back down to 1x shows the same things in the same places: every
// 20 x 20 cell of the playfield has nearly the same mean colour at both scales.
TEST_F(SampleField, AtScaleTwoTheLayoutIsTheSame) {
  FieldPictures pictures1;
  FieldPictures pictures2(2);
  ASSERT_TRUE(TF_File_BmpLoad(*game, pictures1));
  ASSERT_TRUE(TF_File_BmpLoad(*game, pictures2));
  ImageCanvas canvas1(pictures1);
  ImageCanvas canvas2(pictures2);
  DrawSampleScene(game->eng, canvas1);
  DrawSampleScene(game->eng, canvas2);
  const QImage& one = canvas1.image();
  const QImage& two = canvas2.image();

  // Mean of one colour channel over the cell at (cx, cy), at scale s, shifted by dx pixels.
  auto mean = [](const QImage& img, int s, int cx, int cy, int channel, int dx = 0) {
    long sum = 0;
    for (int y = cy * s; y < (cy + 20) * s; ++y)
      for (int x = (cx + dx) * s; x < (cx + dx + 20) * s; ++x) {
        const QRgb c = img.pixel(std::clamp(x, 0, img.width() - 1), y);
        sum += channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c);
      }
    return static_cast<double>(sum) / (400 * s * s);
  };
  double worst = 0, worstShifted = 0;
  for (int cy = 0; cy + 20 <= kImageHeight; cy += 20) {
    for (int cx = 0; cx + 20 <= kImageWidth; cx += 20) {
      for (int ch = 0; ch < 3; ++ch) {
        const double m1 = mean(one, 1, cx, cy, ch);
        worst = std::max(worst, std::abs(m1 - mean(two, 2, cx, cy, ch)));
        // A picture one cell out of place would differ by far more.
        worstShifted = std::max(worstShifted, std::abs(m1 - mean(two, 2, cx, cy, ch, 20)));
      }
    }
  }
  EXPECT_LT(worst, 8.0);
  EXPECT_GT(worstShifted, 60.0);
}

// Without the 2x files the 1x pictures are enlarged by whole pixels: each pixel becomes a
// 2 x 2 block of the same colour, darkened areas and column lines included.
TEST_F(SampleField, AtScaleTwoWithoutTwoTimesFilesThePicturesAreEnlargedPixelForPixel) {
  QTemporaryDir dir;
  for (const char* name : {"DaluChar.bmp", "DaluBGPic.bmp"}) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(DALU_APP_DIR) + name, dir.filePath(name)));
  }
  game->cfg.AppDir = dir.path().toStdString() + "/";
  game->eng.FieldWidth = 6;
  game->eng.FieldHeight = 12;
  FieldPictures pictures1;
  FieldPictures pictures2(2);
  ASSERT_TRUE(TF_File_BmpLoad(*game, pictures1));
  ASSERT_TRUE(TF_File_BmpLoad(*game, pictures2));
  EXPECT_TRUE(host.errors.empty());

  auto enlarged = [](const QImage& small, const QImage& big) {
    if (big.size() != small.size() * 2 || big.devicePixelRatio() != 2.0) return false;
    for (int y = 0; y < big.height(); ++y)
      for (int x = 0; x < big.width(); ++x)
        if (big.pixel(x, y) != small.pixel(x / 2, y / 2)) return false;
    return true;
  };
  for (int n : {0, 15, 37, 120, 121, 130, 131, 135}) {
    EXPECT_TRUE(enlarged(pictures1.IL_ch[n], pictures2.IL_ch[n])) << n;
  }
  EXPECT_TRUE(enlarged(pictures1.Im_Back, pictures2.Im_Back));
}

}  // namespace
}  // namespace dalu
