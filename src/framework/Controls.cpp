#include "framework/Controls.h"

#include <algorithm>

#include "framework/Forms.h"
#include "framework/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace {

// The control that holds the mouse capture (a windowless one captures through its
// parent's window), and the control the mouse is over (for enter and leave).
TControl* gCaptureControl = nullptr;
TControl* gMouseControl = nullptr;

// Nesting depth of window procedures; device contexts acquired by control canvases
// outside painting are released when the outermost message has been handled.
int gDispatchDepth = 0;

// A canvas that acquires a device context on demand: the parent window's client DC moved
// to the control's origin and clipped to its bounds (windowless), the control's own
// client DC (windowed), or a memory DC for measuring when there is no window yet.
class TControlCanvas final : public TCanvas {
 public:
  explicit TControlCanvas(TControl* control) : FControl(control) {}
  ~TControlCanvas() override { FreeHandle(); }

  // Releases an acquired device context (a handle set from outside is only dropped).
  void FreeHandle() {
    if (FAcquired) {
      HDC dc = FAcquired;
      HWND wnd = FWnd;
      FAcquired = nullptr;
      FWnd = nullptr;
      SetHandle(nullptr);
      if (wnd && IsWindow(wnd))
        ReleaseDC(wnd, dc);
      else if (!wnd)
        DeleteDC(dc);
      std::erase(Acquired(), this);
    } else if (HandleAllocated()) {
      SetHandle(nullptr);
    }
  }

  // Paint: draws into the given DC until EndPaint.
  void BeginPaint(HDC dc) {
    FreeHandle();
    SetHandle(dc);
  }
  void EndPaint() { SetHandle(nullptr); }

  static void FreeAll() {
    std::vector<TControlCanvas*> list = Acquired();
    for (TControlCanvas* c : list)
      c->FreeHandle();
  }
  // Releases the device contexts that belong to a window about to be destroyed.
  static void FreeForWindow(HWND wnd) {
    std::vector<TControlCanvas*> list = Acquired();
    for (TControlCanvas* c : list)
      if (c->FWnd == wnd) c->FreeHandle();
  }

 protected:
  void CreateHandle() override {
    HWND wnd = nullptr;
    bool windowless = false;
    // Never creates a window: without one the canvas measures on a memory DC.
    if (auto* wc = dynamic_cast<const TWinControl*>(FControl)) {
      wnd = wc->Handle();
    } else if (const TWinControl* parent = FControl->Parent()) {
      wnd = parent->Handle();
      windowless = true;
    }
    HDC dc = nullptr;
    if (wnd) dc = GetDC(wnd);
    if (dc) {
      if (windowless) {
        SetViewportOrgEx(dc, FControl->Left(), FControl->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, FControl->Width(), FControl->Height());
      }
      FWnd = wnd;
    } else {
      dc = CreateCompatibleDC(nullptr);
      FWnd = nullptr;
    }
    if (!dc) return;
    FAcquired = dc;
    Acquired().push_back(this);
    SetHandle(dc);
  }

 private:
  static std::vector<TControlCanvas*>& Acquired() {
    static std::vector<TControlCanvas*> list;
    return list;
  }
  TControl* FControl;
  HDC FAcquired = nullptr;
  HWND FWnd = nullptr;
};

TControlCanvas* AsControlCanvas(TCanvas* c) {
  return static_cast<TControlCanvas*>(c);
}

int CursorToIdc(TCursor c) {
  switch (c) {
    case crIBeam:
      return IDC_IBEAM;
    case crHandPoint:
      return IDC_HAND;
    case crHourGlass:
      return IDC_WAIT;
    case crCross:
      return IDC_CROSS;
    case crNo:
      return IDC_NO;
    case crSizeAll:
      return IDC_SIZEALL;
    default:
      return IDC_ARROW;
  }
}

bool IsMouseMessage(UINT msg) {
  return (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONUP) || msg == WM_MOUSEWHEEL;
}

bool PointIn(const TRect& r, TPoint p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The control under a screen point: the windowed control whose window is there, or the
// topmost windowless child of it under the point.
TControl* ControlAtScreenPoint(POINT screen) {
  HWND wnd = WindowFromPoint(screen);
  TWinControl* wc = nullptr;
  while (wnd && !(wc = TWinControl::FindControl(wnd)))
    wnd = GetParent(wnd);
  if (!wc) return nullptr;
  POINT p = screen;
  ScreenToClient(wc->Handle(), &p);
  TControl* c = wc->ControlAtPos(p, false, false);
  return c ? c : wc;
}

void SetMouseControl(TControl* c) {
  if (c == gMouseControl) return;
  TControl* old = gMouseControl;
  gMouseControl = c;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (c && gMouseControl == c) c->Perform(CM_MOUSEENTER);
}

void ApplyCursor(TControl* c) {
  TCursor cur = Screen ? Screen->Cursor() : crDefault;
  if (cur == crDefault && c) cur = c->Cursor();
  ::SetCursor(TScreen::Cursors(cur));
}

}  // namespace

// =======================================================================================
// TControl

