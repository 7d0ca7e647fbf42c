// A reusable description of a rectangular control's background: solid colour, gradients,
// a radial highlight, hatches, textures, a mirrored lower half, rounded corners, a border,
// a shadow, a glow, a focus outline and two pictures. The owner calls Fill from its paint
// handler and repaints when OnChange reports a change.
#pragma once

#include <memory>
#include <string>

#include "framework/Classes.h"
#include "framework/TypInfo.h"
#include "marquee/GPGraphics.h"
#include "marquee/GPPicture.h"

class TGPGraphicsPath;
class TIniFile;
class TCustomIniFile;

enum TGradientType : int32_t {
  gtSolid = 0,
  gtRadial = 1,
  gtVertical = 2,
  gtHorizontal = 3,
  gtForwardDiagonal = 4,
  gtBackwardDiagonal = 5,
  gtAngle = 6,
  gtHatch = 7,
  gtPath = 8,
  gtTexture = 9,
  gtNone = 10
};
enum TFillRoundingType : uint8_t { rtNone = 0, rtTop, rtBottom, rtBoth, rtLeft, rtRight };
enum TShadowType : uint8_t { stRightBottom = 0, stBottom, stSurround };
enum TGlowMode : uint8_t { gmNone = 0, gmGradient, gmRadial, gmRadialGradient };
enum TFillPicturePosition : uint8_t {
  ppTopLeft = 0,
  ppTopCenter,
  ppTopRight,
  ppBottomLeft,
  ppBottomCenter,
  ppBottomRight,
  ppTiled,
  ppStretched,
  ppCenterLeft,
  ppCenterCenter,
  ppCenterRight,
  ppCustom
};
enum TFillPictureSize : uint8_t { psOriginal = 0, psCustom };
enum TFillPictureMode : uint8_t { pmInsideFill = 0, pmOutsideFill };
enum TPictureMode : uint8_t { pmStretch = 0, pmNormal };

const TEnumInfo* GradientTypeInfo();
const TEnumInfo* FillRoundingTypeInfo();
const TEnumInfo* ShadowTypeInfo();
const TEnumInfo* GlowModeInfo();
const TEnumInfo* FillPicturePositionInfo();
const TEnumInfo* FillPictureSizeInfo();
const TEnumInfo* FillPictureModeInfo();
const TEnumInfo* PictureModeInfo();
const TEnumInfo* HatchStyleInfo();

// The clipboard format of a fill's copy, "GDI+ Fill" (registered on first use).
UINT FillClipboardFormat();

// The closed outline of rectangle (x, y, w, h) with corners of radius r rounded as `type`
// says (nullptr for an unknown type). With r = 0 it is the plain rectangle.
std::unique_ptr<TGPGraphicsPath> CreateRoundedPath(float x, float y, float w, float h, float r,
                                                   TFillRoundingType type);

class TBackgroundFill : public TPersistent {
  KX_DECLARE_CLASS(TBackgroundFill)
 public:
  TBackgroundFill();
  ~TBackgroundFill() override;

  void Assign(const TPersistent* source) override;

