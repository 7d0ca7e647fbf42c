#include "controls/FlatPanel.h"

#include <algorithm>

#include "controls/Register.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace {

constexpr int kResizeEdge = 4;

TColor StepColor(TColor from, TColor to, int step, int steps) {
  if (steps <= 1) return from;
  const int weight = 255 - (255 * step) / (steps - 1);
  return kx::BlendColors(from, to, BYTE(weight));
}

void Fill(TCanvas* canvas, const TRect& r, TColor c) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  canvas->Brush()->SetColor(c);
  canvas->FillRect(r);
}

// One ring of `width` pixels: top and left in tl, bottom and right in br; shrinks r.
void Frame3D(TCanvas* canvas, TRect& r, TColor tl, TColor br, int width) {
  for (int i = 0; i < width && r.right > r.left && r.bottom > r.top; ++i) {
    Fill(canvas, Rect(r.left, r.top, r.right - 1, r.top + 1), tl);
    Fill(canvas, Rect(r.left, r.top, r.left + 1, r.bottom - 1), tl);
    Fill(canvas, Rect(r.right - 1, r.top, r.right, r.bottom), br);
    Fill(canvas, Rect(r.left, r.bottom - 1, r.right, r.bottom), br);
    r.left++, r.top++, r.right--, r.bottom--;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
void TPanelGrabHandle::Changed() {
  if (FOwner) FOwner->GrabHandlesChanged();
}
void TPanelGrabHandle::SetEnabled(bool v) {
  if (v != FEnabled) FEnabled = v, Changed();
}
void TPanelGrabHandle::SetSize(int v) {
  v = std::max(0, v);
  if (v != FSize) FSize = v, Changed();
}
void TPanelGrabHandle::SetBevelKind(TBevelStyle v) {
  if (v != FBevelKind) FBevelKind = v, Changed();
}
void TPanelGrabHandle::SetVisible(bool v) {
  if (v != FVisible) FVisible = v, Changed();
}

// ---------------------------------------------------------------------------------------
const TClassInfo* TCustomFlatPanel::StaticClass() {
  using P = TCustomFlatPanel;
  static const TClassInfo* info =
      TClassBuilder<P>("TCustomFlatPanel", TCustomPanel::StaticClass())
          .Color("Color", &P::Color, &P::SetColor, clBtnFace)
          .Enum("ThemeMode", &P::ThemeMode, &P::SetThemeMode, ThemeModeInfo(), ttmPlatform)
          .Bool("ThemeGlobalMode", &P::ThemeGlobalMode, &P::SetThemeGlobalMode, false)
          .Bool("TransparentXPThemes", &P::TransparentXPThemes, &P::SetTransparentXPThemes, true)
          .Bool("WordWrap", &P::WordWrap, &P::SetWordWrap, false)
          .Enum("Layout", &P::Layout, &P::SetLayout, TextLayoutInfo(), tlCenter)
          .Color("BorderColorShadow", &P::BorderColorShadow, &P::SetBorderColorShadow, clBtnShadow)
          .Color("BorderColorDkShadow", &P::BorderColorDkShadow, &P::SetBorderColorDkShadow,
                 cl3DDkShadow)
          .Color("BorderColorWindow", &P::BorderColorWindow, &P::SetBorderColorWindow, clWindow)
          .Color("BorderColorHighlight", &P::BorderColorHighlight, &P::SetBorderColorHighlight,
                 clBtnHighlight)
          .Color("BorderColorFace", &P::BorderColorFace, &P::SetBorderColorFace, clBtnFace)
          .Enum("BorderType", &P::BorderType, &P::SetBorderType, FlatBorderTypeInfo(), fbtSunken)
          .Set("BorderSides", &P::BorderSides, &P::SetBorderSides, BorderSideInfo(), allSides)
          .Enum("BorderStyle", &P::BorderStyle, &P::SetBorderStyle, BorderStyleInfo(), bsNone)
          .Enum("BevelInner", &P::BevelInner, &P::SetBevelInner, BevelStyleInfo(),
                TBevelStyle::bvNone)
          .Enum("BevelOuter", &P::BevelOuter, &P::SetBevelOuter, BevelStyleInfo(),
                TBevelStyle::bvRaised)
          .Integer("BevelWidth", &P::BevelWidth, &P::SetBevelWidth, 1)
          .Color("BevelSpaceColor", &P::BevelSpaceColor, &P::SetBevelSpaceColor, clBtnFace)
          .Bool("OwnerDraw", &P::OwnerDraw, &P::SetOwnerDraw, false)
          .Bool("AlwaysPaintBackground", &P::AlwaysPaintBackground, &P::SetAlwaysPaintBackground,
                false)
          .Enum("BackgroundType", &P::BackgroundType, &P::SetBackgroundType, BackgroundTypeInfo(),
                bgtColorFill)
          .Integer("GradientSteps", &P::GradientSteps, &P::SetGradientSteps, 16)
          .Color("GradientStartColor", &P::GradientStartColor, &P::SetGradientStartColor, clBtnFace)
          .Color("GradientEndColor", &P::GradientEndColor, &P::SetGradientEndColor, clBtnShadow)
          .Bool("Transparent", &P::Transparent, &P::SetTransparent, false)
          .Integer("AlphaLevel", &P::AlphaLevel, &P::SetAlphaLevel, 0)
          .Bool("Movable", &P::Movable, &P::SetMovable, false)
          .Bool("Resizable", &P::Resizable, &P::SetResizable, false)
          .Bool("SizeGrip", &P::SizeGrip, &P::SetSizeGrip, false)
          .Bool("ShowFocus", &P::ShowFocus, &P::SetShowFocus, false)
          .Event<TNotifyEvent>("OnPaint", &P::OnPaint, &P::SetOnPaint)
          .Event<TNotifyEvent>("OnMove", &P::OnMove, &P::SetOnMove)
          .Build();
  return info;
}

const TClassInfo* TFlatPanel::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TFlatPanel>("TFlatPanel", TCustomFlatPanel::StaticClass()).Factory().Build();
  return info;
}

TCustomFlatPanel::TCustomFlatPanel(TComponent* owner) : TCustomPanel(owner) {
  // First: the base's setters below realign, which asks for the adjusted client rectangle.
  for (auto& h : FGrabHandles)
    h = std::make_unique<TPanelGrabHandle>(this);
  // The framework panel's own bevels and frame stay off; this panel draws its own.
  TCustomPanel::SetBevelOuter(::bvNone);
  TCustomPanel::SetBevelInner(::bvNone);
  TCustomPanel::SetBorderStyle(bsNone);
  SetColor(clBtnFace);
  FBackground = std::make_unique<TBitmap>();
  for (auto& h : FGrabHandles)
    h = std::make_unique<TPanelGrabHandle>(this);
}

TCustomFlatPanel::~TCustomFlatPanel() = default;

// ---------------------------------------------------------------------------------------
// Properties

void TCustomFlatPanel::SetThemeMode(TThemeMode v) {
  if (v == FThemeMode) return;
  FThemeMode = v;
  Invalidate();
}
void TCustomFlatPanel::SetThemeGlobalMode(bool v) {
  if (v == FThemeGlobalMode) return;
  FThemeGlobalMode = v;
  Invalidate();
}
void TCustomFlatPanel::SetTransparentXPThemes(bool v) {
  if (v == FTransparentXPThemes) return;
  FTransparentXPThemes = v;
  Invalidate();
}
void TCustomFlatPanel::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  Invalidate();
}
void TCustomFlatPanel::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}
void TCustomFlatPanel::SetFrameColor(TColor& field, TColor v) {
  if (field == v) return;
  field = v;
  if (FBorderStyle != bsNone) Invalidate();
}
void TCustomFlatPanel::SetBorderType(TFlatBorderType v) {
  if (v == FBorderType) return;
  FBorderType = v;
  Invalidate();
}
void TCustomFlatPanel::SetBorderSides(TBorderSides v) {
  v &= allSides;
  if (v == FBorderSides) return;
  FBorderSides = v;
  Invalidate();
}
void TCustomFlatPanel::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  Invalidate();
}
void TCustomFlatPanel::SetBevelInner(TBevelStyle v) {
  if (v == FBevelInner) return;
  FBevelInner = v;
  Realign();
  Invalidate();
}
void TCustomFlatPanel::SetBevelOuter(TBevelStyle v) {
  if (v == FBevelOuter) return;
  FBevelOuter = v;
  Realign();
  Invalidate();
}
void TCustomFlatPanel::SetBevelWidth(int v) {
  v = std::max(1, v);
  if (v == FBevelWidth) return;
  FBevelWidth = v;
  Realign();
  Invalidate();
}
void TCustomFlatPanel::SetBevelSpaceColor(TColor v) {
  if (v == FBevelSpaceColor) return;
  FBevelSpaceColor = v;
  Invalidate();
}
void TCustomFlatPanel::SetOwnerDraw(bool v) {
  if (v == FOwnerDraw) return;
  FOwnerDraw = v;
  Invalidate();
}
void TCustomFlatPanel::SetAlwaysPaintBackground(bool v) {
  if (v == FAlwaysPaintBackground) return;
  FAlwaysPaintBackground = v;
  Invalidate();
}
void TCustomFlatPanel::SetBackgroundType(TBackgroundType v) {
  if (v == FBackgroundType) return;
  FBackgroundType = v;
  Invalidate();
}
void TCustomFlatPanel::SetGradientSteps(int v) {
  v = std::clamp(v, 1, 256);
  if (v == FGradientSteps) return;
  FGradientSteps = v;
  Invalidate();
}
void TCustomFlatPanel::SetGradientStartColor(TColor v) {
  if (v == FGradientStartColor) return;
  FGradientStartColor = v;
  Invalidate();
}
void TCustomFlatPanel::SetGradientEndColor(TColor v) {
  if (v == FGradientEndColor) return;
  FGradientEndColor = v;
  Invalidate();
}
void TCustomFlatPanel::SetBackground(const TBitmap* v) {
  if (v)
    FBackground->Assign(v);
  else
    FBackground = std::make_unique<TBitmap>();
  Invalidate();
}
void TCustomFlatPanel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  // The transparent window style is a creation parameter.
  if (HandleAllocated()) RecreateWnd();
  Invalidate();
}
void TCustomFlatPanel::SetAlphaLevel(BYTE v) {
  if (v == FAlphaLevel) return;
  FAlphaLevel = v;
  Invalidate();
}
void TCustomFlatPanel::SetResizable(bool v) {
  if (v == FResizable) return;
  FResizable = v;
  Invalidate();
}
void TCustomFlatPanel::SetSizeGrip(bool v) {
  if (v == FSizeGrip) return;
  FSizeGrip = v;
  Invalidate();
}
void TCustomFlatPanel::SetShowFocus(bool v) {
  if (v == FShowFocus) return;
  FShowFocus = v;
  Invalidate();
}
void TCustomFlatPanel::GrabHandlesChanged() {
  Realign();
  Invalidate();
}

