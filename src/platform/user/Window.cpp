// Lightweight windows: creation and destruction, the tree and its z-order, geometry and
// the non-client margin, styles, text and the default window procedure.
#include <algorithm>
#include <cstring>
#include <set>

#include "platform/display/DisplayBackend.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace kx::ws {
namespace {

std::mutex& LiveMutex() {
  static std::mutex m;
  return m;
}
std::set<const HWND__*>& Live() {
  static std::set<const HWND__*> live;
  return live;
}
std::vector<Window*>& RootList() {
  static std::vector<Window*> roots;
  return roots;
}
// Destroyed windows wait here until no dispatch is running. The list is never destroyed:
// freeing a window touches the surfaces and the display, which may already be gone while
// the program's statics are torn down; the windows still waiting then stay reachable.
std::vector<Window*>& Zombies() {
  static auto* z = new std::vector<Window*>;
  return *z;
}
Window* gTopLevel = nullptr;
bool gDisplayOpen = false;

int Width(const RECT& r) {
  return r.right - r.left;
}
int Height(const RECT& r) {
  return r.bottom - r.top;
}

std::vector<Window*>& SiblingsOf(Window* w) {
  return w->parent ? w->parent->children : RootList();
}

POINT CentredPosition(int width, int height) {
  SIZE screen = display::Active().ScreenSize();
  return POINT{(screen.cx - width) / 2, (screen.cy - height) / 2};
}

// Asks the window procedure for the client rectangle.
void RecalcClient(Window* w) {
  NCCALCSIZE_PARAMS p;
  p.rgrc[0] = w->rect;
  p.rgrc[1] = w->rect;
  p.rgrc[2] = w->rect;
  CallProc(w, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
  RECT c = p.rgrc[0];
  c.left = std::clamp(c.left, w->rect.left, w->rect.right);
  c.right = std::clamp(c.right, c.left, w->rect.right);
  c.top = std::clamp(c.top, w->rect.top, w->rect.bottom);
  c.bottom = std::clamp(c.bottom, c.top, w->rect.bottom);
  w->client = RECT{c.left - w->rect.left, c.top - w->rect.top, c.right - w->rect.left,
                   c.bottom - w->rect.top};
}

// The window's whole area in its root's coordinates.
cairo_region_t* AreaInRoot(Window* w) {
  POINT o = WindowOriginInRoot(w);
  cairo_rectangle_int_t r{o.x, o.y, Width(w->rect), Height(w->rect)};
  return cairo_region_create_rectangle(&r);
}

// The area a window covered is revealed: its parent (or, for a pop-up, the top-level
// composition) must show what lies beneath.
void RevealArea(Window* w) {
  if (!IsShownTree(w)) return;
  if (w->parent) {
    cairo_region_t* area = AreaInRoot(w);
    InvalidateTree(w->parent, area, true);
    cairo_region_destroy(area);
  }
  if (Window* top = TopLevel()) MarkRootDirty(top);
}

void OpenDisplayIfNeeded(Window* w) {
  if (!w->isTopLevel || !(w->style & WS_VISIBLE)) return;
  display::Backend& b = display::Active();
  if (!gDisplayOpen) {
    gDisplayOpen = b.OpenWindow(Width(w->rect), Height(w->rect), w->text);
  }
  if (gDisplayOpen) b.ShowWindow(true);
}

void SendDestroy(Window* w) {
  HWND h = w;
  CallProc(w, WM_DESTROY, 0, 0);
  if (!AsWindow(h)) return;
  std::vector<Window*> kids = w->children;
  for (Window* c : kids)
    if (AsWindow(c)) SendDestroy(c);
}

void Unregister(Window* w) {
  for (Window* c : std::vector<Window*>(w->children))
    if (!c->destroyed) Unregister(c);
  if (AsWindow(w)) CallProc(w, WM_NCDESTROY, 0, 0);
  KillTimersOf(w);
  ForgetCaretOf(w);
  ForgetWindowInput(w);
  {
    std::lock_guard<std::mutex> lock(LiveMutex());
    Live().erase(w);
  }
  w->destroyed = true;
  Zombies().push_back(w);
}

}  // namespace

Window* AsWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  std::lock_guard<std::mutex> lock(LiveMutex());
  if (!Live().count(hwnd)) return nullptr;
  auto* w = static_cast<Window*>(hwnd);
  return w->destroyed ? nullptr : w;
}

