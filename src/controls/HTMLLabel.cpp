#include "controls/HTMLLabel.h"

#include <algorithm>

#include "controls/Register.h"
#include "framework/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"

namespace {
void OffsetRect(TRect* r, int dx, int dy) {
  r->left += dx, r->right += dx, r->top += dy, r->bottom += dy;
}
}  // namespace

TRect CenterRect(int w, int W, int h, int H) {
  TRect r;
  r.left = std::max(0, W / 2 - w / 2);
  r.right = r.left + std::min(w, W);
  r.top = std::max(0, H / 2 - h / 2);
  r.bottom = r.top + std::min(h, H);
  return r;
}

const TClassInfo* THTMLLabel::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<THTMLLabel>("THTMLLabel", TCustomThemedLabel::StaticClass())
          .Factory()
          .Bool("AutoSize", &THTMLLabel::AutoSize, &THTMLLabel::SetAutoSize, true)
          .Integer("Cursor", &THTMLLabel::Cursor, &THTMLLabel::SetCursor, crDefault, CursorIdents())
          .String("Caption", &THTMLLabel::Caption, &THTMLLabel::SetCaption, u"")
          .Bool("IsHTML", &THTMLLabel::IsHTML, &THTMLLabel::SetIsHTML, true)
          .Color("LinkColor", &THTMLLabel::LinkColor, &THTMLLabel::SetLinkColor, clBlue)
          .Set("LinkStyle", &THTMLLabel::LinkStyle, &THTMLLabel::SetLinkStyle, FontStyleInfo(),
               TFontStyles{fsUnderline})
          .Component("LinkPopupMenu", &THTMLLabel::LinkPopupMenu, &THTMLLabel::SetLinkPopupMenu)
          .Component("Container", &THTMLLabel::Container, &THTMLLabel::SetContainer)
          .Integer("ContainerIndex", &THTMLLabel::ContainerIndex, &THTMLLabel::SetContainerIndex, 0)
          .Bool("CheckContainerLinks", &THTMLLabel::CheckContainerLinks,
                &THTMLLabel::SetCheckContainerLinks, true)
          .Event<THTMLLinkClickEvent>("OnLinkClick", &THTMLLabel::OnLinkClick,
                                      &THTMLLabel::SetOnLinkClick)
          .Event<THTMLBitmapNeededEvent>("OnImageNeeded", &THTMLLabel::OnImageNeeded,
                                         &THTMLLabel::SetOnImageNeeded)
          .Event<THTMLImageNeededEvent>("OnImageNeededEx", &THTMLLabel::OnImageNeededEx,
                                        &THTMLLabel::SetOnImageNeededEx)
          .Event<THTMLVariableNeededEvent>("OnVariableNeeded", &THTMLLabel::OnVariableNeeded,
                                           &THTMLLabel::SetOnVariableNeeded)
          .Build();
  return info;
}

THTMLLabel::THTMLLabel(TComponent* owner) : TCustomThemedLabel(owner) {
  FRender = std::make_unique<THTMLRender>();
  FRender->SetOnImageNeeded(THTMLBitmapNeededEvent(
      [this](TObject*, const TUnicodeString& src, TBitmap*& image) {
        image = nullptr;
        if (FOnImageNeeded) FOnImageNeeded(this, src, image);
      },
      this));
  FRender->SetOnImageNeededEx(THTMLImageNeededEvent(
      [this](TObject*, const TUnicodeString& src, TPicture* picture) {
        if (FOnImageNeededEx) FOnImageNeededEx(this, src, picture);
      },
      this));
  FRender->SetOnVariableNeeded(THTMLVariableNeededEvent(
      [this](TObject*, const TUnicodeString& name, TUnicodeString& value) {
        if (FOnVariableNeeded) FOnVariableNeeded(this, name, value);
      },
      this));
  FRender->SetOnChange(TNotifyEvent([this](TObject*) { Invalidate(); }, this));
  FRender->SetControl(this);
  FChangeLink = std::make_unique<THTMLChangeLink>([this] { UpdateDocument(); });
  TCustomThemedLabel::SetAutoSize(true);
}

