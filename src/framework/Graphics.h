// The framework's graphics objects: colours, fonts, brushes, pens, the canvas, bitmaps and
// pictures, over the platform's device contexts (platform/gdi/Gdi.h).
//
// Fonts, brushes and pens are value-like persistent objects that create their platform
// handle lazily and drop it when a property changes; each change raises OnChange. A canvas
// draws on a device context with its own Font, Brush and Pen and selects their current
// handles before each operation, so changing them between calls is enough.
#pragma once

#include <memory>
#include <string>

#include "framework/Classes.h"
#include "framework/TypInfo.h"
#include "framework/Types.h"
#include "platform/gdi/Gdi.h"

// ---------------------------------------------------------------------------------------
// Colours

// Resolves system colours (0xFF000000 | index) through the system colour table; every other
// value is returned unchanged (clNone and clDefault included: callers test for them before
// drawing, and the device context uses the low 24 bits only).
COLORREF ColorToRGB(TColor color);
inline bool IsSystemColor(TColor color) {
  return (uint32_t(color) & 0xFF000000u) == 0xFF000000u;
}
inline TColor RGBToColor(BYTE r, BYTE g, BYTE b) {
  return TColor(RGB(r, g, b));
}

namespace kx {
// Mixes two colours (system colours resolved): weight 255 gives `a`, 0 gives `b`.
TColor BlendColors(TColor a, TColor b, BYTE weight);
}  // namespace kx

// ---------------------------------------------------------------------------------------
// Font, brush and pen

enum TFontPitch : uint8_t { fpDefault = 0, fpVariable = 1, fpFixed = 2 };
using TFontCharset = uint8_t;
using TFontName = TUnicodeString;

const TEnumInfo* FontPitchInfo();

// Shared base of the three: change notification and the owned platform handle.
class TGraphicsObject : public TPersistent {
 public:
  ~TGraphicsObject() override;
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }

 protected:
  // Drops the handle and raises OnChange.
  void Changed();
  void ReleaseHandle();
  HGDIOBJ FHandle = nullptr;
  bool FOwnsHandle = true;

 private:
  TNotifyEvent FOnChange;
};

class TFont : public TGraphicsObject {
 public:
  KX_DECLARE_CLASS(TFont)

 public:
  TFont();  // "Tahoma", Height -11, clWindowText, DEFAULT_CHARSET

  void Assign(const TPersistent* source) override;

  const TFontName& Name() const { return FName; }
  void SetName(const TFontName& v);
  int Height() const { return FHeight; }  // < 0: em height, > 0: cell height, pixels
  void SetHeight(int v);
  int Size() const;  // points at 96 pixels per inch (Height = -Size * 96 / 72)
  void SetSize(int v);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset v);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch v);
  int PixelsPerInch() const { return 96; }

  // The font (owned by this object; valid until the next property change).
  HFONT Handle();
  LOGFONTW LogFont() const;

 private:
  TFontName FName;
  int FHeight;
  TFontStyles FStyle;
  TColor FColor;
  TFontCharset FCharset;
  TFontPitch FPitch;
};

enum TBrushStyle : uint8_t { bsSolid = 0, bsClear = 1 };
const TEnumInfo* BrushStyleInfo();

class TBrush : public TGraphicsObject {
 public:
  KX_DECLARE_CLASS(TBrush)

 public:
  TBrush();  // clWhite, bsSolid

  void Assign(const TPersistent* source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor v);  // also makes a clear brush solid
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle v);

  HBRUSH Handle();  // NULL_BRUSH for bsClear

 private:
  TColor FColor;
  TBrushStyle FStyle;
};

enum TPenStyle : uint8_t {
  psSolid = 0,
  psDash = 1,
  psDot = 2,
  psDashDot = 3,
  psDashDotDot = 4,
  psClear = 5
};
const TEnumInfo* PenStyleInfo();

class TPen : public TGraphicsObject {
 public:
  KX_DECLARE_CLASS(TPen)

 public:
  TPen();  // clBlack, width 1, psSolid

  void Assign(const TPersistent* source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  int Width() const { return FWidth; }
  void SetWidth(int v);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle v);

  HPEN Handle();

 private:
  TColor FColor;
  int FWidth;
  TPenStyle FStyle;
};

// ---------------------------------------------------------------------------------------
// Canvas

