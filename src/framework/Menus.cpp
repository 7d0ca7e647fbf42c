#include "framework/Menus.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace {

TPopupMenu* gActiveMenu = nullptr;

constexpr int kBorder = 2;      // frame line plus one pixel of space
constexpr int kTextLeft = 28;   // room for the check mark
constexpr int kTextRight = 24;  // space after the longest caption
constexpr int kSeparatorHeight = 9;
constexpr int kMinWidth = 100;

TFont* MenuFont(bool bold) {
  static TFont* regular = [] {
    auto* f = new TFont();
    f->SetName(u"Segoe UI");
    f->SetHeight(-12);
    return f;
  }();
  static TFont* heavy = [] {
    auto* f = new TFont();
    f->SetName(u"Segoe UI");
    f->SetHeight(-12);
    f->SetStyle(TFontStyles{fsBold});
    return f;
  }();
  return bold ? heavy : regular;
}

void Fill(HDC dc, const RECT& r, TColor color) {
  HBRUSH b = CreateSolidBrush(ColorToRGB(color));
  FillRect(dc, &r, b);
  DeleteObject(b);
}

// The accelerator character of a caption ("&x"), lower-cased; 0 when none.
char16_t AccelOf(const TUnicodeString& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    char16_t c = caption[i + 1];
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    return c;
  }
  return 0;
}

bool Selectable(const TMenuItem* item) {
  return item->Visible() && !item->IsLine() && item->Enabled();
}

}  // namespace

// =======================================================================================
// TMenuItem

const TClassInfo* TMenuItem::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TMenuItem>("TMenuItem", TComponent::StaticClass())
          .Factory()
          .String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption, u"")
          .Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
          .Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true)
          .Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
          .Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false)
          .String("Hint", &TMenuItem::Hint, &TMenuItem::SetHint, u"")
          .Event<TNotifyEvent>("OnClick", &TMenuItem::OnClick, &TMenuItem::SetOnClick)
          .Build();
  return info;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  Destroying();
  if (gActiveMenu && GetParentMenu() == gActiveMenu) gActiveMenu->CloseMenu();
  if (FParent) FParent->Remove(this);
  for (TMenuItem* item : FItems)
    item->FParent = nullptr;
  FItems.clear();
}

void TMenuItem::Add(TMenuItem* item) {
  Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == item) return;  // an item cannot contain its own ancestor
  if (item->FParent) item->FParent->Remove(item);
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
}

void TMenuItem::Clear() {
  while (!FItems.empty())
    delete FItems.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == item) return int(i);
  return -1;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* p = this;
  while (p->FParent)
    p = p->FParent;
  return p->FMenu;
}

void TMenuItem::Click() {
  FOnClick(this);
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TMenu*>(parent))
    menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent))
    item->Add(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (!FParent) return nullptr;
  if (FParent->FMenu) return FParent->FMenu;
  return FParent;
}

// =======================================================================================
// TMenu

const TClassInfo* TMenu::StaticClass() {
  static const TClassInfo* info = TClassBuilder<TMenu>("TMenu", TComponent::StaticClass()).Build();
  return info;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner) {
  FItems = new TMenuItem(nullptr);
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  delete FItems;
  FItems = nullptr;
}

// =======================================================================================
// TPopupMenu

