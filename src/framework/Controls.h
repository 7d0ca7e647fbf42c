// The control hierarchy of the user-interface framework.
//
//   TControl        bounds, alignment, anchors, visibility, colour, font, cursor, hint,
//                   pop-up menu, mouse events and the message handler every control shares
//   TGraphicControl a windowless control: it paints on its parent's surface through its own
//                   canvas and lies below every windowed sibling
//   TWinControl     a control with a window (HWND) of its own: children, tab order, focus,
//                   keyboard, alignment of children
//   TCustomControl  a windowed control that draws itself on a canvas (Paint)
//
// Messages. Every control handles messages in WndProc(TMessage&); Perform sends one to it
// directly. A windowed control's window procedure routes the window's messages to the
// object. Mouse messages for windowless children arrive at the parent's window and are
// passed on, in the child's client coordinates, to the topmost visible, enabled windowless
// child under the point (or to the child that holds the mouse capture). The framework's own
// notifications are CM_* messages; their default handling calls the matching virtual hook
// (EnabledChanged, FontChanged, ...), so a subclass may override either.
//
// Ownership. The owner (TComponent) frees a control; the parent only lays it out, paints
// it and routes input to it. Destroying a control removes it from its parent.
#pragma once

#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Graphics.h"
#include "framework/TypInfo.h"
#include "framework/Types.h"
#include "platform/Windows.h"

class TWinControl;
class TPopupMenu;
class TCustomForm;

// A message as the framework's handlers see it.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// The framework's own notifications (above the window system's message numbers).
enum : UINT {
  CM_BASE = 0xB000,
  CM_ACTIVATE = CM_BASE + 0,
  CM_DEACTIVATE = CM_BASE + 1,
  CM_CANCELMODE = CM_BASE + 4,
  CM_DIALOGKEY = CM_BASE + 5,  // WParam: virtual key; Result non-zero: handled
  CM_DIALOGCHAR = CM_BASE + 6,
  CM_PARENTFONTCHANGED = CM_BASE + 8,
  CM_PARENTCOLORCHANGED = CM_BASE + 9,
  CM_VISIBLECHANGED = CM_BASE + 11,
  CM_ENABLEDCHANGED = CM_BASE + 12,
  CM_COLORCHANGED = CM_BASE + 13,
  CM_FONTCHANGED = CM_BASE + 14,
  CM_CURSORCHANGED = CM_BASE + 15,
  CM_TEXTCHANGED = CM_BASE + 18,
  CM_MOUSEENTER = CM_BASE + 19,
  CM_MOUSELEAVE = CM_BASE + 20,
  CM_HINTSHOW = CM_BASE + 48,
  CM_WANTSPECIALKEY = CM_BASE + 49,  // WParam: virtual key; Result non-zero: the control wants it
};

// Control style flags (ControlStyle()).
enum : uint32_t {
  csAcceptsControls = 1u << 0,
  csCaptureMouse = 1u << 1,  // a left press captures the mouse until release
  csClickEvents = 1u << 3,   // press and release inside raise Click
  csFramed = 1u << 4,
  csSetCaption = 1u << 5,
  csOpaque = 1u << 6,  // paints its whole area; its parent need not erase beneath it
  csDoubleClicks = 1u << 7,
  csReplicatable = 1u << 13,
  csParentBackground = 1u << 21,
};
using TControlStyle = uint32_t;

// Window creation parameters (TWinControl::CreateParams).
struct TCreateParams {
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  TUnicodeString Caption;
};

