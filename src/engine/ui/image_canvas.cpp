#include "engine/ui/image_canvas.h"

#include <QFont>
#include <QPainter>

#include "engine/types.h"

namespace dalu {

namespace {

// Point sizes of the chain numbers are meant for a 96 dpi picture, whatever screen the
// window is on, so the digits always fit their cell.
constexpr int kDotsPerMeter96Dpi = 3780;

// The mean colour of a cell image's visible pixels; white for an empty one.
QColor MeanColour(const QImage& cell) {
  const QImage argb = cell.convertToFormat(QImage::Format_ARGB32);
  int64_t r = 0, g = 0, b = 0, n = 0;
  for (int y = 0; y < argb.height(); ++y) {
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb px = argb.pixel(x, y);
      if (qAlpha(px) < 128) continue;
      r += qRed(px), g += qGreen(px), b += qBlue(px), ++n;
    }
  }
  if (n == 0) return Qt::white;
  return QColor(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
}

}  // namespace

ImageCanvas::ImageCanvas(const FieldPictures& pictures, QObject* parent)
    : QObject(parent),
      pictures_(pictures),
      image_(kImageWidth * pictures.scale, kImageHeight * pictures.scale, QImage::Format_RGB32) {
  // Painters on the image then take logical coordinates and draw at its full resolution.
  image_.setDevicePixelRatio(pictures.scale);
  image_.setDotsPerMeterX(kDotsPerMeter96Dpi);
  image_.setDotsPerMeterY(kDotsPerMeter96Dpi);
  image_.fill(Qt::black);
}

void ImageCanvas::DrawImage(int n, int x, int y) {
  if (!pictures_.imagesReady || n < 0 || n >= kSheetImages) return;
  const QImage& cell = pictures_.IL_ch[n];
  if (cell.isNull()) return;
  QPainter p(&image_);
  p.drawImage(QRectF(x, y, kCellSize, kCellSize), cell);
}

void ImageCanvas::DrawOutline(int n, int x, int y) {
  QColor colour = Qt::white;
  if (pictures_.imagesReady && n >= 0 && n < kSheetImages && !pictures_.IL_ch[n].isNull()) {
    colour = MeanColour(pictures_.IL_ch[n]).lighter(130);
  }
  colour.setAlpha(170);  // faint: the background shows through
  QPainter p(&image_);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour, 2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(x + 2, y + 2, kCellSize - 4, kCellSize - 4), 5, 5);
}

void ImageCanvas::RestoreCell(int x, int y) {
  QPainter p(&image_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  if (pictures_.Im_Back.isNull()) {
    p.fillRect(x, y, kCellSize, kCellSize, Qt::black);
  } else {
    // The source rectangle counts the background's own pixels.
    const qreal k = pictures_.Im_Back.devicePixelRatio();
    p.drawImage(QRectF(x, y, kCellSize, kCellSize), pictures_.Im_Back,
                QRectF(x * k, y * k, kCellSize * k, kCellSize * k));
  }
}

void ImageCanvas::DrawChainNumber(int x, int y, int number, int fontSize) {
  QFont font(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setBold(true);
  font.setPointSize(fontSize > 0 ? fontSize : 1);
  QPainter p(&image_);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setFont(font);
  const QString text = QString::number(number);
  const QRect box(x, y, 4 * kCellSize, 2 * kCellSize);
  p.setPen(QColor(0, 0, 0, 200));
  p.drawText(box.translated(1, 1), Qt::AlignLeft | Qt::AlignTop, text);
  p.setPen(Qt::white);
  p.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
}

void ImageCanvas::RestoreAll() {
  QPainter p(&image_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  if (pictures_.Im_Back.isNull()) {
    p.fillRect(QRect(0, 0, kImageWidth, kImageHeight), Qt::black);
  } else {
    p.drawImage(QRectF(0, 0, kImageWidth, kImageHeight), pictures_.Im_Back);
  }
}

void ImageCanvas::Present() {
  emit presented();
}

}  // namespace dalu