DWORD WindowThreadOf(HWND hwnd) {
  if (!hwnd) return 0;
  std::lock_guard<std::mutex> lock(LiveMutex());
  if (!Live().count(hwnd)) return 0;
  return static_cast<Window*>(hwnd)->thread;
}

LRESULT CallProc(Window* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!w || !w->proc) return w ? DefWindowProcW(w, msg, wParam, lParam) : 0;
  Queue& q = CurrentQueue();
  ++q.dispatchDepth;
  LRESULT r = w->proc(w, msg, wParam, lParam);
  --q.dispatchDepth;
  return r;
}

Window* TopLevel() {
  return gTopLevel;
}
const std::vector<Window*>& Roots() {
  return RootList();
}

Window* RootOf(Window* w) {
  while (w && w->parent)
    w = w->parent;
  return w;
}

POINT RootScreenPos(const Window* root) {
  if (root->isTopLevel) {
    POINT centred = CentredPosition(Width(root->rect), Height(root->rect));
    return gDisplayOpen ? display::Active().WindowPosition(centred) : centred;
  }
  return POINT{root->rect.left, root->rect.top};
}

POINT WindowOriginInRoot(const Window* w) {
  if (!w->parent) return POINT{0, 0};
  POINT p = WindowOriginInRoot(w->parent);
  return POINT{p.x + w->parent->client.left + w->rect.left,
               p.y + w->parent->client.top + w->rect.top};
}

bool IsShownTree(const Window* w) {
  for (; w; w = w->parent)
    if (!(w->style & WS_VISIBLE)) return false;
  return true;
}

void FreeZombies() {
  auto& z = Zombies();
  if (z.empty()) return;
  std::vector<Window*> dead;
  dead.swap(z);
  for (Window* w : dead) {
    if (w->update) cairo_region_destroy(w->update);
    ReleaseSurface(w);
    delete w;
  }
}

}  // namespace kx::ws

using namespace kx::ws;

namespace {

POINT ClientOriginOnScreen(Window* w) {
  Window* root = RootOf(w);
  POINT rs = RootScreenPos(root);
  POINT o = WindowOriginInRoot(w);
  return POINT{rs.x + o.x + w->client.left, rs.y + o.y + w->client.top};
}

void SendSizeAndMove(Window* w) {
  HWND h = w;
  POINT origin{w->rect.left + w->client.left, w->rect.top + w->client.top};
  if (w->isRoot) origin = ClientOriginOnScreen(w);
  CallProc(w, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  if (!AsWindow(h)) return;
  CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(Width(w->client), Height(w->client)));
}

}  // namespace