// ---------------------------------------------------------------------------------------
// Layout and life cycle

void TCustomFlatPanel::AdjustClientRect(TRect& rect) {
  TCustomPanel::AdjustClientRect(rect);
  auto counts = [](TBevelStyle s) {
    return s == TBevelStyle::bvLowered || s == TBevelStyle::bvRaised || s == TBevelStyle::bvSpace;
  };
  int inset = 0;
  if (counts(FBevelOuter)) inset += FBevelWidth;
  if (counts(FBevelInner)) inset += FBevelWidth;
  rect.left += inset, rect.top += inset, rect.right -= inset, rect.bottom -= inset;
  if (FGrabHandles[gsTop]->Active()) rect.top += FGrabHandles[gsTop]->Size();
  if (FGrabHandles[gsRight]->Active()) rect.right -= FGrabHandles[gsRight]->Size();
  if (FGrabHandles[gsLeft]->Active()) rect.left += FGrabHandles[gsLeft]->Size();
  if (FGrabHandles[gsBottom]->Active()) rect.bottom -= FGrabHandles[gsBottom]->Size();
  rect.right = std::max(rect.right, rect.left);
  rect.bottom = std::max(rect.bottom, rect.top);
}

void TCustomFlatPanel::CreateParams(TCreateParams& params) {
  TCustomPanel::CreateParams(params);
  if (FTransparent && !Themed())
    params.ExStyle |= WS_EX_TRANSPARENT;
  else
    params.ExStyle &= ~DWORD(WS_EX_TRANSPARENT);
}

