// The graph of side 1's chance to win over the turns of a reviewed record: one point per
// turn, the marked moves of the chosen side ringed ("?" orange, "??" red), the turn on the
// screen as a vertical line. A click on the graph asks to go to the nearest turn.
//
// It only draws what it is given; the review computed every number.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

namespace dalu {

class ChanceGraph : public QWidget {
 public:
  struct Point {
    int32_t turn = 0;
    double chance = 0.5;  // side 1's chance to win after the turn, 0..1
    int mark[3] = {};     // per side: 0 ok, 1 "?", 2 "??"
  };

  explicit ChanceGraph(QWidget* parent = nullptr);

  void SetPoints(std::vector<Point> points);
  // The side whose marks are ringed (1 or 2).
  void SetSide(int side);
  // The turn on the screen; -1: none.
  void SetCurrentTurn(int32_t turn);
  // The caption written in the top-left corner.
  void SetCaption(const QString& caption);

  const std::vector<Point>& Points() const { return points_; }
  // The pixel a turn's point is drawn at (for tests and the window check).
  QPointF PointAt(size_t index) const;

  std::function<void(int32_t turn)> onTurnClicked;

  QSize sizeHint() const override { return {320, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QRectF Plot() const;

  std::vector<Point> points_;
  int side_ = 1;
  int32_t current_ = -1;
  QString caption_;
};

}  // namespace dalu