const TClassInfo* TPopupMenu::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TPopupMenu>("TPopupMenu", TMenu::StaticClass())
          .Factory()
          .Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true)
          .Event<TNotifyEvent>("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::SetOnPopup)
          .Event<TNotifyEvent>("OnClose", &TPopupMenu::OnClose, &TPopupMenu::SetOnClose)
          .Build();
  return info;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() {
  Destroying();
  CloseMenu();
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
}

TPopupMenu* TPopupMenu::ActiveMenu() {
  return gActiveMenu;
}

void TPopupMenu::SetPopupComponent(TComponent* v) {
  if (v == FPopupComponent) return;
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = v;
  if (v) v->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == opRemove && component == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Layout() {
  HDC dc = CreateCompatibleDC(nullptr);
  FItemRects.assign(size_t(Items()->Count()), TRect{});
  int textWidth = 0;
  int textHeight = 16;
  if (dc) {
    for (int i = 0; i < Items()->Count(); ++i) {
      TMenuItem* item = Items()->Items(i);
      if (!item->Visible() || item->IsLine()) continue;
      SelectObject(dc, MenuFont(item->Default())->Handle());
      RECT r{0, 0, 0, 0};
      DrawTextW(dc, item->Caption().c_str(), int(item->Caption().size()), &r,
                DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
      textWidth = std::max(textWidth, int(RectWidth(r)));
      textHeight = std::max(textHeight, int(RectHeight(r)));
    }
    DeleteDC(dc);
  }
  const int itemHeight = textHeight + 8;
  FMenuWidth = std::max(kMinWidth, kBorder * 2 + kTextLeft + textWidth + kTextRight);
  int y = kBorder;
  for (int i = 0; i < Items()->Count(); ++i) {
    TMenuItem* item = Items()->Items(i);
    if (!item->Visible()) continue;
    const int h = item->IsLine() ? kSeparatorHeight : itemHeight;
    FItemRects[size_t(i)] = Rect(kBorder, y, FMenuWidth - kBorder, y + h);
    y += h;
  }
  FMenuHeight = y + kBorder;
}

TRect TPopupMenu::ItemRect(int index) const {
  if (index < 0 || index >= int(FItemRects.size())) return TRect{};
  return FItemRects[size_t(index)];
}

int TPopupMenu::ItemAt(TPoint p) const {
  for (size_t i = 0; i < FItemRects.size(); ++i) {
    const TRect& r = FItemRects[i];
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return int(i);
  }
  return -1;
}

void TPopupMenu::Popup(int x, int y) {
  if (gActiveMenu) gActiveMenu->CloseMenu();
  FOnPopup(this);
  FPopupPoint = Point(x, y);
  Layout();
  if (FMenuHeight <= kBorder * 2) return;  // nothing to show
  // The menu stays inside the display window.
  if (HWND top = kx::GetTopLevelWindow()) {
    RECT tr;
    if (GetWindowRect(top, &tr)) {
      if (x + FMenuWidth > tr.right) x = tr.right - FMenuWidth;
      if (y + FMenuHeight > tr.bottom) y = tr.bottom - FMenuHeight;
      if (x < tr.left) x = tr.left;
      if (y < tr.top) y = tr.top;
    }
  }
  FHighlight = -1;
  FWindow = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP, x, y, FMenuWidth,
                            FMenuHeight, kx::GetTopLevelWindow(), &TPopupMenu::MenuProcedure,
                            static_cast<void*>(this));
  if (!FWindow) return;
  gActiveMenu = this;
  ShowWindow(FWindow, SW_SHOWNA);
  SetCapture(FWindow);
}

void TPopupMenu::CloseMenu() {
  HWND w = FWindow;
  if (!w) return;
  FWindow = nullptr;
  FHighlight = -1;
  if (gActiveMenu == this) gActiveMenu = nullptr;
  if (GetCapture() == w) ReleaseCapture();
  SetWindowUserData(w, nullptr);
  DestroyWindow(w);
  FOnClose(this);
}

void TPopupMenu::SetHighlight(int index) {
  if (index == FHighlight) return;
  FHighlight = index;
  if (FWindow) InvalidateRect(FWindow, nullptr, TRUE);
}

void TPopupMenu::MoveHighlight(int step) {
  const int n = Items()->Count();
  if (n == 0) return;
  int i = FHighlight;
  for (int k = 0; k < n; ++k) {
    if (i < 0)
      i = step > 0 ? 0 : n - 1;
    else
      i = (i + step + n) % n;
    if (Selectable(Items()->Items(i))) {
      SetHighlight(i);
      return;
    }
  }
}

void TPopupMenu::Choose(int index) {
  if (index < 0 || index >= Items()->Count()) return;
  TMenuItem* item = Items()->Items(index);
  if (!Selectable(item)) return;
  CloseMenu();
  item->Click();
}

void TPopupMenu::MenuKey(UINT msg, WORD key) {
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
    switch (key) {
      case VK_ESCAPE:
        CloseMenu();
        return;
      case VK_DOWN:
        MoveHighlight(1);
        return;
      case VK_UP:
        MoveHighlight(-1);
        return;
      case VK_HOME:
        FHighlight = -1;
        MoveHighlight(1);
        return;
      case VK_END:
        FHighlight = -1;
        MoveHighlight(-1);
        return;
      case VK_RETURN:
        Choose(FHighlight);
        return;
      default:
        return;
    }
  }
  if (msg == WM_CHAR) {
    char16_t c = char16_t(key);
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    if (c < 32) return;
    for (int i = 0; i < Items()->Count(); ++i) {
      TMenuItem* item = Items()->Items(i);
      if (Selectable(item) && AccelOf(item->Caption()) == c) {
        Choose(i);
        return;
      }
    }
  }
}

LRESULT TPopupMenu::MenuProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* menu = static_cast<TPopupMenu*>(GetWindowUserData(hwnd));
  if (!menu || menu->FWindow != hwnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return menu->HandleMenuMessage(msg, wParam, lParam);
}

LRESULT TPopupMenu::HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const TPoint p = Point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  const bool inside = p.x >= 0 && p.y >= 0 && p.x < FMenuWidth && p.y < FMenuHeight;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(FWindow, &ps);
      if (dc) {
        PaintMenu(dc);
        EndPaint(FWindow, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE: {
      int i = inside ? ItemAt(p) : -1;
      SetHighlight(i >= 0 && Selectable(Items()->Items(i)) ? i : -1);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      if (!inside) CloseMenu();  // a press outside closes the menu and goes nowhere else
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (inside) Choose(ItemAt(p));
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
      MenuKey(msg, WORD(wParam));
      return 0;
    case WM_CAPTURECHANGED:
      if (HWND(lParam) != FWindow) CloseMenu();
      return 0;
    case WM_CANCELMODE:
      CloseMenu();
      return 0;
    default:
      return DefWindowProcW(FWindow, msg, wParam, lParam);
  }
}

void TPopupMenu::PaintMenu(HDC dc) {
  RECT all = Rect(0, 0, FMenuWidth, FMenuHeight);
  Fill(dc, all, clMenu);
  HBRUSH frame = CreateSolidBrush(ColorToRGB(clBtnShadow));
  FrameRect(dc, &all, frame);
  DeleteObject(frame);
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < Items()->Count() && i < int(FItemRects.size()); ++i) {
    TMenuItem* item = Items()->Items(i);
    const TRect& r = FItemRects[size_t(i)];
    if (!item->Visible() || RectHeight(r) == 0) continue;
    if (item->IsLine()) {
      const int y = r.top + RectHeight(r) / 2;
      Fill(dc, Rect(r.left + 4, y, r.right - 4, y + 1), clBtnShadow);
      continue;
    }
    const bool hot = i == FHighlight;
    if (hot) Fill(dc, r, clHighlight);
    TColor text = !item->Enabled() ? clGrayText : hot ? clHighlightText : clMenuText;
    if (item->Checked()) {
      // A check mark in the left margin.
      const int cx = r.left + 10, cy = r.top + RectHeight(r) / 2;
      HPEN pen = CreatePen(PS_SOLID, 2, ColorToRGB(text));
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, cx - 4, cy, nullptr);
      LineTo(dc, cx - 1, cy + 3);
      LineTo(dc, cx + 5, cy - 4);
      SelectObject(dc, old);
      DeleteObject(pen);
    }
    SelectObject(dc, MenuFont(item->Default())->Handle());
    SetTextColor(dc, ColorToRGB(text));
    RECT tr = Rect(r.left + kTextLeft, r.top, r.right - 4, r.bottom);
    DrawTextW(dc, item->Caption().c_str(), int(item->Caption().size()), &tr,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
}
