#include "coach/ui/ghost_overlay.h"

#include <QPainter>

#include "engine/types.h"
#include "engine/ui/image_canvas.h"

namespace dalu {

namespace {

// Faint enough that the field below stays readable, strong enough to tell the colours.
constexpr qreal kGhostOpacity = 0.6;

}  // namespace

GhostOverlay::GhostOverlay(const FieldPictures& pictures, QWidget* picture)
    : QWidget(picture), pictures_(pictures) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(0, 0, picture->width(), picture->height());
  hide();
}

void GhostOverlay::Show(std::vector<Bead> beads) {
  beads_ = std::move(beads);
  setVisible(!beads_.empty());
  raise();
  update();
}

void GhostOverlay::Clear() {
  if (beads_.empty()) return;
  beads_.clear();
  hide();
}

void GhostOverlay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  for (const Bead& b : beads_) {
    const QRectF cell(b.x, b.y, kCellSize, kCellSize);
    p.setOpacity(kGhostOpacity);
    if (pictures_.imagesReady && b.image >= 0 && b.image < kSheetImages &&
        !pictures_.IL_ch[static_cast<size_t>(b.image)].isNull()) {
      p.drawImage(cell, pictures_.IL_ch[static_cast<size_t>(b.image)]);
    } else {
      p.fillRect(cell, Qt::white);
    }
    // A dashed white frame marks the ghost even on a bead of the same colour.
    p.setOpacity(0.9);
    p.setPen(QPen(Qt::white, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(cell.adjusted(0.5, 0.5, -0.5, -0.5));
  }
}

}  // namespace dalu
