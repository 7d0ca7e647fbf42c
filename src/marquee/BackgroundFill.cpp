#include "marquee/BackgroundFill.h"

#include <cmath>

#include "framework/IniFiles.h"
#include "framework/Streaming.h"
#include "marquee/GPBrush.h"
#include "marquee/GPGraphicsPath.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"

// ---------------------------------------------------------------------------------------
// Enumerations

const TEnumInfo* GradientTypeInfo() {
  static const TEnumInfo info(
      "TGradientType",
      {"gtSolid", "gtRadial", "gtVertical", "gtHorizontal", "gtForwardDiagonal",
       "gtBackwardDiagonal", "gtAngle", "gtHatch", "gtPath", "gtTexture", "gtNone"});
  return &info;
}
const TEnumInfo* FillRoundingTypeInfo() {
  static const TEnumInfo info("TFillRoundingType",
                              {"rtNone", "rtTop", "rtBottom", "rtBoth", "rtLeft", "rtRight"});
  return &info;
}
const TEnumInfo* ShadowTypeInfo() {
  static const TEnumInfo info("TShadowType", {"stRightBottom", "stBottom", "stSurround"});
  return &info;
}
const TEnumInfo* GlowModeInfo() {
  static const TEnumInfo info("TGlowMode",
                              {"gmNone", "gmGradient", "gmRadial", "gmRadialGradient"});
  return &info;
}
const TEnumInfo* FillPicturePositionInfo() {
  static const TEnumInfo info(
      "TFillPicturePosition",
      {"ppTopLeft", "ppTopCenter", "ppTopRight", "ppBottomLeft", "ppBottomCenter", "ppBottomRight",
       "ppTiled", "ppStretched", "ppCenterLeft", "ppCenterCenter", "ppCenterRight", "ppCustom"});
  return &info;
}
const TEnumInfo* FillPictureSizeInfo() {
  static const TEnumInfo info("TFillPictureSize", {"psOriginal", "psCustom"});
  return &info;
}
const TEnumInfo* FillPictureModeInfo() {
  static const TEnumInfo info("TFillPictureMode", {"pmInsideFill", "pmOutsideFill"});
  return &info;
}
const TEnumInfo* PictureModeInfo() {
  static const TEnumInfo info("TPictureMode", {"pmStretch", "pmNormal"});
  return &info;
}
const TEnumInfo* HatchStyleInfo() {
  static const TEnumInfo info("HatchStyle", {"HatchStyleHorizontal",
                                             "HatchStyleVertical",
                                             "HatchStyleForwardDiagonal",
                                             "HatchStyleBackwardDiagonal",
                                             "HatchStyleCross",
                                             "HatchStyleDiagonalCross",
                                             "HatchStyle05Percent",
                                             "HatchStyle10Percent",
                                             "HatchStyle20Percent",
                                             "HatchStyle25Percent",
                                             "HatchStyle30Percent",
                                             "HatchStyle40Percent",
                                             "HatchStyle50Percent",
                                             "HatchStyle60Percent",
                                             "HatchStyle70Percent",
                                             "HatchStyle75Percent",
                                             "HatchStyle80Percent",
                                             "HatchStyle90Percent",
                                             "HatchStyleLightDownwardDiagonal",
                                             "HatchStyleLightUpwardDiagonal",
                                             "HatchStyleDarkDownwardDiagonal",
                                             "HatchStyleDarkUpwardDiagonal",
                                             "HatchStyleWideDownwardDiagonal",
                                             "HatchStyleWideUpwardDiagonal",
                                             "HatchStyleLightVertical",
                                             "HatchStyleLightHorizontal",
                                             "HatchStyleNarrowVertical",
                                             "HatchStyleNarrowHorizontal",
                                             "HatchStyleDarkVertical",
                                             "HatchStyleDarkHorizontal",
                                             "HatchStyleDashedDownwardDiagonal",
                                             "HatchStyleDashedUpwardDiagonal",
                                             "HatchStyleDashedHorizontal",
                                             "HatchStyleDashedVertical",
                                             "HatchStyleSmallConfetti",
                                             "HatchStyleLargeConfetti",
                                             "HatchStyleZigZag",
                                             "HatchStyleWave",
                                             "HatchStyleDiagonalBrick",
                                             "HatchStyleHorizontalBrick",
                                             "HatchStyleWeave",
                                             "HatchStylePlaid",
                                             "HatchStyleDivot",
                                             "HatchStyleDottedGrid",
                                             "HatchStyleDottedDiamond",
                                             "HatchStyleShingle",
                                             "HatchStyleTrellis",
                                             "HatchStyleSphere",
                                             "HatchStyleSmallGrid",
                                             "HatchStyleSmallCheckerBoard",
                                             "HatchStyleLargeCheckerBoard",
                                             "HatchStyleOutlinedDiamond",
                                             "HatchStyleSolidDiamond"});
  return &info;
}

// ---------------------------------------------------------------------------------------
// Class information

