// TForm1: the wizard window. Its controls and their stored values come from the layout
// description Form1.layout (compiled into the program); the handlers below are bound to
// them by name.
#pragma once

#include <functional>

#include "framework/Forms.h"
#include "framework/TypInfo.h"

class THTMLLabel;
class TLabel;
class TFlatPanel;
class TFlatEdit;
class TButton;
class TMarquee;
class THTTPGet;

class TForm1 : public TForm {
 public:
  KX_DECLARE_CLASS(TForm1)

 public:
  explicit TForm1(TComponent* owner);

  // The controls of the layout description, in creation order.
  THTMLLabel* HTMLLabel2 = nullptr;
  THTMLLabel* HTMLLabel5 = nullptr;
  THTMLLabel* HTMLLabel3 = nullptr;
  THTMLLabel* HTMLLabel4 = nullptr;
  TLabel* Label1 = nullptr;
  THTMLLabel* HTMLLabel6 = nullptr;
  TFlatPanel* FlatPanel1 = nullptr;
  THTMLLabel* HTMLLabel1 = nullptr;
  TFlatEdit* FlatEdit1 = nullptr;
  TButton* Button1 = nullptr;
  TFlatPanel* FlatPanel2 = nullptr;
  TMarquee* MarqueeUserSynchronization = nullptr;
  THTTPGet* HTTPGetUpdate = nullptr;

  // The sign-up address, composed anew on every click of the sign-up link.
  TUnicodeString RegLink;
  // The product whose full version the wizard fetches.
  TUnicodeString ProdName;
  // The code the sign-up address ends with.
  TUnicodeString SignUpCode;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void HTTPGetUpdateDoneFile(TObject* Sender, AnsiString FileName, int32_t FileSize);
  void HTTPGetUpdateError(TObject* Sender);
  void HTMLLabel3Click(TObject* Sender);

  // The temporary folder, absolute, in its stored spelling, ending with "/".
  TUnicodeString GetTempDir();

  // How the program ends after starting the installer. The default destroys the window
  // and its components (which asks a still-waiting worker to stop) and exits the process
  // with the given code; tests replace it.
  using TProgramEnd = std::function<void(int exitCode)>;
  static void SetProgramEnd(TProgramEnd end);

 private:
  void ShowFailureMessage();
};

// The layout description of TForm1, as compiled into the program.
extern const char* const kForm1Layout;

// Registers every class the wizard's layout description names.
void RegisterWizardClasses();
