// Standard controls: the plain text label, the push button, and minimal edit, check box
// and radio button controls.
#pragma once

#include "framework/Controls.h"

// ---------------------------------------------------------------------------------------
// A windowless label that draws its caption with DrawTextW: alignment, vertical layout,
// word wrap, auto size, transparency and the accelerator character ("&x" underlines x,
// "&&" is one "&").
class TCustomLabel : public TGraphicControl {
 public:
  KX_DECLARE_CLASS(TCustomLabel)

 public:
  explicit TCustomLabel(TComponent* owner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool WordWrap() const { return FWordWrap; }
  virtual void SetWordWrap(bool v);
  // Transparent: the parent's background shows; otherwise the label fills with Color.
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool v);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool v);
  // The control an accelerator focuses. Not owned.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* v);
  void SetAutoSize(bool v) override;

 protected:
  // The text DoDrawText draws and measures (the caption by default).
  virtual TUnicodeString GetLabelText() const;
  // Draws (or, with DT_CALCRECT, measures into rect) the label text on Canvas() in the
  // label's font; disabled text is engraved (clBtnHighlight offset by one, then
  // clBtnShadow).
  virtual void DoDrawText(TRect& rect, UINT flags);
  // Fits the bounds to the text when AutoSize is on (not while loading); a right-aligned
  // label keeps its right edge.
  virtual void AdjustBounds();
  void AdjustSize() override { AdjustBounds(); }
  void Paint() override;

 public:
  void Loaded() override;

 protected:
  void TextChanged() override;
  void FontChanged() override;

 public:
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  // The DrawTextW flags of a paint: alignment, word break, expand tabs, no-prefix.
  UINT TextFlags() const;

 private:
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  KX_DECLARE_CLASS(TLabel)

 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// ---------------------------------------------------------------------------------------
// A push button drawn by the framework: the face, a raised 3-D edge (sunken while pressed),
// the caption centred, and a focus rectangle while it has the focus. A left click, Space
// and Enter activate it (Click → OnClick).
class TButton : public TCustomControl {
 public:
  KX_DECLARE_CLASS(TButton)

 public:
  explicit TButton(TComponent* owner);

  // Enter anywhere in the form activates the default button; Escape the cancel button.
  bool Default() const { return FDefault; }
  void SetDefault(bool v);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }
  bool Pressed() const { return FDown; }

  void Click() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  UINT DialogCode() override;
  void WndProc(TMessage& message) override;

 private:
  void SetDown(bool v);
  bool FDefault = false;
  bool FCancel = false;
  bool FDown = false;       // drawn pressed
  bool FTracking = false;   // the left button went down on the button
  bool FSpaceDown = false;  // Space is held
};

// ---------------------------------------------------------------------------------------
// A minimal single-line edit: white field, sunken edge, the text, typing at the end,
// Backspace. Text and OnChange are what embedding code needs.
class TEdit : public TCustomControl {
 public:
  KX_DECLARE_CLASS(TEdit)

 public:
  explicit TEdit(TComponent* owner);

  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int v) { FMaxLength = v < 0 ? 0 : v; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }

 protected:
  void Paint() override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void TextChanged() override;
  void DoEnter() override;
  void DoExit() override;

 private:
  int FMaxLength = 0;
  bool FReadOnly = false;
  TNotifyEvent FOnChange;
};

// ---------------------------------------------------------------------------------------
// What check boxes and radio buttons share: the checked state, the mark drawn by the
// platform's frame control, Space as a click, and a repaint when the focus comes or goes.
class TButtonControl : public TCustomControl {
 public:
  bool Checked() const { return FChecked; }
  virtual void SetChecked(bool v);

 protected:
  TButtonControl(TComponent* owner, int width, UINT markStyle);
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void DoEnter() override {
    Invalidate();
    TCustomControl::DoEnter();
  }
  void DoExit() override {
    Invalidate();
    TCustomControl::DoExit();
  }
  // Takes the focus before a click changes the state.
  void FocusForClick();

 private:
  bool FChecked = false;
  UINT FMarkStyle;  // DFCS_BUTTONCHECK or DFCS_BUTTONRADIO
};

// A check box: a box with a check mark and the caption to its right; a click or Space
// toggles Checked and raises OnClick.
class TCheckBox : public TButtonControl {
 public:
  KX_DECLARE_CLASS(TCheckBox)

 public:
  explicit TCheckBox(TComponent* owner);
  void Click() override;
};

// A radio button: checking one unchecks its checked siblings of the same parent.
class TRadioButton : public TButtonControl {
 public:
  KX_DECLARE_CLASS(TRadioButton)

 public:
  explicit TRadioButton(TComponent* owner);
  void SetChecked(bool v) override;
  void Click() override;
};