  // Paints into R; an opacity argument below 255 overrides its property for this call.
  // Returns R less the shadow. Without a surface nothing is drawn and R comes back.
  TGPRectF Fill(TGPGraphics* graphics, TGPRectF R, uint8_t borderOpacity = 255,
                uint8_t opacity = 255, uint8_t opacityTo = 255, uint8_t opacityMirror = 255,
                uint8_t opacityMirrorTo = 255);
  void DrawGradientBackGround(TGPGraphics* graphics, const TGPRectF& S, bool mirror,
                              uint8_t opacity, uint8_t opacityTo, uint8_t opacityMirror,
                              uint8_t opacityMirrorTo);
  void DrawGlow(TGPGraphics* graphics, const TGPRectF& R);

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
  }
  int UpdateCount() const { return FUpdateCount; }
  void NotifyChange();

  // Persistence: one ini section, or the clipboard under the format "GDI+ Fill".
  // LoadFromFile reports false when a picture text held something other than hex digits
  // ("No Hex-Number"); the keys read before it keep their new values.
  void SaveToFile(const std::string& fileName, const std::string& section);
  bool LoadFromFile(const std::string& fileName, const std::string& section);
  void SaveToFile(TCustomIniFile* ini, const std::string& section);
  bool LoadFromFile(TCustomIniFile* ini, const std::string& section);
  bool SaveToClipBoard();
  bool LoadFromClipBoard();

  const TGPRectF& FocusRect() const { return FFocusRect; }

  // ---- properties ----
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { Set(FColor, v); }
  TColor ColorTo() const { return FColorTo; }
  void SetColorTo(TColor v) { Set(FColorTo, v); }
  TColor ColorMirror() const { return FColorMirror; }
  void SetColorMirror(TColor v) { Set(FColorMirror, v); }
  TColor ColorMirrorTo() const { return FColorMirrorTo; }
  void SetColorMirrorTo(TColor v) { Set(FColorMirrorTo, v); }
  TGradientType GradientType() const { return FGradientType; }
  void SetGradientType(TGradientType v) { Set(FGradientType, v); }
  TGradientType GradientMirrorType() const { return FGradientMirrorType; }
  void SetGradientMirrorType(TGradientType v) { Set(FGradientMirrorType, v); }
  ::HatchStyle HatchStyle() const { return FHatchStyle; }
  void SetHatchStyle(::HatchStyle v) { Set(FHatchStyle, v); }
  ::HatchStyle HatchStyleMirror() const { return FHatchStyleMirror; }
  void SetHatchStyleMirror(::HatchStyle v) { Set(FHatchStyleMirror, v); }
  uint8_t Opacity() const { return FOpacity; }
  void SetOpacity(uint8_t v) { Set(FOpacity, v); }
  uint8_t OpacityTo() const { return FOpacityTo; }
  void SetOpacityTo(uint8_t v) { Set(FOpacityTo, v); }
  uint8_t OpacityMirror() const { return FOpacityMirror; }
  void SetOpacityMirror(uint8_t v) { Set(FOpacityMirror, v); }
  uint8_t OpacityMirrorTo() const { return FOpacityMirrorTo; }
  void SetOpacityMirrorTo(uint8_t v) { Set(FOpacityMirrorTo, v); }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor v) { Set(FBorderColor, v); }
  uint8_t BorderOpacity() const { return FBorderOpacity; }
  void SetBorderOpacity(uint8_t v) { Set(FBorderOpacity, v); }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v) { Set(FBorderWidth, v); }
  int Rounding() const { return FRounding; }
  void SetRounding(int v) { Set(FRounding, v); }
  TFillRoundingType RoundingType() const { return FRoundingType; }
  void SetRoundingType(TFillRoundingType v) { Set(FRoundingType, v); }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor v) { Set(FShadowColor, v); }
  int ShadowOffset() const { return FShadowOffset; }
  void SetShadowOffset(int v) { Set(FShadowOffset, v); }
  TShadowType ShadowType() const { return FShadowType; }
  void SetShadowType(TShadowType v) { Set(FShadowType, v); }
  int Angle() const { return FAngle; }
  void SetAngle(int v) { Set(FAngle, v); }
  TGlowMode Glow() const { return FGlow; }
  void SetGlow(TGlowMode v) { Set(FGlow, v); }
  TColor GlowGradientColor() const { return FGlowGradientColor; }
  void SetGlowGradientColor(TColor v) { Set(FGlowGradientColor, v); }
  TColor GlowRadialColor() const { return FGlowRadialColor; }
  void SetGlowRadialColor(TColor v) { Set(FGlowRadialColor, v); }

  TGPPicture* Picture() const { return FPicture.get(); }
  void SetPicture(const TGPPicture* v);
  TFillPicturePosition PicturePosition() const { return FPicturePosition; }
  void SetPicturePosition(TFillPicturePosition v) { Set(FPicturePosition, v); }
  int PictureLeft() const { return FPictureLeft; }
  void SetPictureLeft(int v) { Set(FPictureLeft, v); }
  int PictureTop() const { return FPictureTop; }
  void SetPictureTop(int v) { Set(FPictureTop, v); }
  TFillPictureSize PictureSize() const { return FpictureSize; }
  void SetPictureSize(TFillPictureSize v) { Set(FpictureSize, v); }
  int PictureWidth() const { return FpictureWidth; }
  void SetPictureWidth(int v) { Set(FpictureWidth, v); }
  int PictureHeight() const { return FpictureHeight; }
  void SetPictureHeight(int v) { Set(FpictureHeight, v); }
  bool PictureAspectRatio() const { return FPictureAspectRatio; }
  void SetPictureAspectRatio(bool v) { Set(FPictureAspectRatio, v); }
  TPictureMode PictureAspectMode() const { return FPictureAspectMode; }
  void SetPictureAspectMode(TPictureMode v) { Set(FPictureAspectMode, v); }

  TGPPicture* BackGroundPicture() const { return FBackGroundPicture.get(); }
  void SetBackGroundPicture(const TGPPicture* v);
  TFillPicturePosition BackGroundPicturePosition() const { return FBackGroundPicturePosition; }
  void SetBackGroundPicturePosition(TFillPicturePosition v) { Set(FBackGroundPicturePosition, v); }
  int BackGroundPictureLeft() const { return FBackGroundPictureLeft; }
  void SetBackGroundPictureLeft(int v) { Set(FBackGroundPictureLeft, v); }
  int BackGroundPictureTop() const { return FBackGroundPictureTop; }
  void SetBackGroundPictureTop(int v) { Set(FBackGroundPictureTop, v); }
  TFillPictureMode BackGroundPictureMode() const { return FBackGroundPictureMode; }
  void SetBackGroundPictureMode(TFillPictureMode v) { Set(FBackGroundPictureMode, v); }
  bool BackGroundPictureAspectRatio() const { return FBackGroundPictureAspectRatio; }
  void SetBackGroundPictureAspectRatio(bool v) { Set(FBackGroundPictureAspectRatio, v); }
  TPictureMode BackGroundPictureAspectMode() const { return FBackGroundPictureAspectMode; }
  void SetBackGroundPictureAspectMode(TPictureMode v) { Set(FBackGroundPictureAspectMode, v); }

  bool Focus() const { return FFocus; }
  void SetFocus(bool v) { Set(FFocus, v); }
  TColor FocusColor() const { return FFocusColor; }
  void SetFocusColor(TColor v) { Set(FFocusColor, v); }

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }

 private:
  template <class V>
  void Set(V& field, V value) {
    if (field == value) return;
    field = value;
    NotifyChange();
  }
  void PictureChanged(TObject* sender);
  void FillRadial(TGPGraphics* g, const TGPRectF& S, TColor c1, TColor c2, uint8_t o1, uint8_t o2,
                  bool top, int r, TFillRoundingType t);
  void PaintGradient(TGPGraphics* g, const TGPGraphicsPath* path, const TGPRectF& S,
                     TGradientType kind, TColor c1, TColor c2, uint8_t o1, uint8_t o2,
                     ::HatchStyle hatch, TGPPicture* texture, bool lowerHalf);
  void PlacePicture(TGPGraphics* g, TGPPicture* picture, const TGPRectF& R, int w, int h,
                    TFillPicturePosition position, int left, int top, bool aspectRatio,
                    TPictureMode aspectMode);

  TColor FBorderColor = clNone;
  uint8_t FOpacity = 255;
  TFillPicturePosition FPicturePosition = ppTopLeft;
  TGradientType FGradientType = gtVertical;
  uint8_t FOpacityTo = 255;
  std::unique_ptr<TGPPicture> FPicture;
  ::HatchStyle FHatchStyle = HatchStyleHorizontal;
  TColor FColor = clSilver;
  int FShadowOffset = 0;
  TShadowType FShadowType = stRightBottom;
  uint8_t FOpacityMirror = 255;
  TGradientType FGradientMirrorType = gtSolid;
  uint8_t FOpacityMirrorTo = 255;
  int FRounding = 0;
  TColor FShadowColor = clGray;
  int FBorderWidth = 1;
  TColor FColorMirror = clNone;
  TColor FColorMirrorTo = clNone;
  TColor FColorTo = clGray;
  TNotifyEvent FOnChange;
  ::HatchStyle FHatchStyleMirror = HatchStyleHorizontal;
  int FPictureTop = 0;
  int FPictureLeft = 0;
  int FBackGroundPictureTop = 0;
  int FBackGroundPictureLeft = 0;
  TFillPicturePosition FBackGroundPicturePosition = ppTopLeft;
  std::unique_ptr<TGPPicture> FBackGroundPicture;
  int FpictureWidth = 50;
  TFillPictureSize FpictureSize = psOriginal;
  int FpictureHeight = 50;
  TFillRoundingType FRoundingType = rtBoth;
  int FUpdateCount = 0;
  bool FFocus = false;
  TColor FFocusColor = clBlack;
  int FAngle = 0;
  uint8_t FBorderOpacity = 255;
  TGPRectF FFocusRect{};
  TFillPictureMode FBackGroundPictureMode = pmOutsideFill;
  TColor FGlowGradientColor = clWhite;
  TGlowMode FGlow = gmNone;
  TColor FGlowRadialColor = clWhite;
  bool FBackGroundPictureAspectRatio = false;
  bool FPictureAspectRatio = false;
  TPictureMode FBackGroundPictureAspectMode = pmStretch;
  TPictureMode FPictureAspectMode = pmStretch;
};
