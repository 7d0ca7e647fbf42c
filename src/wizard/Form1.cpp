#include "wizard/Form1.h"

#include <cstdlib>
#include <utility>

#include "controls/FlatEdit.h"
#include "controls/FlatPanel.h"
#include "controls/HTMLLabel.h"
#include "controls/Register.h"
#include "framework/Register.h"
#include "framework/StdCtrls.h"
#include "framework/Streaming.h"
#include "httpget/HTTPGet.h"
#include "httpget/Register.h"
#include "marquee/Marquee.h"
#include "marquee/Register.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/Shell.h"
#include "wizard/TempDir.h"
#include "wizard/WizardSettings.h"

namespace {

void DefaultProgramEnd(int exitCode) {
  // The normal end of the program: the forms and their components are destroyed (the
  // getter's destructor asks its waiting worker to stop), then the process exits.
  if (Application != nullptr) Application->Reset();
  std::exit(exitCode);
}

TForm1::TProgramEnd& ProgramEnd() {
  static TForm1::TProgramEnd end = DefaultProgramEnd;
  return end;
}

template <class T>
void BindComponent(TForm1* form, T*& field, const char* name) {
  field = dynamic_cast<T*>(form->FindComponent(name));
}

}  // namespace

const TClassInfo* TForm1::StaticClass() {
  static const TClassInfo* info = TClassBuilder<TForm1>("TForm1", TForm::StaticClass()).Build();
  return info;
}

void RegisterWizardClasses() {
  RegisterFrameworkClasses();
  RegisterControlsClasses();
  RegisterMarqueeClasses();
  RegisterHTTPGetClasses();
  TForm1::StaticClass();
}

void TForm1::SetProgramEnd(TProgramEnd end) {
  ProgramEnd() = end ? std::move(end) : TProgramEnd(DefaultProgramEnd);
}

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  RegisterWizardClasses();
  RegisterMethod("FormCreate", TNotifyEvent::Bind(this, &TForm1::FormCreate, "FormCreate"));
  RegisterMethod("Button1Click", TNotifyEvent::Bind(this, &TForm1::Button1Click, "Button1Click"));
  RegisterMethod("HTMLLabel3Click",
                 TNotifyEvent::Bind(this, &TForm1::HTMLLabel3Click, "HTMLLabel3Click"));
  RegisterMethod(
      "HTTPGetUpdateDoneFile",
      TOnDoneFileEvent::Bind(this, &TForm1::HTTPGetUpdateDoneFile, "HTTPGetUpdateDoneFile"));
  RegisterMethod("HTTPGetUpdateError",
                 TNotifyEvent::Bind(this, &TForm1::HTTPGetUpdateError, "HTTPGetUpdateError"));

  // The layout is part of the program: a fault in it is a fault of the build, caught by
  // the tests, never something a user can cause.
  TLayoutError error;
  if (!ReadComponentText(kForm1Layout, this, &error)) {
    std::fprintf(stderr, "kestrix: layout description, line %d: %s\n", error.line,
                 error.message.c_str());
    std::abort();
  }
  BindComponent(this, HTMLLabel2, "HTMLLabel2");
  BindComponent(this, HTMLLabel5, "HTMLLabel5");
  BindComponent(this, HTMLLabel3, "HTMLLabel3");
  BindComponent(this, HTMLLabel4, "HTMLLabel4");
  BindComponent(this, Label1, "Label1");
  BindComponent(this, HTMLLabel6, "HTMLLabel6");
  BindComponent(this, FlatPanel1, "FlatPanel1");
  BindComponent(this, HTMLLabel1, "HTMLLabel1");
  BindComponent(this, FlatEdit1, "FlatEdit1");
  BindComponent(this, Button1, "Button1");
  BindComponent(this, FlatPanel2, "FlatPanel2");
  BindComponent(this, MarqueeUserSynchronization, "MarqueeUserSynchronization");
  BindComponent(this, HTTPGetUpdate, "HTTPGetUpdate");
}

void TForm1::FormCreate(TObject* /*Sender*/) {
  const bool german = kx::wizard::IsGermanSystem();
  ProdName = kx::wizard::kProductName;
  HTTPGetUpdate->SetURL(kx::wizard::kDownloadURL);
  SignUpCode = kx::wizard::kSignUpCode;

  const kx::wizard::TWizardTexts& texts = kx::wizard::Texts(german);
  if (german) {
    HTMLLabel1->SetCaption(kx::wizard::Headline(german, ProdName));
  } else {
    SetCaption(texts.caption);
    HTMLLabel1->SetCaption(kx::wizard::Headline(german, ProdName));
    HTMLLabel2->SetCaption(texts.step1);
    HTMLLabel3->SetCaption(texts.link);
    HTMLLabel4->SetCaption(texts.step2);
    Label1->SetCaption(texts.customerId);
    HTMLLabel6->SetCaption(texts.step3);
    Button1->SetCaption(texts.button);
    HTMLLabel5->SetCaption(texts.note);
  }

  const TUnicodeString tempDir = GetTempDir();
  HTTPGetUpdate->SetFileName(kx::wizard::TargetPath(tempDir, HTTPGetUpdate->URL()));
  HTTPGetUpdate->SetPassword(kx::wizard::kPassword);
}

TUnicodeString TForm1::GetTempDir() {
  return kx::wizard::GetTempDir();
}

void TForm1::Button1Click(TObject* /*Sender*/) {
  // A stale target goes first. While a transfer runs, the target is the running worker's
  // file: it stays (the second start is refused below anyway).
  if (!HTTPGetUpdate->Busy()) {
    const TUnicodeString target = kx::AnsiToUnicode(HTTPGetUpdate->FileName());
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      DeleteFileW(target.c_str());
  }
  HTTPGetUpdate->SetUserName(kx::UnicodeToAnsi(FlatEdit1->Text()));
  FlatPanel2->Show();
  HTTPGetUpdate->GetFile();
}

void TForm1::HTTPGetUpdateDoneFile(TObject* /*Sender*/, AnsiString /*FileName*/, int32_t FileSize) {
  FlatPanel2->Hide();
  if (FileSize > kx::wizard::kInstallerMinimumSize) {
    ShellExecuteA(Handle(), "open", HTTPGetUpdate->FileName().c_str(), "", "", SW_SHOW);
    ProgramEnd()(0);
    return;
  }
  ShowFailureMessage();
}

void TForm1::HTTPGetUpdateError(TObject* /*Sender*/) {
  FlatPanel2->Hide();
  ShowFailureMessage();
}

void TForm1::ShowFailureMessage() {
  const bool german = kx::wizard::IsGermanSystem();
  const kx::wizard::TWizardTexts& texts = kx::wizard::Texts(german);
  Application->MessageBox(texts.failureText, texts.failureTitle, kx::wizard::kFailureFlags);
}

void TForm1::HTMLLabel3Click(TObject* /*Sender*/) {
  const bool german = kx::wizard::IsGermanSystem();
  RegLink = kx::wizard::SignUpBase(german) + SignUpCode;
  ShellExecuteW(Handle(), u"open", RegLink.c_str(), nullptr, nullptr, SW_SHOW);
}
