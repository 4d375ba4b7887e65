#include "coach/ui/chance_graph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace dalu {

ChanceGraph::ChanceGraph(QWidget* parent) : QWidget(parent) {
  setMinimumSize(200, 100);
  setFocusPolicy(Qt::NoFocus);
}

void ChanceGraph::SetPoints(std::vector<Point> points) {
  points_ = std::move(points);
  update();
}

void ChanceGraph::SetSide(int side) {
  side_ = side == 2 ? 2 : 1;
  update();
}

void ChanceGraph::SetCurrentTurn(int32_t turn) {
  if (current_ == turn) return;
  current_ = turn;
  update();
}

void ChanceGraph::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

QRectF ChanceGraph::Plot() const {
  // Room on the left for the 0 / 50 / 100 labels, at the top for the caption.
  return QRectF(30, 18, std::max(10, width() - 38), std::max(10, height() - 26));
}

QPointF ChanceGraph::PointAt(size_t index) const {
  const QRectF r = Plot();
  const size_t n = points_.size();
  const double x =
      n <= 1 ? r.center().x() : r.left() + r.width() * static_cast<double>(index) / (n - 1);
  const double chance = index < n ? points_[index].chance : 0.5;
  return {x, r.bottom() - r.height() * chance};
}

void ChanceGraph::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(16, 16, 32));
  const QRectF r = Plot();
  p.setPen(QColor(200, 200, 200));
  p.drawText(QRectF(4, 0, width() - 8, 18), Qt::AlignLeft | Qt::AlignVCenter, caption_);
  // The frame, the even line and the labels of the chance axis, in percent.
  p.setPen(QColor(90, 90, 110));
  p.drawRect(r);
  p.setPen(QPen(QColor(90, 90, 110), 1, Qt::DashLine));
  p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
  p.setPen(QColor(160, 160, 170));
  const QFontMetrics fm(font());
  for (int pct : {0, 50, 100}) {
    const double y = r.bottom() - r.height() * pct / 100.0;
    p.drawText(QRectF(0, y - fm.height() / 2.0, r.left() - 4, fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, QString::number(pct));
  }
  if (points_.empty()) return;

  // The turn on the screen.
  for (size_t i = 0; i < points_.size(); ++i) {
    if (points_[i].turn != current_) continue;
    p.setPen(QPen(QColor(120, 160, 255), 1));
    p.drawLine(QPointF(PointAt(i).x(), r.top()), QPointF(PointAt(i).x(), r.bottom()));
  }
  QPainterPath line;
  for (size_t i = 0; i < points_.size(); ++i) {
    if (i == 0) {
      line.moveTo(PointAt(i));
    } else {
      line.lineTo(PointAt(i));
    }
  }
  p.setPen(QPen(QColor(240, 240, 240), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawPath(line);
  for (size_t i = 0; i < points_.size(); ++i) {
    const int mark = points_[i].mark[side_];
    const QPointF at = PointAt(i);
    if (mark == 0) {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(240, 240, 240));
      p.drawEllipse(at, 1.8, 1.8);
      continue;
    }
    const QColor c = mark >= 2 ? QColor(255, 60, 60) : QColor(255, 170, 0);
    p.setPen(QPen(c, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(at, 4.5, 4.5);
  }
}

void ChanceGraph::mousePressEvent(QMouseEvent* event) {
  if (points_.empty() || !onTurnClicked) return;
  const double x = event->position().x();
  size_t best = 0;
  double bestDistance = INFINITY;
  for (size_t i = 0; i < points_.size(); ++i) {
    const double d = std::abs(PointAt(i).x() - x);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  onTurnClicked(points_[best].turn);
}

}  // namespace dalu
