// Per-thread message queues: posting from any thread, taking messages in the Windows order
// (sent, posted, quit, display input, paint, timer), waiting without spinning, and timers
// on the kernel clock.
#include <algorithm>
#include <chrono>
#include <map>

#include "platform/display/DisplayBackend.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace kx::ws {
namespace {

constexpr UINT kMinTimerInterval = 10;  // as USER_TIMER_MINIMUM
constexpr UINT kMaxTimerInterval = 0x7FFFFFFF;

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}
std::map<DWORD, std::weak_ptr<Queue>>& Registry() {
  static std::map<DWORD, std::weak_ptr<Queue>> r;
  return r;
}

void WakeAllQueues() {
  std::vector<std::shared_ptr<Queue>> all;
  {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    for (auto& [id, weak] : Registry())
      if (auto q = weak.lock()) all.push_back(q);
  }
  for (auto& q : all)
    WakeQueue(*q);
}

// Owns the thread's queue; unregisters it when the thread ends.
struct QueueHolder {
  std::shared_ptr<Queue> queue;
  QueueHolder() {
    queue = std::make_shared<Queue>();
    queue->thread = GetCurrentThreadId();
    static std::once_flag hookOnce;
    std::call_once(hookOnce, [] { kx::SetClockAdvanceHook([] { WakeAllQueues(); }); });
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Registry()[queue->thread] = queue;
  }
  ~QueueHolder() {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Registry().erase(queue->thread);
  }
};

bool InRange(UINT msg, UINT lo, UINT hi) {
  if (lo == 0 && hi == 0) return true;
  return msg >= lo && msg <= hi;
}

bool MatchesWindow(HWND msgHwnd, HWND filter) {
  if (!filter) return true;
  return msgHwnd == filter || IsChild(filter, msgHwnd);
}

bool OnDisplayThread(const Queue& q) {
  return display::ActiveOrNull() && display::DisplayThread() == q.thread;
}

void RunSentCalls(Queue& q) {
  for (;;) {
    SentCall* call = nullptr;
    {
      std::lock_guard<std::mutex> lock(q.m);
      if (q.sent.empty()) return;
      call = q.sent.front();
      q.sent.pop_front();
    }
    LRESULT r = 0;
    if (Window* w = AsWindow(call->hwnd)) r = CallProc(w, call->msg, call->wParam, call->lParam);
    {
      std::lock_guard<std::mutex> lock(q.m);
      call->result = r;
      call->done = true;
    }
    q.cv.notify_all();
  }
}

uint64_t Now() {
  return GetTickCount64();
}

// When a timer set now with `interval` falls due. Windows fires timers on its system clock
// tick, 64 times a second, so a 10 ms timer ticks every 15.6 ms there; on the real clock
// ours keep to the same grid, which also lets timers that fall due close together share
// one wake-up. The virtual clock keeps exact milliseconds.
uint64_t DueAfter(UINT interval) {
  const uint64_t due = Now() + interval;
  if (IsVirtualClock()) return due;
  // Tick k falls at millisecond ceil(k * 1000 / 64); the first one at or after `due`:
  const uint64_t tick = (due - 1) * 64 / 1000 + 1;
  return (tick * 1000 + 63) / 64;
}

// The next due timer matching the filter, or nullptr.
Timer* DueTimer(Queue& q, HWND filter, UINT lo, UINT hi) {
  if (!InRange(WM_TIMER, lo, hi)) return nullptr;
  uint64_t now = Now();
  Timer* best = nullptr;
  for (Timer& t : q.timers) {
    if (t.due > now || !MatchesWindow(t.hwnd, filter)) continue;
    if (!best || t.due < best->due) best = &t;
  }
  return best;
}

