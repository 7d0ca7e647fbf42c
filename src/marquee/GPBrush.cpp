#include "marquee/GPBrush.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "marquee/GPGraphicsPath.h"
#include "marquee/GPImage.h"

namespace {

void ToRgba(ARGB c, double* r, double* g, double* b, double* a) {
  *a = ((c >> 24) & 0xFF) / 255.0;
  *r = ((c >> 16) & 0xFF) / 255.0;
  *g = ((c >> 8) & 0xFF) / 255.0;
  *b = (c & 0xFF) / 255.0;
}

cairo_pattern_t* SolidPattern(ARGB c) {
  double r, g, b, a;
  ToRgba(c, &r, &g, &b, &a);
  return cairo_pattern_create_rgba(r, g, b, a);
}

double ToLinear(double v) {
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
double FromLinear(double v) {
  return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

// ----- hatch patterns ------------------------------------------------------------------

using Rows = std::array<uint8_t, 8>;

template <class Pred>
Rows FromPredicate(Pred on) {
  Rows r{};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (on(x, y)) r[y] |= uint8_t(0x80 >> x);
  return r;
}

// Percentage patterns spread their pixels evenly by an ordered-dither matrix.
Rows Percent(int percent) {
  static const int bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                  {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                  {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                  {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
  int n = (percent * 64 + 50) / 100;
  return FromPredicate([&](int x, int y) { return bayer[y][x] < n; });
}

int Mod(int a, int m) {
  return ((a % m) + m) % m;
}

std::array<Rows, HatchStyleTotal> MakeHatches() {
  std::array<Rows, HatchStyleTotal> h{};
  h[HatchStyleHorizontal] = FromPredicate([](int, int y) { return y == 0; });
  h[HatchStyleVertical] = FromPredicate([](int x, int) { return x == 0; });
  h[HatchStyleForwardDiagonal] = FromPredicate([](int x, int y) { return x == y; });
  h[HatchStyleBackwardDiagonal] = FromPredicate([](int x, int y) { return x + y == 7; });
  h[HatchStyleCross] = FromPredicate([](int x, int y) { return x == 0 || y == 0; });
  h[HatchStyleDiagonalCross] = FromPredicate([](int x, int y) { return x == y || x + y == 7; });
  const int percents[] = {5, 10, 20, 25, 30, 40, 50, 60, 70, 75, 80, 90};
  for (int i = 0; i < 12; ++i)
    h[HatchStyle05Percent + i] = Percent(percents[i]);
  h[HatchStyleLightDownwardDiagonal] =
      FromPredicate([](int x, int y) { return Mod(x - y, 4) == 0; });
  h[HatchStyleLightUpwardDiagonal] = FromPredicate([](int x, int y) { return Mod(x + y, 4) == 3; });
  h[HatchStyleDarkDownwardDiagonal] = FromPredicate([](int x, int y) { return Mod(x - y, 4) < 2; });
  h[HatchStyleDarkUpwardDiagonal] = FromPredicate([](int x, int y) { return Mod(x + y, 4) >= 2; });
  h[HatchStyleWideDownwardDiagonal] = FromPredicate([](int x, int y) { return Mod(x - y, 8) < 3; });
  h[HatchStyleWideUpwardDiagonal] = FromPredicate([](int x, int y) { return Mod(x + y, 8) >= 5; });
  h[HatchStyleLightVertical] = FromPredicate([](int x, int) { return x % 4 == 0; });
  h[HatchStyleLightHorizontal] = FromPredicate([](int, int y) { return y % 4 == 0; });
  h[HatchStyleNarrowVertical] = FromPredicate([](int x, int) { return x % 2 == 0; });
  h[HatchStyleNarrowHorizontal] = FromPredicate([](int, int y) { return y % 2 == 0; });
  h[HatchStyleDarkVertical] = FromPredicate([](int x, int) { return x % 4 < 2; });
  h[HatchStyleDarkHorizontal] = FromPredicate([](int, int y) { return y % 4 < 2; });
  h[HatchStyleDashedDownwardDiagonal] =
      FromPredicate([](int x, int y) { return y < 4 && Mod(x - y, 4) == 0; });
  h[HatchStyleDashedUpwardDiagonal] =
      FromPredicate([](int x, int y) { return y < 4 && Mod(x + y, 4) == 3; });
  h[HatchStyleDashedHorizontal] = Rows{0xF0, 0, 0, 0, 0x0F, 0, 0, 0};
  h[HatchStyleDashedVertical] = Rows{0x80, 0x80, 0x80, 0x80, 0x08, 0x08, 0x08, 0x08};
  h[HatchStyleSmallConfetti] = Rows{0x80, 0x08, 0x40, 0x02, 0x10, 0x01, 0x20, 0x04};
  h[HatchStyleLargeConfetti] = Rows{0xB1, 0x30, 0x03, 0x1B, 0xD8, 0xC0, 0x0C, 0x8D};
  h[HatchStyleZigZag] = Rows{0x81, 0x42, 0x24, 0x18, 0x81, 0x42, 0x24, 0x18};
  h[HatchStyleWave] = Rows{0x00, 0x18, 0x24, 0xC3, 0x00, 0x18, 0x24, 0xC3};
  h[HatchStyleDiagonalBrick] = Rows{0x01, 0x02, 0x04, 0x08, 0x18, 0x24, 0x42, 0x81};
  h[HatchStyleHorizontalBrick] = Rows{0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08};
  h[HatchStyleWeave] = Rows{0x88, 0x54, 0x22, 0x45, 0x88, 0x14, 0x22, 0x51};
  h[HatchStylePlaid] = Rows{0xAA, 0x55, 0xAA, 0x55, 0xF0, 0xF0, 0xF0, 0xF0};
  h[HatchStyleDivot] = Rows{0x00, 0x10, 0x08, 0x10, 0x00, 0x01, 0x80, 0x01};
  h[HatchStyleDottedGrid] = Rows{0xAA, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00};
  h[HatchStyleDottedDiamond] = Rows{0x80, 0x00, 0x22, 0x00, 0x08, 0x00, 0x22, 0x00};
  h[HatchStyleShingle] = Rows{0x03, 0x84, 0x48, 0x30, 0x0C, 0x02, 0x01, 0x01};
  h[HatchStyleTrellis] = Rows{0xFF, 0x66, 0xFF, 0x99, 0xFF, 0x66, 0xFF, 0x99};
  h[HatchStyleSphere] = Rows{0x77, 0x98, 0xF8, 0xF8, 0x77, 0x89, 0x8F, 0x8F};
  h[HatchStyleSmallGrid] = FromPredicate([](int x, int y) { return x % 4 == 0 || y % 4 == 0; });
  h[HatchStyleSmallCheckerBoard] = Rows{0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33};
  h[HatchStyleLargeCheckerBoard] = Rows{0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F};
  h[HatchStyleOutlinedDiamond] = Rows{0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41, 0x80};
  h[HatchStyleSolidDiamond] = Rows{0x10, 0x38, 0x7C, 0xFE, 0x7C, 0x38, 0x10, 0x00};
  return h;
}

}  // namespace

// ----- pen -----------------------------------------------------------------------------

TGPPen::TGPPen(ARGB color, float width, Unit) : color_(color), width_(width) {
  pattern_ = SolidPattern(color);
  if (!std::isfinite(width)) lastResult = InvalidParameter;
}

TGPPen::~TGPPen() {
  if (pattern_) cairo_pattern_destroy(pattern_);
}

Status TGPPen::SetDashStyle(DashStyle style) {
  if (style < DashStyleSolid || style > DashStyleCustom) return lastResult = InvalidParameter;
  dashStyle_ = style;
  return Ok;
}

// ----- brushes -------------------------------------------------------------------------

TGPBrush::~TGPBrush() {
  if (pattern_) cairo_pattern_destroy(pattern_);
}

TGPSolidBrush::TGPSolidBrush(ARGB color) : color_(color) {
  pattern_ = SolidPattern(color);
}

const uint8_t* TGPHatchBrush::PatternRows(HatchStyle style) {
  static const std::array<Rows, HatchStyleTotal> hatches = MakeHatches();
  static const Rows none{};
  if (style < HatchStyleMin || style > HatchStyleMax) return none.data();
  return hatches[style].data();
}

TGPHatchBrush::TGPHatchBrush(HatchStyle style, ARGB fore, ARGB back) : style_(style) {
  if (style < HatchStyleMin || style > HatchStyleMax) {
    lastResult = InvalidParameter;
    return;
  }
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  uint8_t* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  auto premul = [](ARGB c) {
    uint32_t a = c >> 24;
    auto ch = [&](int shift) { return (((c >> shift) & 0xFF) * a + 127) / 255; };
    return (a << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
  };
  uint32_t f = premul(fore), b = premul(back);
  const uint8_t* rows = PatternRows(style);
  for (int y = 0; y < 8; ++y) {
    uint32_t* line = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < 8; ++x)
      line[x] = (rows[y] & (0x80 >> x)) ? f : b;
  }
  cairo_surface_mark_dirty(s);
  pattern_ = cairo_pattern_create_for_surface(s);
  cairo_surface_destroy(s);
  cairo_pattern_set_extend(pattern_, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern_, CAIRO_FILTER_NEAREST);
}

TGPLinearGradientBrush::TGPLinearGradientBrush(const TGPRectF& rect, ARGB c1, ARGB c2,
                                               LinearGradientMode mode)
    : rect_(rect), color1_(c1), color2_(c2) {
  switch (mode) {
    case LinearGradientModeHorizontal:
      x1_ = 1;
      break;
    case LinearGradientModeVertical:
      y1_ = 1;
      break;
    case LinearGradientModeForwardDiagonal:
      x1_ = y1_ = 1;
      break;
    case LinearGradientModeBackwardDiagonal:
      x0_ = 1, y1_ = 1;
      break;
    default:
      lastResult = InvalidParameter;
      return;
  }
  scaled_ = true;
  Build();
}

// The axis runs along the angle's direction, from the rectangle's corner that lies
// furthest back to the one furthest ahead, so that the start and end lines pass through
// corners. With isAngleScalable the construction happens in the rectangle's unit square,
// so 45 degrees runs along the diagonal.
TGPLinearGradientBrush::TGPLinearGradientBrush(const TGPRectF& rect, ARGB c1, ARGB c2, float angle,
                                               bool isAngleScalable)
    : rect_(rect), color1_(c1), color2_(c2) {
  if (!std::isfinite(angle)) {
    lastResult = InvalidParameter;
    return;
  }
  double a = double(angle) * M_PI / 180.0;
  double dx = std::cos(a), dy = std::sin(a);
  double w = isAngleScalable ? 1.0 : rect.Width, h = isAngleScalable ? 1.0 : rect.Height;
  const double cx[4] = {0, w, 0, w}, cy[4] = {0, 0, h, h};
  int lo = 0, hi = 0;
  double plo = 1e300, phi = -1e300;
  for (int i = 0; i < 4; ++i) {
    double p = cx[i] * dx + cy[i] * dy;
    if (p < plo) plo = p, lo = i;
    if (p > phi) phi = p, hi = i;
  }
  (void)hi;
  double len = phi - plo;
  x0_ = cx[lo];
  y0_ = cy[lo];
  x1_ = x0_ + len * dx;
  y1_ = y0_ + len * dy;
  scaled_ = isAngleScalable;
  if (!isAngleScalable) {
    x0_ += rect.X, x1_ += rect.X;
    y0_ += rect.Y, y1_ += rect.Y;
  }
  Build();
}

void TGPLinearGradientBrush::Build() {
  if (pattern_) cairo_pattern_destroy(pattern_);
  pattern_ = nullptr;
  if (!(rect_.Width > 0) || !(rect_.Height > 0) ||
      !std::isfinite(rect_.X + rect_.Y + rect_.Width + rect_.Height)) {
    lastResult = InvalidParameter;
    return;
  }
  pattern_ = cairo_pattern_create_linear(x0_, y0_, x1_, y1_);
  if (scaled_) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, 1.0 / rect_.Width, 0, 0, 1.0 / rect_.Height, -rect_.X / rect_.Width,
                      -rect_.Y / rect_.Height);
    cairo_pattern_set_matrix(pattern_, &m);
  }
  double r1, g1, b1, a1, r2, g2, b2, a2;
  ToRgba(color1_, &r1, &g1, &b1, &a1);
  ToRgba(color2_, &r2, &g2, &b2, &a2);
  if (!gamma_) {
    cairo_pattern_add_color_stop_rgba(pattern_, 0, r1, g1, b1, a1);
    cairo_pattern_add_color_stop_rgba(pattern_, 1, r2, g2, b2, a2);
  } else {
    // Gamma-corrected blending: the colours mix in linear light; extra stops carry the
    // curve, since cairo interpolates between stops linearly.
    constexpr int kStops = 16;
    for (int i = 0; i <= kStops; ++i) {
      double t = double(i) / kStops;
      auto mix = [&](double u, double v) {
        return FromLinear(ToLinear(u) + (ToLinear(v) - ToLinear(u)) * t);
      };
      cairo_pattern_add_color_stop_rgba(pattern_, t, mix(r1, r2), mix(g1, g2), mix(b1, b2),
                                        a1 + (a2 - a1) * t);
    }
  }
  cairo_pattern_set_extend(pattern_, CAIRO_EXTEND_REPEAT);
}

Status TGPLinearGradientBrush::SetGammaCorrection(bool on) {
  if (on != gamma_) {
    gamma_ = on;
    Build();
  }
  return Ok;
}

// ----- path gradient -------------------------------------------------------------------

TGPPathGradientBrush::TGPPathGradientBrush(const TGPGraphicsPath* path) {
  if (!path || path->GetPointCount() == 0) {
    lastResult = path ? OutOfMemory : InvalidParameter;
    return;
  }
  const auto& pts = path->Points();
  pathPointCount_ = pts.size();
  std::vector<Vertex>* cur = nullptr;
  for (size_t i = 0; i < pts.size(); ++i) {
    uint8_t type = pts[i].Type & 0x07;
    if (type == TGPGraphicsPath::ptStart || !cur) {
      outlines_.emplace_back();
      cur = &outlines_.back();
      cur->push_back({pts[i].X, pts[i].Y, int(i)});
    } else if (type == TGPGraphicsPath::ptBezier && i + 2 < pts.size()) {
      const Vertex p0 = cur->back();
      const auto &p1 = pts[i], &p2 = pts[i + 1], &p3 = pts[i + 2];
      constexpr int kSteps = 8;
      for (int k = 1; k <= kSteps; ++k) {
        double t = double(k) / kSteps, u = 1 - t;
        double x =
            u * u * u * p0.x + 3 * u * u * t * p1.X + 3 * u * t * t * p2.X + t * t * t * p3.X;
        double y =
            u * u * u * p0.y + 3 * u * u * t * p1.Y + 3 * u * t * t * p2.Y + t * t * t * p3.Y;
        cur->push_back({x, y, int(k < kSteps / 2 ? i - 1 : i + 2)});
      }
      i += 2;
    } else {
      cur->push_back({pts[i].X, pts[i].Y, int(i)});
    }
  }
  // The default centre is the centroid of the outline.
  double area = 0, cx = 0, cy = 0, sx = 0, sy = 0;
  size_t n = 0;
  for (const auto& fig : outlines_) {
    for (size_t i = 0; i < fig.size(); ++i) {
      const Vertex& a = fig[i];
      const Vertex& b = fig[(i + 1) % fig.size()];
      double cross = a.x * b.y - b.x * a.y;
      area += cross;
      cx += (a.x + b.x) * cross;
      cy += (a.y + b.y) * cross;
      sx += a.x, sy += a.y, ++n;
    }
  }
  minX_ = minY_ = std::numeric_limits<double>::infinity();
  maxX_ = maxY_ = -std::numeric_limits<double>::infinity();
  for (const auto& fig : outlines_)
    for (const Vertex& v : fig) {
      minX_ = std::min(minX_, v.x), maxX_ = std::max(maxX_, v.x);
      minY_ = std::min(minY_, v.y), maxY_ = std::max(maxY_, v.y);
    }
  if (std::fabs(area) > 1e-9) {
    center_ = {float(cx / (3 * area)), float(cy / (3 * area))};
  } else {
    center_ = {float(sx / double(n)), float(sy / double(n))};
  }
}

Status TGPPathGradientBrush::SetCenterPoint(const TGPPointF& p) {
  if (outlines_.empty() || !std::isfinite(p.X) || !std::isfinite(p.Y))
    return lastResult = InvalidParameter;
  center_ = p;
  return Ok;
}

Status TGPPathGradientBrush::SetCenterColor(ARGB color) {
  if (outlines_.empty()) return lastResult = InvalidParameter;
  centerColor_ = color;
  return Ok;
}

Status TGPPathGradientBrush::SetSurroundColors(const ARGB* colors, int* count) {
  if (!colors || !count || *count < 1 || pathPointCount_ == 0 || size_t(*count) > pathPointCount_)
    return lastResult = InvalidParameter;
  surround_.assign(colors, colors + *count);
  return Ok;
}

Status TGPPathGradientBrush::SetInterpolationColors(const ARGB* colors, const float* positions,
                                                    int count) {
  if (!colors || !positions || count < 1 || outlines_.empty()) return lastResult = InvalidParameter;
  // A preset blend runs from position 0 to position 1; anything else is refused.
  if (count >= 2 && (positions[0] != 0.0f || positions[count - 1] != 1.0f))
    return lastResult = InvalidParameter;
  for (int i = 1; i < count; ++i)
    if (!(positions[i] >= positions[i - 1])) return lastResult = InvalidParameter;
  blendColors_.assign(colors, colors + count);
  blendPositions_.assign(positions, positions + count);
  return Ok;
}

Status TGPPathGradientBrush::SetWrapMode(WrapMode mode) {
  if (mode < WrapModeTile || mode > WrapModeClamp) return lastResult = InvalidParameter;
  wrap_ = mode;
  return Ok;
}

_cairo_pattern* TGPPathGradientBrush::Native() const {
  return NativeFor(minX_, minY_, maxX_, maxY_);
}

namespace {

ARGB Lerp(ARGB a, ARGB b, double t) {
  auto ch = [&](int shift) {
    double x = double((a >> shift) & 255), y = double((b >> shift) & 255);
    return uint32_t(std::lround(x + (y - x) * t)) & 255;
  };
  return ch(24) << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
}

}  // namespace

// The first crossing of the ray from the centre through (x, y) with the outline gives the
// pixel's position; per-point surround colours blend along the edge that was crossed.
ARGB TGPPathGradientBrush::ColorAt(double x, double y) const {
  const double cx = center_.X, cy = center_.Y;
  const double dx = x - cx, dy = y - cy;
  double s;
  ARGB outer = surround_.front();
  if (dx == 0 && dy == 0) {
    s = 1;
  } else {
    double best = std::numeric_limits<double>::infinity();
    for (const auto& fig : outlines_) {
      const size_t n = fig.size();
      for (size_t i = 0; i < n; ++i) {
        const Vertex& a = fig[i];
        const Vertex& b = fig[(i + 1) % n];
        const double ex = b.x - a.x, ey = b.y - a.y;
        const double det = dy * ex - dx * ey;
        if (std::fabs(det) < 1e-12) continue;
        const double wx = a.x - cx, wy = a.y - cy;
        const double t = (wy * ex - wx * ey) / det;
        const double u = (dx * wy - dy * wx) / det;
        if (t <= 0 || u < 0 || u > 1 || t >= best) continue;
        best = t;
        if (surround_.size() > 1) {
          auto at = [&](int index) {
            size_t k = size_t(std::max(index, 0));
            return k < surround_.size() ? surround_[k] : surround_.back();
          };
          outer = Lerp(at(a.pointIndex), at(b.pointIndex), u);
        }
      }
    }
    if (!(best >= 1)) return 0;  // outside the outline, or no crossing
    s = 1 - 1 / best;
  }
  if (blendColors_.size() == 1) return blendColors_[0];
  if (blendColors_.size() >= 2) {
    for (size_t k = 0; k + 1 < blendColors_.size(); ++k) {
      const double p0 = blendPositions_[k], p1 = blendPositions_[k + 1];
      if (s <= p1 || k + 2 == blendColors_.size()) {
        const double t = p1 > p0 ? std::clamp((s - p0) / (p1 - p0), 0.0, 1.0) : 1.0;
        return Lerp(blendColors_[k], blendColors_[k + 1], t);
      }
    }
  }
  return Lerp(outer, centerColor_, s);
}

_cairo_pattern* TGPPathGradientBrush::NativeFor(double x0, double y0, double x1, double y1) const {
  if (outlines_.empty()) return nullptr;
  if (pattern_) cairo_pattern_destroy(pattern_);
  pattern_ = nullptr;
  // Only the part inside both the painted area and the outline's bounds is computed.
  const double bx0 = std::floor(std::max(x0, minX_)), by0 = std::floor(std::max(y0, minY_));
  const double bx1 = std::ceil(std::min(x1, maxX_)), by1 = std::ceil(std::min(y1, maxY_));
  const int w = int(std::clamp(bx1 - bx0, 0.0, 8192.0)),
            h = int(std::clamp(by1 - by0, 0.0, 8192.0));
  if (w <= 0 || h <= 0) {
    pattern_ = cairo_pattern_create_rgba(0, 0, 0, 0);
    return pattern_;
  }
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return nullptr;
  }
  uint8_t* data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  for (int py = 0; py < h; ++py) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + py * stride);
    for (int px = 0; px < w; ++px) {
      ARGB c = ColorAt(bx0 + px + 0.5, by0 + py + 0.5);
      uint32_t a = c >> 24;
      auto ch = [&](int shift) { return (((c >> shift) & 255) * a + 127) / 255; };
      row[px] = a << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
    }
  }
  cairo_surface_mark_dirty(img);
  pattern_ = cairo_pattern_create_for_surface(img);
  cairo_surface_destroy(img);
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, -bx0, -by0);
  cairo_pattern_set_matrix(pattern_, &m);
  cairo_pattern_set_filter(pattern_, CAIRO_FILTER_NEAREST);
  cairo_pattern_set_extend(pattern_, CAIRO_EXTEND_NONE);
  return pattern_;
}

// ----- texture -------------------------------------------------------------------------

TGPTextureBrush::TGPTextureBrush(TGPImage* image, WrapMode wrapMode) {
  if (!image || !image->Native()) {
    lastResult = image && image->lastResult != Ok ? image->lastResult : InvalidParameter;
    return;
  }
  pattern_ = cairo_pattern_create_for_surface(image->Native());
  cairo_extend_t extend = CAIRO_EXTEND_REPEAT;
  if (wrapMode == WrapModeClamp) extend = CAIRO_EXTEND_NONE;
  if (wrapMode == WrapModeTileFlipXY) extend = CAIRO_EXTEND_REFLECT;
  cairo_pattern_set_extend(pattern_, extend);
  cairo_pattern_set_filter(pattern_, CAIRO_FILTER_NEAREST);
}
