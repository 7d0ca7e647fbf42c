#include "framework/StdCtrls.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace {

void FillWith(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->Brush()->SetColor(color);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(r);
}

TRect Inset(TRect r, int d) {
  return Rect(r.left + d, r.top + d, r.right - d, r.bottom - d);
}

}  // namespace

// =======================================================================================
// TCustomLabel

const TClassInfo* TCustomLabel::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TCustomLabel>("TCustomLabel", TGraphicControl::StaticClass())
          .String("Caption", &TControl::Caption, &TControl::SetCaption, u"")
          .Enum("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment, AlignmentInfo(),
                taLeftJustify)
          .Enum("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, TextLayoutInfo(), tlTop)
          .Bool("AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize, true)
          .Bool("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false)
          .Bool("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false)
          .Bool("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar,
                true)
          .Component("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
          .Build();
  return info;
}

const TClassInfo* TLabel::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TLabel>("TLabel", TCustomLabel::StaticClass()).Factory().Build();
  return info;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  FControlStyle |= csReplicatable;
  FWidth = 65;
  FHeight = 17;
  FAutoSize = true;
}

void TCustomLabel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  if (v)
    FControlStyle &= ~csOpaque;
  else
    FControlStyle |= csOpaque;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (v == FShowAccelChar) return;
  FShowAccelChar = v;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* v) {
  if (v == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = v;
  if (v) v->FreeNotification(this);
}

void TCustomLabel::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AdjustBounds();
}

TUnicodeString TCustomLabel::GetLabelText() const {
  return Caption();
}

UINT TCustomLabel::TextFlags() const {
  UINT flags = DT_EXPANDTABS;
  if (FWordWrap) flags |= DT_WORDBREAK;
  switch (FAlignment) {
    case taRightJustify:
      flags |= DT_RIGHT;
      break;
    case taCenter:
      flags |= DT_CENTER;
      break;
    default:
      flags |= DT_LEFT;
      break;
  }
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  return DrawTextBiDiModeFlags(flags);
}

void TCustomLabel::DoDrawText(TRect& rect, UINT flags) {
  TUnicodeString text = GetLabelText();
  // Measuring an empty caption (or a lone accelerator mark) still gives one line.
  if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == u"&"))) text += u" ";
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  flags = DrawTextBiDiModeFlags(flags);
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(bsClear);
  if (!Enabled() && !(flags & DT_CALCRECT)) {
    TRect r = rect;
    r.left += 1;
    r.top += 1;
    r.right += 1;
    r.bottom += 1;
    canvas->Font()->SetColor(clBtnHighlight);
    canvas->DrawText(r, text, flags);
    canvas->Font()->SetColor(clBtnShadow);
    canvas->DrawText(rect, text, flags);
  } else {
    canvas->DrawText(rect, text, flags);
  }
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  if (!FTransparent) FillWith(canvas, r, Color());
  canvas->Brush()->SetStyle(bsClear);
  UINT flags = TextFlags();
  if (FLayout != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    const int free = RectHeight(r) - RectHeight(calc);
    r.top += FLayout == tlBottom ? free : free / 2;
  }
  DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
  if (IsLoading() || !FAutoSize) return;
  TRect r = ClientRect();
  UINT flags = DT_EXPANDTABS | DT_CALCRECT;
  if (FWordWrap) flags |= DT_WORDBREAK;
  DoDrawText(r, flags);
  int x = Left();
  if (FAlignment == taRightJustify) x += Width() - RectWidth(r);
  SetBounds(x, Top(), RectWidth(r), RectHeight(r));
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::TextChanged() {
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::FontChanged() {
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

// =======================================================================================
// TButton

const TClassInfo* TButton::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TButton>("TButton", TCustomControl::StaticClass())
          .Factory()
          .String("Caption", &TControl::Caption, &TControl::SetCaption, u"")
          .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
          .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false)
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
          .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
          .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
          .Build();
  return info;
}

TButton::TButton(TComponent* owner) : TCustomControl(owner) {
  // The button raises Click itself: on a release over it, on Space released, on Enter.
  FControlStyle = csCaptureMouse | csSetCaption | csOpaque | csDoubleClicks;
  FWidth = 75;
  FHeight = 25;
  FParentColor = false;
  FColor = clBtnFace;
  SetTabStop(true);
}