// ---------------------------------------------------------------------------------------
class TControl : public TComponent {
 public:
  KX_DECLARE_CLASS(TControl)

 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Bounds, in the parent's client coordinates.
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.left, r.top, RectWidth(r), RectHeight(r)); }

  // The client area: (0, 0, ClientWidth, ClientHeight). A windowed control's client area
  // excludes its non-client margin.
  virtual TRect ClientRect() const;
  int ClientWidth() const { return RectWidth(ClientRect()); }
  int ClientHeight() const { return RectHeight(ClientRect()); }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  virtual TPoint ClientOrigin() const;  // screen position of the client area's (0, 0)
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  TPoint ClientToParent(TPoint p) const { return Point(p.x + FLeft, p.y + FTop); }
  TPoint ParentToClient(TPoint p) const { return Point(p.x - FLeft, p.y - FTop); }

  // Alignment within the parent's adjusted client rectangle, and anchoring of the edges
  // to the parent's edges when the parent is resized.
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign v);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors v);

  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to a top-level form visible too.
  bool Showing() const;

  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool v);

  // The background colour. ParentColor follows the parent's Color; setting Color clears it.
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool v);

  // The font. ParentFont follows the parent's font; changing the font clears it.
  TFont* Font() const { return FFont; }
  void SetFont(const TFont* v);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool v);

  // The cursor shown while the mouse is over the control (crDefault: the arrow).
  TCursor Cursor() const { return FCursor; }
  virtual void SetCursor(TCursor v);

  const TUnicodeString& Hint() const { return FHint; }
  void SetHint(const TUnicodeString& v) { FHint = v; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool v);

  // Opened by a right click (context-menu request) unless OnContextPopup handles it.
  // Not owned: cleared when the menu is destroyed first.
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v);

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);

  // The control's text: Caption and Text are one value. Changes send CM_TEXTCHANGED.
  const TUnicodeString& Caption() const { return FText; }
  void SetCaption(const TUnicodeString& v) { SetText(v); }
  const TUnicodeString& Text() const { return FText; }
  void SetText(const TUnicodeString& v);

  bool AutoSize() const { return FAutoSize; }

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle v) { FControlStyle = v; }

  // Mouse capture: while set, the control receives every mouse message of its window,
  // wherever the mouse is.
  bool MouseCapture() const;
  void SetMouseCapture(bool v);
  // True while the mouse is over the control (between CM_MOUSEENTER and CM_MOUSELEAVE).
  bool MouseInClient() const { return FMouseInClient; }

  // Reading direction; the framework reads left to right only.
  bool UseRightToLeftReading() const { return false; }
  UINT DrawTextBiDiModeFlags(UINT flags) const { return flags; }

  // Painting requests. Invalidate marks the control for the next paint; Update paints what
  // is invalid now; Repaint does both.
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // Z-order among the siblings of the same kind (windowless or windowed).
  void BringToFront();
  void SendToBack();

  // Sends a message to the control's handler directly; returns its result.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  virtual void WndProc(TMessage& message);

  // Events, raised with the control as sender.
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent e) { FOnClick = std::move(e); }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(TNotifyEvent e) { FOnDblClick = std::move(e); }
  const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(TMouseEvent e) { FOnMouseDown = std::move(e); }
  const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(TMouseEvent e) { FOnMouseUp = std::move(e); }
  const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(TMouseMoveEvent e) { FOnMouseMove = std::move(e); }
  const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(TNotifyEvent e) { FOnMouseEnter = std::move(e); }
  const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(TNotifyEvent e) { FOnMouseLeave = std::move(e); }
  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(TNotifyEvent e) { FOnResize = std::move(e); }
  const TContextPopupEvent& OnContextPopup() const { return FOnContextPopup; }
  void SetOnContextPopup(TContextPopupEvent e) { FOnContextPopup = std::move(e); }

  // Streaming: the enclosing object of a layout description becomes the parent.
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;
  bool HasParent() const override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  // Input hooks; the defaults raise the matching events.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // A context-menu request at mousePos (client coordinates; (-1, -1) from the keyboard).
  // The default raises OnContextPopup; set handled to suppress the pop-up menu.
  virtual void DoContextPopup(TPoint mousePos, bool& handled);
  // Raises OnResize after the size changed.
  virtual void Resize();

  // Change hooks, run by the CM_* notifications after the value changed.
  virtual void EnabledChanged();
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void TextChanged();
  virtual void VisibleChanged();
  virtual void ParentColorChanged();
  virtual void ParentFontChanged();

  // Auto size: the control fits its bounds to its content (AdjustSize) when on.
  virtual void SetAutoSize(bool v);
  virtual void AdjustSize() {}

  // Asks the parent to realign its children after this control's bounds or alignment
  // changed.
  virtual void RequestAlign();

  // The handling of a message nobody handled (windowed controls: DefWindowProcW).
  virtual void DefaultHandler(TMessage& message);

  // The window that carries this control's pixels: its own (windowed) or its parent's.
  virtual HWND PaintWindowHandle() const;

  // Shift state from a mouse message's key flags.
  static TShiftState MouseShiftState(WPARAM keys);
  static TShiftState KeyShiftState();

  // Fields shared with subclasses
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  bool FAutoSize = false;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  bool FParentFont = true;

 private:
  friend class TWinControl;
  friend class TApplication;

  void FontChangeHandler(TObject* sender);
  void UpdateAnchorRules();
  void AnchorTo(int parentWidth, int parentHeight);
  void HandleMouse(TMessage& message);

  TWinControl* FParent = nullptr;
  TAlign FAlign = alNone;
  TAnchors FAnchors = DefaultAnchors;
  TFont* FFont = nullptr;
  bool FInFontChange = false;
  TCursor FCursor = crDefault;
  TUnicodeString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TPopupMenu* FPopupMenu = nullptr;
  TUnicodeString FText;
  bool FMouseInClient = false;
  bool FPressed = false;  // left button went down on this control and is still down
  bool FAnchoring = false;
  // Anchor rules: the bounds and the parent's client size when they were last set by hand.
  TRect FAnchorBounds{};
  TSize FAnchorParentSize{};
  bool FAnchorRulesValid = false;

  TNotifyEvent FOnClick;
  TNotifyEvent FOnDblClick;
  TMouseEvent FOnMouseDown;
  TMouseEvent FOnMouseUp;
  TMouseMoveEvent FOnMouseMove;
  TNotifyEvent FOnMouseEnter;
  TNotifyEvent FOnMouseLeave;
  TNotifyEvent FOnResize;
  TContextPopupEvent FOnContextPopup;
};

