// Device contexts, object life cycle, mapping, clipping, regions, bitmaps and block
// transfers.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/gdi/GdiCairo.h"
#include "platform/gdi/GdiObjects.h"

namespace kx::gdi {

namespace {

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}
std::unordered_set<const void*>& Registry() {
  static auto* s = new std::unordered_set<const void*>();
  return *s;
}

constexpr int kMaxBitmapSide = 32767;

ObjectState* StateOf(HGDIOBJ h) {
  if (!h) return nullptr;
  if (auto* b = dynamic_cast<BitmapObj*>(h)) return &b->st;
  if (auto* b = dynamic_cast<BrushObj*>(h)) return &b->st;
  if (auto* p = dynamic_cast<PenObj*>(h)) return &p->st;
  if (auto* f = dynamic_cast<FontObj*>(h)) return &f->st;
  if (auto* r = dynamic_cast<RegionObj*>(h)) return &r->st;
  return nullptr;
}

void Destroy(HGDIOBJ h) {
  Unregister(h);
  delete h;
}

void Retain(HGDIOBJ h) {
  if (ObjectState* s = StateOf(h)) ++s->refs;
}

void Release(HGDIOBJ h) {
  ObjectState* s = StateOf(h);
  if (!s) return;
  if (--s->refs <= 0) {
    s->refs = 0;
    if (s->deletePending && !s->stock) Destroy(h);
  }
}

void RetainState(const DCState& s) {
  Retain(s.bitmap);
  Retain(s.font);
  Retain(s.brush);
  Retain(s.pen);
}

void ReleaseState(DCState& s) {
  Release(s.bitmap);
  Release(s.font);
  Release(s.brush);
  Release(s.pen);
  if (s.clip) cairo_region_destroy(s.clip);
  s.clip = nullptr;
}

DCState CopyState(const DCState& s) {
  DCState c = s;
  c.clip = s.clip ? cairo_region_copy(s.clip) : nullptr;
  RetainState(c);
  return c;
}

cairo_surface_t* NewImage(int w, int h) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  // GDI bitmaps start opaque black.
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
    std::fill(row, row + w, 0xFF000000u);
  }
  cairo_surface_mark_dirty(s);
  return s;
}

HBITMAP NewBitmap(int w, int h) {
  if (w < 0 || h < 0 || w > kMaxBitmapSide || h > kMaxBitmapSide) return nullptr;
  if (w == 0 || h == 0) w = h = 1;
  cairo_surface_t* s = NewImage(w, h);
  if (!s) return nullptr;
  auto* b = new BitmapObj();
  b->surface = s;
  Register(b);
  return b;
}

struct Stock {
  HGDIOBJ objects[DEFAULT_GUI_FONT + 1] = {};
  BitmapObj* bitmap = nullptr;  // the 1 x 1 bitmap of a new memory DC
  HBRUSH sysBrushes[COLOR_MENUBAR + 1] = {};
};

Stock& Stocks() {
  static Stock* stock = [] {
    auto* s = new Stock();
    auto brush = [](COLORREF c, UINT style = BS_SOLID) {
      auto* b = new BrushObj();
      b->lb.lbStyle = style;
      b->lb.lbColor = c;
      b->st.stock = true;
      Register(b);
      return b;
    };
    auto pen = [](COLORREF c, UINT style = PS_SOLID) {
      auto* p = new PenObj();
      p->lp.lopnStyle = style;
      p->lp.lopnWidth.x = 1;
      p->lp.lopnColor = c;
      p->st.stock = true;
      Register(p);
      return p;
    };
    s->objects[WHITE_BRUSH] = brush(RGB(255, 255, 255));
    s->objects[LTGRAY_BRUSH] = brush(RGB(192, 192, 192));
    s->objects[GRAY_BRUSH] = brush(RGB(128, 128, 128));
    s->objects[DKGRAY_BRUSH] = brush(RGB(64, 64, 64));
    s->objects[BLACK_BRUSH] = brush(RGB(0, 0, 0));
    s->objects[NULL_BRUSH] = brush(0, BS_NULL);
    s->objects[WHITE_PEN] = pen(RGB(255, 255, 255));
    s->objects[BLACK_PEN] = pen(RGB(0, 0, 0));
    s->objects[NULL_PEN] = pen(0, PS_NULL);
    LOGFONTW lf;
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    const char16_t face[] = u"MS Shell Dlg";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    HFONT f = CreateFontIndirectW(&lf);
    static_cast<FontObj*>(f)->st.stock = true;
    s->objects[DEFAULT_GUI_FONT] = f;
    HBITMAP b = NewBitmap(1, 1);
    s->bitmap = static_cast<BitmapObj*>(b);
    s->bitmap->st.stock = true;
    for (int i = 0; i <= COLOR_MENUBAR; ++i)
      s->sysBrushes[i] = brush(kx::SysColor(i));
    return s;
  }();
  return *stock;
}

void InitState(DCState& s) {
  Stock& st = Stocks();
  s.font = static_cast<FontObj*>(st.objects[DEFAULT_GUI_FONT]);
  s.brush = static_cast<BrushObj*>(st.objects[WHITE_BRUSH]);
  s.pen = static_cast<PenObj*>(st.objects[BLACK_PEN]);
  RetainState(s);
}

