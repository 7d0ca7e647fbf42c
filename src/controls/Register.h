// The controls' classes in the class registry, and the element names of their enumerations.
#pragma once

#include "framework/TypInfo.h"

// Forces THTMLLabel, THTMLContainer, TFlatPanel and TFlatEdit (and their bases) into the
// class registry, so that layout descriptions can name them.
void RegisterControlsClasses();

const TEnumInfo* ThemeModeInfo();       // TThemeMode
const TEnumInfo* FlatBorderTypeInfo();  // TFlatBorderType
const TEnumInfo* BorderSideInfo();      // TBorderSide (TBorderSides is a set of it)
const TEnumInfo* BevelStyleInfo();      // TBevelStyle
const TEnumInfo* BackgroundTypeInfo();  // TBackgroundType
const TEnumInfo* EditCharCaseInfo();    // TEditCharCase
const TEnumInfo* ScrollStyleInfo();     // TScrollStyle
