#include "framework/Thread.h"

#include <cstdlib>
#include <deque>
#include <system_error>
#include <vector>

#include "framework/TypInfo.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"

namespace {

// The wake-up message of the utility window; dispatching it runs the queued calls.
constexpr UINT kSyncMessage = WM_APP + 0x3F01;

struct SyncEntry {
  std::function<void()> call;
  std::atomic<bool> done{false};  // set with the state locked, read without it while spinning
};

// A worker that just queued a call looks for its completion this long before it sleeps:
// the user-interface thread usually runs the call within a few microseconds, and a worker
// that slept would have to be woken for each of its calls.
constexpr uint32_t kSpinBeforeSleepUs = 40;

// Shared by every thread and never destroyed: workers may still wait on it while the
// process exits.
struct SyncState {
  std::mutex mutex;
  std::condition_variable cv;  // entries done, entries queued, threads finished
  std::deque<SyncEntry*> queue;
  // Self-freeing threads past their last call: nothing waits for them, but the process
  // must not tear down its libraries while one still runs its end (thread-local clean-up
  // included). Joined by the next Start and at exit.
  std::vector<std::thread> ending;
  // Queued calls, and whether the user-interface thread is spinning for them (then no
  // wake-up message is needed). Both are read without the lock; see SpinSynchronize.
  std::atomic<size_t> pending{0};
  std::atomic<bool> watching{false};
  bool exiting = false;
  HWND window = nullptr;
};

void OnExit();

SyncState& State() {
  static SyncState* s = [] {
    auto* st = new SyncState;
    std::atexit(OnExit);
    return st;
  }();
  return *s;
}

// Joins the threads in `ending`; each has at most its own clean-up left to run.
void JoinEnding(SyncState& s) {
  std::vector<std::thread> ending;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    ending.swap(s.ending);
  }
  for (std::thread& t : ending)
    if (t.joinable() && t.get_id() != std::this_thread::get_id()) t.join();
}

// Once set, no worker posts or queues any more, and waiting workers stay parked.
void OnExit() {
  SyncState& s = State();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.exiting = true;
  }
  JoinEnding(s);
}

std::atomic<DWORD> g_mainThread{0};
// Static initialisation runs on the thread that loads the program.
const bool g_mainThreadSet = [] {
  g_mainThread.store(GetCurrentThreadId());
  return true;
}();

bool OnMainThread() {
  return GetCurrentThreadId() == MainThreadID();
}

LRESULT SyncWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kSyncMessage) {
    TThread::CheckSynchronize();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Locks a mutex that is only ever held for a few instructions: a thread that finds it
// taken tries again for a moment before it sleeps, so that the hand-over of a call between
// a worker and the user-interface thread does not put either of them to sleep.
std::unique_lock<std::mutex> LockBriefly(std::mutex& m) {
  for (int i = 0; i < 200; ++i) {
    if (m.try_lock()) return std::unique_lock<std::mutex>(m, std::adopt_lock);
    kx::CpuRelax();
  }
  return std::unique_lock<std::mutex>(m);
}

// Called with the state locked, so that OnExit cannot slip in between the test and the post.
void WakeMainThreadLocked(SyncState& s) {
  if (s.exiting) return;
  if (s.window)
    PostMessageW(s.window, kSyncMessage, 0, 0);
  else
    kx::WakeMessageQueue(MainThreadID());
  s.cv.notify_all();  // a WaitFor on the user-interface thread runs the call, too
}

[[noreturn]] void ParkForever(std::unique_lock<std::mutex>& lock, SyncState& s) {
  for (;;)
    s.cv.wait(lock);
}

void SynchronizeImpl(TThread* thread, std::atomic<bool>* inSync, std::function<void()> call) {
  (void)thread;
  if (!call) return;
  if (OnMainThread()) {
    call();
    return;
  }
  SyncState& s = State();
  SyncEntry entry{std::move(call)};
  std::unique_lock<std::mutex> lock = LockBriefly(s.mutex);
  if (inSync) inSync->store(true);
  if (s.exiting) {
    s.cv.notify_all();  // a WaitFor during the exit sees it parked
    ParkForever(lock, s);
  }
  s.queue.push_back(&entry);
  s.pending.fetch_add(1);
  // Either the spinning thread sees the call (it reads `pending` after clearing
  // `watching`) or this thread sees it no longer watching and wakes it.
  const bool watched = s.watching.load();
  if (!watched) WakeMainThreadLocked(s);
  lock.unlock();
  if (watched) s.cv.notify_all();  // a WaitFor on the user-interface thread runs it, too
  // Once `done` is seen the user-interface thread no longer touches the entry.
  if (kx::SpinUntil([&] { return entry.done.load(std::memory_order_acquire); },
                    kSpinBeforeSleepUs)) {
    if (inSync) inSync->store(false);
    return;
  }
  lock = LockBriefly(s.mutex);
  // Released only by the call having run; an exit meanwhile leaves the worker parked here.
  s.cv.wait(lock, [&] { return entry.done.load(std::memory_order_relaxed); });
  if (inSync) inSync->store(false);
}

}  // namespace

DWORD MainThreadID() {
  (void)g_mainThreadSet;
  return g_mainThread.load();
}

namespace kx {
void SetMainThreadForTesting() {
  g_mainThread.store(GetCurrentThreadId());
}
}  // namespace kx

