#include "marquee/Marquee.h"

#include <cmath>

#include "framework/Timer.h"
#include "marquee/GPBrush.h"
#include "marquee/GPGraphicsPath.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

const TClassInfo* TMarquee::StaticClass() {
  using M = TMarquee;
  static const TClassInfo* info =
      TClassBuilder<M>("TMarquee", TCustomControl::StaticClass())
          .Factory()
          .Float("AnimationFactor", &M::AnimationFactor, &M::SetAnimationFactor)
          .Float("AnimationStep", &M::AnimationStep, &M::SetAnimationStep)
          .Float("AnimationStretchFactor", &M::AnimationStretchFactor,
                 &M::SetAnimationStretchFactor)
          .Bool("Animate", &M::Animate, &M::SetAnimate, true)
          .Object("Bullets", &M::Bullets)
          .Integer("ComponentStyle", &M::ComponentStyleValue, &M::ReadComponentStyle)
          .Object("Fill", &M::Fill)
          .Bool("Transparent", &M::Transparent, &M::SetTransparent, false)
          .Event<TMarqueeCustomBulletShape>("OnCustomBulletShape", &M::OnCustomBulletShape,
                                            &M::SetOnCustomBulletShape)
          .Build();
  return info;
}

TMarquee::TMarquee(TComponent* owner) : TCustomControl(owner) {
  auto designing = [&] {
    return owner && (owner->ComponentState() & csDesigning) && !owner->IsLoading();
  };
  FDesignTime = designing();
  FAnimationStretchFactor = 1.7f;
  FTransparent = false;
  FAnimationFactor = 3.0f;
  FAnimationStep = 10.0f;
  FAnimate = true;
  FFill = std::make_unique<TBackgroundFill>();
  FFill->SetOnChange(TNotifyEvent::Bind(this, &TMarquee::FillChanged));
  FBullets = std::make_unique<TMarqueeBullets>(this);
  SetDoubleBuffered(true);
  SetBounds(Left(), Top(), 400, 20);
  // The timer is not one of the owner's components: it is part of the control and is
  // never written to a layout description.
  FAnimationTimer = std::make_unique<TTimer>(nullptr);
  FAnimationTimer->SetEnabled(false);
  FAnimationTimer->SetInterval(10);
  FAnimationTimer->SetOnTimer(TNotifyEvent::Bind(this, &TMarquee::TimerTick));
  SetTabStop(true);
  FDesignTime = designing();
  FPosition = 0.0f;
  FAnimationTimer->SetEnabled(true);
  if (FDesignTime) ApplyDefaultStyle();
}

TMarquee::~TMarquee() {
  FAnimationTimer.reset();
  FFill.reset();
  FBullets.reset();
}

void TMarquee::Assign(const TPersistent* source) {
  auto* m = dynamic_cast<const TMarquee*>(source);
  if (!m) {
    TCustomControl::Assign(source);
    return;
  }
  FBullets->Assign(m->FBullets.get());
  FFill->Assign(m->FFill.get());
  Invalidate();
}

void TMarquee::SetFill(const TBackgroundFill* v) {
  if (v && v != FFill.get()) FFill->Assign(v);
}

void TMarquee::SetBullets(const TMarqueeBullets* v) {
  if (v && v != FBullets.get()) FBullets->Assign(v);
  Invalidate();
}

void TMarquee::FillChanged(TObject*) {
  Invalidate();
}

void TMarquee::SetAnimationStretchFactor(float v) {
  FAnimationStretchFactor = v;
  Invalidate();
}

void TMarquee::SetAnimate(bool v) {
  FAnimate = v;
  if (FAnimationTimer) FAnimationTimer->SetEnabled(v);
  Invalidate();
}

void TMarquee::SetTransparent(bool v) {
  FTransparent = v;
  Invalidate();
}

// ---------------------------------------------------------------------------------------
// Motion

float TMarquee::RowWidth() const {
  const double n = FBullets->Count();
  return float(n * FBullets->Width() + (n * FBullets->Spacing() - 1));
}

float TMarquee::WrapBound() const {
  return float(Width()) / 2 + RowWidth() / 2;
}

void TMarquee::SetPosition(float v) {
  const float bound = WrapBound();
  if (std::isnan(v)) v = 0.0f;
  if (v > bound) v = -bound;
  // A row sent off to the left for good stays finite.
  if (std::isinf(v)) v = -std::numeric_limits<float>::max();
  FPosition = v;
  RequestRepaint();
}