THTMLLabel::~THTMLLabel() {
  Destroying();
  if (FContainer && FChangeLink->Sender() == FContainer)
    FContainer->UnRegisterChanges(FChangeLink.get());
  FChangeLink.reset();
  FRender->SetControl(nullptr);
  FRender.reset();
}

// ---------------------------------------------------------------------------------------
// Properties

void THTMLLabel::SetIsHTML(bool v) {
  if (v == FIsHTML) return;
  FIsHTML = v;
  UpdateDocument();
}

void THTMLLabel::SetLinkColor(TColor v) {
  if (v == FLinkColor) return;
  FLinkColor = v;
  if (FIsHTML) UpdateDocument();
}

void THTMLLabel::SetLinkStyle(TFontStyles v) {
  if (v == FLinkStyle) return;
  FLinkStyle = v;
  if (FIsHTML) UpdateDocument();
}

void THTMLLabel::SetLinkPopupMenu(TPopupMenu* v) {
  if (v == FLinkPopupMenu) return;
  if (FLinkPopupMenu) FLinkPopupMenu->RemoveFreeNotification(this);
  FLinkPopupMenu = v;
  if (v) v->FreeNotification(this);
}

void THTMLLabel::SetCursor(TCursor v) {
  if (v == FCursor) return;
  FCursor = v;
  TUnicodeString href;
  if (FIsHTML && LinkAt(CursorClientPos(), href))
    TControl::SetCursor(crHandPoint);
  else
    TControl::SetCursor(FCursor);
}

void THTMLLabel::SetContainer(THTMLContainer* v) {
  if (v == FContainer) return;
  if (FContainer) {
    if (FChangeLink->Sender() == FContainer) FContainer->UnRegisterChanges(FChangeLink.get());
    if (!FContainer->IsDestroying()) FContainer->RemoveFreeNotification(this);
  }
  FContainer = v;
  if (v) {
    v->RegisterChanges(FChangeLink.get());
    v->FreeNotification(this);
  }
  UpdateDocument();
}

void THTMLLabel::SetContainerIndex(int v) {
  if (v == FIndex) return;
  FIndex = v;
  if (FContainer) UpdateDocument();
}

void THTMLLabel::SetWordWrap(bool v) {
  if (v == WordWrap()) return;
  TCustomThemedLabel::SetWordWrap(v);
  UpdateDocument();
}

void THTMLLabel::SetAutoSize(bool v) {
  if (v == AutoSize()) return;
  TCustomThemedLabel::SetAutoSize(v);
  UpdateDocument();
  // The fit runs once more against the document just prepared.
  if (FIsHTML && v) AdjustBounds();
}

void THTMLLabel::SetBounds(int left, int top, int width, int height) {
  const int oldWidth = Width();
  TCustomThemedLabel::SetBounds(left, top, width, height);
  // Only the width changes where the lines wrap.
  if (FIsHTML && WordWrap() && !FAlreadyInSetBounds && Width() != oldWidth) UpdateDocument();
}

// ---------------------------------------------------------------------------------------
// Document

bool THTMLLabel::ShowsContainerItem() const {
  return FContainer && FIndex >= 0 && FIndex < FContainer->Count();
}

TUnicodeString THTMLLabel::DisplayText() const {
  if (ShowsContainerItem()) return FContainer->Items(FIndex).Caption;
  return FCaption;
}

TUnicodeString THTMLLabel::PlainText() const {
  if (FIsHTML) return FRender->AsText();
  return FCaption;
}