void TCustomFlatPanel::Loaded() {
  TCustomPanel::Loaded();
  if (FOwnerDraw || FTransparent) Invalidate();
}

void TCustomFlatPanel::Resize() {
  FSize = TSize{Width(), Height()};
  TCustomPanel::Resize();
  Invalidate();
}

// ---------------------------------------------------------------------------------------
// Painting

void TCustomFlatPanel::PaintHandler(HDC dc) {
  const TRect client = ClientRect();
  const int w = RectWidth(client), h = RectHeight(client);
  if (w <= 0 || h <= 0) return;
  RECT clip{};
  if (GetClipBox(dc, &clip) == NULLREGION || clip.right <= clip.left) clip = client;
  TBitmap bitmap(w, h);
  HDC mem = bitmap.Canvas()->Handle();
  // A transparent panel starts from what its parent painted beneath it.
  if (FTransparent && !Themed()) BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  const int saved = SaveDC(mem);
  IntersectClipRect(mem, clip.left, clip.top, clip.right, clip.bottom);
  FOffscreen = true;
  EraseBackground(mem);
  if (FTransparent && !Themed() && FAlphaLevel > 0) {
    const COLORREF c = ColorToRGB(Color());
    const unsigned a = FAlphaLevel;
    for (int y = clip.top; y < clip.bottom && y < h; ++y) {
      uint32_t* row = bitmap.ScanLine(y);
      if (!row) continue;
      for (int x = std::max(0, int(clip.left)); x < clip.right && x < w; ++x) {
        const uint32_t p = row[x];
        const unsigned r = (GetRValue(c) * a + ((p >> 16) & 0xFF) * (255 - a)) / 255;
        const unsigned g = (GetGValue(c) * a + ((p >> 8) & 0xFF) * (255 - a)) / 255;
        const unsigned b = (GetBValue(c) * a + (p & 0xFF) * (255 - a)) / 255;
        row[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
      }
    }
  }
  PaintWindow(mem);
  PaintControls(mem, nullptr);
  FOffscreen = false;
  RestoreDC(mem, saved);
  BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, mem, clip.left,
         clip.top, SRCCOPY);
}

