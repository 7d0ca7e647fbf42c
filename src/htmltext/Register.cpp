#include "htmltext/Register.h"

#include "framework/StdCtrls.h"

void RegisterHTMLTextClasses() {
  TEdit::StaticClass();
  TButton::StaticClass();
  TCheckBox::StaticClass();
  TRadioButton::StaticClass();
}
