// Our own window system with the Windows names and argument shapes: message queues,
// lightweight windows, painting, input, focus, capture, caret, timers, cursors, system
// colours and metrics, clipboard and message box.
//
// Message queues. Every thread that calls a queue or window operation has its own queue,
// created on first use. PostMessageW and PostThreadMessageW may be called from any thread;
// every other operation is for the thread that owns the window (the thread that created
// it). A message posted to a window goes to its owner thread's queue. GetMessageW and
// PeekMessageW take, in this order: messages sent from other threads (dispatched inside
// the call), posted messages, the quit request, input from the display, and only when
// nothing else is waiting a WM_PAINT for a window with a non-empty update region and then
// a WM_TIMER for a due timer. WaitMessage blocks without spinning: on a condition
// variable, and with the SDL back end on SDL's event wait; a post from any thread, display
// input, a due timer or a virtual-clock advance wakes it.
//
// Windows. There are no window classes: CreateWindowExW takes the window procedure and a
// user-data pointer (GetWindowUserData) directly. Three kinds of window exist:
//   - child windows (a parent is given, WS_CHILD implied): positioned in the parent's
//     client coordinates, clipped to the parent's client area;
//   - the top-level display window: the first window created with no parent and without
//     WS_POPUP (e.g. WS_CAPTION | WS_SYSMENU). It is the form; the active display back end
//     shows it (an SDL window, or the headless back buffer) once it is visible. Its frame and
//     title bar belong to the display, so its window rectangle equals its client rectangle
//     and it is always centred on the screen. Its WM_SETTEXT text is the title. Closing it on
//     the display sends it WM_CLOSE; destroying it closes the display window.
//   - pop-up windows (no parent and WS_POPUP; a parent argument is then the owner): in
//     screen coordinates, drawn above everything inside the top-level window's area while
//     visible. A pop-up that is never shown has no visible effect at all: this is the
//     utility window for wake-up messages (CreateWindowExW(0, WS_POPUP, 0, 0, 0, 0, nullptr,
//     proc, data)). Further parentless windows without WS_POPUP are treated as pop-ups.
// Creation sends WM_NCCALCSIZE, WM_CREATE (lParam: CREATESTRUCTW*; -1 refuses the window),
// WM_SIZE and WM_MOVE; with WS_VISIBLE the window is shown.
//
// Z-order: a later sibling lies above an earlier one; SetWindowPos changes it. Hit-testing
// walks the visible, top-most window under the point and asks WM_NCHITTEST; HTTRANSPARENT
// passes the point on to what lies below. Hit-testing skips hidden and disabled children,
// so a press on a disabled child goes to its parent, as on Windows; a disabled top-level
// window or pop-up takes no mouse input at all.
//
// Painting. Each top-level (and each visible pop-up) is drawn into one back buffer, a
// cairo image surface; a window DC (GetWindowDC) covers the whole window and a client DC
// (GetDC, BeginPaint) the client area, each with the window's origin and a clip. Children
// are always clipped out of their parent's DCs, as with WS_CLIPCHILDREN, and later siblings
// out of earlier ones, as with WS_CLIPSIBLINGS: the pixels under an opaque child never
// show, so the parent never paints them. The exception is a child with WS_EX_TRANSPARENT:
// it is not clipped out, the parent and earlier siblings paint beneath it, and whatever they
// paint under it invalidates it, so it is painted after them and shows their content below
// its own. WM_PAINT comes parent before child, earlier sibling before later. Invisible
// windows are never painted. BeginPaint sends WM_NCPAINT when the frame is invalid and
// WM_ERASEBKGND when the region was invalidated with erase. The back buffer is presented
// when the queue has run out of paint messages.
//
// Mouse. Coordinates of mouse messages are the target window's client coordinates. Double
// clicks need the same button within GetDoubleClickTime() (500 ms) and SM_CXDOUBLECLK /
// SM_CYDOUBLECLK (4 px) of the previous press on the same window; every window receives
// them (there are no class styles). WM_MOUSEWHEEL goes to the focus window with screen
// coordinates, and DefWindowProcW passes it on to the parent. WM_SETCURSOR is sent to the
// window under the mouse on every move; DefWindowProcW asks the parent first and otherwise
// shows the arrow.
//
// Keyboard. Key messages go to the focus window. WM_CHAR comes from the display's text
// input (IME-aware); TranslateMessage adds WM_CHAR only for keys that produce no text
// input: Backspace, Tab, Enter, Escape, and Ctrl+letter (control codes 1..26).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Windows.h"

