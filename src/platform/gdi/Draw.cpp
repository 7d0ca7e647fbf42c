// Brushes, pens, shapes, lines, pixels, edges, frame controls, focus rectangles and the
// system colour table.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/GdiObjects.h"

namespace kx::gdi {

namespace {

// Dash patterns of the cosmetic pen styles, in pixels: on, off, on, off...
struct Dashes {
  int n;
  int len[6];
};
const Dashes* DashesOf(UINT style) {
  static const Dashes dash{2, {18, 6}};
  static const Dashes dot{2, {3, 3}};
  static const Dashes dashDot{4, {9, 6, 3, 6}};
  static const Dashes dashDotDot{6, {9, 3, 3, 3, 3, 3}};
  switch (style & 0x0F) {
    case PS_DASH:
      return &dash;
    case PS_DOT:
      return &dot;
    case PS_DASHDOT:
      return &dashDot;
    case PS_DASHDOTDOT:
      return &dashDotDot;
    default:
      return nullptr;
  }
}

// Pattern position of a cosmetic pen along a polyline.
struct DashState {
  const Dashes* d = nullptr;
  int seg = 0;
  int left = 0;
  bool On() const { return !d || (seg % 2) == 0; }
  void Step() {
    if (!d) return;
    if (--left <= 0) {
      seg = (seg + 1) % d->n;
      left = d->len[seg];
    }
  }
};

PenObj* CurrentPen(DCObj* dc) {
  return dc->cur.pen;
}
bool PenVisible(const PenObj* p) {
  return p && (p->lp.lopnStyle & 0x0F) != PS_NULL;
}
int PenWidth(const PenObj* p) {
  return std::max<int>(1, p->lp.lopnWidth.x);
}

// A one-pixel line in surface pixels from (x0, y0) to (x1, y1), the end point excluded.
void Bresenham(DCObj* dc, PixelAccess& px, int x0, int y0, int x1, int y1, uint32_t pixel,
               DashState& dash) {
  int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx - dy;
  int x = x0, y = y0;
  while (x != x1 || y != y1) {
    if (dash.On() && x >= 0 && y >= 0 && x < px.width && y < px.height) {
      PlotPixel(dc, px, x, y, pixel);
    }
    dash.Step();
    int e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

void SetCairoColor(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// Strokes a path of points (surface pixels) with the current pen; closes it when asked.
void StrokePoints(DCObj* dc, const std::vector<POINT>& pts, bool close) {
  PenObj* pen = CurrentPen(dc);
  if (!PenVisible(pen) || pts.size() < 2) return;
  uint32_t pixel = PixelOf(pen->lp.lopnColor);
  if (PenWidth(pen) == 1) {
    cairo_surface_t* s = Surface(dc);
    if (!s) return;
    PixelAccess px(s);
    DashState dash;
    dash.d = DashesOf(pen->lp.lopnStyle);
    if (dash.d) dash.left = dash.d->len[0];
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
      Bresenham(dc, px, pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, pixel, dash);
    }
    if (close) {
      Bresenham(dc, px, pts.back().x, pts.back().y, pts.front().x, pts.front().y, pixel, dash);
    }
    return;
  }
  // Geometric pens: solid, round joins and caps, centred on the path.
  cairo_t* cr = CreateSurfaceContext(dc);
  if (!cr) return;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, PenWidth(pen));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetCairoColor(cr, pen->lp.lopnColor);
  cairo_move_to(cr, pts[0].x + 0.5, pts[0].y + 0.5);
  for (size_t i = 1; i < pts.size(); ++i)
    cairo_line_to(cr, pts[i].x + 0.5, pts[i].y + 0.5);
  if (close) cairo_close_path(cr);
  cairo_stroke(cr);
  cairo_destroy(cr);
}

BrushObj* VisibleBrush(DCObj* dc) {
  BrushObj* b = dc->cur.brush;
  return b && b->lb.lbStyle != BS_NULL ? b : nullptr;
}

void Line1(DCObj* dc, int x0, int y0, int x1, int y1, COLORREF c) {
  // A horizontal or vertical one-pixel line in surface pixels, end excluded.
  if (y0 == y1) {
    FillSurfaceRect(dc, RECT{std::min(x0, x1), y0, std::max(x0, x1), y0 + 1}, PixelOf(c));
  } else {
    FillSurfaceRect(dc, RECT{x0, std::min(y0, y1), x0 + 1, std::max(y0, y1)}, PixelOf(c));
  }
}

// Colour tables of the edge styles, indexed by edge & 0x0F; -1 draws nothing.
const signed char LTInnerNormal[] = {-1,
                                     -1,
                                     -1,
                                     -1,
                                     -1,
                                     COLOR_BTNHIGHLIGHT,
                                     COLOR_BTNHIGHLIGHT,
                                     -1,
                                     -1,
                                     COLOR_3DDKSHADOW,
                                     COLOR_3DDKSHADOW,
                                     -1,
                                     -1,
                                     -1,
                                     -1,
                                     -1};
const signed char LTOuterNormal[] = {-1,
                                     COLOR_3DLIGHT,
                                     COLOR_BTNSHADOW,
                                     -1,
                                     COLOR_BTNHIGHLIGHT,
                                     COLOR_3DLIGHT,
                                     COLOR_BTNSHADOW,
                                     -1,
                                     COLOR_3DDKSHADOW,
                                     COLOR_3DLIGHT,
                                     COLOR_BTNSHADOW,
                                     -1,
                                     -1,
                                     COLOR_3DLIGHT,
                                     COLOR_BTNSHADOW,
                                     -1};
const signed char RBInnerNormal[] = {
    -1, -1, -1, -1, -1, COLOR_BTNSHADOW, COLOR_BTNSHADOW, -1, -1, COLOR_3DLIGHT, COLOR_3DLIGHT,
    -1, -1, -1, -1, -1};
const signed char RBOuterNormal[] = {-1,
                                     COLOR_3DDKSHADOW,
                                     COLOR_BTNHIGHLIGHT,
                                     -1,
                                     COLOR_BTNSHADOW,
                                     COLOR_3DDKSHADOW,
                                     COLOR_BTNHIGHLIGHT,
                                     -1,
                                     COLOR_3DLIGHT,
                                     COLOR_3DDKSHADOW,
                                     COLOR_BTNHIGHLIGHT,
                                     -1,
                                     -1,
                                     COLOR_3DDKSHADOW,
                                     COLOR_BTNHIGHLIGHT,
                                     -1};
const signed char LTInnerSoft[] = {
    -1, -1, -1, -1, -1, COLOR_3DLIGHT, COLOR_3DLIGHT, -1, -1, COLOR_BTNSHADOW, COLOR_BTNSHADOW,
    -1, -1, -1, -1, -1};
const signed char LTOuterSoft[] = {-1,
                                   COLOR_BTNHIGHLIGHT,
                                   COLOR_3DDKSHADOW,
                                   -1,
                                   COLOR_3DLIGHT,
                                   COLOR_BTNHIGHLIGHT,
                                   COLOR_3DDKSHADOW,
                                   -1,
                                   COLOR_BTNSHADOW,
                                   COLOR_BTNHIGHLIGHT,
                                   COLOR_3DDKSHADOW,
                                   -1,
                                   -1,
                                   COLOR_BTNHIGHLIGHT,
                                   COLOR_3DDKSHADOW,
                                   -1};
const signed char LTRBOuterMono[] = {
    -1,           COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME,
    COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME,
    COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME,
    COLOR_WINDOW, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME};
const signed char LTRBInnerMono[] = {
    -1, -1,           -1,           -1,           -1, COLOR_WINDOW, COLOR_WINDOW, COLOR_WINDOW,
    -1, COLOR_WINDOW, COLOR_WINDOW, COLOR_WINDOW, -1, COLOR_WINDOW, COLOR_WINDOW, COLOR_WINDOW};
const signed char LTRBOuterFlat[] = {-1,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNFACE,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNFACE,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNFACE,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNSHADOW,
                                     COLOR_BTNSHADOW};
const signed char LTRBInnerFlat[] = {-1,
                                     -1,
                                     -1,
                                     -1,
                                     -1,
                                     COLOR_BTNFACE,
                                     COLOR_BTNFACE,
                                     COLOR_BTNFACE,
                                     -1,
                                     COLOR_BTNFACE,
                                     COLOR_BTNFACE,
                                     COLOR_BTNFACE,
                                     -1,
                                     COLOR_BTNFACE,
                                     COLOR_BTNFACE,
                                     COLOR_BTNFACE};

// Draws a rectangle edge on a logical rectangle; returns the interior (logical).
RECT RectEdge(DCObj* dc, const RECT& rc, UINT edge, UINT flags) {
  int idx = int(edge & 0x0F);
  int ltOuter, rbOuter, ltInner, rbInner;
  if (flags & BF_MONO) {
    ltOuter = rbOuter = LTRBOuterMono[idx];
    ltInner = rbInner = LTRBInnerMono[idx];
  } else if (flags & BF_FLAT) {
    ltOuter = rbOuter = LTRBOuterFlat[idx];
    ltInner = rbInner = LTRBInnerFlat[idx];
  } else if (flags & BF_SOFT) {
    ltOuter = LTOuterSoft[idx];
    ltInner = LTInnerSoft[idx];
    rbOuter = RBOuterNormal[idx];
    rbInner = RBInnerNormal[idx];
  } else {
    ltOuter = LTOuterNormal[idx];
    ltInner = LTInnerNormal[idx];
    rbOuter = RBOuterNormal[idx];
    rbInner = RBInnerNormal[idx];
  }
  RECT r = LogicalToSurface(dc, rc);
  int lt = (flags & BF_TOPLEFT) == BF_TOPLEFT ? 1 : 0;
  int rt = (flags & (BF_TOP | BF_RIGHT)) == (BF_TOP | BF_RIGHT) ? 1 : 0;
  int lb = (flags & (BF_BOTTOM | BF_LEFT)) == (BF_BOTTOM | BF_LEFT) ? 1 : 0;
  int rb = (flags & BF_BOTTOMRIGHT) == BF_BOTTOMRIGHT ? 1 : 0;
  auto col = [](int i) { return kx::SysColor(i); };
  if (ltOuter >= 0) {
    if (flags & BF_TOP) Line1(dc, r.left, r.top, r.right, r.top, col(ltOuter));
    if (flags & BF_LEFT) Line1(dc, r.left, r.top, r.left, r.bottom, col(ltOuter));
  }
  if (rbOuter >= 0) {
    if (flags & BF_BOTTOM) Line1(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, col(rbOuter));
    if (flags & BF_RIGHT) Line1(dc, r.right - 1, r.top, r.right - 1, r.bottom, col(rbOuter));
  }
  if (ltInner >= 0) {
    if (flags & BF_TOP) Line1(dc, r.left + lt, r.top + 1, r.right - rt, r.top + 1, col(ltInner));
    if (flags & BF_LEFT) Line1(dc, r.left + 1, r.top + lt, r.left + 1, r.bottom - lb, col(ltInner));
  }
  if (rbInner >= 0) {
    if (flags & BF_BOTTOM) {
      Line1(dc, r.left + lb, r.bottom - 2, r.right - rb, r.bottom - 2, col(rbInner));
    }
    if (flags & BF_RIGHT) {
      Line1(dc, r.right - 2, r.top + rt, r.right - 2, r.bottom - rb, col(rbInner));
    }
  }
  int add = (LTRBInnerMono[idx] != -1 ? 1 : 0) + (LTRBOuterMono[idx] != -1 ? 1 : 0);
  RECT inner = rc;
  // The interior shrinks in logical units by the device widths (1:1 in the map modes used).
  if (flags & BF_LEFT) inner.left += add;
  if (flags & BF_TOP) inner.top += add;
  if (flags & BF_RIGHT) inner.right -= add;
  if (flags & BF_BOTTOM) inner.bottom -= add;
  if (flags & BF_MIDDLE) {
    COLORREF face = kx::SysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
    FillSurfaceRect(dc, LogicalToSurface(dc, inner), PixelOf(face));
  }
  return inner;
}

// A square of the rectangle's smaller side, centred.
RECT SquareIn(const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  int s = std::min(w, h);
  RECT q;
  q.left = r.left + (w - s) / 2;
  q.top = r.top + (h - s) / 2;
  q.right = q.left + s;
  q.bottom = q.top + s;
  return q;
}

void PutPattern(DCObj* dc, int x0, int y0, const char* const* rows, int n,
                const std::pair<char, COLORREF>* map, int mapN) {
  cairo_surface_t* s = Surface(dc);
  if (!s) return;
  PixelAccess px(s);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; rows[y][x]; ++x) {
      char c = rows[y][x];
      for (int i = 0; i < mapN; ++i) {
        if (map[i].first != c) continue;
        int sx = x0 + x, sy = y0 + y;
        if (sx >= 0 && sy >= 0 && sx < px.width && sy < px.height) {
          PlotPixel(dc, px, sx, sy, PixelOf(map[i].second));
        }
      }
    }
  }
}

BOOL ButtonCheck(DCObj* dc, const RECT& rc, UINT state) {
  RECT box = SquareIn(rc);
  bool gray = (state & (DFCS_INACTIVE | DFCS_PUSHED)) != 0;
  COLORREF fill = kx::SysColor(gray ? COLOR_BTNFACE : COLOR_WINDOW);
  RECT inner;
  if (state & (DFCS_FLAT | DFCS_MONO)) {
    inner = RectEdge(dc, box, BDR_SUNKENOUTER, BF_RECT | BF_MONO);
    if (state & DFCS_FLAT) {
      RECT sb = LogicalToSurface(dc, box);
      COLORREF c = kx::SysColor(COLOR_BTNSHADOW);
      Line1(dc, sb.left, sb.top, sb.right, sb.top, c);
      Line1(dc, sb.left, sb.bottom - 1, sb.right, sb.bottom - 1, c);
      Line1(dc, sb.left, sb.top, sb.left, sb.bottom, c);
      Line1(dc, sb.right - 1, sb.top, sb.right - 1, sb.bottom, c);
    }
  } else {
    inner = RectEdge(dc, box, EDGE_SUNKEN, BF_RECT);
  }
  RECT si = LogicalToSurface(dc, inner);
  FillSurfaceRect(dc, si, PixelOf(fill));
  if (state & DFCS_CHECKED) {
    // The classic 7 x 7 check mark, each column three pixels tall, centred in the box.
    static const int tops[7] = {2, 3, 4, 3, 2, 1, 0};
    int cx = si.left + (si.right - si.left - 7) / 2;
    int cy = si.top + (si.bottom - si.top - 7) / 2;
    COLORREF c = kx::SysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    for (int i = 0; i < 7; ++i) {
      RECT col{cx + i, cy + tops[i], cx + i + 1, cy + tops[i] + 3};
      FillSurfaceRect(dc, Intersect(col, si), PixelOf(c));
    }
  }
  return TRUE;
}

BOOL ButtonRadio(DCObj* dc, const RECT& rc, UINT state) {
  RECT box = LogicalToSurface(dc, SquareIn(rc));
  static const char* const ring[12] = {
      "....SSSS....", "..SSDDDDSS..", ".SDDWWWWDDH.", ".SDWWWWWWLH.",
      "SDWWWWWWWWLH", "SDWWWWWWWWLH", "SDWWWWWWWWLH", "SDWWWWWWWWLH",
      ".SDWWWWWWLH.", ".HLLWWWWLLH.", "..HHLLLLHH..", "....HHHH....",
  };
  static const char* const dot[12] = {
      "", "", "", "", "....XX", "...XXXX", "...XXXX", "....XX", "", "", "", "",
  };
  bool gray = (state & (DFCS_INACTIVE | DFCS_PUSHED)) != 0;
  bool mono = (state & (DFCS_FLAT | DFCS_MONO)) != 0;
  COLORREF frame = kx::SysColor((state & DFCS_FLAT) ? COLOR_BTNSHADOW : COLOR_WINDOWFRAME);
  COLORREF fill = kx::SysColor(gray ? COLOR_BTNFACE : COLOR_WINDOW);
  std::pair<char, COLORREF> map[] = {
      {'S', mono ? frame : kx::SysColor(COLOR_BTNSHADOW)},
      {'H', mono ? frame : kx::SysColor(COLOR_BTNHIGHLIGHT)},
      {'D', mono ? fill : kx::SysColor(COLOR_3DDKSHADOW)},
      {'L', mono ? fill : kx::SysColor(COLOR_3DLIGHT)},
      {'W', fill},
  };
  int side = box.right - box.left;
  int x0 = box.left + (side - 12) / 2, y0 = box.top + (side - 12) / 2;
  PutPattern(dc, x0, y0, ring, 12, map, 5);
  if (state & DFCS_CHECKED) {
    std::pair<char, COLORREF> dm[] = {
        {'X', kx::SysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT)}};
    PutPattern(dc, x0, y0, dot, 12, dm, 1);
  }
  return TRUE;
}

}  // namespace

}  // namespace kx::gdi

