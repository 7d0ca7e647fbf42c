// Input: hit-testing through the z-order, mouse messages and coordinates, capture,
// double clicks, enter/leave tracking, cursors, focus and the keyboard.
#include "support/HeadlessWindows.h"

namespace {

using kx::test::CreateProbe;
using kx::test::HeadlessTest;
using kx::test::ProbeWindow;
namespace hl = kx::headless;

class InputTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    top_ = MakeTopLevel(&topProbe_, 200, 150);
    Pump();
    hl::MouseMove(199, 149);
    Tick();
  }
  void Tick() { hl::Tick(600); }  // past the double-click time
  POINT LastPoint(const ProbeWindow& p, UINT msg) {
    for (auto it = p.log.rbegin(); it != p.log.rend(); ++it)
      if (it->msg == msg) return POINT{GET_X_LPARAM(it->lParam), GET_Y_LPARAM(it->lParam)};
    return POINT{-999, -999};
  }
  ProbeWindow topProbe_;
  HWND top_ = nullptr;
};

TEST_F(InputTest, HitTestingFollowsTheZOrderAndSkipsHiddenWindows) {
  ProbeWindow lower, upper, hidden;
  CreateProbe(&lower, top_, RECT{10, 10, 100, 100});
  CreateProbe(&upper, top_, RECT{50, 50, 150, 140});
  CreateProbe(&hidden, top_, RECT{0, 0, 200, 150}, 0);  // above both, but hidden
  struct Case {
    int x, y;
    HWND expected;
  } cases[] = {{20, 20, lower.hwnd}, {60, 60, upper.hwnd}, {120, 120, upper.hwnd}, {5, 5, top_}};
  for (const Case& c : cases) {
    POINT s{c.x, c.y};
    ClientToScreen(top_, &s);
    EXPECT_EQ(WindowFromPoint(s), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(ChildWindowFromPoint(top_, POINT{c.x, c.y}), c.expected) << c.x << "," << c.y;
  }
  EXPECT_EQ(ChildWindowFromPoint(top_, POINT{-5, 5}), nullptr);

  // Bringing the lower one to the top changes who is hit.
  SetWindowPos(lower.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  POINT s{60, 60};
  ClientToScreen(top_, &s);
  EXPECT_EQ(WindowFromPoint(s), lower.hwnd);
  EXPECT_EQ(GetWindow(top_, GW_CHILD), lower.hwnd);  // top-most child first
  EXPECT_EQ(GetWindow(lower.hwnd, GW_HWNDNEXT), hidden.hwnd);

  hl::Click(60, 60);
  EXPECT_EQ(lower.Count(WM_LBUTTONDOWN), 1);
  EXPECT_EQ(upper.Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(LastPoint(lower, WM_LBUTTONDOWN), (POINT{50, 50}));  // client coordinates
}

TEST_F(InputTest, TransparentHitTestAndDisabledChildrenPassThePointOn) {
  ProbeWindow below, see, off;
  CreateProbe(&below, top_, RECT{0, 0, 100, 100});
  CreateProbe(&see, top_, RECT{0, 0, 50, 50});
  see.handlers[WM_NCHITTEST] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return HTTRANSPARENT; };
  HWND d = CreateProbe(&off, top_, RECT{60, 60, 90, 90});
  EnableWindow(d, FALSE);
  hl::Click(10, 10);
  EXPECT_EQ(see.Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(below.Count(WM_LBUTTONDOWN), 1);
  hl::Click(70, 70);
  EXPECT_EQ(off.Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(below.Count(WM_LBUTTONDOWN), 2);
}

TEST_F(InputTest, CaptureKeepsTheMouseWhileDraggingOutside) {
  ProbeWindow a, b;
  CreateProbe(&a, top_, RECT{10, 10, 50, 50});
  CreateProbe(&b, top_, RECT{100, 10, 150, 50});
  a.handlers[WM_LBUTTONDOWN] = [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    SetCapture(h);
    return 0;
  };
  a.handlers[WM_LBUTTONUP] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    ReleaseCapture();
    return 0;
  };
  hl::MouseDown(20, 20);
  EXPECT_EQ(GetCapture(), a.hwnd);
  hl::MouseMove(120, 20);   // over b
  hl::MouseMove(-30, 300);  // outside everything
  EXPECT_EQ(b.Count(WM_MOUSEMOVE), 0);
  EXPECT_EQ(LastPoint(a, WM_MOUSEMOVE), (POINT{-40, 290}));
  hl::MouseUp(-30, 300);
  EXPECT_EQ(a.Count(WM_LBUTTONUP), 1);
  EXPECT_EQ(a.Count(WM_CAPTURECHANGED), 1);
  EXPECT_EQ(GetCapture(), nullptr);
  hl::MouseMove(120, 25);
  EXPECT_EQ(b.Count(WM_MOUSEMOVE), 1);
}

TEST_F(InputTest, DoubleClickNeedsTheTimeAndTheDistance) {
  ProbeWindow w;
  CreateProbe(&w, top_, RECT{0, 0, 100, 100});
  EXPECT_EQ(GetDoubleClickTime(), 500u);
  EXPECT_EQ(GetSystemMetrics(SM_CXDOUBLECLK), 4);
  struct Case {
    uint32_t gapMs;
    int dx, dy;
    bool isDouble;
  } cases[] = {
      {100, 0, 0, true}, {500, 0, 0, true},  {501, 0, 0, false},
      {100, 2, 2, true}, {100, 3, 0, false}, {100, 0, -3, false},
  };
  for (const Case& c : cases) {
    Tick();
    w.Clear();
    hl::Click(40, 40);
    hl::Tick(c.gapMs);
    hl::Click(40 + c.dx, 40 + c.dy);
    EXPECT_EQ(w.Count(WM_LBUTTONDBLCLK), c.isDouble ? 1 : 0)
        << c.gapMs << " ms, " << c.dx << "," << c.dy;
    EXPECT_EQ(w.Count(WM_LBUTTONDOWN), c.isDouble ? 1 : 2);
  }
  // A third quick press is a plain press again.
  Tick();
  w.Clear();
  hl::Click(40, 40);
  hl::Click(40, 40);
  hl::Click(40, 40);
  EXPECT_EQ(w.Count(WM_LBUTTONDBLCLK), 1);
  EXPECT_EQ(w.Count(WM_LBUTTONDOWN), 2);
}

TEST_F(InputTest, MouseLeaveIsPostedOnceWhenTheMouseLeavesATrackedWindow) {
  ProbeWindow a, b;
  CreateProbe(&a, top_, RECT{0, 0, 50, 50});
  CreateProbe(&b, top_, RECT{60, 0, 110, 50});
  auto track = [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    TRACKMOUSEEVENT t;
    t.dwFlags = TME_LEAVE;
    t.hwndTrack = h;
    TrackMouseEvent(&t);
    return 0;
  };
  a.handlers[WM_MOUSEMOVE] = track;
  hl::MouseMove(10, 10);
  hl::MouseMove(20, 20);
  EXPECT_EQ(a.Count(WM_MOUSELEAVE), 0);
  hl::MouseMove(70, 10);
  EXPECT_EQ(a.Count(WM_MOUSELEAVE), 1);
  hl::MouseMove(80, 10);
  EXPECT_EQ(a.Count(WM_MOUSELEAVE), 1);
  // Back in, and then out of the display window altogether.
  hl::MouseMove(10, 10);
  hl::MouseOut();
  EXPECT_EQ(a.Count(WM_MOUSELEAVE), 2);
  // Tracking a window the mouse is not over reports the leave at once.
  TRACKMOUSEEVENT t;
  t.dwFlags = TME_LEAVE;
  t.hwndTrack = b.hwnd;
  TrackMouseEvent(&t);
  Pump();
  EXPECT_EQ(b.Count(WM_MOUSELEAVE), 1);
}

TEST_F(InputTest, SetCursorAsksTheParentFirstAndDefaultsToTheArrow) {
  ProbeWindow edit, link, plain;
  CreateProbe(&edit, top_, RECT{0, 0, 50, 50});
  CreateProbe(&link, top_, RECT{60, 0, 110, 50});
  CreateProbe(&plain, top_, RECT{120, 0, 170, 50});
  auto cursor = [](int id) {
    return [id](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
      if (LOWORD(uintptr_t(l)) != HTCLIENT) return FALSE;
      SetCursor(LoadCursorW(nullptr, id));
      return TRUE;
    };
  };
  edit.handlers[WM_SETCURSOR] = cursor(IDC_IBEAM);
  link.handlers[WM_SETCURSOR] = cursor(IDC_HAND);
  hl::MouseMove(10, 10);
  EXPECT_EQ(hl::CurrentCursorId(), IDC_IBEAM);
  hl::MouseMove(70, 10);
  EXPECT_EQ(hl::CurrentCursorId(), IDC_HAND);
  hl::MouseMove(130, 10);
  EXPECT_EQ(hl::CurrentCursorId(), IDC_ARROW);
  EXPECT_GE(plain.Count(WM_SETCURSOR), 1);
  EXPECT_GE(topProbe_.Count(WM_SETCURSOR), 1);  // asked by the child's default

  // A parent that answers TRUE decides for its children.
  topProbe_.handlers[WM_SETCURSOR] = cursor(IDC_HAND);
  hl::MouseMove(135, 10);
  EXPECT_EQ(hl::CurrentCursorId(), IDC_HAND);
}

TEST_F(InputTest, FocusMovesWithKillAndSetFocusAndKeysGoToIt) {
  ProbeWindow a, b;
  CreateProbe(&a, top_, RECT{0, 0, 50, 50});
  CreateProbe(&b, top_, RECT{60, 0, 110, 50});
  EXPECT_EQ(SetFocus(a.hwnd), nullptr);
  EXPECT_EQ(a.Count(WM_SETFOCUS), 1);
  EXPECT_EQ(SetFocus(b.hwnd), a.hwnd);
  EXPECT_EQ(a.Count(WM_KILLFOCUS), 1);
  ASSERT_EQ(b.Count(WM_SETFOCUS), 1);
  EXPECT_EQ(b.log.back().wParam, reinterpret_cast<WPARAM>(a.hwnd));
  EXPECT_EQ(GetFocus(), b.hwnd);
  SetFocus(b.hwnd);  // no change, no messages
  EXPECT_EQ(b.Count(WM_SETFOCUS), 1);

  bool shiftSeen = false;
  b.handlers[WM_KEYDOWN] = [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    shiftSeen = GetKeyState(VK_SHIFT) < 0;
    return 0;
  };
  hl::PressKey(VK_TAB, hl::kShift);
  EXPECT_TRUE(shiftSeen);
  EXPECT_EQ(b.Count(WM_KEYUP), 1);
  EXPECT_EQ(a.Count(WM_KEYDOWN), 0);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);  // released again
  hl::TypeText(u"\u00e4x");
  EXPECT_EQ(b.Count(WM_CHAR), 3);  // Tab's character, then the two typed ones

  DestroyWindow(b.hwnd);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(InputTest, AltKeysAreSystemKeysWithTheirAcceleratorCharacter) {
  SetFocus(top_);
  topProbe_.Clear();
  hl::PressKey('R', hl::kAlt);
  EXPECT_EQ(topProbe_.Count(WM_SYSKEYDOWN), 1);
  EXPECT_EQ(topProbe_.Count(WM_KEYDOWN), 0);
  ASSERT_EQ(topProbe_.Count(WM_SYSCHAR), 1);
  for (auto& r : topProbe_.log) {
    if (r.msg == WM_SYSCHAR) {
      EXPECT_EQ(r.wParam, WPARAM('r'));
    }
  }
}

TEST_F(InputTest, WheelGoesToTheFocusAndThenUpToItsParent) {
  ProbeWindow child;
  CreateProbe(&child, top_, RECT{0, 0, 50, 50});
  SetFocus(child.hwnd);
  hl::MouseWheel(150, 100, -1);
  ASSERT_EQ(child.Count(WM_MOUSEWHEEL), 1);
  EXPECT_EQ(topProbe_.Count(WM_MOUSEWHEEL), 1);  // passed on by the default procedure
  for (auto& r : child.log) {
    if (r.msg == WM_MOUSEWHEEL) {
      EXPECT_EQ(SHORT(HIWORD(r.wParam)), -WHEEL_DELTA);
    }
  }
}

TEST_F(InputTest, RightButtonUpRaisesContextMenuInScreenCoordinates) {
  ProbeWindow child;
  CreateProbe(&child, top_, RECT{10, 10, 50, 50});
  hl::Click(20, 30, hl::Button::Right);
  ASSERT_EQ(child.Count(WM_CONTEXTMENU), 1);
  POINT expected{20, 30};
  ClientToScreen(top_, &expected);
  for (auto& r : child.log) {
    if (r.msg == WM_CONTEXTMENU) {
      EXPECT_EQ(GET_X_LPARAM(r.lParam), expected.x);
      EXPECT_EQ(GET_Y_LPARAM(r.lParam), expected.y);
    }
  }
  EXPECT_EQ(topProbe_.Count(WM_CONTEXTMENU), 1);  // the child's default passes it on
}

TEST_F(InputTest, CursorPositionAndScreenClientConversion) {
  ProbeWindow child;
  HWND c = CreateProbe(&child, top_, RECT{30, 40, 80, 90});
  hl::MouseMove(35, 47);
  POINT p;
  ASSERT_TRUE(GetCursorPos(&p));
  ScreenToClient(c, &p);
  EXPECT_EQ(p, (POINT{5, 7}));
  RECT wr;
  GetWindowRect(c, &wr);
  POINT origin{0, 0};
  ClientToScreen(top_, &origin);
  EXPECT_EQ(wr, (RECT{origin.x + 30, origin.y + 40, origin.x + 80, origin.y + 90}));
  // The top-level window is centred on the screen.
  RECT tr;
  GetWindowRect(top_, &tr);
  EXPECT_EQ(tr.left, (GetSystemMetrics(SM_CXSCREEN) - 200) / 2);
  EXPECT_EQ(tr.top, (GetSystemMetrics(SM_CYSCREEN) - 150) / 2);
}

}  // namespace
