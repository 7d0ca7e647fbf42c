#include "framework/Thread.h"

#include <cstdlib>
#include <deque>
#include <system_error>

#include "framework/TypInfo.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"

namespace {

// The wake-up message of the utility window; dispatching it runs the queued calls.
constexpr UINT kSyncMessage = WM_APP + 0x3F01;

struct SyncEntry {
  std::function<void()> call;
  bool done = false;
};

// Shared by every thread and never destroyed: workers may still wait on it while the
// process exits.
struct SyncState {
  std::mutex mutex;
  std::condition_variable cv;  // entries done, entries queued, threads finished
  std::deque<SyncEntry*> queue;
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

// Once set, no worker posts or queues any more, and waiting workers stay parked.
void OnExit() {
  SyncState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.exiting = true;
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
  std::unique_lock<std::mutex> lock(s.mutex);
  if (inSync) inSync->store(true);
  if (s.exiting) {
    s.cv.notify_all();  // a WaitFor during the exit sees it parked
    ParkForever(lock, s);
  }
  s.queue.push_back(&entry);
  WakeMainThreadLocked(s);
  // Released only by the call having run; an exit meanwhile leaves the worker parked here.
  s.cv.wait(lock, [&] { return entry.done; });
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
  try {
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
  if (freeSelf) delete this;
}

void TThread::DoTerminate() {
  if (onTerminate_) Synchronize([this] { onTerminate_(this); });
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
  std::deque<SyncEntry*> batch;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.exiting) return false;
    batch.swap(s.queue);
  }
  for (SyncEntry* e : batch) {
    e->call();
    std::lock_guard<std::mutex> lock(s.mutex);
    e->done = true;
    s.cv.notify_all();
  }
  return !batch.empty();
}
