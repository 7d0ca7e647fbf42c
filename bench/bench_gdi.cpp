// Drawing-layer costs: measuring a 40-character run with a cached font, filling and
// copying a window-sized (445 x 592) bitmap.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/gdi/Gdi.h"

namespace {

struct Surface {
  Surface(int w, int h) {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateCompatibleBitmap(dc, w, h);
    old = SelectObject(dc, bmp);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
};

void PinFonts() {
  // Measure with the test font set when run from the build tree.
  if (!std::getenv("FONTCONFIG_FILE")) setenv("FONTCONFIG_FILE", KX_TEST_FONTCONFIG, 0);
}

void BM_MeasureRun40(benchmark::State& state) {
  PinFonts();
  Surface s(1, 1);
  HFONT f = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Verdana");
  HGDIOBJ old = SelectObject(s.dc, f);
  const std::u16string text = u"Geben Sie hier Ihre Kundennummer ein: 42";  // 40 characters
  SIZE sz;
  GetTextExtentPoint32W(s.dc, text.c_str(), int(text.size()), &sz);  // warm the cache
  for (auto _ : state) {
    GetTextExtentPoint32W(s.dc, text.c_str(), int(text.size()), &sz);
    benchmark::DoNotOptimize(sz);
  }
  SelectObject(s.dc, old);
  DeleteObject(f);
}
BENCHMARK(BM_MeasureRun40);

void BM_FillRect445x592(benchmark::State& state) {
  Surface s(445, 592);
  HBRUSH b = CreateSolidBrush(RGB(255, 255, 255));
  RECT r{0, 0, 445, 592};
  for (auto _ : state) {
    FillRect(s.dc, &r, b);
    benchmark::ClobberMemory();
  }
  DeleteObject(b);
}
BENCHMARK(BM_FillRect445x592)->Unit(benchmark::kMicrosecond);

void BM_BitBlt445x592(benchmark::State& state) {
  Surface src(445, 592), dst(445, 592);
  for (auto _ : state) {
    BitBlt(dst.dc, 0, 0, 445, 592, src.dc, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BitBlt445x592)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
