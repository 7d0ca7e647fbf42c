// Decoded images of the drawing layer. Encoded bytes (PNG, JPEG, BMP, GIF and the other
// formats SDL2_image reads) are decoded from memory into a cairo image surface.
#pragma once

#include <string>
#include <string_view>

#include "marquee/GPGraphics.h"

enum TGPImageFormat : int32_t {
  ifUnknown = 0,
  ifBmp,
  ifPng,
  ifJpeg,
  ifGif,
  ifTiff,
  ifIcon,
  ifOther
};

class TGPImage : public TGPBase {
 public:
  // Decodes a copy of `bytes`; on failure the image is empty and lastResult tells why.
  explicit TGPImage(std::string_view bytes);
  ~TGPImage() override;
  TGPImage(const TGPImage&) = delete;
  TGPImage& operator=(const TGPImage&) = delete;

  uint32_t GetWidth() const { return width_; }
  uint32_t GetHeight() const { return height_; }
  TGPImageFormat GetFormat() const { return format_; }
  bool HasAlphaChannel() const { return hasAlpha_; }
  bool HasPalette() const { return hasPalette_; }
  int GetPixelDepth() const { return pixelDepth_; }
  int GetPixelFormat() const { return pixelFormat_; }
  Status GetLastStatus() const { return lastResult; }

  // The decoded pixels (premultiplied ARGB32), or null.
  _cairo_surface* Native() const { return surface_; }

  Status lastResult = Ok;
  Status loadStatus = Ok;

 protected:
  _cairo_surface* surface_ = nullptr;
  uint32_t width_ = 0, height_ = 0;
  TGPImageFormat format_ = ifUnknown;
  bool hasAlpha_ = false, hasPalette_ = false;
  int pixelDepth_ = 0, pixelFormat_ = 0;
};

class TGPBitmap : public TGPImage {
 public:
  explicit TGPBitmap(std::string_view bytes) : TGPImage(bytes) {}
  // The pixel's ARGB colour (not premultiplied).
  Status GetPixel(int x, int y, ARGB* color);
};

// Colour-key settings: pixels whose every channel lies between the low and the high
// colour become transparent when an image is drawn with these attributes.
class TGPImageAttributes : public TGPBase {
 public:
  TGPImageAttributes() = default;
  Status SetColorKey(ARGB low, ARGB high);
  Status ClearColorKey();
  bool HasColorKey() const { return hasKey_; }
  ARGB KeyLow() const { return low_; }
  ARGB KeyHigh() const { return high_; }
  Status GetLastStatus() const { return lastResult; }

  Status lastResult = Ok;

 private:
  bool hasKey_ = false;
  ARGB low_ = 0, high_ = 0;
};
