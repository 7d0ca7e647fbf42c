// Painting: update regions, the order of WM_PAINT, device contexts over the root back
// buffers with their visible regions, and the composition that the display presents.
#include <algorithm>
#include <functional>

#include "platform/display/DisplayBackend.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiCairo.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace kx::ws {
namespace {

bool gPresentDirty = false;
bool gLastCaretOn = false;
RECT gLastCaretRect{};

int Width(const RECT& r) {
  return r.right - r.left;
}
int Height(const RECT& r) {
  return r.bottom - r.top;
}

cairo_region_t* RectRegion(int x, int y, int w, int h) {
  cairo_rectangle_int_t r{x, y, std::max(w, 0), std::max(h, 0)};
  return cairo_region_create_rectangle(&r);
}

bool IsTransparent(const Window* w) {
  return (w->exStyle & WS_EX_TRANSPARENT) != 0;
}
bool IsShownSelf(const Window* w) {
  return (w->style & WS_VISIBLE) != 0;
}

cairo_region_t* WholeInRoot(const Window* w) {
  POINT o = WindowOriginInRoot(w);
  return RectRegion(o.x, o.y, Width(w->rect), Height(w->rect));
}

cairo_region_t* ClientInRoot(const Window* w) {
  POINT o = WindowOriginInRoot(w);
  return RectRegion(o.x + w->client.left, o.y + w->client.top, Width(w->client), Height(w->client));
}

// What of a window (its client area or the whole window) is visible in its root: inside
// every ancestor's client area, outside opaque siblings above it and above each ancestor,
// outside its own opaque children. Root coordinates.
cairo_region_t* VisibleRegion(const Window* w, bool clientOnly) {
  cairo_region_t* region = clientOnly ? ClientInRoot(w) : WholeInRoot(w);
  if (!IsShownTree(w)) {
    cairo_region_subtract(region, region);
    return region;
  }
  for (const Window* node = w; node->parent; node = node->parent) {
    const Window* p = node->parent;
    cairo_region_t* pc = ClientInRoot(p);
    cairo_region_intersect(region, pc);
    cairo_region_destroy(pc);
    auto it = std::find(p->children.begin(), p->children.end(), node);
    for (++it; it != p->children.end(); ++it) {
      if (!IsShownSelf(*it) || IsTransparent(*it)) continue;
      cairo_region_t* a = WholeInRoot(*it);
      cairo_region_subtract(region, a);
      cairo_region_destroy(a);
    }
  }
  const Window* root = RootOf(const_cast<Window*>(w));
  cairo_region_t* bounds = RectRegion(0, 0, Width(root->rect), Height(root->rect));
  cairo_region_intersect(region, bounds);
  cairo_region_destroy(bounds);
  for (const Window* c : w->children) {
    if (!IsShownSelf(c) || IsTransparent(c)) continue;
    cairo_region_t* a = WholeInRoot(c);
    cairo_region_subtract(region, a);
    cairo_region_destroy(a);
  }
  return region;
}

void AddUpdate(Window* w, cairo_region_t* clientRegion, bool erase) {
  cairo_region_t* bounds = RectRegion(0, 0, Width(w->client), Height(w->client));
  cairo_region_intersect(clientRegion, bounds);
  cairo_region_destroy(bounds);
  if (cairo_region_is_empty(clientRegion)) return;
  if (!w->update) w->update = cairo_region_create();
  cairo_region_union(w->update, clientRegion);
  if (erase) w->erase = true;
}

// A device context over the window's root back buffer. `extra` (client coordinates of the
// window) narrows the clip further.
HDC MakeDC(Window* w, bool clientOnly, const cairo_region_t* extra) {
  Window* root = RootOf(w);
  EnsureSurface(root);
  if (!root->surface) return nullptr;
  const POINT windowOrigin = WindowOriginInRoot(w);
  const POINT clientOrigin{windowOrigin.x + w->client.left, windowOrigin.y + w->client.top};
  const POINT o = clientOnly ? clientOrigin : windowOrigin;
  cairo_region_t* vis = VisibleRegion(w, clientOnly);
  if (extra) {
    cairo_region_t* e = cairo_region_copy(extra);
    cairo_region_translate(e, clientOrigin.x, clientOrigin.y);
    cairo_region_intersect(vis, e);
    cairo_region_destroy(e);
  }
  cairo_region_translate(vis, -o.x, -o.y);
  cairo_rectangle_int_t box;
  cairo_region_get_extents(vis, &box);
  RECT clip{box.x, box.y, box.x + box.width, box.y + box.height};
  HDC dc = kx::CreateSurfaceDC(root->surface, o, clip);
  if (dc) kx::SetSurfaceDCClip(dc, vis);
  cairo_region_destroy(vis);
  return dc;
}

void ForEachPreOrder(Window* w, const std::function<bool(Window*)>& f) {
  if (!f(w)) return;
  for (Window* c : std::vector<Window*>(w->children))
    ForEachPreOrder(c, f);
}

Window* FindInTree(Window* w, Window* filter, DWORD thread) {
  if (!IsShownSelf(w) || w->destroyed) return nullptr;
  bool inFilter = !filter || w == filter || IsChild(filter, w);
  if (inFilter && w->thread == thread &&
      (w->ncDirty || (w->update && !cairo_region_is_empty(w->update))))
    return w;
  for (Window* c : w->children)
    if (Window* found = FindInTree(c, filter, thread)) return found;
  return nullptr;
}

// After `w` has painted `rootArea`, the transparent windows above it that overlap it must
// repaint over the new content.
void InvalidateTransparentAbove(Window* w, const cairo_region_t* rootArea) {
  Window* root = RootOf(w);
  bool after = false;
  std::function<void(Window*)> walk = [&](Window* n) {
    if (!IsShownSelf(n)) return;
    if (n == w) {
      after = true;
    } else if (after && IsTransparent(n)) {
      InvalidateTree(n, rootArea, true);
      return;  // its subtree is handled
    }
    for (Window* c : n->children)
      walk(c);
  };
  walk(root);
}

}  // namespace

