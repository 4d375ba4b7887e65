// dalu_artgen: draws the playfield pictures into the directory given as the argument:
//   DaluChar.bmp   the 480 x 120 sheet of 20 x 20 cell images (6 rows of 24),
//   DaluBGPic.bmp  the 673 x 529 background of the playing area,
// and the same two pictures drawn at twice the resolution for high-density screens:
//   DaluChar@2x.bmp (960 x 240, 40 x 40 cells) and DaluBGPic@2x.bmp (1346 x 1058).
//
// Every shape is laid out in the coordinates of the 1x picture (a cell is 20 units wide)
// and drawn at the picture's own resolution, so the 2x pictures hold the same scenes with
// twice the detail rather than an enlargement.
//
// Beads are rendered as small 3-D scenes: a bead is a sphere, a join toward a neighbour of the
// same colour is a tube to that neighbour's sphere, and a smooth minimum melts them into one
// blob. Because a cell's scene holds the neighbour's sphere as well, the two halves of a join
// are mirror images and meet without a seam. Every pixel is sampled 4 x 4 times and lit from
// the top left.
//
// The sheet has no alpha channel: magenta (255, 0, 255) is what shows the background. The soft
// edge of every shape is therefore blended toward the dark field colour and cut where less than
// half of the pixel is covered.
//
// Nothing here is random: the same program draws the same pictures on every build.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kCell = 20;
constexpr int kSheetCols = 24;
constexpr int kSheetRows = 6;
constexpr int kBackWidth = 673;
constexpr int kBackHeight = 529;
constexpr double kPi = 3.14159265358979323846;

constexpr QRgb kMagenta = 0xffff00ffu;
// What the bead edges are blended toward: the darkened field they are drawn on.
constexpr int kMatteR = 10, kMatteG = 10, kMatteB = 16;

// ---- Small vector and colour helpers ------------------------------------------------------

