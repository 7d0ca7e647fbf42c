// Colours, fonts, brushes and pens.
#include "framework/Graphics.h"

#include <algorithm>
#include <cmath>

namespace {

// Windows' MulDiv: rounded to nearest, halves away from zero.
int MulDiv(int v, int num, int den) {
  if (den == 0) return -1;
  double r = double(v) * num / den;
  return int(r < 0 ? -std::floor(-r + 0.5) : std::floor(r + 0.5));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Colours

COLORREF ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return kx::SysColor(int(uint32_t(color) & 0xFF));
  return COLORREF(uint32_t(color));
}

namespace kx {
TColor BlendColors(TColor a, TColor b, BYTE weight) {
  COLORREF ca = ColorToRGB(a) & 0xFFFFFF, cb = ColorToRGB(b) & 0xFFFFFF;
  auto mix = [weight](int x, int y) { return (x * weight + y * (255 - weight) + 127) / 255; };
  return TColor(RGB(mix(GetRValue(ca), GetRValue(cb)), mix(GetGValue(ca), GetGValue(cb)),
                    mix(GetBValue(ca), GetBValue(cb))));
}
}  // namespace kx

// ---------------------------------------------------------------------------------------
// TGraphicsObject

TGraphicsObject::~TGraphicsObject() {
  ReleaseHandle();
}

void TGraphicsObject::ReleaseHandle() {
  if (FHandle && FOwnsHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  FOwnsHandle = true;
}

void TGraphicsObject::Changed() {
  ReleaseHandle();
  FOnChange(this);
}

const TEnumInfo* FontPitchInfo() {
  static const TEnumInfo info("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  return &info;
}

const TEnumInfo* BrushStyleInfo() {
  static const TEnumInfo info("TBrushStyle", {"bsSolid", "bsClear"});
  return &info;
}

const TEnumInfo* PenStyleInfo() {
  static const TEnumInfo info(
      "TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear"});
  return &info;
}

// ---------------------------------------------------------------------------------------
// TFont

const TClassInfo* TFont::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TFont>("TFont", TPersistent::StaticClass())
          .Integer("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET, CharsetIdents())
          .Color("Color", &TFont::Color, &TFont::SetColor, clWindowText)
          .Integer("Height", &TFont::Height, &TFont::SetHeight)
          .String("Name", &TFont::Name, &TFont::SetName)
          .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, FontPitchInfo(), fpDefault)
          // Size is the same value as Height: readable, never written.
          .Integer("Size", &TFont::Size, &TFont::SetSize)
          .Stored([](const TFont&) { return false; })
          .Set("Style", &TFont::Style, &TFont::SetStyle, FontStyleInfo(), TFontStyles())
          .Build();
  return info;
}

TFont::TFont()
    : FName(u"Tahoma"),
      FHeight(-11),
      FColor(clWindowText),
      FCharset(DEFAULT_CHARSET),
      FPitch(fpDefault) {}

void TFont::Assign(const TPersistent* source) {
  const auto* f = dynamic_cast<const TFont*>(source);
  if (!f) {
    TPersistent::Assign(source);
    return;
  }
  if (f == this) return;
  bool same = FName == f->FName && FHeight == f->FHeight && FStyle == f->FStyle &&
              FColor == f->FColor && FCharset == f->FCharset && FPitch == f->FPitch;
  if (same) return;
  FName = f->FName;
  FHeight = f->FHeight;
  FStyle = f->FStyle;
  FColor = f->FColor;
  FCharset = f->FCharset;
  FPitch = f->FPitch;
  Changed();
}

void TFont::SetName(const TFontName& v) {
  // Names longer than a face name are cut, as the platform does.
  TFontName n = v.substr(0, LF_FACESIZE - 1);
  if (n == FName) return;
  FName = n;
  Changed();
}

void TFont::SetHeight(int v) {
  if (v == FHeight) return;
  FHeight = v;
  Changed();
}

int TFont::Size() const {
  return -MulDiv(FHeight, 72, PixelsPerInch());
}

void TFont::SetSize(int v) {
  SetHeight(-MulDiv(v, PixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}

void TFont::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  // The colour is not part of the font handle; only listeners need to know.
  TNotifyEvent e = OnChange();
  e(this);
}

void TFont::SetCharset(TFontCharset v) {
  if (v == FCharset) return;
  FCharset = v;
  Changed();
}

void TFont::SetPitch(TFontPitch v) {
  if (v == FPitch) return;
  FPitch = v;
  Changed();
}

LOGFONTW TFont::LogFont() const {
  LOGFONTW lf;
  lf.lfHeight = FHeight;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic);
  lf.lfUnderline = FStyle.Contains(fsUnderline);
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  lf.lfCharSet = FCharset;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = FPitch == fpFixed      ? FIXED_PITCH
                        : FPitch == fpVariable ? VARIABLE_PITCH
                                               : DEFAULT_PITCH;
  size_t n = std::min<size_t>(FName.size(), LF_FACESIZE - 1);
  std::copy(FName.begin(), FName.begin() + ptrdiff_t(n), lf.lfFaceName);
  lf.lfFaceName[n] = 0;
  return lf;
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTW lf = LogFont();
    FHandle = CreateFontIndirectW(&lf);
    FOwnsHandle = true;
  }
  return static_cast<HFONT>(FHandle);
}