const TClassInfo* TControl::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TControl>("TControl", TComponent::StaticClass())
          .Integer("Left", &TControl::Left, &TControl::SetLeft)
          .Integer("Top", &TControl::Top, &TControl::SetTop)
          .Integer("Width", &TControl::Width, &TControl::SetWidth)
          .Integer("Height", &TControl::Height, &TControl::SetHeight)
          .Enum("Align", &TControl::Align, &TControl::SetAlign, AlignInfo(), alNone)
          .Set("Anchors", &TControl::Anchors, &TControl::SetAnchors, AnchorKindInfo(),
               DefaultAnchors)
          .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
          .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
          .Color("Color", &TControl::Color, &TControl::SetColor)
          .Stored([](const TControl& c) { return !c.ParentColor(); })
          .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
          .Object("Font", &TControl::Font)
          .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
          .Integer("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault, CursorIdents())
          .String("Hint", &TControl::Hint, &TControl::SetHint, u"")
          .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
          .Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
          .Component("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
          .Event<TNotifyEvent>("OnClick", &TControl::OnClick, &TControl::SetOnClick)
          .Event<TNotifyEvent>("OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick)
          .Event<TMouseEvent>("OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown)
          .Event<TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove)
          .Event<TMouseEvent>("OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp)
          .Event<TNotifyEvent>("OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter)
          .Event<TNotifyEvent>("OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave)
          .Event<TNotifyEvent>("OnResize", &TControl::OnResize, &TControl::SetOnResize)
          .Event<TContextPopupEvent>("OnContextPopup", &TControl::OnContextPopup,
                                     &TControl::SetOnContextPopup)
          .Build();
  return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  FFont = new TFont();
  FFont->SetOnChange(TNotifyEvent::Bind(this, &TControl::FontChangeHandler));
  FParentColor = true;
}

TControl::~TControl() {
  Destroying();
  if (gMouseControl == this) gMouseControl = nullptr;
  if (gCaptureControl == this) {
    gCaptureControl = nullptr;
    ReleaseCapture();
  }
  if (FParent) FParent->RemoveControl(this);
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  delete FFont;
  FFont = nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  bool moved = left != FLeft || top != FTop;
  bool sized = width != FWidth || height != FHeight;
  if (moved || sized) {
    Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    Invalidate();
    if (sized) Resize();
    RequestAlign();
  }
  if (!FAnchoring && !(FParent && FParent->FAligningNow)) UpdateAnchorRules();
}

TRect TControl::ClientRect() const {
  return Rect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(int v) {
  SetWidth(v + (FWidth - ClientWidth()));
}
void TControl::SetClientHeight(int v) {
  SetHeight(v + (FHeight - ClientHeight()));
}

TPoint TControl::ClientOrigin() const {
  if (!FParent) return Point(FLeft, FTop);
  TPoint p = FParent->ClientOrigin();
  return Point(p.x + FLeft, p.y + FTop);
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = ClientOrigin();
  return Point(p.x + o.x, p.y + o.y);
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = ClientOrigin();
  return Point(p.x - o.x, p.y - o.y);
}

void TControl::SetAlign(TAlign v) {
  if (v == FAlign) return;
  FAlign = v;
  if (FParent) FParent->DoAlign(this);
}

void TControl::SetAnchors(TAnchors v) {
  if (v == FAnchors) return;
  FAnchors = v;
  UpdateAnchorRules();
}

void TControl::SetVisible(bool v) {
  if (v == FVisible) return;
  if (!v) Invalidate();
  FVisible = v;
  Perform(CM_VISIBLECHANGED, v);
  if (FParent && FAlign != alNone) FParent->DoAlign(this);
}

bool TControl::Showing() const {
  const TControl* c = this;
  while (c) {
    if (!c->FVisible) return false;
    if (!c->FParent) return dynamic_cast<const TCustomForm*>(c) != nullptr;
    c = c->FParent;
  }
  return false;
}

void TControl::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v) {
  if (v == FParentColor) return;
  FParentColor = v;
  if (v && FParent) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetFont(const TFont* v) {
  if (v) FFont->Assign(v);
}

void TControl::SetParentFont(bool v) {
  if (v == FParentFont) return;
  FParentFont = v;
  if (v && FParent) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontChangeHandler(TObject*) {
  if (!FInFontChange) FParentFont = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetCursor(TCursor v) {
  if (v == FCursor) return;
  FCursor = v;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetShowHint(bool v) {
  FShowHint = v;
  FParentShowHint = false;
}

void TControl::SetParentShowHint(bool v) {
  FParentShowHint = v;
  if (v && FParent) FShowHint = FParent->ShowHint();
}

void TControl::SetPopupMenu(TPopupMenu* v) {
  if (v == FPopupMenu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = v;
  if (v) v->FreeNotification(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (static_cast<TControl*>(parent) == this) return;
  if (parent && dynamic_cast<TWinControl*>(this) &&
      static_cast<TWinControl*>(this)->ContainsControl(parent))
    return;  // a control cannot become the child of its own descendant
  if (FParent) FParent->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetText(const TUnicodeString& v) {
  if (v == FText) return;
  FText = v;
  Perform(CM_TEXTCHANGED);
}

bool TControl::MouseCapture() const {
  return gCaptureControl == this;
}

void TControl::SetMouseCapture(bool v) {
  if (v) {
    HWND wnd = nullptr;
    if (auto* wc = dynamic_cast<TWinControl*>(this))
      wnd = wc->FHandle;
    else if (FParent)
      wnd = FParent->FHandle;
    if (!wnd) return;
    gCaptureControl = this;
    ::SetCapture(wnd);
    gCaptureControl = this;  // SetCapture's WM_CAPTURECHANGED to the old holder cleared it
  } else if (gCaptureControl == this) {
    gCaptureControl = nullptr;
    ReleaseCapture();
  }
}

void TControl::Invalidate() {
  if (!FParent || !FVisible) return;
  HWND wnd = FParent->FHandle;
  if (!wnd) return;
  RECT r = BoundsRect();
  InvalidateRect(wnd, &r, TRUE);
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  list.push_back(this);
  if (auto* wc = dynamic_cast<TWinControl*>(this)) {
    if (wc->HandleAllocated())
      SetWindowPos(wc->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  list.insert(list.begin(), this);
  if (auto* wc = dynamic_cast<TWinControl*>(this)) {
    if (wc->HandleAllocated())
      SetWindowPos(wc->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) {
  if (IsMouseMessage(message.Msg) || message.Msg == WM_LBUTTONDBLCLK ||
      message.Msg == WM_RBUTTONDBLCLK) {
    HandleMouse(message);
    return;
  }
  switch (message.Msg) {
    case CM_ENABLEDCHANGED:
      EnabledChanged();
      return;
    case CM_FONTCHANGED:
      FontChanged();
      return;
    case CM_COLORCHANGED:
      ColorChanged();
      return;
    case CM_TEXTCHANGED:
      TextChanged();
      return;
    case CM_VISIBLECHANGED:
      VisibleChanged();
      return;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      return;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      return;
    case CM_CURSORCHANGED:
      if (gMouseControl == this) ApplyCursor(this);
      return;
    case CM_MOUSEENTER:
      FMouseInClient = true;
      MouseEnter();
      return;
    case CM_MOUSELEAVE:
      FMouseInClient = false;
      MouseLeave();
      return;
    case WM_CONTEXTMENU: {
      if (message.Result) return;
      TPoint screen = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
      bool keyboard = screen.x == -1 && screen.y == -1;
      TPoint client = keyboard ? Point(-1, -1) : ScreenToClient(screen);
      bool handled = false;
      DoContextPopup(client, handled);
      if (handled) {
        message.Result = 1;
        return;
      }
      if (FPopupMenu && FPopupMenu->AutoPopup()) {
        if (keyboard) screen = ClientToScreen(Point(0, 0));
        FPopupMenu->SetPopupComponent(this);
        FPopupMenu->Popup(screen.x, screen.y);
        message.Result = 1;
        return;
      }
      if (!dynamic_cast<TWinControl*>(this) && FParent) {
        message.Result = FParent->Perform(WM_CONTEXTMENU, message.WParam, message.LParam);
        return;
      }
      break;
    }
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      FPressed = false;
      if (gCaptureControl == this) SetMouseCapture(false);
      return;
    default:
      break;
  }
  DefaultHandler(message);
}

void TControl::HandleMouse(TMessage& message) {
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  const TShiftState shift = MouseShiftState(message.WParam);
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
      if (FControlStyle & csClickEvents) FPressed = true;
      if (message.Msg == WM_LBUTTONDBLCLK && (FControlStyle & csDoubleClicks)) {
        DblClick();
        MouseDown(mbLeft, shift | ShiftBit(ssDouble), x, y);
      } else {
        MouseDown(mbLeft, shift, x, y);
      }
      return;
    }
    case WM_LBUTTONUP: {
      bool pressed = FPressed;
      FPressed = false;
      if (FControlStyle & csCaptureMouse) SetMouseCapture(false);
      // Click may run a nested message loop or free the control: keep it last but one
      // and touch nothing of the object after MouseUp.
      if (pressed && PointIn(ClientRect(), Point(x, y))) Click();
      MouseUp(mbLeft, shift, x, y);
      return;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, shift, x, y);
      return;
    case WM_RBUTTONUP: {
      MouseUp(mbRight, shift, x, y);
      TPoint s = ClientToScreen(Point(x, y));
      Perform(WM_CONTEXTMENU, 0, MAKELPARAM(s.x, s.y));
      return;
    }
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift, x, y);
      return;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift, x, y);
      return;
    default:
      DefaultHandler(message);
      return;
  }
}

void TControl::DefaultHandler(TMessage&) {}

HWND TControl::PaintWindowHandle() const {
  return FParent ? FParent->FHandle : nullptr;
}

TShiftState TControl::MouseShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ShiftBit(ssShift);
  if (keys & MK_CONTROL) s |= ShiftBit(ssCtrl);
  if (keys & MK_LBUTTON) s |= ShiftBit(ssLeft);
  if (keys & MK_RBUTTON) s |= ShiftBit(ssRight);
  if (keys & MK_MBUTTON) s |= ShiftBit(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s |= ShiftBit(ssAlt);
  return s;
}

TShiftState TControl::KeyShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ShiftBit(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s |= ShiftBit(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s |= ShiftBit(ssAlt);
  return s;
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* wc = dynamic_cast<TWinControl*>(parent)) SetParent(wc);
}

TComponent* TControl::GetParentComponent() const {
  return FParent;
}
bool TControl::HasParent() const {
  return true;
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParent) {
    if (FParentColor) Perform(CM_PARENTCOLORCHANGED);
    if (FParentFont) Perform(CM_PARENTFONTCHANGED);
  }
  UpdateAnchorRules();
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Click() {
  FOnClick(this);
}
void TControl::DblClick() {
  FOnDblClick(this);
}
void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  FOnMouseDown(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  FOnMouseMove(this, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  FOnMouseUp(this, button, shift, x, y);
}
void TControl::MouseEnter() {
  FOnMouseEnter(this);
}
void TControl::MouseLeave() {
  FOnMouseLeave(this);
}
void TControl::DoContextPopup(TPoint mousePos, bool& handled) {
  FOnContextPopup(this, mousePos, handled);
}
void TControl::Resize() {
  FOnResize(this);
}

void TControl::EnabledChanged() {
  Invalidate();
}
void TControl::FontChanged() {
  Invalidate();
  if (FAutoSize) AdjustSize();
}
void TControl::ColorChanged() {
  Invalidate();
}
void TControl::TextChanged() {
  Invalidate();
  if (FAutoSize) AdjustSize();
}
void TControl::VisibleChanged() {
  Invalidate();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || !FParent) return;
  TColor c = FParent->Color();
  if (c != FColor) {
    FColor = c;
    Perform(CM_COLORCHANGED);
  }
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FInFontChange = true;
  FFont->Assign(FParent->Font());
  FInFontChange = false;
}

void TControl::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  if (v) AdjustSize();
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone) FParent->DoAlign(this);
}

void TControl::UpdateAnchorRules() {
  if (!FParent) {
    FAnchorRulesValid = false;
    return;
  }
  TRect pc = FParent->ClientRect();
  FAnchorBounds = BoundsRect();
  FAnchorParentSize = TSize{RectWidth(pc), RectHeight(pc)};
  FAnchorRulesValid = true;
}

void TControl::AnchorTo(int parentWidth, int parentHeight) {
  if (!FAnchorRulesValid || FAlign != alNone) return;
  const int dx = parentWidth - FAnchorParentSize.cx;
  const int dy = parentHeight - FAnchorParentSize.cy;
  int l = FAnchorBounds.left, t = FAnchorBounds.top;
  int w = RectWidth(FAnchorBounds), h = RectHeight(FAnchorBounds);
  const bool left = FAnchors & AnchorBit(akLeft), right = FAnchors & AnchorBit(akRight);
  const bool top = FAnchors & AnchorBit(akTop), bottom = FAnchors & AnchorBit(akBottom);
  if (right) {
    if (left)
      w += dx;
    else
      l += dx;
  } else if (!left) {
    l += dx / 2;
  }
  if (bottom) {
    if (top)
      h += dy;
    else
      t += dy;
  } else if (!top) {
    t += dy / 2;
  }
  FAnchoring = true;
  SetBounds(l, t, std::max(w, 0), std::max(h, 0));
  FAnchoring = false;
}

// =======================================================================================
// TGraphicControl

const TClassInfo* TGraphicControl::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TGraphicControl>("TGraphicControl", TControl::StaticClass()).Build();
  return info;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
  FCanvas = new TControlCanvas(this);
}

TGraphicControl::~TGraphicControl() {
  delete FCanvas;
  FCanvas = nullptr;
}

TCanvas* TGraphicControl::Canvas() const {
  return FCanvas;
}

void TGraphicControl::PaintOn(HDC dc) {
  TControlCanvas* c = AsControlCanvas(FCanvas);
  c->BeginPaint(dc);
  Paint();
  c->EndPaint();
}

void TGraphicControl::WndProc(TMessage& message) {
  TControl::WndProc(message);
}

// =======================================================================================
// TWinControl

const TClassInfo* TWinControl::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TWinControl>("TWinControl", TControl::StaticClass())
          .Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
          .Stored([](const TWinControl& c) { return c.TabOrder() >= 0; })
          .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
          .Bool("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered,
                false)
          .Event<TNotifyEvent>("OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter)
          .Event<TNotifyEvent>("OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit)
          .Event<TKeyEvent>("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown)
          .Event<TKeyEvent>("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp)
          .Event<TKeyPressEvent>("OnKeyPress", &TWinControl::OnKeyPress,
                                 &TWinControl::SetOnKeyPress)
          .Build();
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  Destroying();
  // Children stay alive (their owner frees them) but lose their parent and windows.
  std::vector<TControl*> children = FControls;
  for (TControl* c : children) {
    if (auto* wc = dynamic_cast<TWinControl*>(c)) wc->DestroyHandleTree();
    c->FParent = nullptr;
    c->FAnchorRulesValid = false;
  }
  FControls.clear();
  FTabList.clear();
  if (gMouseControl && ContainsControl(gMouseControl)) gMouseControl = nullptr;
  if (gCaptureControl == this) {
    gCaptureControl = nullptr;
    ReleaseCapture();
  }
  if (gMouseControl == this) gMouseControl = nullptr;
  if (TCustomForm* form = GetParentForm(this)) {
    if (form != static_cast<TControl*>(this) && form->FActiveControl == this)
      form->FActiveControl = nullptr;
  }
  DestroyHandleTree();
  if (FParent) FParent->RemoveControl(this);
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle || FDestroyingHandle) return;
  if (FParent) {
    FParent->HandleNeeded();
    // Creating the parent's window creates its children's, this one's included.
    if (!FParent->FHandle || FHandle) return;
  } else if (!dynamic_cast<TCustomForm*>(this)) {
    return;  // a child control without a parent has no window
  }
  CreateWnd();
  if (!FHandle) return;
  UpdateZOrder();
  CreateHandleTree();
  TRect cr = ClientRect();
  FLastClientSize = TSize{RectWidth(cr), RectHeight(cr)};
  DoAlign(nullptr);
}

void TWinControl::CreateHandleTree() {
  for (TControl* c : FControls)
    if (auto* wc = dynamic_cast<TWinControl*>(c)) wc->HandleNeeded();
}

void TWinControl::DestroyHandleTree() {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (auto* wc = dynamic_cast<TWinControl*>(*it)) wc->DestroyHandleTree();
  if (FHandle) DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  bool focused = Focused();
  DestroyHandleTree();
  HandleNeeded();
  if (focused && FHandle) ::SetFocus(FHandle);
}

TWinControl* TWinControl::FindControl(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd) || GetWindowProc(hwnd) != &TWinControl::WindowProcedure)
    return nullptr;
  return static_cast<TWinControl*>(GetWindowUserData(hwnd));
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (FVisible) params.Style |= WS_VISIBLE;
  if (!FEnabled) params.Style |= WS_DISABLED;
  if (FTabStop) params.Style |= WS_TABSTOP;
  params.ExStyle = 0;
  params.X = FLeft;
  params.Y = FTop;
  params.Width = FWidth;
  params.Height = FHeight;
  params.WndParent = FParent ? FParent->FHandle : nullptr;
  params.Caption = Text();
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent) return;
  HWND h = CreateWindowExW(p.ExStyle, p.Style, p.X, p.Y, p.Width, p.Height, p.WndParent,
                           &TWinControl::WindowProcedure, static_cast<void*>(this));
  FHandle = h;
  if (h && !p.Caption.empty()) SetWindowTextW(h, p.Caption.c_str());
}

void TWinControl::DestroyWnd() {
  HWND h = FHandle;
  if (!h) return;
  FDestroyingHandle = true;
  if (gCaptureControl && (gCaptureControl == this || gCaptureControl->FParent == this))
    gCaptureControl = nullptr;
  TControlCanvas::FreeForWindow(h);
  SetWindowUserData(h, nullptr);
  DestroyWindow(h);
  FHandle = nullptr;
  FDestroyingHandle = false;
}

void TWinControl::UpdateZOrder() {
  if (!FParent || !FHandle) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), static_cast<TControl*>(this));
  if (it == list.end()) return;
  for (++it; it != list.end(); ++it) {
    auto* wc = dynamic_cast<TWinControl*>(*it);
    if (wc && wc->FHandle) {
      // Just below the next later sibling that has a window.
      SetWindowPos(FHandle, wc->FHandle, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
      return;
    }
  }
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->FParent == this) return;
  control->FParent = this;
  FControls.push_back(control);
  if (auto* wc = dynamic_cast<TWinControl*>(control)) FTabList.push_back(wc);
  if (control->FParentColor) control->Perform(CM_PARENTCOLORCHANGED);
  if (control->FParentFont) control->Perform(CM_PARENTFONTCHANGED);
  if (control->FParentShowHint) control->FShowHint = FShowHint;
  control->UpdateAnchorRules();
  if (control->FAlign != alNone) DoAlign(control);
  control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(FControls.begin(), FControls.end(), control);
  if (it == FControls.end()) return;
  // Invalidate the area without calling into the control (it may be half destroyed).
  if (FHandle && control->FVisible) {
    RECT r = Bounds(control->FLeft, control->FTop, control->FWidth, control->FHeight);
    InvalidateRect(FHandle, &r, TRUE);
  }
  if (gMouseControl == control) gMouseControl = nullptr;
  if (gCaptureControl == control) {
    gCaptureControl = nullptr;
    ReleaseCapture();
  }
  FControls.erase(it);
  std::erase_if(FTabList,
                [control](TWinControl* w) { return static_cast<TControl*>(w) == control; });
  control->FParent = nullptr;
  control->FAnchorRulesValid = false;
  for (TControl* p = this; p; p = p->FParent) {
    if (auto* form = dynamic_cast<TCustomForm*>(p)) {
      if (form->FActiveControl && (static_cast<TControl*>(form->FActiveControl) == control))
        form->FActiveControl = nullptr;
    }
  }
  if (control->FAlign != alNone) DoAlign(nullptr);
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->FParent)
    if (c->FParent == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!allowWinControls && dynamic_cast<TWinControl*>(c)) continue;
    if (!c->FVisible || (!allowDisabled && !c->FEnabled)) continue;
    if (PointIn(c->BoundsRect(), pos)) return c;
  }
  if (allowWinControls) return nullptr;
  return nullptr;
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  const auto& list = FParent->FTabList;
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == this) return int(i);
  return -1;
}

void TWinControl::SetTabOrder(int v) {
  if (IsLoading()) FTabOrderWanted = v;
  if (!FParent) return;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (v < 0) v = 0;
  if (v > int(list.size())) v = int(list.size());
  list.insert(list.begin() + v, this);
}

void TWinControl::SetTabStop(bool v) {
  if (v == FTabStop) return;
  FTabStop = v;
  if (FHandle) {
    LONG style = GetWindowLongW(FHandle, GWL_STYLE);
    style = v ? (style | LONG(WS_TABSTOP)) : (style & ~LONG(WS_TABSTOP));
    SetWindowLongW(FHandle, GWL_STYLE, style);
  }
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->FParent)
    if (!c->FVisible || !c->FEnabled) return false;
  return GetParentForm(this) != nullptr;
}

bool TWinControl::Focused() const {
  return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) return;
  if (TCustomForm* form = GetParentForm(this)) {
    if (form != static_cast<TControl*>(this)) form->FActiveControl = this;
  }
  HWND h = Handle();
  if (h) ::SetFocus(h);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : FTabList) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int n = int(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[size_t(i)] == current) start = i;
  if (start < 0) start = goForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = goForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[size_t(i)];
    if (c == current) continue;
    if (checkTabStop && !c->FTabStop) continue;
    if (checkParent && c->FParent != this) continue;
    if (c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, goForward, checkTabStop, false);
  if (next) next->SetFocus();
}

