#include "records/ui/bitmaps.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "engine/field_draw.h"
#include "match/game.h"
#include "util/host.h"
#include "util/sound.h"
#include "util/ui/qt_test_app.h"

namespace dalu {
namespace {

constexpr QRgb kWhite = 0xffffffffu;
constexpr QRgb kBlack = 0xff000000u;
constexpr QRgb kGrey = 0xff808080u;

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureQtApp();
    ASSERT_TRUE(dir.isValid());
    game = std::make_unique<Game>(host, canvas, sound);
    game->cfg.AppDir = dir.path().toStdString() + "/";
  }

  // A plain white background picture of the playfield's size.
  void WriteWhiteBackground(int w = kImageWidth, int h = kImageHeight) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kWhite);
    ASSERT_TRUE(img.save(dir.filePath("DaluBGPic.bmp"), "BMP"));
  }

  const QImage& Back() const { return pictures.Im_Back; }

  QTemporaryDir dir;
  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> game;
  FieldPictures pictures;
};

// ---- The bead sheet ---------------------------------------------------------------------------

TEST_F(PictureTest, CellsBecomeImagesInRowOrderWithMagentaTransparent) {
  QImage sheet(480, 120, QImage::Format_RGB32);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 24; ++c)
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
          sheet.setPixel(20 * c + x, 20 * r + y, qRgb(40 * r, 10 * c, 7));
  sheet.setPixel(3, 4, qRgb(255, 0, 255));  // the mask colour
  sheet.setPixel(5, 5, qRgb(254, 0, 255));  // close to it, but a colour
  sheet.setPixel(20 * 10 + 19, 20 * 5 + 19, qRgb(255, 0, 255));
  ASSERT_TRUE(sheet.save(dir.filePath("DaluChar.bmp"), "BMP"));
  WriteWhiteBackground();

  EXPECT_TRUE(TF_File_BmpLoad(*game, pictures));
  EXPECT_TRUE(host.errors.empty());
  ASSERT_TRUE(pictures.imagesReady);
  for (int n = 0; n < kSheetImages; ++n) {
    ASSERT_EQ(pictures.IL_ch[n].size(), QSize(20, 20)) << n;
    EXPECT_EQ(pictures.IL_ch[n].pixel(10, 10), qRgb(40 * (n / 24), 10 * (n % 24), 7)) << n;
  }
  // The cell at sheet row 5, column 10 is image 130, the obstruct-column marker.
  EXPECT_EQ(kImgColumnMarker, 130);
  EXPECT_EQ(pictures.IL_ch[130].pixel(0, 0), qRgb(200, 100, 7));
  EXPECT_EQ(qAlpha(pictures.IL_ch[130].pixel(19, 19)), 0);
  EXPECT_EQ(qAlpha(pictures.IL_ch[0].pixel(3, 4)), 0);
  EXPECT_EQ(pictures.IL_ch[0].pixel(5, 5), qRgb(254, 0, 255));
}

TEST_F(PictureTest, SmallSheetLeavesMissingCellsTransparent) {
  QImage sheet(30, 20, QImage::Format_RGB32);
  sheet.fill(qRgb(1, 2, 3));
  ASSERT_TRUE(sheet.save(dir.filePath("DaluChar.bmp"), "BMP"));
  WriteWhiteBackground();
  EXPECT_TRUE(TF_File_BmpLoad(*game, pictures));
  EXPECT_EQ(pictures.IL_ch[0].pixel(19, 19), qRgb(1, 2, 3));
  EXPECT_EQ(pictures.IL_ch[1].pixel(9, 0), qRgb(1, 2, 3));
  EXPECT_EQ(qAlpha(pictures.IL_ch[1].pixel(10, 0)), 0);
  EXPECT_EQ(qAlpha(pictures.IL_ch[143].pixel(5, 5)), 0);
}

