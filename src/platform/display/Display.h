// The display back ends behind the window system: SDL2 (a real window) or headless (an
// offscreen back buffer, the virtual clock and injected input; see Headless.h).
//
// The back end is chosen once per process, before the first top-level window:
// kx::InitDisplay(kind). When no back end has been chosen by the time the first top-level
// window is created, SDL is used if a display is available (DISPLAY or WAYLAND_DISPLAY set
// and SDL's video initialises), headless otherwise. The headless back end chosen through
// InitDisplay switches the kernel clock to its virtual clock; the automatic fallback keeps
// the real clock, so that a program started without a display still runs its timers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Windows.h"

namespace kx {

enum class DisplayKind { None, Sdl, Headless };

// Chooses the back end. Returns false (and changes nothing) when a different back end is
// already active or SDL's video cannot initialise.
bool InitDisplay(DisplayKind kind);
DisplayKind CurrentDisplay();  // None until chosen
bool DisplayAvailable();       // DISPLAY or WAYLAND_DISPLAY set
// Destroys the top-level window's display resources and forgets the choice (tests).
void ShutdownDisplay();

// A copy of pixels: 0xAARRGGBB, row by row, width * height values.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  COLORREF ColorAt(int x, int y) const {  // 0x00BBGGRR
    uint32_t p = At(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

// The top-level window's client area as last presented (both back ends), after painting
// whatever is invalid. Empty when there is no top-level window.
Image CaptureTopLevel();
bool SavePng(const Image& image, const std::string& path);

}  // namespace kx
