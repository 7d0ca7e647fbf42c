// The 2-D drawing layer's values and its drawing surface.
//
// The layer is a thin object layer in the shape of the GDI+ flat interface, implemented
// over cairo: every wrapper owns one cairo object, each operation does what its GDI+
// counterpart is documented to do, and no operation raises. A wrapper keeps the status of
// its last failed operation in `lastResult` (constructors store their creation status).
//
// Coordinates are pixel edges: a rectangle from x to x + w covers the pixels x .. x + w - 1,
// as a GDI+ fill without anti-aliasing does. Outlines are laid half a pixel to the lower
// right, so that a one-pixel pen along integer coordinates covers whole pixels and an
// outlined rectangle (x, y, w, h) reaches pixel x + w, as a GDI+ outline does. Clip
// regions are pixel sets (a pixel is inside when its centre is).
#pragma once

#include <cstdint>

#include "framework/Types.h"

struct _cairo;
struct _cairo_surface;

// A rectangle in device units (pixels), origin top-left.
struct TGPRectF {
  float X = 0;
  float Y = 0;
  float Width = 0;
  float Height = 0;
  friend bool operator==(const TGPRectF&, const TGPRectF&) = default;
};

struct TGPRect {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const TGPRect&, const TGPRect&) = default;
};

inline TGPRectF MakeRect(float x, float y, float width, float height) {
  return TGPRectF{x, y, width, height};
}

struct TGPPointF {
  float X = 0;
  float Y = 0;
};

// A colour: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using ARGB = uint32_t;

enum Status : int32_t {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20
};

enum FillMode : int32_t { FillModeAlternate = 0, FillModeWinding = 1 };

enum DashStyle : int32_t {
  DashStyleSolid = 0,
  DashStyleDash = 1,
  DashStyleDot = 2,
  DashStyleDashDot = 3,
  DashStyleDashDotDot = 4,
  DashStyleCustom = 5
};

enum WrapMode : int32_t {
  WrapModeTile = 0,
  WrapModeTileFlipX = 1,
  WrapModeTileFlipY = 2,
  WrapModeTileFlipXY = 3,
  WrapModeClamp = 4
};

enum LinearGradientMode : int32_t {
  LinearGradientModeHorizontal = 0,
  LinearGradientModeVertical = 1,
  LinearGradientModeForwardDiagonal = 2,
  LinearGradientModeBackwardDiagonal = 3
};

enum CombineMode : int32_t { CombineModeReplace = 0 };

enum Unit : int32_t { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2 };

// Smoothing modes the layer uses: the default (no anti-aliasing) and anti-aliasing.
constexpr int SmoothingModeDefault = 0;
constexpr int SmoothingModeAntiAlias = 4;

// The 53 hatch patterns, in their customary order.
enum HatchStyle : int32_t {
  HatchStyleHorizontal = 0,
  HatchStyleVertical,
  HatchStyleForwardDiagonal,
  HatchStyleBackwardDiagonal,
  HatchStyleCross,
  HatchStyleDiagonalCross,
  HatchStyle05Percent,
  HatchStyle10Percent,
  HatchStyle20Percent,
  HatchStyle25Percent,
  HatchStyle30Percent,
  HatchStyle40Percent,
  HatchStyle50Percent,
  HatchStyle60Percent,
  HatchStyle70Percent,
  HatchStyle75Percent,
  HatchStyle80Percent,
  HatchStyle90Percent,
  HatchStyleLightDownwardDiagonal,
  HatchStyleLightUpwardDiagonal,
  HatchStyleDarkDownwardDiagonal,
  HatchStyleDarkUpwardDiagonal,
  HatchStyleWideDownwardDiagonal,
  HatchStyleWideUpwardDiagonal,
  HatchStyleLightVertical,
  HatchStyleLightHorizontal,
  HatchStyleNarrowVertical,
  HatchStyleNarrowHorizontal,
  HatchStyleDarkVertical,
  HatchStyleDarkHorizontal,
  HatchStyleDashedDownwardDiagonal,
  HatchStyleDashedUpwardDiagonal,
  HatchStyleDashedHorizontal,
  HatchStyleDashedVertical,
  HatchStyleSmallConfetti,
  HatchStyleLargeConfetti,
  HatchStyleZigZag,
  HatchStyleWave,
  HatchStyleDiagonalBrick,
  HatchStyleHorizontalBrick,
  HatchStyleWeave,
  HatchStylePlaid,
  HatchStyleDivot,
  HatchStyleDottedGrid,
  HatchStyleDottedDiamond,
  HatchStyleShingle,
  HatchStyleTrellis,
  HatchStyleSphere,
  HatchStyleSmallGrid,
  HatchStyleSmallCheckerBoard,
  HatchStyleLargeCheckerBoard,
  HatchStyleOutlinedDiamond,
  HatchStyleSolidDiamond,
  HatchStyleTotal,
  HatchStyleLargeGrid = HatchStyleCross,
  HatchStyleMin = HatchStyleHorizontal,
  HatchStyleMax = HatchStyleSolidDiamond
};