TEST_F(PictureTest, MissingPicturesAreReportedOnceAndPlainCellsStandIn) {
  EXPECT_FALSE(TF_File_BmpLoad(*game, pictures));
  ASSERT_EQ(host.errors.size(), 2u);
  EXPECT_NE(host.errors[0].find("DaluChar.bmp"), std::string::npos);
  EXPECT_NE(host.errors[1].find("DaluBGPic.bmp"), std::string::npos);
  ASSERT_TRUE(pictures.imagesReady);
  // Beads, walls and markers still show as plain cells.
  for (int n : {0, 15, 24 * 4 + 5, kImgObstruct, kImgWall, kImgColumnMarker, kImgNextDrop}) {
    EXPECT_EQ(qAlpha(pictures.IL_ch[n].pixel(10, 10)), 255) << n;
  }
  EXPECT_NE(pictures.IL_ch[0].pixel(10, 10), pictures.IL_ch[24].pixel(10, 10));
  // The background is still prepared: a plain picture with the fields darkened.
  ASSERT_EQ(Back().size(), QSize(kImageWidth, kImageHeight));
  EXPECT_EQ(Back().pixel(150, 200), kBlack);
  EXPECT_NE(Back().pixel(10, 10), kBlack);

  // Rebuilding (the configuration dialog, a loaded record) does not report again.
  EXPECT_FALSE(TF_File_BGPLoad(*game, pictures));
  EXPECT_FALSE(TF_File_BmpLoad(*game, pictures));
  EXPECT_EQ(host.errors.size(), 2u);
}

TEST_F(PictureTest, ASheetCutShortIsRefusedAsDamagedAndPlainCellsStandIn) {
  QImage sheet(480, 120, QImage::Format_RGB32);
  sheet.fill(qRgb(10, 200, 30));
  const QString path = dir.filePath("DaluChar.bmp");
  ASSERT_TRUE(sheet.save(path, "BMP"));
  WriteWhiteBackground();
  // Half the file, as a copy that stopped half-way leaves it; decoded, the missing rows
  // would be blank and most beads invisible.
  QFile file(path);
  ASSERT_TRUE(file.resize(file.size() / 2));
  EXPECT_FALSE(TF_File_BmpLoad(*game, pictures));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("DaluChar.bmp is damaged"), std::string::npos) << host.errors[0];
  for (int n : {0, 15, kImgObstruct}) {
    EXPECT_EQ(pictures.IL_ch[n].pixel(10, 10), PlainCellImage(n).pixel(10, 10)) << n;
  }
}

// ---- The background -------------------------------------------------------------------------

// Every pixel of the rectangle from a to b (both included) is black, and the ring of pixels
// just outside it is not.
void ExpectDarkenedExactly(const QImage& img, QPoint a, QPoint b) {
  for (int y = a.y(); y <= b.y(); ++y)
    for (int x = a.x(); x <= b.x(); ++x) ASSERT_EQ(img.pixel(x, y), kBlack) << x << "," << y;
  for (int x = a.x(); x <= b.x(); ++x) {
    EXPECT_EQ(img.pixel(x, a.y() - 1), kWhite) << x;
    EXPECT_EQ(img.pixel(x, b.y() + 1), kWhite) << x;
  }
  for (int y = a.y(); y <= b.y(); ++y) {
    EXPECT_EQ(img.pixel(a.x() - 1, y), kWhite) << y;
    EXPECT_EQ(img.pixel(b.x() + 1, y), kWhite) << y;
  }
}

TEST_F(PictureTest, SolidDarkeningCoversFieldsNoticeRowsAndPreviews) {
  WriteWhiteBackground();
  game->cfg.Cfg[kBrickTone] = 0;
  game->cfg.Cfg[kDrawFieldLines] = 1;
  EXPECT_TRUE(TF_File_BGPLoad(*game, pictures));
  ExpectDarkenedExactly(Back(), {80, 90}, {220, 370});   // side 1's field, 7 x 11
  ExpectDarkenedExactly(Back(), {440, 90}, {580, 370});  // side 2's field
  ExpectDarkenedExactly(Back(), {60, 30}, {240, 50});    // notice rows
  ExpectDarkenedExactly(Back(), {420, 30}, {600, 50});
  ExpectDarkenedExactly(Back(), {255, 125}, {305, 195});  // twin previews
  ExpectDarkenedExactly(Back(), {355, 125}, {405, 195});
}

