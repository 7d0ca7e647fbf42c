#include "controls/ThemedLabel.h"

#include "controls/Register.h"

const TClassInfo* TCustomThemedLabel::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TCustomThemedLabel>("TCustomThemedLabel", TCustomLabel::StaticClass())
          .Bool("EndEllipsis", &TCustomThemedLabel::EndEllipsis,
                &TCustomThemedLabel::SetEndEllipsis, false)
          .Integer("BorderWidth", &TCustomThemedLabel::BorderWidth,
                   &TCustomThemedLabel::SetBorderWidth, 0)
          .Enum("ThemeMode", &TCustomThemedLabel::ThemeMode, &TCustomThemedLabel::SetThemeMode,
                ThemeModeInfo(), ttmPlatform)
          .Bool("ThemeGlobalMode", &TCustomThemedLabel::ThemeGlobalMode,
                &TCustomThemedLabel::SetThemeGlobalMode, false)
          .Bool("Transparent", &TCustomThemedLabel::Transparent,
                &TCustomThemedLabel::SetTransparent, true)
          .String("Hint", &TCustomThemedLabel::Hint, &TCustomThemedLabel::SetHint, u"")
          .Build();
  return info;
}

TCustomThemedLabel::TCustomThemedLabel(TComponent* owner) : TCustomLabel(owner) {
  SetTransparent(true);
}

void TCustomThemedLabel::SetCaption(const TUnicodeString& v) {
  if (v == FCaption) return;
  FCaption = v;
  TControl::SetText(v);
}

void TCustomThemedLabel::SetHint(const TUnicodeString& v) {
  FHint = v;
  TControl::SetHint(v);
}

void TCustomThemedLabel::SetEndEllipsis(bool v) {
  if (v == FEndEllipsis) return;
  FEndEllipsis = v;
  Invalidate();
}

void TCustomThemedLabel::SetBorderWidth(TBorderWidth v) {
  if (v < 0) v = 0;
  if (v == FBorderWidth) return;
  FBorderWidth = v;
  AdjustBounds();
  Invalidate();
}

void TCustomThemedLabel::SetThemeMode(TThemeMode v) {
  if (v == FThemeMode) return;
  FThemeMode = v;
  ThemeChanged();
}

void TCustomThemedLabel::SetThemeGlobalMode(bool v) {
  if (v == FThemeGlobalMode) return;
  FThemeGlobalMode = v;
  ThemeChanged();
}

void TCustomThemedLabel::TextChanged() {
  // The framework text may be set from outside (Perform(WM_SETTEXT), the base SetText):
  // the caption follows it.
  if (FCaption != TControl::Text()) FCaption = TControl::Text();
  TCustomLabel::TextChanged();
}