void TWinControl::DisableAlign() {
  ++FAlignLevel;
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0 && --FAlignLevel == 0 && FAlignPending) DoAlign(nullptr);
}

void TWinControl::Realign() {
  DoAlign(nullptr);
}

void TWinControl::DoAlign(TControl* control) {
  // Nothing to place: no children (as during construction, where AdjustClientRect of a
  // subclass must not run before its fields exist) or the control is going away.
  if (FControls.empty() || IsDestroying()) return;
  if (FAlignLevel > 0 || FAligningNow || IsLoading()) {
    FAlignPending = true;
    return;
  }
  FAlignPending = false;
  TRect r = ClientRect();
  AdjustClientRect(r);
  FAligningNow = true;
  AlignControls(control, r);
  FAligningNow = false;
}

void TWinControl::AlignControls(TControl*, TRect& rect) {
  // Anchored children first: they keep their distances to the edges they are anchored to.
  TRect cr = ClientRect();
  for (TControl* c : FControls)
    if (c->FAlign == alNone) c->AnchorTo(RectWidth(cr), RectHeight(cr));
  static constexpr TAlign kOrder[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : kOrder) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->FAlign == a && c->FVisible) list.push_back(c);
    // Within one kind, the order on screen decides (stable for equal positions).
    std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
      switch (a) {
        case alTop:
          return x->FTop < y->FTop;
        case alBottom:
          return x->FTop + x->FHeight > y->FTop + y->FHeight;
        case alLeft:
          return x->FLeft < y->FLeft;
        case alRight:
          return x->FLeft + x->FWidth > y->FLeft + y->FWidth;
        default:
          return false;
      }
    });
    for (TControl* c : list) {
      const int w = std::max(0, RectWidth(rect));
      const int h = std::max(0, RectHeight(rect));
      switch (a) {
        case alTop:
          c->SetBounds(rect.left, rect.top, w, c->FHeight);
          rect.top += c->FHeight;
          break;
        case alBottom:
          c->SetBounds(rect.left, rect.bottom - c->FHeight, w, c->FHeight);
          rect.bottom -= c->FHeight;
          break;
        case alLeft:
          c->SetBounds(rect.left, rect.top, c->FWidth, h);
          rect.left += c->FWidth;
          break;
        case alRight:
          c->SetBounds(rect.right - c->FWidth, rect.top, c->FWidth, h);
          rect.right -= c->FWidth;
          break;
        case alClient:
          c->SetBounds(rect.left, rect.top, w, h);
          break;
        default:
          break;
      }
    }
  }
}

