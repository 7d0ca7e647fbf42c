// Kestrix: the upgrade wizard's entry. It takes no command line and reads no files.
#include "framework/Forms.h"
#include "wizard/Form1.h"

int main() {
  Application->Initialize();
  Application->SetMainFormOnTaskBar(true);
  Application->SetTitle(u"Kestrix");
  TForm1* Form1 = nullptr;
  Application->CreateForm(Form1);
  Application->Run();
  return 0;
}
