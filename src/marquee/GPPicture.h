// An encoded image kept in memory (any format the decoder reads) and drawn through the
// drawing layer. The bytes are decoded anew at each use.
#pragma once

#include <string>
#include <string_view>

#include "framework/Graphics.h"
#include "framework/TypInfo.h"
#include "marquee/GPGraphics.h"

class TGPGraphicsPath;

class TGPPicture : public TGraphic {
  KX_DECLARE_CLASS(TGPPicture)
 public:
  TGPPicture();
  ~TGPPicture() override;

  void Assign(const TPersistent* source) override;  // another picture's bytes; others ignored

  bool Empty() const override { return FIsEmpty; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // The size follows the image; setting it does nothing.
  void SetWidth(int) override {}
  void SetHeight(int) override {}

  // Decodes the stored bytes and updates Width and Height; false (sizes unchanged) when
  // there are none or they do not decode.
  bool GetImageSizes();
  // Takes a copy of a non-empty byte stream, then updates the sizes and notifies; an empty
  // stream changes nothing.
  void LoadFromStream(std::string_view bytes);
  // The stored bytes, unchanged.
  void SaveToStream(std::string& out) const { out.append(FDatastream); }
  const std::string& Data() const { return FDatastream; }
  // Drops the image; raises OnClear and the change notification.
  void Clear();

  // Draws the image scaled into rect. A BMP image with Transparent set is keyed on one
  // colour: BitmapTransparentColor in fixed mode, the bottom-left pixel's in automatic mode.
  void GPDraw(TGPGraphics* graphics, const TRect& rect);
  // Fill with the image as a texture at its natural size, tiled from the surface's origin.
  void FillRect(TGPGraphics* graphics, const TGPRectF& rect);
  void FillPath(TGPGraphics* graphics, const TGPGraphicsPath* path);

  void Draw(TCanvas* canvas, const TRect& rect) override;
  bool LoadFromFile(const std::string& path) override;
  bool SaveToFile(const std::string& path) override;

  TTransparentMode BitmapTransparentMode() const { return FBitmapTransparentMode; }
  void SetBitmapTransparentMode(TTransparentMode m) { FBitmapTransparentMode = m; }
  TColor BitmapTransparentColor() const { return FBitmapTransparentColor; }
  void SetBitmapTransparentColor(TColor c) { FBitmapTransparentColor = c; }
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool v) { FDoubleBuffered = v; }
  const std::string& ID() const { return FID; }
  void SetID(const std::string& id) { FID = id; }
  int PixelDepth() const { return FPixelDepth; }
  bool HasAlpha() const { return FHasAlpha; }
  bool HasPalette() const { return FHasPalette; }
  int PixelFormat() const { return FPixelFormat; }

  const TNotifyEvent& OnClear() const { return FOnClear; }
  void SetOnClear(TNotifyEvent e) { FOnClear = std::move(e); }

  // The bytes as text for layout descriptions and clipboard copies: two upper-case
  // hexadecimal digits per byte. Text that is not an even run of hex digits is refused
  // (the picture stays as it is).
  std::string HexData() const;
  void SetHexData(const std::string& hex);

 private:
  bool FDrawing = false;
  std::string FDatastream;
  bool FIsEmpty = true;
  int FWidth = 0;
  int FHeight = 0;
  bool FDoubleBuffered = false;
  TNotifyEvent FOnClear;
  TTransparentMode FBitmapTransparentMode = tmAuto;
  TColor FBitmapTransparentColor = clWhite;
  std::string FID;
  int FPixelDepth = 0;
  bool FHasAlpha = false;
  bool FHasPalette = false;
  int FPixelFormat = 0;
};
