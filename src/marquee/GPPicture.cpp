#include "marquee/GPPicture.h"

#include <fstream>
#include <iterator>
#include <memory>

#include "marquee/GPBrush.h"
#include "marquee/GPGraphicsPath.h"
#include "marquee/GPImage.h"

const TClassInfo* TGPPicture::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TGPPicture>("TGPPicture", TPersistent::StaticClass())
          .AnsiString("Data", &TGPPicture::HexData, &TGPPicture::SetHexData, std::string())
          .Build();
  return info;
}

TGPPicture::TGPPicture() = default;
TGPPicture::~TGPPicture() = default;

void TGPPicture::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TGPPicture*>(source);
  if (!other || other == this) return;
  FDatastream = other->FDatastream;
  FIsEmpty = other->FIsEmpty;
  FWidth = other->FWidth;
  FHeight = other->FHeight;
  Changed();
}

bool TGPPicture::GetImageSizes() {
  if (FIsEmpty || FDatastream.empty()) return false;
  TGPImage image(FDatastream);
  if (!image.Native()) return false;
  FWidth = int(image.GetWidth());
  FHeight = int(image.GetHeight());
  return true;
}

void TGPPicture::LoadFromStream(std::string_view bytes) {
  if (bytes.empty()) return;
  FDatastream.assign(bytes);
  FIsEmpty = false;
  GetImageSizes();
  Changed();
}

void TGPPicture::Clear() {
  FDatastream.clear();
  FIsEmpty = true;
  FWidth = FHeight = 0;
  FOnClear(this);
  Changed();
}

void TGPPicture::GPDraw(TGPGraphics* graphics, const TRect& rect) {
  if (!graphics || FIsEmpty || FDrawing) return;
  FDrawing = true;
  TGPImage image(FDatastream);
  if (image.Native()) {
    FWidth = int(image.GetWidth());
    FHeight = int(image.GetHeight());
    FPixelDepth = image.GetPixelDepth();
    FHasAlpha = image.HasAlphaChannel();
    FHasPalette = image.HasPalette();
    FPixelFormat = image.GetPixelFormat();
    float w = float(rect.right - rect.left), h = float(rect.bottom - rect.top);
    if (image.GetFormat() == ifBmp && Transparent()) {
      ARGB key;
      if (FBitmapTransparentMode == tmFixed) {
        key = ArgbFromColor(255, FBitmapTransparentColor);
      } else {
        TGPBitmap bitmap(FDatastream);
        if (bitmap.GetPixel(0, FHeight - 1, &key) != Ok) key = 0xFFFFFFFF;
        key |= 0xFF000000u;
      }
      TGPImageAttributes attributes;
      attributes.SetColorKey(key, key);
      graphics->DrawImage(&image, TGPRectF{float(rect.left), float(rect.top), w, h}, 0, 0,
                          float(FWidth), float(FHeight), UnitPixel, &attributes);
    } else {
      graphics->DrawImageRect(&image, float(rect.left), float(rect.top), w, h);
    }
  }
  FDrawing = false;
}

void TGPPicture::FillRect(TGPGraphics* graphics, const TGPRectF& rect) {
  if (!graphics || FIsEmpty) return;
  TGPImage image(FDatastream);
  if (!image.Native()) return;
  TGPTextureBrush brush(&image, WrapModeTile);
  graphics->FillRectangle(&brush, rect);
}

void TGPPicture::FillPath(TGPGraphics* graphics, const TGPGraphicsPath* path) {
  if (!graphics || FIsEmpty || !path) return;
  TGPImage image(FDatastream);
  if (!image.Native()) return;
  TGPTextureBrush brush(&image, WrapModeTile);
  graphics->FillPath(&brush, path);
}

void TGPPicture::Draw(TCanvas* canvas, const TRect& rect) {
  if (!canvas || FIsEmpty) return;
  TGPGraphics graphics(canvas->Handle());
  GPDraw(&graphics, rect);
}

bool TGPPicture::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  LoadFromStream(bytes);
  return !bytes.empty();
}

bool TGPPicture::SaveToFile(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(FDatastream.data(), std::streamsize(FDatastream.size()));
  return bool(out);
}

std::string TGPPicture::HexData() const {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(FDatastream.size() * 2);
  for (unsigned char c : FDatastream) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  return hex;
}

void TGPPicture::SetHexData(const std::string& hex) {
  if (hex.size() % 2) return;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) return;
    bytes.push_back(char(hi * 16 + lo));
  }
  if (bytes.empty()) {
    if (!FIsEmpty) Clear();
    return;
  }
  LoadFromStream(bytes);
}