TEST_F(PictureTest, CheckerboardDarkensEvenPixelsOnly) {
  WriteWhiteBackground();
  game->cfg.Cfg[kBrickTone] = 1;
  game->cfg.Cfg[kDrawFieldLines] = 1;
  TF_File_BGPLoad(*game, pictures);
  for (const auto& [a, b] : {std::pair{QPoint(80, 90), QPoint(220, 370)},
                             std::pair{QPoint(440, 90), QPoint(580, 370)}}) {
    for (int y = a.y(); y <= b.y(); ++y)
      for (int x = a.x(); x <= b.x(); ++x)
        ASSERT_EQ(Back().pixel(x, y), (x + y) % 2 == 0 ? kBlack : kWhite) << x << "," << y;
    EXPECT_EQ(Back().pixel(a.x() - 1, a.y() + 1), kWhite);  // even, but outside
    EXPECT_EQ(Back().pixel(b.x() + 1, b.y() + 1), kWhite);
  }
}

TEST_F(PictureTest, SixGreyColumnLinesPerFieldOverTheFieldHeight) {
  WriteWhiteBackground();
  game->cfg.Cfg[kBrickTone] = 0;
  game->cfg.Cfg[kDrawFieldLines] = 0;
  TF_File_BGPLoad(*game, pictures);
  for (int side = 0; side < 2; ++side) {
    const int off = side * kFieldPitch;
    // Across one row: grey exactly at x = 100, 120, ..., 200 (shifted for side 2).
    for (int x = 60 + off; x <= 260 + off; ++x) {
      const bool line = x >= 100 + off && x <= 200 + off && (x - off) % 20 == 0;
      EXPECT_EQ(Back().pixel(x, 300) == kGrey, line) << x;
    }
    for (int x = 100 + off; x <= 200 + off; x += 20) {
      for (int y = 150; y <= 370; ++y) ASSERT_EQ(Back().pixel(x, y), kGrey) << x << "," << y;
      EXPECT_EQ(Back().pixel(x, 149), kBlack);  // rows above the field stay dark
      EXPECT_EQ(Back().pixel(x, 371), kWhite);  // nothing below the field
    }
  }
  // With the option off, no grey anywhere.
  game->cfg.Cfg[kDrawFieldLines] = 1;
  TF_File_BGPLoad(*game, pictures);
  EXPECT_EQ(Back().pixel(100, 300), kBlack);
}

TEST_F(PictureTest, BackgroundFollowsTheFieldSize) {
  WriteWhiteBackground();
  game->eng.FieldWidth = 9;
  game->eng.FieldHeight = 14;
  game->cfg.Cfg[kDrawFieldLines] = 1;
  TF_File_BGPLoad(*game, pictures);
  ExpectDarkenedExactly(Back(), {80, 90}, {260, 430});
  ExpectDarkenedExactly(Back(), {440, 90}, {620, 430});
  // The previews keep their row 12 and move with the width.
  ExpectDarkenedExactly(Back(), {295, 185}, {345, 255});
}

TEST_F(PictureTest, SmallerPictureIsPlacedTopLeftWithoutScaling) {
  WriteWhiteBackground(50, 20);
  game->cfg.Cfg[kDrawFieldLines] = 1;
  EXPECT_TRUE(TF_File_BGPLoad(*game, pictures));
  ASSERT_EQ(Back().size(), QSize(kImageWidth, kImageHeight));
  EXPECT_EQ(Back().pixel(49, 19), kWhite);
  EXPECT_NE(Back().pixel(50, 19), kWhite);
  EXPECT_NE(Back().pixel(49, 20), kWhite);
  EXPECT_EQ(Back().pixel(150, 200), kBlack);
}

TEST(DarkenTest, StaysInsideThePicture) {
  QImage img(10, 10, QImage::Format_RGB32);
  img.fill(kWhite);
  Darken(img, {-5, -5}, {20, 3}, false);
  EXPECT_EQ(img.pixel(0, 0), kBlack);
  EXPECT_EQ(img.pixel(9, 3), kBlack);
  EXPECT_EQ(img.pixel(9, 4), kWhite);
  Darken(img, {9, 9}, {5, 5}, true);  // corners in either order
  EXPECT_EQ(img.pixel(5, 5), kBlack);
  EXPECT_EQ(img.pixel(5, 6), kWhite);
}