int RegionKind(const cairo_region_t* r) {
  int n = cairo_region_num_rectangles(r);
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

cairo_rectangle_int_t ToCairo(const RECT& r) {
  RECT n{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
         std::max(r.top, r.bottom)};
  return cairo_rectangle_int_t{n.left, n.top, n.right - n.left, n.bottom - n.top};
}

RECT FromCairo(const cairo_rectangle_int_t& r) {
  return RECT{r.x, r.y, r.x + r.width, r.y + r.height};
}

// The area a DC can draw on, in device units, before any clip region.
cairo_region_t* DeviceArea(DCObj* dc) {
  cairo_region_t* area;
  cairo_surface_t* s = Surface(dc);
  if (s) {
    cairo_rectangle_int_t r{-dc->origin.x, -dc->origin.y, cairo_image_surface_get_width(s),
                            cairo_image_surface_get_height(s)};
    area = cairo_region_create_rectangle(&r);
  } else {
    area = cairo_region_create();
  }
  if (!dc->memory) {
    if (dc->sysClip) {
      cairo_region_intersect(area, dc->sysClip);
    } else {
      cairo_rectangle_int_t c = ToCairo(dc->sysClipRect);
      cairo_region_intersect_rectangle(area, &c);
    }
  }
  return area;
}

int MulDivRound(int v, int num, int den) {
  if (den == 0) return v;
  return int(std::lround(double(v) * num / den));
}

void NormalizeRect(RECT& r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
}

// The device rectangle of a logical one, normalised.
RECT LogicalToDevice(const DCObj* dc, const RECT& r) {
  POINT a = LpToDp(dc, POINT{r.left, r.top});
  POINT b = LpToDp(dc, POINT{r.right, r.bottom});
  RECT d{a.x, a.y, b.x, b.y};
  NormalizeRect(d);
  return d;
}

// Combines a region into the DC's clip region with a mode.
int CombineClip(DCObj* dc, const cairo_region_t* rgn, int mode) {
  DCState& s = dc->cur;
  if (mode == RGN_COPY) {
    if (s.clip) cairo_region_destroy(s.clip);
    s.clip = rgn ? cairo_region_copy(rgn) : nullptr;
  } else {
    if (!rgn) return RGN_ERROR;
    if (!s.clip) s.clip = DeviceArea(dc);
    switch (mode) {
      case RGN_AND:
        cairo_region_intersect(s.clip, rgn);
        break;
      case RGN_OR:
        cairo_region_union(s.clip, rgn);
        break;
      case RGN_XOR:
        cairo_region_xor(s.clip, rgn);
        break;
      case RGN_DIFF:
        cairo_region_subtract(s.clip, rgn);
        break;
      default:
        return RGN_ERROR;
    }
  }
  InvalidateClip(dc);
  ClipRects(dc);
  int n = int(dc->clipRects.size());
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// Read access to the source pixels of a transfer: a copy when source and destination
// share a surface (so that overlapping copies read the original pixels), else direct.
struct SourcePixels {
  std::vector<uint32_t> copy;
  const unsigned char* data = nullptr;
  size_t stride = 0;
  RECT area;  // readable area, surface pixels
  // Row y, indexed from area.left.
  const uint32_t* Row(int y) const {
    return reinterpret_cast<const uint32_t*>(data + size_t(y - area.top) * stride);
  }
};

void OpenSource(SourcePixels& sp, cairo_surface_t* s, const RECT& area, bool shared) {
  sp.area = area;
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  size_t stride = size_t(cairo_image_surface_get_stride(s));
  if (!shared) {
    sp.data = data + size_t(area.top) * stride + size_t(area.left) * 4;
    sp.stride = stride;
    return;
  }
  size_t w = size_t(area.right - area.left);
  sp.copy.resize(w * size_t(area.bottom - area.top));
  for (int y = area.top; y < area.bottom; ++y) {
    std::memcpy(&sp.copy[size_t(y - area.top) * w],
                data + size_t(y) * stride + size_t(area.left) * 4, w * 4);
  }
  sp.data = reinterpret_cast<const unsigned char*>(sp.copy.data());
  sp.stride = w * 4;
}

uint32_t Rop3(uint32_t d, uint32_t s, uint32_t p, DWORD rop) {
  unsigned index = (rop >> 16) & 0xFF;
  uint32_t r = 0;
  for (unsigned bit = 0; bit < 8; ++bit) {
    if (!((index >> bit) & 1u)) continue;
    uint32_t term = ((bit & 4) ? p : ~p) & ((bit & 2) ? s : ~s) & ((bit & 1) ? d : ~d);
    r |= term;
  }
  return (r & 0x00FFFFFFu) | 0xFF000000u;
}

bool RopUsesSource(DWORD rop) {
  unsigned i = (rop >> 16) & 0xFF;
  return ((i >> 2) & 0x33) != (i & 0x33);
}

bool RopUsesPattern(DWORD rop) {
  unsigned i = (rop >> 16) & 0xFF;
  return ((i >> 4) & 0x0F) != (i & 0x0F);
}

uint32_t PatternPixel(DCObj* dc, bool* ok) {
  BrushObj* b = dc->cur.brush;
  *ok = b && b->lb.lbStyle != BS_NULL;
  return *ok ? PixelOf(b->lb.lbColor) : 0xFF000000u;
}

// The core of BitBlt/StretchBlt/TransparentBlt: maps each destination pixel of `dst`
// (surface pixels, may be mirrored through negative sizes) to a source pixel by nearest
// sampling, and writes op(dst, src).
template <class Op>
bool Transfer(DCObj* d, int dx, int dy, int dw, int dh, DCObj* s, int sx, int sy, int sw, int sh,
              Op op, bool copyRows = false) {
  cairo_surface_t* ds = Surface(d);
  if (!ds) return false;
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return true;
  // Normalise the destination; mirroring is carried by the source direction.
  bool flipX = (dw < 0) != (sw < 0);
  bool flipY = (dh < 0) != (sh < 0);
  RECT dr{std::min(dx, dx + dw), std::min(dy, dy + dh), std::max(dx, dx + dw),
          std::max(dy, dy + dh)};
  RECT sr{std::min(sx, sx + sw), std::min(sy, sy + sh), std::max(sx, sx + sw),
          std::max(sy, sy + sh)};
  int adw = dr.right - dr.left, adh = dr.bottom - dr.top;
  int asw = sr.right - sr.left, ash = sr.bottom - sr.top;
  cairo_surface_t* ss = s ? Surface(s) : nullptr;
  RECT sBounds{0, 0, 0, 0};
  if (ss)
    sBounds = RECT{0, 0, cairo_image_surface_get_width(ss), cairo_image_surface_get_height(ss)};
  SourcePixels src;
  bool haveSource = false;
  if (ss) {
    RECT need = Intersect(sr, sBounds);
    if (IsEmpty(need)) return true;
    OpenSource(src, ss, need, ss == ds);
    haveSource = true;
  }
  PixelAccess px(ds);
  bool identity = adw == asw && adh == ash && !flipX && !flipY;
  for (const RECT& c : ClipRects(d)) {
    RECT i = Intersect(c, dr);
    if (IsEmpty(i)) continue;
    for (int y = i.top; y < i.bottom; ++y) {
      int oy = y - dr.top;
      int srcY =
          identity ? sr.top + oy : sr.top + int((int64_t(oy) * 2 + 1) * ash / (int64_t(adh) * 2));
      if (flipY) srcY = sr.bottom - 1 - (srcY - sr.top);
      if (haveSource && (srcY < src.area.top || srcY >= src.area.bottom)) continue;
      uint32_t* row = px.Row(y);
      const uint32_t* srow = haveSource ? src.Row(srcY) : nullptr;
      if (identity && haveSource && copyRows) {
        // Plain copy: the part of the row that has source pixels.
        int x0 = std::max<int>(i.left, src.area.left - sr.left + dr.left);
        int x1 = std::min<int>(i.right, src.area.right - sr.left + dr.left);
        if (x1 > x0)
          std::memcpy(row + x0, srow + (sr.left + x0 - dr.left - src.area.left),
                      size_t(x1 - x0) * 4);
        continue;
      }
      for (int x = i.left; x < i.right; ++x) {
        int ox = x - dr.left;
        int srcX = identity ? sr.left + ox
                            : sr.left + int((int64_t(ox) * 2 + 1) * asw / (int64_t(adw) * 2));
        if (flipX) srcX = sr.right - 1 - (srcX - sr.left);
        if (haveSource) {
          if (srcX < src.area.left || srcX >= src.area.right) continue;
          op(row[x], srow[srcX - src.area.left]);
        } else {
          op(row[x], 0u);
        }
      }
    }
  }
  return true;
}

bool StretchCore(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, int cx1, int cy1,
                 DWORD rop) {
  DCObj* d = ToDC(dst);
  if (!d) return false;
  bool usesSource = RopUsesSource(rop);
  DCObj* s = usesSource ? ToDC(src) : nullptr;
  if (usesSource && !s) return false;
  POINT d0 = LogicalToSurface(d, POINT{x, y});
  POINT d1 = LogicalToSurface(d, POINT{x + cx, y + cy});
  POINT s0{0, 0}, s1{0, 0};
  if (s) {
    s0 = LogicalToSurface(s, POINT{x1, y1});
    s1 = LogicalToSurface(s, POINT{x1 + cx1, y1 + cy1});
  }
  int dw = d1.x - d0.x, dh = d1.y - d0.y;
  int sw = s1.x - s0.x, sh = s1.y - s0.y;
  if (!usesSource) {
    sw = dw;
    sh = dh;
  }
  bool patOk = true;
  uint32_t pat = RopUsesPattern(rop) ? PatternPixel(d, &patOk) : 0;
  if (!patOk) return true;  // a null brush paints nothing
  if (rop == SRCCOPY) {
    if (d->cur.stretchMode == HALFTONE &&
        (std::abs(dw) != std::abs(sw) || std::abs(dh) != std::abs(sh))) {
      // Filtered scaling through cairo.
      cairo_surface_t* ss = Surface(s);
      cairo_t* cr = CreateSurfaceContext(d);
      if (!cr || !ss) {
        if (cr) cairo_destroy(cr);
        return false;
      }
      cairo_rectangle(cr, std::min(d0.x, d1.x), std::min(d0.y, d1.y), std::abs(dw), std::abs(dh));
      cairo_clip(cr);
      cairo_translate(cr, d0.x, d0.y);
      cairo_scale(cr, double(dw) / sw, double(dh) / sh);
      cairo_set_source_surface(cr, ss, -s0.x, -s0.y);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
      cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
      cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
      cairo_paint(cr);
      cairo_destroy(cr);
      return true;
    }
    return Transfer(
        d, d0.x, d0.y, dw, dh, s, s0.x, s0.y, sw, sh, [](uint32_t& dp, uint32_t sp) { dp = sp; },
        true);
  }
  if (rop == BLACKNESS || rop == WHITENESS || rop == PATCOPY) {
    uint32_t v = rop == BLACKNESS ? 0xFF000000u : rop == WHITENESS ? 0xFFFFFFFFu : pat;
    return Transfer(d, d0.x, d0.y, dw, dh, nullptr, 0, 0, dw, dh,
                    [v](uint32_t& dp, uint32_t) { dp = v; });
  }
  return Transfer(d, d0.x, d0.y, dw, dh, s, s0.x, s0.y, sw, sh,
                  [rop, pat](uint32_t& dp, uint32_t sp) { dp = Rop3(dp, sp, pat, rop); });
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Internal services

BitmapObj::~BitmapObj() {
  if (surface) cairo_surface_destroy(surface);
}

RegionObj::~RegionObj() {
  if (rgn) cairo_region_destroy(rgn);
}

DCObj::~DCObj() {
  ReleaseState(cur);
  for (DCState& s : saved)
    ReleaseState(s);
  if (surface) cairo_surface_destroy(surface);
  if (sysClip) cairo_region_destroy(sysClip);
}

void Register(const void* h) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().insert(h);
}

void Unregister(const void* h) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().erase(h);
}

bool IsLive(const void* h) {
  if (!h) return false;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  return Registry().count(h) != 0;
}

DCObj* ToDC(HDC h) {
  return IsLive(h) ? dynamic_cast<DCObj*>(h) : nullptr;
}
BitmapObj* ToBitmap(HGDIOBJ h) {
  return IsLive(h) ? dynamic_cast<BitmapObj*>(h) : nullptr;
}
BrushObj* ToBrush(HGDIOBJ h) {
  return IsLive(h) ? dynamic_cast<BrushObj*>(h) : nullptr;
}
PenObj* ToPen(HGDIOBJ h) {
  return IsLive(h) ? dynamic_cast<PenObj*>(h) : nullptr;
}
FontObj* ToFont(HGDIOBJ h) {
  return IsLive(h) ? dynamic_cast<FontObj*>(h) : nullptr;
}
RegionObj* ToRegion(HGDIOBJ h) {
  return IsLive(h) ? dynamic_cast<RegionObj*>(h) : nullptr;
}

cairo_surface_t* Surface(DCObj* dc) {
  if (!dc) return nullptr;
  if (!dc->memory) return dc->surface;
  return dc->cur.bitmap ? dc->cur.bitmap->surface : nullptr;
}

void InvalidateClip(DCObj* dc) {
  dc->clipValid = false;
}

const std::vector<RECT>& ClipRects(DCObj* dc) {
  if (dc->clipValid) return dc->clipRects;
  dc->clipRects.clear();
  cairo_region_t* area = DeviceArea(dc);
  if (dc->cur.clip) cairo_region_intersect(area, dc->cur.clip);
  cairo_region_translate(area, dc->origin.x, dc->origin.y);
  int n = cairo_region_num_rectangles(area);
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(area, i, &r);
    dc->clipRects.push_back(FromCairo(r));
  }
  cairo_rectangle_int_t e;
  cairo_region_get_extents(area, &e);
  dc->clipBounds = FromCairo(e);
  cairo_region_destroy(area);
  dc->clipValid = true;
  return dc->clipRects;
}

