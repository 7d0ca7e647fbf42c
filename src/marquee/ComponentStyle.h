// The styling interfaces through which a style manager restyles a control: a numbered
// component style, and a set of colour tones.
#pragma once

#include <cstdint>

#include "framework/Types.h"

enum TComponentStyle : uint8_t {
  tsClassicBlue = 0,
  tsClassicSilver,
  tsClassicOlive,
  tsClassic,
  tsRibbonBlue,
  tsRibbonBlack,
  tsSystem,
  tsStudio,
  tsCustom,
  tsRibbonSilver,
  tsGlass,
  tsGlassBlue,
  tsTerminal,
  tsBlue,
  tsSilver,
  tsBlack,
  tsFlat,
  tsFlatWhite,
  tsFlatLightGray,
  tsFlatGray,
  tsModern,
  tsModernWhite,
  tsModernGray,
  tsModernBlack
};
constexpr int ComponentStyleCount = 24;

struct TColorTone {
  TColor BrushColor = clNone;
  TColor BorderColor = clNone;
  TColor TextColor = clNone;
};

struct TColorTones {
  TColorTone Background;
  TColorTone Foreground;
  TColorTone Selected;
  TColorTone Hover;
  TColorTone Disabled;
};

class IComponentStyle {
 public:
  virtual void SetComponentStyle(TComponentStyle style) = 0;
  virtual TComponentStyle GetComponentStyle() const = 0;

 protected:
  ~IComponentStyle() = default;
};

class IColorTones {
 public:
  virtual void SetColorTones(const TColorTones& tones) = 0;

 protected:
  ~IColorTones() = default;
};