// ---------------------------------------------------------------------------------------
const TClassInfo* TThread::StaticClass() {
  static const TClassInfo* info = TClassBuilder<TThread>("TThread", TObject::StaticClass()).Build();
  return info;
}
const TClassInfo* TThread::ClassInfo() const {
  return StaticClass();
}

TThread::TThread(bool /*createSuspended*/) {
  if (OnMainThread()) InitSynchronization();
}

TThread::~TThread() {
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) {  // freeing itself
    thread_.detach();
    return;
  }
  Terminate();
  WaitFor();
  if (thread_.joinable()) thread_.detach();  // parked during exit
}

void TThread::InitSynchronization() {
  if (!OnMainThread()) return;
  SyncState& s = State();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.window) return;
  }
  HWND w = CreateWindowExW(0, WS_POPUP, 0, 0, 0, 0, nullptr, SyncWndProc, nullptr);
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.window = w;
  }
  // Registered after the window system's own state exists, so it runs before that state is
  // torn down at exit.
  std::atexit(OnExit);
}

void TThread::Start() {
  if (started_) return;
  started_ = true;
  if (OnMainThread()) InitSynchronization();
  JoinEnding(State());
  try {
    // The new thread waits for the assignment: a self-freeing one hands its own handle on.
    std::lock_guard<std::mutex> lock(startMutex_);
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread could be made: it ends at once, without running Execute.
    finished_.store(true);
  }
}

void TThread::Terminate() {
  terminated_.store(true, std::memory_order_release);
}

void TThread::Run() {
  { std::lock_guard<std::mutex> lock(startMutex_); }
  threadId_.store(GetCurrentThreadId(), std::memory_order_release);
  Execute();
  DoTerminate();
  const bool freeSelf = freeOnTerminate_;
  {
    SyncState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    finished_.store(true, std::memory_order_release);
    s.cv.notify_all();
  }
  {
    std::lock_guard<std::mutex> lock(doneMutex_);
    doneCv_.notify_all();
  }
  if (freeSelf) {
    HandOverSelf();  // unless OnTerminate's call already did
    delete this;
  }
}

void TThread::HandOverSelf() {
  if (!freeOnTerminate_ || !thread_.joinable()) return;
  SyncState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.ending.push_back(std::move(thread_));
}

void TThread::DoTerminate() {
  // A self-freeing thread is handed over within its last call, so that whoever saw the
  // call run (and may end the program next) finds it among the threads to join.
  if (onTerminate_)
    Synchronize([this] {
      onTerminate_(this);
      HandOverSelf();
    });
}

int TThread::WaitFor() {
  if (!started_) return -1;
  if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) return returnValue_;
  if (OnMainThread()) {
    SyncState& s = State();
    std::unique_lock<std::mutex> lock(s.mutex);
    while (!finished_.load(std::memory_order_acquire)) {
      if (s.exiting && inSync_.load()) {  // parked for good: let it be
        lock.unlock();
        if (thread_.joinable()) thread_.detach();
        return -1;
      }
      if (!s.queue.empty() && !s.exiting) {
        lock.unlock();
        CheckSynchronize();
        lock.lock();
        continue;
      }
      s.cv.wait(lock);
    }
  } else {
    std::unique_lock<std::mutex> lock(doneMutex_);
    doneCv_.wait(lock, [this] { return finished_.load(std::memory_order_acquire); });
  }
  if (thread_.joinable()) thread_.join();
  return returnValue_;
}

void TThread::Synchronize(std::function<void()> call) {
  SynchronizeImpl(this, &inSync_, std::move(call));
}

void TThread::Synchronize(TThread* thread, std::function<void()> call) {
  SynchronizeImpl(thread, thread ? &thread->inSync_ : nullptr, std::move(call));
}

bool TThread::CheckSynchronize() {
  if (!OnMainThread()) return false;
  SyncState& s = State();
  // The calls queued now, one at a time: a call that runs a nested loop may run the later
  // ones itself, and calls queued meanwhile wait for the next turn, so that a worker that
  // calls again at once cannot keep this thread from its messages.
  size_t count = 1;  // until the first look tells
  bool ran = false;
  for (size_t i = 0; i < count; ++i) {
    SyncEntry* e = nullptr;
    {
      std::unique_lock<std::mutex> lock = LockBriefly(s.mutex);
      if (s.exiting) return ran;
      if (i == 0) count = s.queue.size();
      if (s.queue.empty()) break;
      e = s.queue.front();
      s.queue.pop_front();
      s.pending.fetch_sub(1);
    }
    e->call();
    ran = true;
    std::unique_lock<std::mutex> lock = LockBriefly(s.mutex);
    e->done.store(true, std::memory_order_release);
    s.cv.notify_all();
  }
  return ran;
}

bool TThread::SpinSynchronize(uint32_t limitUs) {
  if (!OnMainThread()) return false;
  SyncState& s = State();
  const uint64_t seen = kx::MessageQueueActivity();
  s.watching.store(true);
  kx::SpinUntil([&] { return s.pending.load() != 0 || kx::MessageQueueActivity() != seen; },
                limitUs);
  s.watching.store(false);
  const bool calls = s.pending.load() != 0 && CheckSynchronize();
  return calls || kx::MessageQueueActivity() != seen;
}
