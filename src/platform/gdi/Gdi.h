// Device contexts, bitmaps, regions, brushes, pens, fonts and text, with the Windows GDI
// names and argument shapes, over cairo image surfaces and fontconfig/FreeType.
//
// Model:
// - Every bitmap is a 32-bit premultiplied ARGB image (cairo ARGB32). GDI itself draws
//   opaque colours only, so pixels it writes have alpha 255. New bitmaps are opaque black.
// - A device context (DC) draws on the bitmap selected into it (memory DC) or on a window
//   surface (see GdiCairo.h). It keeps: the selected bitmap, font, brush and pen; the text
//   colour, background mode and colour, text alignment; the current position; the map mode
//   with window/viewport origins and extents; the clip region.
// - Logical coordinates map to device pixels by
//     device = (logical - windowOrg) * viewportExt / windowExt + viewportOrg
//   (MM_TEXT: extents 1:1). Regions and the clip are kept in device pixels, as in Windows;
//   IntersectClipRect/ExcludeClipRect take logical coordinates and GetClipBox answers in
//   logical coordinates.
// - Rectangles exclude their right and bottom edges; lines exclude their last point.
// - Text is grey-scale anti-aliased, each glyph on a whole pixel, advances in whole pixels.
// - Selecting an object returns the previous one. DeleteObject on an object still selected
//   into a DC defers the deletion until it is deselected (no dangling handles). Stock
//   objects are never deleted.
// - Nothing throws; invalid handles make calls fail with their Windows failure value.
//
// All calls are for the user-interface thread, except that fonts, bitmaps and brushes may
// be created on any thread.
#pragma once

#include <string>

#include "platform/Windows.h"

// ---------------------------------------------------------------------------------------
// Constants not in Windows.h
enum : DWORD {
  OBJ_PEN = 1,
  OBJ_BRUSH = 2,
  OBJ_DC = 3,
  OBJ_FONT = 6,
  OBJ_BITMAP = 7,
  OBJ_REGION = 8,
  OBJ_MEMDC = 10,
};
enum : UINT { BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1 };
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr int GDI_ERROR = -1;
enum : int { ERROR_REGION = 0 };  // same value as RGN_ERROR
enum : int { HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, LOGPIXELSX = 88, LOGPIXELSY = 90 };
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum : DWORD {
  NOTSRCCOPY = 0x00330008,
  DSTINVERT = 0x00550009,
  MERGECOPY = 0x00C000CA,
  PATINVERT = 0x005A0049,
};
enum : int { FW_THIN = 100, FW_LIGHT = 300, FW_MEDIUM = 500, FW_SEMIBOLD = 600 };
enum : BYTE {
  DEFAULT_PITCH = 0,
  FIXED_PITCH = 1,
  VARIABLE_PITCH = 2,
  FF_DONTCARE = 0x00,
  FF_ROMAN = 0x10,
  FF_SWISS = 0x20,
  FF_MODERN = 0x30,
};
enum : BYTE { EASTEUROPE_CHARSET = 238, RUSSIAN_CHARSET = 204, GREEK_CHARSET = 161 };

struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  uintptr_t lbHatch = 0;
};

struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  POINT lopnWidth;  // x is the width
  COLORREF lopnColor = 0;
};

// ---------------------------------------------------------------------------------------
// Device contexts
HDC CreateCompatibleDC(HDC hdc);  // a memory DC with a 1 x 1 stock bitmap selected
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);  // regions: like SelectClipRgn, returns the kind
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
int SaveDC(HDC hdc);                    // returns the new level (>= 1), 0 on failure
BOOL RestoreDC(HDC hdc, int savedDC);   // positive: that level; negative: relative
int GetDeviceCaps(HDC hdc, int index);  // 96 dpi, 32 bits per pixel

int SetMapMode(HDC hdc, int mode);  // MM_TEXT, MM_ANISOTROPIC, MM_ISOTROPIC
int GetMapMode(HDC hdc);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetWindowOrgEx(HDC hdc, LPPOINT pt);
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT pt);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* old);  // ignored in MM_TEXT
BOOL GetWindowExtEx(HDC hdc, SIZE* sz);
BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* old);  // ignored in MM_TEXT
BOOL GetViewportExtEx(HDC hdc, SIZE* sz);
BOOL LPtoDP(HDC hdc, LPPOINT pts, int count);
BOOL DPtoLP(HDC hdc, LPPOINT pts, int count);

// Clipping. The result of the region calls is NULLREGION, SIMPLEREGION, COMPLEXREGION or
// RGN_ERROR.
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC hdc, HRGN rgn);  // copies rgn (device units); nullptr removes the clip
int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
int OffsetClipRgn(HDC hdc, int dx, int dy);
int GetClipBox(HDC hdc, LPRECT rect);  // logical units; the whole surface when unclipped
int GetClipRgn(HDC hdc, HRGN rgn);     // 1 and copies it, 0 when there is no clip region
BOOL PtVisible(HDC hdc, int x, int y);
BOOL RectVisible(HDC hdc, const RECT* rect);

// ---------------------------------------------------------------------------------------
// Regions (device units)
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);  // RGN_AND/OR/XOR/DIFF/COPY
int OffsetRgn(HRGN rgn, int dx, int dy);
int GetRgnBox(HRGN rgn, LPRECT rect);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);  // rgn in logical units, as on Windows