void TWinControl::AdjustClientRect(TRect&) {}

TRect TWinControl::ClientRect() const {
  if (FHandle) {
    RECT r;
    if (GetClientRect(FHandle, &r)) return r;
  }
  return TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin() const {
  if (FHandle) {
    POINT p{0, 0};
    ::ClientToScreen(FHandle, &p);
    return p;
  }
  return TControl::ClientOrigin();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  bool sized = width != FWidth || height != FHeight;
  bool moved = left != FLeft || top != FTop;
  if (sized || moved) {
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FHandle) MoveWindow(FHandle, left, top, width, height, TRUE);
    TRect cr = ClientRect();
    TSize cs{RectWidth(cr), RectHeight(cr)};
    if (!(cs == FLastClientSize)) {
      FLastClientSize = cs;
      DoAlign(nullptr);
    }
    if (sized) Resize();
    RequestAlign();
  }
  if (!FAnchoring && !(FParent && FParent->FAligningNow)) UpdateAnchorRules();
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  bool started = first == nullptr;
  RECT clip;
  GetClipBox(dc, &clip);
  for (TControl* c : FControls) {
    if (!started) {
      if (c != first) continue;
      started = true;
    }
    auto* gc = dynamic_cast<TGraphicControl*>(c);
    if (!gc || !gc->FVisible || gc->FWidth <= 0 || gc->FHeight <= 0) continue;
    TRect b = gc->BoundsRect();
    if (b.right <= clip.left || b.left >= clip.right || b.bottom <= clip.top ||
        b.top >= clip.bottom)
      continue;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, b.left, b.top, b.right, b.bottom);
    OffsetViewportOrgEx(dc, b.left, b.top, nullptr);
    gc->PaintOn(dc);
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintHandler(HDC dc) {
  int saved = SaveDC(dc);
  PaintWindow(dc);
  RestoreDC(dc, saved);
  PaintControls(dc, nullptr);
}

bool TWinControl::EraseBackground(HDC dc) {
  if (FColor == clNone) return false;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(FColor));
  RECT r = ClientRect();
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  return true;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  FOnKeyDown(this, key, shift);
}
void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  FOnKeyUp(this, key, shift);
}
void TWinControl::KeyPress(char16_t& key) {
  FOnKeyPress(this, key);
}
void TWinControl::DoEnter() {
  FOnEnter(this);
}
void TWinControl::DoExit() {
  FOnExit(this);
}

