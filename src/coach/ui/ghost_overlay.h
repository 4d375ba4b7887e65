// A translucent layer over the playfield picture: the hint's ghost twin, drawn on the cells
// where the hinted placement would land. It sits on top of the picture as a child widget
// and never paints into the picture itself, so the field drawing (which repaints only the
// cells it changes) never has to erase it. Clicks pass through to the picture below.
#pragma once

#include <QWidget>
#include <vector>

namespace dalu {

struct FieldPictures;

class GhostOverlay : public QWidget {
 public:
  // One bead of the ghost: the top-left pixel of its cell and its image of the bead sheet.
  struct Bead {
    int x = 0;
    int y = 0;
    int image = 0;
  };

  GhostOverlay(const FieldPictures& pictures, QWidget* picture);

  void Show(std::vector<Bead> beads);
  void Clear();
  const std::vector<Bead>& Beads() const { return beads_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const FieldPictures& pictures_;
  std::vector<Bead> beads_;
};

}  // namespace dalu