// ---------------------------------------------------------------------------------------
// Objects
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int index);
int GetObjectW(HGDIOBJ obj, int size, void* out);  // BITMAP, LOGFONTW, LOGBRUSH, LOGPEN
inline int GetObject(HGDIOBJ obj, int size, void* out) {
  return GetObjectW(obj, size, out);
}
DWORD GetObjectType(HGDIOBJ obj);

// ---------------------------------------------------------------------------------------
// Bitmaps. GetObject fills BITMAP with the size, the stride and a pointer to the pixels
// (premultiplied ARGB32, native byte order, rows top down). Pixels written through that
// pointer are seen by the next GDI call that reads the bitmap.
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);  // sizes < 1 fail
HBITMAP CreateBitmap32(int width, int height);
BOOL GdiFlush();

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, int cx1, int cy1,
                DWORD rop);
int SetStretchBltMode(HDC hdc, int mode);  // HALFTONE filters, others pick nearest pixels
BOOL TransparentBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, int cx1,
                    int cy1, UINT transparent);  // pixels of colour `transparent` are skipped
BOOL PatBlt(HDC hdc, int x, int y, int cx, int cy, DWORD rop);  // PATCOPY, PATINVERT,
                                                                // DSTINVERT, BLACKNESS, WHITENESS

// ---------------------------------------------------------------------------------------
// Brushes and pens
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
HPEN CreatePen(int style, int width, COLORREF color);  // PS_SOLID, PS_DOT, PS_DASH, PS_NULL
HPEN CreatePenIndirect(const LOGPEN* lp);

// ---------------------------------------------------------------------------------------
// Drawing
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);  // pen outline, brush inside
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
BOOL Polyline(HDC hdc, const POINT* pts, int count);
BOOL Polygon(HDC hdc, const POINT* pts, int count);  // alternate fill
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL LineTo(HDC hdc, int x, int y);  // the end point is not drawn
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT pt);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);  // CLR_INVALID outside the surface or the clip

// Three-dimensional edges in the system colours (BDR_*/EDGE_* and BF_* flags). With
// BF_ADJUST the rectangle shrinks by the drawn edges.
BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags);
// DFC_BUTTON with DFCS_BUTTONCHECK or DFCS_BUTTONRADIO (plus DFCS_CHECKED, DFCS_INACTIVE,
// DFCS_PUSHED, DFCS_FLAT, DFCS_MONO): the classic box, a square of the rectangle's
// smaller side centred in it; DFCS_BUTTONPUSH: a raised (pushed: sunken) button face.
BOOL DrawFrameControl(HDC hdc, LPRECT rect, UINT type, UINT state);
BOOL DrawFocusRect(HDC hdc, const RECT* rect);  // dotted, inverting: drawing twice removes it

// ---------------------------------------------------------------------------------------
// Fonts. Faces are matched by fontconfig; lfHeight < 0 is the em height in pixels,
// lfHeight > 0 the cell height (tmHeight), 0 the face's default (em 12 px). Metrics come
// from the font's Windows ascent and descent (OS/2 table), so tmHeight = tmAscent +
// tmDescent; tmAveCharWidth is the OS/2 average width.
HFONT CreateFontIndirectW(const LOGFONTW* lf);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);
BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm);
int GetTextFaceW(HDC hdc, int count, LPWSTR name);  // the matched face's family name

// ---------------------------------------------------------------------------------------
// Text
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);  // TRANSPARENT, OPAQUE (fills each text cell)
int GetBkMode(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);  // TA_LEFT/RIGHT/CENTER | TA_TOP/BASELINE/BOTTOM
UINT GetTextAlign(HDC hdc);

// Extent: cx = sum of the advances, cy = tmHeight.
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size);
// fit: how many characters fit in maxExtent (when fit is given); dx: cumulative extents.
BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, int* fit, int* dx,
                           SIZE* size);
BOOL GetCharWidth32W(HDC hdc, UINT first, UINT last, int* widths);

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count);
// ETO_OPAQUE fills rect with the background colour, ETO_CLIPPED clips to rect; dx gives
// the advance of each character when not null.
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* dx);

// count -1: up to the terminating zero. Returns the text height (0 on failure). The text
// is clipped to rect unless DT_NOCLIP. Without DT_NOPREFIX, "&x" underlines x and "&&" is
// "&". DT_WORDBREAK breaks at spaces, and a word wider than the rectangle at the last
// character that fits. DT_VCENTER and DT_BOTTOM apply to DT_SINGLELINE only. DT_CALCRECT
// only measures: rect->right becomes left + the widest line, rect->bottom top + height.
int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format);
int DrawTextExW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format, DRAWTEXTPARAMS* params);

namespace kx {

// The Windows 10 default colour scheme (COLOR_* index; 0 for unknown indexes).
COLORREF SysColor(int index);
// A stock solid brush of that system colour (never deleted; DeleteObject ignores it).
HBRUSH SysColorBrush(int index);

// Writes the bitmap (or the bitmap selected into the DC, or a window DC's whole surface)
// as a PNG file. False on failure.
bool WritePng(HBITMAP bitmap, const std::string& path);
bool WritePng(HDC hdc, const std::string& path);
// Reads a PNG file into a new bitmap; nullptr on failure.
HBITMAP LoadPng(const std::string& path);

}  // namespace kx
