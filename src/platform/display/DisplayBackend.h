// Internal to kx_user: the interface the window system drives a display back end through.
#pragma once

#include <cairo.h>

#include <string>
#include <string_view>

#include "platform/Windows.h"
#include "platform/display/Display.h"

namespace kx::display {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual DisplayKind Kind() const = 0;
  virtual SIZE ScreenSize() = 0;

  // The top-level window: opened when it is first shown, closed when it is destroyed.
  virtual bool OpenWindow(int width, int height, std::u16string_view title) = 0;
  virtual void CloseWindow() = 0;
  virtual void ShowWindow(bool show) = 0;
  virtual void ResizeWindow(int width, int height) = 0;
  virtual void SetTitle(std::u16string_view title) = 0;
  // Where the window's client area lies on the screen, once open.
  virtual POINT WindowPosition(POINT centred) = 0;
  // Shows the composed client area; only `area` (window coordinates) has changed.
  virtual void Present(cairo_surface_t* image, RECT area) = 0;

  // Converts the pending display events into window-system input. UI thread.
  virtual void Pump() = 0;
  // Blocks until a display event or Wake, at most timeoutMs (-1: no limit). Returns false
  // if the back end cannot wait (the caller then waits on its condition variable).
  virtual bool Wait(int timeoutMs) = 0;
  // Wakes Wait. Any thread.
  virtual void Wake() = 0;

  virtual void SetCursorShape(int idc) = 0;
  virtual void SetTextInputRect(RECT clientRect) = 0;
  virtual void WarpMouse(int x, int y) = 0;

  virtual bool SetClipboardText(const std::string& utf8) = 0;
  virtual bool GetClipboardText(std::string* utf8) = 0;
  virtual bool HasClipboardText() = 0;

  virtual int MessageBox(std::u16string_view text, std::u16string_view caption, UINT type,
                         HWND owner) = 0;
  // Headless: records the request and returns true without spawning anything.
  virtual bool RecordShellRequest(HWND owner, const std::string& verb, const std::string& file,
                                  const std::string& params, const std::string& dir, int show) = 0;
};

// The active back end, choosing one automatically on first use.
Backend& Active();
// The active back end, or null when none has been chosen yet.
Backend* ActiveOrNull();
// The thread that drives the display (the one that created the top-level window).
DWORD DisplayThread();
void SetDisplayThread(DWORD thread);

Backend* CreateSdlBackend();  // null when SDL video cannot start
Backend* CreateHeadlessBackend();

}  // namespace kx::display
