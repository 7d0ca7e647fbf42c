// Painting: the order of WM_PAINT, clipping of children and siblings, invalidation and
// update regions, erase, non-client margins, window DCs, transparent children.
#include "platform/gdi/Gdi.h"
#include "support/HeadlessWindows.h"

namespace {

using kx::test::CreateProbe;
using kx::test::HeadlessTest;
using kx::test::ProbeWindow;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class PaintTest : public HeadlessTest {
 protected:
  // Every paint of every probe, in order.
  std::vector<std::string> order_;
  void Track(ProbeWindow* p) {
    p->handlers[WM_PAINT] = [this, p](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (p->fill != 0xFFFFFFFF) {
        HBRUSH b = CreateSolidBrush(p->fill);
        RECT all;
        GetClientRect(h, &all);
        FillRect(dc, &all, b);  // the whole client: clipping must keep it in place
        DeleteObject(b);
      }
      EndPaint(h, &ps);
      p->paints++;
      p->paintRects.push_back(ps.rcPaint);
      order_.push_back(p->name);
      return 0;
    };
  }
  kx::Image Shot(const char* name) {
    kx::Image img = kx::headless::Screenshot();
    kx::test::WriteArtifact(img, name);
    return img;
  }
};

TEST_F(PaintTest, ParentsPaintBeforeChildrenAndChildrenAreClippedOut) {
  ProbeWindow top, a, b, a1;
  top.name = "top";
  a.name = "a";
  b.name = "b";
  a1.name = "a1";
  top.fill = kWhite;
  a.fill = kRed;
  b.fill = kGreen;
  a1.fill = kBlue;
  for (auto* p : {&top, &a, &b, &a1})
    Track(p);
  HWND h = MakeTopLevel(&top, 100, 100);
  HWND ha = CreateProbe(&a, h, RECT{10, 10, 60, 60});
  CreateProbe(&b, h, RECT{40, 40, 90, 90});  // later sibling: above a
  CreateProbe(&a1, ha, RECT{5, 5, 15, 15});
  Pump();
  EXPECT_EQ(order_, (std::vector<std::string>{"top", "a", "a1", "b"}));
  kx::Image img = Shot("paint_order");
  ASSERT_EQ(img.width, 100);
  EXPECT_EQ(img.ColorAt(5, 5), kWhite);
  EXPECT_EQ(img.ColorAt(12, 12), kRed);
  EXPECT_EQ(img.ColorAt(17, 17), kBlue);   // a1 at (10+5, 10+5)
  EXPECT_EQ(img.ColorAt(50, 50), kGreen);  // b lies above a
  EXPECT_EQ(img.ColorAt(85, 85), kGreen);

  // Repainting the parent alone leaves the children's pixels alone.
  order_.clear();
  InvalidateRect(h, nullptr, TRUE);
  Pump();
  EXPECT_EQ(order_, (std::vector<std::string>{"top"}));
  img = Shot("paint_parent_again");
  EXPECT_EQ(img.ColorAt(12, 12), kRed);
  EXPECT_EQ(img.ColorAt(50, 50), kGreen);

  // Repainting the lower sibling never paints over the upper one.
  order_.clear();
  InvalidateRect(ha, nullptr, TRUE);
  Pump();
  EXPECT_EQ(order_, (std::vector<std::string>{"a"}));
  img = Shot("paint_lower_sibling");
  EXPECT_EQ(img.ColorAt(50, 50), kGreen);
  EXPECT_EQ(img.ColorAt(17, 17), kBlue);
}

TEST_F(PaintTest, NothingIsPaintedWhileNothingIsInvalid) {
  ProbeWindow top, child;
  top.fill = kWhite;
  child.fill = kRed;
  HWND h = MakeTopLevel(&top);
  CreateProbe(&child, h, RECT{0, 0, 20, 20});
  Pump();
  top.Clear();
  child.Clear();
  kx::headless::Tick(1000);
  kx::headless::Screenshot();
  EXPECT_EQ(top.paints + child.paints, 0);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(PaintTest, InvisibleWindowsAreNeverPainted) {
  ProbeWindow top, hidden, inside;
  top.fill = kWhite;
  hidden.fill = kRed;
  inside.fill = kBlue;
  HWND h = MakeTopLevel(&top);
  HWND hh = CreateProbe(&hidden, h, RECT{0, 0, 50, 50}, 0);
  CreateProbe(&inside, hh, RECT{0, 0, 10, 10});  // visible itself, in a hidden parent
  InvalidateRect(hh, nullptr, TRUE);
  Pump();
  EXPECT_EQ(hidden.paints, 0);
  EXPECT_EQ(inside.paints, 0);
  EXPECT_FALSE(IsWindowVisible(inside.hwnd));
  EXPECT_EQ(Shot("invisible").ColorAt(5, 5), kWhite);

  ShowWindow(hh, SW_SHOW);
  Pump();
  EXPECT_EQ(hidden.paints, 1);
  EXPECT_EQ(inside.paints, 1);
  EXPECT_EQ(Shot("shown").ColorAt(5, 5), kBlue);

  // Hiding reveals the parent beneath.
  ShowWindow(hh, SW_HIDE);
  Pump();
  EXPECT_EQ(Shot("hidden_again").ColorAt(5, 5), kWhite);
}

TEST_F(PaintTest, UpdateRegionsAccumulateAndThePaintRectangleIsTheirBox) {
  ProbeWindow top;
  top.fill = kWhite;
  HWND h = MakeTopLevel(&top);
  Pump();
  top.Clear();
  RECT a{10, 10, 20, 20}, b{30, 5, 40, 15};
  InvalidateRect(h, &a, FALSE);
  InvalidateRect(h, &b, FALSE);
  RECT u;
  ASSERT_TRUE(GetUpdateRect(h, &u, FALSE));
  EXPECT_EQ(u, (RECT{10, 5, 40, 20}));
  Pump();
  ASSERT_EQ(top.paints, 1);
  EXPECT_EQ(top.paintRects[0], (RECT{10, 5, 40, 20}));
  EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));

