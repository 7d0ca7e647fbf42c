// A hook on a control's messages: the callback sees every message before the control
// does and never swallows it. The control's message handler passes each message to
// THTMLMessageHook::Dispatch before handling it itself (the framework offers no generic
// interception), so hooks work on every control whose WndProc does that.
#pragma once

#include <functional>

#include "framework/Types.h"

class TControl;

class THTMLMessageHook {
 public:
  using Callback = std::function<void(UINT msg, WPARAM wParam, LPARAM lParam)>;

  explicit THTMLMessageHook(Callback callback = {});
  ~THTMLMessageHook();
  THTMLMessageHook(const THTMLMessageHook&) = delete;
  THTMLMessageHook& operator=(const THTMLMessageHook&) = delete;

  // Detaches from the previous control, then hooks `control` (none: stays detached).
  void Attach(TControl* control);
  void Detach();
  TControl* Control() const { return FControl; }
  void SetCallback(Callback callback) { FCallback = std::move(callback); }

  // Hands a message of `control` to every hook attached to it, in attachment order.
  static void Dispatch(TControl* control, UINT msg, WPARAM wParam, LPARAM lParam);
  // Whether any hook is attached to `control`.
  static bool IsHooked(const TControl* control);

 private:
  Callback FCallback;
  TControl* FControl = nullptr;
};
