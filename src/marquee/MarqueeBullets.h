// The dot settings of the busy animation. Every setter stores its value and asks the
// owning marquee to repaint.
#pragma once

#include <cstdint>

#include "framework/Classes.h"
#include "framework/TypInfo.h"

class TMarquee;

enum TMarqueeBulletShape : uint8_t { bsEllipse = 0, bsRectangle, bsTriangle, bsCustom };
const TEnumInfo* MarqueeBulletShapeInfo();

class TMarqueeBullets : public TPersistent {
  KX_DECLARE_CLASS(TMarqueeBullets)
 public:
  explicit TMarqueeBullets(TMarquee* owner);

  // Copies another bullets object's settings without a repaint; other sources are ignored.
  void Assign(const TPersistent* source) override;

  int Count() const { return FCount; }
  void SetCount(int v);
  int Width() const { return FWidth; }
  void SetWidth(int v);
  int Height() const { return FHeight; }
  void SetHeight(int v);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  uint8_t Opacity() const { return FOpacity; }
  void SetOpacity(uint8_t v);
  uint8_t BorderOpacity() const { return FBorderOpacity; }
  void SetBorderOpacity(uint8_t v);
  TMarqueeBulletShape Shape() const { return FShape; }
  void SetShape(TMarqueeBulletShape v);

 private:
  void Changed();

  TMarquee* FOwner;
  int FCount = 6;
  int FWidth = 10;
  int FHeight = 10;
  int FSpacing = 3;
  TColor FBorderColor = clNone;
  TColor FColor = 0xE16941;
  uint8_t FOpacity = 255;
  uint8_t FBorderOpacity = 255;
  TMarqueeBulletShape FShape = bsEllipse;
};
