// A memory DC over a white bitmap, with pixel reads and PNG output for failed comparisons.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/gdi/Gdi.h"

class GdiCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(64, 48); }
  void TearDown() override {
    if (HasFailure()) SavePng();
    Free();
  }

  void Reset(int w, int h) {
    Free();
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateCompatibleBitmap(dc, w, h);
    old = SelectObject(dc, bmp);
    Clear(RGB(255, 255, 255));
  }
  void Clear(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    RECT r{0, 0, 32767, 32767};
    SelectClipRgn(dc, nullptr);
    POINT o;
    SetViewportOrgEx(dc, 0, 0, &o);
    FillRect(dc, &r, b);
    SetViewportOrgEx(dc, o.x, o.y, nullptr);
    DeleteObject(b);
  }
  // The pixel of the bitmap itself, independent of the DC's mapping and clip.
  COLORREF Px(int x, int y) const {
    BITMAP bm;
    GetObject(bmp, sizeof bm, &bm);
    if (x < 0 || y < 0 || x >= bm.bmWidth || y >= bm.bmHeight) return CLR_INVALID;
    auto* row = reinterpret_cast<const uint32_t*>(static_cast<const unsigned char*>(bm.bmBits) +
                                                  size_t(y) * bm.bmWidthBytes);
    uint32_t p = row[x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Counts pixels of rect (bitmap coordinates) that differ from colour c.
  int CountNot(RECT r, COLORREF c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        n += Px(x, y) != c;
    return n;
  }
  void SavePng() const {
    const char* dir = std::getenv("KX_TEST_ARTIFACTS");
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(t->test_suite_name()) + "." + t->name();
    for (char& ch : name)
      if (ch == '/') ch = '_';
    kx::WritePng(bmp, std::string(dir ? dir : "/tmp") + "/" + name + ".png");
  }
  void Free() {
    if (!dc) return;
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    dc = nullptr;
  }

  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
};

inline HFONT MakeFont(int height, const char16_t* face = u"Verdana", int weight = FW_NORMAL,
                      bool italic = false, bool underline = false, bool strike = false) {
  return CreateFontW(height, 0, 0, 0, weight, italic, underline, strike, DEFAULT_CHARSET, 0, 0,
                     ANTIALIASED_QUALITY, 0, face);
}