struct V3 {
  double x, y, z;
};
V3 operator+(V3 a, V3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}
double Dot(V3 a, V3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
double Length(V3 a) {
  return std::sqrt(Dot(a, a));
}
V3 Normalize(V3 a) {
  const double l = Length(a);
  return l > 0 ? a * (1.0 / l) : V3{0, 0, 1};
}

double Clamp01(double v) {
  return v < 0 ? 0 : v > 1 ? 1 : v;
}
double SmoothStep(double e0, double e1, double v) {
  const double t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// Colours are kept in linear light while shading and converted to sRGB at the end.
struct Rgb {
  double r, g, b;
};
Rgb operator+(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, double s) {
  return {a.r * s, a.g * s, a.b * s};
}
Rgb Mix(Rgb a, Rgb b, double t) {
  return a * (1 - t) + b * t;
}

double ToLinear(int c) {
  return std::pow(c / 255.0, 2.2);
}
int ToSrgb(double c) {
  return static_cast<int>(std::lround(std::pow(Clamp01(c), 1 / 2.2) * 255));
}
Rgb Srgb(int r, int g, int b) {
  return {ToLinear(r), ToLinear(g), ToLinear(b)};
}
const Rgb kWhite{1, 1, 1};

// ---- Signed distances of the bead scenes ---------------------------------------------------

struct Ellipsoid {
  V3 c;  // centre, cell pixels (x right, y down, z toward the viewer)
  V3 r;  // radii
};

struct Tube {
  V3 a, b;  // ends of the axis
  double r;
};

double EllipsoidDistance(const Ellipsoid& e, V3 p) {
  const V3 q{(p.x - e.c.x) / e.r.x, (p.y - e.c.y) / e.r.y, (p.z - e.c.z) / e.r.z};
  return (Length(q) - 1) * std::min({e.r.x, e.r.y, e.r.z});
}

double TubeDistance(const Tube& t, V3 p) {
  const V3 ab = t.b - t.a;
  const double h = Clamp01(Dot(p - t.a, ab) / Dot(ab, ab));
  return Length(p - (t.a + ab * h)) - t.r;
}

// Polynomial smooth minimum: k is the width of the fillet in pixels; 0 is a plain union.
double SmoothMin(double a, double b, double k) {
  if (k <= 0) return std::min(a, b);
  const double h = std::max(k - std::abs(a - b), 0.0) / k;
  return std::min(a, b) - h * h * k * 0.25;
}

struct Scene {
  std::vector<Ellipsoid> balls;
  std::vector<Tube> tubes;
  double blend = 4.0;

  double Distance(V3 p) const {
    double d = 1e9;
    for (const Ellipsoid& e : balls) d = SmoothMin(d, EllipsoidDistance(e, p), blend);
    for (const Tube& t : tubes) d = SmoothMin(d, TubeDistance(t, p), blend);
    return d;
  }
};

// ---- Surface look ---------------------------------------------------------------------------

struct Material {
  Rgb base;
  Rgb mark;               // colour of the group's mark
  QPainterPath markPath;  // in cell pixels; empty for no mark
  double gloss = 1.0;     // strength of the sharp highlight
  double outline = 0.62;  // how much the rim darkens (0 none .. 1 black)
};

Rgb Shade(V3 n, Rgb albedo, const Material& m) {
  static const V3 kLight = Normalize({-0.55, -0.8, 0.95});
  // The highlight is placed higher up and further left than the light alone would put it,
  // so that it never sits on the group's mark in the middle of the bead.
  static const V3 kHalf = Normalize({-0.40, -0.52, 0.75});
  static const Rgb kSky = Srgb(150, 175, 230);

  const double wrap = Clamp01((Dot(n, kLight) + 0.3) / 1.3);
  const double ambient = 0.16 + 0.08 * std::max(-n.y, 0.0);
  Rgb c = albedo * (ambient + 0.95 * wrap * wrap);
  c = c + albedo * (0.22 * std::max(n.y, 0.0) * std::max(n.z, 0.0));  // light bounced from below
  const double nh = std::max(Dot(n, kHalf), 0.0);
  const double spec = std::pow(nh, 45) * 1.0 + std::pow(nh, 10) * 0.10;
  c = c + kWhite * (spec * m.gloss);
  const double fresnel = std::pow(1 - std::max(n.z, 0.0), 3);
  c = c + kSky * (fresnel * 0.22);
  // The rim darkens into an outline, so touching beads of different colours stay apart.
  const double rim = SmoothStep(0.0, 0.32, n.z);
  return c * (1 - m.outline + m.outline * rim);
}

// A layer is one cell, 20 x 20 units, as a premultiplied ARGB image of 20 scale pixels
// square; shapes are composited onto it.
QImage NewLayer(int scale) {
  QImage img(kCell * scale, kCell * scale, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

// Pixels per unit of a layer.
int ScaleOf(const QImage& layer) {
  return layer.width() / kCell;
}

// A painter on the layer that takes cell units.
void UseCellUnits(QPainter& p, const QImage& layer) {
  p.scale(ScaleOf(layer), ScaleOf(layer));
}

// Composites a colour with coverage a over the layer pixel. The layer is read and written
// as stored, premultiplied (QImage::pixel would hand back unpremultiplied values).
QRgb& LayerPixel(QImage& layer, int x, int y) {
  return reinterpret_cast<QRgb*>(layer.scanLine(y))[x];
}

void Over(QImage& layer, int x, int y, Rgb colour, double a) {
  if (a <= 0) return;
  QRgb& d = LayerPixel(layer, x, y);
  const double k = 1 - a;
  const auto out = [&](double src, int dst) {
    return std::clamp(static_cast<int>(std::lround(src * a + dst * k)), 0, 255);
  };
  d = qRgba(out(ToSrgb(colour.r), qRed(d)), out(ToSrgb(colour.g), qGreen(d)),
            out(ToSrgb(colour.b), qBlue(d)), out(255, qAlpha(d)));
}

// Renders a scene onto the layer: every pixel is sampled 4 x 4 times, each sample finds the
// front of the surface along the view ray and is lit there.
void Render(QImage& layer, const Scene& scene, const Material& m) {
  constexpr int kSub = 4;
  constexpr double kDepth = 14;  // no scene reaches further toward the viewer
  const int scale = ScaleOf(layer);
  const int size = layer.width();
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Rgb sum{0, 0, 0};
      int hits = 0;
      for (int j = 0; j < kSub; ++j) {
        for (int i = 0; i < kSub; ++i) {
          const double x = (px + (i + 0.5) / kSub) / scale;
          const double y = (py + (j + 0.5) / kSub) / scale;
          // Every shape is symmetric about z = 0 and grows no thicker away from it, so a ray
          // that misses the middle plane misses the shape.
          if (scene.Distance({x, y, 0}) > 0) continue;
          double lo = 0, hi = kDepth;
          for (int it = 0; it < 22; ++it) {
            const double mid = (lo + hi) / 2;
            (scene.Distance({x, y, mid}) > 0 ? hi : lo) = mid;
          }
          const V3 p{x, y, lo};
          constexpr double e = 0.02;
          const V3 n =
              Normalize({scene.Distance(p + V3{e, 0, 0}) - scene.Distance(p - V3{e, 0, 0}),
                         scene.Distance(p + V3{0, e, 0}) - scene.Distance(p - V3{0, e, 0}),
                         scene.Distance(p + V3{0, 0, e}) - scene.Distance(p - V3{0, 0, e})});
          const bool inMark = !m.markPath.isEmpty() && m.markPath.contains(QPointF(x, y));
          sum = sum + Shade(n, inMark ? m.mark : m.base, m);
          ++hits;
        }
      }
      if (hits == 0) continue;
      Over(layer, px, py, sum * (1.0 / hits), static_cast<double>(hits) / (kSub * kSub));
    }
  }
}

// Turns a layer into sheet pixels: covered pixels blended toward the field colour, the rest
// magenta.
void Flatten(QImage& layer, QImage& sheet, int cellX, int cellY) {
  const int size = layer.width();
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const QRgb s = LayerPixel(layer, x, y);  // premultiplied
      const int a = qAlpha(s);
      QRgb out = kMagenta;
      if (a >= 128) {
        const double k = 1 - a / 255.0;
        out = qRgb(std::min(255, qRed(s) + static_cast<int>(std::lround(kMatteR * k))),
                   std::min(255, qGreen(s) + static_cast<int>(std::lround(kMatteG * k))),
                   std::min(255, qBlue(s) + static_cast<int>(std::lround(kMatteB * k))));
        if (out == kMagenta) out = qRgb(254, 0, 255);  // never the transparent colour by chance
      }
      sheet.setPixel(cellX * size + x, cellY * size + y, out);
    }
  }
}

