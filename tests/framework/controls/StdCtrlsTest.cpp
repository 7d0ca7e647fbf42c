// Labels, buttons, edits, check and radio buttons and panels: rendering probes and input.
#include <gtest/gtest.h>

#include "FrameworkTest.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

namespace kx::test {
namespace {

using StdCtrlsTest = FrameworkTest;

TLabel* MakeLabel(TForm* form, const TUnicodeString& caption, TRect bounds) {
  auto* l = new TLabel(form);
  l->SetParent(form);
  l->SetAutoSize(false);
  l->SetBoundsRect(bounds);
  l->SetCaption(caption);
  l->Font()->SetHeight(-13);
  l->Font()->SetColor(clBlack);
  return l;
}

TEST_F(StdCtrlsTest, LabelAlignmentPlacesTheText) {
  struct Case {
    TAlignment alignment;
    TTextLayout layout;
  };
  const Case cases[] = {{taLeftJustify, tlTop}, {taCenter, tlCenter}, {taRightJustify, tlBottom}};
  std::vector<TLabel*> labels;
  int y = 0;
  for (const Case& c : cases) {
    TLabel* l = MakeLabel(form, u"Hello", Rect(0, y, 200, y + 40));
    l->SetAlignment(c.alignment);
    l->SetLayout(c.layout);
    labels.push_back(l);
    y += 45;
  }
  ShowForm();
  kx::Image img = Shot();
  Artifact(img, "label_alignment");
  for (size_t i = 0; i < labels.size(); ++i) {
    TRect area = labels[i]->BoundsRect();
    TRect ink = InkBox(img, area, Rgb(clWhite));
    ASSERT_LT(ink.left, ink.right) << "case " << i << ": no text drawn";
    const int cx = (ink.left + ink.right) / 2, cy = (ink.top + ink.bottom) / 2 - area.top;
    switch (cases[i].alignment) {
      case taLeftJustify:
        EXPECT_LE(ink.left, 2);
        break;
      case taCenter:
        EXPECT_NEAR(cx, 100, 3);
        break;
      case taRightJustify:
        EXPECT_GE(ink.right, 197);
        break;
    }
    switch (cases[i].layout) {
      case tlTop:
        EXPECT_LE(ink.top - area.top, 4);
        break;
      case tlCenter:
        EXPECT_NEAR(cy, 20, 3);
        break;
      case tlBottom:
        EXPECT_GE(ink.bottom - area.top, 34);
        break;
    }
  }
}

TEST_F(StdCtrlsTest, LabelTransparencyWordWrapAndAccelerator) {
  form->SetColor(clAqua);
  TLabel* opaque = MakeLabel(form, u"x", Rect(0, 0, 60, 20));
  opaque->SetColor(clYellow);
  TLabel* clear = MakeLabel(form, u"x", Rect(70, 0, 130, 20));
  clear->SetTransparent(true);
  TLabel* wrapped = MakeLabel(form, u"one two three four five", Rect(0, 30, 60, 120));
  wrapped->SetWordWrap(true);
  wrapped->SetColor(clWhite);
  TLabel* accel = MakeLabel(form, u"&&", Rect(70, 30, 200, 50));
  accel->SetColor(clWhite);
  TLabel* plain = MakeLabel(form, u"&&", Rect(70, 60, 200, 80));
  plain->SetColor(clWhite);
  plain->SetShowAccelChar(false);
  ShowForm();
  kx::Image img = Shot();
  Artifact(img, "label_states");
  EXPECT_EQ(img.ColorAt(50, 15), Rgb(clYellow));
  EXPECT_EQ(img.ColorAt(120, 15), Rgb(clAqua));
  TRect lines = InkBox(img, wrapped->BoundsRect(), Rgb(clWhite));
  EXPECT_GT(RectHeight(lines), 30) << "the caption wraps onto several lines";
  EXPECT_LE(lines.right, 60);
  const int oneAmp = RectWidth(InkBox(img, accel->BoundsRect(), Rgb(clWhite)));
  const int twoAmps = RectWidth(InkBox(img, plain->BoundsRect(), Rgb(clWhite)));
  EXPECT_GT(oneAmp, 0);
  EXPECT_GT(twoAmps, oneAmp * 3 / 2) << "\"&&\" is one \"&\" only with the accelerator on";
}

TEST_F(StdCtrlsTest, LabelAutoSizeFitsTheTextAndKeepsTheRightEdge) {
  TLabel* l = MakeLabel(form, u"Hello", Rect(100, 10, 150, 30));
  l->SetAlignment(taRightJustify);
  l->SetAutoSize(true);
  const int right = l->Left() + l->Width();
  EXPECT_EQ(right, 150);
  EXPECT_GT(l->Width(), 20);
  EXPECT_GE(l->Height(), 13);
  const int w = l->Width();
  l->SetCaption(u"Hello, world");
  EXPECT_GT(l->Width(), w);
  EXPECT_EQ(l->Left() + l->Width(), 150);
}

TEST_F(StdCtrlsTest, DisabledLabelIsEngraved) {
  form->SetColor(clSilver);
  TLabel* l = MakeLabel(form, u"Disabled", Rect(10, 10, 150, 40));
  l->SetTransparent(true);
  l->Font()->SetHeight(-20);
  l->SetEnabled(false);
  ShowForm();
  kx::Image img = Shot();
  bool highlight = false, shadow = false;
  for (int y = 10; y < 40; ++y)
    for (int x = 10; x < 150; ++x) {
      highlight |= img.ColorAt(x, y) == Rgb(clBtnHighlight);
      shadow |= img.ColorAt(x, y) == Rgb(clBtnShadow);
    }
  EXPECT_TRUE(highlight);
  EXPECT_TRUE(shadow);
}

TEST_F(StdCtrlsTest, ButtonDrawsFaceEdgeCaptionAndFocusRectangle) {
  auto* b = Add<TButton>(form, 20, 20, 120, 40);
  b->SetCaption(u"Press");
  b->Font()->SetColor(clBlack);
  auto* other = Add<TEdit>(form, 20, 100, 80, 20);
  other->SetTabOrder(0);
  ShowForm();
  ASSERT_TRUE(other->Focused());
  kx::Image img = Shot();
  Artifact(img, "button_unfocused");
  EXPECT_EQ(img.ColorAt(24, 40), Rgb(clBtnFace));
  EXPECT_EQ(img.ColorAt(20 + 119, 20 + 39), Rgb(cl3DDkShadow));
  EXPECT_EQ(img.ColorAt(20 + 118, 20 + 38), Rgb(clBtnShadow));
  TRect ink = InkBox(img, Rect(26, 26, 134, 54), Rgb(clBtnFace));
  ASSERT_LT(ink.left, ink.right);
  EXPECT_NEAR((ink.left + ink.right) / 2, 80, 3);
  EXPECT_NEAR((ink.top + ink.bottom) / 2, 40, 3);

  b->SetFocus();
  kx::headless::Tick(0);
  img = Shot();
  Artifact(img, "button_focused");
  EXPECT_EQ(img.ColorAt(20, 20), Rgb(clWindowFrame)) << "the focused button gets a frame";
  int dots = 0;
  for (int x = 30; x < 130; ++x)
    dots += img.ColorAt(x, 24) != Rgb(clBtnFace);
  EXPECT_GT(dots, 20) << "focus rectangle at four pixels inside";
}

TEST_F(StdCtrlsTest, ButtonActivation) {
  auto* b = Add<TButton>(form, 20, 20, 100, 30);
  int clicks = 0;
  b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
  ShowForm();
  ASSERT_TRUE(b->Focused());

  kx::headless::Click(50, 30);
  EXPECT_EQ(clicks, 1);
  kx::headless::PressKey(VK_SPACE);
  EXPECT_EQ(clicks, 2);
  kx::headless::PressKey(VK_RETURN);
  EXPECT_EQ(clicks, 3);

  kx::headless::MouseDown(50, 30);
  EXPECT_TRUE(b->Pressed());
  kx::headless::MouseMove(180, 130);
  EXPECT_FALSE(b->Pressed());
  kx::headless::MouseUp(180, 130);
  EXPECT_EQ(clicks, 3) << "released outside";

  b->SetEnabled(false);
  kx::headless::Click(50, 30);
  EXPECT_EQ(clicks, 3);
}

TEST_F(StdCtrlsTest, EnterInAFieldPressesTheDefaultButton) {
  auto* e = Add<TEdit>(form, 10, 10, 80, 20);
  auto* b = Add<TButton>(form, 10, 50, 80, 25);
  b->SetDefault(true);
  int clicks = 0;
  b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
  ShowForm();
  ASSERT_TRUE(e->Focused());
  kx::headless::PressKey(VK_RETURN);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(e->Focused());
}

TEST_F(StdCtrlsTest, EditTakesTypedText) {
  auto* e = Add<TEdit>(form, 10, 10, 120, 22);
  int changes = 0;
  e->SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  e->SetMaxLength(5);
  ShowForm();
  kx::headless::TypeText(u"abc");
  EXPECT_EQ(e->Text(), u"abc");
  kx::headless::PressKey(VK_BACK);
  EXPECT_EQ(e->Text(), u"ab");
  kx::headless::TypeText(u"cdefg");
  EXPECT_EQ(e->Text(), u"abcde") << "MaxLength";
  EXPECT_EQ(changes, 7);
  Artifact(Shot(), "edit");
}

TEST_F(StdCtrlsTest, CheckBoxAndRadioButtons) {
  auto* c = Add<TCheckBox>(form, 10, 10, 100, 17);
  auto* r1 = Add<TRadioButton>(form, 10, 40, 100, 17);
  auto* r2 = Add<TRadioButton>(form, 10, 60, 100, 17);
  c->SetCaption(u"Check");
  r1->SetCaption(u"One");
  r2->SetCaption(u"Two");
  ShowForm();
  kx::headless::Click(15, 18);
  EXPECT_TRUE(c->Checked());
  kx::headless::PressKey(VK_SPACE);
  EXPECT_FALSE(c->Checked());
  kx::headless::Click(15, 48);
  EXPECT_TRUE(r1->Checked());
  kx::headless::Click(15, 68);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked());
  Artifact(Shot(), "check_radio");
}

TEST_F(StdCtrlsTest, PanelBevelsColourAndCaption) {
  auto* p = Add<TPanel>(form, 10, 10, 120, 60);
  p->SetColor(clBlue);
  p->SetCaption(u"Panel");
  p->Font()->SetColor(clWhite);
  auto* flat = Add<TPanel>(form, 140, 10, 50, 50);
  flat->SetBevelOuter(bvNone);
  flat->SetColor(clLime);
  ShowForm();
  kx::Image img = Shot();
  Artifact(img, "panel");
  EXPECT_EQ(img.ColorAt(10, 10), Rgb(clBtnHighlight));
  EXPECT_EQ(img.ColorAt(129, 69), Rgb(clBtnShadow));
  EXPECT_EQ(img.ColorAt(15, 15), Rgb(clBlue));
  TRect ink = InkBox(img, Rect(12, 12, 128, 68), Rgb(clBlue));
  ASSERT_LT(ink.left, ink.right);
  EXPECT_NEAR((ink.left + ink.right) / 2, 70, 3);
  EXPECT_EQ(img.ColorAt(140, 10), Rgb(clLime));
  EXPECT_EQ(img.ColorAt(189, 59), Rgb(clLime));
}

}  // namespace
}  // namespace kx::test