  // Validated parts are not painted; a region outside the client area is nothing.
  InvalidateRect(h, &a, FALSE);
  ValidateRect(h, &a);
  RECT outside{500, 500, 600, 600};
  InvalidateRect(h, &outside, FALSE);
  top.Clear();
  Pump();
  EXPECT_EQ(top.paints, 0);
}

TEST_F(PaintTest, PaintDrawsOnlyInsideTheUpdateRegion) {
  ProbeWindow top;
  top.fill = kRed;
  HWND h = MakeTopLevel(&top, 50, 50);
  Pump();
  top.fill = kBlue;
  RECT r{0, 0, 10, 10};
  InvalidateRect(h, &r, FALSE);
  Pump();
  kx::Image img = Shot("update_clip");
  EXPECT_EQ(img.ColorAt(5, 5), kBlue);
  EXPECT_EQ(img.ColorAt(20, 20), kRed);
}

TEST_F(PaintTest, EraseComesWithBeginPaintOnlyWhenAsked) {
  ProbeWindow top;
  top.fill = kWhite;
  HWND h = MakeTopLevel(&top);
  Pump();
  top.Clear();
  InvalidateRect(h, nullptr, FALSE);
  Pump();
  EXPECT_EQ(top.Count(WM_ERASEBKGND), 0);
  InvalidateRect(h, nullptr, TRUE);
  Pump();
  EXPECT_EQ(top.Count(WM_ERASEBKGND), 1);
}