// ---------------------------------------------------------------------------------------
// Constants and structures of the window system that the shared header does not carry.
constexpr int CW_USEDEFAULT = int(0x80000000);
constexpr int WHEEL_DELTA = 120;

enum : UINT {
  WM_NCCREATE = 0x0081,
  WM_NCDESTROY = 0x0082,
  WM_CANCELMODE = 0x001F,
  WM_MOUSEHWHEEL = 0x020E,
};

// WM_SIZE wParam
enum : UINT { SIZE_RESTORED = 0 };
// WM_MOUSEACTIVATE answers
enum : int { MA_ACTIVATE = 1, MA_NOACTIVATE = 3 };
// More hit-test codes
enum : int { HTCAPTION = 2 };

struct CREATESTRUCTW {
  void* lpCreateParams = nullptr;  // the userData of CreateWindowExW
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  LONG style = 0;
  DWORD dwExStyle = 0;
};

// WM_NCCALCSIZE: lParam points to the window rectangle in the parent's client coordinates
// (rgrc[0]); the window procedure shrinks rgrc[0] to the client rectangle. wParam is TRUE.
struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  void* lppos = nullptr;
};

// WM_WINDOWPOSCHANGED: lParam points to the new position; DefWindowProcW turns it into
// WM_MOVE (client origin in the parent's client coordinates) and WM_SIZE (client size).
struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
};

struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = 0;
};
enum : DWORD { TME_HOVER = 0x00000001, TME_LEAVE = 0x00000002, TME_CANCEL = 0x80000000 };

// GetWindow
enum : UINT {
  GW_HWNDFIRST = 0,  // top-most sibling
  GW_HWNDLAST = 1,   // bottom-most sibling
  GW_HWNDNEXT = 2,   // the sibling below
  GW_HWNDPREV = 3,   // the sibling above
  GW_OWNER = 4,
  GW_CHILD = 5,  // top-most child
};
// GetAncestor
enum : UINT { GA_PARENT = 1, GA_ROOT = 2 };

// Clipboard formats; registered formats are 0xC000 and above.
enum : UINT { CF_TEXT = 1, CF_UNICODETEXT = 13 };

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// ---------------------------------------------------------------------------------------
// Message queue
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);  // hwnd null: thread msg
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Returns 0 for WM_QUIT, -1 for an invalid window filter, else 1. msgMin/msgMax filter the
// message numbers (0, 0: all).
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax);
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
// From the owner thread: calls the window procedure directly. From another thread: queues
// the call for the owner thread, which runs it inside its next Get/Peek/Wait, and blocks
// until it has returned.
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL WaitMessage();
DWORD GetMessageTime();  // tick count of the last message taken

namespace kx {
// Blocks the calling thread until cond() holds, a message is available or timeoutMs have
// passed on the clock (0xFFFFFFFF: no limit). cond is evaluated on this thread whenever the
// queue wakes; whoever changes what cond tests calls WakeMessageQueue afterwards.
bool WaitForMessageOr(const std::function<bool()>& cond, DWORD timeoutMs);
// Wakes a thread blocked in WaitMessage / GetMessageW / WaitForMessageOr. Any thread.
void WakeMessageQueue(DWORD threadId);
// A number that changes whenever a message may have arrived in the calling thread's queue
// (a post, a sent call, a wake-up). Reading it takes no lock, so a thread that expects a
// message within microseconds can watch it rather than poll the queue under its lock.
uint64_t MessageQueueActivity();
// Takes and dispatches every message that is available now (posted, paint, due timers),
// stopping early, without removing it, at a quit request. Returns false if a quit request
// is pending.
bool ProcessPendingMessages();
}  // namespace kx

// ---------------------------------------------------------------------------------------
// Windows
HWND CreateWindowExW(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent,
                     WNDPROC proc, void* userData);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void* GetWindowUserData(HWND hwnd);
void SetWindowUserData(HWND hwnd, void* data);
WNDPROC GetWindowProc(HWND hwnd);
WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc);  // returns the previous procedure

HWND SetParent(HWND child, HWND newParent);  // returns the previous parent
HWND GetParent(HWND hwnd);                   // child: parent; pop-up: owner
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT cmd);
BOOL IsChild(HWND parent, HWND hwnd);  // any descendant

