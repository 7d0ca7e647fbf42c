#include "controls/Register.h"

#include "controls/FlatEdit.h"
#include "controls/FlatPanel.h"
#include "controls/HTMLContainer.h"
#include "controls/HTMLLabel.h"

void RegisterControlsClasses() {
  THTMLContainer::StaticClass();
  THTMLLabel::StaticClass();
  TFlatPanel::StaticClass();
  TFlatEdit::StaticClass();
}

const TEnumInfo* ThemeModeInfo() {
  static const TEnumInfo info("TThemeMode", {"ttmNone", "ttmPlatform", "ttmNative"});
  return &info;
}

const TEnumInfo* FlatBorderTypeInfo() {
  static const TEnumInfo info(
      "TFlatBorderType",
      {"fbtFlat", "fbtSunken", "fbtSunkenInner", "fbtSunkenOuter", "fbtRaised", "fbtRaisedInner",
       "fbtRaisedOuter", "fbtBump", "fbtBigBump", "fbtEtched", "fbtFramed", "fbtLine",
       "fbtLineBorder", "fbtNone", "fbtColorLineBorder"});
  return &info;
}

const TEnumInfo* BorderSideInfo() {
  static const TEnumInfo info("TBorderSide", {"ebsLeft", "ebsRight", "ebsTop", "ebsBottom"});
  return &info;
}

const TEnumInfo* BevelStyleInfo() {
  static const TEnumInfo info("TBevelStyle",
                              {"bvNone", "bvLowered", "bvRaised", "bvFrameLowered", "bvFrameRaised",
                               "bvNormal", "bvShadow", "bvSpace", "bvFlat"});
  return &info;
}

const TEnumInfo* BackgroundTypeInfo() {
  static const TEnumInfo info(
      "TBackgroundType",
      {"bgtTileBitmap", "bgtStretchBitmap", "bgtColorFill", "bgtCenterBitmap", "bgtTopLeftBitmap",
       "bgtHorzGradient", "bgtVertGradient", "bgtSquareGradient", "bgtEllipticGradient",
       "bgtTopLeftGradient", "bgtTopRightGradient", "bgtBottomLeftGradient",
       "bgtBottomRightGradient", "bgtTopLeftDiagonalGradient", "bgtTopRightDiagonalGradient"});
  return &info;
}

const TEnumInfo* EditCharCaseInfo() {
  static const TEnumInfo info("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
  return &info;
}

const TEnumInfo* ScrollStyleInfo() {
  static const TEnumInfo info("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  return &info;
}