void TMarquee::Step(float value) {
  SetPosition(FPosition + value);
}

// The target lies AnimationStep ahead of the current position and the row moves a third
// (1 / AnimationFactor) of the way there, at least 0.01 pixel; all in single precision.
void TMarquee::AnimationTick() {
  float p = FPosition;
  const float t = p + FAnimationStep;
  float s = std::fabs(p - t);
  // A factor of 0 would divide by zero; the row then jumps the whole step, as with 1.
  if (FAnimationFactor != 0.0f) s = s / FAnimationFactor;
  if (!std::isfinite(s)) s = std::fabs(p - t);
  const float epsilon = 0.01f;
  if (t - epsilon < p && p < t + epsilon) return;
  const float d = epsilon > s ? epsilon : s;
  if (p >= t)
    p = p - d;
  else
    p = p + d;
  SetPosition(p);
}

void TMarquee::TimerTick(TObject*) {
  if (FDesignTime) return;
  AnimationTick();
}

void TMarquee::RequestRepaint() {
  // A hidden or empty control has nothing to show; skipping the request keeps a hidden
  // animation nearly free.
  if (Width() <= 0 || Height() <= 0 || !Showing()) return;
  Invalidate();
}

// ---------------------------------------------------------------------------------------
// Styles

void TMarquee::ApplyDefaultStyle() {
  FFill->SetColor(TColor(0xFFFFFF));
  FFill->SetGradientType(gtSolid);
  FFill->SetBorderColor(TColor(0x908070));
  FBullets->SetColor(TColor(0x908070));
}

namespace {

struct StyleColors {
  uint32_t color, colorTo;
  bool mirror;  // false: no mirror (ColorMirror, ColorMirrorTo := clNone)
  uint32_t colorMirror, colorMirrorTo;
  int mirrorGradient;  // -1: unchanged
  int gradient;        // -1: unchanged
  uint32_t border, bulletBorder, bullet;
};

constexpr int kKeep = -1;
const StyleColors kStyles[ComponentStyleCount] = {
    {0xFDEADA, 0xE4AE88, false, 0, 0, kKeep, kKeep, 0xDFD2C5, 0xDFD2C5, 0x94E6FB},
    {0xF7F3F3, 0xE6D8D8, false, 0, 0, kKeep, kKeep, 0x927476, 0x927476, 0x94E6FB},
    {0xCFF0EA, 0x8CC0B1, false, 0, 0, kKeep, kKeep, 0x6B7760, 0x6B7760, 0x94E6FB},
    {0xFFFFFF, 0xC9D1D5, false, 0, 0, kKeep, kKeep, 0x808080, 0x808080, 0xB59285},
    {0xFAF1E9, 0xEDD8C7, true, 0xEDD8C7, 0xFFF2E7, gtVertical, gtVertical, 0xE3B28D, 0xE3B28D,
     0xAAD9FF},
    {0xCFC6C1, 0xC5BBB4, true, 0xC5BBB4, 0xECECE5, gtVertical, kKeep, 0x000000, 0x000000, 0xAAD9FF},
    {0xFF00000F, 0xFF00000F, false, 0, 0, kKeep, kKeep, 0x000000, 0x000000, 0xFF000003},
    {0xFFFFFF, 0xD9E9EC, false, 0, 0, kKeep, kKeep, 0x828F92, 0x828F92, 0x94E6FB},
    {0, 0, false, 0, 0, kKeep, kKeep, 0, 0, 0},  // tsCustom: no change
    {0xF6F1EE, 0xE7DCD5, true, 0xE7DCD5, 0xF4F4EE, gtVertical, kKeep, 0x74706F, 0x74706F, 0xAAD9FF},
    {0xFDF8F1, 0xFCEFD5, false, 0, 0, kKeep, kKeep, 0xFDDE99, 0xFDDE99, 0xFEF9F0},
    {0xFCEBDC, 0xFCDBC1, false, 0, 0, kKeep, kKeep, 0xCEA27D, 0xCEA27D, 0xFCEBDC},
    {0xFF00000F, 0xFF00000F, false, 0, 0, kKeep, kKeep, 0x000000, 0x000000, 0xFF00000D},
    {0xFDF6EF, 0xF0DAC7, false, 0, 0, kKeep, kKeep, 0xC7B29F, 0xC7B29F, 0x6CD0FF},
    {0xFFFFFF, 0xEDE5E0, false, 0, 0, kKeep, kKeep, 0xD2CDC8, 0xD2CDC8, 0x6CD0FF},
    {0xBFBFBF, 0x919191, false, 0, 0, kKeep, kKeep, 0x6D6D6D, 0x6D6D6D, 0x6CD0FF},
    {0xFFFFFF, 0xFFFFFF, false, 0, 0, kKeep, kKeep, 0xE4E3E2, 0xE4E3E2, 0xF7E0C9},
    {0xFFFFFF, 0xFFFFFF, false, 0, 0, kKeep, kKeep, 0xD4D4D4, 0xD4D4D4, 0xFCE2C8},
    {0xFFFFFF, 0xFFFFFF, false, 0, 0, kKeep, kKeep, 0xC6C6C6, 0xC6C6C6, 0xFCE2C8},
    {0xFFFFFF, 0xFFFFFF, false, 0, 0, kKeep, kKeep, 0xABABAB, 0xABABAB, 0xFCE2C8},
    {0xFFFFFF, 0xFFFFFF, false, 0, 0, kKeep, kKeep, 0xE4E3E2, 0xE4E3E2, 0xF7E0C9},
    {0xFFFFFF, 0xFFFFFF, false, 0, 0, kKeep, kKeep, 0xD4D4D4, 0xF2E1D5, 0xF2E1D5},
    {0xB2B2B2, 0xB2B2B2, false, 0, 0, kKeep, kKeep, 0x444444, 0xF2E1D5, 0xF2E1D5},
    {0x363636, 0x363636, false, 0, 0, kKeep, kKeep, 0x444444, 0x6A6A6A, 0x6A6A6A},
};

}  // namespace

