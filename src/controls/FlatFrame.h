// The flat frame: frame styles, the framed sides and the routine that draws them.
#pragma once

#include <cstdint>

#include "framework/Types.h"
#include "platform/Windows.h"

enum TFlatBorderType : uint8_t {
  fbtFlat = 0,
  fbtSunken = 1,
  fbtSunkenInner = 2,
  fbtSunkenOuter = 3,
  fbtRaised = 4,
  fbtRaisedInner = 5,
  fbtRaisedOuter = 6,
  fbtBump = 7,
  fbtBigBump = 8,
  fbtEtched = 9,
  fbtFramed = 10,
  fbtLine = 11,
  fbtLineBorder = 12,
  fbtNone = 13,
  fbtColorLineBorder = 14
};

enum TBorderSide : uint8_t { ebsLeft = 0, ebsRight = 1, ebsTop = 2, ebsBottom = 3 };
// A set of TBorderSide, one bit per element.
using TBorderSides = uint8_t;
constexpr TBorderSides BorderSideBit(TBorderSide s) {
  return TBorderSides(1u << s);
}
constexpr TBorderSides allSides = 0x0F;
constexpr bool HasSide(TBorderSides sides, TBorderSide s) {
  return (sides >> s) & 1u;
}

// The five colours of a flat frame.
struct TFlatFrameColors {
  TColor Face = clBtnFace;
  TColor DkShadow = cl3DDkShadow;
  TColor Shadow = clBtnShadow;
  TColor Highlight = clBtnHighlight;
  TColor Window = clWindow;
};

// Draws the frame of `type` on the `sides` of `r` and returns the rectangle inside it.
// Every style draws an outer edge, an inner edge or both, one pixel each, raised or
// sunken in the five colours; fbtSunkenOuter then rings the inside in Face and redraws the
// outer right and bottom lines in Window. `lineColor` serves the line styles and
// `bkColor` fills what a style leaves of its two-pixel band.
TRect DrawFlatFrame(HDC dc, TRect r, TColor lineColor, TColor bkColor, bool active, bool enabled,
                    TBorderSides sides, TFlatBorderType type, const TFlatFrameColors& colors);
