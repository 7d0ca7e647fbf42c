// Which window becomes the display window, pop-ups, destruction order, the caret on the
// virtual clock, clipboard, message box and shell records, system metrics and colours.
#include "platform/display/Display.h"
#include "platform/user/Shell.h"
#include "support/HeadlessWindows.h"

namespace {

using kx::test::CreateProbe;
using kx::test::HeadlessTest;
using kx::test::ProbeWindow;
namespace hl = kx::headless;

class SystemTest : public HeadlessTest {};

TEST_F(SystemTest, HiddenPopupsNeverBecomeTheDisplayWindow) {
  ProbeWindow utility, form;
  HWND u = CreateProbe(&utility, nullptr, RECT{0, 0, 0, 0}, WS_POPUP);
  EXPECT_EQ(kx::GetTopLevelWindow(), nullptr);
  HWND f = MakeTopLevel(&form, 120, 80);
  EXPECT_EQ(kx::GetTopLevelWindow(), f);
  // A message posted to the utility window is dispatched and paints nothing.
  PostMessageW(u, WM_APP, 1, 2);
  Pump();
  EXPECT_EQ(utility.Count(WM_APP), 1);
  EXPECT_EQ(utility.Count(WM_PAINT), 0);
  EXPECT_FALSE(IsWindowVisible(u));
  kx::Image img = hl::Screenshot();
  EXPECT_EQ(img.width, 120);
  EXPECT_EQ(img.height, 80);
}

TEST_F(SystemTest, AShownPopupIsDrawnAboveTheTopLevelAndRevealsItWhenHidden) {
  ProbeWindow form, menu;
  form.fill = RGB(255, 255, 255);
  menu.fill = RGB(0, 0, 128);
  HWND f = MakeTopLevel(&form, 100, 100);
  POINT at{20, 30};
  ClientToScreen(f, &at);
  HWND m = CreateProbe(&menu, f, RECT{at.x, at.y, at.x + 40, at.y + 20}, WS_POPUP);
  EXPECT_EQ(GetParent(m), f);  // the owner
  ShowWindow(m, SW_SHOWNA);
  kx::Image img = hl::Screenshot();
  kx::test::WriteArtifact(img, "popup");
  EXPECT_EQ(img.ColorAt(25, 35), RGB(0, 0, 128));
  EXPECT_EQ(img.ColorAt(5, 5), RGB(255, 255, 255));
  // Clicks on it go to it, in its client coordinates.
  hl::Click(25, 35);
  EXPECT_EQ(menu.Count(WM_LBUTTONDOWN), 1);
  EXPECT_EQ(form.Count(WM_LBUTTONDOWN), 0);
  ShowWindow(m, SW_HIDE);
  img = hl::Screenshot();
  EXPECT_EQ(img.ColorAt(25, 35), RGB(255, 255, 255));
  // Destroying the owner destroys the pop-up first.
  DestroyWindow(f);
  EXPECT_FALSE(IsWindow(m));
  EXPECT_EQ(menu.Count(WM_DESTROY), 1);
}

TEST_F(SystemTest, DestroySendsDestroyParentFirstAndCloseDestroysByDefault) {
  ProbeWindow form, child, grandchild;
  std::vector<std::string> order;
  auto note = [&order](const char* name) {
    return [&order, name](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
      order.push_back(name);
      return 0;
    };
  };
  form.handlers[WM_DESTROY] = note("form");
  child.handlers[WM_DESTROY] = note("child");
  grandchild.handlers[WM_DESTROY] = note("grandchild");
  HWND f = MakeTopLevel(&form);
  HWND c = CreateProbe(&child, f, RECT{0, 0, 50, 50});
  CreateProbe(&grandchild, c, RECT{0, 0, 10, 10});
  PostMessageW(f, WM_CLOSE, 0, 0);  // as the display's close button does
  Pump();
  EXPECT_EQ(order, (std::vector<std::string>{"form", "child", "grandchild"}));
  EXPECT_FALSE(IsWindow(f));
  EXPECT_FALSE(IsWindow(grandchild.hwnd));
  EXPECT_EQ(kx::GetTopLevelWindow(), nullptr);
  // Messages to a destroyed window are refused.
  EXPECT_FALSE(PostMessageW(f, WM_USER, 0, 0));
  EXPECT_EQ(SendMessageW(f, WM_USER, 0, 0), 0);
}

TEST_F(SystemTest, CreateReturningMinusOneRefusesTheWindow) {
  ProbeWindow form, refused;
  HWND f = MakeTopLevel(&form);
  refused.handlers[WM_CREATE] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return -1; };
  EXPECT_EQ(CreateProbe(&refused, f, RECT{0, 0, 5, 5}), nullptr);
  EXPECT_EQ(GetWindow(f, GW_CHILD), nullptr);
}