// Every change goes through the fill's and the bullets' setters, each with its own
// notification.
void TMarquee::SetComponentStyle(TComponentStyle style) {
  FComponentStyle = uint8_t(style);
  if (style == tsCustom || int(style) >= ComponentStyleCount) return;
  const StyleColors& s = kStyles[style];
  FFill->SetColor(TColor(s.color));
  FFill->SetColorTo(TColor(s.colorTo));
  if (s.mirror) {
    FFill->SetColorMirror(TColor(s.colorMirror));
    FFill->SetColorMirrorTo(TColor(s.colorMirrorTo));
    if (s.mirrorGradient != kKeep) FFill->SetGradientMirrorType(TGradientType(s.mirrorGradient));
    if (s.gradient != kKeep) FFill->SetGradientType(TGradientType(s.gradient));
  } else {
    FFill->SetColorMirror(clNone);
    FFill->SetColorMirrorTo(clNone);
  }
  FFill->SetBorderColor(TColor(s.border));
  FBullets->SetBorderColor(TColor(s.bulletBorder));
  FBullets->SetColor(TColor(s.bullet));
}

void TMarquee::SetColorTones(const TColorTones& tones) {
  FFill->SetColor(tones.Background.BrushColor);
  FFill->SetColorTo(tones.Background.BrushColor);
  FFill->SetColorMirror(tones.Background.BrushColor);
  FFill->SetColorMirrorTo(tones.Background.BrushColor);
  FFill->SetBorderColor(tones.Background.BorderColor);
  FBullets->SetBorderColor(tones.Background.BorderColor);
  FBullets->SetColor(tones.Selected.BrushColor);
}

// ---------------------------------------------------------------------------------------
// Painting

TGPRectF TMarquee::BulletRect(int i) const {
  const int CW = Width(), CH = Height();
  const float N = float(FBullets->Count());
  const float BW = float(FBullets->Width()), BH = float(FBullets->Height());
  const float S = float(FBullets->Spacing());
  const float P = FPosition;
  const float SW = RowWidth() * FAnimationStretchFactor;
  const float L = (float(CW - 1) - SW) / 2;
  const float X0 = L + P;
  const float y = (float(CH - 1) - BH) / 2;
  // The displacement grows with P / CW; a control without width displaces nothing.
  const float pull = CW != 0 ? P / float(CW) : 0.0f;
  const float fi = float(i);
  float x = fi * BW + X0 + fi * S;
  if (x < L)
    x = x + std::fabs(x - L) * pull * (N - fi);
  else if (x > L + SW)
    x = x + std::fabs(x - L - SW) * pull * (fi + 1);
  return TGPRectF{x, y, BW, BH};
}