bool PeekImpl(Queue& q, MSG* out, HWND filter, UINT lo, UINT hi, UINT flags) {
  const bool remove = (flags & PM_REMOVE) != 0;
  if (q.dispatchDepth == 0) FreeZombies();
  RunSentCalls(q);

  {
    std::lock_guard<std::mutex> lock(q.m);
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
      if (!InRange(it->message, lo, hi) || !MatchesWindow(it->hwnd, filter)) continue;
      *out = *it;
      if (remove) q.posted.erase(it);
      q.lastMessageTime = out->time;
      return true;
    }
    if (q.quit && InRange(WM_QUIT, lo, hi)) {
      *out = MSG{};
      out->message = WM_QUIT;
      out->wParam = WPARAM(q.quitCode);
      out->time = GetTickCount();
      if (remove) q.quit = false;
      return true;
    }
  }

  if (OnDisplayThread(q)) display::Active().Pump();
  for (auto it = q.input.begin(); it != q.input.end(); ++it) {
    if (!InRange(it->message, lo, hi) || !MatchesWindow(it->hwnd, filter)) continue;
    *out = *it;
    if (remove) q.input.erase(it);
    q.lastMessageTime = out->time;
    return true;
  }

  if (InRange(WM_PAINT, lo, hi)) {
    if (Window* w = FindWindowToPaint(filter ? AsWindow(filter) : nullptr)) {
      *out = MSG{};
      out->hwnd = w;
      out->message = WM_PAINT;
      out->time = GetTickCount();
      return true;  // stays until the window is validated
    }
  }

  if (Timer* t = DueTimer(q, filter, lo, hi)) {
    *out = MSG{};
    out->hwnd = t->hwnd;
    out->message = WM_TIMER;
    out->wParam = t->id;
    out->lParam = LPARAM(reinterpret_cast<intptr_t>(t->proc));
    out->time = GetTickCount();
    if (remove) t->due = DueAfter(t->interval);
    q.lastMessageTime = out->time;
    return true;
  }

  PresentIfNeeded();
  return false;
}

// Raised under the queue's lock, read without it.
uint64_t WakeSeq(const Queue& q) {
  return q.wakeSeq.load(std::memory_order_acquire);
}

// Blocks until something may be available. Returns at once when something is.
void WaitImpl(Queue& q, int64_t limitMs, uint64_t seq);
void WaitImpl(Queue& q, int64_t limitMs) {
  WaitImpl(q, limitMs, WakeSeq(q));
}

// Waits unless a wake-up came after `seq` was read: a caller that tests its own condition
// first reads `seq` before the test, so a wake-up between the test and the wait is kept.
void WaitImpl(Queue& q, int64_t limitMs, uint64_t seq) {
  MSG probe;
  if (PeekImpl(q, &probe, nullptr, 0, 0, PM_NOREMOVE)) return;

  int64_t timeout = limitMs;  // -1: no limit
  if (!IsVirtualClock()) {
    uint64_t now = Now();
    for (uint64_t next : {NextTimerDue(q), NextCaretToggle()}) {
      if (next == 0) continue;
      int64_t d = next > now ? int64_t(next - now) : 0;
      if (timeout < 0 || d < timeout) timeout = d;
    }
  }
  if (timeout == 0) return;

  if (OnDisplayThread(q) && display::Active().Wait(int(std::min<int64_t>(timeout, 1 << 30))))
    return;
  std::unique_lock<std::mutex> lock(q.m);
  auto woken = [&] { return q.wakeSeq != seq || !q.posted.empty() || !q.sent.empty() || q.quit; };
  if (timeout < 0)
    q.cv.wait(lock, woken);
  else
    q.cv.wait_for(lock, std::chrono::milliseconds(timeout), woken);
}

}  // namespace

Queue& CurrentQueue() {
  thread_local QueueHolder holder;
  return *holder.queue;
}

std::shared_ptr<Queue> FindQueue(DWORD threadId) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Registry().find(threadId);
  return it == Registry().end() ? nullptr : it->second.lock();
}

void WakeQueue(Queue& q) {
  {
    std::lock_guard<std::mutex> lock(q.m);
    ++q.wakeSeq;
  }
  q.cv.notify_all();
  if (OnDisplayThread(q)) display::Active().Wake();
}

