#include "controls/ThemeMode.h"

namespace {
TThemeMode gApplicationThemeMode = ttmPlatform;
}

TThemeMode ApplicationThemeMode() {
  return gApplicationThemeMode;
}
void SetApplicationThemeMode(TThemeMode mode) {
  gApplicationThemeMode = mode;
}

bool IsThemed(TThemeMode mode, bool globalMode) {
  const TThemeMode effective = globalMode ? gApplicationThemeMode : mode;
  // No visual styles and no custom theme renderer exist here, so neither ttmPlatform nor
  // ttmNative ever draws themed.
  (void)effective;
  return false;
}
