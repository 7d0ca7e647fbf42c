#include "framework/Register.h"

#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

void RegisterFrameworkClasses() {
  RegisterGraphicsClasses();
  TControl::StaticClass();
  TGraphicControl::StaticClass();
  TWinControl::StaticClass();
  TCustomControl::StaticClass();
  TCustomForm::StaticClass();
  TForm::StaticClass();
  TApplication::StaticClass();
  TScreen::StaticClass();
  TCustomLabel::StaticClass();
  TLabel::StaticClass();
  TButton::StaticClass();
  TEdit::StaticClass();
  TCheckBox::StaticClass();
  TRadioButton::StaticClass();
  TCustomPanel::StaticClass();
  TPanel::StaticClass();
  TMenuItem::StaticClass();
  TMenu::StaticClass();
  TPopupMenu::StaticClass();
}
