// The message queue: order of retrieval, nested loops, posts from other threads, sent
// messages, synthesised paint and timer messages on the virtual clock.
#include <atomic>
#include <thread>

#include "platform/user/WindowSystem.h"
#include "support/HeadlessWindows.h"

namespace {

using kx::test::HeadlessTest;
using kx::test::ProbeWindow;

class QueueTest : public HeadlessTest {};

TEST_F(QueueTest, PostedMessagesComeInOrderAndThreadMessagesHaveNoWindow) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  ASSERT_TRUE(PostMessageW(h, WM_USER + 1, 10, 20));
  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_USER + 2, 0, 0));
  ASSERT_TRUE(PostMessageW(h, WM_USER + 3, 0, 0));
  MSG m;
  ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.message, UINT(WM_USER + 1));
  EXPECT_EQ(m.hwnd, h);
  EXPECT_EQ(m.wParam, WPARAM(10));
  EXPECT_EQ(m.lParam, LPARAM(20));
  ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.message, UINT(WM_USER + 2));
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(DispatchMessageW(&m), 0);  // thread messages reach no procedure
  ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.message, UINT(WM_USER + 3));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, PeekWithoutRemoveLeavesTheMessage) {
  PostThreadMessageW(GetCurrentThreadId(), WM_USER, 1, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_USER));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, FiltersByWindowAndRange) {
  ProbeWindow top, child;
  HWND h = MakeTopLevel(&top);
  HWND c = kx::test::CreateProbe(&child, h, RECT{0, 0, 10, 10});
  Pump();
  PostMessageW(h, WM_USER + 1, 0, 0);
  PostMessageW(c, WM_USER + 2, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, c, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_USER + 2));
  EXPECT_FALSE(PeekMessageW(&m, c, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER + 5, WM_USER + 9, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&m, h, 0, 0, PM_REMOVE));  // the parent's filter takes children too
  EXPECT_EQ(m.message, UINT(WM_USER + 1));
}

TEST_F(QueueTest, GetMessageReturnsZeroForQuitAfterPostedMessages) {
  PostQuitMessage(3);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0);
  MSG m;
  ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  EXPECT_EQ(m.message, UINT(WM_USER));
  ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(m.message, UINT(WM_QUIT));
  EXPECT_EQ(m.wParam, WPARAM(3));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));  // taken once only
}

// A loop inside a dispatched message that takes every message (as a waiting download
// does) also takes a quit request; the outer loop never sees it.
TEST_F(QueueTest, NestedLoopTakesTheQuitRequest) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  bool sawQuitInside = false;
  top.handlers[WM_USER] = [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    PostQuitMessage(0);
    PostMessageW(h, WM_USER + 1, 0, 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) sawQuitInside = true;
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    return 0;
  };
  PostMessageW(h, WM_USER, 0, 0);
  MSG m;
  ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), 1);
  DispatchMessageW(&m);
  EXPECT_TRUE(sawQuitInside);
  EXPECT_EQ(top.Count(WM_USER + 1), 1);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(QueueTest, PostsFromOtherThreadsWakeABlockedGetMessage) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  constexpr int kPosts = 2000;
  std::thread poster([&] {
    for (int i = 0; i < kPosts; ++i)
      PostMessageW(h, WM_USER, WPARAM(i), 0);
  });
  int next = 0;
  bool inOrder = true;
  MSG m;
  while (next < kPosts && GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message != WM_USER) continue;
    inOrder = inOrder && m.wParam == WPARAM(next);
    ++next;
  }
  poster.join();
  EXPECT_EQ(next, kPosts);
  EXPECT_TRUE(inOrder);
}

