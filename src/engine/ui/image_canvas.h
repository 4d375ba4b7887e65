// The playfield as the window holds it: one QImage the size of the main window's picture,
// painted by the field-drawing code through the FieldCanvas interface, together with the
// pictures it is painted from (the cell images of the bead sheet and the background of the
// empty playfield).
#pragma once

#include <QImage>
#include <QObject>
#include <algorithm>
#include <array>

#include "engine/field_canvas.h"

namespace dalu {

inline constexpr int kImageWidth = 673;  // pixels, the main window's picture
inline constexpr int kImageHeight = 529;
inline constexpr int kSheetImages = 144;  // 6 rows of 24 cell images
inline constexpr int kMaxPictureScale = 4;

// The picture holder of the field drawing. TF_File_BmpLoad fills the image list once per run;
// TF_File_BGPLoad rebuilds the background whenever the field size or a drawing option
// changes. Both live as long as the window.
//
// Every size and position of the field drawing is in logical pixels (a cell is 20 x 20, the
// playfield 673 x 529). On a high-density screen the pictures hold `scale` device pixels per
// logical pixel in each direction, so beads stay crisp; each image carries that scale as its
// device pixel ratio.
struct FieldPictures {
  FieldPictures() = default;
  // scale: device pixels per logical pixel, 1 (the default) or 2 for a screen of device
  // pixel ratio 2; held to 1..kMaxPictureScale.
  explicit FieldPictures(int pictureScale) : scale(std::clamp(pictureScale, 1, kMaxPictureScale)) {}

  int scale = 1;
  // The image list: 20 x 20 logical pixels (20 scale square), premultiplied ARGB; the sheet's
  // transparent colour is alpha 0.
  std::array<QImage, kSheetImages> IL_ch;
  bool imagesReady = false;
  // The background picture, kImageWidth x kImageHeight logical pixels, opaque: the empty
  // playfield.
  QImage Im_Back;
  // A missing picture file is reported once per run, not at every rebuild.
  bool sheetFailureShown = false;
  bool backgroundFailureShown = false;
};

// Paints on the playfield image. Nothing reaches the screen by itself: Present() emits
// presented(), and the window repaints from image() when it gets to process events.
//
// The image has the pictures' scale: (673 scale) x (529 scale) pixels with that device pixel
// ratio. The window draws it into its logical 673 x 529 rectangle, which on a screen of the
// same ratio copies it pixel for pixel. Coordinates of the FieldCanvas calls are logical.
class ImageCanvas : public QObject, public FieldCanvas {
  Q_OBJECT

 public:
  // The canvas takes its scale from the pictures.
  explicit ImageCanvas(const FieldPictures& pictures, QObject* parent = nullptr);

  const QImage& image() const { return image_; }

  // ---- FieldCanvas ----
  // Images outside 0..143, or drawn before the image list exists, are not drawn.
  void DrawImage(int n, int x, int y) override;
  // Images of any size are drawn into the 20 x 20 logical cell (nearest pixel, never blurred).
  // Without a background (not prepared yet) the cell is cleared to black.
  void RestoreCell(int x, int y) override;
  // A rounded frame just inside the cell in the image's mean colour, half transparent.
  void DrawOutline(int n, int x, int y) override;
  // White bold digits, the top left of the text at (x, y), with a dark shadow for contrast.
  void DrawChainNumber(int x, int y, int number, int fontSize) override;
  void RestoreAll() override;
  void Present() override;

 signals:
  void presented();

 private:
  const FieldPictures& pictures_;
  QImage image_;
};

}  // namespace dalu