bool IsIdentityScale(const DCObj* dc) {
  const DCState& s = dc->cur;
  return s.mapMode == MM_TEXT || (s.winExt.cx == s.vpExt.cx && s.winExt.cy == s.vpExt.cy);
}

POINT LpToDp(const DCObj* dc, POINT p) {
  const DCState& s = dc->cur;
  if (IsIdentityScale(dc)) {
    return POINT{p.x - s.winOrg.x + s.vpOrg.x, p.y - s.winOrg.y + s.vpOrg.y};
  }
  return POINT{MulDivRound(p.x - s.winOrg.x, s.vpExt.cx, s.winExt.cx) + s.vpOrg.x,
               MulDivRound(p.y - s.winOrg.y, s.vpExt.cy, s.winExt.cy) + s.vpOrg.y};
}

POINT DpToLp(const DCObj* dc, POINT p) {
  const DCState& s = dc->cur;
  if (IsIdentityScale(dc)) {
    return POINT{p.x - s.vpOrg.x + s.winOrg.x, p.y - s.vpOrg.y + s.winOrg.y};
  }
  return POINT{MulDivRound(p.x - s.vpOrg.x, s.winExt.cx, s.vpExt.cx) + s.winOrg.x,
               MulDivRound(p.y - s.vpOrg.y, s.winExt.cy, s.vpExt.cy) + s.winOrg.y};
}