TEST_F(SystemTest, CreationSendsCreateSizeAndMoveWithTheUserData) {
  ProbeWindow form, child;
  HWND f = MakeTopLevel(&form);
  void* seen = nullptr;
  child.handlers[WM_CREATE] = [&](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
    seen = reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams;
    return 0;
  };
  CreateProbe(&child, f, RECT{5, 6, 25, 36});
  EXPECT_EQ(seen, &child);
  ASSERT_EQ(child.Count(WM_SIZE), 1);
  for (auto& r : child.log) {
    if (r.msg == WM_SIZE) {
      EXPECT_EQ(r.lParam, MAKELPARAM(20, 30));
    }
    if (r.msg == WM_MOVE) {
      EXPECT_EQ(r.lParam, MAKELPARAM(5, 6));
    }
  }
  child.Clear();
  MoveWindow(child.hwnd, 7, 8, 40, 50, TRUE);
  EXPECT_EQ(child.Count(WM_WINDOWPOSCHANGED), 1);
  EXPECT_EQ(child.Count(WM_SIZE), 1);
  EXPECT_EQ(child.Count(WM_MOVE), 1);
}

TEST_F(SystemTest, TitleIsTheWindowText) {
  ProbeWindow form;
  HWND f = MakeTopLevel(&form);
  SetWindowTextW(f, u"Kestrix");
  WCHAR buf[16];
  EXPECT_EQ(GetWindowTextW(f, buf, 16), 7);
  EXPECT_EQ(std::u16string(buf), u"Kestrix");
  EXPECT_EQ(GetWindowTextW(f, buf, 4), 3);  // truncated, terminated
  EXPECT_EQ(std::u16string(buf), u"Kes");
  EXPECT_EQ(GetWindowTextLengthW(f), 7);
}

TEST_F(SystemTest, CaretBlinksOnTheVirtualClock) {
  ProbeWindow form;
  form.fill = RGB(255, 255, 255);
  HWND f = MakeTopLevel(&form, 50, 50);
  Pump();
  ASSERT_EQ(GetCaretBlinkTime(), 530u);
  ASSERT_TRUE(CreateCaret(f, nullptr, 1, 12));
  SetCaretPos(10, 5);
  EXPECT_FALSE(kx::CaretVisibleNow());  // created hidden
  ShowCaret(f);
  struct Step {
    uint32_t advance;
    bool on;
  } steps[] = {{0, true}, {529, true}, {1, false}, {529, false}, {1, true}};
  for (const Step& s : steps) {
    hl::Tick(s.advance);
    EXPECT_EQ(kx::CaretVisibleNow(), s.on) << "after " << s.advance;
    kx::Image img = hl::Screenshot();
    // Drawn inverted over the content, never into it.
    EXPECT_EQ(img.ColorAt(10, 8), s.on ? RGB(0, 0, 0) : RGB(255, 255, 255));
    EXPECT_EQ(img.ColorAt(11, 8), RGB(255, 255, 255));
  }
  // Moving it starts the "on" phase again.
  hl::Tick(530);
  EXPECT_FALSE(kx::CaretVisibleNow());
  SetCaretPos(20, 5);
  EXPECT_TRUE(kx::CaretVisibleNow());
  HideCaret(f);
  EXPECT_FALSE(kx::CaretVisibleNow());
  ShowCaret(f);
  EXPECT_TRUE(kx::CaretVisibleNow());
  EXPECT_TRUE(DestroyCaret());
  EXPECT_FALSE(kx::CaretVisibleNow());
}

// A window above the caret's own (the overlay over a focused field) covers the caret: only
// the uncovered part is drawn, and nothing once it is covered whole.
TEST_F(SystemTest, WindowsAboveTheCaretsWindowCoverTheCaret) {
  ProbeWindow form, field, overlay;
  form.fill = field.fill = RGB(255, 255, 255);
  overlay.fill = RGB(0, 0, 255);
  HWND f = MakeTopLevel(&form, 50, 50);
  HWND e = kx::test::CreateProbe(&field, f, RECT{0, 0, 50, 50});
  HWND o = kx::test::CreateProbe(&overlay, f, RECT{0, 0, 50, 8});
  Pump();
  ASSERT_TRUE(CreateCaret(e, nullptr, 1, 12));
  SetCaretPos(10, 5);
  ShowCaret(e);
  kx::Image img = hl::Screenshot();
  EXPECT_EQ(img.ColorAt(10, 6), RGB(0, 0, 255)) << "drawn over the overlay";
  EXPECT_EQ(img.ColorAt(10, 10), RGB(0, 0, 0)) << "not drawn below it";
  MoveWindow(o, 0, 0, 50, 50, TRUE);
  img = hl::Screenshot();
  EXPECT_EQ(img.ColorAt(10, 10), RGB(0, 0, 255));
  EXPECT_FALSE(kx::CaretVisibleNow());
  ShowWindow(o, SW_HIDE);
  img = hl::Screenshot();
  EXPECT_EQ(img.ColorAt(10, 6), RGB(0, 0, 0));
  EXPECT_TRUE(DestroyCaret());
}