// ---- The generated pictures -------------------------------------------------------------------

class GeneratedPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureQtApp();
    game = std::make_unique<Game>(host, canvas, sound);
    game->cfg.AppDir = DALU_APP_DIR;
    ASSERT_TRUE(TF_File_BmpLoad(*game, pictures)) << "run the build first: dalu_art";
  }
  bool Opaque(int n, int x, int y) const { return qAlpha(pictures.IL_ch[n].pixel(x, y)) == 255; }
  int OpaqueCount(int n) const {
    int count = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) count += Opaque(n, x, y);
    return count;
  }

  VirtualHost host;
  NullCanvas canvas;
  NullSound sound;
  std::unique_ptr<Game> game;
  FieldPictures pictures;
};

TEST_F(GeneratedPictures, FilesHaveTheirSizes) {
  QImage sheet(QStringLiteral(DALU_APP_DIR "DaluChar.bmp"));
  EXPECT_EQ(sheet.size(), QSize(480, 120));
  QImage back(QStringLiteral(DALU_APP_DIR "DaluBGPic.bmp"));
  EXPECT_GE(back.width(), kImageWidth);
  EXPECT_GE(back.height(), kImageHeight);
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(GeneratedPictures, JoinsReachTheEdgesTheVariantBitsName) {
  for (int group = 0; group < 5; ++group) {
    for (int v = 0; v < 16; ++v) {
      const int n = group * 24 + v;
      EXPECT_EQ(Opaque(n, 19, 10), (v & 1) != 0) << n;  // right
      EXPECT_EQ(Opaque(n, 10, 19), (v & 2) != 0) << n;  // below
      EXPECT_EQ(Opaque(n, 0, 10), (v & 4) != 0) << n;   // left
      EXPECT_EQ(Opaque(n, 10, 0), (v & 8) != 0) << n;   // above
      EXPECT_FALSE(Opaque(n, 0, 0)) << n;               // corners stay clear
      EXPECT_FALSE(Opaque(n, 19, 19)) << n;
    }
  }
}

// Across the edge between two joined halves the colour changes no more than it does between
// the pixels next to the edge: the join has no visible seam.
TEST_F(GeneratedPictures, JoinedHalvesMeetWithoutASeam) {
  auto step = [](QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
  };
  for (int group = 0; group < 5; ++group) {
    const QImage& right = pictures.IL_ch[group * 24 + 1];
    const QImage& left = pictures.IL_ch[group * 24 + 4];
    const QImage& below = pictures.IL_ch[group * 24 + 2];
    const QImage& above = pictures.IL_ch[group * 24 + 8];
    for (int i = 0; i < 20; ++i) {
      ASSERT_EQ(qAlpha(right.pixel(19, i)), qAlpha(left.pixel(0, i))) << group << " y " << i;
      if (qAlpha(right.pixel(19, i)) != 0) {
        const int across = step(right.pixel(19, i), left.pixel(0, i));
        const int beside = std::max(step(right.pixel(18, i), right.pixel(19, i)),
                                    step(left.pixel(0, i), left.pixel(1, i)));
        EXPECT_LE(across, beside + 8) << group << " y " << i;
      }
      ASSERT_EQ(qAlpha(below.pixel(i, 19)), qAlpha(above.pixel(i, 0))) << group << " x " << i;
      if (qAlpha(below.pixel(i, 19)) != 0) {
        const int across = step(below.pixel(i, 19), above.pixel(i, 0));
        const int beside = std::max(step(below.pixel(i, 18), below.pixel(i, 19)),
                                    step(above.pixel(i, 0), above.pixel(i, 1)));
        EXPECT_LE(across, beside + 8) << group << " x " << i;
      }
    }
  }
}

TEST_F(GeneratedPictures, EveryUsedImageIsDrawnAndSpareCellsAreEmpty) {
  for (int group = 0; group < 5; ++group)
    for (int v = 0; v <= 22; ++v) EXPECT_GT(OpaqueCount(group * 24 + v), 8) << group * 24 + v;
  for (int n : {120, 121, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142})
    EXPECT_GT(OpaqueCount(n), 8) << n;
  for (int n : {23, 47, 71, 95, 119, 122, 123, 124, 125, 126, 127, 128, 143})
    EXPECT_EQ(OpaqueCount(n), 0) << n;
}

TEST_F(GeneratedPictures, TilesDrawnWithoutErasingCoverWhatTheyReplace) {
  // Walls, floor and the burial filler are whole tiles.
  EXPECT_EQ(OpaqueCount(kImgWall), 400);
  EXPECT_EQ(OpaqueCount(kImgBurial), 400);
  // The marker row is redrawn without erasing: the plain marker must hide every pixel of the
  // next-drop marker when the drop column moves on.
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if (Opaque(kImgNextDrop, x, y)) {
        EXPECT_TRUE(Opaque(kImgColumnMarker, x, y)) << x << "," << y;
      }
  // A single-point notice is drawn half a cell wide, two per cell.
  for (int y = 0; y < 20; ++y)
    for (int x = 10; x < 20; ++x) EXPECT_FALSE(Opaque(kImgNotice1, x, y)) << x << "," << y;
  // The notices grow with what they stand for.
  EXPECT_LT(OpaqueCount(kImgNotice1), OpaqueCount(kImgNoticeRow));
  EXPECT_LT(OpaqueCount(kImgNoticeRow), OpaqueCount(kImgNotice5Rows));
}

TEST_F(GeneratedPictures, GroupsDifferInLightnessPatternNotOnlyInHue) {
  // Colour-blind players must tell the groups apart by their marks: in grey, after removing
  // the difference in mean lightness, every two groups still differ in a clear patch.
  auto luma = [&](int n, int x, int y) {
    const QRgb c = pictures.IL_ch[n].pixel(x, y);
    return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
  };
  double mean[5] = {};
  for (int g = 0; g < 5; ++g) {
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) mean[g] += luma(g * 24, x, y) / 400;
  }
  for (int a = 0; a < 5; ++a) {
    for (int b = a + 1; b < 5; ++b) {
      int differing = 0;
      for (int y = 5; y < 16; ++y)
        for (int x = 5; x < 16; ++x)
          differing +=
              std::abs((luma(a * 24, x, y) - mean[a]) - (luma(b * 24, x, y) - mean[b])) > 40;
      EXPECT_GE(differing, 6) << "groups " << a + 1 << " and " << b + 1;
    }
  }
}

