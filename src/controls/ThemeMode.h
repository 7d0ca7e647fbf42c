// The theme rule shared by the label, the panel and the field.
#pragma once

#include <cstdint>

enum TThemeMode : uint8_t { ttmNone = 0, ttmPlatform = 1, ttmNative = 2 };

// The mode a control follows when its ThemeGlobalMode is set.
TThemeMode ApplicationThemeMode();
void SetApplicationThemeMode(TThemeMode mode);

// Whether a control with these settings draws through the platform's visual styles.
// Visual styles are never active on this platform, so ttmPlatform behaves like ttmNone,
// and without a custom theme renderer ttmNative behaves like ttmPlatform.
bool IsThemed(TThemeMode mode, bool globalMode);