// ---- The group marks ------------------------------------------------------------------------

// Each bead group carries its own small shape, so no bead depends on its hue alone. Shapes
// are made in a unit box around (0, 0) and placed on the bead by PlaceMark.
enum class Mark { kNone, kHeart, kTriangle, kDiamond, kStar, kRing };

QPainterPath UnitMark(Mark mark) {
  QPainterPath p;
  switch (mark) {
    case Mark::kNone:
      break;
    case Mark::kHeart:
      p.moveTo(0, 0.95);
      p.cubicTo(-0.35, 0.6, -1.05, 0.15, -1.0, -0.35);
      p.cubicTo(-0.95, -0.95, -0.2, -1.05, 0, -0.45);
      p.cubicTo(0.2, -1.05, 0.95, -0.95, 1.0, -0.35);
      p.cubicTo(1.05, 0.15, 0.35, 0.6, 0, 0.95);
      break;
    case Mark::kTriangle:
      p.moveTo(0, -1.0);
      p.lineTo(1.0, 0.78);
      p.lineTo(-1.0, 0.78);
      p.closeSubpath();
      break;
    case Mark::kDiamond:
      p.moveTo(0, -1.1);
      p.lineTo(0.78, 0);
      p.lineTo(0, 1.1);
      p.lineTo(-0.78, 0);
      p.closeSubpath();
      break;
    case Mark::kStar:
      for (int i = 0; i < 10; ++i) {
        const double a = -kPi / 2 + i * kPi / 5;
        const double r = (i % 2 == 0) ? 1.15 : 0.5;
        const QPointF q(r * std::cos(a), r * std::sin(a) + 0.08);
        i == 0 ? p.moveTo(q) : p.lineTo(q);
      }
      p.closeSubpath();
      break;
    case Mark::kRing: {
      QPainterPath disc, hole;
      disc.addEllipse(QPointF(0, 0), 0.95, 0.95);
      hole.addEllipse(QPointF(0, 0), 0.45, 0.45);
      p = disc.subtracted(hole);
      break;
    }
  }
  return p;
}