void EnsureSurface(Window* root) {
  int w = std::max(1, Width(root->rect));
  int h = std::max(1, Height(root->rect));
  if (root->surface && cairo_image_surface_get_width(root->surface) == w &&
      cairo_image_surface_get_height(root->surface) == h)
    return;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(s);
  COLORREF face = kx::SysColor(COLOR_BTNFACE);
  cairo_set_source_rgb(cr, GetRValue(face) / 255.0, GetGValue(face) / 255.0,
                       GetBValue(face) / 255.0);
  cairo_paint(cr);
  if (root->surface) {
    cairo_set_source_surface(cr, root->surface, 0, 0);
    cairo_paint(cr);
  }
  cairo_destroy(cr);
  ReleaseSurface(root);
  root->surface = s;
  gPresentDirty = true;
}

void ReleaseSurface(Window* root) {
  if (root->surface) cairo_surface_destroy(root->surface);
  root->surface = nullptr;
}

void MarkRootDirty(Window*) {
  gPresentDirty = true;
}
bool AnyRootDirty() {
  return gPresentDirty;
}

Window* FindWindowToPaint(Window* filter) {
  DWORD thread = GetCurrentThreadId();
  for (Window* r : Roots())
    if (Window* w = FindInTree(r, filter, thread)) return w;
  return nullptr;
}

void InvalidateTree(Window* w, const cairo_region_t* rootArea, bool erase) {
  ForEachPreOrder(w, [&](Window* n) {
    if (!IsShownSelf(n)) return false;
    cairo_region_t* whole = WholeInRoot(n);
    cairo_region_intersect(whole, rootArea);
    if (!cairo_region_is_empty(whole)) {
      cairo_region_t* client = ClientInRoot(n);
      cairo_region_t* nc = cairo_region_copy(whole);
      cairo_region_subtract(nc, client);
      if (!cairo_region_is_empty(nc)) n->ncDirty = true;
      cairo_region_intersect(whole, client);
      POINT o = WindowOriginInRoot(n);
      cairo_region_translate(whole, -(o.x + n->client.left), -(o.y + n->client.top));
      AddUpdate(n, whole, erase);
      cairo_region_destroy(nc);
      cairo_region_destroy(client);
    }
    cairo_region_destroy(whole);
    return true;
  });
}

void InvalidateWhole(Window* w, bool erase) {
  ForEachPreOrder(w, [&](Window* n) {
    if (!IsShownSelf(n)) return false;
    cairo_region_t* all = RectRegion(0, 0, Width(n->client), Height(n->client));
    AddUpdate(n, all, erase);
    cairo_region_destroy(all);
    n->ncDirty = true;
    return true;
  });
}

cairo_region_t* VisibleClientInRoot(const Window* w) {
  return VisibleRegion(w, true);
}

