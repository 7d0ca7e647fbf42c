#include "support/HeadlessWindows.h"

#include <cstdlib>

#include "platform/gdi/Gdi.h"

namespace kx::test {

LRESULT ProbeWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* p = static_cast<ProbeWindow*>(GetWindowUserData(hwnd));
  if (!p) return DefWindowProcW(hwnd, msg, wParam, lParam);
  p->log.push_back(Received{msg, wParam, lParam});
  auto it = p->handlers.find(msg);
  if (it != p->handlers.end()) return it->second(hwnd, msg, wParam, lParam);
  if (msg == WM_PAINT && p->fill != 0xFFFFFFFF) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH b = CreateSolidBrush(p->fill);
    RECT all;
    GetClientRect(hwnd, &all);
    FillRect(dc, &all, b);
    DeleteObject(b);
    EndPaint(hwnd, &ps);
    p->paints++;
    p->paintRects.push_back(ps.rcPaint);
    return 0;
  }
  if (msg == WM_PAINT) p->paints++;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateProbe(ProbeWindow* probe, HWND parent, RECT b, DWORD style, DWORD exStyle) {
  probe->hwnd = CreateWindowExW(exStyle, style, b.left, b.top, b.right - b.left, b.bottom - b.top,
                                parent, &ProbeWindow::Proc, probe);
  return probe->hwnd;
}

void HeadlessTest::SetUp() {
  ASSERT_TRUE(kx::headless::Start());
  kx::headless::ClearRecords();
}

void HeadlessTest::TearDown() {
  while (HWND top = kx::GetTopLevelWindow())
    DestroyWindow(top);
  // Leftover queue contents (posted messages, a quit request) must not leak into the next
  // test.
  MSG m;
  for (int i = 0; i < 10000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i)
    if (m.message == WM_PAINT) ValidateRect(m.hwnd, nullptr);
}

HWND HeadlessTest::MakeTopLevel(ProbeWindow* probe, int width, int height) {
  return CreateProbe(probe, nullptr, RECT{0, 0, width, height},
                     WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
}

void WriteArtifact(const kx::Image& image, const std::string& name) {
  const char* dir = std::getenv("KX_TEST_ARTIFACTS");
  if (!dir || !*dir) return;
  kx::SavePng(image, std::string(dir) + "/" + name + ".png");
}

}  // namespace kx::test