const TClassInfo* TBackgroundFill::StaticClass() {
  using F = TBackgroundFill;
  static const TClassInfo* info =
      TClassBuilder<F>("TBackgroundFill", TPersistent::StaticClass())
          .Color("Color", &F::Color, &F::SetColor, clSilver)
          .Color("ColorTo", &F::ColorTo, &F::SetColorTo, clGray)
          .Color("ColorMirror", &F::ColorMirror, &F::SetColorMirror)
          .Color("ColorMirrorTo", &F::ColorMirrorTo, &F::SetColorMirrorTo)
          .Enum("GradientType", &F::GradientType, &F::SetGradientType, GradientTypeInfo())
          .Enum("GradientMirrorType", &F::GradientMirrorType, &F::SetGradientMirrorType,
                GradientTypeInfo())
          .Enum("HatchStyle", &F::HatchStyle, &F::SetHatchStyle, HatchStyleInfo(),
                HatchStyleHorizontal)
          .Enum("HatchStyleMirror", &F::HatchStyleMirror, &F::SetHatchStyleMirror, HatchStyleInfo(),
                HatchStyleHorizontal)
          .Integer("Opacity", &F::Opacity, &F::SetOpacity, 255)
          .Integer("OpacityTo", &F::OpacityTo, &F::SetOpacityTo, 255)
          .Integer("OpacityMirror", &F::OpacityMirror, &F::SetOpacityMirror, 255)
          .Integer("OpacityMirrorTo", &F::OpacityMirrorTo, &F::SetOpacityMirrorTo, 255)
          .Color("BorderColor", &F::BorderColor, &F::SetBorderColor)
          .Integer("BorderOpacity", &F::BorderOpacity, &F::SetBorderOpacity, 255)
          .Integer("BorderWidth", &F::BorderWidth, &F::SetBorderWidth, 1)
          .Integer("Rounding", &F::Rounding, &F::SetRounding)
          .Enum("RoundingType", &F::RoundingType, &F::SetRoundingType, FillRoundingTypeInfo(),
                rtBoth)
          .Color("ShadowColor", &F::ShadowColor, &F::SetShadowColor, clGray)
          .Integer("ShadowOffset", &F::ShadowOffset, &F::SetShadowOffset)
          .Enum("ShadowType", &F::ShadowType, &F::SetShadowType, ShadowTypeInfo(), stRightBottom)
          .Integer("Angle", &F::Angle, &F::SetAngle, 0)
          .Enum("Glow", &F::Glow, &F::SetGlow, GlowModeInfo())
          .Color("GlowGradientColor", &F::GlowGradientColor, &F::SetGlowGradientColor, clWhite)
          .Color("GlowRadialColor", &F::GlowRadialColor, &F::SetGlowRadialColor, clWhite)
          .Object("Picture", &F::Picture)
          .Enum("PicturePosition", &F::PicturePosition, &F::SetPicturePosition,
                FillPicturePositionInfo(), ppTopLeft)
          .Integer("PictureLeft", &F::PictureLeft, &F::SetPictureLeft, 0)
          .Integer("PictureTop", &F::PictureTop, &F::SetPictureTop, 0)
          .Enum("PictureSize", &F::PictureSize, &F::SetPictureSize, FillPictureSizeInfo(),
                psOriginal)
          .Integer("PictureWidth", &F::PictureWidth, &F::SetPictureWidth, 50)
          .Integer("PictureHeight", &F::PictureHeight, &F::SetPictureHeight, 50)
          .Bool("PictureAspectRatio", &F::PictureAspectRatio, &F::SetPictureAspectRatio, false)
          .Enum("PictureAspectMode", &F::PictureAspectMode, &F::SetPictureAspectMode,
                PictureModeInfo(), pmStretch)
          .Object("BackGroundPicture", &F::BackGroundPicture)
          .Enum("BackGroundPicturePosition", &F::BackGroundPicturePosition,
                &F::SetBackGroundPicturePosition, FillPicturePositionInfo(), ppTopLeft)
          .Integer("BackGroundPictureLeft", &F::BackGroundPictureLeft, &F::SetBackGroundPictureLeft,
                   0)
          .Integer("BackGroundPictureTop", &F::BackGroundPictureTop, &F::SetBackGroundPictureTop, 0)
          .Enum("BackGroundPictureMode", &F::BackGroundPictureMode, &F::SetBackGroundPictureMode,
                FillPictureModeInfo(), pmOutsideFill)
          .Bool("BackGroundPictureAspectRatio", &F::BackGroundPictureAspectRatio,
                &F::SetBackGroundPictureAspectRatio, false)
          .Enum("BackGroundPictureAspectMode", &F::BackGroundPictureAspectMode,
                &F::SetBackGroundPictureAspectMode, PictureModeInfo(), pmStretch)
          .Event<TNotifyEvent>("OnChange", &F::OnChange, &F::SetOnChange)
          .Build();
  return info;
}

// ---------------------------------------------------------------------------------------
// Life, notification, copying

TBackgroundFill::TBackgroundFill()
    : FPicture(std::make_unique<TGPPicture>()), FBackGroundPicture(std::make_unique<TGPPicture>()) {
  FPicture->SetOnChange(TNotifyEvent::Bind(this, &TBackgroundFill::PictureChanged));
  FBackGroundPicture->SetOnChange(TNotifyEvent::Bind(this, &TBackgroundFill::PictureChanged));
}

TBackgroundFill::~TBackgroundFill() = default;

void TBackgroundFill::PictureChanged(TObject*) {
  NotifyChange();
}

void TBackgroundFill::NotifyChange() {
  if (FOnChange && FUpdateCount == 0) FOnChange(this);
}

// The copy's own change notification folds into the one below.
void TBackgroundFill::SetPicture(const TGPPicture* v) {
  ++FUpdateCount;
  if (v != FPicture.get()) FPicture->Assign(v);
  --FUpdateCount;
  NotifyChange();
}

void TBackgroundFill::SetBackGroundPicture(const TGPPicture* v) {
  ++FUpdateCount;
  if (v != FBackGroundPicture.get()) FBackGroundPicture->Assign(v);
  --FUpdateCount;
  NotifyChange();
}