void THTMLLabel::UpdateDocument() {
  if (IsLoading() || IsDestroying() || !FRender) return;
  if (FIsHTML) {
    THTMLData* data = FRender->Data();
    if (data) {
      const TFont* font = Font();
      data->SetDefaultStyle(font->Style());
      data->SetDefaultFont(font->Name());
      data->SetCharset(font->Charset());
      data->SetDefaultColor(font->Color());
      data->SetDefaultHeight(font->Height());
      data->SetLinkColor(FLinkColor);
      data->SetLinkStyle(FLinkStyle);
    }
    FRender->PrepareText(DisplayText(), Width() - 2 * FBorderWidth, WordWrap());
    FAlreadyInSetBounds = true;
    AdjustBounds();
    FAlreadyInSetBounds = false;
  } else if (AutoSize()) {
    AdjustBounds();
  }
  Invalidate();
}

TRect THTMLLabel::TextRect() {
  if (FIsHTML) {
    const TSize s = FRender->Data() ? FRender->Data()->TextSize() : TSize{};
    return Rect(0, 0, s.cx, s.cy);
  }
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  TRect r;
  UINT flags = DT_CALCRECT | DT_EXPANDTABS;
  if (WordWrap()) flags |= DT_WORDBREAK;
  canvas->DrawText(r, DisplayText(), DrawTextBiDiModeFlags(flags));
  return r;
}

void THTMLLabel::AdjustBounds() {
  if (!AutoSize() || IsLoading()) return;
  const int bw = FBorderWidth;
  if (FIsHTML) {
    THTMLData* data = FRender->Data();
    if (data && data->TextSize().cx == 0 && !FAlreadyInSetBounds) UpdateDocument();
    const TSize s = FRender->Data() ? FRender->Data()->TextSize() : TSize{};
    // The label fits itself to its document; re-wrapping to that width changes nothing.
    const bool guard = FAlreadyInSetBounds;
    FAlreadyInSetBounds = true;
    SetBounds(Left(), Top(), s.cx + 2 * bw, s.cy + 2 * bw);
    FAlreadyInSetBounds = guard;
    return;
  }
  TRect r = ClientRect();
  UINT flags = DT_CALCRECT | DT_EXPANDTABS;
  if (WordWrap()) flags |= DT_WORDBREAK;
  DoDrawText(r, flags);
  int w = RectWidth(r), h = RectHeight(r);
  if (bw > 0) w += 2 * bw, h += 2 * bw;
  int left = Left();
  if (Alignment() == taRightJustify) left += Width() - w;
  SetBounds(left, Top(), w, h);
}

void THTMLLabel::DoDrawText(TRect& rect, UINT flags) {
  TUnicodeString text = DisplayText();
  const bool calc = (flags & DT_CALCRECT) != 0;
  if (!calc && !Visible()) return;
  if (calc && (text.empty() || (ShowAccelChar() && text == u"&"))) text += u' ';
  if (!ShowAccelChar()) flags |= DT_NOPREFIX;
  if (FEndEllipsis) flags |= DT_END_ELLIPSIS;
  flags = DrawTextBiDiModeFlags(flags);
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  if (calc || Enabled()) {
    canvas->DrawText(rect, text, flags);
    return;
  }
  // The engraved look of disabled text.
  TRect r = rect;
  OffsetRect(&r, 1, 1);
  canvas->Font()->SetColor(clBtnHighlight);
  canvas->DrawText(r, text, flags);
  r = rect;
  canvas->Font()->SetColor(clBtnShadow);
  canvas->DrawText(r, text, flags);
}

// ---------------------------------------------------------------------------------------
// Painting

TRect THTMLLabel::DocumentRect() const {
  const TRect client = ClientRect();
  const int CW = RectWidth(client), CH = RectHeight(client), bw = FBorderWidth;
  const TSize s = FRender->Data() ? FRender->Data()->TextSize() : TSize{};
  TRect r = Rect(bw, bw, CW - bw, CH - bw);
  switch (Layout()) {
    case tlBottom:
      r.top = r.bottom - s.cy - 1;
      break;
    case tlCenter:
      r = CenterRect(CW - 2 * bw, CW - 2 * bw, s.cy, CH - 2 * bw);
      OffsetRect(&r, bw, bw);
      break;
    default:
      break;
  }
  switch (Alignment()) {
    case taRightJustify:
      r.right = CW - bw;
      r.left = r.right - s.cx;
      break;
    case taCenter:
      r.left = (CW - s.cx) / 2;
      r.right = r.left + s.cx;
      break;
    default:
      break;
  }
  return r;
}

