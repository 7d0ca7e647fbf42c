#include <gtest/gtest.h>

#include <thread>

#include "platform/kernel/Kernel.h"

namespace {
struct VirtualClock {
  VirtualClock() { kx::UseVirtualClock(true); }
  ~VirtualClock() {
    kx::SetClockAdvanceHook(nullptr);
    kx::UseVirtualClock(false);
  }
};
}  // namespace

TEST(Clock, VirtualClockMovesOnlyWhenAdvanced) {
  VirtualClock clock;
  EXPECT_TRUE(kx::IsVirtualClock());
  EXPECT_EQ(GetTickCount64(), kx::VirtualClockStart);
  EXPECT_EQ(GetTickCount(), DWORD(kx::VirtualClockStart));
  kx::AdvanceVirtualClock(10);
  kx::AdvanceVirtualClock(5);
  EXPECT_EQ(GetTickCount64(), kx::VirtualClockStart + 15);
}

TEST(Clock, AdvanceCallsTheHook) {
  VirtualClock clock;
  int calls = 0;
  uint64_t seen = 0;
  kx::SetClockAdvanceHook([&] {
    ++calls;
    seen = GetTickCount64();
  });
  kx::AdvanceVirtualClock(20);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, kx::VirtualClockStart + 20);
}

TEST(Clock, RealClockIsMonotonic) {
  kx::UseVirtualClock(false);
  uint64_t a = GetTickCount64();
  uint64_t b = GetTickCount64();
  EXPECT_LE(a, b);
  kx::AdvanceVirtualClock(100000);  // no effect on the real clock
  EXPECT_LT(GetTickCount64() - a, 100000u);
}

TEST(Clock, ThreadIdsDiffer) {
  DWORD mine = GetCurrentThreadId();
  DWORD other = 0;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(mine, 0u);
  EXPECT_NE(other, 0u);
  EXPECT_NE(mine, other);
  EXPECT_EQ(mine, GetCurrentThreadId());
}
