// The headless display: for tests and tools. The top-level window's client area is an
// offscreen back buffer, time is the kernel's virtual clock, input is injected here, and
// message boxes and shell requests are recorded instead of shown.
//
// Input coordinates are client coordinates of the top-level window. Each injection is
// queued as display input and then every available message is processed on the calling
// thread (which must be the thread owning the windows), as Tick(0) does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Windows.h"
#include "platform/display/Display.h"

namespace kx::headless {

// InitDisplay(DisplayKind::Headless): the virtual clock on, headless back end active.
bool Start();

enum class Button { Left, Right, Middle };
// Modifier keys held during an injected key; the state GetKeyState reports for
// VK_SHIFT / VK_CONTROL / VK_MENU while the key is processed.
enum : unsigned { kShift = 1, kCtrl = 2, kAlt = 4 };

void MouseMove(int x, int y);
void MouseDown(int x, int y, Button button = Button::Left);
void MouseUp(int x, int y, Button button = Button::Left);
void Click(int x, int y, Button button = Button::Left);  // move, down, up
void MouseWheel(int x, int y, int delta);                // delta in WHEEL_DELTA units
void MouseOut();                                         // the mouse leaves the display window
void KeyDown(UINT vk, unsigned shift = 0);
void KeyUp(UINT vk, unsigned shift = 0);
void PressKey(UINT vk, unsigned shift = 0);  // down, up, and the modifiers released
void TypeText(std::u16string_view text);     // text input: one WM_CHAR per UTF-16 unit

// Advances the virtual clock by `ms`, stepping to every timer and caret blink that comes
// due on the way and processing all messages at each step; Tick(0) only processes. Stops
// early, leaving the request in the queue, at a quit request.
void Tick(uint32_t ms);

// The top-level client area after processing paints (see CaptureTopLevel).
Image Screenshot();
bool SavePng(const std::string& path);
int CurrentCursorId();  // IDC_* of the cursor shown now, 0 for none

struct MessageBoxRecord {
  HWND owner = nullptr;
  std::u16string text;
  std::u16string caption;
  UINT type = 0;
};
struct ShellRecord {
  HWND owner = nullptr;
  std::string verb;  // UTF-8 (ShellExecuteW converts)
  std::string file;
  std::string parameters;
  std::string directory;
  int show = 0;
};
const std::vector<MessageBoxRecord>& MessageBoxes();
const std::vector<ShellRecord>& ShellRequests();
void ClearRecords();

}  // namespace kx::headless