bool TCustomFlatPanel::EraseBackground(HDC dc) {
  // The paint erases on its off-screen bitmap; an erase of the window itself would only
  // flicker.
  if (!FOffscreen) return true;
  const TRect client = ClientRect();
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
  if (Themed()) {
    if (!FTransparentXPThemes) FillRect(dc, &client, brush);
  } else if (!FTransparent) {
    switch (FBackgroundType) {
      case bgtTileBitmap:
      case bgtStretchBitmap:
      case bgtHorzGradient:
      case bgtVertGradient:
        break;
      default:
        FillRect(dc, &client, brush);
    }
  }
  DeleteObject(brush);
  return true;
}

void TCustomFlatPanel::Paint() {
  TRect r = Canvas()->ClipRect();
  if (r.right <= r.left || r.bottom <= r.top) r = ClientRect();
  DrawPanel(r);
}

TRect TCustomFlatPanel::BackgroundRect() const {
  return ClientRect();
}

void TCustomFlatPanel::PaintGradient(TCanvas* canvas, const TRect& c) {
  const int W = RectWidth(c), H = RectHeight(c), n = FGradientSteps;
  const TColor a = FGradientStartColor, b = FGradientEndColor;
  for (int i = 0; i < n; ++i) {
    const TColor col = StepColor(a, b, i, n);
    const int x0 = c.left + W * i / n, x1 = c.left + W * (i + 1) / n;
    const int y0 = c.top + H * i / n, y1 = c.top + H * (i + 1) / n;
    // The shrinking shapes are drawn largest first; the bands are what each leaves.
    const int dx = W * i / (2 * n), dy = H * i / (2 * n);
    const int cw = W - W * i / n, ch = H - H * i / n;
    switch (FBackgroundType) {
      case bgtHorzGradient:
        Fill(canvas, Rect(x0, c.top, x1, c.bottom), col);
        break;
      case bgtVertGradient:
        Fill(canvas, Rect(c.left, y0, c.right, y1), col);
        break;
      case bgtSquareGradient:
        Fill(canvas, Rect(c.left + dx, c.top + dy, c.right - dx, c.bottom - dy), col);
        break;
      case bgtEllipticGradient:
        if (i == 0) Fill(canvas, c, col);
        canvas->Brush()->SetColor(col);
        canvas->Pen()->SetStyle(psClear);
        canvas->Ellipse(c.left + dx, c.top + dy, c.right - dx + 1, c.bottom - dy + 1);
        canvas->Pen()->SetStyle(psSolid);
        break;
      case bgtTopLeftGradient:
        Fill(canvas, Rect(c.right - cw, c.bottom - ch, c.right, c.bottom), col);
        break;
      case bgtTopRightGradient:
        Fill(canvas, Rect(c.left, c.bottom - ch, c.left + cw, c.bottom), col);
        break;
      case bgtBottomLeftGradient:
        Fill(canvas, Rect(c.right - cw, c.top, c.right, c.top + ch), col);
        break;
      case bgtBottomRightGradient:
        Fill(canvas, Rect(c.left, c.top, c.left + cw, c.top + ch), col);
        break;
      case bgtTopLeftDiagonalGradient:
      case bgtTopRightDiagonalGradient: {
        // Bands across the diagonal: polygons between two parallel lines.
        const bool fromLeft = FBackgroundType == bgtTopLeftDiagonalGradient;
        const int s0 = (W + H) * i / n, s1 = (W + H) * (i + 1) / n;
        auto pt = [&](int s, bool alongTop) {
          // The point at distance s along the top (then right) or left (then bottom) edge.
          if (alongTop) {
            const int x = std::min(s, W), y = s - x;
            return fromLeft ? Point(c.left + x, c.top + y) : Point(c.right - x, c.top + y);
          }
          const int y = std::min(s, H), x = s - y;
          return fromLeft ? Point(c.left + x, c.top + y) : Point(c.right - x, c.top + y);
        };
        const TPoint poly[4] = {pt(s0, true), pt(s1, true), pt(s1, false), pt(s0, false)};
        canvas->Brush()->SetColor(col);
        canvas->Pen()->SetColor(col);
        canvas->Polygon(poly, 4);
        break;
      }
      default:
        break;
    }
  }
}