RECT LogicalToSurface(const DCObj* dc, const RECT& r) {
  RECT d = LogicalToDevice(dc, r);
  return RECT{d.left + dc->origin.x, d.top + dc->origin.y, d.right + dc->origin.x,
              d.bottom + dc->origin.y};
}

COLORREF ColorOfPixel(uint32_t p) {
  uint32_t a = p >> 24;
  uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (a == 0) return RGB(0, 0, 0);
  if (a != 255) {
    r = std::min(255u, (r * 255 + a / 2) / a);
    g = std::min(255u, (g * 255 + a / 2) / a);
    b = std::min(255u, (b * 255 + a / 2) / a);
  }
  return RGB(int(r), int(g), int(b));
}

PixelAccess::PixelAccess(cairo_surface_t* s) : surface(s) {
  cairo_surface_flush(s);
  data = cairo_image_surface_get_data(s);
  stride = cairo_image_surface_get_stride(s);
  width = cairo_image_surface_get_width(s);
  height = cairo_image_surface_get_height(s);
}

PixelAccess::~PixelAccess() {
  cairo_surface_mark_dirty(surface);
}

void FillSurfaceRect(DCObj* dc, const RECT& r, uint32_t pixel) {
  cairo_surface_t* s = Surface(dc);
  if (!s || IsEmpty(r)) return;
  PixelAccess px(s);
  for (const RECT& c : ClipRects(dc)) {
    RECT i = Intersect(c, r);
    if (IsEmpty(i)) continue;
    // One row is filled, the others are copied from it: block copies beat element stores.
    uint32_t* first = px.Row(i.top) + i.left;
    size_t n = size_t(i.right - i.left);
    std::fill(first, first + n, pixel);
    for (int y = i.top + 1; y < i.bottom; ++y)
      std::memcpy(px.Row(y) + i.left, first, n * 4);
  }
}

bool InClip(DCObj* dc, int x, int y) {
  const std::vector<RECT>& rects = ClipRects(dc);
  const RECT& b = dc->clipBounds;
  if (x < b.left || x >= b.right || y < b.top || y >= b.bottom) return false;
  for (const RECT& c : rects) {
    if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) return true;
  }
  return false;
}

void PlotPixel(DCObj* dc, PixelAccess& px, int x, int y, uint32_t pixel) {
  if (InClip(dc, x, y)) px.Row(y)[x] = pixel;
}

