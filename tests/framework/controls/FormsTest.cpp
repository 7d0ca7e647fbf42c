// Forms and the application: creation, the window, closing and the quit request, the
// message box, layout descriptions.
#include <gtest/gtest.h>

#include "FrameworkTest.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "framework/Streaming.h"

namespace kx::test {
namespace {

using FormsTest = FrameworkTest;

class TCountingForm : public TForm {
 public:
  explicit TCountingForm(TComponent* owner) : TForm(owner) {
    SetOnCreate(TNotifyEvent::Bind(this, &TCountingForm::FormCreate, "FormCreate"));
    SetClientWidth(100);
    SetClientHeight(80);
  }
  void FormCreate(TObject*) {
    ++creates;
    wasMainDuringCreate = Application->MainForm() == this;
  }
  int creates = 0;
  bool wasMainDuringCreate = false;
};

TEST_F(FormsTest, CreateFormMakesTheMainFormAndRunsItsCreateEventOnce) {
  TCountingForm* f = nullptr;
  Application->CreateForm(f);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(Application->MainForm(), f);
  EXPECT_EQ(f->creates, 1);
  EXPECT_TRUE(f->wasMainDuringCreate);
  f->DoCreate();
  EXPECT_EQ(f->creates, 1);
  TCountingForm* second = nullptr;
  Application->CreateForm(second);
  EXPECT_EQ(Application->MainForm(), f);
  Application->Reset();
  EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(FormsTest, TheWindowCarriesCaptionSizeAndDialogFrame) {
  form->SetBorderStyle(bsDialog);
  form->SetCaption(u"Title");
  form->SetClientWidth(445);
  form->SetClientHeight(592);
  ShowForm();
  HWND h = form->Handle();
  WCHAR buf[32] = {};
  GetWindowTextW(h, buf, 32);
  EXPECT_EQ(std::u16string(buf), u"Title");
  RECT r;
  GetClientRect(h, &r);
  EXPECT_EQ(r.right, 445);
  EXPECT_EQ(r.bottom, 592);
  const DWORD style = DWORD(GetWindowLongW(h, GWL_STYLE));
  EXPECT_TRUE(style & WS_DLGFRAME);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(Shot().width, 445);
  form->SetCaption(u"Other");
  GetWindowTextW(h, buf, 32);
  EXPECT_EQ(std::u16string(buf), u"Other");
}

TEST_F(FormsTest, ClosingTheMainFormEndsTheLoopThatTakesTheQuitRequest) {
  TCountingForm* f = nullptr;
  Application->CreateForm(f);
  f->Show();
  PostMessageW(f->Handle(), WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(IsWindow(f->Handle())) << "the main form stays until the program ends";
}

TEST_F(FormsTest, ANestedLoopThatTakesTheQuitRequestKeepsTheApplicationRunning) {
  TCountingForm* f = nullptr;
  Application->CreateForm(f);
  f->Show();
  f->Close();
  MSG msg;
  bool quitSeen = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitSeen = true;
      continue;
    }
    DispatchMessageW(&msg);
  }
  EXPECT_TRUE(quitSeen);
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Terminated());
}

TEST_F(FormsTest, RunReturnsOnceTheMainFormIsClosed) {
  TCountingForm* f = nullptr;
  Application->CreateForm(f);
  f->Show();
  PostMessageW(f->Handle(), WM_CLOSE, 0, 0);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(FormsTest, CloseQueryCanRefuseAndOtherFormsOnlyHide) {
  TCountingForm* main = nullptr;
  Application->CreateForm(main);
  main->Show();
  bool allow = false;
  main->SetOnCloseQuery(TCloseQueryEvent([&](TObject*, bool& can) { can = allow; }));
  main->Close();
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Terminated());

  TCountingForm* other = nullptr;
  Application->CreateForm(other);
  other->Show();
  other->Close();
  EXPECT_FALSE(other->Visible());
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Terminated());
}

TEST_F(FormsTest, MessageBoxHasTheActiveFormAsOwnerAndRestoresTheFocus) {
  Add<TEdit>(form, 10, 10, 80, 20);
  auto* e2 = Add<TEdit>(form, 10, 40, 80, 20);
  ShowForm();
  e2->SetFocus();
  ASSERT_TRUE(e2->Focused());
  int answer = Application->MessageBox(u"Text\r\nline", u"Caption", 0x11030);
  EXPECT_EQ(answer, IDOK);
  const auto& boxes = kx::headless::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, form->Handle());
  EXPECT_EQ(boxes[0].text, u"Text\r\nline");
  EXPECT_EQ(boxes[0].caption, u"Caption");
  EXPECT_EQ(boxes[0].type, 0x11030u);
  EXPECT_TRUE(e2->Focused()) << "the focus returns where it was";
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
}

TEST_F(FormsTest, LayoutDescriptionBuildsTheTree) {
  const char* layout =
      "object Form1: TForm\n"
      "  Caption = 'Layout'\n"
      "  ClientWidth = 300\n"
      "  ClientHeight = 200\n"
      "  Color = clWhite\n"
      "  Font.Height = -13\n"
      "  object Panel1: TPanel\n"
      "    Left = 0\n"
      "    Top = 0\n"
      "    Width = 300\n"
      "    Height = 60\n"
      "    Align = alTop\n"
      "    BevelOuter = bvNone\n"
      "    Color = 13531904\n"
      "    TabOrder = 1\n"
      "    object Label1: TLabel\n"
      "      Left = 10\n"
      "      Top = 10\n"
      "      Width = 100\n"
      "      Height = 20\n"
      "      AutoSize = False\n"
      "      Caption = 'Hello'\n"
      "    end\n"
      "  end\n"
      "  object Button1: TButton\n"
      "    Left = 10\n"
      "    Top = 100\n"
      "    Width = 100\n"
      "    Height = 30\n"
      "    Caption = 'Go'\n"
      "    TabOrder = 0\n"
      "  end\n"
      "end\n";
  TLayoutError err;
  ASSERT_TRUE(ReadComponentText(layout, form, &err)) << err.line << ": " << err.message;
  auto* panel = dynamic_cast<TPanel*>(form->FindComponent("Panel1"));
  auto* label = dynamic_cast<TLabel*>(form->FindComponent("Label1"));
  auto* button = dynamic_cast<TButton*>(form->FindComponent("Button1"));
  ASSERT_TRUE(panel && label && button);
  EXPECT_EQ(label->Parent(), panel);
  EXPECT_EQ(panel->Parent(), form);
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(label->Color(), TColor(13531904)) << "parent colour";
  EXPECT_EQ(label->Font()->Height(), -13) << "parent font";
  EXPECT_EQ(button->TabOrder(), 0);
  EXPECT_EQ(panel->TabOrder(), 1);
  ShowForm();
  EXPECT_TRUE(button->Focused());
  EXPECT_EQ(Shot().ColorAt(200, 30), Rgb(TColor(13531904)));

  std::string text = WriteComponentText(form);
  EXPECT_NE(text.find("Caption = 'Go'"), std::string::npos) << text;
  EXPECT_NE(text.find("object Label1: TLabel"), std::string::npos) << text;
}

}  // namespace
}  // namespace kx::test
