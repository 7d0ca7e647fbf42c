// Process start to a created TForm1, headless: the program's own start-up order without
// showing the window. Exits right after the form exists.
#include "framework/Forms.h"
#include "platform/display/Headless.h"
#include "wizard/Form1.h"

int main() {
  kx::headless::Start();
  Application->Initialize();
  Application->SetMainFormOnTaskBar(true);
  Application->SetTitle(u"Kestrix");
  TForm1* Form1 = nullptr;
  Application->CreateForm(Form1);
  return Form1 != nullptr ? 0 : 1;
}
