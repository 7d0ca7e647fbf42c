#include "htmltext/HTMLInputItem.h"

#include "framework/Graphics.h"
#include "htmltext/HTMLData.h"
#include "htmltext/HTMLRender.h"

void THTMLControlPainter::PaintTo(TCanvas*, const TRect&) {}

void THTMLCheckBoxPainter::PaintTo(TCanvas* canvas, const TRect& rect) {
  if (!canvas || !FInputItem) return;
  const int w = RectWidth(rect), h = RectHeight(rect);
  // Visual styles are never active here: the classic frame control, drawn off-screen and
  // copied to the box.
  if (w > 0 && h > 0) {
    TBitmap box(w, h);
    HDC dc = box.Canvas()->Handle();
    // The box starts as a copy of what lies beneath, so the control's corners blend in.
    BitBlt(dc, 0, 0, w, h, canvas->Handle(), rect.left, rect.top, SRCCOPY);
    RECT r{0, 0, w, h};
    UINT state = FInputItem->FInputType == itRadioButton ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
    if (FInputItem->FChecked) state |= DFCS_CHECKED;
    DrawFrameControl(dc, &r, DFC_BUTTON, state);
    BitBlt(canvas->Handle(), rect.left, rect.top, w, h, dc, 0, 0, SRCCOPY);
  }
  THTMLData* data = FInputItem->FOwner;
  if (data && data->SelectedItem() == FInputItem) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->DrawFocusRect(rect);
  }
}

THTMLInputItem::THTMLInputItem(THTMLData* owner) : THTMLItem(owner) {}

THTMLInputItem::~THTMLInputItem() = default;

void THTMLInputItem::AsHTML(TUnicodeString& out) const {
  out += FInputType == itRadioButton ? u"<input type=\"radio\" " : u"<input type=\"checkbox\" ";
  if (!FName.empty()) out += u"name=\"" + FName + u"\" ";
  if (FChecked) out += u"checked=\"True\" ";
  if (!FValue.empty()) out += u"value=\"" + FValue + u"\" ";
  out += u">";
}

void THTMLInputItem::Assign(const THTMLItem* source) {
  if (!source) return;
  THTMLItem::Assign(source);
  if (auto* in = dynamic_cast<const THTMLInputItem*>(source)) {
    FName = in->FName;
    FChecked = in->FChecked;
    SetInputType(in->FInputType);
    FValue = in->FValue;
  }
}

void THTMLInputItem::SetInputType(THTMLInputType value) {
  if (value != FInputType || !FControlPainter) {
    FInputType = value;
    FControlPainter = std::make_unique<THTMLCheckBoxPainter>(this);
    if (FInputType == itRadioButton && !FName.empty() && FOwner) FTag = FOwner->RadioGroup(FName);
  }
}

void THTMLInputItem::SetChecked(bool value) {
  if (value == FChecked) return;
  if (value && FInputType == itRadioButton && FTag > 0 && FOwner) {
    for (THTMLItem* other : FOwner->ControlsArray()) {
      if (other->FTag != FTag) continue;
      if (auto* in = dynamic_cast<THTMLInputItem*>(other)) in->FChecked = false;
    }
  }
  FChecked = value;
  if (THTMLRender* render = FOwner ? FOwner->Render() : nullptr) {
    render->OnInputItemChecked()(render, this);
    render->Change();
  }
}

void THTMLInputItem::SetValue(const TUnicodeString& value) {
  if (value == FValue) return;
  FValue = value;
  if (THTMLRender* render = FOwner ? FOwner->Render() : nullptr) {
    render->OnInputItemTextChanged()(render, this);
    render->Change();
  }
}

void THTMLInputItem::Click() {
  if (FInputType == itRadioButton && !FChecked)
    SetChecked(true);
  else
    SetChecked(!FChecked);
  if (THTMLRender* render = FOwner ? FOwner->Render() : nullptr) render->Change();
}

void THTMLInputItem::KeyDownTransfer(WORD& key, TShiftState) {
  if (key != VK_SPACE) return;
  if (FInputType == itCheckBox)
    SetChecked(!FChecked);
  else
    SetChecked(true);
}
