// Paths and regions of the drawing layer.
//
// A path is a list of points in figures, as GDI+ keeps it: each figure starts with a start
// point, continues with line and Bezier points, and may be closed. Consecutive segments of
// one figure are joined by straight lines; CloseFigure joins the last point to the first.
#pragma once

#include <vector>

#include "marquee/GPGraphics.h"

class TGPGraphicsPath : public TGPBase {
 public:
  enum PointType : uint8_t { ptStart = 0, ptLine = 1, ptBezier = 3, ptClose = 0x80 };
  struct PathPoint {
    float X, Y;
    uint8_t Type;
  };

  explicit TGPGraphicsPath(FillMode fillMode = FillModeAlternate);

  Status AddLine(float x1, float y1, float x2, float y2);
  Status AddLine(const TGPPointF& a, const TGPPointF& b) { return AddLine(a.X, a.Y, b.X, b.Y); }
  // An arc of the ellipse in the box (x, y, width, height), from startAngle through
  // sweepAngle degrees, clockwise from the positive x axis. A box of zero width or height
  // adds no curve.
  Status AddArc(float x, float y, float width, float height, float startAngle, float sweepAngle);
  Status AddArc(const TGPRectF& r, float startAngle, float sweepAngle) {
    return AddArc(r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle);
  }
  // A closed figure of its own, starting at the rightmost point.
  Status AddEllipse(float x, float y, float width, float height);
  Status AddEllipse(const TGPRectF& r) { return AddEllipse(r.X, r.Y, r.Width, r.Height); }
  Status AddRectangle(const TGPRectF& r);
  Status AddPolygon(const TGPPointF* points, int count);
  Status StartFigure();
  Status CloseFigure();
  Status Reset();

  FillMode GetFillMode() const { return fillMode_; }
  int GetPointCount() const { return int(points_.size()); }
  const std::vector<PathPoint>& Points() const { return points_; }
  Status GetLastStatus() const { return lastResult; }

  // Appends the figures to the cairo context's current path.
  void AppendTo(_cairo* cr) const;

  Status lastResult = Ok;

 private:
  void AddPoint(float x, float y, uint8_t type);
  std::vector<PathPoint> points_;
  FillMode fillMode_;
  bool newFigure_ = true;
};

class TGPRegion : public TGPBase {
 public:
  explicit TGPRegion(const TGPRectF& rect);
  explicit TGPRegion(const TGPGraphicsPath* path);

  bool IsPath() const { return hasPath_; }
  const TGPRectF& Rect() const { return rect_; }
  const TGPGraphicsPath& Path() const { return path_; }
  Status GetLastStatus() const { return lastResult; }

  Status lastResult = Ok;

 private:
  TGPRectF rect_{};
  TGPGraphicsPath path_;
  bool hasPath_ = false;
};
