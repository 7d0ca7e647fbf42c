#include "marquee/GPGraphicsPath.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

TGPGraphicsPath::TGPGraphicsPath(FillMode fillMode) : fillMode_(fillMode) {
  if (fillMode != FillModeAlternate && fillMode != FillModeWinding) {
    fillMode_ = FillModeAlternate;
    lastResult = InvalidParameter;
  }
}

void TGPGraphicsPath::AddPoint(float x, float y, uint8_t type) {
  if (newFigure_) {
    points_.push_back({x, y, ptStart});
    newFigure_ = false;
  } else {
    points_.push_back({x, y, type});
  }
}

Status TGPGraphicsPath::AddLine(float x1, float y1, float x2, float y2) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
    return lastResult = InvalidParameter;
  AddPoint(x1, y1, ptLine);
  AddPoint(x2, y2, ptLine);
  return Ok;
}

// Arc angles are geometric angles on the ellipse (the direction from its centre), turned
// into the parameter of the ellipse before the Bezier pieces are made; a piece spans at
// most 90 degrees.
Status TGPGraphicsPath::AddArc(float x, float y, float width, float height, float startAngle,
                               float sweepAngle) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !std::isfinite(height) ||
      !std::isfinite(startAngle) || !std::isfinite(sweepAngle))
    return lastResult = InvalidParameter;
  if (width <= 0 || height <= 0) return lastResult = InvalidParameter;
  double a = width / 2.0, b = height / 2.0;
  double cx = x + a, cy = y + b;
  double sweep = std::clamp(double(sweepAngle), -360.0, 360.0);
  auto param = [&](double degrees) {
    // atan2 lands in the angle's own quadrant; add back the whole turns of the angle.
    double g = degrees * M_PI / 180.0;
    double t = std::atan2(a * std::sin(g), b * std::cos(g));
    return t + 2 * M_PI * std::round((g - t) / (2 * M_PI));
  };
  double t0 = param(startAngle);
  double t1 = param(startAngle + sweep);
  if (std::fabs(sweep) >= 360.0) t1 = t0 + (sweep > 0 ? 2 * M_PI : -2 * M_PI);
  int pieces = std::max(1, int(std::ceil(std::fabs(t1 - t0) / (M_PI / 2) - 1e-9)));
  double dt = (t1 - t0) / pieces;
  double k = 4.0 / 3.0 * std::tan(dt / 4);
  AddPoint(float(cx + a * std::cos(t0)), float(cy + b * std::sin(t0)), ptLine);
  for (int i = 0; i < pieces; ++i) {
    double s = t0 + i * dt, e = s + dt;
    double sx = std::cos(s), sy = std::sin(s), ex = std::cos(e), ey = std::sin(e);
    AddPoint(float(cx + a * (sx - k * sy)), float(cy + b * (sy + k * sx)), ptBezier);
    AddPoint(float(cx + a * (ex + k * ey)), float(cy + b * (ey - k * ex)), ptBezier);
    AddPoint(float(cx + a * ex), float(cy + b * ey), ptBezier);
  }
  return Ok;
}

Status TGPGraphicsPath::AddEllipse(float x, float y, float width, float height) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !std::isfinite(height))
    return lastResult = InvalidParameter;
  StartFigure();
  // Four quarter arcs from the rightmost point, clockwise: 13 points.
  double a = width / 2.0, b = height / 2.0, cx = x + a, cy = y + b;
  const double k = 4.0 / 3.0 * (std::sqrt(2.0) - 1);
  AddPoint(float(cx + a), float(cy), ptStart);
  for (int q = 0; q < 4; ++q) {
    double s = q * M_PI / 2, e = s + M_PI / 2;
    double sx = std::cos(s), sy = std::sin(s), ex = std::cos(e), ey = std::sin(e);
    AddPoint(float(cx + a * (sx - k * sy)), float(cy + b * (sy + k * sx)), ptBezier);
    AddPoint(float(cx + a * (ex + k * ey)), float(cy + b * (ey - k * ex)), ptBezier);
    AddPoint(float(cx + a * ex), float(cy + b * ey), ptBezier);
  }
  return CloseFigure();
}

Status TGPGraphicsPath::AddRectangle(const TGPRectF& r) {
  if (!std::isfinite(r.X) || !std::isfinite(r.Y) || !std::isfinite(r.Width) ||
      !std::isfinite(r.Height))
    return lastResult = InvalidParameter;
  if (r.Width <= 0 || r.Height <= 0) return Ok;
  StartFigure();
  AddPoint(r.X, r.Y, ptStart);
  AddPoint(r.X + r.Width, r.Y, ptLine);
  AddPoint(r.X + r.Width, r.Y + r.Height, ptLine);
  AddPoint(r.X, r.Y + r.Height, ptLine);
  return CloseFigure();
}

Status TGPGraphicsPath::AddPolygon(const TGPPointF* pts, int count) {
  if (!pts || count < 3) return lastResult = InvalidParameter;
  StartFigure();
  for (int i = 0; i < count; ++i)
    AddPoint(pts[i].X, pts[i].Y, ptLine);
  return CloseFigure();
}

Status TGPGraphicsPath::StartFigure() {
  newFigure_ = true;
  return Ok;
}

Status TGPGraphicsPath::CloseFigure() {
  if (!points_.empty() && !newFigure_) points_.back().Type |= ptClose;
  newFigure_ = true;
  return Ok;
}

Status TGPGraphicsPath::Reset() {
  points_.clear();
  newFigure_ = true;
  return Ok;
}

void TGPGraphicsPath::AppendTo(cairo_t* cr) const {
  for (size_t i = 0; i < points_.size(); ++i) {
    const PathPoint& p = points_[i];
    uint8_t type = p.Type & 0x07;
    bool close = p.Type & ptClose;
    if (type == ptStart) {
      cairo_move_to(cr, p.X, p.Y);
    } else if (type == ptBezier && i + 2 < points_.size()) {
      const PathPoint &b = points_[i + 1], &c = points_[i + 2];
      cairo_curve_to(cr, p.X, p.Y, b.X, b.Y, c.X, c.Y);
      close = c.Type & ptClose;
      i += 2;
    } else {
      cairo_line_to(cr, p.X, p.Y);
    }
    if (close) cairo_close_path(cr);
  }
}

TGPRegion::TGPRegion(const TGPRectF& rect) : rect_(rect) {}

TGPRegion::TGPRegion(const TGPGraphicsPath* path) : hasPath_(true) {
  if (!path) {
    lastResult = InvalidParameter;
    return;
  }
  path_ = *path;
}
