// The playfield as the window holds it: one QImage the size of the main window's picture,
// painted by the field-drawing code through the FieldCanvas interface, together with the
// pictures it is painted from (the cell images of the bead sheet and the background of the
// empty playfield).
#pragma once

#include <QImage>
#include <QObject>
#include <array>

#include "engine/field_canvas.h"

namespace dalu {

inline constexpr int kImageWidth = 673;  // pixels, the main window's picture
inline constexpr int kImageHeight = 529;
inline constexpr int kSheetImages = 144;  // 6 rows of 24 cell images

// The picture holder of the field drawing. TF_File_BmpLoad fills the image list once per run;
// TF_File_BGPLoad rebuilds the background whenever the field size or a drawing option
// changes. Both live as long as the window.
struct FieldPictures {
  // The image list: 20 x 20 premultiplied ARGB images; the sheet's transparent colour is
  // alpha 0.
  std::array<QImage, kSheetImages> IL_ch;
  bool imagesReady = false;
  // The background picture, kImageWidth x kImageHeight, opaque: the empty playfield.
  QImage Im_Back;
  // A missing picture file is reported once per run, not at every rebuild.
  bool sheetFailureShown = false;
  bool backgroundFailureShown = false;
};

// Paints on the playfield image. Nothing reaches the screen by itself: Present() emits
// presented(), and the window repaints from image() when it gets to process events.
class ImageCanvas : public QObject, public FieldCanvas {
  Q_OBJECT

 public:
  explicit ImageCanvas(const FieldPictures& pictures, QObject* parent = nullptr);

  const QImage& image() const { return image_; }

  // ---- FieldCanvas ----
  // Images outside 0..143, or drawn before the image list exists, are not drawn.
  void DrawImage(int n, int x, int y) override;
  // Without a background (not prepared yet) the cell is cleared to black.
  void RestoreCell(int x, int y) override;
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