void TWinControl::Resize() {
  TControl::Resize();
}

void TWinControl::EnabledChanged() {
  if (FHandle) EnableWindow(FHandle, FEnabled);
  Invalidate();
}

void TWinControl::VisibleChanged() {
  if (FVisible && !FHandle && FParent && FParent->FHandle) HandleNeeded();
  UpdateShowing();
}

void TWinControl::UpdateShowing() {
  if (!FHandle) return;
  ShowWindow(FHandle, FVisible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::ColorChanged() {
  Invalidate();
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::FontChanged() {
  Invalidate();
  NotifyControls(CM_PARENTFONTCHANGED);
  if (FAutoSize) AdjustSize();
}

void TWinControl::TextChanged() {
  if (FHandle) SetWindowTextW(FHandle, Text().c_str());
  Invalidate();
}

void TWinControl::NotifyControls(UINT msg) {
  std::vector<TControl*> list = FControls;
  for (TControl* c : list)
    c->Perform(msg);
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (FHandle)
    message.Result = DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
  if (FParent != parent) return;  // refused
  if (!parent) {
    DestroyHandleTree();
    return;
  }
  if (FHandle) {
    if (parent->FHandle) {
      ::SetParent(FHandle, parent->FHandle);
      UpdateZOrder();
    } else {
      DestroyHandleTree();
    }
  } else if (parent->FHandle && !IsLoading()) {
    HandleNeeded();
  }
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (FTabOrderWanted >= 0) {
    int v = FTabOrderWanted;
    FTabOrderWanted = -1;
    SetTabOrder(v);
  }
  if (FParent && FParent->FHandle) HandleNeeded();
  DoAlign(nullptr);
}

bool TWinControl::HandleKeyDown(TMessage& message) {
  WORD key = WORD(message.WParam);
  TShiftState shift = KeyShiftState();
  TCustomForm* form = GetParentForm(this);
  if (form && form != static_cast<TControl*>(this) && form->KeyPreview()) {
    form->KeyDown(key, shift);
    if (key == 0) return true;
  }
  KeyDown(key, shift);
  if (key == 0) return true;
  if (!form) return false;
  UINT mask = 0;
  switch (key) {
    case VK_TAB:
      mask = DLGC_WANTTAB | DLGC_WANTALLKEYS;
      break;
    case VK_RETURN:
    case VK_ESCAPE:
      mask = DLGC_WANTALLKEYS;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
      break;
    default:
      return false;
  }
  UINT code = UINT(Perform(WM_GETDLGCODE, key, 0));
  if (code & mask) return false;
  return form->DialogKey(key, shift);
}

void TWinControl::RouteMouse(TMessage& message) {
  TPoint pt = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
  TControl* target = nullptr;
  if (gCaptureControl && gCaptureControl->FParent == this &&
      !dynamic_cast<TWinControl*>(gCaptureControl)) {
    target = gCaptureControl;
  } else if (gCaptureControl != this) {
    target = ControlAtPos(pt, false, false);
  }

  if (message.Msg == WM_MOUSEMOVE) {
    // Enter and leave follow the control under the mouse, wherever the capture is.
    POINT screen = pt;
    ::ClientToScreen(FHandle, &screen);
    TControl* under = ControlAtScreenPoint(screen);
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = FHandle;
    TrackMouseEvent(&tme);
    SetMouseControl(under);
  }

  if (target) {
    TMessage m = message;
    m.LParam = MAKELPARAM(pt.x - target->FLeft, pt.y - target->FTop);
    target->WndProc(m);
    message.Result = m.Result;
    return;
  }
  TControl::WndProc(message);
}

LRESULT TWinControl::WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<TWinControl*>(GetWindowUserData(hwnd));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (!self->FHandle) self->FHandle = hwnd;  // messages sent while the window is created
  TMessage m{msg, wParam, lParam, 0};
  ++gDispatchDepth;
  self->WndProc(m);
  if (--gDispatchDepth == 0) TControlCanvas::FreeAll();
  return m.Result;
}

void TWinControl::WndProc(TMessage& message) {
  // An open pop-up menu takes the keyboard without taking the focus.
  if (message.Msg == WM_KEYDOWN || message.Msg == WM_KEYUP || message.Msg == WM_CHAR ||
      message.Msg == WM_SYSKEYDOWN) {
    if (TPopupMenu* menu = TPopupMenu::ActiveMenu()) {
      menu->MenuKey(message.Msg, WORD(message.WParam));
      return;
    }
  }
  if (IsMouseMessage(message.Msg) || message.Msg == WM_LBUTTONDBLCLK ||
      message.Msg == WM_RBUTTONDBLCLK) {
    if (message.Msg == WM_MOUSEWHEEL) {
      DefaultHandler(message);
      return;
    }
    RouteMouse(message);
    return;
  }
  switch (message.Msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(FHandle, &ps);
      if (!dc) return;
      if (FDoubleBuffered) {
        TRect cr = ClientRect();
        const int w = RectWidth(cr), h = RectHeight(cr);
        HDC mem = w > 0 && h > 0 ? CreateCompatibleDC(dc) : nullptr;
        HBITMAP bmp = mem ? CreateCompatibleBitmap(dc, w, h) : nullptr;
        if (bmp) {
          HGDIOBJ old = SelectObject(mem, bmp);
          IntersectClipRect(mem, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right,
                            ps.rcPaint.bottom);
          Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(mem));
          PaintHandler(mem);
          BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, RectWidth(ps.rcPaint), RectHeight(ps.rcPaint),
                 mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
          SelectObject(mem, old);
          DeleteObject(bmp);
        }
        if (mem) DeleteDC(mem);
      } else {
        PaintHandler(dc);
      }
      EndPaint(FHandle, &ps);
      return;
    }
    case WM_ERASEBKGND: {
      // Double-buffered painting erases in the off-screen bitmap (wParam == lParam there).
      if (FDoubleBuffered && message.WParam != WPARAM(message.LParam)) {
        message.Result = 1;
        return;
      }
      message.Result = EraseBackground(reinterpret_cast<HDC>(message.WParam)) ? 1 : 0;
      return;
    }
    case WM_SETFOCUS:
      if (TCustomForm* form = GetParentForm(this)) form->SetActiveFromFocus(this);
      DoEnter();
      return;
    case WM_KILLFOCUS:
      DoExit();
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!HandleKeyDown(message)) DefaultHandler(message);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = WORD(message.WParam);
      KeyUp(key, KeyShiftState());
      if (key) DefaultHandler(message);
      return;
    }
    case WM_CHAR: {
      char16_t ch = char16_t(message.WParam);
      KeyPress(ch);
      return;
    }
    case WM_GETDLGCODE:
      message.Result = LRESULT(DialogCode());
      return;
    case WM_SETCURSOR: {
      if (HWND(message.WParam) == FHandle && LOWORD(uintptr_t(message.LParam)) == HTCLIENT) {
        TCursor cur = Screen ? Screen->Cursor() : crDefault;
        if (cur == crDefault) {
          POINT p;
          GetCursorPos(&p);
          ::ScreenToClient(FHandle, &p);
          TControl* c = gCaptureControl && gCaptureControl->FParent == this
                            ? gCaptureControl
                            : ControlAtPos(p, false, false);
          if (c) cur = c->FCursor;
          if (cur == crDefault) cur = FCursor;
        }
        if (cur != crDefault) {
          ::SetCursor(TScreen::Cursors(cur));
          message.Result = 1;
          return;
        }
      }
      DefaultHandler(message);
      return;
    }
    case WM_MOUSELEAVE: {
      POINT p;
      GetCursorPos(&p);
      TControl* under = ControlAtScreenPoint(p);
      if (gMouseControl && (gMouseControl == this || gMouseControl->FParent == this) &&
          under != gMouseControl)
        SetMouseControl(under);
      return;
    }
    case WM_CAPTURECHANGED:
      if (gCaptureControl &&
          (gCaptureControl == this ||
           (gCaptureControl->FParent == this && !dynamic_cast<TWinControl*>(gCaptureControl))) &&
          HWND(message.LParam) != FHandle) {
        TControl* c = gCaptureControl;
        gCaptureControl = nullptr;
        c->FPressed = false;
      }
      return;
    case WM_SIZE: {
      TRect cr = ClientRect();
      TSize cs{RectWidth(cr), RectHeight(cr)};
      if (!(cs == FLastClientSize)) {
        FLastClientSize = cs;
        DoAlign(nullptr);
      }
      DefaultHandler(message);
      return;
    }
    case WM_NCDESTROY:
      DefaultHandler(message);
      FHandle = nullptr;
      return;
    default:
      break;
  }
  TControl::WndProc(message);
}

// =======================================================================================
// TCustomControl

const TClassInfo* TCustomControl::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TCustomControl>("TCustomControl", TWinControl::StaticClass()).Build();
  return info;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
  FCanvas = new TControlCanvas(this);
}

TCustomControl::~TCustomControl() {
  delete FCanvas;
  FCanvas = nullptr;
}

TCanvas* TCustomControl::Canvas() const {
  return FCanvas;
}

void TCustomControl::PaintWindow(HDC dc) {
  TControlCanvas* c = AsControlCanvas(FCanvas);
  c->BeginPaint(dc);
  Paint();
  c->EndPaint();
}

void TCustomControl::WndProc(TMessage& message) {
  TWinControl::WndProc(message);
}

// =======================================================================================

TCustomForm* GetParentForm(const TControl* control) {
  const TControl* c = control;
  while (c && c->Parent())
    c = c->Parent();
  return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

HCURSOR TScreen::Cursors(TCursor cursor) {
  if (cursor == crNone) return nullptr;
  return LoadCursorW(nullptr, CursorToIdc(cursor));
}
