// The flat panel: a windowed container with a background (colour, picture or gradient),
// an optional flat border, bevels, a caption, grab handles and owner draw.
#pragma once

#include <array>
#include <memory>

#include "controls/FlatFrame.h"
#include "controls/ThemeMode.h"
#include "framework/ExtCtrls.h"

// The panel's bevel styles. Scoped, because the framework's TBevelCut already names
// bvNone, bvLowered, bvRaised and bvSpace in the global scope.
enum class TBevelStyle : uint8_t {
  bvNone = 0,
  bvLowered,
  bvRaised,
  bvFrameLowered,
  bvFrameRaised,
  bvNormal,
  bvShadow,
  bvSpace,
  bvFlat
};

enum TBackgroundType : uint8_t {
  bgtTileBitmap = 0,
  bgtStretchBitmap,
  bgtColorFill,
  bgtCenterBitmap,
  bgtTopLeftBitmap,
  bgtHorzGradient,
  bgtVertGradient,
  bgtSquareGradient,
  bgtEllipticGradient,
  bgtTopLeftGradient,
  bgtTopRightGradient,
  bgtBottomLeftGradient,
  bgtBottomRightGradient,
  bgtTopLeftDiagonalGradient,
  bgtTopRightDiagonalGradient
};

enum TPanelGrabHandleKind : uint8_t { ghkNone = 0, ghkMove, ghkResize, ghkMoveParent };

class TCustomFlatPanel;

// A strip along one side of the panel by which the user moves or resizes it.
class TPanelGrabHandle {
 public:
  explicit TPanelGrabHandle(TCustomFlatPanel* owner) : FOwner(owner) {}
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  int Size() const { return FSize; }
  void SetSize(int v);
  TPanelGrabHandleKind Kind() const { return FKind; }
  void SetKind(TPanelGrabHandleKind v) { FKind = v; }
  TBevelStyle BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelStyle v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  // Visible and enabled: it takes its size off the panel's client rectangle.
  bool Active() const { return FVisible && FEnabled; }

 private:
  void Changed();
  bool FEnabled = false;
  int FSize = 8;
  TPanelGrabHandleKind FKind = ghkNone;
  TBevelStyle FBevelKind = TBevelStyle::bvRaised;
  TCustomFlatPanel* FOwner;
  bool FVisible = false;
};

enum TGrabSide : uint8_t { gsTop = 0, gsRight = 1, gsLeft = 2, gsBottom = 3 };

class TCustomFlatPanel : public TCustomPanel {
  KX_DECLARE_CLASS(TCustomFlatPanel)

 public:
  explicit TCustomFlatPanel(TComponent* owner);
  ~TCustomFlatPanel() override;

