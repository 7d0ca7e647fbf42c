// Measuring and the layout pass: item sizes, line metrics, TextSize.
#include <gtest/gtest.h>

#include "HTMLTestUtil.h"

using namespace htmltest;

namespace {

const THTMLBreakItem* Line(const THTMLData& d, int n) {
  int seen = 0;
  for (int i = 0; i < d.ItemCount(); ++i)
    if (d.Items(i)->IsBreakItem() && seen++ == n) return static_cast<THTMLBreakItem*>(d.Items(i));
  return nullptr;
}

TEST(Model, NewDocumentHasTheDefaults) {
  THTMLData d;
  EXPECT_EQ(d.DefaultFont(), u"MS Sans Serif");
  EXPECT_EQ(d.DefaultHeight(), -11);
  EXPECT_EQ(d.DefaultColor(), clWindowText);
  EXPECT_EQ(d.LinkColor(), clBlue);
  EXPECT_EQ(d.LinkStyle(), TFontStyles{fsUnderline});
  EXPECT_EQ(d.DefaultBgColor(), clNone);
  EXPECT_EQ(d.ItemCount(), 0);
  EXPECT_EQ(d.TextSize(), (TSize{0, 0}));
}

TEST(Model, ItemsWithoutEngineMeasureZero) {
  THTMLData d;  // no engine
  THTMLItem run(&d);
  run.FText = u"abc";
  EXPECT_EQ(run.GetWidth(), 0);
  int base = 7;
  EXPECT_EQ(run.GetHeight(base), 0);
  EXPECT_EQ(base, 0);
  THTMLBreakItem li(&d);
  li.FItemType = hitLI;
  EXPECT_EQ(li.GetWidth(), 0);
}

TEST(Model, AssignCopiesStyleNotKindOrText) {
  THTMLData d;
  THTMLBreakItem a(&d), b(&d);
  a.FItemType = hitLI;
  a.FText = u"t";
  a.FontStyle = {fsBold};
  a.FontHeight = 9;
  a.FIndent = 4;
  a.FBoolState = hbsLink;
  a.FParams = 0x00050002;
  a.FListItemN = 3;
  a.FWidth = 12;
  b.Assign(&a);
  EXPECT_EQ(b.FItemType, hitChar);
  EXPECT_TRUE(b.FText.empty());
  EXPECT_EQ(b.FWidth, 0);
  EXPECT_EQ(b.FontHeight, 9);
  EXPECT_EQ(b.FIndent, 4);
  EXPECT_TRUE(b.IsLink());
  EXPECT_EQ(b.FParams, 0x00050000u);  // alignment bits cleared
  EXPECT_EQ(b.FListItemN, 3);
  b.AssignBreakProps(&a);
  EXPECT_EQ(b.FParams, 0x00050002u);
  b.Assign(nullptr);
  EXPECT_EQ(b.FontHeight, 9);
}

TEST(Model, RadioGroupsAreNumberedByName) {
  Engine e;
  THTMLData& d = e.Data();
  THTMLInputItem a(&d), b(&d), c(&d);
  a.FName = b.FName = u"g1";
  c.FName = u"g2";
  a.SetInputType(itRadioButton);
  b.SetInputType(itRadioButton);
  c.SetInputType(itRadioButton);
  EXPECT_EQ(a.FTag, 1);
  EXPECT_EQ(b.FTag, 1);
  EXPECT_EQ(c.FTag, 2);
  EXPECT_NE(a.ControlPainter(), nullptr);
}

TEST(Model, SetDataAndDestroyData) {
  THTMLRender r;
  THTMLData* internal = r.Data();
  THTMLData* other = r.CreateData();
  EXPECT_EQ(other->Render(), &r);
  EXPECT_EQ(r.Data(), internal);
  r.SetData(other);
  EXPECT_EQ(r.Data(), other);
  r.SetData(nullptr);
  EXPECT_EQ(r.Data(), internal);
  r.SetData(other);
  r.DestroyData(other);
  EXPECT_EQ(r.Data(), nullptr);
  // Without a current document everything does nothing.
  r.PrepareText(u"abc", 0, false);
  TBitmap b(10, 10);
  r.DrawText(b.Canvas(), Point(0, 0), Rect(0, 0, 10, 10), clNone);
  TUnicodeString href;
  EXPECT_FALSE(r.IsCursorOverLink(Point(1, 1), Point(0, 0), Rect(0, 0, 10, 10), href));
  EXPECT_TRUE(r.AsText().empty());
  r.SetData(nullptr);
  EXPECT_EQ(r.Data(), internal);
}

TEST(Measure, RunWidthIsAdvancePlusOne) {
  Engine e;
  THTMLData& d = e.Parse("abc<b></b>");
  EXPECT_EQ(d.Items(1)->FWidth, e.Advance("abc") + 1);
  THTMLItem empty(&d);
  EXPECT_EQ(empty.GetWidth(), 1);
}

TEST(Measure, SubscriptIsMeasuredTwoPixelsSmaller) {
  Engine e;
  THTMLData& d = e.Parse("<sub>abc</sub>");
  EXPECT_EQ(d.Items(1)->FontHeight, -13);
  EXPECT_EQ(d.Items(1)->MeasureHeight(), -11);
  EXPECT_EQ(d.Items(1)->FWidth, e.Advance("abc", {}, -11) + 1);
}

TEST(Measure, BreakHeightDependsOnWhatFollows) {
  Engine e;
  e.Data().SetLineGap(2);
  THTMLData& d = e.Parse("a<br><br>b<br>");
  const int cell = e.Metrics().tmHeight;
  int base = 0;
  // items: Para, a, Break(followed by Break), Break(followed by text), b, Break(last)
  ASSERT_EQ(d.ItemCount(), 6);
  EXPECT_EQ(d.Items(2)->GetHeight(base), cell + 2);
  EXPECT_EQ(base, e.Metrics().tmDescent);
  EXPECT_EQ(d.Items(3)->GetHeight(base), 2);
  EXPECT_EQ(d.Items(5)->GetHeight(base), 2);
}

TEST(Measure, LineSpacingIsTheMinimumBreakHeight) {
  Engine e;
  e.Data().SetLineSpacing(20);
  THTMLData& d = e.Parse("<p>a<br>b<li>c");
  int base;
  for (int i = 0; i < d.ItemCount(); ++i)
    if (d.Items(i)->IsBreakItem()) {
      EXPECT_GE(d.Items(i)->GetHeight(base), 20) << i;
    }
}

TEST(Layout, OneRunGivesItsWidthAndCellHeight) {
  Engine e;
  e.Data().SetLineGap(3);
  THTMLData& d = e.Parse("x");
  const int cell = e.Metrics().tmHeight;
  EXPECT_EQ(d.TextSize(), (TSize{e.Advance("x") + 1, cell + 2 * 3}));
}

TEST(Layout, LinesTakeTheirTallestItem) {
  Engine e;
  THTMLData& d = e.Parse("a<font size=22>B</font>c<br><br>d");
  const TEXTMETRICW& small = e.Metrics();
  const TEXTMETRICW big = e.Metrics({}, 22);
  const THTMLBreakItem* l0 = Line(d, 0);
  ASSERT_NE(l0, nullptr);
  EXPECT_EQ(l0->FHeight, 22);
  EXPECT_EQ(l0->Descent(), big.tmDescent);
  EXPECT_EQ(l0->FWidth, (e.Advance("a") + 1) + (e.Advance("B", {}, 22) + 1) + (e.Advance("c") + 1));
  // The empty middle line is as high as its break's font; the last holds "d".
  EXPECT_EQ(Line(d, 1)->FHeight, small.tmHeight);
  EXPECT_EQ(Line(d, 2)->FHeight, small.tmHeight);
  EXPECT_EQ(d.TextSize().cy, 22 + 2 * small.tmHeight);
  EXPECT_EQ(d.TextSize().cx, l0->FWidth);
}

TEST(Layout, SubscriptAndSuperscriptMakeTheLineTaller) {
  Engine e;
  const int plain = e.Parse("x").TextSize().cy;
  THTMLData& sub = e.Parse("x<sub>2</sub>");
  const int hs = e.Metrics({}, -11).tmHeight;
  EXPECT_EQ(sub.Items(2)->FHeight, hs + hs / 4);
  EXPECT_EQ(Line(sub, 0)->Descent(),
            std::max<int>(e.Metrics().tmDescent, e.Metrics({}, -11).tmDescent + hs / 4));
  THTMLData& sup = e.Parse("x<sup>2</sup>");
  EXPECT_EQ(sup.Items(2)->FHeight, hs + (2 * hs) / 3);
  EXPECT_GT(sup.TextSize().cy, plain);
}

TEST(Layout, IndentsAndListsWidenTheLine) {
  Engine e;
  THTMLData& d = e.Parse("a<ind width=30>b");
  EXPECT_EQ(Line(d, 0)->FWidth, (e.Advance("a") + 1) + 30 + (e.Advance("b") + 1));
  THTMLData& abs = e.Parse("aaaa<ind width=5 pos=abs>b");
  EXPECT_EQ(Line(abs, 0)->FWidth, 5 + (e.Advance("b") + 1));
  THTMLData& li = e.Parse("<ul><li>x</ul>");
  // The list item's line: its indent, its own width (the average character), the run.
  const THTMLBreakItem* line = Line(li, 2);
  ASSERT_EQ(line->FItemType, hitLI);
  EXPECT_EQ(line->FWidth,
            e.Metrics().tmMaxCharWidth + e.Metrics().tmAveCharWidth + e.Advance("x") + 1);
}

TEST(Layout, SixteenBitSizesWrap) {
  Engine e;
  THTMLData& d = e.Parse("a<ind width=70000>b");
  EXPECT_EQ(d.Items(2)->FWidth, 70000 - 65536);
  THTMLData& big = e.Parse("<img src=x width=65535 height=65536>");
  EXPECT_EQ(big.Items(1)->FWidth, 65535);
  EXPECT_EQ(big.Items(1)->FHeight, 0);
}

}  // namespace