HWND CreateWindowExW(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent,
                     WNDPROC proc, void* userData) {
  Window* parentWin = nullptr;
  Window* ownerWin = nullptr;
  if (parent) {
    Window* p = AsWindow(parent);
    if (!p) return nullptr;
    if (style & WS_POPUP)
      ownerWin = p;
    else
      parentWin = p;
  }
  if (x == CW_USEDEFAULT) x = 0;
  if (y == CW_USEDEFAULT) y = 0;
  if (width == CW_USEDEFAULT || width < 0) width = 0;
  if (height == CW_USEDEFAULT || height < 0) height = 0;

  auto* w = new Window;
  w->thread = GetCurrentThreadId();
  w->proc = proc;
  w->userData = userData;
  w->style = (style & ~DWORD(WS_VISIBLE)) | (parentWin ? DWORD(WS_CHILD) : 0);
  w->exStyle = exStyle;
  w->parent = parentWin;
  w->owner = ownerWin;
  w->isRoot = parentWin == nullptr;
  if (!parentWin && !(style & WS_POPUP) && !TopLevel()) {
    w->isTopLevel = true;
    kx::display::Active();  // chooses the back end now, before the first top-level window
    kx::display::SetDisplayThread(w->thread);
    w->style &= ~DWORD(WS_CHILD);
  }
  w->rect = RECT{x, y, x + width, y + height};
  w->client = RECT{0, 0, width, height};
  {
    std::lock_guard<std::mutex> lock(LiveMutex());
    Live().insert(w);
  }
  if (parentWin) {
    parentWin->children.push_back(w);
  } else {
    auto& roots = RootList();
    if (w->isTopLevel) {
      roots.insert(roots.begin(), w);
      gTopLevel = w;
      POINT c = CentredPosition(width, height);
      w->rect = RECT{c.x, c.y, c.x + width, c.y + height};
    } else {
      roots.push_back(w);
    }
  }

  HWND h = w;
  CREATESTRUCTW cs;
  cs.lpCreateParams = userData;
  cs.hwndParent = parent;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = LONG(style);
  cs.dwExStyle = exStyle;
  if (!CallProc(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) || !AsWindow(h)) {
    DestroyWindow(h);
    return nullptr;
  }
  RecalcClient(w);
  if (!AsWindow(h)) return nullptr;
  if (CallProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1 || !AsWindow(h)) {
    DestroyWindow(h);
    return nullptr;
  }
  SendSizeAndMove(w);
  if (!AsWindow(h)) return nullptr;
  if (style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
  return AsWindow(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  if (!w || w->thread != GetCurrentThreadId()) return FALSE;
  // Owned pop-ups go first, as on Windows.
  for (Window* r : std::vector<Window*>(RootList()))
    if (r->owner == w && AsWindow(r)) DestroyWindow(r);
  if (!AsWindow(hwnd)) return TRUE;
  RevealArea(w);
  SendDestroy(w);
  if (!AsWindow(hwnd)) return TRUE;
  Unregister(w);
  auto& sib = w->parent ? w->parent->children : RootList();
  sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
  if (w == TopLevel()) {
    if (kx::ws::gDisplayOpen) kx::display::Active().CloseWindow();
    kx::ws::gDisplayOpen = false;
    kx::ws::gTopLevel = nullptr;
  }
  for (Window* r : RootList())
    if (r->owner == w) r->owner = nullptr;
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  return WindowThreadOf(hwnd) != 0 && AsWindow(hwnd) ? TRUE : FALSE;
}

void* GetWindowUserData(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  return w ? w->userData : nullptr;
}

void SetWindowUserData(HWND hwnd, void* data) {
  if (Window* w = AsWindow(hwnd)) w->userData = data;
}

WNDPROC GetWindowProc(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  return w ? w->proc : nullptr;
}

WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc) {
  Window* w = AsWindow(hwnd);
  if (!w) return nullptr;
  WNDPROC old = w->proc;
  w->proc = proc;
  return old;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return DefWindowProcW(hwnd, msg, wParam, lParam);
  Queue& q = CurrentQueue();
  ++q.dispatchDepth;
  LRESULT r = proc(hwnd, msg, wParam, lParam);
  --q.dispatchDepth;
  return r;
}

HWND GetParent(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  if (!w) return nullptr;
  return w->parent ? w->parent : w->owner;
}

HWND SetParent(HWND child, HWND newParent) {
  Window* w = AsWindow(child);
  if (!w || w->isTopLevel) return nullptr;
  Window* np = newParent ? AsWindow(newParent) : nullptr;
  if (newParent && !np) return nullptr;
  for (Window* a = np; a; a = a->parent)
    if (a == w) return nullptr;  // no cycles
  Window* old = w->parent;
  if (old == np) return old;
  RevealArea(w);
  auto& sib = SiblingsOf(w);
  sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
  w->parent = np;
  w->isRoot = np == nullptr;
  if (np) {
    w->style |= WS_CHILD;
    w->style &= ~DWORD(WS_POPUP);
    np->children.push_back(w);
  } else {
    w->style &= ~DWORD(WS_CHILD);
    w->style |= WS_POPUP;
    RootList().push_back(w);
  }
  if (IsShownTree(w)) InvalidateWhole(w, true);
  return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Window* w = AsWindow(hwnd);
  if (!w) return nullptr;
  if (flags == GA_PARENT) return w->parent;
  if (flags == GA_ROOT) return RootOf(w);
  return nullptr;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  Window* w = AsWindow(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.back();
  if (cmd == GW_OWNER) return w->owner;
  auto& sib = SiblingsOf(w);
  auto it = std::find(sib.begin(), sib.end(), w);
  if (it == sib.end()) return nullptr;
  size_t i = size_t(it - sib.begin());
  switch (cmd) {
    case GW_HWNDFIRST:
      return sib.back();
    case GW_HWNDLAST:
      return sib.front();
    case GW_HWNDNEXT:
      return i == 0 ? nullptr : sib[i - 1];
    case GW_HWNDPREV:
      return i + 1 < sib.size() ? sib[i + 1] : nullptr;
    default:
      return nullptr;
  }
}

BOOL IsChild(HWND parent, HWND hwnd) {
  Window* p = AsWindow(parent);
  Window* w = AsWindow(hwnd);
  if (!p || !w) return FALSE;
  for (Window* a = w->parent; a; a = a->parent)
    if (a == p) return TRUE;
  return FALSE;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
  Window* w = AsWindow(hwnd);
  if (!w) return FALSE;
  const bool wasVisible = (w->style & WS_VISIBLE) != 0;
  const bool show = cmd != SW_HIDE;
  if (show == wasVisible) {
    if (show && w->isTopLevel && cmd != SW_SHOWNA) SetActiveWindow(hwnd);
    return wasVisible;
  }
  CallProc(w, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (!AsWindow(hwnd)) return wasVisible;
  if (show) {
    w->style |= WS_VISIBLE;
    if (w->isRoot) EnsureSurface(w);
    if (IsShownTree(w)) InvalidateWhole(w, true);
    OpenDisplayIfNeeded(w);
    if (w->isTopLevel && cmd != SW_SHOWNA) SetActiveWindow(hwnd);
    if (Window* top = TopLevel()) MarkRootDirty(top);
  } else {
    RevealArea(w);
    w->style &= ~DWORD(WS_VISIBLE);
    if (w->isTopLevel && gDisplayOpen) kx::display::Active().ShowWindow(false);
    HWND cap = GetCapture();
    if (cap && (cap == hwnd || IsChild(hwnd, cap))) ReleaseCapture();
  }
  return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  return w && IsShownTree(w) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = AsWindow(hwnd);
  if (!w) return FALSE;
  const bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (bool(enable) != wasDisabled) return wasDisabled;
  if (enable) {
    w->style &= ~DWORD(WS_DISABLED);
  } else {
    w->style |= WS_DISABLED;
    CallProc(w, WM_CANCELMODE, 0, 0);
    if (!AsWindow(hwnd)) return wasDisabled;
    HWND cap = GetCapture();
    if (cap && (cap == hwnd || IsChild(hwnd, cap))) ReleaseCapture();
  }
  CallProc(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = AsWindow(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : UINT(SWP_NOREDRAW)));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = AsWindow(hwnd);
  if (!w) return FALSE;
  if (flags & SWP_HIDEWINDOW) {
    ShowWindow(hwnd, SW_HIDE);
    if (!AsWindow(hwnd)) return FALSE;
  }
  RECT r = w->rect;
  if (!(flags & SWP_NOMOVE) && !w->isTopLevel) r = RECT{x, y, x + Width(r), y + Height(r)};
  if (!(flags & SWP_NOSIZE)) {
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    r.right = r.left + cx;
    r.bottom = r.top + cy;
    if (w->isTopLevel) {
      POINT c = CentredPosition(cx, cy);
      r = RECT{c.x, c.y, c.x + cx, c.y + cy};
    }
  }
  const bool moved = r.left != w->rect.left || r.top != w->rect.top;
  const bool sized = Width(r) != Width(w->rect) || Height(r) != Height(w->rect);
  bool restacked = false;
  if (!(flags & SWP_NOZORDER)) {
    auto& sib = SiblingsOf(w);
    auto it = std::find(sib.begin(), sib.end(), w);
    size_t before = size_t(it - sib.begin());
    sib.erase(it);
    if (insertAfter == HWND_TOP) {
      sib.push_back(w);
    } else if (insertAfter == HWND_BOTTOM) {
      sib.insert(sib.begin(), w);
    } else {
      auto at = std::find(sib.begin(), sib.end(), static_cast<Window*>(insertAfter));
      if (at == sib.end())
        sib.insert(sib.begin() + long(before), w);
      else
        sib.insert(at, w);  // directly below insertAfter
    }
    restacked = std::find(sib.begin(), sib.end(), w) - sib.begin() != long(before);
  }
  const bool redraw = !(flags & SWP_NOREDRAW);
  if ((moved || sized || restacked) && redraw) RevealArea(w);
  w->rect = r;
  if (sized || (flags & SWP_FRAMECHANGED)) {
    RecalcClient(w);
    if (!AsWindow(hwnd)) return FALSE;
    w->ncDirty = true;
  }
  if (w->isRoot && (sized || !w->surface) && (w->style & WS_VISIBLE)) EnsureSurface(w);
  if (w->isTopLevel && sized && gDisplayOpen) kx::display::Active().ResizeWindow(cx, cy);
  if ((moved || sized || restacked || (flags & SWP_FRAMECHANGED)) && redraw && IsShownTree(w))
    InvalidateWhole(w, true);
  if (moved || sized || (flags & SWP_FRAMECHANGED)) {
    WINDOWPOS pos;
    pos.hwnd = hwnd;
    pos.hwndInsertAfter = insertAfter;
    pos.x = r.left;
    pos.y = r.top;
    pos.cx = Width(r);
    pos.cy = Height(r);
    pos.flags = flags;
    CallProc(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (!AsWindow(hwnd)) return TRUE;
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  Window* w = AsWindow(hwnd);
  if (!w || !rect) return FALSE;
  Window* root = RootOf(w);
  POINT rs = RootScreenPos(root);
  POINT o = WindowOriginInRoot(w);
  *rect = RECT{rs.x + o.x, rs.y + o.y, rs.x + o.x + Width(w->rect), rs.y + o.y + Height(w->rect)};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  Window* w = AsWindow(hwnd);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, Width(w->client), Height(w->client)};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt) {
  Window* w = AsWindow(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  pt->x += o.x;
  pt->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt) {
  Window* w = AsWindow(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  pt->x -= o.x;
  pt->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from) {
    Window* w = AsWindow(from);
    if (!w) return 0;
    a = ClientOriginOnScreen(w);
  }
  if (to) {
    Window* w = AsWindow(to);
    if (!w) return 0;
    b = ClientOriginOnScreen(w);
  }
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return int(MAKELPARAM(dx, dy));
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL /*menu*/, DWORD exStyle) {
  if (!rect) return FALSE;
  // A window without WS_CHILD or WS_POPUP is the top-level window, framed by the display.
  if (!(style & (WS_CHILD | WS_POPUP))) return TRUE;
  int b = 0;
  if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME))
    b += GetSystemMetrics(SM_CXDLGFRAME);
  else if (style & WS_BORDER)
    b += GetSystemMetrics(SM_CXBORDER);
  if (exStyle & WS_EX_CLIENTEDGE) b += GetSystemMetrics(SM_CXEDGE);
  rect->left -= b;
  rect->top -= b;
  rect->right += b;
  rect->bottom += b;
  return TRUE;
}

LONG GetWindowLongW(HWND hwnd, int index) {
  Window* w = AsWindow(hwnd);
  if (!w) return 0;
  if (index == GWL_STYLE) return LONG(w->style);
  if (index == GWL_EXSTYLE) return LONG(w->exStyle);
  return 0;
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  Window* w = AsWindow(hwnd);
  if (!w) return 0;
  LONG old = 0;
  if (index == GWL_STYLE) {
    old = LONG(w->style);
    DWORD keep = w->style & (WS_CHILD | WS_POPUP);
    w->style = (DWORD(value) & ~DWORD(WS_CHILD | WS_POPUP)) | keep;
  } else if (index == GWL_EXSTYLE) {
    old = LONG(w->exStyle);
    w->exStyle = DWORD(value);
  }
  return old;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  Window* w = AsWindow(hwnd);
  if (!w) return FALSE;
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
  if (!AsWindow(hwnd)) return 0;
  return int(SendMessageW(hwnd, WM_GETTEXT, WPARAM(std::max(maxCount, 0)),
                          reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!AsWindow(hwnd)) return 0;
  return int(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

namespace {

void DefNcPaint(Window* w) {
  const bool border = (w->style & WS_BORDER) || (w->style & WS_DLGFRAME);
  const bool edge = (w->exStyle & WS_EX_CLIENTEDGE) != 0;
  if (w->isTopLevel || (!border && !edge)) return;
  HDC dc = GetWindowDC(w);
  if (!dc) return;
  RECT r{0, 0, Width(w->rect), Height(w->rect)};
  if (border) {
    int b = (w->style & WS_DLGFRAME) ? GetSystemMetrics(SM_CXDLGFRAME) : 1;
    for (int i = 0; i < b; ++i) {
      FrameRect(dc, &r, kx::SysColorBrush(i == 0 ? COLOR_WINDOWFRAME : COLOR_BTNFACE));
      r.left++;
      r.top++;
      r.right--;
      r.bottom--;
    }
  }
  if (edge) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
  ReleaseDC(w, dc);
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = AsWindow(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_NCCALCSIZE: {
      if (w->isTopLevel || !lParam) return 0;
      auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
      RECT zero{0, 0, 0, 0};
      AdjustWindowRectEx(&zero, w->style | (w->parent ? WS_CHILD : WS_POPUP), FALSE, w->exStyle);
      p->rgrc[0].left -= zero.left;
      p->rgrc[0].top -= zero.top;
      p->rgrc[0].right -= zero.right;
      p->rgrc[0].bottom -= zero.bottom;
      return 0;
    }
    case WM_NCHITTEST: {
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT wr;
      GetWindowRect(hwnd, &wr);
      if (pt.x < wr.left || pt.y < wr.top || pt.x >= wr.right || pt.y >= wr.bottom)
        return HTNOWHERE;
      POINT c = pt;
      ScreenToClient(hwnd, &c);
      if (c.x >= 0 && c.y >= 0 && c.x < Width(w->client) && c.y < Height(w->client))
        return HTCLIENT;
      return HTBORDER;
    }
    case WM_NCPAINT:
      DefNcPaint(w);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 0;  // no class background: nothing erased
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SETCURSOR:
      if (w->parent && SendMessageW(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (!w->parent) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return w->parent ? FALSE : TRUE;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_CONTEXTMENU:
      if (w->parent) return SendMessageW(w->parent, msg, wParam, lParam);
      return 0;
    case WM_RBUTTONUP: {
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &pt);
      SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(pt.x, pt.y));
      return 0;
    }
    case WM_KEYUP:
      if (wParam == VK_APPS)
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), LPARAM(-1));
      return 0;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<LPCWSTR>(lParam);
      w->text = text ? std::u16string(text) : std::u16string();
      if (w->isTopLevel && gDisplayOpen) kx::display::Active().SetTitle(w->text);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<LPWSTR>(lParam);
      int max = int(wParam);
      if (!buf || max <= 0) return 0;
      int n = std::min<int>(int(w->text.size()), max - 1);
      std::copy_n(w->text.data(), n, buf);
      buf[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->text.size());
    case WM_WINDOWPOSCHANGED:
      SendSizeAndMove(w);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    default:
      return 0;
  }
}

namespace kx {
HWND GetTopLevelWindow() {
  return TopLevel();
}
}  // namespace kx
