// Pop-up menus.
//
// Popup(x, y) opens the menu window at a screen point and returns at once; the menu then
// runs inside the ordinary message loop. It takes the mouse capture and the keyboard focus:
// Up/Down move the highlight (skipping separators and greyed items), Enter or a click on an
// enabled item chooses it, Escape or a press outside the menu closes it. The focus returns
// where it was, and the chosen item's Click (OnClick) runs after the window has closed.
#pragma once

#include <vector>

#include "framework/Controls.h"

class TMenu;

class TMenuItem : public TComponent {
 public:
  KX_DECLARE_CLASS(TMenuItem)

 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  // "-" is a separator line. "&x" marks the accelerator character.
  const TUnicodeString& Caption() const { return FCaption; }
  void SetCaption(const TUnicodeString& v) { FCaption = v; }
  bool Enabled() const { return FEnabled; }  // false: greyed, cannot be chosen
  void SetEnabled(bool v) { FEnabled = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool v) { FChecked = v; }
  bool Default() const { return FDefault; }  // drawn bold
  void SetDefault(bool v) { FDefault = v; }
  const TUnicodeString& Hint() const { return FHint; }
  void SetHint(const TUnicodeString& v) { FHint = v; }
  bool IsLine() const { return FCaption == u"-"; }

  // Sub-items (not owned by the item; their owner frees them, and a freed item leaves
  // its parent).
  int Count() const { return int(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems[size_t(index)]; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  void Clear();  // deletes the sub-items
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return FParent; }
  TMenu* GetParentMenu() const;

  // Raises OnClick.
  virtual void Click();
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent e) { FOnClick = std::move(e); }

  // Streaming: a menu item's enclosing object is its menu or parent item.
  void SetParentComponent(TComponent* parent) override;
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }

 private:
  friend class TMenu;
  TUnicodeString FCaption;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  bool FDefault = false;
  TUnicodeString FHint;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item only
  TNotifyEvent FOnClick;
};

class TMenu : public TComponent {
 public:
  KX_DECLARE_CLASS(TMenu)

 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  // The root item; its sub-items are the menu's entries.
  TMenuItem* Items() const { return FItems; }

 private:
  TMenuItem* FItems = nullptr;
};

class TPopupMenu : public TMenu {
 public:
  KX_DECLARE_CLASS(TPopupMenu)

 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  // Opens the menu with its top-left corner at a screen point (kept inside the display
  // window). A menu already open is closed first.
  virtual void Popup(int x, int y);
  // The control the menu was opened for (set by the control before Popup). Not owned.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* v);
  TPoint PopupPoint() const { return FPopupPoint; }
  // Controls open the menu on a right click only when AutoPopup is set.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool v) { FAutoPopup = v; }

  bool IsOpen() const { return FWindow != nullptr; }
  // Closes the open menu without choosing anything.
  void CloseMenu();
  // The open menu's window (null when closed), the highlighted entry's index among
  // Items() (-1: none), and an entry's rectangle in the window's client coordinates.
  HWND WindowHandle() const { return FWindow; }
  int HighlightIndex() const { return FHighlight; }
  TRect ItemRect(int index) const;
  // The menu that is open now, or null. While one is open, the framework's windows pass
  // their keyboard messages (WM_KEYDOWN, WM_KEYUP, WM_CHAR) to it through MenuKey.
  static TPopupMenu* ActiveMenu();
  void MenuKey(UINT msg, WORD key);

  const TNotifyEvent& OnPopup() const { return FOnPopup; }
  void SetOnPopup(TNotifyEvent e) { FOnPopup = std::move(e); }
  const TNotifyEvent& OnClose() const { return FOnClose; }
  void SetOnClose(TNotifyEvent e) { FOnClose = std::move(e); }

 public:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static LRESULT MenuProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Layout();
  void PaintMenu(HDC dc);
  int ItemAt(TPoint clientPt) const;
  void MoveHighlight(int step);
  void SetHighlight(int index);
  void Choose(int index);

  TComponent* FPopupComponent = nullptr;
  TPoint FPopupPoint{};
  bool FAutoPopup = true;
  HWND FWindow = nullptr;
  int FHighlight = -1;
  int FMenuWidth = 0;
  int FMenuHeight = 0;
  std::vector<TRect> FItemRects;  // per entry of Items(); empty rect: hidden
  TNotifyEvent FOnPopup;
  TNotifyEvent FOnClose;
};
