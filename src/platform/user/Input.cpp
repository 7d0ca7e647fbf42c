// Input: the display's mouse, keyboard and text events become window messages. Hit-testing
// through the z-order, capture, double clicks, enter/leave tracking, cursors, focus and
// the key state.
#include <algorithm>
#include <cstdlib>

#include "platform/display/DisplayBackend.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace kx::ws {
namespace {

struct CursorObject : HCURSOR__ {
  explicit CursorObject(int i) : id(i) {}
  int id = 0;
};

struct Hit {
  HWND hwnd = nullptr;
  int code = HTNOWHERE;
};

struct LastPress {
  HWND hwnd = nullptr;
  MouseButton button = MouseButton::Left;
  DWORD time = 0;
  POINT pt{};
  bool wasDouble = false;
};

POINT gCursorScreen{-1, -1};
bool gMouseInside = false;
HWND gFocus = nullptr;
HWND gCapture = nullptr;
HWND gActive = nullptr;
HWND gHover = nullptr;
HWND gTrack = nullptr;
HCURSOR gCursor = nullptr;
LastPress gLast;
BYTE gKeys[256] = {};

bool Down(int vk) {
  return (gKeys[vk & 0xFF] & 0x80) != 0;
}

void SetKey(int vk, bool down) {
  BYTE& k = gKeys[vk & 0xFF];
  if (down && !(k & 0x80)) k ^= 0x01;  // toggles on each press
  k = BYTE(down ? (k | 0x80) : (k & ~0x80));
}

WPARAM MouseKeys() {
  WPARAM mk = 0;
  if (Down(0x01)) mk |= MK_LBUTTON;
  if (Down(0x02)) mk |= MK_RBUTTON;
  if (Down(0x04)) mk |= MK_MBUTTON;
  if (Down(VK_SHIFT)) mk |= MK_SHIFT;
  if (Down(VK_CONTROL)) mk |= MK_CONTROL;
  return mk;
}

void PushInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = GetTickCount();
  m.pt = gCursorScreen;
  CurrentQueue().input.push_back(m);
}

bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.y >= r.top && p.x < r.right && p.y < r.bottom;
}

bool HitWindow(HWND hwnd, POINT screen, Hit* out) {
  Window* w = AsWindow(hwnd);
  if (!w || !(w->style & WS_VISIBLE) || (w->style & WS_DISABLED)) return false;
  RECT wr;
  GetWindowRect(hwnd, &wr);
  if (!Contains(wr, screen)) return false;
  POINT c = screen;
  ScreenToClient(hwnd, &c);
  RECT cr;
  GetClientRect(hwnd, &cr);
  if (Contains(cr, c)) {
    std::vector<Window*> kids = w->children;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
      if (HitWindow(*it, screen, out)) return true;
  }
  if (!AsWindow(hwnd)) return false;
  LRESULT code = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  if (code == HTTRANSPARENT || code == HTNOWHERE) return false;
  out->hwnd = hwnd;
  out->code = int(code);
  return true;
}

Hit HitTest(POINT screen) {
  Hit hit;
  std::vector<Window*> roots = Roots();
  for (auto it = roots.rbegin(); it != roots.rend(); ++it)
    if (HitWindow(*it, screen, &hit)) return hit;
  return Hit{};
}

POINT ToClient(HWND hwnd, POINT screen) {
  ScreenToClient(hwnd, &screen);
  return screen;
}

void SetHover(HWND hover) {
  gHover = hover;
  if (gTrack && gTrack != hover) {
    HWND t = gTrack;
    gTrack = nullptr;
    PostMessageW(t, WM_MOUSELEAVE, 0, 0);
  }
}

void SendSetCursor(const Hit& hit, UINT mouseMsg) {
  if (gCapture) return;
  if (!hit.hwnd) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return;
  }
  SendMessageW(hit.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hit.hwnd),
               MAKELPARAM(hit.code, mouseMsg));
}

POINT TopLevelToScreen(int x, int y) {
  Window* top = TopLevel();
  if (!top) return POINT{x, y};
  POINT s = RootScreenPos(top);
  return POINT{s.x + x, s.y + y};
}

HWND KeyTarget() {
  for (HWND h : {gFocus, static_cast<HWND>(TopLevel())}) {
    Window* w = AsWindow(h);
    if (!w) continue;
    bool enabled = true;
    for (Window* a = w; a; a = a->parent)
      if (a->style & WS_DISABLED) enabled = false;
    if (enabled) return h;
  }
  return nullptr;
}

}  // namespace

