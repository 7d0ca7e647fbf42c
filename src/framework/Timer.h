// TTimer: a non-visual component that raises OnTimer every Interval milliseconds of the
// kernel clock (the virtual clock in tests), through WM_TIMER on a hidden utility window
// of the thread that created it. It runs while Enabled, Interval > 0 and OnTimer is set.
#pragma once

#include "framework/Classes.h"
#include "framework/TypInfo.h"

class TTimer : public TComponent {
  KX_DECLARE_CLASS(TTimer)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  UINT Interval() const { return interval_; }  // milliseconds; default 1000
  void SetInterval(UINT value);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent event);

  // The utility window's procedure target.
  void WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  virtual void Timer();  // raises OnTimer

 private:
  void UpdateTimer();

  HWND window_ = nullptr;
  bool enabled_ = true;
  bool running_ = false;
  UINT interval_ = 1000;
  TNotifyEvent onTimer_;
};