void TMarquee::PaintTo(TGPGraphics* g) {
  const int CW = Width(), CH = Height();
  if (!g || CW <= 0 || CH <= 0) return;
  g->SetSmoothingMode(SmoothingModeAntiAlias);
  if (!FTransparent)
    FFill->Fill(g, TGPRectF{0, 0, float(CW - 1), float(CH - 1)}, 255, 255, 255, 255, 255);

  const TMarqueeBullets& b = *FBullets;
  std::unique_ptr<TGPSolidBrush> brush;
  std::unique_ptr<TGPPen> pen;
  if (b.Color() != clNone)
    brush = std::make_unique<TGPSolidBrush>(ArgbFromColor(b.Opacity(), b.Color()));
  if (b.BorderColor() != clNone)
    pen = std::make_unique<TGPPen>(ArgbFromColor(b.BorderOpacity(), b.BorderColor()), 1.0f);
  if (!brush && !pen) return;
  const int n = b.Count();
  for (int i = 0; i < n; ++i) {
    const TGPRectF r = BulletRect(i);
    switch (b.Shape()) {
      case bsCustom:
        if (FOnCustomBulletShape) FOnCustomBulletShape(this, g, i, r);
        break;
      case bsEllipse:
        if (brush) g->FillEllipse(brush.get(), r);
        if (pen) g->DrawEllipse(pen.get(), r);
        break;
      case bsRectangle:
        if (brush) g->FillRectangle(brush.get(), r);
        if (pen) g->DrawRectangle(pen.get(), r);
        break;
      case bsTriangle: {
        TGPGraphicsPath path(FillModeAlternate);
        path.AddLine(r.X + r.Width / 2, r.Y, r.X + r.Width, r.Y + r.Height);
        path.AddLine(r.X + r.Width, r.Y + r.Height, r.X, r.Y + r.Height);
        path.CloseFigure();
        if (brush) g->FillPath(brush.get(), &path);
        if (pen) g->DrawPath(pen.get(), &path);
        break;
      }
    }
  }
}

void TMarquee::Paint() {
  TCustomControl::Paint();
  TCanvas* canvas = Canvas();
  if (!canvas) return;
  TGPGraphics g(canvas->Handle());
  PaintTo(&g);
}

void TMarquee::WndProc(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    PaintMessage(message);
    return;
  }
  TCustomControl::WndProc(message);
}

// With a device context given (the off-screen bitmap, or a caller's), the parent's
// background is painted into it first, shifted so that the parent's client coordinates
// land on this control: the parent's erase and its windowless children (the framework's
// paint message always paints on the window itself, so the parent's own Paint cannot be
// drawn into another context). Then the control paints. Without a context the paint goes
// through an off-screen bitmap copied to the window in one block.
void TMarquee::PaintMessage(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  if (dc && Parent()) {
    TPoint mine = ClientOrigin(), theirs = Parent()->ClientOrigin();
    int saved = SaveDC(dc);
    OffsetWindowOrgEx(dc, mine.x - theirs.x, mine.y - theirs.y, nullptr);
    Parent()->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    Parent()->PaintControls(dc, nullptr);
    RestoreDC(dc, saved);
  }
  if (dc) {
    PaintHandler(dc);
    message.Result = 0;
    return;
  }
  if (!DoubleBuffered() || !HandleAllocated()) {
    TCustomControl::WndProc(message);
    return;
  }
  const TRect client = ClientRect();
  const int w = RectWidth(client), h = RectHeight(client);
  PAINTSTRUCT ps{};
  HDC windowDC = BeginPaint(Handle(), &ps);
  if (w > 0 && h > 0 && windowDC) {
    HDC memDC = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = memDC ? CreateCompatibleBitmap(windowDC, w, h) : nullptr;
    if (memDC && bitmap) {
      HGDIOBJ old = SelectObject(memDC, bitmap);
      Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memDC), reinterpret_cast<LPARAM>(memDC));
      TMessage inner{WM_PAINT, reinterpret_cast<WPARAM>(memDC), 0, 0};
      PaintMessage(inner);
      BitBlt(windowDC, 0, 0, w, h, memDC, 0, 0, SRCCOPY);
      SelectObject(memDC, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memDC) DeleteDC(memDC);
  }
  EndPaint(Handle(), &ps);
  message.Result = 0;
}