BOOL ShowWindow(HWND hwnd, int cmd);        // returns whether it was visible before
BOOL IsWindowVisible(HWND hwnd);            // the window and all its ancestors
BOOL EnableWindow(HWND hwnd, BOOL enable);  // returns whether it was disabled before
BOOL IsWindowEnabled(HWND hwnd);

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND hwnd, RECT* rect);  // screen coordinates
BOOL GetClientRect(HWND hwnd, RECT* rect);  // (0, 0, client width, client height)
BOOL ClientToScreen(HWND hwnd, POINT* pt);
BOOL ScreenToClient(HWND hwnd, POINT* pt);
// Converts client coordinates of `from` to client coordinates of `to` (null: the screen).
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
HWND WindowFromPoint(POINT screenPt);  // skips hidden and disabled, honours HTTRANSPARENT
// The visible direct child of `parent` under a point in the parent's client coordinates;
// the parent itself when no child is there; null when the point lies outside the parent.
HWND ChildWindowFromPoint(HWND parent, POINT clientPt);

LONG GetWindowLongW(HWND hwnd, int index);  // GWL_STYLE, GWL_EXSTYLE
LONG SetWindowLongW(HWND hwnd, int index, LONG value);
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
int GetWindowTextLengthW(HWND hwnd);

// ---------------------------------------------------------------------------------------
// Painting. Rectangles are client coordinates; null means the whole client area.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase);
BOOL ValidateRgn(HWND hwnd, HRGN rgn);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);  // paints the window and its children now, if invalid
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC GetDC(HWND hwnd);        // client area
HDC GetWindowDC(HWND hwnd);  // whole window, non-client margin included
int ReleaseDC(HWND hwnd, HDC dc);

// ---------------------------------------------------------------------------------------
// Focus, activation, capture
HWND SetFocus(HWND hwnd);  // returns the previous focus; null clears it
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);

// ---------------------------------------------------------------------------------------
// Cursors and the mouse
HCURSOR LoadCursorW(HINSTANCE instance, int cursorId);  // IDC_ARROW, IDC_IBEAM, IDC_HAND ...
HCURSOR SetCursor(HCURSOR cursor);                      // returns the previous cursor
HCURSOR GetCursor();
BOOL GetCursorPos(POINT* pt);  // screen coordinates
BOOL SetCursorPos(int x, int y);
UINT GetDoubleClickTime();

namespace kx {
int CursorId(HCURSOR cursor);  // the IDC_* a cursor was loaded from, 0 for none
}

// ---------------------------------------------------------------------------------------
// Keyboard: high bit set while down, low bit toggles (as GetKeyState's SHORT).
SHORT GetKeyState(int vk);
SHORT GetAsyncKeyState(int vk);

// ---------------------------------------------------------------------------------------
// Caret: one per thread, drawn by the system over the window content (inverted), blinking
// at GetCaretBlinkTime() on the kernel clock.
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);  // null: the caret's window
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);  // client coordinates of the caret's window
BOOL GetCaretPos(POINT* pt);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);

namespace kx {
bool CaretVisibleNow();  // shown and in the "on" phase of its blink
}

// ---------------------------------------------------------------------------------------
// Timers on the kernel clock (GetTickCount). With a window, WM_TIMER (wParam id, lParam the
// procedure) goes to it; SetTimer on an existing id restarts it. Without a window a new id
// is returned and the message is a thread message. A procedure, if given, is called by
// DispatchMessageW instead of the window procedure.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// ---------------------------------------------------------------------------------------
// System colours (gdi's colour table), metrics
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);
int GetSystemMetrics(int index);

// ---------------------------------------------------------------------------------------
// Clipboard. Text goes through the display (SDL's clipboard; in process when headless);
// registered private formats are held in the process. OpenClipboard / CloseClipboard are
// accepted for the Windows call sequence; the kx:: calls work without them.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
UINT RegisterClipboardFormatW(LPCWSTR name);  // same name → same id (case-insensitive)
BOOL IsClipboardFormatAvailable(UINT format);

namespace kx {
bool SetClipboardText(std::u16string_view text);  // replaces all clipboard contents
std::optional<std::u16string> GetClipboardText();
bool SetClipboardBytes(UINT format, std::string_view bytes);  // a registered format
std::optional<std::string> GetClipboardBytes(UINT format);
}  // namespace kx

// ---------------------------------------------------------------------------------------
// Message box: modal to the owner's window. SDL: an SDL message box with the icon the flags
// name and the buttons they name. Headless: recorded (platform/display/Headless.h) and
// answered IDOK (IDYES for MB_YESNO).
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace kx {
// The top-level display window, or null when none has been created yet.
HWND GetTopLevelWindow();
}  // namespace kx
