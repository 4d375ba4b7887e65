#include "records/ui/bitmaps.h"

#include <QPainter>
#include <algorithm>
#include <string>

#include "engine/field_draw.h"
#include "match/game.h"
#include "records/bmp_check.h"
#include "util/file_io.h"
#include "util/host.h"
#include "util/text.h"

namespace dalu {

namespace {

constexpr int kSheetColumns = 24;
constexpr int kSheetRows = 6;
constexpr QRgb kMaskColour = 0xffff00ffu;  // magenta, opaque

// Picture files far beyond this are no pictures of ours (the 2x background is about 2 MB).
constexpr size_t kMaxPictureBytes = 64 * 1024 * 1024;

enum class PictureRead { kOk, kUnreadable, kDamaged };

// Reads and decodes the BMP file AppDir + name. A file that holds fewer bytes than its
// headers promise is damaged: decoded, it would show blank where its missing rows are.
PictureRead ReadPicture(const Game& g, const std::string& name, QImage& img) {
  const ReadResult file = ReadWholeFile(g.cfg.AppDir + name, kMaxPictureBytes);
  if (file.status != ReadStatus::kOk) return PictureRead::kUnreadable;
  if (!BmpComplete(file.bytes)) return PictureRead::kDamaged;
  const QByteArray bytes =
      QByteArray::fromRawData(file.bytes.data(), static_cast<qsizetype>(file.bytes.size()));
  if (!img.loadFromData(bytes, "BMP")) return PictureRead::kDamaged;
  img = img.copy();  // its own pixels, not the file's buffer going away
  img.setDevicePixelRatio(1);
  return PictureRead::kOk;
}

// A picture file for the given scale. Scale 1 reads the file itself; a larger scale reads
// "<name>@<scale>x.bmp", drawn for it, and without one enlarges the 1x picture by whole
// pixels (never blurred). Returns a null image when neither can be read, and in *damaged
// whether the file was there but damaged. The result's device pixel ratio is 1 whatever the
// file's name says: the callers set it.
QImage LoadPicture(const Game& g, const char* name, int scale, bool* damaged) {
  QImage img;
  *damaged = false;
  if (scale > 1) {
    std::string scaled = name;
    scaled.insert(scaled.rfind('.'), "@" + std::to_string(scale) + "x");
    if (ReadPicture(g, scaled, img) == PictureRead::kOk) return img;
  }
  const PictureRead read = ReadPicture(g, name, img);
  if (read != PictureRead::kOk) {
    *damaged = read == PictureRead::kDamaged;
    return QImage();
  }
  if (scale == 1) return img;
  return img.scaled(img.width() * scale, img.height() * scale, Qt::IgnoreAspectRatio,
                    Qt::FastTransformation);
}

// Image n's plain stand-in at the given scale.
QImage PlainCellImageAt(int n, int scale) {
  QImage img = PlainCellImage(n);
  if (scale > 1) {
    img = img.scaled(kCellSize * scale, kCellSize * scale, Qt::IgnoreAspectRatio,
                     Qt::FastTransformation);
  }
  img.setDevicePixelRatio(scale);
  return img;
}

// Darkens the logical pixel rectangle with corners a and b, both included, on a background
// of the given scale: every device pixel of those logical pixels.
void DarkenLogical(QImage& img, int scale, QPoint a, QPoint b, bool checkerboard) {
  const QPoint lo(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
  const QPoint hi(std::max(a.x(), b.x()), std::max(a.y(), b.y()));
  Darken(img, lo * scale, hi * scale + QPoint(scale - 1, scale - 1), checkerboard);
}

void ReportOnce(Game& g, bool& shown, const char* name, bool damaged) {
  if (shown) return;
  shown = true;
  g.host.ShowError((damaged ? "The picture file " + PathText(g.cfg.AppDir + name) +
                                  " is damaged (shorter than its header says)"
                            : "Cannot read the picture file " + PathText(g.cfg.AppDir + name)) +
                   ". The field is drawn with plain cells instead.");
}

// One 20 x 20 cell of the sheet (20 scale pixels square) with the mask colour made
// transparent. Parts of the cell beyond the edge of a sheet that is too small stay
// transparent.
QImage CutCell(const QImage& Im_File, int row, int column, int scale) {
  const int size = kCellSize * scale;
  QImage Im_Local = Im_File.copy(column * size, row * size, size, size);
  for (int y = 0; y < size; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(Im_Local.scanLine(y));
    for (int x = 0; x < size; ++x) {
      if (line[x] == kMaskColour) line[x] = 0;
    }
  }
  Im_Local = Im_Local.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  Im_Local.setDevicePixelRatio(scale);
  return Im_Local;
}

}  // namespace

QImage PlainCellImage(int n) {
  static const QColor kGroupColours[6] = {QColor(220, 50, 50),  QColor(40, 170, 70),
                                          QColor(40, 100, 220), QColor(235, 200, 30),
                                          QColor(150, 70, 200), QColor(170, 170, 180)};
  QImage img(kCellSize, kCellSize, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  if (n < 0 || n >= kSheetImages) return img;
  QPainter p(&img);
  const int group = n / kSheetColumns;
  const int variant = n % kSheetColumns;
  if (group < 5 || n == kImgObstruct || variant >= kVariantSquash1) {
    if (variant > 22) return img;
    // Settled beads fill their cell; the squashed and vanishing stages shrink.
    const int inset = variant < kVariantSquash1 ? 1 : std::min(9, 2 + (variant - kVariantSquash1));
    p.fillRect(inset, inset, kCellSize - 2 * inset, kCellSize - 2 * inset, kGroupColours[group]);
    return img;
  }
  switch (n) {
    case kImgWall:
      p.fillRect(img.rect(), QColor(90, 100, 120));
      break;
    case kImgBurial:
      p.fillRect(img.rect(), QColor(60, 60, 70));
      break;
    case kImgColumnMarker:
      p.fillRect(0, 6, kCellSize, 8, QColor(80, 80, 95));
      break;
    case kImgNextDrop:
      p.fillRect(0, 6, kCellSize, 8, QColor(250, 170, 40));
      break;
    case kImgNotice1:
      p.fillRect(2, 8, 6, 6, Qt::white);
      break;
    case kImgNoticeRow:
      p.fillRect(5, 5, 10, 10, Qt::white);
      break;
    case kImgNotice5Rows:
      p.fillRect(2, 2, 16, 16, QColor(230, 100, 50));
      break;
    case kImgNotice100:
      p.fillRect(1, 1, 18, 18, QColor(250, 210, 60));
      break;
    default:
      break;  // not used by the field drawing
  }
  return img;
}

void Darken(QImage& img, QPoint a, QPoint b, bool checkerboard) {
  const int x0 = std::max(std::min(a.x(), b.x()), 0);
  const int x1 = std::min(std::max(a.x(), b.x()), img.width() - 1);
  const int y0 = std::max(std::min(a.y(), b.y()), 0);
  const int y1 = std::min(std::max(a.y(), b.y()), img.height() - 1);
  for (int y = y0; y <= y1; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = x0; x <= x1; ++x) {
      if (!checkerboard || (x + y) % 2 == 0) line[x] = 0xff000000u;
    }
  }
}

bool TF_File_BmpLoad(Game& g, FieldPictures& pictures) {
  const int scale = pictures.scale;
  bool damaged = false;
  QImage Im_File = LoadPicture(g, "DaluChar.bmp", scale, &damaged);
  const bool loaded = !Im_File.isNull();
  if (loaded) {
    Im_File = Im_File.convertToFormat(QImage::Format_ARGB32);
    for (int r = 0; r < kSheetRows; ++r) {
      for (int c = 0; c < kSheetColumns; ++c) {
        pictures.IL_ch[r * kSheetColumns + c] = CutCell(Im_File, r, c, scale);
      }
    }
  } else {
    ReportOnce(g, pictures.sheetFailureShown, "DaluChar.bmp", damaged);
    for (int n = 0; n < kSheetImages; ++n) pictures.IL_ch[n] = PlainCellImageAt(n, scale);
  }
  pictures.imagesReady = true;
  const bool background = TF_File_BGPLoad(g, pictures);
  return loaded && background;
}

bool TF_File_BGPLoad(Game& g, FieldPictures& pictures) {
  const Engine& e = g.eng;
  const int W = e.FieldWidth;
  const int H = e.FieldHeight;

  const int s = pictures.scale;

  // 1. The picture file as it is, at the top left and without scaling. Whatever it does not
  //    cover (a smaller picture, or none at all) is a plain dark blue. All that follows is
  //    laid out in logical pixels and drawn on every device pixel they cover.
  QImage back(kImageWidth * s, kImageHeight * s, QImage::Format_RGB32);
  back.fill(QColor(22, 30, 52));
  bool damaged = false;
  const QImage file = LoadPicture(g, "DaluBGPic.bmp", s, &damaged);
  const bool loaded = !file.isNull();
  if (loaded) {
    QPainter p(&back);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, file.convertToFormat(QImage::Format_RGB32));
  } else {
    ReportOnce(g, pictures.backgroundFailureShown, "DaluBGPic.bmp", damaged);
  }

