// TCanvas: drawing with a font, brush and pen on a device context.
#include "framework/Graphics.h"

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()),
      FBrush(std::make_unique<TBrush>()),
      FPen(std::make_unique<TPen>()) {}

TCanvas::~TCanvas() {
  RestoreOriginals();
}

HDC TCanvas::Handle() {
  if (!FHandle) CreateHandle();
  return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == FHandle) return;
  RestoreOriginals();
  FHandle = dc;
}

void TCanvas::RestoreOriginals() {
  // The DC may outlive the canvas: it gets back what it had, so that our objects can go.
  if (FHandle) {
    if (FOrigFont) SelectObject(FHandle, FOrigFont);
    if (FOrigBrush) SelectObject(FHandle, FOrigBrush);
    if (FOrigPen) SelectObject(FHandle, FOrigPen);
  }
  FOrigFont = FOrigBrush = FOrigPen = nullptr;
}

void TCanvas::RequireState() {
  HDC dc = Handle();
  if (!dc) return;
  HGDIOBJ f = FFont->Handle();
  if (GetCurrentObject(dc, OBJ_FONT) != f) {
    HGDIOBJ old = SelectObject(dc, f);
    if (!FOrigFont) FOrigFont = old;
  }
  HGDIOBJ b = FBrush->Handle();
  if (GetCurrentObject(dc, OBJ_BRUSH) != b) {
    HGDIOBJ old = SelectObject(dc, b);
    if (!FOrigBrush) FOrigBrush = old;
  }
  HGDIOBJ p = FPen->Handle();
  if (GetCurrentObject(dc, OBJ_PEN) != p) {
    HGDIOBJ old = SelectObject(dc, p);
    if (!FOrigPen) FOrigPen = old;
  }
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  if (FBrush->Style() == bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(FBrush->Color()));
  }
}

void TCanvas::TextOut(int x, int y, const TUnicodeString& text) {
  RequireState();
  HDC dc = Handle();
  TextOutW(dc, x, y, text.c_str(), int(text.size()));
  SIZE sz;
  GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &sz);
  MoveToEx(dc, x + sz.cx, y, nullptr);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const TUnicodeString& text) {
  RequireState();
  UINT options = ETO_CLIPPED;
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutW(Handle(), x, y, options, &rect, text.c_str(), UINT(text.size()), nullptr);
}

int TCanvas::DrawText(TRect& rect, const TUnicodeString& text, UINT flags) {
  RequireState();
  return DrawTextW(Handle(), text.c_str(), int(text.size()), &rect, flags);
}

TSize TCanvas::TextExtent(const TUnicodeString& text) {
  RequireState();
  SIZE sz;
  if (!GetTextExtentPoint32W(Handle(), text.c_str(), int(text.size()), &sz)) return TSize{};
  return sz;
}

TEXTMETRICW TCanvas::TextMetrics() {
  RequireState();
  TEXTMETRICW tm;
  GetTextMetricsW(Handle(), &tm);
  return tm;
}

void TCanvas::FillRect(const TRect& rect) {
  RequireState();
  ::FillRect(Handle(), &rect, FBrush->Handle());
}

void TCanvas::FrameRect(const TRect& rect) {
  RequireState();
  ::FrameRect(Handle(), &rect, FBrush->Handle());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  RequireState();
  ::Rectangle(Handle(), left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  RequireState();
  ::Ellipse(Handle(), left, top, right, bottom);
}

void TCanvas::Polyline(const TPoint* points, int count) {
  RequireState();
  ::Polyline(Handle(), points, count);
}

void TCanvas::Polygon(const TPoint* points, int count) {
  RequireState();
  ::Polygon(Handle(), points, count);
}

void TCanvas::MoveTo(int x, int y) {
  RequireState();
  MoveToEx(Handle(), x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequireState();
  ::LineTo(Handle(), x, y);
}

TPoint TCanvas::PenPos() {
  TPoint p{0, 0};
  if (HDC dc = Handle()) GetCurrentPositionEx(dc, &p);
  return p;
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  RequireState();
  ::DrawFocusRect(Handle(), &rect);
}

TColor TCanvas::Pixels(int x, int y) {
  HDC dc = Handle();
  COLORREF c = dc ? GetPixel(dc, x, y) : CLR_INVALID;
  return c == CLR_INVALID ? clNone : TColor(c);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  if (HDC dc = Handle()) SetPixel(dc, x, y, ColorToRGB(color));
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  graphic->Draw(this, TRect{x, y, x + graphic->Width(), y + graphic->Height()});
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  graphic->Draw(this, rect);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
  if (!source) return;
  RequireState();
  HDC dc = Handle();
  HDC src = source->Handle();
  if (!dc || !src) return;
  StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, src,
             sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
             sourceRect.bottom - sourceRect.top, FCopyMode);
}

TRect TCanvas::ClipRect() {
  TRect r{0, 0, 0, 0};
  if (HDC dc = Handle()) GetClipBox(dc, &r);
  return r;
}
