#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <functional>

#include "framework/Thread.h"
#include "platform/display/Headless.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"

namespace {

class TWorker : public TThread {
 public:
  explicit TWorker(std::function<void(TWorker*)> body) : TThread(true), body_(std::move(body)) {}
  using TThread::SetReturnValue;

 protected:
  void Execute() override { body_(this); }

 private:
  std::function<void(TWorker*)> body_;
};

// Takes and dispatches messages until `done` holds, waiting without spinning between them.
void DispatchUntil(const std::function<bool()>& done) {
  while (!done()) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (done()) return;
    }
    kx::WaitForMessageOr(done, 0xFFFFFFFF);
  }
}

class Threads : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(kx::headless::Start()); }
};

}  // namespace

TEST_F(Threads, SynchronizeRunsOnTheUiThreadInsideANestedLoop) {
  const DWORD ui = GetCurrentThreadId();
  std::vector<DWORD> ranOn;
  bool terminated = false;
  DWORD terminateThread = 0;

  // The outer loop dispatches a message whose handler runs the inner loop, as a click
  // handler waiting for a download does.
  static std::function<void()> handler;
  handler = [&] {
    auto* worker = new TWorker([&](TWorker* self) {
      for (int i = 0; i < 3; ++i)
        self->Synchronize([&] { ranOn.push_back(GetCurrentThreadId()); });
    });
    worker->SetFreeOnTerminate(true);
    worker->SetOnTerminate(TNotifyEvent([&](TObject*) {
      terminated = true;
      terminateThread = GetCurrentThreadId();
    }));
    worker->Start();
    DispatchUntil([&] { return terminated; });
  };
  HWND w = CreateWindowExW(
      0, WS_POPUP, 0, 0, 0, 0, nullptr,
      [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_APP + 1) {
          handler();
          return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
      },
      nullptr);
  ASSERT_NE(w, nullptr);
  PostMessageW(w, WM_APP + 1, 0, 0);
  bool handled = false;
  DispatchUntil([&] {
    handled = terminated;
    return handled;
  });
  EXPECT_EQ(ranOn, (std::vector<DWORD>{ui, ui, ui}));
  EXPECT_TRUE(terminated);
  EXPECT_EQ(terminateThread, ui);
  DestroyWindow(w);
}

TEST_F(Threads, WaitForRunsQueuedCallsOnTheUiThread) {
  std::atomic<int> calls{0};
  TWorker worker([&](TWorker* self) {
    self->Synchronize([&] { ++calls; });
    self->SetReturnValue(7);
  });
  worker.Start();
  EXPECT_EQ(worker.WaitFor(), 7);  // no message loop: WaitFor itself runs the call
  EXPECT_EQ(calls.load(), 1);
  EXPECT_TRUE(worker.Finished());
}

TEST_F(Threads, TerminateIsSeenByExecute) {
  std::atomic<bool> running{false};
  TWorker worker([&](TWorker* self) {
    running = true;
    while (!self->Terminated())
      std::this_thread::yield();
  });
  worker.Start();
  while (!running)
    std::this_thread::yield();
  worker.Terminate();
  EXPECT_TRUE(worker.Terminated());
  worker.WaitFor();
  EXPECT_TRUE(worker.Finished());
}

TEST_F(Threads, NeverStartedThreadIsDestroyedCleanly) {
  bool ran = false;
  {
    TWorker worker([&](TWorker*) { ran = true; });
    EXPECT_EQ(worker.WaitFor(), -1);
  }
  EXPECT_FALSE(ran);
}

TEST_F(Threads, SynchronizeOnTheUiThreadRunsAtOnce) {
  int n = 0;
  TThread::Synchronize(nullptr, [&] { ++n; });
  EXPECT_EQ(n, 1);
  EXPECT_FALSE(TThread::CheckSynchronize());
}

// Ending the process while a worker waits in Synchronize: neither a hang nor a crash.
TEST(ThreadExit, ExitWhileAWorkerWaitsInSynchronize) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        alarm(30);  // a hang becomes a failure
        kx::headless::Start();
        std::atomic<bool> entering{false};
        auto* worker = new TWorker([&](TWorker* self) {
          entering = true;
          self->Synchronize([] {});
          std::abort();  // never reached: nobody dispatches
        });
        worker->SetFreeOnTerminate(true);
        worker->Start();
        while (!entering)
          std::this_thread::yield();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ThreadExit, ExitFromInsideASynchronizedCall) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        alarm(30);
        kx::headless::Start();
        auto* worker = new TWorker([](TWorker* self) {
          self->Synchronize([] { std::exit(0); });  // as the installer start ends the program
        });
        worker->SetFreeOnTerminate(true);
        worker->Start();
        DispatchUntil([] { return false; });
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ThreadExit, ThreadObjectDestroyedDuringExitWhileParked) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        alarm(30);
        // Constructed before the thread machinery, so destroyed after the exit has begun.
        struct Holder {
          TWorker* worker = nullptr;
          ~Holder() { delete worker; }  // must not wait for ever for the parked worker
        };
        static Holder holder;
        kx::headless::Start();
        static std::atomic<bool> entering{false};
        holder.worker = new TWorker([](TWorker* self) {
          entering = true;
          self->Synchronize([] {});
        });
        holder.worker->Start();
        while (!entering)
          std::this_thread::yield();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

// A self-freeing thread that still runs its own end when the program exits is waited for,
// so that the program's libraries are never torn down under it.
TEST(ThreadExit, ExitWaitsForASelfFreeingThreadStillEnding) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        alarm(30);
        static std::atomic<bool> exitBegun{false};
        static std::atomic<bool> ended{false};
        std::atexit([] { std::_Exit(ended ? 0 : 3); });  // registered first, runs last
        kx::headless::Start();
        struct TSlowEnd : TWorker {
          using TWorker::TWorker;
          ~TSlowEnd() override {
            while (!exitBegun)
              std::this_thread::yield();
            ended = true;
          }
        };
        bool outcome = false;
        auto* worker = new TSlowEnd([](TWorker*) {});
        worker->SetFreeOnTerminate(true);
        worker->SetOnTerminate(TNotifyEvent([&](TObject*) { outcome = true; }));
        worker->Start();
        DispatchUntil([&] { return outcome; });
        std::atexit([] { exitBegun = true; });  // registered last, runs first
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
