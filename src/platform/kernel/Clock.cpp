// The clock: real monotonic time, or a virtual clock that moves only when told.
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

#include "platform/kernel/Kernel.h"

namespace {

std::atomic<bool> g_virtual{false};
std::atomic<uint64_t> g_virtualNow{kx::VirtualClockStart};

// The hook is read on whatever thread advances the clock; a mutex guards its replacement.
std::mutex& HookMutex() {
  static auto* m = new std::mutex;  // never destroyed: the clock may be used during exit
  return *m;
}
std::function<void()>& Hook() {
  static auto* h = new std::function<void()>;
  return *h;
}

uint64_t RealMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}

}  // namespace

uint64_t GetTickCount64() {
  if (g_virtual.load(std::memory_order_acquire))
    return g_virtualNow.load(std::memory_order_acquire);
  return RealMilliseconds();
}

DWORD GetTickCount() {
  return static_cast<DWORD>(GetTickCount64());
}

DWORD GetCurrentThreadId() {
  thread_local DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
  return id;
}

void Sleep(DWORD ms) {
  timespec ts{};
  ts.tv_sec = ms / 1000;
  ts.tv_nsec = long(ms % 1000) * 1000000L;
  while (nanosleep(&ts, &ts) != 0) {
  }
}

namespace kx {

void UseVirtualClock(bool on) {
  if (on) g_virtualNow.store(VirtualClockStart, std::memory_order_release);
  g_virtual.store(on, std::memory_order_release);
}

bool IsVirtualClock() {
  return g_virtual.load(std::memory_order_acquire);
}

void AdvanceVirtualClock(uint32_t ms) {
  if (!g_virtual.load(std::memory_order_acquire)) return;
  g_virtualNow.fetch_add(ms, std::memory_order_acq_rel);
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(HookMutex());
    hook = Hook();
  }
  if (hook) hook();
}

void SetClockAdvanceHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(HookMutex());
  Hook() = std::move(hook);
}

bool SpinUntil(const std::function<bool()>& done, uint32_t limitUs) {
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (uint32_t i = 1;; ++i) {
    if (done()) return true;
    CpuRelax();
    if (i % 64 == 0) {  // the clock costs more than a look at the condition
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      const int64_t us =
          (now.tv_sec - start.tv_sec) * 1000000 + (now.tv_nsec - start.tv_nsec) / 1000;
      if (us >= int64_t(limitUs)) return done();
    }
  }
}

}  // namespace kx