void TBackgroundFill::Assign(const TPersistent* source) {
  auto* s = dynamic_cast<const TBackgroundFill*>(source);
  if (!s) return;
  // The pictures' own notifications are held back with the rest; one event at the end.
  ++FUpdateCount;
  FPictureAspectRatio = s->FPictureAspectRatio;
  FPictureAspectMode = s->FPictureAspectMode;
  FBackGroundPictureAspectRatio = s->FBackGroundPictureAspectRatio;
  FBackGroundPictureAspectMode = s->FBackGroundPictureAspectMode;
  FColor = s->FColor;
  FColorTo = s->FColorTo;
  FColorMirror = s->FColorMirror;
  FColorMirrorTo = s->FColorMirrorTo;
  FGradientType = s->FGradientType;
  FGradientMirrorType = s->FGradientMirrorType;
  FHatchStyle = s->FHatchStyle;
  FHatchStyleMirror = s->FHatchStyleMirror;
  if (s != this) FBackGroundPicture->Assign(s->FBackGroundPicture.get());
  FBackGroundPicturePosition = s->FBackGroundPicturePosition;
  FBackGroundPictureLeft = s->FBackGroundPictureLeft;
  FBackGroundPictureTop = s->FBackGroundPictureTop;
  if (s != this) FPicture->Assign(s->FPicture.get());
  FPicturePosition = s->FPicturePosition;
  FPictureLeft = s->FPictureLeft;
  FPictureTop = s->FPictureTop;
  FpictureSize = s->FpictureSize;
  FpictureWidth = s->FpictureWidth;
  FpictureHeight = s->FpictureHeight;
  FOpacity = s->FOpacity;
  FOpacityTo = s->FOpacityTo;
  FOpacityMirror = s->FOpacityMirror;
  FOpacityMirrorTo = s->FOpacityMirrorTo;
  FBorderColor = s->FBorderColor;
  FBorderWidth = s->FBorderWidth;
  FRounding = s->FRounding;
  FRoundingType = s->FRoundingType;
  FShadowColor = s->FShadowColor;
  FShadowOffset = s->FShadowOffset;
  FShadowType = s->FShadowType;
  FAngle = s->FAngle;
  FBorderOpacity = s->FBorderOpacity;
  FBackGroundPictureMode = s->FBackGroundPictureMode;
  FGlowGradientColor = s->FGlowGradientColor;
  FGlowRadialColor = s->FGlowRadialColor;
  FGlow = s->FGlow;
  --FUpdateCount;
  NotifyChange();
}

// ---------------------------------------------------------------------------------------
// Geometry

std::unique_ptr<TGPGraphicsPath> CreateRoundedPath(float X, float Y, float W, float H, float r,
                                                   TFillRoundingType type) {
  if (type > rtRight) return nullptr;
  auto p = std::make_unique<TGPGraphicsPath>(FillModeAlternate);
  const float D = 2 * r;
  switch (type) {
    case rtNone:
      p->AddLine(X, Y, X + W, Y);
      p->AddLine(X + W, Y, X + W, Y + H);
      p->AddLine(X + W, Y + H, X, Y + H);
      p->AddLine(X, Y + H, X, Y);
      break;
    case rtTop:
      p->AddArc(X, Y, D, D, 180, 90);
      p->AddLine(X + r, Y, X + W - r, Y);
      p->AddArc(X + W - D, Y, D, D, 270, 90);
      p->AddLine(X + W, Y + r, X + W, Y + H);
      p->AddLine(X + W, Y + H, X, Y + H);
      p->AddLine(X, Y + H, X, Y + r);
      break;
    case rtBottom:
      p->AddLine(X, Y, X + W, Y);
      p->AddLine(X + W, Y, X + W, Y + H - r);
      p->AddArc(X + W - D, Y + H - D, D, D, 0, 90);
      p->AddLine(X + W - r, Y + H, X + r, Y + H);
      p->AddArc(X, Y + H - D, D, D, 90, 90);
      p->AddLine(X, Y + H - r, X, Y);
      break;
    case rtBoth:
      p->AddArc(X, Y, D, D, 180, 90);
      p->AddLine(X + r, Y, X + W - r, Y);
      p->AddArc(X + W - D, Y, D, D, 270, 90);
      p->AddLine(X + W, Y + r, X + W, Y + H - r);
      p->AddArc(X + W - D, Y + H - D, D, D, 0, 90);
      p->AddLine(X + W - r, Y + H, X + r, Y + H);
      p->AddArc(X, Y + H - D, D, D, 90, 90);
      p->AddLine(X, Y + H - r, X, Y + r);
      break;
    case rtLeft:
      p->AddArc(X, Y, D, D, 180, 90);
      p->AddLine(X + r, Y, X + W - r, Y);
      p->AddLine(X + W, Y, X + W, Y + H);
      p->AddLine(X + W - r, Y + H, X + r, Y + H);
      p->AddArc(X, Y + H - D, D, D, 90, 90);
      p->AddLine(X, Y + H - r, X, Y + r);
      break;
    case rtRight:
      p->AddLine(X, Y, X + W - r, Y);
      p->AddArc(X + W - D, Y, D, D, 270, 90);
      p->AddLine(X + W, Y + r, X + W, Y + H - r);
      p->AddArc(X + W - D, Y + H - D, D, D, 0, 90);
      p->AddLine(X + W - r, Y + H, X, Y + H);
      p->AddLine(X, Y + H - r, X, Y + r);
      break;
  }
  p->CloseFigure();
  return p;
}

