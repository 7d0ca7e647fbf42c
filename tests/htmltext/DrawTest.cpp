// Drawing, checked by the pixels it produces.
#include <gtest/gtest.h>

#include "HTMLTestUtil.h"

using namespace htmltest;

namespace {

class Draw : public ::testing::Test {
 protected:
  // Draws the document of `markup` into a white bitmap of w x h at rect r.
  std::unique_ptr<TBitmap> Render(const std::string& markup, int w, int h, int width = 0,
                                  bool wrap = false) {
    e.Parse(markup, width, wrap);
    auto b = WhiteBitmap(w, h);
    e.render.DrawText(b->Canvas(), Point(0, 0), Rect(0, 0, w, h), clNone);
    return b;
  }
  void Save(TBitmap& b) {
    SaveArtifact(b, std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  }
  Engine e;
};

TEST_F(Draw, TextSitsOnTheLineBaseline) {
  auto b = Render("x", 60, 30);
  const TRect ink = InkBox(*b, Dark);
  const TEXTMETRICW& tm = e.Metrics();
  // "x" has no descender: its lowest row is the one just above the baseline.
  EXPECT_EQ(ink.bottom, tm.tmHeight - tm.tmDescent);
  EXPECT_GE(ink.left, 0);
  EXPECT_LE(ink.left, 1);
  if (HasFailure()) Save(*b);
}

TEST_F(Draw, SecondLineStartsBelowTheFirst) {
  auto b = Render("x<br>x", 60, 60);
  const int lineH = e.Metrics().tmHeight;
  const TRect top = InkBox(*b, Dark, Rect(0, 0, 60, lineH));
  const TRect bottom = InkBox(*b, Dark, Rect(0, lineH, 60, 60));
  EXPECT_EQ(bottom.top - top.top, lineH);
  auto c = Render("x<br><br>x", 60, 60);
  const TRect third = InkBox(*c, Dark, Rect(0, lineH, 60, 60));
  EXPECT_EQ(third.top - top.top, 2 * lineH);  // one empty line of the break's height
  if (HasFailure()) Save(*c);
}

TEST_F(Draw, AlignmentAndIndent) {
  const int W = 200;
  auto left = Render("x", W, 20);
  const int x0 = InkBox(*left, Dark).left;
  const int L = e.Data().Items(0)->FWidth;
  auto center = Render("<p align=center>x", W, 20);
  EXPECT_EQ(InkBox(*center, Dark).left - x0, (W + 1 - 1 - L) / 2);
  auto right = Render("<p align=right>x", W, 20);
  EXPECT_EQ(InkBox(*right, Dark).left - x0, W + 1 - 1 - L);
  auto indented = Render("<p indent=25>x", W, 20);
  EXPECT_EQ(InkBox(*indented, Dark).left - x0, 25);
  if (HasFailure()) Save(*right);
}

TEST_F(Draw, OverColoursGreyPlainRunsOnly) {
  e.Parse("a<font color=red>b</font><a href=x>c</a>");
  auto b = WhiteBitmap(100, 20);
  e.render.DrawTextEx(b->Canvas(), Point(0, 0), Rect(0, 0, 100, 20), true, clGrayText, clNone,
                      clNone, clNone, clNone);
  const int xa = 0, xb = e.Data().Items(1)->FWidth;
  const int xc = xb + e.Data().Items(2)->FWidth + e.Data().Items(3)->FWidth;
  auto darkest = [&](int from, int to) {
    uint32_t best = 0xFFFFFF;
    int bestSum = 3 * 255;
    for (int y = 0; y < 20; ++y)
      for (int x = from; x < to; ++x) {
        const uint32_t p = Pixel(*b, x, y);
        const int s = Red(p) + Green(p) + Blue(p);
        if (s < bestSum) bestSum = s, best = p;
      }
    return best;
  };
  const uint32_t pa = darkest(xa, xb - 1);
  EXPECT_EQ(pa, Rgb(109, 109, 109));  // clGrayText
  const uint32_t pb = darkest(xb, xb + e.Data().Items(2)->FWidth - 1);
  // Anti-aliased thin strokes: the colour dominates without reaching full strength.
  EXPECT_GT(Red(pb), 200);
  EXPECT_LT(Blue(pb), 80);
  EXPECT_LT(Green(pb), 80);
  const uint32_t pc = darkest(xc, 100);
  EXPECT_GT(Blue(pc), 200);  // links keep the link colour
  EXPECT_LT(Red(pc), 80);
  if (HasFailure()) Save(*b);
}

TEST_F(Draw, AdjustFromBlackLightensHalfway) {
  e.Parse("abc");
  auto b = WhiteBitmap(60, 20, clBlack);
  e.render.DrawTextEx(b->Canvas(), Point(0, 0), Rect(0, 0, 60, 20), true, clGrayText, clNone,
                      clNone, clNone, clBlack);
  int brightest = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x)
      brightest = std::max(brightest, Red(Pixel(*b, x, y)));
  EXPECT_EQ(brightest, 182);
  // Against white, white text stays white and mid grey darkens to 64.
  e.Parse("<font color=#808080>abc</font>");
  auto w = WhiteBitmap(60, 20);
  e.render.DrawText(w->Canvas(), Point(0, 0), Rect(0, 0, 60, 20), clWhite);
  int darkest = 255;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x)
      darkest = std::min(darkest, Red(Pixel(*w, x, y)));
  EXPECT_EQ(darkest, 64);
  if (HasFailure()) Save(*w);
}

