// An idle window program: a wizard-sized top-level window with ten children, painted once,
// then waiting in GetMessageW with nothing animating. idle_cpu.sh measures its CPU use.
// SIGTERM or SIGUSR1 makes another thread post WM_CLOSE; it then exits 0.
// With --caret a blinking caret is shown (one present per blink phase).
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/display/Display.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace {

HWND gTop = nullptr;

LRESULT Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
      EndPaint(h, &ps);
      return 0;
    }
    case WM_DESTROY:
      if (h == gTop) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(h, msg, w, l);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool caret = argc > 1 && std::strcmp(argv[1], "--caret") == 0;
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);

  gTop = CreateWindowExW(0, WS_CAPTION | WS_SYSMENU, 0, 0, 445, 592, nullptr, &Proc, nullptr);
  if (!gTop) return 1;
  HWND field = nullptr;
  for (int i = 0; i < 10; ++i) {
    HWND c =
        CreateWindowExW(0, WS_VISIBLE | WS_BORDER, 16, 20 + i * 56, 411, 48, gTop, &Proc, nullptr);
    if (i == 0) field = c;
  }
  ShowWindow(gTop, SW_SHOW);
  if (caret) {
    SetFocus(field);
    CreateCaret(field, nullptr, 1, 16);
    SetCaretPos(4, 4);
    ShowCaret(field);
  }
  std::printf("READY %s\n", kx::CurrentDisplay() == kx::DisplayKind::Sdl ? "sdl" : "headless");
  std::fflush(stdout);

  std::thread closer([set] {
    int sig = 0;
    if (sigwait(&set, &sig) == 0) PostMessageW(gTop, WM_CLOSE, 0, 0);
  });
  closer.detach();
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}