QPainterPath PlaceMark(Mark mark, double cx, double cy, double sx, double sy) {
  QTransform t;
  t.translate(cx, cy);
  t.scale(sx, sy);
  return t.map(UnitMark(mark));
}

// ---- The bead groups ------------------------------------------------------------------------

struct Group {
  Rgb base;
  Rgb mark;
  Mark shape;
};

// Five hues that also differ in lightness, each with its own mark; group 6 is the obstruct
// bead. Light beads carry a dark mark, dark beads a light one.
Group GroupLook(int g) {
  switch (g) {
    case 1:  // red, heart
      return {Srgb(230, 58, 46), Srgb(255, 216, 206), Mark::kHeart};
    case 2:  // green, triangle
      return {Srgb(36, 184, 124), Srgb(6, 66, 42), Mark::kTriangle};
    case 3:  // blue, diamond
      return {Srgb(46, 112, 232), Srgb(210, 230, 255), Mark::kDiamond};
    case 4:  // yellow, star
      return {Srgb(250, 208, 46), Srgb(130, 80, 0), Mark::kStar};
    case 5:  // purple, ring
      return {Srgb(194, 84, 214), Srgb(250, 218, 255), Mark::kRing};
    default:  // obstruct: pale grey, no mark
      return {Srgb(176, 180, 194), Srgb(176, 180, 194), Mark::kNone};
  }
}

constexpr double kBeadRadius = 8.7;
constexpr double kTubeRadius = 6.6;
constexpr double kMarkSize = 3.9;
constexpr double kBeadCentre = 10.0;

Material BeadMaterial(const Group& look, double cx, double cy, double sx, double sy) {
  Material m;
  m.base = look.base;
  m.mark = look.mark;
  if (look.shape != Mark::kNone)
    m.markPath =
        PlaceMark(look.shape, cx + 0.3 * sx / kMarkSize, cy + 0.6 * sy / kMarkSize, sx, sy);
  return m;
}

// Settled bead, joined toward the neighbours named by the variant's bits:
// right 1, below 2, left 4, above 8.
void DrawSettled(QImage& layer, const Group& look, int variant) {
  const V3 c{kBeadCentre, kBeadCentre, 0};
  Scene s;
  s.balls.push_back({c, {kBeadRadius, kBeadRadius, kBeadRadius}});
  static const int kDx[4] = {1, 0, -1, 0};
  static const int kDy[4] = {0, 1, 0, -1};
  for (int bit = 0; bit < 4; ++bit) {
    if (!(variant & (1 << bit))) continue;
    const V3 other{c.x + kCell * kDx[bit], c.y + kCell * kDy[bit], 0};
    s.balls.push_back({other, {kBeadRadius, kBeadRadius, kBeadRadius}});
    s.tubes.push_back({c, other, kTubeRadius});
  }
  Render(layer, s, BeadMaterial(look, c.x, c.y, kMarkSize, kMarkSize));
}