void THTMLLabel::Paint() {
  if (FIsHTML)
    PaintHTML();
  else
    PaintPlain();
}

void THTMLLabel::PaintHTML() {
  TCanvas* canvas = Canvas();
  const TRect client = ClientRect();
  if (Themed()) {
    // The parent paints its own background into the label's area; the label is then
    // see-through whatever Transparent says.
    if (Parent() && Parent()->HandleAllocated()) {
      HDC dc = canvas->Handle();
      POINT oldOrg;
      const int oldMode = SetMapMode(dc, MM_ANISOTROPIC);
      OffsetViewportOrgEx(dc, -Left(), -Top(), &oldOrg);
      SendMessageW(Parent()->Handle(), WM_ERASEBKGND, WPARAM(dc), 0);
      SetViewportOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
      SetMapMode(dc, oldMode);
    }
  } else if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
  }
  canvas->Brush()->SetStyle(bsClear);

  const TRect r = DocumentRect();
  const int w = RectWidth(r), h = RectHeight(r);
  if (w <= 0 || h <= 0) return;
  // The document is drawn on a copy of what lies under it, so the background shows
  // behind the text and nothing the engine draws outside r reaches the screen.
  TBitmap bitmap(w, h);
  HDC src = canvas->Handle();
  HDC dst = bitmap.Canvas()->Handle();
  BitBlt(dst, 0, 0, w, h, src, r.left, r.top, SRCCOPY);
  const TRect target = Rect(0, 0, w, h);
  if (Enabled())
    FRender->DrawText(bitmap.Canvas(), Point(0, 0), target, clNone);
  else
    FRender->DrawTextEx(bitmap.Canvas(), Point(0, 0), target, true, clGrayText, clNone, clNone,
                        clNone, clBlack);
  BitBlt(src, r.left, r.top, w, h, dst, 0, 0, SRCCOPY);
}

void THTMLLabel::PaintPlain() {
  TCanvas* canvas = Canvas();
  const TRect client = ClientRect();
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
  }
  canvas->Brush()->SetStyle(bsClear);
  const int bw = FBorderWidth;
  TRect r = Rect(client.left + bw, client.top + bw, client.right - bw, client.bottom - bw);
  UINT flags = DT_EXPANDTABS;
  if (WordWrap()) flags |= DT_WORDBREAK;
  if (Alignment() == taRightJustify) flags |= DT_RIGHT;
  if (Alignment() == taCenter) flags |= DT_CENTER;
  if (!ShowAccelChar()) flags |= DT_NOPREFIX;
  if (Layout() != tlTop) {
    TRect m = client;
    DoDrawText(m, flags | DT_CALCRECT);
    if (Layout() == tlBottom) {
      r.top = r.bottom - m.bottom;
    } else {
      r.top = r.top + (r.bottom - r.top - m.bottom) / 2;
      r.bottom = r.top + m.bottom;
    }
  }
  // Through the text primitive, so EndEllipsis and the disabled look apply here too.
  DoDrawText(r, flags);
}

// ---------------------------------------------------------------------------------------
// Mouse

TPoint THTMLLabel::CursorClientPos() const {
  POINT p{};
  GetCursorPos(&p);
  return ScreenToClient(p);
}

bool THTMLLabel::LinkAt(TPoint client, TUnicodeString& href) const {
  href.clear();
  if (!FIsHTML || !FRender->Data()) return false;
  // Hit-tested where painting put the document.
  const TRect r = DocumentRect();
  if (RectWidth(r) <= 0) return false;
  return FRender->IsCursorOverLink(Point(client.x - r.left, client.y - r.top), Point(0, 0), r,
                                   href);
}