class TGraphic;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The device context (not owned by the base class). Reading it lets a derived canvas
  // create one on demand. Setting another one restores the previous DC's original objects.
  HDC Handle();
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() { return FFont.get(); }
  TBrush* Brush() { return FBrush.get(); }
  TPen* Pen() { return FPen.get(); }
  void SetFont(const TFont* f) { FFont->Assign(f); }
  void SetBrush(const TBrush* b) { FBrush->Assign(b); }
  void SetPen(const TPen* p) { FPen->Assign(p); }

  // Text, with Font; the cell background is painted in Brush.Color unless Brush is clear.
  // The position is interpreted by the DC's text alignment (top-left by default).
  void TextOut(int x, int y, const TUnicodeString& text);
  // Like TextOut, clipped to rect.
  void TextRect(const TRect& rect, int x, int y, const TUnicodeString& text);
  // DrawText with DT_* flags; returns the text height, updates rect with DT_CALCRECT.
  int DrawText(TRect& rect, const TUnicodeString& text, UINT flags);
  TSize TextExtent(const TUnicodeString& text);
  int TextWidth(const TUnicodeString& text) { return TextExtent(text).cx; }
  int TextHeight(const TUnicodeString& text) { return TextExtent(text).cy; }
  TEXTMETRICW TextMetrics();

  // Shapes: FillRect and FrameRect with Brush; Rectangle and Ellipse outlined with Pen and
  // filled with Brush; lines with Pen, their last point excluded.
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void Ellipse(int left, int top, int right, int bottom);
  void Ellipse(const TRect& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
  void Polyline(const TPoint* points, int count);
  void Polygon(const TPoint* points, int count);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  TPoint PenPos();
  void DrawFocusRect(const TRect& rect);

  TColor Pixels(int x, int y);  // clNone outside the surface or the clip
  void SetPixels(int x, int y, TColor color);

  // Images: Draw at its own size, StretchDraw into rect, CopyRect from another canvas with
  // CopyMode (a raster operation, SRCCOPY by default).
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
  DWORD CopyMode() const { return FCopyMode; }
  void SetCopyMode(DWORD rop) { FCopyMode = rop; }

  // The clip box in logical units.
  TRect ClipRect();

  // Selects the current font, brush and pen into the DC; every drawing call does this.
  void RequireState();

 protected:
  virtual void CreateHandle() {}

 private:
  void RestoreOriginals();
  HDC FHandle = nullptr;
  HGDIOBJ FOrigFont = nullptr;
  HGDIOBJ FOrigBrush = nullptr;
  HGDIOBJ FOrigPen = nullptr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  DWORD FCopyMode = SRCCOPY;
};

// ---------------------------------------------------------------------------------------
// Graphics: bitmaps and pictures

class TGraphic : public TPersistent {
 public:
  ~TGraphic() override = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int w) = 0;
  virtual void SetHeight(int h) = 0;
  virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  // Draws the graphic scaled into rect on the canvas.
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  virtual bool LoadFromFile(const std::string& path) = 0;
  virtual bool SaveToFile(const std::string& path) = 0;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }

 protected:
  void Changed();

 private:
  bool FTransparent = false;
  TNotifyEvent FOnChange;
};

enum TTransparentMode : uint8_t { tmAuto = 0, tmFixed = 1 };

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  void Assign(const TPersistent* source) override;  // copies the pixels

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int w) override { SetSize(w, FHeight); }
  void SetHeight(int h) override { SetSize(FWidth, h); }
  // Keeps the overlapping top-left part of the picture; new pixels are black.
  void SetSize(int w, int h);

  // A canvas on a memory DC with this bitmap selected.
  TCanvas* Canvas();
  // The bitmap (owned; nullptr while empty).
  HBITMAP Handle() const { return FHandle; }
  // Takes ownership of a bitmap; the size follows it.
  void SetHandle(HBITMAP bitmap);
  // Gives up ownership; the TBitmap becomes empty.
  HBITMAP ReleaseHandle();

  // Row y of the pixels (premultiplied ARGB32), or nullptr outside.
  uint32_t* ScanLine(int y);

  // Auto: the bottom-left pixel's colour; fixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor c);  // also switches to tmFixed
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode m);

  void Draw(TCanvas* canvas, const TRect& rect) override;
  bool LoadFromFile(const std::string& path) override;  // PNG
  bool SaveToFile(const std::string& path) override { return SaveToPngFile(path); }
  bool SaveToPngFile(const std::string& path);

 private:
  class TBitmapCanvas;
  void FreeImage();
  int FWidth = 0;
  int FHeight = 0;
  HBITMAP FHandle = nullptr;
  std::unique_ptr<TCanvas> FCanvas;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
};

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;

  void Assign(const TPersistent* source) override;  // a picture, a bitmap or nullptr

  TGraphic* Graphic() const { return FGraphic.get(); }
  void SetGraphic(const TGraphic* g);  // copies it; nullptr clears
  // The graphic as a bitmap; replaces any other graphic by an empty bitmap.
  TBitmap* Bitmap();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  bool LoadFromFile(const std::string& path);  // PNG
  bool SaveToFile(const std::string& path);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }

 private:
  void Changed();
  void Adopt(std::unique_ptr<TGraphic> g);
  std::unique_ptr<TGraphic> FGraphic;
  TNotifyEvent FOnChange;
};

// Forces TFont, TBrush and TPen into the class registry.
void RegisterGraphicsClasses();