TEST_F(QueueTest, PostThreadMessageToAnotherThreadsQueue) {
  std::atomic<DWORD> workerId{0};
  std::atomic<bool> ready{false};
  UINT got = 0;
  std::thread worker([&] {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // creates the queue, as on Windows
    workerId = GetCurrentThreadId();
    ready = true;
    if (GetMessageW(&m, nullptr, 0, 0) > 0) got = m.message;
  });
  while (!ready)
    std::this_thread::yield();
  EXPECT_TRUE(PostThreadMessageW(workerId, WM_APP + 7, 0, 0));
  worker.join();
  EXPECT_EQ(got, UINT(WM_APP + 7));
  EXPECT_FALSE(PostThreadMessageW(workerId, WM_APP, 0, 0));  // its queue is gone
}

TEST_F(QueueTest, SendMessageFromAnotherThreadRunsOnTheOwnerThread) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  DWORD ranOn = 0;
  top.handlers[WM_USER] = [&](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
    ranOn = GetCurrentThreadId();
    return LRESULT(w * 2);
  };
  std::atomic<LRESULT> result{0};
  std::atomic<bool> done{false};
  const DWORD uiThread = GetCurrentThreadId();
  std::thread sender([&] {
    result = SendMessageW(h, WM_USER, 21, 0);
    done = true;
    kx::WakeMessageQueue(uiThread);
  });
  while (!done) {
    kx::WaitForMessageOr([&] { return done.load(); }, 0xFFFFFFFF);
    Pump();
  }
  sender.join();
  EXPECT_EQ(result.load(), 42);
  EXPECT_EQ(ranOn, GetCurrentThreadId());
}

TEST_F(QueueTest, PaintAndTimerComeOnlyWhenNothingElseIsWaiting) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  SetTimer(h, 5, 50, nullptr);
  kx::AdvanceVirtualClock(60);
  InvalidateRect(h, nullptr, FALSE);
  PostMessageW(h, WM_USER, 0, 0);
  PostMessageW(h, WM_USER + 1, 0, 0);
  std::vector<UINT> order;
  MSG m;
  while (order.size() < 5 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(m.message);
    DispatchMessageW(&m);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_PAINT, WM_TIMER}));
  KillTimer(h, 5);
}

TEST_F(QueueTest, TimersFireOnTheVirtualClockOnly) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  ASSERT_EQ(SetTimer(h, 1, 100, nullptr), UINT_PTR(1));
  kx::headless::Tick(99);
  EXPECT_EQ(top.Count(WM_TIMER), 0);
  kx::headless::Tick(1);
  EXPECT_EQ(top.Count(WM_TIMER), 1);
  kx::headless::Tick(250);  // due at 200 and 300
  EXPECT_EQ(top.Count(WM_TIMER), 3);
  EXPECT_TRUE(KillTimer(h, 1));
  kx::headless::Tick(1000);
  EXPECT_EQ(top.Count(WM_TIMER), 3);
  EXPECT_FALSE(KillTimer(h, 1));
}

TEST_F(QueueTest, ResettingATimerRestartsItsInterval) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  SetTimer(h, 1, 100, nullptr);
  kx::headless::Tick(80);
  SetTimer(h, 1, 100, nullptr);
  kx::headless::Tick(80);
  EXPECT_EQ(top.Count(WM_TIMER), 0);
  kx::headless::Tick(20);
  EXPECT_EQ(top.Count(WM_TIMER), 1);
  KillTimer(h, 1);
}

void CALLBACK_TimerProc(HWND, UINT, UINT_PTR id, DWORD);
std::vector<UINT_PTR> gTimerProcCalls;
void CALLBACK_TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  gTimerProcCalls.push_back(id);
}

TEST_F(QueueTest, ThreadTimerWithProcedureIsCalledByDispatch) {
  gTimerProcCalls.clear();
  UINT_PTR id = SetTimer(nullptr, 0, 10, &CALLBACK_TimerProc);
  ASSERT_NE(id, UINT_PTR(0));
  kx::headless::Tick(30);
  EXPECT_EQ(gTimerProcCalls, (std::vector<UINT_PTR>{id, id, id}));
  EXPECT_TRUE(KillTimer(nullptr, id));
}