void TCustomFlatPanel::PaintBackground(TCanvas* canvas, const TRect& rect) {
  const TRect client = BackgroundRect();
  TBitmap* pic = FBackground.get();
  const bool hasPic = pic && !pic->Empty();
  switch (FBackgroundType) {
    case bgtColorFill:
      Fill(canvas, rect, Color());
      break;
    case bgtTileBitmap:
    case bgtStretchBitmap:
    case bgtCenterBitmap:
    case bgtTopLeftBitmap:
      if (!hasPic) {
        Fill(canvas, rect, Color());
        break;
      }
      if (FBackgroundType != bgtTileBitmap && FBackgroundType != bgtStretchBitmap)
        Fill(canvas, rect, Color());
      if (FBackgroundType == bgtTileBitmap) {
        for (int y = 0; y < client.bottom; y += pic->Height())
          for (int x = 0; x < client.right; x += pic->Width())
            canvas->Draw(x, y, pic);
      } else if (FBackgroundType == bgtStretchBitmap) {
        canvas->StretchDraw(client, pic);
      } else if (FBackgroundType == bgtCenterBitmap) {
        canvas->Draw((RectWidth(client) - pic->Width()) / 2,
                     (RectHeight(client) - pic->Height()) / 2, pic);
      } else {
        canvas->Draw(0, 0, pic);
      }
      break;
    default:
      PaintGradient(canvas, client);
      break;
  }
}

void TCustomFlatPanel::DrawBevel(TCanvas* canvas, TRect& r, TBevelStyle style, int width) {
  const TColor hi = clBtnHighlight, sh = clBtnShadow;
  switch (style) {
    case TBevelStyle::bvNone:
      break;
    case TBevelStyle::bvLowered:
      Frame3D(canvas, r, sh, hi, width);
      break;
    case TBevelStyle::bvRaised:
    case TBevelStyle::bvNormal:
      Frame3D(canvas, r, hi, sh, width);
      break;
    case TBevelStyle::bvSpace:
      Frame3D(canvas, r, FBevelSpaceColor, FBevelSpaceColor, width);
      break;
    case TBevelStyle::bvFrameLowered:
      Frame3D(canvas, r, sh, hi, 1);
      Frame3D(canvas, r, hi, sh, std::max(1, width - 1));
      break;
    case TBevelStyle::bvFrameRaised:
      Frame3D(canvas, r, hi, sh, 1);
      Frame3D(canvas, r, sh, hi, std::max(1, width - 1));
      break;
    case TBevelStyle::bvShadow:
      Frame3D(canvas, r, Color(), sh, width);
      break;
    case TBevelStyle::bvFlat:
      Frame3D(canvas, r, sh, sh, width);
      break;
  }
}

