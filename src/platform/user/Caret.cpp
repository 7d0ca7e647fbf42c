// The caret: one per thread, drawn by the composition over the window content (never into
// the back buffer), blinking on the kernel clock.
#include <algorithm>

#include "platform/display/DisplayBackend.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace kx::ws {
namespace {

constexpr UINT kNoBlink = 0xFFFFFFFF;

struct Caret {
  HWND hwnd = nullptr;
  int width = 0;
  int height = 0;
  POINT pos{};
  int hideCount = 1;
  uint64_t phaseStart = 0;
};

Caret gCaret;
UINT gBlinkTime = 530;

bool Exists() {
  return AsWindow(gCaret.hwnd) != nullptr;
}

void Restart() {
  gCaret.phaseStart = GetTickCount64();
  MarkRootDirty(nullptr);
}

void UpdateTextInputRect() {
  Window* w = AsWindow(gCaret.hwnd);
  Window* top = TopLevel();
  display::Backend* b = display::ActiveOrNull();
  if (!w || !top || !b) return;
  POINT p = gCaret.pos;
  ClientToScreen(w, &p);
  POINT ts = RootScreenPos(top);
  b->SetTextInputRect(
      RECT{p.x - ts.x, p.y - ts.y, p.x - ts.x + gCaret.width, p.y - ts.y + gCaret.height});
}

}  // namespace

bool CaretShownNow(RECT* rect, cairo_region_t** shape) {
  Window* w = AsWindow(gCaret.hwnd);
  Window* top = TopLevel();
  if (!w || !top || gCaret.hideCount > 0 || !IsShownTree(w)) return false;
  if (gBlinkTime != kNoBlink) {
    uint64_t elapsed = GetTickCount64() - gCaret.phaseStart;
    if ((elapsed / gBlinkTime) % 2 != 0) return false;
  }
  POINT p = gCaret.pos;
  ClientToScreen(w, &p);
  POINT ts = RootScreenPos(top);
  RECT r{p.x - ts.x, p.y - ts.y, p.x - ts.x + gCaret.width, p.y - ts.y + gCaret.height};
  // Limited to the window's client area.
  RECT c;
  GetClientRect(w, &c);
  POINT o{0, 0};
  ClientToScreen(w, &o);
  RECT cs{o.x - ts.x, o.y - ts.y, o.x - ts.x + c.right, o.y - ts.y + c.bottom};
  r.left = std::max(r.left, cs.left);
  r.top = std::max(r.top, cs.top);
  r.right = std::min(r.right, cs.right);
  r.bottom = std::min(r.bottom, cs.bottom);
  if (r.right <= r.left || r.bottom <= r.top) return false;
  // Windows above the caret's own (an overlay panel over a focused field) cover it.
  cairo_rectangle_int_t box{r.left, r.top, r.right - r.left, r.bottom - r.top};
  cairo_region_t* visible = RootOf(w) == top ? VisibleClientInRoot(w) : nullptr;
  if (visible) {
    cairo_region_intersect_rectangle(visible, &box);
    if (cairo_region_is_empty(visible)) {
      cairo_region_destroy(visible);
      return false;
    }
    cairo_region_get_extents(visible, &box);
    r = RECT{box.x, box.y, box.x + box.width, box.y + box.height};
  }
  if (rect) *rect = r;
  if (shape)
    *shape = visible ? visible : cairo_region_create_rectangle(&box);
  else if (visible)
    cairo_region_destroy(visible);
  return true;
}

uint64_t NextCaretToggle() {
  Window* w = AsWindow(gCaret.hwnd);
  if (!w || gCaret.hideCount > 0 || gBlinkTime == kNoBlink) return 0;
  uint64_t elapsed = GetTickCount64() - gCaret.phaseStart;
  return gCaret.phaseStart + (elapsed / gBlinkTime + 1) * gBlinkTime;
}

void ForgetCaretOf(Window* w) {
  if (gCaret.hwnd == static_cast<HWND>(w)) {
    gCaret = Caret{};
    MarkRootDirty(nullptr);
  }
}

}  // namespace kx::ws

using namespace kx::ws;

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!AsWindow(hwnd)) return FALSE;
  gCaret = Caret{};
  gCaret.hwnd = hwnd;
  gCaret.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  gCaret.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  gCaret.hideCount = 1;
  Restart();
  return TRUE;
}

BOOL DestroyCaret() {
  if (!gCaret.hwnd) return FALSE;
  gCaret = Caret{};
  MarkRootDirty(nullptr);
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  if (!Exists() || (hwnd && hwnd != gCaret.hwnd)) return FALSE;
  if (gCaret.hideCount > 0 && --gCaret.hideCount == 0) {
    Restart();
    UpdateTextInputRect();
  }
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  if (!Exists() || (hwnd && hwnd != gCaret.hwnd)) return FALSE;
  ++gCaret.hideCount;
  MarkRootDirty(nullptr);
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  if (!Exists()) return FALSE;
  gCaret.pos = POINT{x, y};
  Restart();
  UpdateTextInputRect();
  return TRUE;
}

BOOL GetCaretPos(POINT* pt) {
  if (!pt || !Exists()) return FALSE;
  *pt = gCaret.pos;
  return TRUE;
}

UINT GetCaretBlinkTime() {
  return gBlinkTime;
}

BOOL SetCaretBlinkTime(UINT ms) {
  if (ms == 0) return FALSE;
  gBlinkTime = ms;
  Restart();
  return TRUE;
}

namespace kx {
bool CaretVisibleNow() {
  return CaretShownNow(nullptr);
}
}  // namespace kx