cairo_t* CreateSurfaceContext(DCObj* dc) {
  cairo_surface_t* s = Surface(dc);
  if (!s) return nullptr;
  cairo_surface_mark_dirty(s);
  cairo_t* cr = cairo_create(s);
  const std::vector<RECT>& rects = ClipRects(dc);
  for (const RECT& r : rects) {
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  if (rects.empty()) cairo_rectangle(cr, 0, 0, 0, 0);
  cairo_clip(cr);
  return cr;
}

}  // namespace kx::gdi

using namespace kx::gdi;

// ---------------------------------------------------------------------------------------
// Device contexts

HDC CreateCompatibleDC(HDC) {
  auto* dc = new DCObj();
  dc->memory = true;
  InitState(dc->cur);
  dc->cur.bitmap = Stocks().bitmap;
  Retain(dc->cur.bitmap);
  Register(dc);
  return dc;
}

BOOL DeleteDC(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  Unregister(dc);
  delete dc;
  return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !IsLive(obj)) return nullptr;
  DCState& s = dc->cur;
  auto swap = [](auto*& slot, auto* v) -> HGDIOBJ {
    auto* old = slot;
    if (old == v) return old;
    Retain(v);
    slot = v;
    HGDIOBJ result = old;
    Release(old);
    return result;
  };
  if (auto* b = dynamic_cast<BitmapObj*>(obj)) {
    if (!dc->memory) return nullptr;
    HGDIOBJ old = swap(s.bitmap, b);
    InvalidateClip(dc);
    return old;
  }
  if (auto* f = dynamic_cast<FontObj*>(obj)) return swap(s.font, f);
  if (auto* b = dynamic_cast<BrushObj*>(obj)) return swap(s.brush, b);
  if (auto* p = dynamic_cast<PenObj*>(obj)) return swap(s.pen, p);
  if (auto* r = dynamic_cast<RegionObj*>(obj)) {
    return reinterpret_cast<HGDIOBJ>(intptr_t(SelectClipRgn(hdc, r)));
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_BITMAP:
      return dc->cur.bitmap;
    case OBJ_FONT:
      return dc->cur.font;
    case OBJ_BRUSH:
      return dc->cur.brush;
    case OBJ_PEN:
      return dc->cur.pen;
    default:
      return nullptr;
  }
}

int SaveDC(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return 0;
  dc->saved.push_back(CopyState(dc->cur));
  return int(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int savedDC) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  int n = int(dc->saved.size());
  int level = savedDC < 0 ? n + 1 + savedDC : savedDC;
  if (level < 1 || level > n) return FALSE;
  // Restoring level L drops the levels above it and makes L current.
  while (int(dc->saved.size()) > level) {
    ReleaseState(dc->saved.back());
    dc->saved.pop_back();
  }
  ReleaseState(dc->cur);
  dc->cur = dc->saved.back();  // the references move with the state
  dc->saved.pop_back();
  InvalidateClip(dc);
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  DCObj* dc = ToDC(hdc);
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case BITSPIXEL:
      return 32;
    case HORZRES:
    case VERTRES: {
      cairo_surface_t* s = dc ? Surface(dc) : nullptr;
      if (!s) return 0;
      return index == HORZRES ? cairo_image_surface_get_width(s)
                              : cairo_image_surface_get_height(s);
    }
    default:
      return 0;
  }
}

int SetMapMode(HDC hdc, int mode) {
  DCObj* dc = ToDC(hdc);
  if (!dc || (mode != MM_TEXT && mode != MM_ANISOTROPIC && mode != MM_ISOTROPIC)) return 0;
  int old = dc->cur.mapMode;
  dc->cur.mapMode = mode;
  if (mode == MM_TEXT) {
    dc->cur.winExt = SIZE{1, 1};
    dc->cur.vpExt = SIZE{1, 1};
  }
  return old;
}

int GetMapMode(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  return dc ? dc->cur.mapMode : 0;
}

namespace {
BOOL SetPoint(HDC hdc, POINT DCState::*field, int x, int y, LPPOINT old, bool offset) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  POINT& p = dc->cur.*field;
  if (old) *old = p;
  p = offset ? POINT{p.x + x, p.y + y} : POINT{x, y};
  return TRUE;
}
BOOL GetPoint(HDC hdc, POINT DCState::*field, LPPOINT out) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->cur.*field;
  return TRUE;
}
BOOL SetExt(HDC hdc, SIZE DCState::*field, int x, int y, SIZE* old) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  SIZE& e = dc->cur.*field;
  if (old) *old = e;
  if (dc->cur.mapMode == MM_TEXT) return TRUE;
  if (x == 0 || y == 0) return FALSE;
  e = SIZE{x, y};
  if (dc->cur.mapMode == MM_ISOTROPIC) {
    // Equal units on both axes: shrink the viewport extent on the longer axis.
    SIZE& w = dc->cur.winExt;
    SIZE& v = dc->cur.vpExt;
    double sx = double(v.cx) / w.cx, sy = double(v.cy) / w.cy;
    if (std::fabs(sx) > std::fabs(sy)) {
      v.cx = int(std::lround(w.cx * std::fabs(sy) * (sx < 0 ? -1 : 1)));
    } else if (std::fabs(sy) > std::fabs(sx)) {
      v.cy = int(std::lround(w.cy * std::fabs(sx) * (sy < 0 ? -1 : 1)));
    }
  }
  return TRUE;
}
BOOL GetExt(HDC hdc, SIZE DCState::*field, SIZE* out) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->cur.*field;
  return TRUE;
}
}  // namespace