namespace {

std::unique_ptr<TGPGraphicsPath> RoundedPath(const TGPRectF& r, float radius,
                                             TFillRoundingType type) {
  return CreateRoundedPath(r.X, r.Y, r.Width, r.Height, radius, type);
}

// Keeps the surface's smoothing mode across one drawing step.
class SmoothingScope {
 public:
  SmoothingScope(TGPGraphics* g, int mode) : g_(g), saved_(g->GetSmoothingMode()) {
    g->SetSmoothingMode(mode);
  }
  ~SmoothingScope() { g_->SetSmoothingMode(saved_); }

 private:
  TGPGraphics* g_;
  int saved_;
};

uint8_t Effective(uint8_t argument, uint8_t property) {
  return argument < 255 ? argument : property;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Painting

void TBackgroundFill::FillRadial(TGPGraphics* g, const TGPRectF& S, TColor c1, TColor c2,
                                 uint8_t o1, uint8_t o2, bool top, int r, TFillRoundingType t) {
  auto outline = RoundedPath(S, float(r), t);
  if (outline) {
    TGPSolidBrush solid(top ? ArgbFromColor(o1, c1) : ArgbFromColor(o2, c2));
    g->FillPath(&solid, outline.get());
    TGPRegion region(outline.get());
    g->SetClip(&region);
  }
  TGPGraphicsPath ellipse(FillModeAlternate);
  if (top)
    ellipse.AddEllipse(S.X, S.Y - S.Height / 2, S.Width, S.Height + S.Height / 2);
  else
    ellipse.AddEllipse(S.X, S.Y, S.Width, S.Height + S.Height / 2);
  TGPPathGradientBrush brush(&ellipse);
  ARGB surround;
  int count = 1;
  if (top) {
    brush.SetCenterPoint(TGPPointF{S.X + S.Width / 2, S.Y});
    brush.SetCenterColor(ArgbFromColor(o2, c2));
    surround = ArgbFromColor(o1, c1);
  } else {
    brush.SetCenterPoint(TGPPointF{S.X + S.Width / 2, S.Y + S.Height});
    brush.SetCenterColor(ArgbFromColor(o1, c1));
    surround = ArgbFromColor(o2, c2);
  }
  brush.SetSurroundColors(&surround, &count);
  g->FillRectangle(&brush, S);
  g->ResetClip();
}

void TBackgroundFill::PaintGradient(TGPGraphics* g, const TGPGraphicsPath* path, const TGPRectF& S,
                                    TGradientType kind, TColor c1, TColor c2, uint8_t o1,
                                    uint8_t o2, ::HatchStyle hatch, TGPPicture* texture,
                                    bool lowerHalf) {
  auto paint = [&](const TGPBrush& brush) {
    if (path)
      g->FillPath(&brush, path);
    else
      g->FillRectangle(&brush, S);
  };
  const TGPRectF span{S.X - 1, S.Y - 1, S.Width + 2, S.Height + 2};
  const ARGB a1 = ArgbFromColor(o1, c1), a2 = ArgbFromColor(o2, c2);
  bool linear = false;
  switch (kind) {
    case gtSolid:
      paint(TGPSolidBrush(a1));
      break;
    case gtVertical:
    case gtHorizontal:
    case gtForwardDiagonal:
    case gtBackwardDiagonal:
    case gtAngle: {
      std::unique_ptr<TGPLinearGradientBrush> brush;
      if (kind == gtAngle) {
        brush = std::make_unique<TGPLinearGradientBrush>(span, a1, a2, float(FAngle), true);
      } else {
        LinearGradientMode mode = kind == gtVertical          ? LinearGradientModeVertical
                                  : kind == gtHorizontal      ? LinearGradientModeHorizontal
                                  : kind == gtForwardDiagonal ? LinearGradientModeForwardDiagonal
                                                              : LinearGradientModeBackwardDiagonal;
        brush = std::make_unique<TGPLinearGradientBrush>(span, a1, a2, mode);
      }
      brush->SetGammaCorrection(true);
      paint(*brush);
      linear = kind != gtAngle;
      break;
    }
    case gtHatch:
      paint(TGPHatchBrush(hatch, a1, a2));
      break;
    case gtTexture:
      if (texture) {
        if (path)
          texture->FillPath(g, path);
        else
          texture->FillRect(g, S);
      }
      break;
    default:
      break;  // gtRadial, gtPath, gtNone and unknown kinds paint nothing here
  }
  // The lower half's first row carries its start colour exactly.
  if (linear && lowerHalf) {
    TGPSolidBrush first(a1);
    g->FillRectangle(&first, TGPRectF{S.X, S.Y, S.Width, 1});
  }
}

void TBackgroundFill::DrawGradientBackGround(TGPGraphics* g, const TGPRectF& S, bool mirror,
                                             uint8_t opacity, uint8_t opacityTo,
                                             uint8_t opacityMirror, uint8_t opacityMirrorTo) {
  if (!g) return;
  TGradientType kind = mirror ? FGradientMirrorType : FGradientType;
  TColor c1 = mirror ? FColorMirror : FColor;
  TColor c2 = mirror ? FColorMirrorTo : FColorTo;
  uint8_t o1 = mirror ? opacityMirror : opacity;
  uint8_t o2 = mirror ? opacityMirrorTo : opacityTo;
  ::HatchStyle hatch = mirror ? FHatchStyleMirror : FHatchStyle;
  if (c1 == clNone)
    kind = gtNone;
  else if (c2 == clNone)
    kind = gtSolid;

  TGPPicture* texture = FBackGroundPicturePosition == ppTiled ? FBackGroundPicture.get() : nullptr;
  if (FRounding == 0) {
    PaintGradient(g, nullptr, S, kind, c1, c2, o1, o2, hatch, texture, mirror);
    return;
  }
  TFillRoundingType type = FRoundingType;
  if (FColorMirror != clNone) {
    static const TFillRoundingType lower[] = {rtNone, rtNone, rtBottom, rtBottom, rtLeft, rtRight};
    static const TFillRoundingType upper[] = {rtNone, rtTop, rtNone, rtTop, rtLeft, rtRight};
    if (type <= rtRight) type = mirror ? lower[type] : upper[type];
  }
  auto path = RoundedPath(S, float(FRounding), type);
  if (!path) return;  // an unknown rounding type has no outline
  SmoothingScope smooth(g, SmoothingModeAntiAlias);
  PaintGradient(g, path.get(), S, kind, c1, c2, o1, o2, hatch, texture, mirror);
}

void TBackgroundFill::PlacePicture(TGPGraphics* g, TGPPicture* picture, const TGPRectF& R, int w,
                                   int h, TFillPicturePosition position, int left, int top,
                                   bool aspectRatio, TPictureMode aspectMode) {
  int L = int(std::nearbyint(R.X)), T = int(std::nearbyint(R.Y));
  int Rt = L + int(std::nearbyint(R.Width)), B = T + int(std::nearbyint(R.Height));
  if (position != ppCustom) {
    L += left, Rt += left;
    T += top, B += top;
  }
  const int Lc = L + (Rt - L - w) / 2;
  const int Tc = T + (B - T - h) / 2;
  auto draw = [&](int x, int y) { picture->GPDraw(g, TRect{x, y, x + w, y + h}); };
  switch (position) {
    case ppTopLeft:
      draw(L, T);
      break;
    case ppTopCenter:
      draw(Lc, T);
      break;
    case ppTopRight:
      draw(Rt - w, T);
      break;
    case ppBottomLeft:
      draw(L, B - h);
      break;
    case ppBottomCenter:
      draw(Lc, B - h);
      break;
    case ppBottomRight:
      draw(Rt - w, B - h);
      break;
    case ppCenterLeft:
      draw(L, Tc);
      break;
    case ppCenterCenter:
      draw(Lc, Tc);
      break;
    case ppCenterRight:
      draw(Rt - w, Tc);
      break;
    case ppCustom:
      draw(left, top);
      break;
    case ppTiled:
      picture->FillRect(g, TGPRectF{float(L), float(T), float(Rt - L), float(B - T)});
      break;
    case ppStretched: {
      double tw = Rt - L, th = B - T, fw = tw, fh = th;
      if (aspectRatio) {
        if (w <= 0 || h <= 0 || tw <= 0 || th <= 0) {
          fw = fh = 0;
        } else if (aspectMode == pmNormal && w < tw && h < th) {
          fw = w, fh = h;
        } else if (tw / th > double(w) / h) {
          fw = th * w / h, fh = th;
        } else {
          fw = tw, fh = tw * h / w;
        }
      }
      int x = int(std::nearbyint(L + (tw - fw) / 2)), y = int(std::nearbyint(T + (th - fh) / 2));
      int dw = int(std::nearbyint(fw)), dh = int(std::nearbyint(fh));
      if (dw > 0 && dh > 0) picture->GPDraw(g, TRect{x, y, x + dw, y + dh});
      break;
    }
  }
}

void TBackgroundFill::DrawGlow(TGPGraphics* g, const TGPRectF& R) {
  if (!g || FGlow == gmNone || FGlow > gmRadialGradient) return;
  g->SetClip(R);
  const TGPRectF gr{R.X + 1, R.Y + 1, R.Width - 2, R.Height - 2};
  if (FGlow == gmGradient || FGlow == gmRadialGradient) {
    if (auto outline = RoundedPath(gr, float(FRounding), FRoundingType)) {
      TGPPen pen(ArgbFromColor(200, FGlowGradientColor), 1);
      g->DrawPath(&pen, outline.get());
    }
    auto band = [&](const TGPRectF& b, uint8_t topAlpha, uint8_t bottomAlpha, float edgeY,
                    float innerY) {
      TGPLinearGradientBrush brush(TGPRectF{b.X - 1, b.Y - 1, b.Width + 2, b.Height + 2},
                                   ArgbFromColor(topAlpha, FGlowGradientColor),
                                   ArgbFromColor(bottomAlpha, FGlowGradientColor),
                                   LinearGradientModeVertical);
      const TGPPointF left[3] = {{gr.X, edgeY}, {gr.X + 5, edgeY}, {gr.X + 5, innerY}};
      const TGPPointF right[3] = {
          {gr.X + gr.Width, edgeY}, {gr.X + gr.Width - 5, edgeY}, {gr.X + gr.Width - 5, innerY}};
      TGPGraphicsPath l, r;
      l.AddPolygon(left, 3);
      r.AddPolygon(right, 3);
      g->FillPath(&brush, &l);
      g->FillPath(&brush, &r);
      g->FillRectangle(&brush, b);
    };
    band(TGPRectF{gr.X + 5, gr.Y, gr.Width - 10, 4}, 175, 0, gr.Y, gr.Y + 4);
    band(TGPRectF{gr.X + 5, gr.Y + gr.Height - 7, gr.Width - 10, 7}, 0, 220, gr.Y + gr.Height,
         gr.Y + gr.Height - 7);
  }
  if (FGlow == gmRadial || FGlow == gmRadialGradient) {
    const TGPRectF e{gr.X + 10, gr.Y - gr.Height / 2, gr.Width - 20, 3 * gr.Height};
    TGPGraphicsPath ellipse;
    ellipse.AddEllipse(e);
    TGPPathGradientBrush brush(&ellipse);
    brush.SetCenterPoint(TGPPointF{e.X + e.Width / 2, e.Y + e.Height / 2});
    brush.SetCenterColor(ArgbFromColor(150, FGlowRadialColor));
    ARGB surround = ArgbFromColor(0, FColor);
    int count = 1;
    brush.SetSurroundColors(&surround, &count);
    g->FillPath(&brush, &ellipse);
  }
  g->ResetClip();
}

TGPRectF TBackgroundFill::Fill(TGPGraphics* g, TGPRectF R, uint8_t aBorderOpacity, uint8_t aOpacity,
                               uint8_t aOpacityTo, uint8_t aOpacityMirror,
                               uint8_t aOpacityMirrorTo) {
  const uint8_t borderOpacity = Effective(aBorderOpacity, FBorderOpacity);
  const uint8_t opacity = Effective(aOpacity, FOpacity);
  const uint8_t opacityTo = Effective(aOpacityTo, FOpacityTo);
  const uint8_t opacityMirror = Effective(aOpacityMirror, FOpacityMirror);
  const uint8_t opacityMirrorTo = Effective(aOpacityMirrorTo, FOpacityMirrorTo);
  if (!g) return R;

  const bool lineCase = R.Height == 1 || R.Width == 1;
  if (lineCase) {
    if (FBorderWidth > 0 && FBorderColor != clNone) {
      TGPPen pen(ArgbFromColor(borderOpacity, FBorderColor), float(FBorderWidth));
      g->DrawLine(&pen, R.X, R.Y, R.X + R.Width, R.Y + R.Height);
    }
  } else {
    // Shadow; R shrinks to the area inside it.
    const int o = FShadowOffset;
    if (o > 0 && FShadowColor != clNone) {
      if (FShadowType == stBottom) {
        FillRadial(g, TGPRectF{R.X, R.Y + R.Height - 2 * float(o), R.Width, 2 * float(o)},
                   FShadowColor, FShadowColor, 0, 255, true, FRounding, rtBottom);
        R.Height -= float(o);
      } else {
        const bool surround = FShadowType == stSurround;
        auto path = surround ? RoundedPath(R, float(o), rtBoth)
                             : RoundedPath(R, float(FRounding), FRoundingType);
        if (path) {
          TGPPathGradientBrush brush(path.get());
          brush.SetWrapMode(WrapModeClamp);
          const ARGB colors[3] = {0x00000000, ArgbFromColor(180, FShadowColor),
                                  ArgbFromColor(180, FShadowColor)};
          const float positions[3] = {0.0f, 0.1f, 1.0f};
          brush.SetInterpolationColors(colors, positions, 3);
          g->FillPath(&brush, path.get());
        }
        if (surround) {
          R.X += float(o), R.Y += float(o);
          R.Width -= 2 * float(o), R.Height -= 2 * float(o);
        } else if (FShadowType == stRightBottom) {
          R.Width -= float(o), R.Height -= float(o);
        }
      }
    }

    // Body.
    if (FGradientType == gtHatch || FGradientType == gtTexture || FColorMirror == clNone) {
      if (FGradientType == gtRadial) {
        if (FColor != clNone)
          FillRadial(g, R, FColor, FColorTo == clNone ? FColor : FColorTo, opacity, opacityTo, true,
                     FRounding, FRoundingType);
      } else {
        DrawGradientBackGround(g, R, false, opacity, opacityTo, opacityMirror, opacityMirrorTo);
      }
    } else {
      const float h = R.Height / 2;
      const TGPRectF upper{R.X, R.Y, R.Width, R.Height - h + 1};
      const TGPRectF lower{R.X, R.Y + h - 1, R.Width, R.Height - h + 1};
      if (FGradientType == gtRadial) {
        if (FColor != clNone)
          FillRadial(g, upper, FColor, FColorTo == clNone ? FColor : FColorTo, opacity, opacityTo,
                     true, FRounding, rtTop);
      } else {
        DrawGradientBackGround(g, upper, false, opacity, opacityTo, opacityMirror, opacityMirrorTo);
      }
      if (FGradientMirrorType == gtRadial) {
        if (FColorMirror != clNone)
          FillRadial(g, lower, FColorMirror,
                     FColorMirrorTo == clNone ? FColorMirror : FColorMirrorTo, opacityMirror,
                     opacityMirrorTo, false, FRounding, rtBottom);
      } else {
        DrawGradientBackGround(g, lower, true, opacity, opacityTo, opacityMirror, opacityMirrorTo);
      }
    }

    // Background picture inside the fill, clipped to its outline.
    if (FBackGroundPictureMode == pmInsideFill && !FBackGroundPicture->Empty() &&
        FGradientType == gtTexture) {
      if (auto outline = RoundedPath(R, float(FRounding), FRoundingType)) {
        TGPRegion region(outline.get());
        g->SetClip(&region);
        PlacePicture(g, FBackGroundPicture.get(), R, FBackGroundPicture->Width(),
                     FBackGroundPicture->Height(), FBackGroundPicturePosition,
                     FBackGroundPictureLeft, FBackGroundPictureTop, FBackGroundPictureAspectRatio,
                     FBackGroundPictureAspectMode);
        g->ResetClip();
      }
    }

    // Border.
    if (FBorderWidth > 0 && FBorderColor != clNone) {
      if (auto outline = RoundedPath(R, float(FRounding), FRoundingType)) {
        TGPPen pen(ArgbFromColor(borderOpacity, FBorderColor), float(FBorderWidth));
        g->DrawPath(&pen, outline.get());
      }
    }
  }

  DrawGlow(g, R);

  // Focus outline, drawn without anti-aliasing.
  const float b = float(FBorderWidth);
  FFocusRect = TGPRectF{R.X + b, R.Y + b, R.Width - 2 * b, R.Height - 2 * b};
  if (FFocus) {
    if (auto outline = RoundedPath(FFocusRect, float(FRounding) - b, FRoundingType)) {
      SmoothingScope aliased(g, SmoothingModeDefault);
      TGPPen pen(ArgbFromColor(opacity, FFocusColor), 1);
      pen.SetDashStyle(DashStyleDot);
      g->DrawPath(&pen, outline.get());
    }
  }

  if (FBackGroundPictureMode == pmOutsideFill && !FBackGroundPicture->Empty() &&
      FGradientType == gtTexture) {
    PlacePicture(g, FBackGroundPicture.get(), R, FBackGroundPicture->Width(),
                 FBackGroundPicture->Height(), FBackGroundPicturePosition, FBackGroundPictureLeft,
                 FBackGroundPictureTop, FPictureAspectRatio, FPictureAspectMode);
  }

  if (!FPicture->Empty()) {
    int w = FPicture->Width(), h = FPicture->Height();
    if (FpictureSize == psCustom) w = FpictureWidth, h = FpictureHeight;
    PlacePicture(g, FPicture.get(), R, w, h, FPicturePosition, FPictureLeft, FPictureTop,
                 FPictureAspectRatio, FPictureAspectMode);
  }
  return R;
}

// ---------------------------------------------------------------------------------------
// Persistence: ini sections

namespace {

std::u16string U(const char* s) {
  return kx::Utf8ToUtf16(s);
}

const char kHexDigits[] = "0123456789ABCDEF";

std::string ToHex(const std::string& bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    hex.push_back(kHexDigits[c >> 4]);
    hex.push_back(kHexDigits[c & 15]);
  }
  return hex;
}

// Pairs of hex digits (either case) to bytes; an odd last digit is ignored. False at the
// first character that is not a hex digit ("No Hex-Number").
bool FromHex(std::string_view hex, std::string* bytes) {
  auto nibble = [](char c) -> int {
    c = char(std::toupper(static_cast<unsigned char>(c)));
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  bytes->clear();
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes->push_back(char(hi * 16 + lo));
  }
  return true;
}

}  // namespace

void TBackgroundFill::SaveToFile(const std::string& fileName, const std::string& section) {
  TIniFile ini(kx::Utf8ToUtf16(fileName));
  SaveToFile(&ini, section);
}

bool TBackgroundFill::LoadFromFile(const std::string& fileName, const std::string& section) {
  TMemIniFile ini(kx::Utf8ToUtf16(fileName));
  return LoadFromFile(&ini, section);
}

void TBackgroundFill::SaveToFile(TCustomIniFile* ini, const std::string& section) {
  if (!ini) return;
  const std::u16string s = kx::Utf8ToUtf16(section);
  auto put = [&](const char* key, int value) { ini->WriteInteger(s, U(key), value); };
  put("Color", FColor);
  put("ColorTo", FColorTo);
  put("ColorMirror", FColorMirror);
  put("ColorMirrorTo", FColorMirrorTo);
  put("GradientType", FGradientType);
  put("GradientMirrorType", FGradientMirrorType);
  put("HatchStyle", FHatchStyle);
  put("HatchStyleMirror", FHatchStyleMirror);
  put("BackGroundPictureMode", FBackGroundPictureMode);
  put("BackGroundPicturePosition", FBackGroundPicturePosition);
  put("BackGroundPictureLeft", FBackGroundPictureLeft);
  put("BackGroundPictureTop", FBackGroundPictureTop);
  put("PicturePosition", FPicturePosition);
  put("PictureLeft", FPictureLeft);
  put("PictureTop", FPictureTop);
  put("PictureSize", FpictureSize);
  put("PictureWidth", FpictureWidth);
  put("PictureHeight", FpictureHeight);
  put("Opacity", FOpacity);
  put("OpacityTo", FOpacityTo);
  put("OpacityMirror", FOpacityMirror);
  put("OpacityMirrorTo", FOpacityMirrorTo);
  put("BorderColor", FBorderColor);
  put("BorderOpacity", FBorderOpacity);
  put("BorderWidth", FBorderWidth);
  put("Rounding", FRounding);
  put("RoundingType", FRoundingType);
  put("ShadowOffset", FShadowOffset);
  put("ShadowColor", FShadowColor);
  put("Angle", FAngle);
  put("Glow", FGlow);
  put("GlowGradientColor", FGlowGradientColor);
  put("GlowRadialColor", FGlowRadialColor);
  std::string bytes;
  FPicture->SaveToStream(bytes);
  std::string hex = ToHex(bytes);
  ini->WriteString(s, U("Picture"), kx::Utf8ToUtf16(hex));
  put("PictureSize", int(hex.size()));
  bytes.clear();
  FBackGroundPicture->SaveToStream(bytes);
  hex = ToHex(bytes);
  ini->WriteString(s, U("BackgroundPicture"), kx::Utf8ToUtf16(hex));
  put("BackgroundPictureSize", int(hex.size()));
  ini->UpdateFile();
}

// Each key is read with the current value as its default and stored straight into its
// field (one-byte fields keep the low byte); one change notification at the end. The key
// "PictureSize" holds the picture text's length in a saved section (it is written twice),
// so it is read only as that length and PictureSize keeps its value. A length of 0 that is
// present in the section means an empty picture; a missing length leaves the picture.
bool TBackgroundFill::LoadFromFile(TCustomIniFile* ini, const std::string& section) {
  if (!ini) return false;
  const std::u16string s = kx::Utf8ToUtf16(section);
  auto get = [&](const char* key, auto& field) {
    using V = std::remove_reference_t<decltype(field)>;
    int v = ini->ReadInteger(s, U(key), int(field));
    if constexpr (sizeof(V) == 1)
      field = V(uint8_t(v));
    else
      field = V(v);
  };
  get("Color", FColor);
  get("ColorTo", FColorTo);
  get("ColorMirror", FColorMirror);
  get("ColorMirrorTo", FColorMirrorTo);
  get("GradientType", FGradientType);
  get("GradientMirrorType", FGradientMirrorType);
  get("HatchStyle", FHatchStyle);
  get("HatchStyleMirror", FHatchStyleMirror);
  get("BackGroundPictureMode", FBackGroundPictureMode);
  get("BackGroundPicturePosition", FBackGroundPicturePosition);
  get("BackGroundPictureLeft", FBackGroundPictureLeft);
  get("BackGroundPictureTop", FBackGroundPictureTop);
  get("PicturePosition", FPicturePosition);
  get("PictureLeft", FPictureLeft);
  get("PictureTop", FPictureTop);
  get("PictureWidth", FpictureWidth);
  get("PictureHeight", FpictureHeight);
  get("Opacity", FOpacity);
  get("OpacityTo", FOpacityTo);
  get("OpacityMirror", FOpacityMirror);
  get("OpacityMirrorTo", FOpacityMirrorTo);
  get("BorderColor", FBorderColor);
  get("BorderOpacity", FBorderOpacity);
  get("BorderWidth", FBorderWidth);
  get("Rounding", FRounding);
  get("RoundingType", FRoundingType);
  get("ShadowOffset", FShadowOffset);
  get("ShadowColor", FShadowColor);
  get("Angle", FAngle);
  get("Glow", FGlow);
  get("GlowGradientColor", FGlowGradientColor);
  get("GlowRadialColor", FGlowRadialColor);

  bool ok = true;
  ++FUpdateCount;  // the pictures' own notifications fold into the one below
  auto loadPicture = [&](const char* textKey, const char* sizeKey, TGPPicture* picture) {
    if (!ini->ValueExists(s, U(sizeKey))) return true;
    int n = ini->ReadInteger(s, U(sizeKey), 0);
    if (n <= 0) {
      if (!picture->Empty()) picture->Clear();
      return true;
    }
    std::string text = kx::Utf16ToUtf8(ini->ReadString(s, U(textKey), u""));
    if (text.size() > size_t(n)) text.resize(size_t(n));
    std::string bytes;
    if (!FromHex(text, &bytes)) return false;  // "No Hex-Number"
    if (bytes.empty()) {
      if (!picture->Empty()) picture->Clear();
    } else {
      picture->LoadFromStream(bytes);
    }
    return true;
  };
  ok = loadPicture("Picture", "PictureSize", FPicture.get()) &&
       loadPicture("BackgroundPicture", "BackgroundPictureSize", FBackGroundPicture.get());
  --FUpdateCount;
  NotifyChange();
  return ok;
}

// ---------------------------------------------------------------------------------------
// Persistence: the clipboard

namespace {

// The wrapper streamed to the clipboard: the fill's properties appear nested under
// SaveObject.
class TSaver : public TComponent {
  KX_DECLARE_CLASS(TSaver)
 public:
  explicit TSaver(TComponent* owner) : TComponent(owner) {}
  TBackgroundFill* SaveObject() const { return fill_; }
  void SetSaveObject(TBackgroundFill* fill) { fill_ = fill; }