// ---------------------------------------------------------------------------------------
// A windowless control. Its canvas draws on the parent's window, with the origin at the
// control's top-left corner and clipped to the control's bounds. The parent's paint
// paints its windowless children in creation order, after its own background and
// content; windowed siblings always lie above.
class TGraphicControl : public TControl {
 public:
  KX_DECLARE_CLASS(TGraphicControl)

 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  // Valid at any time: inside a paint it draws into the paint's device context; outside a
  // paint it draws directly on the parent window (or measures, without a parent).
  TCanvas* Canvas() const;

 protected:
  virtual void Paint() {}
  void WndProc(TMessage& message) override;

 private:
  friend class TWinControl;
  void PaintOn(HDC dc);  // the parent's paint: Paint on dc, origin and clip set by the caller

  TCanvas* FCanvas = nullptr;
};

// ---------------------------------------------------------------------------------------
class TWinControl : public TControl {
 public:
  KX_DECLARE_CLASS(TWinControl)

 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window, created on first use (the parent's first). Null without a parent window
  // for a child control.
  HWND Handle();
  HWND Handle() const { return FHandle; }
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys and creates the window again (after a change of CreateParams' values).
  void RecreateWnd();
  // The control whose window is hwnd, or null.
  static TWinControl* FindControl(HWND hwnd);

  // Children, in creation order (the order of painting and of the z-order of each kind).
  int ControlCount() const { return int(FControls.size()); }
  TControl* Controls(int index) const { return FControls[size_t(index)]; }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(const TControl* control) const;  // any descendant
  // The topmost visible child under pos (client coordinates). Windowed children are
  // considered only with allowWinControls; disabled ones only with allowDisabled.
  TControl* ControlAtPos(TPoint pos, bool allowDisabled = false,
                         bool allowWinControls = false) const;

  // Keyboard focus and tab order.
  int TabOrder() const;
  void SetTabOrder(int v);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool v);
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  // The windowed descendants in tab order (depth first), appended to list.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // The next (or previous) tab stop after current among this control's descendants, with
  // wrap-around; null when there is none.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                               bool checkParent) const;
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

  // Children's alignment. DisableAlign/EnableAlign bracket batches of changes.
  void DisableAlign();
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return FAlignLevel > 0; }