using namespace kx::gdi;

// ---------------------------------------------------------------------------------------
// Brushes and pens

HBRUSH CreateSolidBrush(COLORREF color) {
  LOGBRUSH lb;
  lb.lbStyle = BS_SOLID;
  lb.lbColor = color;
  return CreateBrushIndirect(&lb);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb || (lb->lbStyle != BS_SOLID && lb->lbStyle != BS_NULL)) return nullptr;
  auto* b = new BrushObj();
  b->lb = *lb;
  b->lb.lbColor &= 0x00FFFFFF;
  Register(b);
  return b;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  LOGPEN lp;
  lp.lopnStyle = UINT(style);
  lp.lopnWidth.x = width;
  lp.lopnColor = color;
  return CreatePenIndirect(&lp);
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp || (lp->lopnStyle & 0x0F) > PS_INSIDEFRAME) return nullptr;
  auto* p = new PenObj();
  p->lp = *lp;
  p->lp.lopnColor &= 0x00FFFFFF;
  if (p->lp.lopnWidth.x < 0) p->lp.lopnWidth.x = 1;
  // Styled pens are cosmetic: one pixel wide.
  if (DashesOf(p->lp.lopnStyle)) p->lp.lopnWidth.x = 1;
  Register(p);
  return p;
}

// ---------------------------------------------------------------------------------------
// Shapes

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  DCObj* dc = ToDC(hdc);
  BrushObj* b = ToBrush(brush);
  if (!dc || !rect || !b) return 0;
  if (b->lb.lbStyle == BS_NULL) return 1;
  FillSurfaceRect(dc, LogicalToSurface(dc, *rect), PixelOf(b->lb.lbColor));
  return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  DCObj* dc = ToDC(hdc);
  BrushObj* b = ToBrush(brush);
  if (!dc || !rect || !b) return 0;
  if (b->lb.lbStyle == BS_NULL) return 1;
  RECT r = LogicalToSurface(dc, *rect);
  if (IsEmpty(r)) return 1;
  uint32_t p = PixelOf(b->lb.lbColor);
  FillSurfaceRect(dc, RECT{r.left, r.top, r.right, r.top + 1}, p);
  FillSurfaceRect(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, p);
  FillSurfaceRect(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, p);
  FillSurfaceRect(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, p);
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !rect) return FALSE;
  ForEachClippedPixel(dc, LogicalToSurface(dc, *rect),
                      [](uint32_t& p, int, int) { p = (p ^ 0x00FFFFFFu) | 0xFF000000u; });
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  RECT r = LogicalToSurface(dc, RECT{left, top, right, bottom});
  PenObj* pen = CurrentPen(dc);
  BrushObj* brush = VisibleBrush(dc);
  if (!PenVisible(pen)) {
    // Without a pen the filled area loses its right and bottom edge, as in GDI.
    if (brush) {
      FillSurfaceRect(dc, RECT{r.left, r.top, r.right - 1, r.bottom - 1},
                      PixelOf(brush->lb.lbColor));
    }
    return TRUE;
  }
  int w = PenWidth(pen);
  if (brush) {
    FillSurfaceRect(dc, RECT{r.left + w, r.top + w, r.right - w, r.bottom - w},
                    PixelOf(brush->lb.lbColor));
  }
  if (w == 1) {
    std::vector<POINT> pts{
        {r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    StrokePoints(dc, pts, true);
    if (r.right - r.left == 1 || r.bottom - r.top == 1) {
      FillSurfaceRect(dc, r, PixelOf(pen->lp.lopnColor));
    }
  } else {
    // Wide pens frame the rectangle from inside.
    uint32_t p = PixelOf(pen->lp.lopnColor);
    FillSurfaceRect(dc, RECT{r.left, r.top, r.right, r.top + w}, p);
    FillSurfaceRect(dc, RECT{r.left, r.bottom - w, r.right, r.bottom}, p);
    FillSurfaceRect(dc, RECT{r.left, r.top, r.left + w, r.bottom}, p);
    FillSurfaceRect(dc, RECT{r.right - w, r.top, r.right, r.bottom}, p);
  }
  return TRUE;
}

namespace {
void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
  if (rx <= 0 || ry <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
}

void RoundRectPath(cairo_t* cr, double l, double t, double r, double b, double rx, double ry) {
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, l, t, r - l, b - t);
    return;
  }
  rx = std::min(rx, (r - l) / 2);
  ry = std::min(ry, (b - t) / 2);
  auto corner = [&](double cx, double cy, double a0) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, a0, a0 + M_PI / 2);
    cairo_restore(cr);
  };
  cairo_new_sub_path(cr);
  corner(r - rx, t + ry, -M_PI / 2);
  corner(r - rx, b - ry, 0);
  corner(l + rx, b - ry, M_PI / 2);
  corner(l + rx, t + ry, M_PI);
  cairo_close_path(cr);
}