void InputMouseMove(int x, int y) {
  if (!TopLevel()) return;
  POINT screen = TopLevelToScreen(x, y);
  if (gMouseInside && screen == gCursorScreen) return;
  gCursorScreen = screen;
  gMouseInside = true;
  Hit hit = HitTest(screen);
  SetHover(hit.hwnd);
  SendSetCursor(hit, WM_MOUSEMOVE);
  HWND target = gCapture ? gCapture : (hit.code == HTCLIENT ? hit.hwnd : nullptr);
  if (!AsWindow(target)) return;
  POINT c = ToClient(target, screen);
  PushInput(target, WM_MOUSEMOVE, MouseKeys(), MAKELPARAM(c.x, c.y));
}

void InputMouseButton(int x, int y, MouseButton button, bool down) {
  if (!TopLevel()) return;
  InputMouseMove(x, y);
  POINT screen = TopLevelToScreen(x, y);
  static const int kVk[] = {0x01, 0x02, 0x04};
  static const UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static const UINT kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
  static const UINT kDbl[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN};
  const int b = int(button);
  SetKey(kVk[b], down);
  Hit hit = HitTest(screen);
  if (down) SendSetCursor(hit, kDown[b]);
  HWND target = gCapture ? gCapture : (hit.code == HTCLIENT ? hit.hwnd : nullptr);
  if (!AsWindow(target)) return;
  UINT msg = kUp[b];
  if (down) {
    const DWORD now = GetTickCount();
    const int dx = std::abs(screen.x - gLast.pt.x);
    const int dy = std::abs(screen.y - gLast.pt.y);
    const bool dbl = !gLast.wasDouble && gLast.hwnd == target && gLast.button == button &&
                     now - gLast.time <= GetDoubleClickTime() &&
                     dx <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                     dy <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    msg = dbl ? kDbl[b] : kDown[b];
    gLast = LastPress{target, button, now, screen, dbl};
  }
  POINT c = ToClient(target, screen);
  PushInput(target, msg, MouseKeys(), MAKELPARAM(c.x, c.y));
}

void InputMouseWheel(int x, int y, int delta) {
  if (!TopLevel()) return;
  InputMouseMove(x, y);
  POINT screen = TopLevelToScreen(x, y);
  HWND target = KeyTarget();
  if (!gFocus || !AsWindow(gFocus)) {
    Hit hit = HitTest(screen);
    target = hit.hwnd ? hit.hwnd : target;
  }
  if (!target) return;
  WPARAM wp = (WPARAM(WORD(SHORT(delta))) << 16) | (MouseKeys() & 0xFFFF);
  PushInput(target, WM_MOUSEWHEEL, wp, MAKELPARAM(screen.x, screen.y));
}

void InputMouseOutside() {
  gMouseInside = false;
  SetHover(nullptr);
}

void InputKey(UINT vk, bool down, unsigned modifiers) {
  vk &= 0xFF;
  const bool wasDown = Down(int(vk));
  if (vk != VK_SHIFT) SetKey(VK_SHIFT, (modifiers & 1) != 0);
  if (vk != VK_CONTROL) SetKey(VK_CONTROL, (modifiers & 2) != 0);
  if (vk != VK_MENU) SetKey(VK_MENU, (modifiers & 4) != 0);
  SetKey(int(vk), down);
  HWND target = KeyTarget();
  if (!target) return;
  const bool alt = Down(VK_MENU) || (vk == VK_MENU);
  const bool sys = (alt && !Down(VK_CONTROL)) || vk == VK_F10;
  UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lp = 1;
  if (alt) lp |= LPARAM(1) << 29;
  if (wasDown) lp |= LPARAM(1) << 30;
  if (!down) lp |= LPARAM(int32_t(0xC0000000u));
  PushInput(target, msg, vk, lp);
}

void SetModifierState(unsigned modifiers) {
  SetKey(VK_SHIFT, (modifiers & 1) != 0);
  SetKey(VK_CONTROL, (modifiers & 2) != 0);
  SetKey(VK_MENU, (modifiers & 4) != 0);
}

void InputText(std::u16string_view text) {
  HWND target = KeyTarget();
  if (!target) return;
  for (char16_t ch : text)
    PushInput(target, WM_CHAR, WPARAM(ch), 1);
}

void InputClose() {
  if (Window* top = TopLevel()) PushInput(top, WM_CLOSE, 0, 0);
}

void InputExposed() {
  MarkRootDirty(nullptr);
}

