// The panel: a windowed container with a background colour, bevels and a caption.
#pragma once

#include "framework/Controls.h"

class TCustomPanel : public TCustomControl {
 public:
  KX_DECLARE_CLASS(TCustomPanel)

 public:
  explicit TCustomPanel(TComponent* owner);

  // Horizontal placement of the caption (vertical: VerticalAlignment, centred by default).
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout VerticalAlignment() const { return FVerticalAlignment; }
  void SetVerticalAlignment(TTextLayout v);
  // Bevels: outer, then inner, each BevelWidth pixels; bvLowered swaps the colours,
  // bvSpace paints both sides in clBtnFace.
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v);
  // An inner margin between the bevels and the children.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v);
  // bsSingle: a one-pixel black frame outside the bevels.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool v);
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool v) { FFullRepaint = v; }
  // Locked panels keep their place when a parent realigns (nothing here depends on it).
  bool Locked() const { return FLocked; }
  void SetLocked(bool v) { FLocked = v; }

 protected:
  void Paint() override;
  // Client rectangle minus BorderStyle's frame, BorderWidth and each drawn bevel.
  void AdjustClientRect(TRect& rect) override;
  void CreateParams(TCreateParams& params) override;
  void Resize() override;

 private:
  TAlignment FAlignment = taCenter;
  TTextLayout FVerticalAlignment = tlCenter;
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TBorderStyle FBorderStyle = bsNone;
  bool FShowCaption = true;
  bool FFullRepaint = true;
  bool FLocked = false;
};

class TPanel : public TCustomPanel {
 public:
  KX_DECLARE_CLASS(TPanel)

 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};
