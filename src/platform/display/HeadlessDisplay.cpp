// The headless back end: no window, an offscreen back buffer (the top-level window's own),
// input injected by tests and tools, message boxes and shell requests recorded.
#include <algorithm>

#include "platform/display/DisplayBackend.h"
#include "platform/display/Headless.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace kx::display {
namespace {

std::vector<kx::headless::MessageBoxRecord> gBoxes;
std::vector<kx::headless::ShellRecord> gShell;
int gCursorId = 0;

class HeadlessBackend : public Backend {
 public:
  DisplayKind Kind() const override { return DisplayKind::Headless; }
  SIZE ScreenSize() override { return SIZE{1920, 1080}; }
  bool OpenWindow(int, int, std::u16string_view) override { return true; }
  void CloseWindow() override {}
  void ShowWindow(bool) override {}
  void ResizeWindow(int, int) override {}
  void SetTitle(std::u16string_view) override {}
  POINT WindowPosition(POINT centred) override { return centred; }
  void Present(cairo_surface_t*, RECT) override {}
  void Pump() override {}
  bool Wait(int) override { return false; }
  void Wake() override {}
  void SetCursorShape(int idc) override { gCursorId = idc; }
  void SetTextInputRect(RECT) override {}
  void WarpMouse(int x, int y) override { kx::ws::InputMouseMove(x, y); }
  bool SetClipboardText(const std::string&) override { return false; }
  bool GetClipboardText(std::string*) override { return false; }
  bool HasClipboardText() override { return false; }
  int MessageBox(std::u16string_view text, std::u16string_view caption, UINT type,
                 HWND owner) override {
    gBoxes.push_back(
        kx::headless::MessageBoxRecord{owner, std::u16string(text), std::u16string(caption), type});
    return (type & 0x0F) == MB_YESNO ? IDYES : IDOK;
  }
  bool RecordShellRequest(HWND owner, const std::string& verb, const std::string& file,
                          const std::string& params, const std::string& dir, int show) override {
    gShell.push_back(kx::headless::ShellRecord{owner, verb, file, params, dir, show});
    return true;
  }
};

}  // namespace

Backend* CreateHeadlessBackend() {
  return new HeadlessBackend;
}

}  // namespace kx::display

namespace kx::headless {
namespace {

ws::MouseButton ToWs(Button b) {
  switch (b) {
    case Button::Right:
      return ws::MouseButton::Right;
    case Button::Middle:
      return ws::MouseButton::Middle;
    default:
      return ws::MouseButton::Left;
  }
}

void Process() {
  kx::ProcessPendingMessages();
}

// The character a key gives as text input with a US layout (letters, digits, space);
// keys with Ctrl or Alt give none.
char16_t TextOfKey(UINT vk, unsigned shift) {
  if (shift & (kCtrl | kAlt)) return 0;
  if (vk >= 'A' && vk <= 'Z') return char16_t((shift & kShift) ? vk : vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9' && !(shift & kShift)) return char16_t(vk);
  if (vk == VK_SPACE) return u' ';
  return 0;
}

}  // namespace

bool Start() {
  return InitDisplay(DisplayKind::Headless);
}

void MouseMove(int x, int y) {
  ws::InputMouseMove(x, y);
  Process();
}

void MouseDown(int x, int y, Button button) {
  ws::InputMouseButton(x, y, ToWs(button), true);
  Process();
}

void MouseUp(int x, int y, Button button) {
  ws::InputMouseButton(x, y, ToWs(button), false);
  Process();
}

void Click(int x, int y, Button button) {
  MouseMove(x, y);
  MouseDown(x, y, button);
  MouseUp(x, y, button);
}

void MouseWheel(int x, int y, int delta) {
  ws::InputMouseWheel(x, y, delta * WHEEL_DELTA);
  Process();
}

void MouseOut() {
  ws::InputMouseOutside();
  Process();
}

void KeyDown(UINT vk, unsigned shift) {
  ws::InputKey(vk, true, shift);
  if (char16_t ch = TextOfKey(vk, shift)) {
    char16_t s[2] = {ch, 0};
    ws::InputText(s);
  }
  Process();
}

void KeyUp(UINT vk, unsigned shift) {
  ws::InputKey(vk, false, shift);
  Process();
}

void PressKey(UINT vk, unsigned shift) {
  KeyDown(vk, shift);
  KeyUp(vk, shift);
  ws::SetModifierState(0);
}

void TypeText(std::u16string_view text) {
  ws::InputText(text);
  Process();
}

void Tick(uint32_t ms) {
  if (!kx::ProcessPendingMessages()) return;
  const uint64_t target = GetTickCount64() + ms;
  while (GetTickCount64() < target) {
    uint64_t now = GetTickCount64();
    uint64_t next = ws::NextTimerDue(ws::CurrentQueue());
    uint64_t step = (next > now && next < target) ? next - now : target - now;
    if (next != 0 && next <= now) step = 0;
    if (step > 0) kx::AdvanceVirtualClock(uint32_t(std::min<uint64_t>(step, 0xFFFFFFFFu)));
    if (!kx::ProcessPendingMessages()) return;
    if (uint64_t again = ws::NextTimerDue(ws::CurrentQueue());
        step == 0 && again != 0 && again <= GetTickCount64()) {
      // A timer that stays due after processing (its procedure re-armed it to now) would
      // stall the clock; move on.
      kx::AdvanceVirtualClock(1);
    }
  }
}

Image Screenshot() {
  return CaptureTopLevel();
}

bool SavePng(const std::string& path) {
  return kx::SavePng(Screenshot(), path);
}

int CurrentCursorId() {
  return kx::CursorId(GetCursor());
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
  return display::gBoxes;
}
const std::vector<ShellRecord>& ShellRequests() {
  return display::gShell;
}
void ClearRecords() {
  display::gBoxes.clear();
  display::gShell.clear();
}

}  // namespace kx::headless
