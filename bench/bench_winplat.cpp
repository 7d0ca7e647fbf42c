// Window system figures on the headless display: posting and dispatching, a full repaint
// of a 445 x 592 window with ten children plus the composition the display presents, and
// injected mouse moves (hit-testing, WM_SETCURSOR, WM_MOUSEMOVE).
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/display/Headless.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"

namespace {

LRESULT Counting(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_USER) return 1;
  return DefWindowProcW(h, msg, w, l);
}

LRESULT Painting(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    RECT band{0, 0, r.right, 4};
    FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
    EndPaint(h, &ps);
    return 0;
  }
  if (msg == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
  }
  return DefWindowProcW(h, msg, w, l);
}

struct Form {
  HWND top = nullptr;
  std::vector<HWND> children;
  Form() {
    kx::headless::Start();
    top = CreateWindowExW(0, WS_CAPTION | WS_VISIBLE, 0, 0, 445, 592, nullptr, &Painting, nullptr);
    for (int i = 0; i < 10; ++i)
      children.push_back(
          CreateWindowExW(0, WS_VISIBLE, 16, 20 + i * 56, 411, 48, top, &Painting, nullptr));
    kx::headless::Tick(0);
  }
  ~Form() { DestroyWindow(top); }
};

void BM_PostGetDispatch(benchmark::State& state) {
  kx::headless::Start();
  HWND h = CreateWindowExW(0, WS_POPUP, 0, 0, 0, 0, nullptr, &Counting, nullptr);
  MSG m;
  for (auto _ : state) {
    PostMessageW(h, WM_USER, 0, 0);
    GetMessageW(&m, nullptr, 0, 0);
    benchmark::DoNotOptimize(DispatchMessageW(&m));
  }
  DestroyWindow(h);
}
BENCHMARK(BM_PostGetDispatch);

void BM_FullRepaintComposed(benchmark::State& state) {
  Form form;
  for (auto _ : state) {
    RedrawWindow(form.top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    kx::Image img = kx::CaptureTopLevel();  // paints everything, composes, copies out
    benchmark::DoNotOptimize(img.pixels.data());
  }
}
BENCHMARK(BM_FullRepaintComposed)->Unit(benchmark::kMicrosecond);

void BM_MouseMoveAcrossChildren(benchmark::State& state) {
  Form form;
  int y = 0;
  for (auto _ : state) {
    y = (y + 7) % 592;
    kx::headless::MouseMove(200, y);
  }
}
BENCHMARK(BM_MouseMoveAcrossChildren)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
