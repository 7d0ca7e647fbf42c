// Pens and brushes of the drawing layer. Each owns one cairo pattern.
#pragma once

#include <vector>

#include "marquee/GPGraphics.h"

struct _cairo_pattern;
class TGPGraphicsPath;

class TGPPen : public TGPBase {
 public:
  TGPPen(ARGB color, float width = 1.0f, Unit unit = UnitWorld);
  ~TGPPen() override;
  TGPPen(const TGPPen&) = delete;
  TGPPen& operator=(const TGPPen&) = delete;

  Status SetDashStyle(DashStyle style);
  DashStyle GetDashStyle() const { return dashStyle_; }
  float GetWidth() const { return width_; }
  ARGB GetColor() const { return color_; }
  Status GetLastStatus() const { return lastResult; }

  _cairo_pattern* Native() const { return pattern_; }

  Status lastResult = Ok;

 private:
  _cairo_pattern* pattern_ = nullptr;
  ARGB color_;
  float width_;
  DashStyle dashStyle_ = DashStyleSolid;
};

// Base of every brush: a cairo source pattern in the surface's logical coordinates.
class TGPBrush : public TGPBase {
 public:
  ~TGPBrush() override;
  TGPBrush(const TGPBrush&) = delete;
  TGPBrush& operator=(const TGPBrush&) = delete;

  Status GetLastStatus() const { return lastResult; }
  // The pattern to paint with, or null when the brush could not be made.
  virtual _cairo_pattern* Native() const { return pattern_; }
  // The pattern for painting inside the logical box (x0, y0)-(x1, y1) only.
  virtual _cairo_pattern* NativeFor(double x0, double y0, double x1, double y1) const {
    (void)x0, (void)y0, (void)x1, (void)y1;
    return Native();
  }

  Status lastResult = Ok;

 protected:
  TGPBrush() = default;
  mutable _cairo_pattern* pattern_ = nullptr;
};

class TGPSolidBrush : public TGPBrush {
 public:
  explicit TGPSolidBrush(ARGB color);
  ARGB GetColor() const { return color_; }

 private:
  ARGB color_;
};

// An 8 x 8 pattern repeated from the surface's origin: set bits in the fore colour, the
// others in the back colour.
class TGPHatchBrush : public TGPBrush {
 public:
  TGPHatchBrush(HatchStyle style, ARGB foreColor, ARGB backColor = 0xFF000000);
  HatchStyle GetHatchStyle() const { return style_; }
  // The pattern's 8 rows, most significant bit leftmost; all zero for an invalid style.
  static const uint8_t* PatternRows(HatchStyle style);

 private:
  HatchStyle style_;
};

// A two-colour gradient across a rectangle, repeated beyond it (tile wrap).
class TGPLinearGradientBrush : public TGPBrush {
 public:
  TGPLinearGradientBrush(const TGPRectF& rect, ARGB color1, ARGB color2, LinearGradientMode mode);
  TGPLinearGradientBrush(const TGPRectF& rect, ARGB color1, ARGB color2, float angle,
                         bool isAngleScalable = false);

  // With gamma correction the colours blend in linear light.
  Status SetGammaCorrection(bool useGammaCorrection);
  bool GetGammaCorrection() const { return gamma_; }

 private:
  void Build();
  TGPRectF rect_;
  ARGB color1_, color2_;
  // Gradient axis in logical coordinates (start has colour 1).
  double x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
  bool scaled_ = false;  // axis given in the rectangle's unit square
  bool gamma_ = false;
};

// A gradient from a centre point to the outline of a path. Each pixel takes the colour of
// its position on the ray from the centre through it: 0 where the ray meets the outline,
// 1 at the centre. Outside the outline it paints nothing (clamp). The pixels are computed
// for the area being painted.
class TGPPathGradientBrush : public TGPBrush {
 public:
  explicit TGPPathGradientBrush(const TGPGraphicsPath* path);

  Status SetCenterPoint(const TGPPointF& point);
  TGPPointF GetCenterPoint() const { return center_; }
  Status SetCenterColor(ARGB color);
  // Sets the colours of the first `count` path points (the last repeats for the rest).
  // `count` is set to the number used.
  Status SetSurroundColors(const ARGB* colors, int* count);
  // A preset blend: colours at positions from 0 (the outline) to 1 (the centre).
  Status SetInterpolationColors(const ARGB* colors, const float* positions, int count);
  Status SetWrapMode(WrapMode mode);
  int GetPointCount() const { return int(pathPointCount_); }
  _cairo_pattern* Native() const override;
  _cairo_pattern* NativeFor(double x0, double y0, double x1, double y1) const override;

 private:
  struct Vertex {
    double x, y;
    int pointIndex;  // the path point it comes from
  };
  ARGB ColorAt(double x, double y) const;
  std::vector<std::vector<Vertex>> outlines_;  // flattened figures
  size_t pathPointCount_ = 0;
  double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
  TGPPointF center_{};
  ARGB centerColor_ = 0xFFFFFFFF;
  std::vector<ARGB> surround_{0xFFFFFFFF};
  std::vector<ARGB> blendColors_;
  std::vector<float> blendPositions_;
  WrapMode wrap_ = WrapModeClamp;
};

class TGPTextureBrush : public TGPBrush {
 public:
  // The image at its natural size, tiled from the surface's origin.
  TGPTextureBrush(TGPImage* image, WrapMode wrapMode = WrapModeTile);
};
