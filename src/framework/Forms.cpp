#include "framework/Forms.h"

#include <algorithm>
#include <cstdlib>

#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/user/User.h"

namespace {

// Posted to a form that closed with caFree: it deletes itself once the message loop
// comes back to it, outside every handler of its own.
constexpr UINT CM_RELEASE = CM_BASE + 33;

bool gAtExitRegistered = false;

void DestroyApplicationForms() {
  if (Application && Application->ComponentCount() > 0) Application->DestroyComponents();
}

// The default (or cancel) button among the form's descendants that can be pressed now.
TButton* FindDialogButton(const TWinControl* parent, bool wantDefault) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (auto* b = dynamic_cast<TButton*>(c)) {
      if ((wantDefault ? b->Default() : b->Cancel()) && b->CanFocus()) return b;
    }
    if (auto* wc = dynamic_cast<TWinControl*>(c)) {
      if (TButton* b = FindDialogButton(wc, wantDefault)) return b;
    }
  }
  return nullptr;
}

}  // namespace

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

// =======================================================================================
// TCustomForm

const TClassInfo* TCustomForm::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TCustomForm>("TCustomForm", TWinControl::StaticClass())
          // The display places the top-level window; its size is its client size.
          .Integer("Left", &TControl::Left, &TControl::SetLeft)
          .Stored([](const TCustomForm&) { return false; })
          .Integer("Top", &TControl::Top, &TControl::SetTop)
          .Stored([](const TCustomForm&) { return false; })
          .Integer("Width", &TControl::Width, &TControl::SetWidth)
          .Stored([](const TCustomForm&) { return false; })
          .Integer("Height", &TControl::Height, &TControl::SetHeight)
          .Stored([](const TCustomForm&) { return false; })
          .Bool("Visible", &TControl::Visible, &TControl::SetVisible, false)
          .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
          .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, false)
          .String("Caption", &TControl::Caption, &TControl::SetCaption, u"")
          .Integer("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth)
          .Integer("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight)
          .Enum("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle,
                FormBorderStyleInfo(), bsSizeable)
          .Enum("Position", &TCustomForm::Position, &TCustomForm::SetPosition, PositionInfo(),
                poDesigned)
          .Bool("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false)
          .Component("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
          .Event<TNotifyEvent>("OnCreate", &TCustomForm::OnCreate, &TCustomForm::SetOnCreate)
          .Event<TNotifyEvent>("OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::SetOnDestroy)
          .Event<TNotifyEvent>("OnShow", &TCustomForm::OnShow, &TCustomForm::SetOnShow)
          .Event<TNotifyEvent>("OnHide", &TCustomForm::OnHide, &TCustomForm::SetOnHide)
          .Event<TNotifyEvent>("OnActivate", &TCustomForm::OnActivate, &TCustomForm::SetOnActivate)
          .Event<TNotifyEvent>("OnDeactivate", &TCustomForm::OnDeactivate,
                               &TCustomForm::SetOnDeactivate)
          .Event<TCloseEvent>("OnClose", &TCustomForm::OnClose, &TCustomForm::SetOnClose)
          .Event<TCloseQueryEvent>("OnCloseQuery", &TCustomForm::OnCloseQuery,
                                   &TCustomForm::SetOnCloseQuery)
          .Build();
  return info;
}

const TClassInfo* TForm::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TForm>("TForm", TCustomForm::StaticClass()).Factory().Build();
  return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FColor = clBtnFace;
  FControlStyle |= csAcceptsControls;
  FWidth = 320;
  FHeight = 240;
  if (Screen) Screen->FForms.push_back(this);
}

TCustomForm::~TCustomForm() {
  Destroying();
  FOnDestroy(this);
  if (TPopupMenu* m = TPopupMenu::ActiveMenu()) m->CloseMenu();
  if (Screen) std::erase(Screen->FForms, this);
  if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
  if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
  FActiveControl = nullptr;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  if (HandleAllocated()) {
    TCreateParams p;
    CreateParams(p);
    SetWindowLongW(Handle(), GWL_STYLE, LONG(p.Style));
    SetWindowLongW(Handle(), GWL_EXSTYLE, LONG(p.ExStyle));
  }
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == FActiveControl) return;
  if (control && !ContainsControl(control)) return;
  if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
  FActiveControl = control;
  if (control) control->FreeNotification(this);
  if (FActive && control && !IsLoading() && control->CanFocus()) control->SetFocus();
}

void TCustomForm::SetActiveFromFocus(TWinControl* control) {
  if (static_cast<TControl*>(control) == this || control == FActiveControl) return;
  if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
  FActiveControl = control;
  if (control) control->FreeNotification(this);
}

void TCustomForm::FocusControl(TWinControl* control) {
  if (control && control->CanFocus()) control->SetFocus();
}

void TCustomForm::SelectFirst() {
  TWinControl* c = FindNextControl(nullptr, true, true, false);
  if (c)
    c->SetFocus();
  else if (HandleAllocated() && CanFocus())
    ::SetFocus(Handle());
}

void TCustomForm::Show() {
  if (!FVisible) {
    SetVisible(true);
    return;
  }
  HandleNeeded();
  if (!HandleAllocated()) return;
  ShowWindow(Handle(), SW_SHOW);
  SetActiveWindow(Handle());
  if (!FActive) Activate();
}

void TCustomForm::Hide() {
  SetVisible(false);
}

void TCustomForm::VisibleChanged() {
  if (FVisible) {
    HandleNeeded();
    if (!HandleAllocated()) return;
    ShowWindow(Handle(), SW_SHOW);
    FOnShow(this);
    SetActiveWindow(Handle());
    if (!FActive) Activate();
  } else {
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    if (FActive) Deactivate();
    FOnHide(this);
  }
}

void TCustomForm::Activate() {
  FActive = true;
  if (!FActivatedOnce) {
    FActivatedOnce = true;
    if (FActiveControl && FActiveControl->CanFocus())
      FActiveControl->SetFocus();
    else
      SelectFirst();
  } else if (FActiveControl && FActiveControl->CanFocus() && !FActiveControl->Focused()) {
    FActiveControl->SetFocus();
  }
  FOnActivate(this);
}

void TCustomForm::Deactivate() {
  FActive = false;
  FOnDeactivate(this);
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  FOnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  FOnClose(this, action);
}

void TCustomForm::Close() {
  if (!CloseQuery()) return;
  const bool isMain = Application && Application->MainForm() == this;
  TCloseAction action = isMain ? caFree : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (isMain) {
    Application->Terminate();
    return;
  }
  Hide();
  if (action == caFree && HandleAllocated()) PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::DoCreate() {
  if (FCreated) return;
  FCreated = true;
  FOnCreate(this);
}

bool TCustomForm::DialogKey(WORD key, TShiftState shift) {
  if (HasShift(shift, ssAlt) || HasShift(shift, ssCtrl)) return false;
  switch (key) {
    case VK_TAB: {
      TWinControl* current = TWinControl::FindControl(GetFocus());
      if (!current || !ContainsControl(current)) current = FActiveControl;
      SelectNext(current, !HasShift(shift, ssShift), true);
      return true;
    }
    case VK_RETURN:
    case VK_ESCAPE: {
      TButton* b = FindDialogButton(this, key == VK_RETURN);
      if (!b) return false;
      b->Click();
      return true;
    }
    default:
      return false;
  }
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.WndParent = nullptr;
  params.Style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  params.ExStyle = 0;
  switch (FBorderStyle) {
    case bsDialog:
      params.Style |= WS_DLGFRAME;
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      params.Style |= WS_THICKFRAME;
      break;
    case bsNone:
      params.Style = WS_CLIPCHILDREN;
      break;
    default:
      params.Style |= WS_BORDER;
      break;
  }
  if (!FEnabled) params.Style |= WS_DISABLED;
  if (Application && Application->MainFormOnTaskBar() && Application->MainForm() == this)
    params.ExStyle |= WS_EX_APPWINDOW;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
}

void TCustomForm::TextChanged() {
  TWinControl::TextChanged();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FActiveControl) FActiveControl = nullptr;
}

void TCustomForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
    case WM_ACTIVATE:
      if (LOWORD(message.WParam) != WA_INACTIVE) {
        if (!FActive) Activate();
      } else if (FActive) {
        Deactivate();
      }
      return;
    case CM_RELEASE:
      delete this;
      return;
    default:
      TWinControl::WndProc(message);
  }
}