void InputActivate(bool active) {
  Window* top = TopLevel();
  if (!top) return;
  HWND h = top;
  gActive = active ? h : nullptr;
  SendMessageW(h, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

void ForgetWindowInput(Window* w) {
  HWND h = w;
  if (gFocus == h) gFocus = nullptr;
  if (gCapture == h) gCapture = nullptr;
  if (gActive == h) gActive = nullptr;
  if (gHover == h) gHover = nullptr;
  if (gTrack == h) gTrack = nullptr;
  if (gLast.hwnd == h) gLast = LastPress{};
}

void UpdateCursorShape() {
  if (display::Backend* b = display::ActiveOrNull()) b->SetCursorShape(kx::CursorId(gCursor));
}

}  // namespace kx::ws

using namespace kx::ws;

HWND SetFocus(HWND hwnd) {
  if (hwnd && !AsWindow(hwnd)) return nullptr;
  HWND old = AsWindow(gFocus) ? gFocus : nullptr;
  if (hwnd == old) return old;
  if (old) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && !AsWindow(hwnd)) return old;
  gFocus = hwnd;
  if (hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND WindowFromPoint(POINT screenPt) {
  return HitTest(screenPt).hwnd;
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPt) {
  Window* p = AsWindow(parent);
  if (!p) return nullptr;
  RECT cr;
  GetClientRect(parent, &cr);
  if (!Contains(cr, clientPt)) return nullptr;
  for (auto it = p->children.rbegin(); it != p->children.rend(); ++it)
    if (((*it)->style & WS_VISIBLE) && Contains((*it)->rect, clientPt)) return *it;
  return parent;
}

HWND GetFocus() {
  return AsWindow(gFocus) ? gFocus : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
  HWND old = AsWindow(gActive) ? gActive : nullptr;
  Window* w = AsWindow(hwnd);
  if (!w) return old;
  HWND root = RootOf(w);
  if (root == old) return old;
  if (old) SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(root));
  gActive = root;
  if (AsWindow(root)) SendMessageW(root, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
  return old;
}

HWND GetActiveWindow() {
  return AsWindow(gActive) ? gActive : nullptr;
}
HWND GetForegroundWindow() {
  return GetActiveWindow();
}
BOOL SetForegroundWindow(HWND hwnd) {
  if (!AsWindow(hwnd)) return FALSE;
  SetActiveWindow(hwnd);
  return TRUE;
}

HWND SetCapture(HWND hwnd) {
  HWND old = AsWindow(gCapture) ? gCapture : nullptr;
  if (!AsWindow(hwnd)) return old;
  gCapture = hwnd;
  if (old && old != hwnd) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  HWND old = AsWindow(gCapture) ? gCapture : nullptr;
  gCapture = nullptr;
  if (old) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  return AsWindow(gCapture) ? gCapture : nullptr;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme) return FALSE;
  if (tme->dwFlags & TME_CANCEL) {
    if ((tme->dwFlags & TME_LEAVE) && gTrack == tme->hwndTrack) gTrack = nullptr;
    return TRUE;
  }
  if (!(tme->dwFlags & TME_LEAVE)) return TRUE;
  if (!AsWindow(tme->hwndTrack)) return FALSE;
  if (!gMouseInside || gHover != tme->hwndTrack) {
    // Not under the mouse: the leave is due at once, as on Windows.
    PostMessageW(tme->hwndTrack, WM_MOUSELEAVE, 0, 0);
    return TRUE;
  }
  gTrack = tme->hwndTrack;
  return TRUE;
}

HCURSOR LoadCursorW(HINSTANCE, int cursorId) {
  static CursorObject cursors[] = {CursorObject(IDC_ARROW),   CursorObject(IDC_IBEAM),
                                   CursorObject(IDC_WAIT),    CursorObject(IDC_CROSS),
                                   CursorObject(IDC_SIZEALL), CursorObject(IDC_NO),
                                   CursorObject(IDC_HAND)};
  for (auto& c : cursors)
    if (c.id == cursorId) return &c;
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = gCursor;
  gCursor = cursor;
  if (old != cursor) UpdateCursorShape();
  return old;
}

HCURSOR GetCursor() {
  return gCursor;
}

BOOL GetCursorPos(POINT* pt) {
  if (!pt) return FALSE;
  *pt = gCursorScreen;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  gCursorScreen = POINT{x, y};
  if (Window* top = TopLevel()) {
    POINT s = RootScreenPos(top);
    if (auto* b = kx::display::ActiveOrNull()) b->WarpMouse(x - s.x, y - s.y);
  }
  return TRUE;
}

UINT GetDoubleClickTime() {
  return 500;
}

SHORT GetKeyState(int vk) {
  BYTE k = gKeys[vk & 0xFF];
  return SHORT(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vk) {
  return SHORT((gKeys[vk & 0xFF] & 0x80) ? 0x8000 : 0);
}

namespace kx {
int CursorId(HCURSOR cursor) {
  auto* c = dynamic_cast<CursorObject*>(cursor);
  return c ? c->id : 0;
}
}  // namespace kx
