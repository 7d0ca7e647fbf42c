#include "framework/Timer.h"

#include "platform/user/User.h"

namespace {

constexpr UINT_PTR kTimerId = 1;

LRESULT TimerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    if (auto* timer = static_cast<TTimer*>(GetWindowUserData(hwnd))) {
      timer->WndProc(msg, wParam, lParam);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

const TClassInfo* TTimer::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TTimer>("TTimer", TComponent::StaticClass())
          .Factory()
          .Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
          .Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
          .Event<TNotifyEvent>("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer)
          .Build();
  return info;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = CreateWindowExW(0, WS_POPUP, 0, 0, 0, 0, nullptr, TimerWndProc, this);
}

TTimer::~TTimer() {
  Destroying();
  enabled_ = false;
  UpdateTimer();
  if (window_) {
    SetWindowUserData(window_, nullptr);
    DestroyWindow(window_);
  }
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(UINT value) {
  if (value == interval_) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent event) {
  onTimer_ = std::move(event);
  UpdateTimer();
}

// Restarts the period from now whenever a setting changes, as SetTimer does.
void TTimer::UpdateTimer() {
  if (!window_) return;
  if (running_) KillTimer(window_, kTimerId);
  running_ = false;
  if (interval_ != 0 && enabled_ && onTimer_ && !IsDestroying())
    running_ = SetTimer(window_, kTimerId, interval_, nullptr) != 0;
}

void TTimer::WndProc(UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_TIMER && wParam == kTimerId && running_) Timer();
}

void TTimer::Timer() {
  if (onTimer_) onTimer_(this);
}
