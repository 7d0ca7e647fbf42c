#include <gtest/gtest.h>

#include "framework/Timer.h"
#include "platform/display/Headless.h"

namespace {
class Timers : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(kx::headless::Start()); }
};
}  // namespace

TEST_F(Timers, FiresEveryIntervalOfTheVirtualClock) {
  TTimer timer(nullptr);
  int fired = 0;
  timer.SetInterval(100);
  timer.SetOnTimer(TNotifyEvent([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    ++fired;
  }));
  kx::headless::Tick(99);
  EXPECT_EQ(fired, 0);
  kx::headless::Tick(1);
  EXPECT_EQ(fired, 1);
  kx::headless::Tick(250);
  EXPECT_EQ(fired, 3);
}

TEST_F(Timers, DisabledTimerIsSilentAndRestartsItsPeriod) {
  TTimer timer(nullptr);
  int fired = 0;
  timer.SetInterval(100);
  timer.SetOnTimer(TNotifyEvent([&](TObject*) { ++fired; }));
  kx::headless::Tick(60);
  timer.SetEnabled(false);
  kx::headless::Tick(500);
  EXPECT_EQ(fired, 0);
  timer.SetEnabled(true);
  kx::headless::Tick(99);
  EXPECT_EQ(fired, 0);
  kx::headless::Tick(1);
  EXPECT_EQ(fired, 1);
  timer.SetInterval(0);
  kx::headless::Tick(1000);
  EXPECT_EQ(fired, 1);
}

TEST_F(Timers, TimerMayDeleteItselfInItsHandler) {
  auto* timer = new TTimer(nullptr);
  int fired = 0;
  timer->SetInterval(10);
  timer->SetOnTimer(TNotifyEvent([&](TObject* sender) {
    ++fired;
    delete static_cast<TTimer*>(sender);
  }));
  kx::headless::Tick(100);
  EXPECT_EQ(fired, 1);
}

TEST_F(Timers, OwnerDeletesItsTimer) {
  auto* owner = new TComponent(nullptr);
  int fired = 0;
  auto* timer = new TTimer(owner);
  timer->SetInterval(10);
  timer->SetOnTimer(TNotifyEvent([&](TObject*) { ++fired; }));
  delete owner;
  kx::headless::Tick(100);
  EXPECT_EQ(fired, 0);
}