uint64_t NextTimerDue(Queue& q) {
  uint64_t next = 0;
  for (const Timer& t : q.timers)
    if (next == 0 || t.due < next) next = t.due;
  return next;
}

void KillTimersOf(HWND hwnd) {
  auto& timers = CurrentQueue().timers;
  timers.erase(
      std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
      timers.end());
}

}  // namespace kx::ws

using namespace kx::ws;

namespace {

bool PostTo(Queue& q, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MSG m;
  m.hwnd = hwnd;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = GetTickCount();
  GetCursorPos(&m.pt);
  {
    std::lock_guard<std::mutex> lock(q.m);
    q.posted.push_back(m);
  }
  WakeQueue(q);
  return true;
}

}  // namespace

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return PostTo(CurrentQueue(), nullptr, msg, wParam, lParam);
  DWORD thread = WindowThreadOf(hwnd);
  if (!thread) return FALSE;
  auto q = thread == GetCurrentThreadId() ? nullptr : FindQueue(thread);
  if (q) return PostTo(*q, hwnd, msg, wParam, lParam);
  if (thread != GetCurrentThreadId()) return FALSE;
  return PostTo(CurrentQueue(), hwnd, msg, wParam, lParam);
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (threadId == GetCurrentThreadId()) return PostTo(CurrentQueue(), nullptr, msg, wParam, lParam);
  auto q = FindQueue(threadId);
  if (!q) return FALSE;
  return PostTo(*q, nullptr, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  Queue& q = CurrentQueue();
  {
    std::lock_guard<std::mutex> lock(q.m);
    q.quit = true;
    q.quitCode = exitCode;
  }
  WakeQueue(q);
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax, UINT removeFlags) {
  if (!msg) return FALSE;
  if (hwnd && !AsWindow(hwnd)) return FALSE;
  return PeekImpl(CurrentQueue(), msg, hwnd, msgMin, msgMax, removeFlags) ? TRUE : FALSE;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax) {
  if (!msg) return -1;
  Queue& q = CurrentQueue();
  for (;;) {
    if (hwnd && !AsWindow(hwnd)) return -1;
    if (PeekImpl(q, msg, hwnd, msgMin, msgMax, PM_REMOVE)) return msg->message == WM_QUIT ? 0 : 1;
    WaitImpl(q, -1);
  }
}

BOOL WaitMessage() {
  WaitImpl(CurrentQueue(), -1);
  return TRUE;
}