TEST_F(SystemTest, ClipboardCarriesTextAndRegisteredFormats) {
  UINT fill = RegisterClipboardFormatW(u"GDI+ Fill");
  EXPECT_GE(fill, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatW(u"gdi+ fill"), fill);
  EXPECT_NE(RegisterClipboardFormatW(u"Other"), fill);
  EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);

  ASSERT_TRUE(kx::SetClipboardText(u"Kundennummer \u00e4"));
  EXPECT_EQ(kx::GetClipboardText(), std::u16string(u"Kundennummer \u00e4"));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(fill));

  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  EXPECT_TRUE(kx::SetClipboardBytes(fill, std::string("a\0b", 3)));
  CloseClipboard();
  EXPECT_TRUE(IsClipboardFormatAvailable(fill));
  EXPECT_EQ(kx::GetClipboardBytes(fill), std::string("a\0b", 3));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_FALSE(kx::SetClipboardBytes(0xC000 + 500, "x"));  // never registered
  EXPECT_FALSE(kx::SetClipboardBytes(CF_UNICODETEXT, "x"));

  // New text replaces everything.
  kx::SetClipboardText(u"new");
  EXPECT_FALSE(kx::GetClipboardBytes(fill).has_value());
}

TEST_F(SystemTest, MessageBoxIsRecordedAndAnsweredOk) {
  ProbeWindow form;
  HWND f = MakeTopLevel(&form);
  EXPECT_EQ(MessageBoxW(f, u"Bitte pr\u00fcfen", u"Kestrix", MB_OK | MB_ICONEXCLAMATION), IDOK);
  EXPECT_EQ(MessageBoxW(f, u"?", u"Q", MB_YESNO), IDYES);
  ASSERT_EQ(hl::MessageBoxes().size(), 2u);
  const auto& box = hl::MessageBoxes()[0];
  EXPECT_EQ(box.owner, f);
  EXPECT_EQ(box.text, u"Bitte pr\u00fcfen");
  EXPECT_EQ(box.caption, u"Kestrix");
  EXPECT_EQ(box.type, UINT(MB_OK | MB_ICONEXCLAMATION));
  hl::ClearRecords();
  EXPECT_TRUE(hl::MessageBoxes().empty());
}

TEST_F(SystemTest, ShellRequestsAreRecordedNotSpawned) {
  ProbeWindow form;
  HWND f = MakeTopLevel(&form);
  auto ok = [](HINSTANCE r) { return reinterpret_cast<intptr_t>(r) > 32; };
  EXPECT_TRUE(
      ok(ShellExecuteW(f, u"open", u"https://example.org/signup?c=1", nullptr, nullptr, SW_SHOW)));
  EXPECT_TRUE(ok(ShellExecuteA(f, "open", "/tmp/setup.exe", nullptr, nullptr, SW_SHOW)));
  EXPECT_FALSE(ok(ShellExecuteA(f, "open", "", nullptr, nullptr, SW_SHOW)));
  EXPECT_FALSE(ok(ShellExecuteA(f, "print", "/tmp/x", nullptr, nullptr, SW_SHOW)));
  ASSERT_EQ(hl::ShellRequests().size(), 2u);
  EXPECT_EQ(hl::ShellRequests()[0].file, "https://example.org/signup?c=1");
  EXPECT_EQ(hl::ShellRequests()[0].verb, "open");
  EXPECT_EQ(hl::ShellRequests()[0].show, SW_SHOW);
  EXPECT_EQ(hl::ShellRequests()[0].owner, f);
  EXPECT_EQ(hl::ShellRequests()[1].file, "/tmp/setup.exe");
}

TEST_F(SystemTest, MetricsAndColours) {
  struct Case {
    int index;
    int value;
  } cases[] = {{SM_CXEDGE, 2},      {SM_CYEDGE, 2},      {SM_CXBORDER, 1},   {SM_CYBORDER, 1},
               {SM_CXDOUBLECLK, 4}, {SM_CXSCREEN, 1920}, {SM_CYSCREEN, 1080}};
  for (const Case& c : cases)
    EXPECT_EQ(GetSystemMetrics(c.index), c.value) << c.index;
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), RGB(109, 109, 109));
  EXPECT_NE(GetSysColorBrush(COLOR_BTNFACE), nullptr);
}

}  // namespace
