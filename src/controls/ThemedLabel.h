// The label base of the HTML label: the framework label plus an inner margin, an
// end-ellipsis flag, a theme mode and a Unicode caption.
#pragma once

#include "controls/ThemeMode.h"
#include "framework/StdCtrls.h"

using TBorderWidth = int32_t;

class TCustomThemedLabel : public TCustomLabel {
  KX_DECLARE_CLASS(TCustomThemedLabel)

 public:
  explicit TCustomThemedLabel(TComponent* owner);

  // The caption, kept equal to the framework's text.
  const TUnicodeString& Caption() const { return FCaption; }
  void SetCaption(const TUnicodeString& v);
  // The hint as set; passed unchanged to the framework hint.
  const TUnicodeString& Hint() const { return FHint; }
  void SetHint(const TUnicodeString& v);

  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool v);
  // Inner margin on all four sides, in pixels (never negative).
  TBorderWidth BorderWidth() const { return FBorderWidth; }
  virtual void SetBorderWidth(TBorderWidth v);
  TThemeMode ThemeMode() const { return FThemeMode; }
  virtual void SetThemeMode(TThemeMode v);
  bool ThemeGlobalMode() const { return FThemeGlobalMode; }
  virtual void SetThemeGlobalMode(bool v);
  // Whether the label draws through the platform's visual styles now.
  bool Themed() const { return IsThemed(FThemeMode, FThemeGlobalMode); }

 protected:
  virtual void ThemeChanged() { Invalidate(); }
  void TextChanged() override;

  TUnicodeString FHint;
  TUnicodeString FCaption;
  bool FEndEllipsis = false;
  TBorderWidth FBorderWidth = 0;
  TThemeMode FThemeMode = ttmPlatform;
  bool FThemeGlobalMode = false;
};
