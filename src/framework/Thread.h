// TThread: a worker thread whose calls can run on the user-interface thread.
//
// The user-interface thread is the one that loaded the program (MainThreadID). Synchronize
// from a worker queues the call, posts a wake-up message to a hidden utility window of the
// user-interface thread and blocks until a dispatch loop there has run it; dispatching the
// wake-up message calls CheckSynchronize. Called on the user-interface thread itself,
// Synchronize runs the call at once.
//
// Ending the process while a worker waits in Synchronize neither hangs nor crashes: once
// the process has begun to exit, waiting workers stay parked (the queue and its locks are
// never destroyed) and new calls are not queued, and the exit proceeds without them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "framework/Classes.h"

class TThread : public TObject {
 public:
  // The thread runs Execute once it is started. A C++ object cannot run its virtual Execute
  // before its most-derived constructor has finished, so the thread always starts with
  // Start(): `createSuspended` false is accepted for the usual spelling, and the creator
  // calls Start() at the end of its constructor.
  explicit TThread(bool createSuspended);
  // Not yet started: never runs. Running: Terminate(), then WaitFor() (which keeps running
  // synchronized calls when called on the user-interface thread). A thread that frees
  // itself deletes itself on its own thread after OnTerminate.
  ~TThread() override;

  static const TClassInfo* StaticClass();
  const TClassInfo* ClassInfo() const override;

  // Starts the thread once; later calls do nothing.
  void Start();
  // The stop request: sets Terminated(), which Execute polls.
  void Terminate();
  bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
  bool Started() const { return started_; }
  // Execute has returned and OnTerminate has run.
  bool Finished() const { return finished_.load(std::memory_order_acquire); }

  // With FreeOnTerminate the thread object deletes itself after OnTerminate; nobody may
  // touch it after Start() then (WaitFor included).
  bool FreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
  // Raised with the thread as sender on the user-interface thread (through Synchronize)
  // after Execute has returned.
  const TNotifyEvent& OnTerminate() const { return onTerminate_; }
  void SetOnTerminate(TNotifyEvent event) { onTerminate_ = std::move(event); }

  // Waits until the thread has finished and returns ReturnValue(). On the user-interface
  // thread it keeps running synchronized calls while it waits. Returns -1 for a thread that
  // was never started.
  int WaitFor();
  int ReturnValue() const { return returnValue_; }
  DWORD ThreadID() const { return threadId_.load(std::memory_order_acquire); }

  // Runs `call` on the user-interface thread and returns after it has run.
  void Synchronize(std::function<void()> call);
  // The same for any thread (e.g. one that is not a TThread).
  static void Synchronize(TThread* thread, std::function<void()> call);
  // Runs every queued call; true when one ran. Only on the user-interface thread (elsewhere
  // it does nothing and returns false).
  static bool CheckSynchronize();
  // For a user-interface thread that expects its workers' calls within microseconds: spins
  // for up to `limitUs`, until a call is queued (it then runs the queued calls, with no
  // message round trip) or a message arrives. True when a call ran or a message arrived;
  // false at once elsewhere than on the user-interface thread.
  static bool SpinSynchronize(uint32_t limitUs);
  // Creates the wake-up window; must run on the user-interface thread. TThread's constructor
  // and Start() call it when they run there; the application may call it at start-up.
  static void InitSynchronization();

 protected:
  virtual void Execute() = 0;
  // Raises OnTerminate through Synchronize.
  virtual void DoTerminate();
  void SetReturnValue(int value) { returnValue_ = value; }

 private:
  void Run();
  // Puts a self-freeing thread's handle among the threads joined at exit.
  void HandOverSelf();

  std::thread thread_;
  std::mutex startMutex_;  // held while thread_ is assigned
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> inSync_{false};  // blocked in Synchronize
  bool started_ = false;
  bool freeOnTerminate_ = false;
  int returnValue_ = 0;
  TNotifyEvent onTerminate_;
  std::mutex doneMutex_;
  std::condition_variable doneCv_;
};

// The user-interface thread's identifier.
DWORD MainThreadID();

namespace kx {
// Test seam: makes the calling thread the user-interface thread (tests that run their
// event loop on another thread).
void SetMainThreadForTesting();
}  // namespace kx