TEST_F(PaintTest, UpdateWindowPaintsSynchronously) {
  ProbeWindow top, child;
  top.fill = kWhite;
  child.fill = kRed;
  HWND h = MakeTopLevel(&top);
  CreateProbe(&child, h, RECT{0, 0, 10, 10});
  EXPECT_EQ(top.paints, 0);
  UpdateWindow(h);
  EXPECT_EQ(top.paints, 1);
  EXPECT_EQ(child.paints, 1);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(PaintTest, AProcedureThatDoesNotPaintIsValidatedByDispatch) {
  ProbeWindow top;
  top.handlers[WM_PAINT] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
  HWND h = MakeTopLevel(&top);
  Pump();
  EXPECT_EQ(top.Count(WM_PAINT), 1);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, h, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(PaintTest, NonClientMarginComesFromNcCalcSizeAndWindowDcCoversIt) {
  ProbeWindow top, framed, edged;
  top.fill = kWhite;
  framed.fill = kRed;
  edged.fill = kRed;
  HWND h = MakeTopLevel(&top, 100, 100);
  HWND f = CreateProbe(&framed, h, RECT{10, 10, 40, 40}, WS_VISIBLE | WS_BORDER);
  HWND e = CreateProbe(&edged, h, RECT{50, 10, 80, 40}, WS_VISIBLE, WS_EX_CLIENTEDGE);
  RECT c;
  GetClientRect(f, &c);
  EXPECT_EQ(c, (RECT{0, 0, 28, 28}));
  GetClientRect(e, &c);
  EXPECT_EQ(c, (RECT{0, 0, 26, 26}));
  POINT p{0, 0};
  MapWindowPoints(e, h, &p, 1);
  EXPECT_EQ(p, (POINT{52, 12}));
  Pump();
  kx::Image img = Shot("nonclient");
  EXPECT_EQ(img.ColorAt(10, 10), GetSysColor(COLOR_WINDOWFRAME));  // border
  EXPECT_EQ(img.ColorAt(11, 11), kRed);                            // client starts inside
  EXPECT_EQ(img.ColorAt(50, 10), GetSysColor(COLOR_BTNSHADOW));    // sunken edge, outer
  EXPECT_EQ(img.ColorAt(52, 12), kRed);

  // A procedure defines its own margin; the window DC reaches it.
  ProbeWindow custom;
  custom.handlers[WM_NCCALCSIZE] = [](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
    auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(l);
    p->rgrc[0].left += 5;
    p->rgrc[0].top += 3;
    return 0;
  };
  custom.handlers[WM_NCPAINT] = [](HWND w, UINT, WPARAM, LPARAM) -> LRESULT {
    HDC dc = GetWindowDC(w);
    RECT r{0, 0, 30, 30};
    HBRUSH b = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(dc, &r, b);  // the client area is clipped out of it
    DeleteObject(b);
    ReleaseDC(w, dc);
    return 0;
  };
  custom.fill = kBlue;
  HWND cu = CreateProbe(&custom, h, RECT{10, 50, 40, 80});
  GetClientRect(cu, &c);
  EXPECT_EQ(c, (RECT{0, 0, 25, 27}));
  Pump();
  img = Shot("custom_nonclient");
  EXPECT_EQ(img.ColorAt(12, 60), kGreen);
  EXPECT_EQ(img.ColorAt(20, 60), kBlue);
}

TEST_F(PaintTest, TransparentChildShowsWhatItsParentPaintsBeneathIt) {
  ProbeWindow top, glass;
  top.name = "top";
  glass.name = "glass";
  top.fill = kRed;
  Track(&top);
  glass.handlers[WM_PAINT] = [&](HWND w, UINT, WPARAM, LPARAM) -> LRESULT {
    // Paints only a frame: the inside must show the parent's colour.
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    HBRUSH b = CreateSolidBrush(RGB(0, 0, 255));
    FrameRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(w, &ps);
    order_.push_back("glass");
    return 0;
  };
  HWND h = MakeTopLevel(&top, 60, 60);
  CreateProbe(&glass, h, RECT{10, 10, 50, 50}, WS_VISIBLE, WS_EX_TRANSPARENT);
  Pump();
  kx::Image img = Shot("transparent_child");
  EXPECT_EQ(img.ColorAt(10, 10), kBlue);
  EXPECT_EQ(img.ColorAt(30, 30), kRed);

  // The parent's new paint under the glass makes the glass paint again, after it.
  order_.clear();
  top.fill = kGreen;
  InvalidateRect(h, nullptr, TRUE);
  Pump();
  EXPECT_EQ(order_, (std::vector<std::string>{"top", "glass"}));
  img = Shot("transparent_child_again");
  EXPECT_EQ(img.ColorAt(30, 30), kGreen);
  EXPECT_EQ(img.ColorAt(10, 10), kBlue);
}

TEST_F(PaintTest, MovingAWindowRepaintsWhatItUncovers) {
  ProbeWindow top, a, b;
  top.fill = kWhite;
  a.fill = kRed;
  b.fill = kBlue;
  HWND h = MakeTopLevel(&top, 100, 100);
  CreateProbe(&a, h, RECT{0, 0, 40, 40});
  HWND hb = CreateProbe(&b, h, RECT{20, 20, 60, 60});
  Pump();
  MoveWindow(hb, 60, 60, 30, 30, TRUE);
  Pump();
  kx::Image img = Shot("moved");
  EXPECT_EQ(img.ColorAt(30, 30), kRed);    // the lower sibling, uncovered
  EXPECT_EQ(img.ColorAt(50, 50), kWhite);  // the parent, uncovered
  EXPECT_EQ(img.ColorAt(70, 70), kBlue);

  // Raising the lower sibling brings its hidden part into view.
  SetWindowPos(a.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  MoveWindow(hb, 20, 20, 40, 40, TRUE);
  Pump();
  img = Shot("raised");
  EXPECT_EQ(img.ColorAt(30, 30), kRed);
  EXPECT_EQ(img.ColorAt(50, 50), kBlue);
}

TEST_F(PaintTest, DestroyingAChildRepaintsItsArea) {
  ProbeWindow top, child;
  top.fill = kWhite;
  child.fill = kRed;
  HWND h = MakeTopLevel(&top, 50, 50);
  HWND c = CreateProbe(&child, h, RECT{0, 0, 20, 20});
  Pump();
  EXPECT_EQ(Shot("before_destroy").ColorAt(5, 5), kRed);
  DestroyWindow(c);
  Pump();
  EXPECT_EQ(Shot("after_destroy").ColorAt(5, 5), kWhite);
}

}  // namespace