  // Painting through an off-screen bitmap, copied to the window in one block.
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool v) { FDoubleBuffered = v; }

  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  void SetBounds(int left, int top, int width, int height) override;
  void Invalidate() override;
  void Update() override;

  // Paints this control's windowless children (those from `first` on, all when null)
  // onto dc, which has this control's client coordinates.
  void PaintControls(HDC dc, TControl* first);

  const TNotifyEvent& OnEnter() const { return FOnEnter; }
  void SetOnEnter(TNotifyEvent e) { FOnEnter = std::move(e); }
  const TNotifyEvent& OnExit() const { return FOnExit; }
  void SetOnExit(TNotifyEvent e) { FOnExit = std::move(e); }
  const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(TKeyEvent e) { FOnKeyDown = std::move(e); }
  const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(TKeyEvent e) { FOnKeyUp = std::move(e); }
  const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(TKeyPressEvent e) { FOnKeyPress = std::move(e); }

  void WndProc(TMessage& message) override;
  void Loaded() override;
  void SetParent(TWinControl* parent) override;

 protected:
  // The window's styles. Subclasses add, e.g., WS_EX_TRANSPARENT or their own frame.
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Positions the children with Align in rect (the adjusted client rectangle), in the
  // order top, bottom, left, right, client; control is the one that asked, or null.
  virtual void AlignControls(TControl* control, TRect& rect);
  // The part of the client rectangle aligned children may use.
  virtual void AdjustClientRect(TRect& rect);
  // Paints the window's own content on dc (client coordinates); TCustomControl paints
  // through its canvas.
  virtual void PaintWindow(HDC dc);
  // WM_PAINT: paints the window's content and then its windowless children, through an
  // off-screen bitmap when DoubleBuffered.
  virtual void PaintHandler(HDC dc);
  // WM_ERASEBKGND: fills dc's client area with Color. Returns true when it erased.
  virtual bool EraseBackground(HDC dc);

  // Keyboard hooks; the defaults raise the matching events.
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(char16_t& key);
  // Focus hooks: the focus arrived (DoEnter) or left (DoExit); raise OnEnter/OnExit.
  virtual void DoEnter();
  virtual void DoExit();
  // WM_GETDLGCODE's answer: which keys the control handles itself instead of the dialog
  // navigation (DLGC_WANTTAB, DLGC_WANTARROWS, DLGC_WANTALLKEYS...). Default none.
  virtual UINT DialogCode() { return 0; }

  void Resize() override;
  void EnabledChanged() override;
  void VisibleChanged() override;
  void ColorChanged() override;
  void FontChanged() override;
  void TextChanged() override;
  void DefaultHandler(TMessage& message) override;
  HWND PaintWindowHandle() const override { return FHandle; }

  // Notifies every child of a parent-colour / parent-font change.
  void NotifyControls(UINT msg);

 private:
  friend class TControl;
  friend class TCustomForm;
  friend class TApplication;

  static LRESULT WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void UpdateShowing();
  void UpdateZOrder();
  void DoAlign(TControl* control);
  void AnchorChildren();
  void DestroyHandleTree();
  void CreateHandleTree();
  bool HandleKeyDown(TMessage& message);
  void RouteMouse(TMessage& message);

  HWND FHandle = nullptr;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;  // windowed children in tab order
  bool FTabStop = false;
  int FAlignLevel = 0;
  bool FAlignPending = false;
  bool FAligningNow = false;  // AlignControls is placing the children
  int FTabOrderWanted = -1;   // TabOrder read while loading, applied by Loaded
  bool FDoubleBuffered = false;
  bool FDestroyingHandle = false;
  TSize FLastClientSize{};

  TNotifyEvent FOnEnter;
  TNotifyEvent FOnExit;
  TKeyEvent FOnKeyDown;
  TKeyEvent FOnKeyUp;
  TKeyPressEvent FOnKeyPress;
};

// ---------------------------------------------------------------------------------------
// A windowed control that draws itself: WM_PAINT hands the paint's device context to
// Canvas() and calls Paint.
class TCustomControl : public TWinControl {
 public:
  KX_DECLARE_CLASS(TCustomControl)

 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  // Inside a paint it draws into the paint's device context (through the off-screen
  // bitmap when double-buffered); outside a paint on the window's client DC.
  TCanvas* Canvas() const;

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  void WndProc(TMessage& message) override;

 private:
  TCanvas* FCanvas = nullptr;
};

// The form that contains control (itself when it is one), or null.
TCustomForm* GetParentForm(const TControl* control);