// A bead pressed flat on landing; it keeps its bottom where the round bead has it.
void DrawSquashed(QImage& layer, const Group& look, double rx, double ry, Rgb tint = {0, 0, 0},
                  double tintAmount = 0) {
  const double bottom = kBeadCentre + kBeadRadius;
  const V3 c{kBeadCentre, bottom - ry, 0};
  Scene s;
  s.balls.push_back({c, {rx, ry, (rx + ry) / 2}});
  Group g = look;
  g.base = Mix(g.base, tint, tintAmount);
  g.mark = Mix(g.mark, tint, tintAmount);
  Render(layer, s,
         BeadMaterial(g, c.x, c.y, kMarkSize * rx / kBeadRadius, kMarkSize * ry / kBeadRadius));
}

// A four-pointed glint.
void DrawGlint(QImage& layer, double x, double y, double size, QColor colour) {
  QPainter p(&layer);
  UseCellUnits(p, layer);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  QPainterPath star;
  const double w = size * 0.32;
  star.moveTo(x, y - size);
  star.quadTo(x + w * 0.4, y - w * 0.4, x + size, y);
  star.quadTo(x + w * 0.4, y + w * 0.4, x, y + size);
  star.quadTo(x - w * 0.4, y + w * 0.4, x - size, y);
  star.quadTo(x - w * 0.4, y - w * 0.4, x, y - size);
  p.drawPath(star);
}

// Vanish frames 2..6 (frame 1 is the flattest squash, shared with the landing bounce): the
// bead flashes, bursts into droplets that fly outward and fade to glints.
void DrawVanish(QImage& layer, const Group& look, int frame) {
  const V3 c{kBeadCentre, kBeadCentre, 0};
  if (frame == 2) {
    Scene s;
    s.balls.push_back({c, {9.3, 9.3, 9.3}});
    Group g = look;
    g.base = Mix(look.base, kWhite, 0.5);
    g.mark = Mix(look.mark, kWhite, 0.5);
    Material m = BeadMaterial(g, c.x, c.y, kMarkSize * 1.07, kMarkSize * 1.07);
    m.outline = 0.45;
    Render(layer, s, m);
    return;
  }
  // Frames 3..6: eight droplets at `spread` pixels from the middle, each `radius` big, turned
  // a little further every frame and paling toward white.
  struct Burst {
    double spread, radius, whiten, turn;
  };
  static const Burst kBursts[4] = {
      {4.6, 2.9, 0.2, 0}, {6.6, 2.4, 0.15, 0.2}, {7.9, 1.9, 0.2, 0.4}, {8.4, 1.3, 0.4, 0.6}};
  const Burst& b = kBursts[frame - 3];
  Scene s;
  s.blend = 0;
  for (int i = 0; i < 8; ++i) {
    const double a = b.turn + i * kPi / 4;
    s.balls.push_back({{c.x + b.spread * std::cos(a), c.y + b.spread * std::sin(a), 0},
                       {b.radius, b.radius, b.radius}});
  }
  if (frame == 3) s.balls.push_back({c, {3.4, 3.4, 3.4}});
  Material m;
  m.base = Mix(look.base, kWhite, b.whiten);
  m.outline = 0.35;
  Render(layer, s, m);
  const QColor glint = QColor::fromRgb(255, 255, 235);
  if (frame == 4) {
    DrawGlint(layer, c.x, c.y, 3.2, glint);
  } else if (frame == 5) {
    DrawGlint(layer, c.x - 3.5, c.y - 3.5, 2.6, glint);
    DrawGlint(layer, c.x + 3.5, c.y + 3.5, 2.2, glint);
  } else if (frame == 6) {
    DrawGlint(layer, c.x + 3.8, c.y - 3.8, 2.0, glint);
    DrawGlint(layer, c.x - 3.8, c.y + 3.8, 1.8, glint);
  }
}