cairo_surface_t* ComposeTopLevel() {
  Window* top = TopLevel();
  if (!top) return nullptr;
  EnsureSurface(top);
  RECT caret{};
  cairo_region_t* caretShape = nullptr;
  bool caretOn = CaretShownNow(&caret, &caretShape);
  bool popups = false;
  for (Window* r : Roots())
    if (r != top && IsShownSelf(r) && r->surface) popups = true;
  if (!popups && !caretOn) return cairo_surface_reference(top->surface);
  int w = cairo_image_surface_get_width(top->surface);
  int h = cairo_image_surface_get_height(top->surface);
  // One composition surface is kept: a blinking caret must not cost an allocation.
  static cairo_surface_t* out = nullptr;
  if (!out || cairo_image_surface_get_width(out) != w || cairo_image_surface_get_height(out) != h) {
    if (out) cairo_surface_destroy(out);
    out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  }
  cairo_t* cr = cairo_create(out);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, top->surface, 0, 0);
  cairo_paint(cr);
  // SOURCE is unbounded: the pop-ups, smaller than the window, go OVER.
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  POINT ts = RootScreenPos(top);
  for (Window* r : Roots()) {
    if (r == top || !IsShownSelf(r) || !r->surface) continue;
    POINT ps = RootScreenPos(r);
    cairo_set_source_surface(cr, r->surface, ps.x - ts.x, ps.y - ts.y);
    cairo_paint(cr);
  }
  if (caretOn) {
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    for (int i = 0, n = cairo_region_num_rectangles(caretShape); i < n; ++i) {
      cairo_rectangle_int_t r;
      cairo_region_get_rectangle(caretShape, i, &r);
      cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    }
    cairo_fill(cr);
    cairo_region_destroy(caretShape);
  }
  cairo_destroy(cr);
  return cairo_surface_reference(out);
}

void PresentIfNeeded() {
  display::Backend* b = display::ActiveOrNull();
  if (!b || b->Kind() != DisplayKind::Sdl) return;
  Window* top = TopLevel();
  if (!top || !IsShownSelf(top) || display::DisplayThread() != GetCurrentThreadId()) return;
  RECT caret{};
  bool caretOn = CaretShownNow(&caret);
  if (!gPresentDirty && caretOn == gLastCaretOn && (!caretOn || caret == gLastCaretRect)) return;
  // Only the caret changed: only its old and new places are presented.
  RECT area{0, 0, Width(top->rect), Height(top->rect)};
  if (!gPresentDirty) {
    RECT a = gLastCaretOn ? gLastCaretRect : caret;
    RECT c = caretOn ? caret : gLastCaretRect;
    area = RECT{std::min(a.left, c.left), std::min(a.top, c.top), std::max(a.right, c.right),
                std::max(a.bottom, c.bottom)};
  }
  gPresentDirty = false;
  gLastCaretOn = caretOn;
  gLastCaretRect = caret;
  cairo_surface_t* image = ComposeTopLevel();
  if (!image) return;
  cairo_surface_flush(image);
  b->Present(image, area);
  cairo_surface_destroy(image);
}

}  // namespace kx::ws

using namespace kx::ws;