// ---------------------------------------------------------------------------------------
// TBrush

const TClassInfo* TBrush::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TBrush>("TBrush", TPersistent::StaticClass())
          .Color("Color", &TBrush::Color, &TBrush::SetColor, clWhite)
          .Enum("Style", &TBrush::Style, &TBrush::SetStyle, BrushStyleInfo(), bsSolid)
          .Build();
  return info;
}

TBrush::TBrush() : FColor(clWhite), FStyle(bsSolid) {}

void TBrush::Assign(const TPersistent* source) {
  const auto* b = dynamic_cast<const TBrush*>(source);
  if (!b) {
    TPersistent::Assign(source);
    return;
  }
  if (b == this || (b->FColor == FColor && b->FStyle == FStyle)) return;
  FColor = b->FColor;
  FStyle = b->FStyle;
  Changed();
}

void TBrush::SetColor(TColor v) {
  if (v == FColor && FStyle == bsSolid) return;
  FColor = v;
  FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    if (FStyle == bsClear) {
      FHandle = GetStockObject(NULL_BRUSH);
      FOwnsHandle = false;
    } else {
      FHandle = CreateSolidBrush(ColorToRGB(FColor));
      FOwnsHandle = true;
    }
  }
  return static_cast<HBRUSH>(FHandle);
}

// ---------------------------------------------------------------------------------------
// TPen

const TClassInfo* TPen::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TPen>("TPen", TPersistent::StaticClass())
          .Color("Color", &TPen::Color, &TPen::SetColor, clBlack)
          .Enum("Style", &TPen::Style, &TPen::SetStyle, PenStyleInfo(), psSolid)
          .Integer("Width", &TPen::Width, &TPen::SetWidth, 1)
          .Build();
  return info;
}

TPen::TPen() : FColor(clBlack), FWidth(1), FStyle(psSolid) {}

void TPen::Assign(const TPersistent* source) {
  const auto* p = dynamic_cast<const TPen*>(source);
  if (!p) {
    TPersistent::Assign(source);
    return;
  }
  if (p == this || (p->FColor == FColor && p->FWidth == FWidth && p->FStyle == FStyle)) return;
  FColor = p->FColor;
  FWidth = p->FWidth;
  FStyle = p->FStyle;
  Changed();
}

void TPen::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}

void TPen::SetWidth(int v) {
  v = std::max(0, v);
  if (v == FWidth) return;
  FWidth = v;
  Changed();
}

void TPen::SetStyle(TPenStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}

HPEN TPen::Handle() {
  if (!FHandle) {
    int style = FStyle == psClear ? PS_NULL : int(FStyle);
    FHandle = CreatePen(style, std::max(1, FWidth), ColorToRGB(FColor));
    FOwnsHandle = true;
  }
  return static_cast<HPEN>(FHandle);
}

void RegisterGraphicsClasses() {
  TFont::StaticClass();
  TBrush::StaticClass();
  TPen::StaticClass();
}