void TCustomFlatPanel::DrawPanel(TRect rect) {
  TCanvas* canvas = Canvas();
  const bool themed = Themed();
  const bool paintBackground = !FOwnerDraw || FAlwaysPaintBackground;
  if (themed) {
    if (!FTransparentXPThemes) Fill(canvas, rect, Color());
  } else if (!FTransparent && paintBackground) {
    PaintBackground(canvas, rect);
  }

  TRect r = ClientRect();
  if (FBorderStyle != bsNone) {
    r = DrawFlatFrame(canvas->Handle(), r, FColors.Face, Color(), Focused(), Enabled(),
                      FBorderSides, FBorderType, FColors);
  }
  DrawBevel(canvas, r, FBevelOuter, FBevelWidth);
  if (themed && FBevelOuter == TBevelStyle::bvNone)
    r.left += FBevelWidth, r.top += FBevelWidth, r.right -= FBevelWidth, r.bottom -= FBevelWidth;
  DrawBevel(canvas, r, FBevelInner, FBevelWidth);

  // Grab handles: top, right, left, bottom.
  for (int side = 0; side < 4; ++side) {
    const TPanelGrabHandle* g = FGrabHandles[size_t(side)].get();
    if (!g->Active() || g->BevelKind() == TBevelStyle::bvNone) continue;
    TRect hr = r;
    switch (side) {
      case gsTop:
        hr.bottom = r.top + g->Size(), r.top = hr.bottom;
        break;
      case gsRight:
        hr.left = r.right - g->Size(), r.right = hr.left;
        break;
      case gsLeft:
        hr.right = r.left + g->Size(), r.left = hr.right;
        break;
      case gsBottom:
        hr.top = r.bottom - g->Size(), r.bottom = hr.top;
        break;
    }
    DrawBevel(canvas, hr, g->BevelKind(), 1);
  }

  if (!FOwnerDraw) {
    const TUnicodeString& caption = Caption();
    if (!caption.empty() && ShowCaption()) {
      canvas->Brush()->SetStyle(bsClear);
      canvas->Font()->Assign(Font());
      UINT align = DT_LEFT;
      if (Alignment() == taRightJustify) align = DT_RIGHT;
      if (Alignment() == taCenter) align = DT_CENTER;
      TRect cr = r;
      if (FLayout != tlTop) {
        TRect m = r;
        canvas->DrawText(m, caption, DT_CALCRECT | DT_EXPANDTABS | align);
        if (FWordWrap && RectWidth(m) > Width()) {
          m = r;
          canvas->DrawText(m, caption, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | align);
        }
        const int free = RectHeight(r) - RectHeight(m);
        cr.top += FLayout == tlBottom ? free : free / 2;
      }
      canvas->DrawText(cr, caption, align | DT_EXPANDTABS | (FWordWrap ? UINT(DT_WORDBREAK) : 0u));
      if (FShowFocus && Focused()) canvas->DrawFocusRect(r);
    }
  } else {
    DoPaint();
  }

  if (FSizeGrip && FResizable) {
    const int gs = GetSystemMetrics(SM_CXVSCROLL);
    const TRect c = ClientRect();
    SizeGripRect = Rect(c.right - gs, c.bottom - gs, c.right, c.bottom);
    // Three pairs of diagonal strokes, as the classic grip.
    for (int i = 0; i < 3; ++i) {
      const int o = 4 * i + 3;
      canvas->Pen()->SetColor(clBtnHighlight);
      canvas->MoveTo(c.right - o - 1, c.bottom - 1);
      canvas->LineTo(c.right, c.bottom - o - 2);
      canvas->Pen()->SetColor(clBtnShadow);
      canvas->MoveTo(c.right - o, c.bottom - 1);
      canvas->LineTo(c.right, c.bottom - o - 1);
      canvas->MoveTo(c.right - o + 1, c.bottom - 1);
      canvas->LineTo(c.right, c.bottom - o);
    }
  }
}

void TCustomFlatPanel::DoPaint() {
  if (FOnPaint) FOnPaint(this);
}

void TCustomFlatPanel::DoMove() {
  if (FOnMove) FOnMove(this);
}

// ---------------------------------------------------------------------------------------
// Mouse and focus

void TCustomFlatPanel::MouseEnter() {
  FMouseInControl = true;
  TCustomPanel::MouseEnter();
}