// =======================================================================================
// TApplication

const TClassInfo* TApplication::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TApplication>("TApplication", TComponent::StaticClass())
          .String("Title", &TApplication::Title, &TApplication::SetTitle, u"")
          .Bool("MainFormOnTaskBar", &TApplication::MainFormOnTaskBar,
                &TApplication::SetMainFormOnTaskBar, false)
          .Build();
  return info;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() {
  Destroying();
  DestroyComponents();
}

void TApplication::Initialize() {
  FInitialized = true;
}

void TApplication::FormCreated(TCustomForm* form) {
  if (!FMainForm) FMainForm = form;
  form->DoCreate();
}

void TApplication::Run() {
  if (!FMainForm) return;
  FMainForm->Show();
  // The windows exist now: the forms are destroyed at exit before the window system's
  // own state goes away (exit handlers run in reverse order of registration).
  if (!gAtExitRegistered) {
    gAtExitRegistered = true;
    std::atexit(DestroyApplicationForms);
  }
  while (!FTerminated)
    HandleMessage();
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (!FTerminated && ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

void TApplication::Idle() {
  FOnIdle(this);
  if (!FTerminated) WaitMessage();
}

HWND TApplication::ActiveFormHandle() const {
  if (Screen) {
    if (TCustomForm* f = Screen->ActiveForm()) {
      if (f->HandleAllocated()) return f->Handle();
    }
  }
  if (HWND a = GetActiveWindow()) return a;
  if (FMainForm && FMainForm->HandleAllocated()) return FMainForm->Handle();
  return nullptr;
}

int TApplication::MessageBox(const TUnicodeString& text, const TUnicodeString& caption,
                             UINT flags) {
  if (TPopupMenu* m = TPopupMenu::ActiveMenu()) m->CloseMenu();
  HWND owner = ActiveFormHandle();
  HWND focus = GetFocus();
  // The application's windows take no input while the box is open.
  std::vector<HWND> disabled;
  if (Screen) {
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* f = Screen->Forms(i);
      if (!f->HandleAllocated()) continue;
      HWND h = f->Handle();
      if (IsWindowEnabled(h)) {
        EnableWindow(h, FALSE);
        disabled.push_back(h);
      }
    }
  }
  int result = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
  for (HWND h : disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  if (focus && IsWindow(focus) && GetFocus() != focus) ::SetFocus(focus);
  return result;
}

void TApplication::Reset() {
  if (TPopupMenu* m = TPopupMenu::ActiveMenu()) m->CloseMenu();
  DestroyComponents();
  FMainForm = nullptr;
  FTerminated = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FMainForm) FMainForm = nullptr;
}

// =======================================================================================
// TScreen

const TClassInfo* TScreen::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TScreen>("TScreen", TComponent::StaticClass()).Build();
  return info;
}

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

int TScreen::Width() const {
  return GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::Height() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

void TScreen::SetCursor(TCursor v) {
  if (v == FCursor) return;
  FCursor = v;
  if (v != crDefault) ::SetCursor(Cursors(v));
}

TCustomForm* TScreen::ActiveForm() const {
  for (TCustomForm* f : FForms)
    if (f->Active()) return f;
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* f = ActiveForm();
  return f ? f->ActiveControl() : nullptr;
}