// The whole row of one bead group: variants 0..15 settled, 16 and 17 squashed (17 is also
// vanish frame 1), 18..22 vanish frames 2..6. Variant 23 stays transparent.
void DrawGroupRow(QImage& sheet, int scale, int row, const Group& look, bool joins) {
  for (int v = 0; v <= 22; ++v) {
    if (!joins && v >= 1 && v <= 15) continue;  // the obstruct row keeps these for others
    QImage layer = NewLayer(scale);
    if (v <= 15) {
      DrawSettled(layer, look, v);
    } else if (v == 16) {
      DrawSquashed(layer, look, 9.4, 7.3);
    } else if (v == 17) {
      DrawSquashed(layer, look, 9.9, 5.9);
    } else {
      DrawVanish(layer, look, v - 16);
    }
    Flatten(layer, sheet, v, row);
  }
}

// ---- Group 6: the field's other images ------------------------------------------------------

void DrawBall(QImage& layer, Rgb base, double cx, double cy, double r, double outline = 0.62) {
  Scene s;
  s.balls.push_back({{cx, cy, 0}, {r, r, r}});
  Material m;
  m.base = base;
  m.outline = outline;
  Render(layer, s, m);
}

// Notice for 100 incoming points: a gold star.
void DrawStarNotice(QImage& layer) {
  QPainter p(&layer);
  UseCellUnits(p, layer);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath star;
  for (int i = 0; i < 10; ++i) {
    const double a = -kPi / 2 + i * kPi / 5;
    const double r = (i % 2 == 0) ? 9.6 : 4.3;
    const QPointF q(10 + r * std::cos(a), 10.8 + r * std::sin(a));
    i == 0 ? star.moveTo(q) : star.lineTo(q);
  }
  star.closeSubpath();
  QRadialGradient fill(QPointF(7.5, 7.0), 11.0);
  fill.setColorAt(0.0, QColor(255, 250, 205));
  fill.setColorAt(0.35, QColor(255, 214, 70));
  fill.setColorAt(1.0, QColor(196, 118, 10));
  p.setBrush(fill);
  p.setPen(QPen(QColor(110, 60, 0), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(star);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 240, 220));
  p.drawEllipse(QPointF(8.4, 7.6), 1.6, 1.1);
}

// Opaque tile with a bevel: a face shaded from `top` to `bottom`, two light pixels along the
// top and left edges and two dark ones along the bottom and right.
void DrawBevelTile(QImage& layer, QColor light, QColor dark, QColor top, QColor bottom) {
  QPainter p(&layer);
  UseCellUnits(p, layer);
  QLinearGradient face(0, 0, 0, kCell);
  face.setColorAt(0, top);
  face.setColorAt(1, bottom);
  p.fillRect(0, 0, kCell, kCell, face);
  p.fillRect(0, 0, kCell, 1, light);
  p.fillRect(0, 0, 1, kCell, light);
  p.fillRect(1, 1, kCell - 2, 1, light.darker(115));
  p.fillRect(1, 1, 1, kCell - 2, light.darker(115));
  p.fillRect(0, kCell - 1, kCell, 1, dark);
  p.fillRect(kCell - 1, 0, 1, kCell, dark);
  p.fillRect(1, kCell - 2, kCell - 2, 1, dark.lighter(120));
  p.fillRect(kCell - 2, 1, 1, kCell - 2, dark.lighter(120));
}

// Wall and floor: calm slate blocks that frame the field.
void DrawWall(QImage& layer) {
  DrawBevelTile(layer, QColor(132, 148, 184), QColor(30, 34, 50), QColor(86, 99, 132),
                QColor(62, 72, 100));
  QPainter p(&layer);
  UseCellUnits(p, layer);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 22));
  p.drawEllipse(QPointF(7, 7), 5, 3.5);
}