  TThemeMode ThemeMode() const { return FThemeMode; }
  virtual void SetThemeMode(TThemeMode v);
  bool ThemeGlobalMode() const { return FThemeGlobalMode; }
  virtual void SetThemeGlobalMode(bool v);
  bool Themed() const { return IsThemed(FThemeMode, FThemeGlobalMode); }
  bool TransparentXPThemes() const { return FTransparentXPThemes; }
  virtual void SetTransparentXPThemes(bool v);

  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);

  TColor BorderColorShadow() const { return FColors.Shadow; }
  void SetBorderColorShadow(TColor v) { SetFrameColor(FColors.Shadow, v); }
  TColor BorderColorDkShadow() const { return FColors.DkShadow; }
  void SetBorderColorDkShadow(TColor v) { SetFrameColor(FColors.DkShadow, v); }
  TColor BorderColorWindow() const { return FColors.Window; }
  void SetBorderColorWindow(TColor v) { SetFrameColor(FColors.Window, v); }
  TColor BorderColorHighlight() const { return FColors.Highlight; }
  void SetBorderColorHighlight(TColor v) { SetFrameColor(FColors.Highlight, v); }
  TColor BorderColorFace() const { return FColors.Face; }
  void SetBorderColorFace(TColor v) { SetFrameColor(FColors.Face, v); }
  TFlatBorderType BorderType() const { return FBorderType; }
  virtual void SetBorderType(TFlatBorderType v);
  TBorderSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TBorderSides v);
  // Whether the flat border is drawn.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);

  TBevelStyle BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelStyle v);
  TBevelStyle BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelStyle v);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v);
  TColor BevelSpaceColor() const { return FBevelSpaceColor; }
  void SetBevelSpaceColor(TColor v);

  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool v);
  bool AlwaysPaintBackground() const { return FAlwaysPaintBackground; }
  void SetAlwaysPaintBackground(bool v);

  TBackgroundType BackgroundType() const { return FBackgroundType; }
  virtual void SetBackgroundType(TBackgroundType v);
  int GradientSteps() const { return FGradientSteps; }
  void SetGradientSteps(int v);
  TColor GradientStartColor() const { return FGradientStartColor; }
  void SetGradientStartColor(TColor v);
  TColor GradientEndColor() const { return FGradientEndColor; }
  void SetGradientEndColor(TColor v);
  // The background picture (owned).
  TBitmap* Background() const { return FBackground.get(); }
  void SetBackground(const TBitmap* v);

  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool v);
  BYTE AlphaLevel() const { return FAlphaLevel; }
  void SetAlphaLevel(BYTE v);

  bool Movable() const { return FMovable; }
  virtual void SetMovable(bool v) { FMovable = v; }
  bool Resizable() const { return FResizable; }
  virtual void SetResizable(bool v);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool v);
  bool ShowFocus() const { return FShowFocus; }
  void SetShowFocus(bool v);
  TPanelGrabHandle* GrabHandle(TGrabSide side) const { return FGrabHandles[side].get(); }

  bool MouseInControl() const { return FMouseInControl; }

  const TNotifyEvent& OnPaint() const { return FOnPaint; }
  void SetOnPaint(TNotifyEvent e) { FOnPaint = std::move(e); }
  const TNotifyEvent& OnMove() const { return FOnMove; }
  void SetOnMove(TNotifyEvent e) { FOnMove = std::move(e); }

  void Loaded() override;
  // Repaints after a grab handle changed.
  void GrabHandlesChanged();

 protected:
  virtual void DrawPanel(TRect rect);
  virtual void DoPaint();
  virtual void DoMove();
  TRect BackgroundRect() const;

  void Paint() override;
  void AdjustClientRect(TRect& rect) override;
  void CreateParams(TCreateParams& params) override;
  void PaintHandler(HDC dc) override;
  bool EraseBackground(HDC dc) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoEnter() override;
  void DoExit() override;
  void Resize() override;

 private:
  enum class TDrag { None, Move, Right, Bottom, Corner, Left, Top };
  void SetFrameColor(TColor& field, TColor v);
  void PaintBackground(TCanvas* canvas, const TRect& rect);
  void PaintGradient(TCanvas* canvas, const TRect& client);
  void DrawBevel(TCanvas* canvas, TRect& rect, TBevelStyle style, int width);
  TDrag DragKindAt(int x, int y) const;

  TSize FSize{};
  bool FThemeGlobalMode = false;
  TThemeMode FThemeMode = ttmPlatform;
  bool FWordWrap = false;
  bool FIsUpdated = false;
  TFlatFrameColors FColors;
  TFlatBorderType FBorderType = fbtSunken;
  TBorderSides FBorderSides = allSides;
  TBorderStyle FBorderStyle = bsNone;
  TBevelStyle FBevelInner = TBevelStyle::bvNone;
  TBevelStyle FBevelOuter = TBevelStyle::bvRaised;
  int FBevelWidth = 1;
  bool FOwnerDraw = false;
  bool FAlwaysPaintBackground = false;
  TTextLayout FLayout = tlCenter;
  TNotifyEvent FOnPaint;
  int FGradientSteps = 16;
  TColor FGradientStartColor = clBtnFace;
  TColor FGradientEndColor = clBtnShadow;
  bool FTransparent = false;
  std::unique_ptr<TBitmap> FBackground;
  TBackgroundType FBackgroundType = bgtColorFill;
  TNotifyEvent FOnMove;
  bool FResizable = false;
  bool FMovable = false;
  TRect FSizeMoveRect{};
  TPoint FDragStart{};
  TDrag FDrag = TDrag::None;
  std::array<std::unique_ptr<TPanelGrabHandle>, 4> FGrabHandles;
  bool FMouseInControl = false;
  bool FOffscreen = false;  // inside the off-screen paint
  BYTE FAlphaLevel = 0;
  bool FTransparentXPThemes = true;
  bool FSizeGrip = false;
  TRect SizeGripRect{};
  TColor FBevelSpaceColor = clBtnFace;
  bool FShowFocus = false;
};

class TFlatPanel : public TCustomFlatPanel {
  KX_DECLARE_CLASS(TFlatPanel)

 public:
  explicit TFlatPanel(TComponent* owner) : TCustomFlatPanel(owner) {}
};
