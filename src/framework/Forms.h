// Forms, the application object and the screen.
//
// A form is a top-level window: the first form whose window is created becomes the
// display's window (its frame and title bar belong to the display; the window rectangle
// equals the client rectangle, so Width == ClientWidth). The application object runs the
// message loop; closing the main form posts the quit request, and the loop ends when it
// takes that request from the queue itself (a nested loop that consumes it keeps the
// program running).
#pragma once

#include <vector>

#include "framework/Controls.h"

enum TCloseAction : uint8_t { caNone = 0, caHide = 1, caFree = 2, caMinimize = 3 };
using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;

// ---------------------------------------------------------------------------------------
class TCustomForm : public TWinControl {
 public:
  KX_DECLARE_CLASS(TCustomForm)

 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  // bsDialog: a fixed-size dialog frame with title bar and close button.
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle v);
  // Where the form appears; the display centres the top-level window on the screen.
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition v) { FPosition = v; }

  // The control that has (or gets, on activation) the focus within the form.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* control);
  // Focuses control (when it can take the focus) and makes it the active control.
  void FocusControl(TWinControl* control);
  // Focuses the first tab stop.
  void SelectFirst();
  bool Active() const { return FActive; }

  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool v) { FKeyPreview = v; }

  // Shows the form (creating its window) and activates it; the first activation focuses
  // ActiveControl or else the first tab stop.
  void Show();
  void Hide();
  // Asks OnCloseQuery, then OnClose; hides (or frees) the form. Closing the main form
  // terminates the application.
  void Close();
  virtual bool CloseQuery();

  // Runs OnCreate once; the application runs it after constructing and loading a form.
  void DoCreate();

  const TNotifyEvent& OnCreate() const { return FOnCreate; }
  void SetOnCreate(TNotifyEvent e) { FOnCreate = std::move(e); }
  const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TNotifyEvent e) { FOnDestroy = std::move(e); }
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent e) { FOnShow = std::move(e); }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(TNotifyEvent e) { FOnHide = std::move(e); }
  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent e) { FOnActivate = std::move(e); }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(TNotifyEvent e) { FOnDeactivate = std::move(e); }
  const TCloseEvent& OnClose() const { return FOnClose; }
  void SetOnClose(TCloseEvent e) { FOnClose = std::move(e); }
  const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(TCloseQueryEvent e) { FOnCloseQuery = std::move(e); }

  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void TextChanged() override;
  void VisibleChanged() override;

 public:
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoClose(TCloseAction& action);
  // Dialog navigation: Tab / Shift+Tab between tab stops. Returns true when handled.
  virtual bool DialogKey(WORD key, TShiftState shift);

 private:
  friend class TWinControl;
  friend class TApplication;
  void SetActiveFromFocus(TWinControl* control);

  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  TWinControl* FActiveControl = nullptr;
  bool FActive = false;
  bool FActivatedOnce = false;
  bool FCreated = false;
  bool FKeyPreview = false;
  TNotifyEvent FOnCreate;
  TNotifyEvent FOnDestroy;
  TNotifyEvent FOnShow;
  TNotifyEvent FOnHide;
  TNotifyEvent FOnActivate;
  TNotifyEvent FOnDeactivate;
  TCloseEvent FOnClose;
  TCloseQueryEvent FOnCloseQuery;
};

class TForm : public TCustomForm {
 public:
  KX_DECLARE_CLASS(TForm)

 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// ---------------------------------------------------------------------------------------
class TApplication : public TComponent {
 public:
  KX_DECLARE_CLASS(TApplication)

 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize();
  // The main form carries the task-bar button (there is no hidden application window).
  bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
  void SetMainFormOnTaskBar(bool v) { FMainFormOnTaskBar = v; }
  const TUnicodeString& Title() const { return FTitle; }
  void SetTitle(const TUnicodeString& v) { FTitle = v; }

  // Creates a form owned by the application (the first becomes the main form), stores it
  // in ref, and then runs its create event: the form's constructor has loaded its layout.
  template <class T>
  void CreateForm(T*& ref) {
    T* form = new T(this);
    ref = form;
    FormCreated(form);
  }

  TCustomForm* MainForm() const { return FMainForm; }
  // Shows the main form and runs the message loop until the loop takes a quit request.
  void Run();
  // Asks the loop to end: posts the quit request.
  void Terminate();
  // True once the application's own loop has taken the quit request.
  bool Terminated() const { return FTerminated; }
  // Takes and dispatches every message that is waiting now; returns at a quit request,
  // which it takes (Terminated becomes true).
  void ProcessMessages();
  // Takes and dispatches one message, or waits for one when none is waiting.
  void HandleMessage();
  // Takes and dispatches one message if one is waiting; false when none was.
  bool ProcessMessage(MSG& msg);

  // The platform message box with the active form as owner. The application's other
  // windows are disabled while it is open; the focus returns where it was.
  int MessageBox(const TUnicodeString& text, const TUnicodeString& caption, UINT flags = MB_OK);

  // The active form's window (the main form's when none is active), or null.
  HWND ActiveFormHandle() const;

  const TNotifyEvent& OnIdle() const { return FOnIdle; }
  void SetOnIdle(TNotifyEvent e) { FOnIdle = std::move(e); }

  // Destroys every form and forgets the run state (headless runs, tests).
  void Reset();

 public:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TCustomForm;
  void FormCreated(TCustomForm* form);
  void Idle();

  TCustomForm* FMainForm = nullptr;
  TUnicodeString FTitle;
  bool FMainFormOnTaskBar = false;
  bool FTerminated = false;
  bool FInitialized = false;
  TNotifyEvent FOnIdle;
};

extern TApplication* Application;

// ---------------------------------------------------------------------------------------
class TScreen : public TComponent {
 public:
  KX_DECLARE_CLASS(TScreen)

 public:
  explicit TScreen(TComponent* owner);

  int Width() const;
  int Height() const;
  int PixelsPerInch() const { return 96; }

  // A cursor that overrides every control's (crDefault: none).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v);
  // The platform cursor for a cursor identifier.
  static HCURSOR Cursors(TCursor cursor);

  int FormCount() const { return int(FForms.size()); }
  TCustomForm* Forms(int index) const { return FForms[size_t(index)]; }
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;

 private:
  friend class TCustomForm;
  TCursor FCursor = crDefault;
  std::vector<TCustomForm*> FForms;
};

extern TScreen* Screen;