// Filler of a buried field: dark stone with a faint cross-hatch.
void DrawBurial(QImage& layer) {
  DrawBevelTile(layer, QColor(92, 92, 106), QColor(20, 20, 26), QColor(58, 58, 70),
                QColor(44, 44, 54));
  QPainter p(&layer);
  UseCellUnits(p, layer);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 30, 38), 1.0));
  p.drawLine(QPointF(4.5, 4.5), QPointF(15.5, 15.5));
  p.drawLine(QPointF(15.5, 4.5), QPointF(4.5, 15.5));
}

// The marker row is a rail above the field. Both markers share one silhouette (the bar), so
// drawing the plain marker over the next-drop marker hides it completely.
constexpr int kRailTop = 4;
constexpr int kRailBottom = 15;  // included

void DrawRail(QPainter& p) {
  QLinearGradient g(0, kRailTop, 0, kRailBottom + 1);
  g.setColorAt(0.0, QColor(120, 132, 160));
  g.setColorAt(0.18, QColor(82, 92, 118));
  g.setColorAt(0.8, QColor(44, 50, 68));
  g.setColorAt(1.0, QColor(24, 28, 40));
  p.fillRect(0, kRailTop, kCell, kRailBottom - kRailTop + 1, g);
}

void DrawColumnMarker(QImage& layer) {
  QPainter p(&layer);
  UseCellUnits(p, layer);
  DrawRail(p);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(28, 32, 46));
  QPolygonF notch;
  notch << QPointF(7.0, 8.0) << QPointF(13.0, 8.0) << QPointF(10.0, 12.0);
  p.drawPolygon(notch);
}

void DrawNextDropMarker(QImage& layer) {
  QPainter p(&layer);
  UseCellUnits(p, layer);
  DrawRail(p);
  p.setRenderHint(QPainter::Antialiasing);
  QPolygonF arrow;
  arrow << QPointF(3.6, 6.0) << QPointF(16.4, 6.0) << QPointF(10.0, 14.6);
  QLinearGradient g(0, 6, 0, 15);
  g.setColorAt(0, QColor(255, 236, 150));
  g.setColorAt(1, QColor(255, 150, 30));
  p.setBrush(g);
  p.setPen(QPen(QColor(120, 60, 0), 0.9));
  p.drawPolygon(arrow);
}

void DrawObstructRow(QImage& sheet, int scale) {
  const int row = 5;
  const Group look = GroupLook(6);
  DrawGroupRow(sheet, scale, row, look, false);  // 120, 136, 137..142

  const Rgb grey = look.base;
  auto cell = [&](int v, auto draw) {
    QImage layer = NewLayer(scale);
    draw(layer);
    Flatten(layer, sheet, v, row);
  };
  cell(1, [](QImage& l) { DrawStarNotice(l); });                                 // 121
  cell(9, [](QImage& l) { DrawBurial(l); });                                     // 129
  cell(10, [](QImage& l) { DrawColumnMarker(l); });                              // 130
  cell(11, [](QImage& l) { DrawWall(l); });                                      // 131
  cell(12, [&](QImage& l) { DrawBall(l, grey, 5.0, 12.0, 3.8, 0.5); });          // 132
  cell(13, [&](QImage& l) { DrawBall(l, grey, 10.0, 11.0, 6.4); });              // 133
  cell(14, [](QImage& l) { DrawBall(l, Srgb(214, 84, 44), 10.0, 10.0, 9.0); });  // 134
  cell(15, [](QImage& l) { DrawNextDropMarker(l); });                            // 135
}

QImage DrawSheet(int scale) {
  QImage sheet(kSheetCols * kCell * scale, kSheetRows * kCell * scale, QImage::Format_RGB32);
  sheet.fill(kMagenta);
  for (int g = 1; g <= 5; ++g) DrawGroupRow(sheet, scale, g - 1, GroupLook(g), true);
  DrawObstructRow(sheet, scale);
  return sheet;
}

// ---- Background -----------------------------------------------------------------------------

// A small fixed-seed generator, so the picture is the same on every build.
struct Lcg {
  uint32_t state;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  }
};

