// Pixel helpers for the busy animation's tests: image surfaces to draw on, pixel reads,
// tolerant comparisons, and PNG artefacts in $KX_TEST_ARTIFACTS.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <string>

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
};

// An ARGB32 image surface filled with one opaque colour (0xRRGGBB), freed on scope exit.
class TestSurface {
 public:
  TestSurface(int w, int h, uint32_t rgb = 0xFFFFFF)
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)) {
    cairo_t* cr = cairo_create(surface_);
    cairo_set_source_rgb(cr, ((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0,
                         (rgb & 255) / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  ~TestSurface() { cairo_surface_destroy(surface_); }
  TestSurface(const TestSurface&) = delete;
  TestSurface& operator=(const TestSurface&) = delete;

  cairo_surface_t* get() const { return surface_; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }

  // The pixel, unpremultiplied.
  Rgba At(int x, int y) const {
    cairo_surface_flush(surface_);
    const uint8_t* data = cairo_image_surface_get_data(surface_);
    uint32_t p =
        reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface_))[x];
    Rgba c;
    c.a = int(p >> 24);
    auto un = [&](int shift) {
      int v = int((p >> shift) & 255);
      return c.a ? (v * 255 + c.a / 2) / c.a : 0;
    };
    c.r = un(16), c.g = un(8), c.b = un(0);
    return c;
  }
  // 0xRRGGBB of an opaque pixel.
  uint32_t Rgb(int x, int y) const {
    Rgba c = At(x, y);
    return uint32_t(c.r << 16 | c.g << 8 | c.b);
  }

  // Writes the surface to $KX_TEST_ARTIFACTS/<name>.png (when the variable is set).
  void Save(const std::string& name) const {
    const char* dir = std::getenv("KX_TEST_ARTIFACTS");
    if (!dir || !*dir) return;
    cairo_surface_write_to_png(surface_, (std::string(dir) + "/" + name + ".png").c_str());
  }

 private:
  cairo_surface_t* surface_;
};

inline bool Near(uint32_t rgb, const Rgba& c, int tolerance = 2) {
  auto d = [&](int a, int b) { return std::abs(a - b) <= tolerance; };
  return d(int((rgb >> 16) & 255), c.r) && d(int((rgb >> 8) & 255), c.g) && d(int(rgb & 255), c.b);
}

// The surface encoded as PNG bytes.
inline std::string PngBytes(cairo_surface_t* surface) {
  std::string out;
  cairo_surface_write_to_png_stream(
      surface,
      [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
      },
      &out);
  return out;
}

// A 24-bit bottom-up BMP of w x h pixels; pixel(x, y) gives 0xRRGGBB (y from the top).
template <class F>
std::string BmpBytes(int w, int h, F pixel) {
  const int stride = (w * 3 + 3) & ~3;
  const uint32_t imageSize = uint32_t(stride * h), fileSize = 54 + imageSize;
  std::string b(54, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      b[at + i] = char((v >> (8 * i)) & 255);
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, fileSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  b[26] = 1;
  b[28] = 24;
  put32(34, imageSize);
  for (int row = h - 1; row >= 0; --row) {
    std::string line(size_t(stride), '\0');
    for (int x = 0; x < w; ++x) {
      uint32_t c = pixel(x, row);
      line[size_t(x * 3)] = char(c & 255);
      line[size_t(x * 3 + 1)] = char((c >> 8) & 255);
      line[size_t(x * 3 + 2)] = char((c >> 16) & 255);
    }
    b += line;
  }
  return b;
}