BOOL SetWindowOrgEx(HDC h, int x, int y, LPPOINT old) {
  return SetPoint(h, &DCState::winOrg, x, y, old, false);
}
BOOL GetWindowOrgEx(HDC h, LPPOINT pt) {
  return GetPoint(h, &DCState::winOrg, pt);
}
BOOL OffsetWindowOrgEx(HDC h, int dx, int dy, LPPOINT old) {
  return SetPoint(h, &DCState::winOrg, dx, dy, old, true);
}
BOOL SetViewportOrgEx(HDC h, int x, int y, LPPOINT old) {
  return SetPoint(h, &DCState::vpOrg, x, y, old, false);
}
BOOL GetViewportOrgEx(HDC h, LPPOINT pt) {
  return GetPoint(h, &DCState::vpOrg, pt);
}
BOOL OffsetViewportOrgEx(HDC h, int dx, int dy, LPPOINT old) {
  return SetPoint(h, &DCState::vpOrg, dx, dy, old, true);
}
BOOL SetWindowExtEx(HDC h, int x, int y, SIZE* old) {
  return SetExt(h, &DCState::winExt, x, y, old);
}
BOOL GetWindowExtEx(HDC h, SIZE* sz) {
  return GetExt(h, &DCState::winExt, sz);
}
BOOL SetViewportExtEx(HDC h, int x, int y, SIZE* old) {
  return SetExt(h, &DCState::vpExt, x, y, old);
}
BOOL GetViewportExtEx(HDC h, SIZE* sz) {
  return GetExt(h, &DCState::vpExt, sz);
}

BOOL LPtoDP(HDC hdc, LPPOINT pts, int count) {
  DCObj* dc = ToDC(hdc);
  if (!dc || (!pts && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i)
    pts[i] = LpToDp(dc, pts[i]);
  return TRUE;
}

BOOL DPtoLP(HDC hdc, LPPOINT pts, int count) {
  DCObj* dc = ToDC(hdc);
  if (!dc || (!pts && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i)
    pts[i] = DpToLp(dc, pts[i]);
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Clipping

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return RGN_ERROR;
  cairo_rectangle_int_t r = ToCairo(LogicalToDevice(dc, RECT{left, top, right, bottom}));
  cairo_region_t* rgn = cairo_region_create_rectangle(&r);
  int kind = CombineClip(dc, rgn, RGN_AND);
  cairo_region_destroy(rgn);
  return kind;
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return RGN_ERROR;
  cairo_rectangle_int_t r = ToCairo(LogicalToDevice(dc, RECT{left, top, right, bottom}));
  cairo_region_t* rgn = cairo_region_create_rectangle(&r);
  int kind = CombineClip(dc, rgn, RGN_DIFF);
  cairo_region_destroy(rgn);
  return kind;
}

int SelectClipRgn(HDC hdc, HRGN rgn) {
  return ExtSelectClipRgn(hdc, rgn, RGN_COPY);
}

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return RGN_ERROR;
  RegionObj* r = rgn ? ToRegion(rgn) : nullptr;
  if (rgn && !r) return RGN_ERROR;
  return CombineClip(dc, r ? r->rgn : nullptr, mode);
}

int OffsetClipRgn(HDC hdc, int dx, int dy) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return RGN_ERROR;
  if (dc->cur.clip) {
    POINT a = LpToDp(dc, POINT{0, 0}), b = LpToDp(dc, POINT{dx, dy});
    cairo_region_translate(dc->cur.clip, b.x - a.x, b.y - a.y);
    InvalidateClip(dc);
  }
  const std::vector<RECT>& rects = ClipRects(dc);
  return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int GetClipBox(HDC hdc, LPRECT rect) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !rect) return RGN_ERROR;
  const std::vector<RECT>& rects = ClipRects(dc);
  if (rects.empty()) {
    *rect = RECT{0, 0, 0, 0};
    return NULLREGION;
  }
  RECT b = dc->clipBounds;
  POINT a = DpToLp(dc, POINT{b.left - dc->origin.x, b.top - dc->origin.y});
  POINT c = DpToLp(dc, POINT{b.right - dc->origin.x, b.bottom - dc->origin.y});
  *rect = RECT{a.x, a.y, c.x, c.y};
  NormalizeRect(*rect);
  return rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int GetClipRgn(HDC hdc, HRGN rgn) {
  DCObj* dc = ToDC(hdc);
  RegionObj* r = ToRegion(rgn);
  if (!dc || !r) return -1;
  if (!dc->cur.clip) return 0;
  cairo_region_destroy(r->rgn);
  r->rgn = cairo_region_copy(dc->cur.clip);
  return 1;
}

BOOL PtVisible(HDC hdc, int x, int y) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  POINT p = LogicalToSurface(dc, POINT{x, y});
  return InClip(dc, p.x, p.y) ? TRUE : FALSE;
}

BOOL RectVisible(HDC hdc, const RECT* rect) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !rect) return FALSE;
  RECT r = LogicalToSurface(dc, *rect);
  for (const RECT& c : ClipRects(dc)) {
    if (!IsEmpty(Intersect(c, r))) return TRUE;
  }
  return FALSE;
}

// ---------------------------------------------------------------------------------------
// Regions

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto* r = new RegionObj();
  cairo_rectangle_int_t c = ToCairo(RECT{left, top, right, bottom});
  r->rgn = cairo_region_create_rectangle(&c);
  Register(r);
  return r;
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  RegionObj* r = ToRegion(rgn);
  if (!r) return FALSE;
  cairo_region_destroy(r->rgn);
  cairo_rectangle_int_t c = ToCairo(RECT{left, top, right, bottom});
  r->rgn = cairo_region_create_rectangle(&c);
  return TRUE;
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  RegionObj* d = ToRegion(dst);
  RegionObj* a = ToRegion(src1);
  RegionObj* b = mode == RGN_COPY ? nullptr : ToRegion(src2);
  if (!d || !a || (mode != RGN_COPY && !b)) return RGN_ERROR;
  cairo_region_t* result = cairo_region_copy(a->rgn);
  switch (mode) {
    case RGN_COPY:
      break;
    case RGN_AND:
      cairo_region_intersect(result, b->rgn);
      break;
    case RGN_OR:
      cairo_region_union(result, b->rgn);
      break;
    case RGN_XOR:
      cairo_region_xor(result, b->rgn);
      break;
    case RGN_DIFF:
      cairo_region_subtract(result, b->rgn);
      break;
    default:
      cairo_region_destroy(result);
      return RGN_ERROR;
  }
  cairo_region_destroy(d->rgn);
  d->rgn = result;
  return RegionKind(result);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  RegionObj* r = ToRegion(rgn);
  if (!r) return RGN_ERROR;
  cairo_region_translate(r->rgn, dx, dy);
  return RegionKind(r->rgn);
}