TEST_F(Draw, BackgroundColourFillsTheTextCell) {
  auto b = Render("<font bgcolor=#00FF00>ab</font>c", 80, 30);
  const TRect green = InkBox(*b, [](uint32_t p) { return p == Rgb(0, 255, 0); });
  EXPECT_EQ(green.top, 0);
  EXPECT_EQ(green.bottom, e.Metrics().tmHeight);
  EXPECT_EQ(green.left, 0);
  // "c" has no background of its own.
  EXPECT_LE(green.right, e.Data().Items(1)->FWidth);
  if (HasFailure()) Save(*b);
}

TEST_F(Draw, BulletHangsLeftOfTheText) {
  auto b = Render("<ul><li>x</ul>", 80, 30);
  const THTMLItem* li = e.Data().Items(2);
  ASSERT_EQ(li->FItemType, hitLI);
  const int start = li->FIndent;  // the text starts at the indent
  const int bw = e.Metrics().tmAveCharWidth;
  const TRect bullet = InkBox(*b, Dark, Rect(0, 0, start, 30));
  EXPECT_NEAR(bullet.left, start - bw - 1 - 5, 1);
  EXPECT_NEAR(bullet.right, start - 1 - 5, 1);
  EXPECT_GT(bullet.bottom - bullet.top, bw / 2);
  if (HasFailure()) Save(*b);
}

TEST_F(Draw, NumbersPrecedeTheText) {
  auto one = Render("<ol><li>x</ol>", 80, 30);
  const int start = e.Data().Items(2)->FIndent;
  const TRect ink = InkBox(*one, Dark);
  EXPECT_GE(ink.left, start);  // "1." is drawn at the line start, x follows it
  const int numberWidth = e.Advance("1.");
  const TRect x = InkBox(*one, Dark, Rect(start + numberWidth, 0, 80, 30));
  EXPECT_GT(x.right, x.left);
  auto none = Render("<ol><li></ol>", 80, 30);  // a number alone
  EXPECT_GT(InkBox(*none, Dark).right, 0);
  if (HasFailure()) Save(*one);
}

