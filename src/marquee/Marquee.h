// TMarquee: an indeterminate busy indicator. A short row of dots slides across the control
// from left to right, bunched at regular spacing while it crosses a band in the middle,
// spreading out and speeding up as it leaves the band, and converging as it comes in from
// the left. A 10 ms timer moves it; each paint draws the background fill and the dots,
// anti-aliased and double-buffered.
#pragma once

#include <memory>

#include "framework/Controls.h"
#include "framework/TypInfo.h"
#include "marquee/BackgroundFill.h"
#include "marquee/ComponentStyle.h"
#include "marquee/GPGraphics.h"
#include "marquee/MarqueeBullets.h"

class TTimer;

// Draws one dot of shape bsCustom: (Sender, AGraphics, ABulletIndex, ARect).
using TMarqueeCustomBulletShape = TEvent<TObject*, TGPGraphics*, int, TGPRectF>;

class TMarquee : public TCustomControl, public IComponentStyle, public IColorTones {
  KX_DECLARE_CLASS(TMarquee)
 public:
  explicit TMarquee(TComponent* owner);
  ~TMarquee() override;

  // Copies another marquee's bullets and fill; nothing else.
  void Assign(const TPersistent* source) override;

  TBackgroundFill* Fill() const { return FFill.get(); }
  void SetFill(const TBackgroundFill* v);
  TMarqueeBullets* Bullets() const { return FBullets.get(); }
  void SetBullets(const TMarqueeBullets* v);

  // The offset of the dot row in pixels. A value above the wrap bound (half the width plus
  // half the row) becomes minus the bound.
  float Position() const { return FPosition; }
  void SetPosition(float v);
  // Position := Position + value.
  void Step(float value);

  float AnimationFactor() const { return FAnimationFactor; }
  void SetAnimationFactor(float v) { FAnimationFactor = v; }
  float AnimationStep() const { return FAnimationStep; }
  void SetAnimationStep(float v) { FAnimationStep = v; }
  float AnimationStretchFactor() const { return FAnimationStretchFactor; }
  void SetAnimationStretchFactor(float v);
  bool Animate() const { return FAnimate; }
  void SetAnimate(bool v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);

  const TMarqueeCustomBulletShape& OnCustomBulletShape() const { return FOnCustomBulletShape; }
  void SetOnCustomBulletShape(TMarqueeCustomBulletShape e) { FOnCustomBulletShape = std::move(e); }

  void ApplyDefaultStyle();
  void SetComponentStyle(TComponentStyle style) override;
  TComponentStyle GetComponentStyle() const override { return TComponentStyle(FComponentStyle); }
  void SetColorTones(const TColorTones& tones) override;

  // Geometry of the current state: the row width Count·Width + Count·Spacing − 1, the wrap
  // bound, and the box of dot i (0-based) as painted.
  float RowWidth() const;
  float WrapBound() const;
  TGPRectF BulletRect(int index) const;

  // The timer's tick: one step of the animation (the timer calls it every 10 ms).
  void AnimationTick();

  // Paints the background and the dots on a drawing surface of the control's size.
  void PaintTo(TGPGraphics* graphics);

  TTimer* AnimationTimer() const { return FAnimationTimer.get(); }

  void WndProc(TMessage& message) override;

 protected:
  void Paint() override;

 private:
  void TimerTick(TObject* sender);
  void FillChanged(TObject* sender);
  void PaintMessage(TMessage& message);
  void RequestRepaint();
  uint8_t ComponentStyleValue() const { return FComponentStyle; }
  // The persisted number is stored without applying the style: the stored properties
  // already carry its colours.
  void ReadComponentStyle(uint8_t v) { FComponentStyle = v; }

  uint8_t FComponentStyle = 0;
  bool FDesignTime = false;
  std::unique_ptr<TTimer> FAnimationTimer;
  std::unique_ptr<TBackgroundFill> FFill;
  std::unique_ptr<TMarqueeBullets> FBullets;
  float FPosition = 0.0f;
  float FAnimationFactor = 3.0f;
  float FAnimationStep = 10.0f;
  bool FAnimate = true;
  bool FTransparent = false;
  TMarqueeCustomBulletShape FOnCustomBulletShape;
  float FAnimationStretchFactor = 1.7f;
};