  const bool checkerboard = g.cfg.Cfg[kBrickTone] != 0;
  auto at = [&](int p, int column, int row) {
    const Pixel px = CellPixel(e, p, column, row);
    return QPoint(px.x, px.y);
  };
  for (int p = 1; p <= 2; ++p) {
    // 2. The field with the three rows above it.
    DarkenLogical(back, s, at(p, 1, H + 3), at(p, W + 1, 0), checkerboard);
    // 3. The notice row above the field.
    DarkenLogical(back, s, at(p, 0, H + 6), at(p, W + 2, H + 5), checkerboard);
  }
  // 4. The twin previews: three cells high, two wide, with a margin of five pixels.
  const QPoint preview[3] = {{}, at(1, W + 3, 12), at(2, -3, 12)};
  for (int p = 1; p <= 2; ++p) {
    const QPoint q = preview[p];
    DarkenLogical(back, s, q - QPoint(5, 5), q + QPoint(2 * kCellSize + 5, 3 * kCellSize + 5),
                  checkerboard);
  }
  // 5. The left edge of every column but the first, over the field's height, both ends
  //    included.
  if (g.cfg.Cfg[kDrawFieldLines] == 0) {
    const QRgb grey = qRgb(128, 128, 128);
    for (int p = 1; p <= 2; ++p) {
      for (int x = 2; x <= W; ++x) {
        const QPoint bottom = at(p, x, 0);
        const QPoint top = at(p, x, H);
        if (bottom.x() < 0 || bottom.x() >= kImageWidth) continue;
        const int y0 = std::max(top.y(), 0) * s;
        const int y1 = std::min((bottom.y() + 1) * s, back.height()) - 1;
        for (int y = y0; y <= y1; ++y) {
          for (int dx = 0; dx < s; ++dx) back.setPixel(bottom.x() * s + dx, y, grey);
        }
      }
    }
  }
  back.setDevicePixelRatio(s);
  pictures.Im_Back = back;
  return loaded;
}

}  // namespace dalu
