// Internal to kx_user: the window objects, the per-thread queues and the calls between the
// window system and the display back ends. Nothing outside platform/user and
// platform/display includes it.
#pragma once

#include <cairo.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Windows.h"
#include "platform/user/User.h"

namespace kx::ws {

// One lightweight window. All fields are touched only on the owner thread, except the
// registry membership (guarded by the registry mutex).
struct Window : HWND__ {
  DWORD thread = 0;
  WNDPROC proc = nullptr;
  void* userData = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  Window* parent = nullptr;       // child windows only
  Window* owner = nullptr;        // pop-ups only
  std::vector<Window*> children;  // bottom to top
  bool isRoot = false;            // top-level or pop-up
  bool isTopLevel = false;        // the display window
  RECT rect{};    // child: in the parent's client coordinates; root: screen coordinates
  RECT client{};  // client rectangle relative to the window's top-left corner
  cairo_region_t* update = nullptr;  // client coordinates; null when valid
  bool erase = false;
  bool ncDirty = false;
  bool paintedInDispatch = false;
  bool destroyed = false;
  std::u16string text;
  cairo_surface_t* surface = nullptr;  // roots: the back buffer, window-sized
};

// A call of SendMessageW from another thread, run by the owner thread.
struct SentCall {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT interval = 0;
  uint64_t due = 0;
  TIMERPROC proc = nullptr;
};

// A thread's queue. `m` guards posted, sent, quit and wakeSeq, which other threads touch;
// the rest belongs to the owner thread.
struct Queue {
  DWORD thread = 0;
  std::mutex m;
  std::condition_variable cv;
  std::deque<MSG> posted;
  std::deque<SentCall*> sent;
  bool quit = false;
  int quitCode = 0;
  // Counts the wake-ups: changed with the lock held, readable without it (see
  // kx::MessageQueueActivity).
  std::atomic<uint64_t> wakeSeq{0};

  std::deque<MSG> input;  // display input, converted to window messages
  std::vector<Timer> timers;
  UINT_PTR nextThreadTimerId = 1;
  DWORD lastMessageTime = 0;
  int dispatchDepth = 0;
};

// The calling thread's queue (created on first use) and a thread's queue by id.
Queue& CurrentQueue();
std::shared_ptr<Queue> FindQueue(DWORD threadId);
void WakeQueue(Queue& q);

// Windows
Window* AsWindow(HWND hwnd);      // null for an invalid or destroyed handle; owner thread
DWORD WindowThreadOf(HWND hwnd);  // 0 for an invalid handle; any thread
// Calls a window procedure, counting the nesting so that destroyed windows are freed only
// when no procedure is running on this thread.
LRESULT CallProc(Window* w, UINT msg, WPARAM wParam, LPARAM lParam);
Window* TopLevel();
const std::vector<Window*>& Roots();  // top-level first, then pop-ups bottom to top
// Root-surface coordinates of a window's top-left corner and of its client origin.
POINT WindowOriginInRoot(const Window* w);
Window* RootOf(Window* w);
POINT RootScreenPos(const Window* root);
bool IsShownTree(const Window* w);  // visible and all ancestors visible
void FreeZombies();

// Painting (Paint.cpp)
Window* FindWindowToPaint(Window* filter);
bool AnyRootDirty();
void MarkRootDirty(Window* root);
// Invalidates the area `r` (root coordinates) of `w`'s root in w and every shown
// descendant of w (the area revealed by a move, a hide or a destruction).
void InvalidateTree(Window* w, const cairo_region_t* rootArea, bool erase);
void InvalidateWhole(Window* w, bool erase);
void ReleaseSurface(Window* root);
void EnsureSurface(Window* root);
// Composes the top-level window: its back buffer, the shown pop-ups above it and the caret.
// Returns a new reference the caller destroys; null without a top-level window.
cairo_surface_t* ComposeTopLevel();
void PresentIfNeeded();

// Input from the display (Input.cpp), on the UI thread; coordinates in top-level client
// pixels (the display's window coordinates).
enum class MouseButton { Left, Right, Middle };
void InputMouseMove(int x, int y);
void InputMouseButton(int x, int y, MouseButton button, bool down);
void InputMouseWheel(int x, int y, int delta);
void InputMouseOutside();
void InputKey(UINT vk, bool down, unsigned modifiers);  // modifiers: 1 shift, 2 ctrl, 4 alt
void InputText(std::u16string_view text);
// Sets the modifier keys' state without sending messages (injected keys end with them up).
void SetModifierState(unsigned modifiers);
void InputClose();
void InputExposed();
void InputActivate(bool active);
void ForgetWindowInput(Window* w);  // focus, capture, tracking of a window being destroyed
void UpdateCursorShape();

// What of a window's client area shows in its root (root coordinates); caller destroys.
cairo_region_t* VisibleClientInRoot(const Window* w);

// Caret (Caret.cpp)
// Visible and on: its bounding rectangle in top-level coordinates and, when asked for, the
// part of it not covered by other windows (the caller destroys it).
bool CaretShownNow(RECT* rootRect, cairo_region_t** shape = nullptr);
uint64_t NextCaretToggle();  // 0 when nothing blinks
void ForgetCaretOf(Window* w);

// Timers
void KillTimersOf(HWND hwnd);
uint64_t NextTimerDue(Queue& q);  // 0 when none

}  // namespace kx::ws
