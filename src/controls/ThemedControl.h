// A windowed, self-drawing control with a theme mode: the base of the flat text field.
#pragma once

#include "controls/ThemeMode.h"
#include "framework/Controls.h"

class TThemedControl : public TCustomControl {
  KX_DECLARE_CLASS(TThemedControl)

 public:
  explicit TThemedControl(TComponent* owner);

  TThemeMode ThemeMode() const { return FThemeMode; }
  virtual void SetThemeMode(TThemeMode v);
  bool ThemeGlobalMode() const { return FThemeGlobalMode; }
  virtual void SetThemeGlobalMode(bool v);
  // Whether the control draws through the platform's visual styles now.
  bool Themed() const { return IsThemed(FThemeMode, FThemeGlobalMode); }

 protected:
  // Runs after the theme selection changed.
  virtual void ThemeChanged() { Invalidate(); }

  int FCreating = 0;
  bool FThemeGlobalMode = false;
  TThemeMode FThemeMode = ttmPlatform;
  bool FPreventStyleChange = false;
};