 private:
  TBackgroundFill* fill_ = nullptr;
};

const TClassInfo* TSaver::StaticClass() {
  static const TClassInfo* info = TClassBuilder<TSaver>("TSaver", TComponent::StaticClass())
                                      .Object("SaveObject", &TSaver::SaveObject)
                                      .Build();
  return info;
}

}  // namespace

UINT FillClipboardFormat() {
  static const UINT format = RegisterClipboardFormatW(u"GDI+ Fill");
  return format;
}

bool TBackgroundFill::SaveToClipBoard() {
  TSaver saver(nullptr);
  saver.SetSaveObject(this);
  std::string text = WriteObjectText(&saver, "Saver");
  UINT format = FillClipboardFormat();
  return format != 0 && kx::SetClipboardBytes(format, text);
}

bool TBackgroundFill::LoadFromClipBoard() {
  UINT format = FillClipboardFormat();
  if (format == 0 || !IsClipboardFormatAvailable(format)) return false;
  std::optional<std::string> bytes = kx::GetClipboardBytes(format);
  if (!bytes) return false;
  TSaver saver(nullptr);
  saver.SetSaveObject(this);
  ++FUpdateCount;
  TLayoutError err;
  bool ok = ReadObjectText(*bytes, &saver, &err);
  --FUpdateCount;
  NotifyChange();
  return ok;
}
