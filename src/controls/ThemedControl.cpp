#include "controls/ThemedControl.h"

#include "controls/Register.h"

const TClassInfo* TThemedControl::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TThemedControl>("TThemedControl", TCustomControl::StaticClass())
          .Enum("ThemeMode", &TThemedControl::ThemeMode, &TThemedControl::SetThemeMode,
                ThemeModeInfo(), ttmPlatform)
          .Bool("ThemeGlobalMode", &TThemedControl::ThemeGlobalMode,
                &TThemedControl::SetThemeGlobalMode, false)
          .Build();
  return info;
}

TThemedControl::TThemedControl(TComponent* owner) : TCustomControl(owner) {}

void TThemedControl::SetThemeMode(TThemeMode v) {
  if (v == FThemeMode) return;
  FThemeMode = v;
  ThemeChanged();
}

void TThemedControl::SetThemeGlobalMode(bool v) {
  if (v == FThemeGlobalMode) return;
  FThemeGlobalMode = v;
  ThemeChanged();
}