void TButton::SetDefault(bool v) {
  if (v == FDefault) return;
  FDefault = v;
  Invalidate();
}

void TButton::SetDown(bool v) {
  if (v == FDown) return;
  FDown = v;
  Invalidate();
}

void TButton::Click() {
  TCustomControl::Click();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    if (CanFocus() && !Focused()) SetFocus();
    FTracking = true;
    SetDown(true);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState shift, int x, int y) {
  if (FTracking) {
    TRect r = ClientRect();
    SetDown(x >= r.left && x < r.right && y >= r.top && y < r.bottom);
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TButton::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE) {
    FSpaceDown = true;
    SetDown(true);
    key = 0;
  } else if (key == VK_RETURN) {
    key = 0;
    Click();
  }
}

void TButton::KeyUp(WORD& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    SetDown(false);
    key = 0;
    Click();
  }
}

void TButton::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TButton::DoExit() {
  FSpaceDown = false;
  FTracking = false;
  SetDown(false);
  Invalidate();
  TCustomControl::DoExit();
}

UINT TButton::DialogCode() {
  return 0;
}

void TButton::WndProc(TMessage& message) {
  if (message.Msg == WM_LBUTTONUP && FTracking) {
    // Decided before the release drops the capture (which would cancel the tracking).
    FTracking = false;
    const bool inside = FDown;
    SetDown(false);
    TCustomControl::WndProc(message);
    if (inside) Click();  // last: the handler may run a nested loop or free the button
    return;
  }
  if (message.Msg == WM_CAPTURECHANGED && FTracking && HWND(message.LParam) != Handle()) {
    FTracking = false;
    SetDown(false);
  }
  TCustomControl::WndProc(message);
}

void TButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  FillWith(canvas, r, Color());
  const bool focused = Focused();
  if (focused || FDefault) {
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(r);
    r = Inset(r, 1);
  }
  if (FDown) {
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->FrameRect(r);
  } else {
    RECT e = r;
    DrawEdge(canvas->Handle(), &e, EDGE_RAISED, BF_RECT);
  }
  canvas->SetFont(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  canvas->Brush()->SetStyle(bsClear);
  TRect tr = ClientRect();
  if (FDown) {
    tr.left += 1;
    tr.top += 1;
    tr.right += 1;
    tr.bottom += 1;
  }
  canvas->DrawText(tr, Caption(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (focused) {
    TRect fr = Inset(ClientRect(), 4);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->Font()->SetColor(clBtnText);
    canvas->DrawFocusRect(fr);
  }
}

// =======================================================================================
// TEdit

const TClassInfo* TEdit::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TEdit>("TEdit", TCustomControl::StaticClass())
          .Factory()
          .String("Text", &TControl::Text, &TControl::SetText, u"")
          .Color("Color", &TControl::Color, &TControl::SetColor, clWindow)
          .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false)
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
          .Integer("Cursor", &TControl::Cursor, &TControl::SetCursor, crIBeam, CursorIdents())
          .Integer("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength, 0)
          .Bool("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly, false)
          .Event<TNotifyEvent>("OnChange", &TEdit::OnChange, &TEdit::SetOnChange)
          .Build();
  return info;
}

TEdit::TEdit(TComponent* owner) : TCustomControl(owner) {
  FWidth = 121;
  FHeight = 21;
  FParentColor = false;
  FColor = clWindow;
  SetCursor(crIBeam);
  SetTabStop(true);
}

namespace {
// The caret sits after the last character, vertically centred like the text.
void PlaceEditCaret(TEdit* edit, TCanvas* canvas, const TUnicodeString& text, bool create) {
  canvas->SetFont(edit->Font());
  const int h = canvas->TextHeight(u"Wy");
  const int x = 4 + (text.empty() ? 0 : canvas->TextWidth(text));
  const int y = (edit->ClientHeight() - h) / 2;
  if (create) CreateCaret(edit->Handle(), nullptr, 1, h);
  SetCaretPos(x, y);
  if (create) ShowCaret(edit->Handle());
}
}  // namespace

void TEdit::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  FillWith(canvas, r, Enabled() ? Color() : clBtnFace);
  RECT e = r;
  DrawEdge(canvas->Handle(), &e, EDGE_SUNKEN, BF_RECT);
  canvas->SetFont(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  canvas->Brush()->SetStyle(bsClear);
  TRect tr = Rect(4, 2, r.right - 2, r.bottom - 2);
  canvas->DrawText(tr, Text(), DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TEdit::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (FReadOnly || key == 0) return;
  TUnicodeString t = Text();
  if (key == u'\b') {
    if (t.empty()) return;
    t.pop_back();
  } else if (key >= 32) {
    if (FMaxLength > 0 && int(t.size()) >= FMaxLength) return;
    t += key;
  } else {
    return;
  }
  SetText(t);
}

void TEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && CanFocus() && !Focused()) SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
}

void TEdit::TextChanged() {
  TCustomControl::TextChanged();
  if (Focused()) PlaceEditCaret(this, Canvas(), Text(), false);
  FOnChange(this);
}

void TEdit::DoEnter() {
  PlaceEditCaret(this, Canvas(), Text(), true);
  TCustomControl::DoEnter();
}

void TEdit::DoExit() {
  DestroyCaret();
  TCustomControl::DoExit();
}

// =======================================================================================
// TCheckBox and TRadioButton

namespace {
void PaintCheck(TCustomControl* control, TCanvas* canvas, bool checked, UINT kind) {
  TRect r = control->ClientRect();
  FillWith(canvas, r, control->Color());
  const int box = 13;
  RECT b = Rect(0, (RectHeight(r) - box) / 2, box, (RectHeight(r) - box) / 2 + box);
  UINT state =
      kind | (checked ? UINT(DFCS_CHECKED) : 0u) | (control->Enabled() ? 0u : UINT(DFCS_INACTIVE));
  DrawFrameControl(canvas->Handle(), &b, DFC_BUTTON, state);
  canvas->SetFont(control->Font());
  if (!control->Enabled()) canvas->Font()->SetColor(clGrayText);
  canvas->Brush()->SetStyle(bsClear);
  TRect tr = Rect(box + 4, 0, r.right, r.bottom);
  canvas->DrawText(tr, control->Caption(), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (control->Focused()) {
    TRect calc = tr;
    canvas->DrawText(calc, control->Caption(), DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    const int h = RectHeight(calc);
    TRect fr = Rect(tr.left - 1, (RectHeight(r) - h) / 2 - 1, tr.left + RectWidth(calc) + 1,
                    (RectHeight(r) - h) / 2 + h + 1);
    canvas->DrawFocusRect(fr);
  }
}
}  // namespace

const TClassInfo* TCheckBox::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TCheckBox>("TCheckBox", TCustomControl::StaticClass())
          .Factory()
          .String("Caption", &TControl::Caption, &TControl::SetCaption, u"")
          .Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false)
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
          .Build();
  return info;
}

TButtonControl::TButtonControl(TComponent* owner, int width, UINT markStyle)
    : TCustomControl(owner), FMarkStyle(markStyle) {
  FWidth = width;
  FHeight = 17;
  SetTabStop(true);
}

void TButtonControl::SetChecked(bool v) {
  if (v == FChecked) return;
  FChecked = v;
  Invalidate();
}

void TButtonControl::FocusForClick() {
  if (CanFocus() && !Focused()) SetFocus();
}

void TButtonControl::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE) {
    key = 0;
    Click();
  }
}

void TButtonControl::Paint() {
  PaintCheck(this, Canvas(), FChecked, FMarkStyle);
}

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner, 97, DFCS_BUTTONCHECK) {}

void TCheckBox::Click() {
  FocusForClick();
  SetChecked(!Checked());
  TCustomControl::Click();
}

const TClassInfo* TRadioButton::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TRadioButton>("TRadioButton", TCustomControl::StaticClass())
          .Factory()
          .String("Caption", &TControl::Caption, &TControl::SetCaption, u"")
          .Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, false)
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
          .Build();
  return info;
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner, 113, DFCS_BUTTONRADIO) {}

void TRadioButton::SetChecked(bool v) {
  if (v == Checked()) return;
  TButtonControl::SetChecked(v);
  if (v && Parent()) {
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
      if (r && r != this) r->SetChecked(false);
    }
  }
}

void TRadioButton::Click() {
  FocusForClick();
  SetChecked(true);
  TCustomControl::Click();
}