// Fills and outlines a closed shape built by `path` in surface pixel-centre coordinates.
template <class Path>
BOOL Shape(DCObj* dc, Path path) {
  cairo_t* cr = CreateSurfaceContext(dc);
  if (!cr) return FALSE;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  if (BrushObj* b = VisibleBrush(dc)) {
    path(cr);
    SetCairoColor(cr, b->lb.lbColor);
    cairo_fill(cr);
  }
  PenObj* pen = CurrentPen(dc);
  if (PenVisible(pen)) {
    path(cr);
    SetCairoColor(cr, pen->lp.lopnColor);
    cairo_set_line_width(cr, PenWidth(pen));
    if (const Dashes* d = DashesOf(pen->lp.lopnStyle)) {
      double dd[6];
      for (int i = 0; i < d->n; ++i)
        dd[i] = d->len[i];
      cairo_set_dash(cr, dd, d->n, 0);
    }
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  return TRUE;
}
}  // namespace

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  RECT r = LogicalToSurface(dc, RECT{left, top, right, bottom});
  double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
  double rx = (r.right - r.left - 1) / 2.0, ry = (r.bottom - r.top - 1) / 2.0;
  return Shape(dc, [&](cairo_t* cr) { EllipsePath(cr, cx, cy, rx, ry); });
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  RECT r = LogicalToSurface(dc, RECT{left, top, right, bottom});
  return Shape(dc, [&](cairo_t* cr) {
    RoundRectPath(cr, r.left + 0.5, r.top + 0.5, r.right - 0.5, r.bottom - 0.5, width / 2.0,
                  height / 2.0);
  });
}

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !pts || count < 2) return FALSE;
  std::vector<POINT> sp;
  sp.reserve(size_t(count));
  for (int i = 0; i < count; ++i)
    sp.push_back(LogicalToSurface(dc, pts[i]));
  StrokePoints(dc, sp, false);
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* pts, int count) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !pts || count < 2) return FALSE;
  std::vector<POINT> sp;
  for (int i = 0; i < count; ++i)
    sp.push_back(LogicalToSurface(dc, pts[i]));
  if (BrushObj* b = VisibleBrush(dc)) {
    cairo_t* cr = CreateSurfaceContext(dc);
    if (cr) {
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
      cairo_move_to(cr, sp[0].x + 0.5, sp[0].y + 0.5);
      for (size_t i = 1; i < sp.size(); ++i)
        cairo_line_to(cr, sp[i].x + 0.5, sp[i].y + 0.5);
      cairo_close_path(cr);
      SetCairoColor(cr, b->lb.lbColor);
      cairo_fill(cr);
      cairo_destroy(cr);
    }
  }
  StrokePoints(dc, sp, true);
  return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->cur.pos;
  dc->cur.pos = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return FALSE;
  std::vector<POINT> sp{LogicalToSurface(dc, dc->cur.pos), LogicalToSurface(dc, POINT{x, y})};
  StrokePoints(dc, sp, false);
  dc->cur.pos = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT pt) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !pt) return FALSE;
  *pt = dc->cur.pos;
  return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return CLR_INVALID;
  cairo_surface_t* s = Surface(dc);
  if (!s) return CLR_INVALID;
  POINT p = LogicalToSurface(dc, POINT{x, y});
  if (!InClip(dc, p.x, p.y)) return CLR_INVALID;
  PixelAccess px(s);
  px.Row(p.y)[p.x] = PixelOf(color);
  return color & 0x00FFFFFF;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) {
  return SetPixel(hdc, x, y, color) != CLR_INVALID ? TRUE : FALSE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  DCObj* dc = ToDC(hdc);
  if (!dc) return CLR_INVALID;
  cairo_surface_t* s = Surface(dc);
  if (!s) return CLR_INVALID;
  POINT p = LogicalToSurface(dc, POINT{x, y});
  if (!InClip(dc, p.x, p.y)) return CLR_INVALID;
  PixelAccess px(s);
  return ColorOfPixel(px.Row(p.y)[p.x]);
}

