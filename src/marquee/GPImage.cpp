#include "marquee/GPImage.h"

#include <SDL.h>
#include <SDL_image.h>
#include <cairo.h>
#include <dlfcn.h>

#include <cstring>

namespace {

TGPImageFormat Sniff(std::string_view b) {
  auto starts = [&](std::string_view magic) { return b.substr(0, magic.size()) == magic; };
  if (starts("BM")) return ifBmp;
  if (starts("\x89PNG")) return ifPng;
  if (starts("\xFF\xD8\xFF")) return ifJpeg;
  if (starts("GIF8")) return ifGif;
  if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4))) return ifTiff;
  if (starts(std::string_view("\0\0\1\0", 4))) return ifIcon;
  return ifOther;
}

// The decoders (SDL2_image and the format libraries under it) are opened with the first
// picture, not with the program, which mostly shows none. Null when they are missing.
decltype(&IMG_Load_RW) ImageDecoder() {
  static const auto decode = []() -> decltype(&IMG_Load_RW) {
    void* library = dlopen("libSDL2_image-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    return reinterpret_cast<decltype(&IMG_Load_RW)>(dlsym(library, "IMG_Load_RW"));
  }();
  return decode;
}

}  // namespace

TGPImage::TGPImage(std::string_view bytes) {
  if (bytes.empty()) {
    lastResult = loadStatus = InvalidParameter;
    return;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
  SDL_Surface* decoded = nullptr;
  if (rw) {
    if (auto decode = ImageDecoder())
      decoded = decode(rw, 1);
    else
      SDL_RWclose(rw);
  }
  if (!decoded) {
    lastResult = loadStatus = UnknownImageFormat;
    return;
  }
  format_ = Sniff(bytes);
  const SDL_PixelFormat* f = decoded->format;
  pixelDepth_ = f->BitsPerPixel;
  pixelFormat_ = int(f->format);
  hasPalette_ = f->palette != nullptr;
  hasAlpha_ = f->Amask != 0 || SDL_ISPIXELFORMAT_ALPHA(f->format);
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(decoded);
  if (!argb) {
    lastResult = loadStatus = OutOfMemory;
    return;
  }
  width_ = uint32_t(argb->w);
  height_ = uint32_t(argb->h);
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, argb->w, argb->h);
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    width_ = height_ = 0;
    SDL_FreeSurface(argb);
    lastResult = loadStatus = OutOfMemory;
    return;
  }
  // Cairo keeps premultiplied alpha; SDL's ARGB8888 is the same word layout, unmultiplied.
  uint8_t* out = cairo_image_surface_get_data(surface_);
  int outStride = cairo_image_surface_get_stride(surface_);
  SDL_LockSurface(argb);
  for (int y = 0; y < argb->h; ++y) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
    uint32_t* dst = reinterpret_cast<uint32_t*>(out + y * outStride);
    for (int x = 0; x < argb->w; ++x) {
      uint32_t p = src[x], a = p >> 24;
      if (a == 255) {
        dst[x] = p;
      } else {
        auto ch = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255; };
        dst[x] = (a << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
      }
    }
  }
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  cairo_surface_mark_dirty(surface_);
}

TGPImage::~TGPImage() {
  if (surface_) cairo_surface_destroy(surface_);
}

Status TGPBitmap::GetPixel(int x, int y, ARGB* color) {
  if (!color || !surface_ || x < 0 || y < 0 || uint32_t(x) >= width_ || uint32_t(y) >= height_)
    return lastResult = InvalidParameter;
  cairo_surface_flush(surface_);
  const uint8_t* data = cairo_image_surface_get_data(surface_);
  uint32_t p =
      reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface_))[x];
  uint32_t a = p >> 24;
  if (a && a < 255) {
    auto un = [&](int shift) { return ((((p >> shift) & 0xFF) * 255 + a / 2) / a) & 0xFF; };
    p = (a << 24) | (un(16) << 16) | (un(8) << 8) | un(0);
  }
  *color = p;
  return Ok;
}

Status TGPImageAttributes::SetColorKey(ARGB low, ARGB high) {
  hasKey_ = true;
  low_ = low;
  high_ = high;
  return Ok;
}

Status TGPImageAttributes::ClearColorKey() {
  hasKey_ = false;
  return Ok;
}
