// Hit testing, links, selection, Tab order, input items, text export.
#include <gtest/gtest.h>

#include "HTMLTestUtil.h"
#include "framework/Controls.h"

using namespace htmltest;

namespace {

const TRect kR{0, 0, 300, 100};

TEST(HitTest, LinkRunAndPlainText) {
  Engine e;
  THTMLData& d = e.Parse("<a href=x>link</a> more");
  const int lineH = d.Items(0)->FHeight;
  const int linkStart = d.Items(1)->FWidth;  // after the empty run before the link
  TUnicodeString href = u"stale";
  EXPECT_TRUE(e.render.IsCursorOverLink(Point(linkStart + 3, lineH / 2), Point(0, 0), kR, href));
  EXPECT_EQ(href, u"x");
  const int moreX = linkStart + d.Items(2)->FWidth + 5;
  EXPECT_FALSE(e.render.IsCursorOverLink(Point(moreX, lineH / 2), Point(0, 0), kR, href));
  EXPECT_TRUE(href.empty());
  // The scroll offset is added to the point.
  EXPECT_TRUE(
      e.render.IsCursorOverLink(Point(linkStart + 3 - 50, lineH / 2), Point(50, 0), kR, href));
}

TEST(HitTest, RightOfTheLastItemHitsNothingEvenWhenALaterLineIsLonger) {
  Engine e;
  THTMLData& d = e.Parse("a<br>a much longer line");
  const int w0 = d.Items(1)->FWidth;
  EXPECT_EQ(e.render.ItemAt(Point(w0 + 10, 2), Point(0, 0), kR), nullptr);
  EXPECT_EQ(e.render.ItemAt(Point(2, 2), Point(0, 0), kR), d.Items(1));
  EXPECT_EQ(e.render.ItemAt(Point(2, d.TextSize().cy + 5), Point(0, 0), kR), nullptr);
}

TEST(HitTest, SuperscriptLinkIsHitWhereItIsDrawn) {
  Engine e;
  THTMLData& d = e.Parse("x<sup><a href=s>note</a></sup>");
  // Items: Para, x, "" (before the link), "note" (superscript link).
  THTMLItem* link = d.Items(3);
  ASSERT_TRUE(link->IsLink() && link->IsSuper());
  const int lineH = d.Items(0)->FHeight;
  int base = 0;
  const int h = link->GetHeight(base);
  const int x = d.Items(1)->FWidth + d.Items(2)->FWidth + 2;
  TUnicodeString href;
  // Inside the raised box, just below its top.
  EXPECT_TRUE(e.render.IsCursorOverLink(Point(x, lineH - h - h / 2 + 1), Point(0, 0), kR, href));
  EXPECT_EQ(href, u"s");
  // At the line's bottom, below the raised box: nothing.
  EXPECT_FALSE(e.render.IsCursorOverLink(Point(x, lineH - 1), Point(0, 0), kR, href));
}

TEST(HitTest, CentredLineUsesTheRectangleWidth) {
  Engine e;
  THTMLData& d = e.Parse("<p align=center>x");
  const int L = d.Items(0)->FWidth;
  const int x = (300 - L - 1) / 2;
  EXPECT_EQ(e.render.ItemAt(Point(x + 1, 3), Point(0, 0), kR), d.Items(1));
  EXPECT_EQ(e.render.ItemAt(Point(x - 2, 3), Point(0, 0), kR), nullptr);
  // An empty-width rectangle means the rectangle of the last drawing.
  TBitmap b(300, 100);
  e.render.DrawText(b.Canvas(), Point(0, 0), kR, clNone);
  EXPECT_EQ(e.render.ItemAt(Point(x + 1, 3), Point(0, 0), Rect(5, 5, 5, 5)), d.Items(1));
}

TEST(Click, EmptySpaceClearsSelectionWithoutEvent) {
  Engine e;
  int changes = 0;
  e.render.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  THTMLData& d = e.Parse("<a href=x>link</a>");
  d.SetSelectedItem(d.Items(2));
  e.render.ClickTransfer(250, 5, kR);
  EXPECT_EQ(d.SelectedItem(), nullptr);
  EXPECT_EQ(changes, 0);
  // On a link with LinkSelect off: the selection is cleared and OnChange raised.
  d.SetSelectedItem(d.Items(2));
  e.render.ClickTransfer(d.Items(1)->FWidth + 2, 5, kR);
  EXPECT_EQ(d.SelectedItem(), nullptr);
  EXPECT_EQ(changes, 1);
  e.render.SetLinkSelect(true);
  e.render.ClickTransfer(d.Items(1)->FWidth + 2, 5, kR);
  EXPECT_EQ(d.SelectedItem(), d.Items(2));
}

TEST(Click, RadioGroupsCheckOneAtATime) {
  Engine e;
  std::vector<THTMLInputItem*> checkedEvents;
  e.render.SetOnInputItemChecked(THTMLInputItemChangedEvent(
      [&](TObject*, THTMLInputItem* item) { checkedEvents.push_back(item); }));
  THTMLData& d = e.Parse("<input type=radio name=g checked=true><input type=radio name=g>");
  auto* first = static_cast<THTMLInputItem*>(d.ControlsArray()[0]);
  auto* second = static_cast<THTMLInputItem*>(d.ControlsArray()[1]);
  e.render.ClickTransfer(17 + 5, 5, kR);
  EXPECT_TRUE(second->Checked());
  EXPECT_FALSE(first->Checked());
  EXPECT_EQ(d.SelectedItem(), second);
  EXPECT_EQ(checkedEvents, (std::vector<THTMLInputItem*>{second}));
  // A checked radio button toggles off again when clicked.
  e.render.ClickTransfer(17 + 5, 5, kR);
  EXPECT_FALSE(second->Checked());
  EXPECT_FALSE(first->Checked());
}

TEST(Click, CheckBoxTogglesAndSpaceToggles) {
  Engine e;
  THTMLData& d = e.Parse("<input type=checkbox>");
  auto* box = static_cast<THTMLInputItem*>(d.ControlsArray()[0]);
  e.render.ClickTransfer(5, 5, kR);
  EXPECT_TRUE(box->Checked());
  WORD space = VK_SPACE;
  e.render.KeyDownTransfer(space, 0);
  EXPECT_FALSE(box->Checked());
}

TEST(Click, ValueSetterRaisesTextChangedOnlyOnChange) {
  Engine e;
  int changed = 0;
  e.render.SetOnInputItemTextChanged(
      THTMLInputItemChangedEvent([&](TObject*, THTMLInputItem*) { ++changed; }));
  THTMLData& d = e.Parse("<input type=checkbox value=a>");
  auto* box = static_cast<THTMLInputItem*>(d.ControlsArray()[0]);
  box->SetValue(u"a");
  box->SetValue(u"b");
  EXPECT_EQ(changed, 1);
}

TEST(Keyboard, TabWalksTheControlsListWithWrapAround) {
  Engine e;
  THTMLData& d = e.Parse(
      "<input type=checkbox name=a><input type=checkbox name=b><input type=checkbox name=c>");
  auto& list = d.ControlsArray();
  WORD tab = VK_TAB;
  e.render.KeyDownTransfer(tab, 0);
  EXPECT_EQ(d.SelectedItem(), list[0]);
  e.render.KeyDownTransfer(tab, ShiftBit(ssShift));
  EXPECT_EQ(d.SelectedItem(), list[2]);
  e.render.KeyDownTransfer(tab, 0);
  EXPECT_EQ(d.SelectedItem(), list[0]);
  e.render.KeyDownTransfer(tab, ShiftBit(ssCtrl));
  EXPECT_EQ(d.SelectedItem(), list[0]);
  EXPECT_EQ(e.render.FindInputItemByName(u"b", nullptr), list[1]);
  EXPECT_EQ(e.render.FindInputItemByName(u"a", list[0]), nullptr);
}

TEST(Keyboard, NextAndPreviousLink) {
  Engine e;
  THTMLData& d = e.Parse("<a href=1>a</a> <a href=2>b</a>");
  e.render.SelectPrevLink();
  EXPECT_EQ(d.SelectedItem(), nullptr);
  e.render.SelectNextLink();
  ASSERT_NE(d.SelectedItem(), nullptr);
  EXPECT_EQ(d.SelectedItem()->FLinkRef, u"1");
  e.render.SelectNextLink();
  EXPECT_EQ(d.SelectedItem()->FLinkRef, u"2");
  e.render.SelectNextLink();  // none after: the selection stays
  EXPECT_EQ(d.SelectedItem()->FLinkRef, u"2");
  e.render.SelectPrevLink();
  EXPECT_EQ(d.SelectedItem()->FLinkRef, u"1");
}

TEST(MouseMove, ActiveItemIsTheInputUnderTheMouse) {
  Engine e;
  int changes = 0;
  e.render.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  THTMLData& d = e.Parse("<input type=checkbox> text");
  e.render.MouseMoveTransfer(0, 5, 5, kR);
  EXPECT_EQ(d.ActiveItem(), d.ControlsArray()[0]);
  e.render.MouseMoveTransfer(0, 6, 6, kR);
  EXPECT_EQ(changes, 1);
  e.render.MouseMoveTransfer(0, 25, 5, kR);
  EXPECT_EQ(d.ActiveItem(), nullptr);
  EXPECT_EQ(changes, 2);
}

TEST(Export, AsText) {
  Engine e;
  struct {
    const char* markup;
    const char* text;
  } cases[] = {
      {"a<br>b", "a\r\nb"},
      {"<li>x", "- x"},
      {"<p>a</p><p>b</p>", "a\r\n\r\n\r\n\r\nb\r\n\r\n"},
      {"a <b>b</b> <img src=x><hr>c", "a b \r\n\r\nc"},
  };
  for (const auto& c : cases) {
    e.Parse(c.markup);
    EXPECT_EQ(A(e.render.AsText()), c.text) << c.markup;
  }
  // Wrapped lines come back as one, the space at the wrap kept.
  e.Parse("hello world", e.Advance("hello ") + 1, true);
  EXPECT_EQ(A(e.render.AsText()), "hello world");
}

TEST(Export, GenerateHTML) {
  Engine e;
  EXPECT_EQ(A(e.Parse("a<br>b").GenerateHTML()), "<html>a<br>\r\nb</html>");
  EXPECT_EQ(A(e.Parse("<b>x</b><~~v>").GenerateHTML()), "<html>x<~~~~> </html>");
  EXPECT_EQ(A(e.Parse("<input type=checkbox name=A checked=1 value=v>"
                      "<input type=radio>")
                  .GenerateHTML()),
            "<html><input type=\"checkbox\" name=\"a\" checked=\"True\" value=\"v\" >\r\n"
            "<input type=\"radio\" >\r\n</html>");
}

TEST(Hook, HostMessagesReachTheEngine) {
  Engine e;
  int changes = 0;
  e.render.SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
  THTMLData& d = e.Parse("<input type=checkbox>");
  TBitmap b(100, 40);
  e.render.DrawText(b.Canvas(), Point(0, 0), Rect(0, 0, 100, 40), clNone);
  TControl host(nullptr);
  e.render.SetControl(&host);
  THTMLMessageHook::Dispatch(&host, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(d.ActiveItem(), d.ControlsArray()[0]);
  THTMLMessageHook::Dispatch(&host, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(static_cast<THTMLInputItem*>(d.ControlsArray()[0])->Checked());
  e.render.SetControl(nullptr);
  EXPECT_FALSE(THTMLMessageHook::IsHooked(&host));
  const int before = changes;
  THTMLMessageHook::Dispatch(&host, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(changes, before);
}

}  // namespace