// ---------------------------------------------------------------------------------------
// Edges, frame controls, focus rectangles

BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !rect) return FALSE;
  RECT inner = RectEdge(dc, *rect, edge, flags);
  if (flags & BF_ADJUST) *rect = inner;
  return TRUE;
}

BOOL DrawFrameControl(HDC hdc, LPRECT rect, UINT type, UINT state) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !rect || type != DFC_BUTTON) return FALSE;
  if (state & DFCS_BUTTONRADIO) return ButtonRadio(dc, *rect, state);
  if (state & DFCS_BUTTONPUSH) {
    UINT edge = (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED;
    RectEdge(dc, *rect, edge, BF_RECT | BF_MIDDLE | BF_SOFT);
    return TRUE;
  }
  return ButtonCheck(dc, *rect, state);
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
  DCObj* dc = ToDC(hdc);
  if (!dc || !rect) return FALSE;
  RECT r = LogicalToSurface(dc, *rect);
  if (IsEmpty(r)) return TRUE;
  // Every other pixel of the one-pixel frame, inverted; the dots follow the surface grid so
  // that a second call restores the pixels exactly.
  auto invert = [](uint32_t& p, int x, int y) {
    if (((x + y) & 1) == 0) p ^= 0x00FFFFFFu;
  };
  ForEachClippedPixel(dc, RECT{r.left, r.top, r.right, r.top + 1}, invert);
  if (r.bottom - r.top > 1) {
    ForEachClippedPixel(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, invert);
  }
  ForEachClippedPixel(dc, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, invert);
  if (r.right - r.left > 1) {
    ForEachClippedPixel(dc, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, invert);
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------
// System colours: the Windows 10 default scheme.

namespace kx {

COLORREF SysColor(int index) {
  static const COLORREF table[] = {
      RGB(200, 200, 200),  // COLOR_SCROLLBAR
      RGB(0, 0, 0),        // COLOR_BACKGROUND
      RGB(153, 180, 209),  // COLOR_ACTIVECAPTION
      RGB(191, 205, 219),  // COLOR_INACTIVECAPTION
      RGB(240, 240, 240),  // COLOR_MENU
      RGB(255, 255, 255),  // COLOR_WINDOW
      RGB(100, 100, 100),  // COLOR_WINDOWFRAME
      RGB(0, 0, 0),        // COLOR_MENUTEXT
      RGB(0, 0, 0),        // COLOR_WINDOWTEXT
      RGB(0, 0, 0),        // COLOR_CAPTIONTEXT
      RGB(180, 180, 180),  // COLOR_ACTIVEBORDER
      RGB(244, 247, 252),  // COLOR_INACTIVEBORDER
      RGB(171, 171, 171),  // COLOR_APPWORKSPACE
      RGB(0, 120, 215),    // COLOR_HIGHLIGHT
      RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
      RGB(240, 240, 240),  // COLOR_BTNFACE
      RGB(160, 160, 160),  // COLOR_BTNSHADOW
      RGB(109, 109, 109),  // COLOR_GRAYTEXT
      RGB(0, 0, 0),        // COLOR_BTNTEXT
      RGB(0, 0, 0),        // COLOR_INACTIVECAPTIONTEXT
      RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
      RGB(105, 105, 105),  // COLOR_3DDKSHADOW
      RGB(227, 227, 227),  // COLOR_3DLIGHT
      RGB(0, 0, 0),        // COLOR_INFOTEXT
      RGB(255, 255, 225),  // COLOR_INFOBK
      RGB(0, 0, 0),        // 25: unused
      RGB(0, 102, 204),    // COLOR_HOTLIGHT
      RGB(185, 209, 234),  // COLOR_GRADIENTACTIVECAPTION
      RGB(215, 228, 242),  // COLOR_GRADIENTINACTIVECAPTION
      RGB(0, 120, 215),    // COLOR_MENUHILIGHT
      RGB(240, 240, 240),  // COLOR_MENUBAR
  };
  if (index < 0 || index >= int(sizeof(table) / sizeof(table[0]))) return 0;
  return table[index];
}

}  // namespace kx
