// Choosing the display back end, and the pixels of the top-level window.
#include <atomic>
#include <cstdlib>
#include <memory>

#include "platform/display/Display.h"
#include "platform/display/DisplayBackend.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiCairo.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace kx::display {
namespace {

// Owned here and set on the UI thread. Other threads (posting to the UI queue) only read
// the published pointer and the display thread, hence the atomics.
std::unique_ptr<Backend> gBackend;
std::atomic<Backend*> gPublished{nullptr};
std::atomic<DWORD> gDisplayThread{0};

void Install(Backend* b) {
  gPublished = nullptr;
  gBackend.reset(b);
  gPublished = b;
}

}  // namespace

Backend* ActiveOrNull() {
  return gPublished.load();
}

Backend& Active() {
  if (!gBackend) {
    Backend* b = DisplayAvailable() ? CreateSdlBackend() : nullptr;
    Install(b ? b : CreateHeadlessBackend());
  }
  return *gBackend;
}

DWORD DisplayThread() {
  return gDisplayThread.load();
}
void SetDisplayThread(DWORD thread) {
  gDisplayThread = thread;
}

}  // namespace kx::display

namespace kx {

bool InitDisplay(DisplayKind kind) {
  using namespace kx::display;
  if (gBackend) return gBackend->Kind() == kind;
  if (kind == DisplayKind::Sdl) {
    Backend* b = CreateSdlBackend();
    if (b) Install(b);
    return b != nullptr;
  }
  if (kind == DisplayKind::Headless) {
    kx::UseVirtualClock(true);
    Install(CreateHeadlessBackend());
    return true;
  }
  return false;
}

DisplayKind CurrentDisplay() {
  auto* b = display::ActiveOrNull();
  return b ? b->Kind() : DisplayKind::None;
}

bool DisplayAvailable() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (w && *w);
}

void ShutdownDisplay() {
  if (HWND top = GetTopLevelWindow()) DestroyWindow(top);
  for (auto* r : std::vector<kx::ws::Window*>(kx::ws::Roots()))
    DestroyWindow(r);
  kx::ws::FreeZombies();
  display::Install(nullptr);
  display::gDisplayThread = 0;
}

Image CaptureTopLevel() {
  Image img;
  HWND top = GetTopLevelWindow();
  if (!top) return img;
  // Everything invalid is painted first, so the picture is current.
  for (auto* r : std::vector<kx::ws::Window*>(kx::ws::Roots()))
    UpdateWindow(r);
  cairo_surface_t* s = kx::ws::ComposeTopLevel();
  if (!s) return img;
  cairo_surface_flush(s);
  img.width = cairo_image_surface_get_width(s);
  img.height = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  img.pixels.resize(size_t(img.width) * size_t(img.height));
  for (int y = 0; y < img.height; ++y) {
    auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
    for (int x = 0; x < img.width; ++x)
      img.pixels[size_t(y) * size_t(img.width) + size_t(x)] = row[x];
  }
  cairo_surface_destroy(s);
  return img;
}

bool SavePng(const Image& image, const std::string& path) {
  if (image.width <= 0 || image.height <= 0) return false;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  cairo_surface_flush(s);
  const int stride = cairo_image_surface_get_stride(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
    for (int x = 0; x < image.width; ++x)
      row[x] = image.At(x, y);
  }
  cairo_surface_mark_dirty(s);
  bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

}  // namespace kx