DWORD GetMessageTime() {
  return CurrentQueue().lastMessageTime;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  UINT vk = UINT(msg->wParam);
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  UINT ch = 0;
  UINT kind = WM_CHAR;
  if (msg->message == WM_SYSKEYDOWN) {
    // Alt+letter or digit: the accelerator character.
    if (vk >= 'A' && vk <= 'Z')
      ch = vk - 'A' + 'a';
    else if (vk >= '0' && vk <= '9')
      ch = vk;
    kind = WM_SYSCHAR;
  } else if (vk == VK_BACK) {
    ch = ctrl ? 0x7F : 0x08;
  } else if (vk == VK_TAB) {
    ch = 0x09;
  } else if (vk == VK_RETURN) {
    ch = ctrl ? 0x0A : 0x0D;
  } else if (vk == VK_ESCAPE) {
    ch = 0x1B;
  } else if (ctrl && !alt && vk >= 'A' && vk <= 'Z') {
    ch = vk - 'A' + 1;
  }
  if (ch == 0) return TRUE;
  MSG m = *msg;
  m.message = kind;
  m.wParam = ch;
  Queue& q = CurrentQueue();
  {
    std::lock_guard<std::mutex> lock(q.m);
    q.posted.push_front(m);
  }
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    Queue& q = CurrentQueue();
    ++q.dispatchDepth;
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    --q.dispatchDepth;
    return 0;
  }
  Window* w = AsWindow(msg->hwnd);
  if (!w) return 0;
  if (msg->message == WM_PAINT) {
    w->paintedInDispatch = false;
    LRESULT r = CallProc(w, WM_PAINT, msg->wParam, msg->lParam);
    // A procedure that did not paint must not get the same WM_PAINT for ever.
    if (Window* again = AsWindow(msg->hwnd); again && !again->paintedInDispatch)
      ValidateRect(msg->hwnd, nullptr);
    return r;
  }
  return CallProc(w, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD thread = WindowThreadOf(hwnd);
  if (!thread) return 0;
  if (thread == GetCurrentThreadId()) {
    Window* w = AsWindow(hwnd);
    return w ? CallProc(w, msg, wParam, lParam) : 0;
  }
  auto q = FindQueue(thread);
  if (!q) return 0;
  SentCall call;
  call.hwnd = hwnd;
  call.msg = msg;
  call.wParam = wParam;
  call.lParam = lParam;
  {
    std::lock_guard<std::mutex> lock(q->m);
    q->sent.push_back(&call);
  }
  WakeQueue(*q);
  std::unique_lock<std::mutex> lock(q->m);
  q->cv.wait(lock, [&] { return call.done; });
  return call.result;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  if (hwnd && !AsWindow(hwnd)) return 0;
  Queue& q = CurrentQueue();
  UINT interval = std::clamp(elapseMs, kMinTimerInterval, kMaxTimerInterval);
  if (!hwnd) {
    // Thread timers: a new id unless an existing thread timer's id is given.
    auto it = std::find_if(q.timers.begin(), q.timers.end(),
                           [&](const Timer& t) { return !t.hwnd && t.id == id && id != 0; });
    if (it == q.timers.end()) {
      Timer t;
      t.id = q.nextThreadTimerId++;
      t.interval = interval;
      t.due = DueAfter(interval);
      t.proc = proc;
      q.timers.push_back(t);
      return t.id;
    }
    it->interval = interval;
    it->due = DueAfter(interval);
    it->proc = proc;
    return it->id;
  }
  for (Timer& t : q.timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.interval = interval;
      t.due = DueAfter(interval);
      t.proc = proc;
      return id == 0 ? 1 : id;
    }
  }
  Timer t;
  t.hwnd = hwnd;
  t.id = id;
  t.interval = interval;
  t.due = DueAfter(interval);
  t.proc = proc;
  q.timers.push_back(t);
  WakeQueue(q);
  return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& timers = CurrentQueue().timers;
  auto it = std::find_if(timers.begin(), timers.end(),
                         [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  // Windows also drops a WM_TIMER of that timer that is already waiting; ours are never
  // queued ahead, so there is nothing to drop.
  return TRUE;
}

namespace kx {

bool WaitForMessageOr(const std::function<bool()>& cond, DWORD timeoutMs) {
  Queue& q = CurrentQueue();
  const uint64_t start = GetTickCount64();
  for (;;) {
    const uint64_t seq = WakeSeq(q);
    if (cond && cond()) return true;
    MSG probe;
    if (PeekImpl(q, &probe, nullptr, 0, 0, PM_NOREMOVE)) return false;
    int64_t left = -1;
    if (timeoutMs != 0xFFFFFFFF) {
      uint64_t elapsed = GetTickCount64() - start;
      if (elapsed >= timeoutMs) return false;
      left = int64_t(timeoutMs - elapsed);
    }
    WaitImpl(q, left, seq);
  }
}

void WakeMessageQueue(DWORD threadId) {
  if (auto q = FindQueue(threadId)) WakeQueue(*q);
}

uint64_t MessageQueueActivity() {
  return WakeSeq(CurrentQueue());
}

bool ProcessPendingMessages() {
  Queue& q = CurrentQueue();
  MSG msg;
  while (PeekImpl(q, &msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) return false;
    if (!PeekImpl(q, &msg, nullptr, 0, 0, PM_REMOVE)) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

}  // namespace kx
