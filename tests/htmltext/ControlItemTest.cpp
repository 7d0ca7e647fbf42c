// Embedded controls: created by class name with the host as owner, configured from the
// tag's attributes, placed at their first drawing, written back by GenerateHTML.
#include <gtest/gtest.h>

#include "HTMLTestUtil.h"
#include "framework/Controls.h"
#include "framework/StdCtrls.h"
#include "htmltext/Register.h"

using namespace htmltest;

namespace {

TEST(ControlItem, CreatedConfiguredAndPlaced) {
  RegisterHTMLTextClasses();
  Engine e;
  TWinControl host(nullptr);
  e.render.SetControl(&host);
  THTMLData& d = e.Parse(
      "ab<control controlclass=tedit width=80 text='hello' color=clRed maxlength=x "
      "readonly=True nosuch=1>");
  ASSERT_EQ(d.ControlsArray().size(), 1u);
  auto* item = static_cast<THTMLControlItem*>(d.ControlsArray()[0]);
  ASSERT_EQ(item->FItemType, hitControl);
  auto* edit = dynamic_cast<TEdit*>(item->Control());
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Owner(), &host);
  EXPECT_FALSE(edit->Visible());
  EXPECT_FALSE(edit->TabStop());
  EXPECT_EQ(edit->Width(), 80);
  EXPECT_EQ(item->FWidth, 80);
  EXPECT_EQ(item->FHeight, 21);  // the control's own height
  EXPECT_EQ(edit->Text(), u"hello");
  EXPECT_EQ(edit->Color(), clRed);
  EXPECT_EQ(edit->MaxLength(), 0);  // not a number: skipped
  EXPECT_TRUE(edit->ReadOnly());

  TBitmap b(200, 60);
  e.render.DrawText(b.Canvas(), Point(0, 0), Rect(0, 0, 200, 60), clNone);
  EXPECT_TRUE(edit->Visible());
  EXPECT_EQ(edit->Parent(), &host);
  EXPECT_EQ(edit->Left(), d.Items(1)->FWidth);  // after "ab"
  EXPECT_EQ(edit->Top(), 0);

  // Integer values that equal a colour are written as its name (0 is clBlack); reading
  // them back takes the name, so the markup round-trips.
  EXPECT_EQ(A(d.GenerateHTML()),
            "<html>ab<control controlclass=\"TEdit\" width=\"80\" text=\"hello\" "
            "color=\"clRed\" maxlength=\"clBlack\" readonly=\"True\" >\r\n</html>");

  // The next parse destroys the control with its item.
  e.Parse("x");
  EXPECT_EQ(host.ComponentCount(), 0);
  e.render.SetControl(nullptr);
}

TEST(ControlItem, WithoutHostTheItemStillTakesItsPlace) {
  Engine e;
  THTMLData& d = e.Parse("<control controlclass=TCheckBox width=40 height=20>");
  ASSERT_EQ(d.ControlsArray().size(), 1u);
  auto* item = static_cast<THTMLControlItem*>(d.ControlsArray()[0]);
  EXPECT_EQ(item->Control(), nullptr);
  EXPECT_EQ(item->FWidth, 40);
  EXPECT_EQ(d.TextSize(), (TSize{40, 20}));
  EXPECT_EQ(A(d.GenerateHTML()), "<html>\r\n</html>");
}

TEST(ControlItem, ControlDestroyedByItsOwnerFirst) {
  Engine e;
  auto* host = new TWinControl(nullptr);
  e.render.SetControl(host);
  THTMLData& d = e.Parse("<control controlclass=TButton>");
  auto* item = static_cast<THTMLControlItem*>(d.ControlsArray()[0]);
  ASSERT_NE(item->Control(), nullptr);
  e.render.SetControl(nullptr);
  delete host;  // frees the button it owns
  EXPECT_EQ(item->Control(), nullptr);
  e.Parse("y");  // destroying the item does not touch the freed control
}

}  // namespace