void THTMLLabel::MouseMove(TShiftState shift, int x, int y) {
  if (FIsHTML) {
    TUnicodeString href;
    if (LinkAt(Point(x, y), href)) {
      TControl::SetCursor(crHandPoint);
    } else {
      TControl::SetCursor(FCursor);
      const TRect r = DocumentRect();
      if (RectWidth(r) > 0) FRender->MouseMoveTransfer(shift, x - r.left, y - r.top, r);
    }
  }
  TCustomThemedLabel::MouseMove(shift, x, y);
}

void THTMLLabel::MouseLeave() {
  TControl::SetCursor(FCursor);
  TCustomThemedLabel::MouseLeave();
}

void THTMLLabel::Click() {
  if (!FIsHTML) {
    TCustomThemedLabel::Click();
    return;
  }
  const TPoint p = CursorClientPos();
  TUnicodeString href;
  if (LinkAt(p, href)) {
    LinkClicked(href);
    return;
  }
  const TRect r = DocumentRect();
  if (RectWidth(r) > 0) FRender->ClickTransfer(p.x - r.left, p.y - r.top, r);
}

void THTMLLabel::LinkClicked(const TUnicodeString& href) {
  if (FCheck && ShowsContainerItem()) {
    const int index = FContainer->IndexOfName(kx::Utf16ToUtf8(href));
    if (index >= 0) {
      SetContainerIndex(index);
      return;
    }
  }
  if (FOnLinkClick) FOnLinkClick(this, href);
}

void THTMLLabel::PopupLinkMenu(TPoint screen) {
  if (!FLinkPopupMenu || !FLinkPopupMenu->AutoPopup()) return;
  if (MouseCapture()) SetMouseCapture(false);
  Perform(CM_CANCELMODE);
  FLinkPopupMenu->SetPopupComponent(this);
  if (screen.x < 0) screen = ClientToScreen(Point(0, 0));
  FLinkPopupMenu->Popup(screen.x, screen.y);
}

void THTMLLabel::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_RBUTTONUP:
      if (FIsHTML && FLinkPopupMenu) {
        const TPoint p = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        TUnicodeString href;
        if (LinkAt(p, href)) {
          MouseUp(mbRight, MouseShiftState(message.WParam), p.x, p.y);
          PopupLinkMenu(ClientToScreen(p));
          message.Result = 0;
          return;
        }
      }
      break;
    case WM_CONTEXTMENU:
      if (message.Result == 0 && FIsHTML && FLinkPopupMenu) {
        TPoint screen = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        if (screen.x == -1 && screen.y == -1) screen = ClientToScreen(Point(0, 0));
        const TPoint p = ScreenToClient(screen);
        TUnicodeString href;
        if (LinkAt(p, href)) {
          bool handled = false;
          DoContextPopup(p, handled);
          message.Result = handled ? 1 : 0;
          if (!handled) {
            PopupLinkMenu(screen);
            message.Result = 1;
          }
          return;
        }
      }
      break;
    default:
      break;
  }
  TCustomThemedLabel::WndProc(message);
}

// ---------------------------------------------------------------------------------------
// Change hooks

void THTMLLabel::TextChanged() {
  TCustomThemedLabel::TextChanged();
  if (FIsHTML) UpdateDocument();
}

void THTMLLabel::FontChanged() {
  TCustomThemedLabel::FontChanged();
  UpdateDocument();
}

void THTMLLabel::EnabledChanged() {
  TCustomThemedLabel::EnabledChanged();
  UpdateDocument();
}

void THTMLLabel::Loaded() {
  TCustomThemedLabel::Loaded();
  UpdateDocument();
}

void THTMLLabel::Notification(TComponent* component, TOperation operation) {
  TCustomThemedLabel::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FLinkPopupMenu) FLinkPopupMenu = nullptr;
  if (component == FContainer) SetContainer(nullptr);
}