int GetRgnBox(HRGN rgn, LPRECT rect) {
  RegionObj* r = ToRegion(rgn);
  if (!r || !rect) return RGN_ERROR;
  if (cairo_region_is_empty(r->rgn)) {
    *rect = RECT{0, 0, 0, 0};
    return NULLREGION;
  }
  cairo_rectangle_int_t e;
  cairo_region_get_extents(r->rgn, &e);
  *rect = FromCairo(e);
  return RegionKind(r->rgn);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  RegionObj* r = ToRegion(rgn);
  return r && cairo_region_contains_point(r->rgn, x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN rgn, const RECT* rect) {
  RegionObj* r = ToRegion(rgn);
  if (!r || !rect) return FALSE;
  cairo_rectangle_int_t c = ToCairo(*rect);
  return cairo_region_contains_rectangle(r->rgn, &c) != CAIRO_REGION_OVERLAP_OUT ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
  RegionObj* ra = ToRegion(a);
  RegionObj* rb = ToRegion(b);
  return ra && rb && cairo_region_equal(ra->rgn, rb->rgn) ? TRUE : FALSE;
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  DCObj* dc = ToDC(hdc);
  RegionObj* r = ToRegion(rgn);
  BrushObj* b = ToBrush(brush);
  if (!dc || !r || !b) return FALSE;
  if (b->lb.lbStyle == BS_NULL) return TRUE;
  int n = cairo_region_num_rectangles(r->rgn);
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t c;
    cairo_region_get_rectangle(r->rgn, i, &c);
    FillSurfaceRect(dc, LogicalToSurface(dc, FromCairo(c)), PixelOf(b->lb.lbColor));
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// Objects

BOOL DeleteObject(HGDIOBJ obj) {
  ObjectState* s = IsLive(obj) ? StateOf(obj) : nullptr;
  if (!s) return FALSE;
  if (s->stock) return TRUE;
  if (s->refs > 0) {
    s->deletePending = true;
    return TRUE;
  }
  Destroy(obj);
  return TRUE;
}

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
  return Stocks().objects[index];
}

int GetObjectW(HGDIOBJ obj, int size, void* out) {
  if (!IsLive(obj)) return 0;
  if (auto* b = dynamic_cast<BitmapObj*>(obj)) {
    if (!out) return int(sizeof(BITMAP));
    if (size < int(sizeof(BITMAP))) return 0;
    BITMAP bm;
    cairo_surface_flush(b->surface);
    cairo_surface_mark_dirty(b->surface);
    bm.bmWidth = cairo_image_surface_get_width(b->surface);
    bm.bmHeight = cairo_image_surface_get_height(b->surface);
    bm.bmWidthBytes = cairo_image_surface_get_stride(b->surface);
    bm.bmBitsPixel = 32;
    bm.bmBits = cairo_image_surface_get_data(b->surface);
    *static_cast<BITMAP*>(out) = bm;
    return int(sizeof(BITMAP));
  }
  auto copy = [&](const auto& v) {
    using V = std::decay_t<decltype(v)>;
    if (!out) return int(sizeof(V));
    if (size < int(sizeof(V))) return 0;
    *static_cast<V*>(out) = v;
    return int(sizeof(V));
  };
  if (auto* f = dynamic_cast<FontObj*>(obj)) return copy(f->lf);
  if (auto* b = dynamic_cast<BrushObj*>(obj)) return copy(b->lb);
  if (auto* p = dynamic_cast<PenObj*>(obj)) return copy(p->lp);
  return 0;
}

DWORD GetObjectType(HGDIOBJ obj) {
  if (!IsLive(obj)) return 0;
  if (dynamic_cast<BitmapObj*>(obj)) return OBJ_BITMAP;
  if (dynamic_cast<FontObj*>(obj)) return OBJ_FONT;
  if (dynamic_cast<BrushObj*>(obj)) return OBJ_BRUSH;
  if (dynamic_cast<PenObj*>(obj)) return OBJ_PEN;
  if (dynamic_cast<RegionObj*>(obj)) return OBJ_REGION;
  return 0;
}

// ---------------------------------------------------------------------------------------
// Bitmaps and transfers

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (width < 1 || height < 1) return nullptr;
  return NewBitmap(width, height);
}

HBITMAP CreateBitmap32(int width, int height) {
  if (width < 1 || height < 1) return nullptr;
  return NewBitmap(width, height);
}

BOOL GdiFlush() {
  return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  DCObj* d = ToDC(dst);
  if (!d) return FALSE;
  if (cx <= 0 || cy <= 0) return TRUE;
  // BitBlt copies at the source's own scale: the source rectangle has the size the
  // destination rectangle has in device units, mapped back through the source's mapping.
  DCObj* s = RopUsesSource(rop) ? ToDC(src) : nullptr;
  if (RopUsesSource(rop) && !s) return FALSE;
  if (s && !(IsIdentityScale(d) && IsIdentityScale(s))) {
    POINT d0 = LpToDp(d, POINT{x, y}), d1 = LpToDp(d, POINT{x + cx, y + cy});
    POINT s0 = LpToDp(s, POINT{x1, y1});
    POINT s1 = DpToLp(s, POINT{s0.x + (d1.x - d0.x), s0.y + (d1.y - d0.y)});
    return StretchCore(dst, x, y, cx, cy, src, x1, y1, s1.x - x1, s1.y - y1, rop) ? TRUE : FALSE;
  }
  return StretchCore(dst, x, y, cx, cy, src, x1, y1, cx, cy, rop) ? TRUE : FALSE;
}

BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, int cx1, int cy1,
                DWORD rop) {
  return StretchCore(dst, x, y, cx, cy, src, x1, y1, cx1, cy1, rop) ? TRUE : FALSE;
}

int SetStretchBltMode(HDC hdc, int mode) {
  DCObj* dc = ToDC(hdc);
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int old = dc->cur.stretchMode;
  dc->cur.stretchMode = mode;
  return old;
}

BOOL TransparentBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, int cx1,
                    int cy1, UINT transparent) {
  DCObj* d = ToDC(dst);
  DCObj* s = ToDC(src);
  if (!d || !s || cx < 0 || cy < 0 || cx1 < 0 || cy1 < 0) return FALSE;
  POINT d0 = LogicalToSurface(d, POINT{x, y}), d1 = LogicalToSurface(d, POINT{x + cx, y + cy});
  POINT s0 = LogicalToSurface(s, POINT{x1, y1});
  POINT s1 = LogicalToSurface(s, POINT{x1 + cx1, y1 + cy1});
  uint32_t key = PixelOf(transparent) & 0x00FFFFFFu;
  return Transfer(d, d0.x, d0.y, d1.x - d0.x, d1.y - d0.y, s, s0.x, s0.y, s1.x - s0.x, s1.y - s0.y,
                  [key](uint32_t& dp, uint32_t sp) {
                    uint32_t rgb = (sp >> 24) == 255 ? sp & 0x00FFFFFFu
                                                     : PixelOf(ColorOfPixel(sp)) & 0x00FFFFFFu;
                    if (rgb != key) dp = sp;
                  })
             ? TRUE
             : FALSE;
}

BOOL PatBlt(HDC hdc, int x, int y, int cx, int cy, DWORD rop) {
  if (RopUsesSource(rop)) return FALSE;
  return StretchCore(hdc, x, y, cx, cy, nullptr, 0, 0, cx, cy, rop) ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------------------
// The cairo bridge and PNG files

namespace kx {

HDC CreateSurfaceDC(cairo_surface_t* surface, POINT origin, RECT clip) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
  auto* dc = new DCObj();
  dc->memory = false;
  dc->surface = cairo_surface_reference(surface);
  dc->origin = origin;
  dc->sysClipRect = clip;
  InitState(dc->cur);
  Register(dc);
  return dc;
}

void SetSurfaceDCClip(HDC hdc, const cairo_region_t* clip) {
  DCObj* dc = ToDC(hdc);
  if (!dc || dc->memory) return;
  if (dc->sysClip) cairo_region_destroy(dc->sysClip);
  dc->sysClip = clip ? cairo_region_copy(clip) : nullptr;
  InvalidateClip(dc);
}

HBITMAP CreateBitmapForSurface(cairo_surface_t* surface) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
    return nullptr;
  }
  auto* b = new BitmapObj();
  b->surface = cairo_surface_reference(surface);
  Register(b);
  return b;
}

cairo_surface_t* BitmapSurface(HBITMAP bitmap) {
  BitmapObj* b = ToBitmap(bitmap);
  return b ? b->surface : nullptr;
}

cairo_surface_t* DCSurface(HDC hdc) {
  return Surface(ToDC(hdc));
}

POINT DCOrigin(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  return dc ? dc->origin : POINT{0, 0};
}

cairo_region_t* DCClipRegion(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  cairo_region_t* r = cairo_region_create();
  if (!dc) return r;
  for (const RECT& c : ClipRects(dc)) {
    cairo_rectangle_int_t ci{c.left - dc->origin.x, c.top - dc->origin.y, c.right - c.left,
                             c.bottom - c.top};
    cairo_region_union_rectangle(r, &ci);
  }
  return r;
}

cairo_t* CreateDCContext(HDC hdc) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return nullptr;
  cairo_t* cr = CreateSurfaceContext(dc);
  if (!cr) return nullptr;
  const DCState& s = dc->cur;
  cairo_translate(cr, dc->origin.x + s.vpOrg.x, dc->origin.y + s.vpOrg.y);
  if (!IsIdentityScale(dc)) {
    cairo_scale(cr, double(s.vpExt.cx) / s.winExt.cx, double(s.vpExt.cy) / s.winExt.cy);
  }
  cairo_translate(cr, -s.winOrg.x, -s.winOrg.y);
  return cr;
}

bool WritePng(HBITMAP bitmap, const std::string& path) {
  BitmapObj* b = ToBitmap(bitmap);
  if (!b) return false;
  cairo_surface_flush(b->surface);
  return cairo_surface_write_to_png(b->surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool WritePng(HDC hdc, const std::string& path) {
  cairo_surface_t* s = Surface(ToDC(hdc));
  if (!s) return false;
  cairo_surface_flush(s);
  return cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

HBITMAP LoadPng(const std::string& path) {
  cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(png);
    return nullptr;
  }
  int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
  HBITMAP result = nullptr;
  if (cairo_image_surface_get_format(png) == CAIRO_FORMAT_ARGB32) {
    result = CreateBitmapForSurface(png);
  } else if (w > 0 && h > 0 && w <= kMaxBitmapSide && h <= kMaxBitmapSide) {
    result = NewBitmap(w, h);
    cairo_t* cr = cairo_create(static_cast<BitmapObj*>(result)->surface);
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  cairo_surface_destroy(png);
  return result;
}

HBRUSH SysColorBrush(int index) {
  if (index < 0 || index > COLOR_MENUBAR) return nullptr;
  return Stocks().sysBrushes[index];
}

}  // namespace kx