// Saves the sheet four times enlarged on a dark checkerboard and the prepared backgrounds, for
// looking at them.
TEST_F(GeneratedPictures, SaveForReview) {
  QDir().mkpath(QStringLiteral(DALU_TEST_OUTPUT_DIR));
  QImage sheet(480, 120, QImage::Format_RGB32);
  for (int n = 0; n < kSheetImages; ++n) {
    const int cx = 20 * (n % 24), cy = 20 * (n / 24);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        const QRgb c = pictures.IL_ch[n].pixel(x, y);
        sheet.setPixel(cx + x, cy + y,
                       qAlpha(c) ? c : ((n % 2) ? qRgb(16, 16, 24) : qRgb(30, 30, 44)));
      }
  }
  EXPECT_TRUE(
      sheet.scaled(480 * 4, 120 * 4).save(QStringLiteral(DALU_TEST_OUTPUT_DIR "sheet_4x.png")));
  game->cfg.Cfg[kBrickTone] = 0;
  game->cfg.Cfg[kDrawFieldLines] = 0;
  TF_File_BGPLoad(*game, pictures);
  EXPECT_TRUE(pictures.Im_Back.save(QStringLiteral(DALU_TEST_OUTPUT_DIR "background_solid.png")));
  game->cfg.Cfg[kBrickTone] = 1;
  game->cfg.Cfg[kDrawFieldLines] = 1;
  TF_File_BGPLoad(*game, pictures);
  EXPECT_TRUE(pictures.Im_Back.save(QStringLiteral(DALU_TEST_OUTPUT_DIR "background_checker.png")));
}

}  // namespace
}  // namespace dalu