TEST_F(Draw, TransparentImageShowsTheBackground) {
  TBitmap picture(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      picture.Canvas()->SetPixels(x, y, (x < 3) ? clFuchsia : clBlue);
  e.render.SetOnImageNeeded(
      THTMLBitmapNeededEvent([&](TObject*, const TUnicodeString& src, TBitmap*& image) {
        if (src == u"pic") image = &picture;
      }));
  e.Parse("<img src=pic>");
  EXPECT_EQ(e.Data().Items(1)->FWidth, 6);
  EXPECT_EQ(e.Data().Items(1)->FHeight, 4);
  auto b = WhiteBitmap(20, 10, clYellow);
  e.render.DrawText(b->Canvas(), Point(0, 0), Rect(0, 0, 20, 10), clNone);
  EXPECT_EQ(Pixel(*b, 1, 1), Rgb(255, 255, 0));  // magenta is see-through
  EXPECT_EQ(Pixel(*b, 4, 1), Rgb(0, 0, 255));
  EXPECT_EQ(Pixel(*b, 7, 1), Rgb(255, 255, 0));
  // A solid image is stretched to the size given.
  e.Parse("<img src=pic transparent=solid width=12 height=4>");
  auto s = WhiteBitmap(20, 10);
  e.render.DrawText(s->Canvas(), Point(0, 0), Rect(0, 0, 20, 10), clNone);
  EXPECT_EQ(Pixel(*s, 2, 1), Rgb(255, 0, 255));
  EXPECT_EQ(Pixel(*s, 10, 1), Rgb(0, 0, 255));
  if (HasFailure()) Save(*b);
}

TEST_F(Draw, RuleIsALoweredEdge) {
  auto b = Render("a<hr width=50>", 80, 60);
  const THTMLData& d = e.Data();
  // Items: Para, a, Break, HR, Break. The rule's line is the first break's.
  const int lineTop = d.Items(0)->FHeight;
  const int top = lineTop + d.Items(2)->FHeight / 2;
  const uint32_t shadow =
      Rgb(GetRValue(kx::SysColor(COLOR_BTNSHADOW)), GetGValue(kx::SysColor(COLOR_BTNSHADOW)),
          GetBValue(kx::SysColor(COLOR_BTNSHADOW)));
  const uint32_t face =
      Rgb(GetRValue(kx::SysColor(COLOR_BTNFACE)), GetGValue(kx::SysColor(COLOR_BTNFACE)),
          GetBValue(kx::SysColor(COLOR_BTNFACE)));
  EXPECT_EQ(Pixel(*b, 10, top), shadow);
  EXPECT_EQ(Pixel(*b, 10, top + 1), face);
  EXPECT_EQ(Pixel(*b, 0, top + 1), shadow);  // the corner of the left edge
  EXPECT_EQ(Pixel(*b, 49, top), face);       // the corner of the right edge
  EXPECT_EQ(Pixel(*b, 50, top), Rgb(255, 255, 255));
  EXPECT_EQ(Pixel(*b, 10, top + 2), Rgb(255, 255, 255));
  if (HasFailure()) Save(*b);
}

TEST_F(Draw, CheckBoxIsTheClassicFrameControl) {
  auto b = Render("<input type=checkbox checked=true>", 40, 30);
  TBitmap expected(17, 17);
  expected.Canvas()->Brush()->SetColor(clWhite);
  expected.Canvas()->FillRect(Rect(0, 0, 17, 17));
  RECT r{0, 0, 17, 17};
  DrawFrameControl(expected.Canvas()->Handle(), &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  int differ = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x)
      differ += Pixel(*b, x, y) != Pixel(expected, x, y);
  EXPECT_EQ(differ, 0);
  auto unchecked = Render("<input type=checkbox>", 40, 30);
  int changed = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x)
      changed += Pixel(*b, x, y) != Pixel(*unchecked, x, y);
  EXPECT_GT(changed, 5);  // the check mark
  if (HasFailure()) Save(*b);
}

TEST_F(Draw, WithoutDoubleBufferingEverythingMovesWithTheRectangle) {
  TBitmap picture(5, 5);
  picture.Canvas()->Brush()->SetColor(clRed);
  picture.Canvas()->FillRect(Rect(0, 0, 5, 5));
  picture.Canvas()->SetPixels(0, 4, clBlack);
  e.render.SetOnImageNeeded(THTMLBitmapNeededEvent(
      [&](TObject*, const TUnicodeString&, TBitmap*& image) { image = &picture; }));
  const std::string markup =
      "<b>ab</b><img src=p><input type=radio checked=1><br><ul><li>c</ul><hr width=30>";
  e.Parse(markup);
  auto at0 = WhiteBitmap(120, 100);
  e.render.DrawText(at0->Canvas(), Point(0, 0), Rect(0, 0, 90, 70), clNone);
  e.render.SetDoubleBuffered(false);
  auto at1 = WhiteBitmap(120, 100);
  e.render.DrawText(at1->Canvas(), Point(0, 0), Rect(10, 20, 100, 90), clNone);
  int differ = 0;
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 90; ++x)
      differ += Pixel(*at0, x, y) != Pixel(*at1, x + 10, y + 20);
  EXPECT_EQ(differ, 0);
  EXPECT_GT(InkBox(*at1, NotWhite).left, 9);
  if (HasFailure()) {
    Save(*at0);
    Save(*at1);
  }
}

TEST_F(Draw, LinesBelowTheRectangleAreNotDrawn) {
  e.Parse("a<br>b<br>c");
  const int lineH = e.Metrics().tmHeight;
  auto b = WhiteBitmap(40, 3 * lineH);
  // A rectangle that ends inside the second line: the third is not drawn at all.
  e.render.SetDoubleBuffered(false);
  e.render.DrawText(b->Canvas(), Point(0, 0), Rect(0, 0, 40, lineH + 2), clNone);
  EXPECT_GT(InkBox(*b, Dark, Rect(0, lineH, 40, 2 * lineH)).right, 0);
  EXPECT_EQ(InkBox(*b, Dark, Rect(0, 2 * lineH, 40, 3 * lineH)).right, 0);
}

TEST_F(Draw, SuperscriptIsRaised) {
  auto plain = Render("x", 60, 40);
  auto sup = Render("<sup>x</sup>", 60, 40);
  const THTMLBreakItem* line = static_cast<THTMLBreakItem*>(e.Data().Items(0));
  int d = 0;
  const int h = e.Data().Items(1)->GetHeight(d);
  const int baseline = line->FHeight - line->Descent();
  EXPECT_EQ(InkBox(*sup, Dark).bottom, baseline - h / 2);
  (void)plain;
  if (HasFailure()) Save(*sup);
}

}  // namespace