namespace {

cairo_region_t* ClientRegionOf(Window* w, const RECT* rect) {
  RECT r =
      rect ? *rect : RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  cairo_rectangle_int_t c{r.left, r.top, std::max(0, r.right - r.left),
                          std::max(0, r.bottom - r.top)};
  return cairo_region_create_rectangle(&c);
}

// The rectangles of a GDI region are not exposed; its bounding box stands for it, and an
// exact answer is given only when the region is that rectangle.
bool RegionBox(HRGN rgn, RECT* box, bool* exact) {
  if (!rgn) return false;
  if (GetRgnBox(rgn, box) == RGN_ERROR) return false;
  HRGN r = CreateRectRgnIndirect(box);
  *exact = EqualRgn(rgn, r) != FALSE;
  DeleteObject(r);
  return true;
}

void Validate(Window* w, const RECT* rect) {
  if (!w->update) return;
  if (!rect) {
    cairo_region_destroy(w->update);
    w->update = nullptr;
    w->erase = false;
    return;
  }
  cairo_region_t* r = ClientRegionOf(w, rect);
  cairo_region_subtract(w->update, r);
  cairo_region_destroy(r);
  if (cairo_region_is_empty(w->update)) {
    cairo_region_destroy(w->update);
    w->update = nullptr;
    w->erase = false;
  }
}

}  // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  Window* w = AsWindow(hwnd);
  if (!hwnd) {
    // Windows: all windows. Here: every root.
    for (Window* r : Roots())
      InvalidateWhole(r, erase);
    return TRUE;
  }
  if (!w) return FALSE;
  cairo_region_t* r = ClientRegionOf(w, rect);
  AddUpdate(w, r, erase != FALSE);
  cairo_region_destroy(r);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* w = AsWindow(hwnd);
  if (!w) return FALSE;
  Validate(w, rect);
  if (!rect) w->ncDirty = false;
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  if (!rgn) return InvalidateRect(hwnd, nullptr, erase);
  RECT box;
  bool exact;
  if (!RegionBox(rgn, &box, &exact)) return FALSE;
  return InvalidateRect(hwnd, &box, erase);
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn) {
  if (!rgn) return ValidateRect(hwnd, nullptr);
  RECT box;
  bool exact;
  if (!RegionBox(rgn, &box, &exact)) return FALSE;
  if (!exact) return AsWindow(hwnd) ? TRUE : FALSE;  // validating less is always safe
  return ValidateRect(hwnd, &box);
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL /*erase*/) {
  Window* w = AsWindow(hwnd);
  if (!w) return FALSE;
  bool any = w->update && !cairo_region_is_empty(w->update);
  if (rect) {
    *rect = RECT{};
    if (any) {
      cairo_rectangle_int_t b;
      cairo_region_get_extents(w->update, &b);
      *rect = RECT{b.x, b.y, b.x + b.width, b.y + b.height};
    }
  }
  return any ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  if (!w) return FALSE;
  // The window and its invalid descendants are painted now, parents first.
  for (int guard = 0; guard < 10000; ++guard) {
    if (!AsWindow(hwnd)) break;
    Window* next = FindWindowToPaint(w);
    if (!next) break;
    MSG m;
    m.hwnd = next;
    m.message = WM_PAINT;
    m.time = GetTickCount();
    DispatchMessageW(&m);
  }
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
  Window* w = AsWindow(hwnd);
  if (!w) return FALSE;
  if (flags & RDW_INVALIDATE) {
    RECT box;
    bool exact;
    const RECT* area = rect;
    if (rgn && RegionBox(rgn, &box, &exact)) area = &box;
    if (flags & RDW_ALLCHILDREN) {
      cairo_region_t* r = ClientRegionOf(w, area);
      POINT o = WindowOriginInRoot(w);
      cairo_region_translate(r, o.x + w->client.left, o.y + w->client.top);
      InvalidateTree(w, r, (flags & RDW_ERASE) != 0);
      cairo_region_destroy(r);
    } else {
      InvalidateRect(hwnd, area, (flags & RDW_ERASE) ? TRUE : FALSE);
    }
    if (flags & RDW_FRAME) w->ncDirty = true;
  }
  if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  Window* w = AsWindow(hwnd);
  if (!w || !ps) return nullptr;
  *ps = PAINTSTRUCT{};
  w->paintedInDispatch = true;
  if (w->ncDirty) {
    w->ncDirty = false;
    CallProc(w, WM_NCPAINT, 1, 0);
    w = AsWindow(hwnd);
    if (!w) return nullptr;
  }
  cairo_region_t* update = w->update ? w->update : cairo_region_create();
  w->update = nullptr;
  const bool erase = w->erase;
  w->erase = false;

  if (!cairo_region_is_empty(update) && IsShownTree(w)) {
    cairo_region_t* rootArea = cairo_region_copy(update);
    POINT o = WindowOriginInRoot(w);
    cairo_region_translate(rootArea, o.x + w->client.left, o.y + w->client.top);
    InvalidateTransparentAbove(w, rootArea);
    cairo_region_destroy(rootArea);
  }

  HDC dc = MakeDC(w, true, update);
  cairo_rectangle_int_t b;
  cairo_region_get_extents(update, &b);
  cairo_region_destroy(update);
  ps->hdc = dc;
  ps->rcPaint = RECT{b.x, b.y, b.x + b.width, b.y + b.height};
  ps->fErase = FALSE;
  if (erase && dc) {
    LRESULT erased = CallProc(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ps->fErase = erased ? FALSE : TRUE;
  }
  MarkRootDirty(nullptr);
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (ps && ps->hdc) DeleteDC(ps->hdc);
  MarkRootDirty(nullptr);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  if (!w) return nullptr;
  MarkRootDirty(nullptr);
  return MakeDC(w, true, nullptr);
}

HDC GetWindowDC(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  if (!w) return nullptr;
  MarkRootDirty(nullptr);
  return MakeDC(w, false, nullptr);
}

int ReleaseDC(HWND, HDC dc) {
  if (!dc) return 0;
  DeleteDC(dc);
  MarkRootDirty(nullptr);
  return 1;
}