// Deep blue dusk with soft out-of-focus lights, faint ripples at the bottom and a vignette.
// Low contrast everywhere, because the fields are only darkened on top of it.
QImage DrawBackground(int scale) {
  QImage img(kBackWidth * scale, kBackHeight * scale, QImage::Format_RGB32);
  const QRect area(0, 0, kBackWidth, kBackHeight);  // in 1x pixels, as everything below
  QPainter p(&img);
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, kBackHeight);
  sky.setColorAt(0.0, QColor(30, 32, 70));
  sky.setColorAt(0.55, QColor(24, 44, 84));
  sky.setColorAt(1.0, QColor(14, 52, 70));
  p.fillRect(area, sky);

  QRadialGradient glow(QPointF(336, 210), 330);
  glow.setColorAt(0.0, QColor(90, 110, 190, 70));
  glow.setColorAt(1.0, QColor(90, 110, 190, 0));
  p.fillRect(area, glow);

  // Out-of-focus lights.
  Lcg rng{20240611u};
  const QColor tints[4] = {QColor(120, 200, 255), QColor(190, 150, 255), QColor(255, 210, 140),
                           QColor(140, 255, 220)};
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 70; ++i) {
    const double x = rng.Next() * kBackWidth;
    const double y = rng.Next() * kBackHeight;
    const double r = 5 + std::pow(rng.Next(), 2.0) * 42;
    QColor c = tints[static_cast<int>(rng.Next() * 4) % 4];
    const int alpha = static_cast<int>(10 + rng.Next() * 26);
    QRadialGradient g(QPointF(x, y), r);
    c.setAlpha(alpha);
    g.setColorAt(0.0, c);
    g.setColorAt(0.75, c);
    c.setAlpha(0);
    g.setColorAt(1.0, c);
    p.setBrush(g);
    p.drawEllipse(QPointF(x, y), r, r);
  }

  // Ripples along the bottom.
  for (int band = 0; band < 5; ++band) {
    QPainterPath wave;
    const double base = 420 + band * 22;
    wave.moveTo(0, base);
    for (int x = 0; x <= kBackWidth; x += 4) {
      const double y = base + 7 * std::sin(x / 58.0 + band * 1.3) + 4 * std::sin(x / 23.0 + band);
      wave.lineTo(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(150, 220, 255, 16 + band * 3), 2.0));
    p.drawPath(wave);
  }

  // Vignette.
  QRadialGradient vignette(QPointF(kBackWidth / 2.0, kBackHeight / 2.0), 470);
  vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
  vignette.setColorAt(1.0, QColor(0, 0, 10, 120));
  p.setPen(Qt::NoPen);
  p.fillRect(area, vignette);
  p.end();

  // A little noise breaks up banding in the gradients.
  Lcg noise{7u};
  for (int y = 0; y < img.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      const int d = static_cast<int>(noise.Next() * 5) - 2;
      const QRgb c = line[x];
      line[x] = qRgb(std::clamp(qRed(c) + d, 0, 255), std::clamp(qGreen(c) + d, 0, 255),
                     std::clamp(qBlue(c) + d, 0, 255));
    }
  }
  return img;
}

bool Save(const QImage& img, const std::string& path) {
  if (img.save(QString::fromStdString(path), "BMP")) return true;
  std::fprintf(stderr, "dalu_artgen: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dalu_artgen <output directory>\n");
    return 2;
  }
  std::string dir = argv[1];
  if (!dir.empty() && dir.back() != '/') dir += '/';
  const bool ok = Save(DrawSheet(1), dir + "DaluChar.bmp") &&
                  Save(DrawBackground(1), dir + "DaluBGPic.bmp") &&
                  Save(DrawSheet(2), dir + "DaluChar@2x.bmp") &&
                  Save(DrawBackground(2), dir + "DaluBGPic@2x.bmp");
  return ok ? 0 : 1;
}