void TCustomFlatPanel::MouseLeave() {
  FMouseInControl = false;
  TCustomPanel::MouseLeave();
}

void TCustomFlatPanel::DoEnter() {
  if (FShowFocus || FBorderStyle != bsNone) Invalidate();
  TCustomPanel::DoEnter();
}

void TCustomFlatPanel::DoExit() {
  if (FShowFocus || FBorderStyle != bsNone) Invalidate();
  TCustomPanel::DoExit();
}

TCustomFlatPanel::TDrag TCustomFlatPanel::DragKindAt(int x, int y) const {
  const TRect c = ClientRect();
  if (FResizable) {
    if (FSizeGrip && x >= SizeGripRect.left && y >= SizeGripRect.top && x < c.right &&
        y < c.bottom && RectWidth(SizeGripRect) > 0)
      return TDrag::Corner;
    const bool right = x >= c.right - kResizeEdge, bottom = y >= c.bottom - kResizeEdge;
    if (right && bottom) return TDrag::Corner;
    if (right) return TDrag::Right;
    if (bottom) return TDrag::Bottom;
  }
  auto in = [&](TGrabSide side, bool hit) {
    const TPanelGrabHandle* g = FGrabHandles[side].get();
    return g->Active() && hit ? g->Kind() : ghkNone;
  };
  const TPanelGrabHandleKind kinds[4] = {
      in(gsTop, y < FGrabHandles[gsTop]->Size()),
      in(gsRight, x >= c.right - FGrabHandles[gsRight]->Size()),
      in(gsLeft, x < FGrabHandles[gsLeft]->Size()),
      in(gsBottom, y >= c.bottom - FGrabHandles[gsBottom]->Size())};
  const TDrag resize[4] = {TDrag::Top, TDrag::Right, TDrag::Left, TDrag::Bottom};
  for (int i = 0; i < 4; ++i) {
    if (kinds[i] == ghkMove || kinds[i] == ghkMoveParent) return TDrag::Move;
    if (kinds[i] == ghkResize) return resize[i];
  }
  return FMovable ? TDrag::Move : TDrag::None;
}

void TCustomFlatPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    FDrag = DragKindAt(x, y);
    if (FDrag != TDrag::None) {
      FSizeMoveRect = BoundsRect();
      FDragStart = ClientToScreen(Point(x, y));
      if (FDrag == TDrag::Move) BringToFront();
    }
  }
  TCustomPanel::MouseDown(button, shift, x, y);
}

void TCustomFlatPanel::MouseMove(TShiftState shift, int x, int y) {
  if (FDrag != TDrag::None && HasShift(shift, ssLeft)) {
    const TPoint p = ClientToScreen(Point(x, y));
    const int dx = p.x - FDragStart.x, dy = p.y - FDragStart.y;
    const TRect s = FSizeMoveRect;
    const int minSize = 2 * kResizeEdge;
    switch (FDrag) {
      case TDrag::Move:
        SetBounds(s.left + dx, s.top + dy, RectWidth(s), RectHeight(s));
        break;
      case TDrag::Right:
        SetBounds(s.left, s.top, std::max(minSize, RectWidth(s) + dx), RectHeight(s));
        break;
      case TDrag::Bottom:
        SetBounds(s.left, s.top, RectWidth(s), std::max(minSize, RectHeight(s) + dy));
        break;
      case TDrag::Corner:
        SetBounds(s.left, s.top, std::max(minSize, RectWidth(s) + dx),
                  std::max(minSize, RectHeight(s) + dy));
        break;
      case TDrag::Left: {
        const int w = std::max(minSize, RectWidth(s) - dx);
        SetBounds(s.right - w, s.top, w, RectHeight(s));
        break;
      }
      case TDrag::Top: {
        const int h = std::max(minSize, RectHeight(s) - dy);
        SetBounds(s.left, s.bottom - h, RectWidth(s), h);
        break;
      }
      default:
        break;
    }
  }
  TCustomPanel::MouseMove(shift, x, y);
}

void TCustomFlatPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FDrag != TDrag::None) {
    const bool moved = FSizeMoveRect.left != Left() || FSizeMoveRect.top != Top();
    FDrag = TDrag::None;
    if (moved) {
      DoMove();
      if (Parent()) Parent()->Realign();
    }
  }
  TCustomPanel::MouseUp(button, shift, x, y);
}
