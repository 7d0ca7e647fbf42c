// A real window on the SDL back end, for the Xvfb smoke test (xvfb_smoke.sh).
//
// Opens the top-level window (client 445 x 592), paints a white client area with a blue
// block at (50, 60)-(150, 110) and a red one at (300, 400)-(400, 500), checks its own
// presented back buffer, and prints "READY left top" (the client area's screen position).
// It then waits in GetMessageW. SIGUSR1 makes another thread post WM_CLOSE to the window;
// the default procedure destroys it, WM_DESTROY ends the loop, and "CLOSED" is printed.
// Exit status 0 on success.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <thread>

#include "platform/display/Display.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"

namespace {

HWND gWindow = nullptr;

void Fill(HDC dc, RECT r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT all;
      GetClientRect(hwnd, &all);
      Fill(dc, all, RGB(255, 255, 255));
      Fill(dc, RECT{50, 60, 150, 110}, RGB(0, 0, 255));
      Fill(dc, RECT{300, 400, 400, 500}, RGB(255, 0, 0));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int main() {
  // SIGUSR1 is taken by a waiting thread, never by the UI thread.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);

  if (!kx::InitDisplay(kx::DisplayKind::Sdl)) {
    std::fprintf(stderr, "SDL display not available\n");
    return 2;
  }
  gWindow = CreateWindowExW(0, WS_CAPTION | WS_SYSMENU, 0, 0, 445, 592, nullptr, &Proc, nullptr);
  if (!gWindow) return 3;
  SetWindowTextW(gWindow, u"Kestrix smoke");
  ShowWindow(gWindow, SW_SHOW);
  // Let the window map and the first paint be presented.
  const uint64_t until = GetTickCount64() + 500;
  while (GetTickCount64() < until) {
    kx::WaitForMessageOr(nullptr, DWORD(until - GetTickCount64()));
    kx::ProcessPendingMessages();
  }
  kx::Image img = kx::CaptureTopLevel();
  if (img.width != 445 || img.height != 592 || img.ColorAt(100, 80) != RGB(0, 0, 255) ||
      img.ColorAt(10, 10) != RGB(255, 255, 255) || img.ColorAt(350, 450) != RGB(255, 0, 0)) {
    std::fprintf(stderr, "back buffer wrong: %dx%d\n", img.width, img.height);
    return 4;
  }
  RECT r;
  GetWindowRect(gWindow, &r);
  std::printf("READY %d %d\n", int(r.left), int(r.top));
  std::fflush(stdout);

  std::thread closer([set] {
    int sig = 0;
    if (sigwait(&set, &sig) == 0) PostMessageW(gWindow, WM_CLOSE, 0, 0);
  });
  closer.detach();
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  std::printf("CLOSED\n");
  return IsWindow(gWindow) ? 5 : 0;
}
