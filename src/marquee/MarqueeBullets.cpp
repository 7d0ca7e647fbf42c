#include "marquee/MarqueeBullets.h"

#include "marquee/Marquee.h"

const TEnumInfo* MarqueeBulletShapeInfo() {
  static const TEnumInfo info("TMarqueeBulletShape",
                              {"bsEllipse", "bsRectangle", "bsTriangle", "bsCustom"});
  return &info;
}

const TClassInfo* TMarqueeBullets::StaticClass() {
  using B = TMarqueeBullets;
  static const TClassInfo* info =
      TClassBuilder<B>("TMarqueeBullets", TPersistent::StaticClass())
          .Integer("Count", &B::Count, &B::SetCount, 6)
          .Integer("Width", &B::Width, &B::SetWidth, 10)
          .Integer("Height", &B::Height, &B::SetHeight, 10)
          .Integer("Spacing", &B::Spacing, &B::SetSpacing, 3)
          .Color("BorderColor", &B::BorderColor, &B::SetBorderColor, clNone)
          .Color("Color", &B::Color, &B::SetColor, TColor(0xE16941))
          .Integer("Opacity", &B::Opacity, &B::SetOpacity, 255)
          .Integer("BorderOpacity", &B::BorderOpacity, &B::SetBorderOpacity, 255)
          .Enum("Shape", &B::Shape, &B::SetShape, MarqueeBulletShapeInfo(), bsEllipse)
          .Build();
  return info;
}

TMarqueeBullets::TMarqueeBullets(TMarquee* owner) : FOwner(owner) {}

void TMarqueeBullets::Changed() {
  if (FOwner) FOwner->Invalidate();
}

void TMarqueeBullets::Assign(const TPersistent* source) {
  auto* s = dynamic_cast<const TMarqueeBullets*>(source);
  if (!s) return;
  FCount = s->FCount;
  FWidth = s->FWidth;
  FHeight = s->FHeight;
  FSpacing = s->FSpacing;
  FColor = s->FColor;
  FBorderColor = s->FBorderColor;
  FOpacity = s->FOpacity;
  FBorderOpacity = s->FBorderOpacity;
  FShape = s->FShape;
}

void TMarqueeBullets::SetCount(int v) {
  FCount = v;
  Changed();
}
void TMarqueeBullets::SetWidth(int v) {
  FWidth = v;
  Changed();
}
void TMarqueeBullets::SetHeight(int v) {
  FHeight = v;
  Changed();
}
void TMarqueeBullets::SetSpacing(int v) {
  FSpacing = v;
  Changed();
}
void TMarqueeBullets::SetBorderColor(TColor v) {
  FBorderColor = v;
  Changed();
}
void TMarqueeBullets::SetColor(TColor v) {
  FColor = v;
  Changed();
}
void TMarqueeBullets::SetOpacity(uint8_t v) {
  FOpacity = v;
  Changed();
}
void TMarqueeBullets::SetBorderOpacity(uint8_t v) {
  FBorderOpacity = v;
  Changed();
}
void TMarqueeBullets::SetShape(TMarqueeBulletShape v) {
  FShape = v;
  Changed();
}