// Opacity plus TColor to an ARGB colour. A system colour is resolved through the current
// system colour table; every other value, clNone included, is read as 0x00BBGGRR.
ARGB ArgbFromColor(uint8_t opacity, TColor color);

class TGPPen;
class TGPBrush;
class TGPGraphicsPath;
class TGPRegion;
class TGPImage;
class TGPImageAttributes;

class TGPBase {
 public:
  virtual ~TGPBase() = default;
};

// A drawing surface over a cairo image surface (a device context's bitmap, a window's
// back buffer). The surface keeps the context's origin and clip; SetClip narrows within
// that clip and ResetClip returns to it.
class TGPGraphics : public TGPBase {
 public:
  // On a device context: its bitmap's surface, its window origin and its clip box.
  explicit TGPGraphics(HDC dc);
  // On a cairo surface, with the logical origin at device (originX, originY).
  explicit TGPGraphics(_cairo_surface* surface, int originX = 0, int originY = 0);
  ~TGPGraphics() override;
  TGPGraphics(const TGPGraphics&) = delete;
  TGPGraphics& operator=(const TGPGraphics&) = delete;

  Status GetLastStatus() const { return lastResult; }

  int GetSmoothingMode() const { return smoothingMode_; }
  Status SetSmoothingMode(int mode);

  Status FillRectangle(const TGPBrush* brush, const TGPRectF& rect);
  Status FillRectangle(const TGPBrush* brush, float x, float y, float width, float height);
  Status FillEllipse(const TGPBrush* brush, const TGPRectF& rect);
  Status FillEllipse(const TGPBrush* brush, float x, float y, float width, float height);
  Status FillPath(const TGPBrush* brush, const TGPGraphicsPath* path);
  Status DrawRectangle(const TGPPen* pen, const TGPRectF& rect);
  Status DrawRectangle(const TGPPen* pen, float x, float y, float width, float height);
  Status DrawEllipse(const TGPPen* pen, const TGPRectF& rect);
  Status DrawEllipse(const TGPPen* pen, float x, float y, float width, float height);
  Status DrawPath(const TGPPen* pen, const TGPGraphicsPath* path);
  Status DrawLine(const TGPPen* pen, float x1, float y1, float x2, float y2);

  Status SetClip(const TGPRegion* region, CombineMode mode = CombineModeReplace);
  Status SetClip(const TGPRectF& rect, CombineMode mode = CombineModeReplace);
  Status ResetClip();

  Status DrawImageRect(TGPImage* image, float x, float y, float width, float height);
  Status DrawImage(TGPImage* image, const TGPRectF& dest, float srcX, float srcY, float srcWidth,
                   float srcHeight, Unit srcUnit, const TGPImageAttributes* attributes);

  // The cairo context; valid while the surface lives.
  _cairo* Native() const { return cr_; }

  Status lastResult = Ok;

 private:
  void Begin();
  Status Keep(Status s) {
    if (s != Ok) lastResult = s;
    return s;
  }
  Status Fill(const TGPBrush* brush);
  // Builds the outline's path half a pixel to the lower right, then strokes it.
  template <class F>
  Status Stroke(const TGPPen* pen, F&& buildPath);

  _cairo* cr_ = nullptr;
  int smoothingMode_ = SmoothingModeDefault;
};
