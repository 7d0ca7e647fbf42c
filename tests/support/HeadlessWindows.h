// Test helpers for the window system on the headless display: a fixture that starts the
// headless back end, and small windows whose procedure records what they receive.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Windows.h"
#include "platform/display/Headless.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"

namespace kx::test {

// A window whose procedure records every message and can be given handlers per message.
struct ProbeWindow {
  struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  HWND hwnd = nullptr;
  std::string name;
  std::vector<Received> log;
  std::map<UINT, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>> handlers;
  // Painting: fills the paint rectangle with this colour (and counts the paints).
  COLORREF fill = 0xFFFFFFFF;
  int paints = 0;
  std::vector<RECT> paintRects;

  ProbeWindow() = default;
  ProbeWindow(const ProbeWindow&) = delete;
  ProbeWindow& operator=(const ProbeWindow&) = delete;
  // The window goes with its probe, so no message reaches a probe that is gone.
  ~ProbeWindow() {
    if (hwnd && IsWindow(hwnd)) {
      SetWindowUserData(hwnd, nullptr);
      DestroyWindow(hwnd);
    }
  }

  int Count(UINT msg) const {
    int n = 0;
    for (auto& r : log)
      n += r.msg == msg;
    return n;
  }
  void Clear() {
    log.clear();
    paints = 0;
    paintRects.clear();
  }

  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// Creates a window with a ProbeWindow as its user data.
HWND CreateProbe(ProbeWindow* probe, HWND parent, RECT bounds, DWORD style = WS_VISIBLE,
                 DWORD exStyle = 0);

// Starts the headless display; destroys every window a test left behind.
class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A shown top-level window (client 200 x 150 unless given) with its probe.
  HWND MakeTopLevel(ProbeWindow* probe, int width = 200, int height = 150);
  // Drains the queue.
  void Pump() { kx::headless::Tick(0); }
};

// Writes an image to $KX_TEST_ARTIFACTS/<name>.png when the variable is set.
void WriteArtifact(const kx::Image& image, const std::string& name);

}  // namespace kx::test