// On the real clock timers fall due on the 64-per-second system tick, as on Windows: never
// before their interval, and at most one tick after it. The virtual clock is exact.
TEST_F(QueueTest, RealClockTimersFallDueOnTheSystemTick) {
  for (UINT interval : {10u, 16u, 100u, 530u}) {
    SCOPED_TRACE(interval);
    kx::UseVirtualClock(false);
    const uint64_t before = GetTickCount64();
    UINT_PTR id = SetTimer(nullptr, 0, interval, nullptr);
    const uint64_t after = GetTickCount64();
    const uint64_t due = kx::ws::NextTimerDue(kx::ws::CurrentQueue());
    KillTimer(nullptr, id);
    kx::UseVirtualClock(true);
    EXPECT_GE(due, before + interval);
    EXPECT_LE(due, after + interval + 16);
    // Tick k falls at millisecond ceil(k * 1000 / 64).
    const uint64_t tick = due * 64 / 1000;
    EXPECT_EQ(due, (tick * 1000 + 63) / 64) << "not on a tick";
    EXPECT_LT(((tick - 1) * 1000 + 63) / 64, after + interval) << "a tick was skipped";
  }
  UINT_PTR id = SetTimer(nullptr, 0, 10, nullptr);
  EXPECT_EQ(kx::ws::NextTimerDue(kx::ws::CurrentQueue()), GetTickCount64() + 10);
  KillTimer(nullptr, id);
}

TEST_F(QueueTest, TimersOfADestroyedWindowStop) {
  ProbeWindow top, child;
  HWND h = MakeTopLevel(&top);
  HWND c = kx::test::CreateProbe(&child, h, RECT{0, 0, 5, 5});
  SetTimer(c, 1, 10, nullptr);
  DestroyWindow(c);
  kx::headless::Tick(100);
  EXPECT_EQ(child.Count(WM_TIMER), 0);
}

TEST_F(QueueTest, WaitForMessageOrReturnsWhenTheConditionHolds) {
  std::atomic<bool> flag{false};
  std::thread t([&] {
    flag = true;
    kx::WakeMessageQueue(0);  // unknown thread: ignored
  });
  t.join();
  EXPECT_TRUE(kx::WaitForMessageOr([&] { return flag.load(); }, 0xFFFFFFFF));
  // A message that is already waiting ends the wait with false.
  PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, 0);
  EXPECT_FALSE(kx::WaitForMessageOr([] { return false; }, 0xFFFFFFFF));
}

TEST_F(QueueTest, TranslateMessageAddsCharactersOnlyForKeysWithoutTextInput) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  SetFocus(h);
  struct Case {
    UINT vk;
    unsigned shift;
    int chars;
    WPARAM ch;
  } cases[] = {
      {VK_RETURN, 0, 1, 13},
      {VK_BACK, 0, 1, 8},
      {VK_ESCAPE, 0, 1, 27},
      {VK_TAB, 0, 1, 9},
      {'C', kx::headless::kCtrl, 1, 3},
      {VK_LEFT, 0, 0, 0},
      {'A', 0, 1, 'a'},  // from the text input, not from TranslateMessage
      {VK_SPACE, 0, 1, ' '},
  };
  for (const Case& c : cases) {
    top.Clear();
    kx::headless::PressKey(c.vk, c.shift);
    EXPECT_EQ(top.Count(WM_KEYDOWN), 1) << c.vk;
    EXPECT_EQ(top.Count(WM_CHAR), c.chars) << c.vk;
    for (auto& r : top.log) {
      if (r.msg == WM_CHAR) {
        EXPECT_EQ(r.wParam, c.ch) << c.vk;
      }
    }
  }
}

TEST_F(QueueTest, ProcessPendingStopsAtAQuitRequestAndLeavesIt) {
  ProbeWindow top;
  HWND h = MakeTopLevel(&top);
  Pump();
  PostMessageW(h, WM_USER, 0, 0);
  PostQuitMessage(0);
  EXPECT_FALSE(kx::ProcessPendingMessages());
  EXPECT_EQ(top.Count(WM_USER), 1);
  MSG m;
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), 0);
}

}  // namespace
