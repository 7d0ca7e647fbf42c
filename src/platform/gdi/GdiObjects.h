// Internal to kx_gdi: the objects behind the GDI handles, shared by the library's sources.
// Nothing outside platform/gdi includes this header.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace kx::gdi {

class FontFace;  // Font.cpp

// Life-cycle state common to all GDI objects. An object is referenced by every DC state
// (current or saved) that holds it; DeleteObject of a referenced object is deferred until
// the last reference goes.
struct ObjectState {
  int refs = 0;
  bool deletePending = false;
  bool stock = false;
};

struct BitmapObj final : HBITMAP__ {
  ObjectState st;
  cairo_surface_t* surface = nullptr;  // ARGB32 image surface, owned reference
  ~BitmapObj() override;
};

struct BrushObj final : HBRUSH__ {
  ObjectState st;
  LOGBRUSH lb;
};

struct PenObj final : HPEN__ {
  ObjectState st;
  LOGPEN lp;
};

struct FontObj final : HFONT__ {
  ObjectState st;
  LOGFONTW lf;
  std::shared_ptr<FontFace> face;  // realised on first use
};

struct RegionObj final : HRGN__ {
  ObjectState st;
  cairo_region_t* rgn = nullptr;  // owned
  ~RegionObj() override;
};

// The part of a DC's state that SaveDC saves.
struct DCState {
  BitmapObj* bitmap = nullptr;
  FontObj* font = nullptr;
  BrushObj* brush = nullptr;
  PenObj* pen = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
  int stretchMode = BLACKONWHITE;
  POINT pos;
  int mapMode = MM_TEXT;
  POINT winOrg, vpOrg;
  SIZE winExt{1, 1}, vpExt{1, 1};
  cairo_region_t* clip = nullptr;  // device units, owned; nullptr = no clip region
};

struct DCObj final : HDC__ {
  bool memory = true;
  cairo_surface_t* surface = nullptr;  // surface DCs: owned reference
  POINT origin;                        // device (0, 0) in surface pixels
  RECT sysClipRect;                    // device units
  cairo_region_t* sysClip = nullptr;   // device units, owned; overrides sysClipRect
  DCState cur;
  std::vector<DCState> saved;

  // Effective clip in surface pixels, rebuilt when invalid.
  bool clipValid = false;
  std::vector<RECT> clipRects;
  RECT clipBounds;

  ~DCObj() override;
};

// Handle validation: every live handle is registered; calls on an unknown handle fail.
void Register(const void* h);
void Unregister(const void* h);
bool IsLive(const void* h);

DCObj* ToDC(HDC h);
BitmapObj* ToBitmap(HGDIOBJ h);
BrushObj* ToBrush(HGDIOBJ h);
PenObj* ToPen(HGDIOBJ h);
FontObj* ToFont(HGDIOBJ h);
RegionObj* ToRegion(HGDIOBJ h);

// The surface a DC draws on (nullptr when none).
cairo_surface_t* Surface(DCObj* dc);
// The effective clip of a DC in surface pixels (empty when nothing is drawable).
const std::vector<RECT>& ClipRects(DCObj* dc);
void InvalidateClip(DCObj* dc);

// Logical to device (DC) coordinates, and device to surface.
POINT LpToDp(const DCObj* dc, POINT p);
POINT DpToLp(const DCObj* dc, POINT p);
// Logical rectangle to a normalised rectangle in surface pixels.
RECT LogicalToSurface(const DCObj* dc, const RECT& r);
inline POINT LogicalToSurface(const DCObj* dc, POINT p) {
  POINT d = LpToDp(dc, p);
  return POINT{d.x + dc->origin.x, d.y + dc->origin.y};
}
// True when the mapping is a pure translation.
bool IsIdentityScale(const DCObj* dc);

// Pixels: opaque premultiplied ARGB of a COLORREF, and back.
inline uint32_t PixelOf(COLORREF c) {
  return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) |
         uint32_t(GetBValue(c));
}
COLORREF ColorOfPixel(uint32_t p);

// Direct pixel access to a surface: Begin flushes, End marks the rectangle dirty.
struct PixelAccess {
  explicit PixelAccess(cairo_surface_t* s);
  ~PixelAccess();
  uint32_t* Row(int y) const { return reinterpret_cast<uint32_t*>(data + size_t(y) * stride); }
  cairo_surface_t* surface;
  unsigned char* data = nullptr;
  int stride = 0, width = 0, height = 0;
};

// Fills the intersection of `r` (surface pixels) with the DC's clip.
void FillSurfaceRect(DCObj* dc, const RECT& r, uint32_t pixel);
// Applies `op` to every pixel of `r` ∩ clip.
template <class Op>
void ForEachClippedPixel(DCObj* dc, const RECT& r, Op op);
// Plots one pixel when it lies inside the clip.
void PlotPixel(DCObj* dc, PixelAccess& px, int x, int y, uint32_t pixel);
bool InClip(DCObj* dc, int x, int y);

// Intersection helpers.
inline RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  return r;
}
inline bool IsEmpty(const RECT& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

// A cairo context on the DC's surface, in surface pixels, clipped to the DC's clip.
cairo_t* CreateSurfaceContext(DCObj* dc);

// The current font of a DC, realised (never null: falls back to the default GUI font).
FontFace& CurrentFace(DCObj* dc);

template <class Op>
void ForEachClippedPixel(DCObj* dc, const RECT& r, Op op) {
  cairo_surface_t* s = Surface(dc);
  if (!s) return;
  PixelAccess px(s);
  for (const RECT& c : ClipRects(dc)) {
    RECT i = Intersect(c, r);
    if (IsEmpty(i)) continue;
    for (int y = i.top; y < i.bottom; ++y) {
      uint32_t* row = px.Row(y);
      for (int x = i.left; x < i.right; ++x)
        op(row[x], x, y);
    }
  }
}

}  // namespace kx::gdi
