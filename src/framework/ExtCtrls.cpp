#include "framework/ExtCtrls.h"

#include "platform/gdi/Gdi.h"

namespace {

// A frame `width` pixels wide: top and left in topLeft, bottom and right in bottomRight.
// The rectangle shrinks by the frame.
void Frame3D(TCanvas* canvas, TRect& r, TColor topLeft, TColor bottomRight, int width) {
  for (int i = 0; i < width && RectWidth(r) > 0 && RectHeight(r) > 0; ++i) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(topLeft);
    canvas->FillRect(Rect(r.left, r.top, r.right, r.top + 1));
    canvas->FillRect(Rect(r.left, r.top, r.left + 1, r.bottom));
    canvas->Brush()->SetColor(bottomRight);
    canvas->FillRect(Rect(r.left, r.bottom - 1, r.right, r.bottom));
    canvas->FillRect(Rect(r.right - 1, r.top, r.right, r.bottom));
    r = Rect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
  }
}

void DrawBevel(TCanvas* canvas, TRect& r, TBevelCut cut, int width) {
  switch (cut) {
    case bvLowered:
      Frame3D(canvas, r, clBtnShadow, clBtnHighlight, width);
      break;
    case bvRaised:
      Frame3D(canvas, r, clBtnHighlight, clBtnShadow, width);
      break;
    case bvSpace:
      Frame3D(canvas, r, clBtnFace, clBtnFace, width);
      break;
    default:
      break;
  }
}

}  // namespace

const TClassInfo* TCustomPanel::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TCustomPanel>("TCustomPanel", TCustomControl::StaticClass())
          .String("Caption", &TControl::Caption, &TControl::SetCaption, u"")
          .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
          .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false)
          .Enum("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, AlignmentInfo(),
                taCenter)
          .Enum("VerticalAlignment", &TCustomPanel::VerticalAlignment,
                &TCustomPanel::SetVerticalAlignment, TextLayoutInfo(), tlCenter)
          .Enum("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter,
                BevelCutInfo(), bvRaised)
          .Enum("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner,
                BevelCutInfo(), bvNone)
          .Integer("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1)
          .Integer("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth, 0)
          .Enum("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle,
                BorderStyleInfo(), bsNone)
          .Bool("ShowCaption", &TCustomPanel::ShowCaption, &TCustomPanel::SetShowCaption, true)
          .Bool("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint, true)
          .Bool("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked, false)
          .Build();
  return info;
}

const TClassInfo* TPanel::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TPanel>("TPanel", TCustomPanel::StaticClass()).Factory().Build();
  return info;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  FControlStyle |= csAcceptsControls | csOpaque;
  FWidth = 185;
  FHeight = 41;
  FParentColor = false;
  FColor = clBtnFace;
}

void TCustomPanel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TCustomPanel::SetVerticalAlignment(TTextLayout v) {
  if (v == FVerticalAlignment) return;
  FVerticalAlignment = v;
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut v) {
  if (v == FBevelOuter) return;
  FBevelOuter = v;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut v) {
  if (v == FBevelInner) return;
  FBevelInner = v;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int v) {
  if (v < 1) v = 1;
  if (v == FBevelWidth) return;
  FBevelWidth = v;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderWidth(int v) {
  if (v < 0) v = 0;
  if (v == FBorderWidth) return;
  FBorderWidth = v;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  Realign();
  Invalidate();
}

void TCustomPanel::SetShowCaption(bool v) {
  if (v == FShowCaption) return;
  FShowCaption = v;
  Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& rect) {
  TCustomControl::AdjustClientRect(rect);
  int d = FBorderWidth;
  if (FBorderStyle == bsSingle) d += 1;
  if (FBevelOuter != bvNone) d += FBevelWidth;
  if (FBevelInner != bvNone) d += FBevelWidth;
  rect = Rect(rect.left + d, rect.top + d, rect.right - d, rect.bottom - d);
}

void TCustomPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
}

void TCustomPanel::Resize() {
  if (FFullRepaint) Invalidate();
  TCustomControl::Resize();
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  if (FBorderStyle == bsSingle) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(r);
    r = Rect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
  }
  DrawBevel(canvas, r, FBevelOuter, FBevelWidth);
  Frame3D(canvas, r, Color(), Color(), FBorderWidth);
  DrawBevel(canvas, r, FBevelInner, FBevelWidth);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  if (!FShowCaption || Caption().empty()) return;
  UINT flags = DT_EXPANDTABS | DT_SINGLELINE;
  switch (FAlignment) {
    case taLeftJustify:
      flags |= DT_LEFT;
      break;
    case taRightJustify:
      flags |= DT_RIGHT;
      break;
    default:
      flags |= DT_CENTER;
      break;
  }
  switch (FVerticalAlignment) {
    case tlTop:
      flags |= DT_TOP;
      break;
    case tlBottom:
      flags |= DT_BOTTOM;
      break;
    default:
      flags |= DT_VCENTER;
      break;
  }
  canvas->SetFont(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawText(r, Caption(), DrawTextBiDiModeFlags(flags));
}
